#include "ReportForms.h"

#include "TFrmQueryBill.h"
#include "TFrmQueryCollate.h"
#include "TFrmQueryMDCollate.h"
#include "TFrmQueryOrganLink.h"
#include "TFrmQueryStock.h"
#include "TFrmSummary.h"

namespace corvo::forms {

void registerReportForms(
    std::map<std::string, std::function<forms::TFrmQuery*(QWidget* owner)>>& registry)
{
    registry["TFrmQueryCollate"] = [](QWidget* owner) { return new TFrmQueryCollate(owner); };
    registry["TFrmQueryMDCollate"] = [](QWidget* owner) { return new TFrmQueryMDCollate(owner); };
    registry["TFrmSummary"] = [](QWidget* owner) { return new TFrmSummary(owner); };
    registry["TFrmQueryStock"] = [](QWidget* owner) { return new TFrmQueryStock(owner); };
    registry["TFrmQueryBill"] = [](QWidget* owner) { return new TFrmQueryBill(owner); };
    registry["TFrmQueryAccount"] = [](QWidget* owner) { return new TFrmQueryAccount(owner); };
    registry["TFrmQueryOrganLink"] = [](QWidget* owner) { return new TFrmQueryOrganLink(owner); };
}

} // namespace corvo::forms
