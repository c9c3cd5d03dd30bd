#include "TFrmQueryOrganLink.h"

#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "forms/rules/StatementRules.h"
#include "platform/DataGrid.h"

namespace corvo::forms {

TFrmQueryOrganLink::TFrmQueryOrganLink(QWidget* owner) : TFrmQueryCollate(owner)
{
    setObjectName(QStringLiteral("FrmQueryOrganLink"));
}

TFrmQueryOrganLink::~TFrmQueryOrganLink() = default;

void TFrmQueryOrganLink::ShowResultGrid()
{
    TFrmQueryCollate::ShowResultGrid();
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    if (!master.Active() || master.IsEmpty()) return;
    const auto columns = DiscountTitles(registry().EntityByName("TOtherParam"));
    for (int n = 0; n < static_cast<int>(columns.size()); ++n) {
        TField* discount = master.FindField("Discount" + std::to_string(n + 1));
        if (!discount) continue;
        if (!columns[n].title.empty()) discount->SetDisplayLabel(columns[n].title);
        discount->SetVisible(columns[n].visible);
    }
    dgeMaster().bindDataSet(&master);
    SizeGridColumns(dgeMaster());
}

} // namespace corvo::forms
