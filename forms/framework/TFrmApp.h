#pragma once

#include "forms/rules/DictColumn.h"
#include "shell/TFrmBase.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QFrame;
class QLabel;
class QPushButton;

namespace corvo::controls {
class TInputControlList;
class TQueryControlList;
class TVelComboBox;
} // namespace corvo::controls
namespace corvo::platform {
class DataGrid;
}
namespace corvo::remote {
class Tveldatadispatch;
}

namespace corvo::forms {

/// The application form, base of every business form: its entry and query panels are made
/// from the selected TDictField rows (one control per suitable column, editor by SQL type,
/// captioned in the language column, red when required), laid out in up to four columns. It
/// sizes and stripes grids, shows and clears values, checks and collects them into TMaster,
/// fills lookup lists and status values, and defines the hooks the document forms override.
/// The rules live in forms/rules; this class places widgets and calls them.
///
/// Texts in datasets are GBK; messages and `std::string` texts of the hooks are UTF-8 unless
/// stated. Failures raise corvo::Error with the message the user sees.
class TFrmApp : public shell::TFrmBase {
    Q_OBJECT
public:
    explicit TFrmApp(QWidget* owner = nullptr);
    ~TFrmApp() override;

    // The layout.
    QFrame& pnlBackground() const noexcept { return *m_background; }
    QFrame& pnlTitle() const noexcept { return *m_titleBand; }
    QLabel& lblTitle() const noexcept { return *m_title; }
    QFrame& pnlClient() const noexcept { return *m_client; }
    QFrame& pnlBottom() const noexcept { return *m_bottom; }
    QFrame& pnlBottomLeft() const noexcept { return *m_bottomLeft; }
    QFrame& pnlBottomMiddle() const noexcept { return *m_bottomMiddle; }
    QFrame& pnlBottomRight() const noexcept { return *m_bottomRight; }
    QPushButton& mbtClose() const noexcept { return *m_close; }

    // The state.
    const std::string& formKey() const noexcept { return m_formKey; }
    /// A new form key: the ObjID of the next document a master/detail entry saves.
    void RenewFormKey();
    const std::string& owner() const noexcept { return m_owner; }
    TParamData& submitPacket() noexcept { return *m_submitPacket; }
    TCustomEntity& translations() noexcept { return *m_translations; }
    int resultFlag() const noexcept { return m_resultFlag; }
    void setResultFlag(int flag) noexcept { m_resultFlag = flag; }
    /// Set by the main window when it embeds the form: the window that closes the page on
    /// message 1124, its message line and its status label.
    void setHost(QWidget* mainWindow, QLabel* messageLine, QLabel* statusLabel);
    QLabel* messageLine() const noexcept { return m_messageLine; }
    QLabel* statusLabel() const noexcept { return m_statusLabel; }
    /// nullptr until the first panel is built.
    controls::TInputControlList* inputControls() const noexcept { return m_inputs.get(); }
    controls::TQueryControlList* queryControls() const noexcept { return m_queries.get(); }

    // Hooks, in slot order.
    /// (user code, password) -> the stored text; the base leaves it empty.
    virtual std::string EncodeUserPassword(const std::string& userCode,
                                           const std::string& password);
    virtual void BuildBaseCondition();
    virtual void LoadSelectedMaster();
    virtual void PrepareDetail(TCustomEntity& master);
    /// Builds TDetail from the table named by TMaster's first field + "List" and binds the grid.
    virtual void BuildDetailList(platform::DataGrid& grid);
    virtual bool BeforeSubmit();
    /// "AppName" and TMaster's rows; throws "主单据数据为空！" without a row.
    virtual bool FillSubmitPacket();
    virtual bool ResetSubmitPacket();
    /// The answered TMaster replaces the form's, with its captions.
    virtual bool AfterSubmit();
    virtual void ReportSubmitDone();
    /// The local copy of a client table takes TMaster's rows.
    virtual bool UpdateLocalCopy();
    /// Filters TDetailQuery to the master's lines.
    virtual void QueryDetailOfMaster(TCustomEntity& master);
    /// The text (UTF-8) on the host's message line; nothing for a stand-alone form.
    virtual void ShowStatusText(const std::string& text);
    /// Re-filters TMaster by a picker editor ("sedCode" filters Code).
    virtual void BuildNameCondition(QWidget& editor);
    virtual void AfterMasterFilter(TCustomEntity& master);

    // Panels: the dictionary rows are the selected rows of the registry's TDictField.
    void BuildInputControls(TCustomEntity& dictField, QWidget& panel);
    void PlaceInputControls();
    void LayoutInputPanel(QWidget& panel, controls::TInputControlList& list);
    void BuildQueryControls(TCustomEntity& dictField, QWidget& panel);
    void PlaceQueryControls();
    void LayoutQueryPanel(QWidget& panel, controls::TQueryControlList& list);
    void UncheckQueryControls();
    void ShowMasterValues(std::string_view entityName);
    void ClearPanel(QWidget& panel);
    void FocusFirstInput();
    void TranslateCaptions(QWidget& control);
    void FitPanelHeight(QWidget& panel);
    void SetFormTitle(const std::string& text);

    // Grids.
    void SizeGridColumns(platform::DataGrid& grid);
    void SizeGridColumnsAllRows(platform::DataGrid& grid);
    void StripeGrid(platform::DataGrid& grid);
    /// Up on the first row goes to the last, Down on the last to the first; true when the
    /// key was used so.
    bool WrapGridKeys(int key, platform::DataGrid& grid);
    /// WrapGridKeys for every key the grid receives from now on.
    void InstallGridKeyWrap(platform::DataGrid& grid);
    void CopySelectedRows(platform::DataGrid& grid, TCustomEntity& entity);

    // Values, lookups and status.
    /// Checks the value against the current TDictField row.
    Variant ValidateValue(const Variant& value);
    Variant CollectNewMaster();
    Variant CollectMasterUpdate();
    void FillLookupCombo(controls::TVelComboBox& box, std::string_view table);
    void FillOtherParamCombo(controls::TVelComboBox& box, std::string_view type);
    /// GBK codes in, ObjID text out.
    std::string StatusObjID(std::string_view column, std::string_view state);
    std::string NextStatus(std::string_view type, std::string_view current);
    std::string CreateDateThisMonth(std::string_view prefix) const;
    std::string HappenDateThisMonth(std::string_view prefix) const;
    /// The connection's server becomes that class and is connected; an empty GUID only
    /// shows "没有指定服务器GUID，无法连接服务器！".
    void ConnectServer(const std::string& guid);
    std::shared_ptr<remote::Tveldatadispatch> GetServer();
    /// Sends the form's packet to a method of an application server (class GUID, DispID); on
    /// true the packet holds the reply. Throws "无法建立连接，请检查网络及连接参数" without a
    /// connection, and the call's errors.
    bool CallAppServer(std::string_view classGuid, int32_t method);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    void closeClicked();
    std::vector<DictColumn> selected();
    TCustomEntity& otherParameters();
    void configureInput(const DictColumn& column);
    void choosePicture(QWidget& picture);

    QFrame* m_background = nullptr;
    QFrame* m_titleBand = nullptr;
    QLabel* m_title = nullptr;
    QFrame* m_client = nullptr;
    QFrame* m_bottom = nullptr;
    QFrame* m_bottomLeft = nullptr;
    QFrame* m_bottomMiddle = nullptr;
    QFrame* m_bottomRight = nullptr;
    QPushButton* m_close = nullptr;

    std::string m_formKey;
    std::string m_owner;
    std::unique_ptr<TParamData> m_submitPacket;
    std::unique_ptr<TCustomEntity> m_translations;
    std::unique_ptr<controls::TInputControlList> m_inputs;
    std::unique_ptr<controls::TQueryControlList> m_queries;
    QWidget* m_host = nullptr;
    QLabel* m_messageLine = nullptr;
    QLabel* m_statusLabel = nullptr;
    int m_resultFlag = 0;
};

} // namespace corvo::forms
