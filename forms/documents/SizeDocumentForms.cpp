#include "SizeDocumentForms.h"

#include "TFrmInsertSize.h"
#include "TFrmInvalidateSize.h"
#include "TFrmUpdateSize.h"
#include "TFrmVerifySize.h"
#include "forms/reports/TFrmQuerySize.h"
#include "forms/reports/TFrmSummarySize.h"

namespace corvo::forms {

void registerSizeDocumentForms(
    std::map<std::string, std::function<forms::TFrmQuery*(QWidget* owner)>>& registry)
{
    registry["TFrmInsertSize"] = [](QWidget* owner) { return new TFrmInsertSize(owner); };
    registry["TFrmUpdateSize"] = [](QWidget* owner) { return new TFrmUpdateSize(owner); };
    registry["TFrmQuerySize"] = [](QWidget* owner) { return new TFrmQuerySize(owner); };
    registry["TFrmVerifySize"] = [](QWidget* owner) { return new TFrmVerifySize(owner); };
    registry["TFrmInvalidateSize"] = [](QWidget* owner) { return new TFrmInvalidateSize(owner); };
    registry["TFrmSummarySize"] = [](QWidget* owner) { return new TFrmSummarySize(owner); };
}

} // namespace corvo::forms
