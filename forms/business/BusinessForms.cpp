#include "BusinessForms.h"

#include "TFrmHelp.h"
#include "TFrmInsertBatch.h"
#include "TFrmInsertOtherParam.h"
#include "TFrmInsertUserModule.h"

namespace corvo::forms {

void registerBusinessForms(
    std::map<std::string, std::function<forms::TFrmQuery*(QWidget* owner)>>& registry)
{
    registry["TFrmInsertUserModule"] = [](QWidget* owner) {
        return new TFrmInsertUserModule(owner);
    };
    registry["TFrmInsertOtherParam"] = [](QWidget* owner) {
        return new TFrmInsertOtherParam(owner);
    };
    registry["TFrmHelp"] = [](QWidget* owner) { return new TFrmHelp(owner); };
    registry["TFrmUpdateHelp"] = [](QWidget* owner) { return new TFrmUpdateHelp(owner); };
    registry["TFrmInsertBatch"] = [](QWidget* owner) { return new TFrmInsertBatch(owner); };
}

} // namespace corvo::forms
