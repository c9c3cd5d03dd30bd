#include "ReportForms.h"

#include "TFrmQueryCollate.h"
#include "TFrmQueryMDCollate.h"

namespace corvo::forms {

void registerReportForms(
    std::map<std::string, std::function<forms::TFrmQuery*(QWidget* owner)>>& registry)
{
    registry["TFrmQueryCollate"] = [](QWidget* owner) { return new TFrmQueryCollate(owner); };
    registry["TFrmQueryMDCollate"] = [](QWidget* owner) { return new TFrmQueryMDCollate(owner); };
}

} // namespace corvo::forms
