#include "DocumentForms.h"

#include "TFrmCustomInsert.h"
#include "TFrmCustomInsertMD.h"
#include "TFrmCustomUpdate.h"
#include "TFrmCustomUpdateMD.h"
#include "TFrmInsertBill.h"
#include "TFrmInvalidate.h"
#include "TFrmInvalidateMD.h"
#include "TFrmVerify.h"
#include "TFrmVerifyMD.h"

namespace corvo::forms {

void registerDocumentForms(
    std::map<std::string, std::function<forms::TFrmQuery*(QWidget* owner)>>& registry)
{
    // Insert and update forms.
    registry["TFrmInsert"] = [](QWidget* owner) { return new TFrmInsert(owner); };
    registry["TFrmInsertMD"] = [](QWidget* owner) { return new TFrmInsertMD(owner); };
    registry["TFrmUpdate"] = [](QWidget* owner) { return new TFrmUpdate(owner); };
    registry["TFrmUpdateMD"] = [](QWidget* owner) { return new TFrmUpdateMD(owner); };
    registry["TFrmInsertBill"] = [](QWidget* owner) { return new TFrmInsertBill(owner); };
    registry["TFrmInsertAccount"] = [](QWidget* owner) { return new TFrmInsertAccount(owner); };
    // Status change forms.
    registry["TFrmVerify"] = [](QWidget* owner) { return new TFrmVerify(owner); };
    registry["TFrmVerifyMD"] = [](QWidget* owner) { return new TFrmVerifyMD(owner); };
    registry["TFrmInvalidate"] = [](QWidget* owner) { return new TFrmInvalidate(owner); };
    registry["TFrmInvalidateMD"] = [](QWidget* owner) { return new TFrmInvalidateMD(owner); };
}

} // namespace corvo::forms
