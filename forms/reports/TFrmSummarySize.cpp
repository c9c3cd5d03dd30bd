#include "TFrmSummarySize.h"

#include "SizeForms.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "entity/TParamData.h"
#include "remote/AppServers.h"

namespace corvo::forms {

TFrmSummarySize::TFrmSummarySize(QWidget* owner) : TFrmQueryMDCollate(owner)
{
    setObjectName(QStringLiteral("FrmSummarySize"));
}

TFrmSummarySize::~TFrmSummarySize() = default;

void TFrmSummarySize::FormShow()
{
    sizeforms::LoadSizeCopies(*this);
    sizeforms::RelabelForCaption(*this, SizeForm::Summary);
    TFrmQueryMDCollate::FormShow();
    sizeforms::PresetSaleDate(*this);
}

bool TFrmSummarySize::CallQuery3()
{
    return CallAppServer(remote::appserver::Query, remote::appserver::query::SizeSummary);
}

void TFrmSummarySize::AfterQueryMD()
{
    TParamData& packet = submitPacket();
    TCustomEntityList& reg = registry();
    TCustomEntity& master = reg.EntityByName(param::TMaster);
    if (packet.ParamExists(param::TMaster)) master.SetData(packet.GetParamData(param::TMaster));
    if (packet.ParamExists(param::TDetail) && packet.ParamExists(param::TDetailQuery)) {
        reg.AddEntity(param::TDetail);
        reg.EntityByName(param::TDetail).SetData(packet.GetParamData(param::TDetailQuery));
    }
    if (packet.ParamExists(param::TDetailQuery)) {
        reg.AddEntity(param::TDetailQuery);
        reg.EntityByName(param::TDetailQuery).SetData(packet.GetParamData(param::TDetailQuery));
    }
    if (packet.ParamExists(param::TDetailListQuery)) {
        reg.AddEntity("TDetailList");
        reg.EntityByName("TDetailList").SetData(packet.GetParamData(param::TDetailListQuery));
    }
    const int documents = master.Active() ? master.RecordCount() : 0;
    ShowStatusText(documents > 0
                       ? "汇总完成！本次汇总单据数为[" + std::to_string(documents) + "]条。"
                       : std::string("当前条件下没有数据。"));
}

void TFrmSummarySize::QueryDetailOfMaster(TCustomEntity&)
{
    sizeforms::LabelLinesByProduct(*this, "TDetailQuery");
}

void TFrmSummarySize::ShowResultGrid()
{
    TFrmQueryMDCollate::ShowResultGrid();
    sizeforms::LabelLinesByProduct(*this, "TDetailQuery");
}

} // namespace corvo::forms
