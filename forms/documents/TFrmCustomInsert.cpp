#include "TFrmCustomInsert.h"

#include "controls/TInputControlList.h"
#include "entity/EntityHelpers.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "internal/EntryForms.h"
#include "password/EncodePassword.h"
#include "remote/AppServers.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QResizeEvent>

namespace corvo::forms {

TFrmCustomInsert::TFrmCustomInsert(QWidget* owner) : TFrmQuery(owner)
{
    setObjectName(QStringLiteral("FrmCustomInsert"));
    m_insert = internal::makeButton(&pnlBottomLeft(), "mbtInsert", "新建");
    m_insert->move(8, 6);
    auto* middle = new QHBoxLayout(&pnlBottomMiddle());
    middle->setContentsMargins(4, 5, 0, 6);
    middle->addStretch(1);
    m_submit = internal::makeButton(&pnlBottomMiddle(), "mbtSubmit", "保存");
    middle->addWidget(m_submit);
    connect(m_submit, &QPushButton::clicked, this, [this] { SubmitClicked(); });
    connect(m_insert, &QPushButton::clicked, this, [this] { InsertClicked(); });
}

TFrmCustomInsert::~TFrmCustomInsert() = default;

void TFrmCustomInsert::showEvent(QShowEvent* event)
{
    TFrmQuery::showEvent(event);
    internal::showFirstTime(*this, m_shown, [this] { FormShow(); });
}

void TFrmCustomInsert::FormShow() {}

void TFrmCustomInsert::resizeEvent(QResizeEvent* event)
{
    TFrmQuery::resizeEvent(event);
    if (m_layoutReady && inputControls() && inputControls()->HasControls())
        LayoutInputPanel(pnlClient(), *inputControls());
}

bool TFrmCustomInsert::RunSubmit()
{
    return internal::runGuardedSave(*this, [this] {
        if (!BeforeSubmit()) return false;
        keepObjIDForRetry();
        FillSubmitPacket();
        if (!CallSubmitServer()) {
            ShowStatusText("数据新增失败，请稍后重试。");
            return false;
        }
        m_retryObjID.clear();
        UpdateLocalCopy();
        AfterSubmit();
        return true;
    });
}

void TFrmCustomInsert::keepObjIDForRetry()
{
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    if (!master.Active() || master.IsEmpty() || !master.FindField("ObjID")) return;
    master.First();
    if (m_retryObjID.empty())
        m_retryObjID = GetObjID(master);
    else
        master.EditField("ObjID", m_retryObjID);
}

bool TFrmCustomInsert::CallSubmitServer()
{
    return CallAppServer(remote::appserver::Insert, remote::appserver::insert::Single);
}

bool TFrmCustomInsert::AfterSubmit()
{
    m_submit->setEnabled(false);
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    if (!master.FindField("Code")) return true;
    // An automatically coded table learns its code from the reply only.
    std::string code = internal::answeredField(*this, "TMaster", "Code");
    if (code.empty()) code = GetCode(master);
    ShowStatusText("数据新增完成，代码为：" + gbk::display(code));
    return true;
}

void TFrmCustomInsert::SubmitClicked()
{
    if (RunSubmit()) m_insert->setFocus(Qt::OtherFocusReason);
}

void TFrmCustomInsert::InsertClicked()
{
    try {
        ResetSubmitPacket();
    } catch (const std::exception& e) {
        ShowStatusText(e.what());
    }
    m_retryObjID.clear();
    m_submit->setEnabled(true);
    if (inputControls() && inputControls()->HasControls()) FocusFirstInput();
}

// ---------------------------------------------------------------------------------------

TFrmInsert::TFrmInsert(QWidget* owner) : TFrmCustomInsert(owner)
{
    setObjectName(QStringLiteral("FrmInsert"));
}

TFrmInsert::~TFrmInsert() = default;

void TFrmInsert::FormShow()
{
    TFrmCustomInsert::FormShow();
    setLayoutReady(false);
    if (gbk::equalsIgnoreCase(internal::masterTable(registry()), "TUser")) {
        registry().AddEntities({"TUser", "TModule"});
        LoadLocalFile("TUser", registry().EntityByName("TUser"));
        TCustomEntity& modules = registry().EntityByName("TModule");
        LoadLocalFile("TModule", modules);
        // The rights list offers single modules, never their groups.
        if (modules.Active() && modules.FindField("IsGroup")) modules.FilterEqual("IsGroup", "0");
        registry().BuildEntity("TUserModule", "TUserModule");
    }
    registry().SelectMasterFields();
    BuildInputControls(registry().EntityByName(param::TDictField), pnlClient());
    if (inputControls() && inputControls()->HasControls())
        LayoutInputPanel(pnlClient(), *inputControls());
    setLayoutReady(true);
    TranslateCaptions(*this);
    FocusFirstInput();
}

std::string TFrmInsert::EncodeUserPassword(const std::string& userCode, const std::string& password)
{
    return EncodePassword(userCode, password);
}

bool TFrmInsert::BeforeSubmit()
{
    TFrmCustomInsert::BeforeSubmit();
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    master.SetData(CollectNewMaster());
    const std::string autoCoding = internal::tableFlag(registry(), "IsAutoCoding");
    if (!autoCoding.empty() && autoCoding != "0")
        ShowStatusText("请稍候，正在向服务器新增单据……");
    else
        ShowStatusText("请稍候，正在新增数据“" +
                       gbk::display(master.FindField("Code") ? GetCode(master) : "") + "”……");
    return true;
}

bool TFrmInsert::FillSubmitPacket()
{
    return TFrmCustomInsert::FillSubmitPacket();
}

bool TFrmInsert::ResetSubmitPacket()
{
    submitPacket().EmptyDataSet();
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    if (master.Active()) master.EmptyDataSet();
    ClearPanel(pnlClient());
    return true;
}

} // namespace corvo::forms
