#pragma once

#include "TFrmQueryCollate.h"

namespace corvo::forms {

/// The bills exchanged with one partner over a period: the partner and the date conditions
/// are ticked and locked, the first partner is chosen. A module of the partner's side
/// (TypeNo 2) reads the organisation columns in reverse: the rows the partner keeps with the
/// user's organisation as its partner.
class TFrmQueryBill : public TFrmQueryCollate {
    Q_OBJECT
public:
    explicit TFrmQueryBill(QWidget* owner = nullptr);
    ~TFrmQueryBill() override;

    /// The conditions, the partner's side; no owner clause. Without a partner the query
    /// stops with "请先选择" + the partner condition's caption.
    void BuildWhere() override;
    /// TypeNo 2 of the module named like the form's page.
    bool partnerSide();

protected:
    void FormShow() override;
    /// The message of a missing partner (UTF-8).
    virtual std::string missingPartnerMessage();
};

/// The reconciliation statement with one partner over a period, made by the account server:
/// the opening balance and every entry with the running balance, in order.
class TFrmQueryAccount : public TFrmQueryBill {
    Q_OBJECT
public:
    explicit TFrmQueryAccount(QWidget* owner = nullptr);
    ~TFrmQueryAccount() override;

    /// The statement (verify and account, method 2).
    bool CallQuery1() override;
    /// "对账单生成完成", or "当前条件下没有单据" when only the opening balance came back.
    void AfterQuery() override;
    /// The statement titled with the partner's name and the period, the closing balance under
    /// the rows.
    void PrintCollated() override;
    /// The partner's name (GBK) and the balance after the last row, as printed.
    std::string partnerName();
    std::string closingBalance();
    std::string periodText();

protected:
    void FormShow() override;
    std::string missingPartnerMessage() override;
};

} // namespace corvo::forms
