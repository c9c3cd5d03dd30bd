#pragma once

#include "TFrmCustomInsert.h"

namespace corvo::forms {

/// Entering a bill (an invoice, a payment, a collection) as one document of the insert
/// server: the entry panel of the module's table; a table the server codes shows its code
/// read-only, filled with the code the server gave once saved.
class TFrmInsertBill : public TFrmCustomInsert {
    Q_OBJECT
public:
    explicit TFrmInsertBill(QWidget* owner = nullptr);
    ~TFrmInsertBill() override;

    /// The packet emptied and the code cleared; the other entries stay for the next bill.
    bool ResetSubmitPacket() override;
    /// TMaster := the entry panel's values as one new row (values checked).
    bool BeforeSubmit() override;
    /// Insert server, method 2.
    bool CallSubmitServer() override;
    /// TMaster := the stored row; the server's code in the code editor; then "保存"
    /// disabled and the code in the message line.
    bool AfterSubmit() override;

    /// The table is coded by the server (IsAutoCoding 1).
    bool autoCoded();
    /// The code editor; nullptr when the panel has no Code input.
    QWidget* codeEditor();

protected:
    void FormShow() override;
};

/// Entering a receivable or payable: as a bill, and a module of the partner's side (TypeNo 2)
/// stores the record with the partner as owner and the user's organisation as partner.
class TFrmInsertAccount : public TFrmInsertBill {
    Q_OBJECT
public:
    explicit TFrmInsertAccount(QWidget* owner = nullptr);
    ~TFrmInsertAccount() override;

    /// The bill's step, then the exchange of TOrganID and TOwnerID from the partner's side.
    bool BeforeSubmit() override;
};

} // namespace corvo::forms
