#include "StatusSubmit.h"

#include "controls/TQueryControlList.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "entity/TParamData.h"
#include "forms/framework/TFrmApp.h"

#include <QAbstractButton>
#include <QKeySequence>

namespace corvo::forms::internal {

void GivePrintItsOwnKey(QAbstractButton& print)
{
    print.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
}

void DisableStatusCondition(controls::TQueryControlList* conditions)
{
    if (conditions && conditions->HasControl("StatusID"))
        conditions->ControlByName("StatusID").setEnabled(false);
}

void FillStatusPacket(TParamData& packet, TCustomEntityList& registry, TParamData& fieldPacket)
{
    packet.EmptyDataSet();
    packet.SetParamValue(param::AppName, Variant(param::AppNameValue));
    packet.SetParamData(param::TMaster, registry.EntityByName("TMasterUpdate").Data());
    if (!fieldPacket.IsEmpty())
        packet.SetParamData(param::ParamDataStatusAlter, fieldPacket.Data());
}

bool RunStatusSteps(TFrmApp& form, const StatusSteps& steps)
{
    try {
        if (!steps.before()) return false;
        steps.fill();
        if (steps.call()) {
            // The report comes first: it names the document the after step removes.
            steps.report();
            steps.after();
            return true;
        }
        form.ShowStatusText("数据更新失败，请稍后重试。");
    } catch (const std::exception& e) {
        form.ShowStatusText(e.what());
    }
    return false;
}

std::string CurrentCode(TCustomEntityList& registry)
{
    TCustomEntity& master = registry.EntityByName(param::TMaster);
    TField* code = master.FindField("Code");
    return code && !master.IsEmpty() ? gbk::toUtf8(code->AsString()) : std::string();
}

std::string SentCodes(TCustomEntityList& registry)
{
    TCustomEntity& sent = registry.EntityByName("TMasterUpdate");
    TField* code = sent.Active() ? sent.FindField("Code") : nullptr;
    if (!code) return {};
    std::string codes;
    for (sent.First(); !sent.Eof(); sent.Next())
        codes += (codes.empty() ? "" : "、") + gbk::toUtf8(code->AsString());
    return codes;
}

} // namespace corvo::forms::internal
