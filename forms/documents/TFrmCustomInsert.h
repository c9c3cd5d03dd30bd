#pragma once

#include "forms/framework/TFrmQuery.h"

class QPushButton;

namespace corvo::forms {

/// Entering single records: the entry panel of the module's master table fills the form;
/// "保存" sends the collected row to the insert server, "新建" starts the next record.
/// A save the server refused or never answered keeps the row's ObjID, so saving again cannot
/// store the record twice.
class TFrmCustomInsert : public TFrmQuery {
    Q_OBJECT
public:
    explicit TFrmCustomInsert(QWidget* owner = nullptr);
    ~TFrmCustomInsert() override;

    QPushButton& mbtInsert() const noexcept { return *m_insert; }
    QPushButton& mbtSubmit() const noexcept { return *m_submit; }
    bool layoutReady() const noexcept { return m_layoutReady; }

    // Operations added, in slot order.
    /// Before, fill, call; on true the local copy and the after step. False and the message
    /// line's "数据新增失败，请稍后重试。" when the server refuses; an error's message likewise.
    virtual bool RunSubmit();
    /// Insert server, method 1.
    virtual bool CallSubmitServer();

    /// "保存" disabled; "数据新增完成，代码为：" + the code (the server's when it answered one).
    bool AfterSubmit() override;

    /// "保存": RunSubmit, the focus to "新建" when it saved.
    void SubmitClicked();
    /// "新建": the packet, TMaster and the panel emptied, "保存" enabled, the first input
    /// focused.
    void InsertClicked();

protected:
    /// Builds and lays out the entry panel; called on the first show.
    virtual void FormShow();
    void setLayoutReady(bool ready) noexcept { m_layoutReady = ready; }
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    /// The ObjID of a save that did not succeed, sent again by the next one.
    void keepObjIDForRetry();

    QPushButton* m_insert = nullptr;
    QPushButton* m_submit = nullptr;
    bool m_layoutReady = false;
    bool m_shown = false;
    std::string m_retryObjID;
};

/// The single-record entry of the module table; on TUser the password is stored encoded and
/// the module list offers single modules only.
class TFrmInsert : public TFrmCustomInsert {
    Q_OBJECT
public:
    explicit TFrmInsert(QWidget* owner = nullptr);
    ~TFrmInsert() override;

    std::string EncodeUserPassword(const std::string& userCode,
                                   const std::string& password) override;
    /// The panel collected into TMaster (values checked), then the wait text.
    bool BeforeSubmit() override;
    bool FillSubmitPacket() override;
    bool ResetSubmitPacket() override;

protected:
    void FormShow() override;
};

} // namespace corvo::forms
