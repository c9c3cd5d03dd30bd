#include "TFrmLogin.h"

#include "LocalFiles.h"
#include "LoginMessages.h"
#include "controls/TSafeEdit.h"
#include "controls/skin/TQVButton.h"
#include "controls/skin/TQVCheckBox.h"
#include "controls/skin/TQVProgressBar.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/Guid.h"
#include "entity/ParamNames.h"
#include "password/LoginRequest.h"
#include "platform/Desktop.h"
#include "platform/Modal.h"
#include "platform/QtText.h"
#include "platform/WaitCursor.h"
#include "remote/AppServers.h"
#include "remote/ServerAddress.h"
#include "remote/ServerCall.h"
#include "remote/Tvelwebconnection.h"

#include <QCheckBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <filesystem>

namespace corvo::shell {

namespace {

using platform::fromUtf8;

void declareUserRecord(TClientDataSet& ds)
{
    auto& d = ds.FieldDefs();
    d.Clear();
    d.Add("TUser", FieldType::Guid, 38);
    d.Add("ObjID", FieldType::Guid, 38);
    d.Add("Code", FieldType::String, 30);
    d.Add("Name", FieldType::String, 30);
    d.Add("PassWord", FieldType::String, 20);
    d.Add("LastLogin", FieldType::Integer);
    d.Add("TOrganID", FieldType::Guid, 38);
    d.Add("TOrganCode", FieldType::String, 30);
    d.Add("TOwnerID", FieldType::Guid, 38);
    d.Add("StatusID", FieldType::Guid, 38);
    ds.CreateDataSet();
}

std::string fieldOf(TClientDataSet& ds, std::string_view name)
{
    const int i = ds.FieldIndexOf(name);
    return i < 0 || ds.IsEmpty() ? std::string() : ds.Fields(i).AsString();
}

QLabel* label(QWidget* parent, const char* text, int x, int y)
{
    auto* l = new QLabel(fromUtf8(text), parent);
    l->setGeometry(x, y, 64, 20);
    l->setAttribute(Qt::WA_TranslucentBackground);
    return l;
}

/// The caption names its edit for screen readers and other assistive tools.
void caption(QLabel& label, QWidget& edit)
{
    label.setBuddy(&edit);
    edit.setAccessibleName(label.text());
}

} // namespace

TFrmLogin::TFrmLogin(QWidget* owner)
    : TFrmBase(owner), m_connection(std::make_unique<remote::TIntellegentWebconn>("Webconn")),
      m_packet(std::make_unique<TParamData>(paramkind::Data))
{
    setObjectName(QStringLiteral("FrmLogin"));
    setWindowTitle(fromUtf8("用户登陆"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(471, 280);
    buildControls();
    platform::centreOnScreen(*this);

    // The user record: the saved one gives the codes of the last login.
    if (loadCached("TUserLogin", m_userRecord)) {
        m_userRecord.First();
        m_organCode->setText(platform::fromGbk(fieldOf(m_userRecord, "TOrganCode")));
        m_code->setText(platform::fromGbk(fieldOf(m_userRecord, "Code")));
    } else {
        declareUserRecord(m_userRecord);
    }
    declareLoginRequest(m_request);

    setLanguageColumn("");
    setConnection(m_connection.get());
    setUserRecord(&m_userRecord);

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("tmrLogin"));
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &TFrmLogin::idleTick);
    m_timer->start();
}

TFrmLogin::~TFrmLogin()
{
    delete m_background;
}

void TFrmLogin::buildControls()
{
    QLabel* organCaption = label(this, "公司代码", 170, 84);
    m_organCode = new controls::TSafeEdit(this);
    caption(*organCaption, *m_organCode);
    m_organCode->setObjectName(QStringLiteral("sedTOrganCode"));
    m_organCode->setMaxLength(30);
    m_organCode->setUpperCase(true);
    m_organCode->setGeometry(240, 82, 150, 22);

    QLabel* codeCaption = label(this, "用户代码", 170, 114);
    m_code = new controls::TSafeEdit(this);
    caption(*codeCaption, *m_code);
    m_code->setObjectName(QStringLiteral("sedCode"));
    m_code->setMaxLength(30);
    m_code->setGeometry(240, 112, 150, 22);

    QLabel* passwordCaption = label(this, "密    码", 170, 144);
    m_password = new controls::TSafeEdit(this);
    caption(*passwordCaption, *m_password);
    m_password->setObjectName(QStringLiteral("sedPassWord"));
    m_password->setMaxLength(20);
    m_password->setMasked(true);
    m_password->setGeometry(240, 142, 150, 22);

    m_login = new skin::TQVButton(fromUtf8("登陆"), this);
    m_login->setObjectName(QStringLiteral("mbtLogin"));
    m_login->setGeometry(240, 182, 70, 26);
    m_exit = new skin::TQVButton(fromUtf8("退出"), this);
    m_exit->setObjectName(QStringLiteral("mbtExit"));
    m_exit->setGeometry(320, 182, 70, 26);
    // Enter moves the focus instead (the form sees keys first), so no button is a default.
    m_login->setAutoDefault(false);
    m_exit->setAutoDefault(false);
    connect(m_login, &QPushButton::clicked, this, &TFrmLogin::logIn);
    connect(m_exit, &QPushButton::clicked, this, [this] {
        m_resultFlag = 0;
        reject();
    });

    m_options = new QFrame(this);
    m_options->setObjectName(QStringLiteral("pnlOptions"));
    m_options->setGeometry(12, 74, 150, 140);
    m_options->setFrameShape(QFrame::StyledPanel);
    m_changePassword = new skin::TQVCheckBox(fromUtf8("修改密码"), m_options);
    m_changePassword->setGeometry(8, 6, 130, 20);
    m_saveLogin = new skin::TQVCheckBox(fromUtf8("保存登陆信息"), m_options);
    m_saveLogin->setGeometry(8, 30, 130, 20);
    m_saveLogin->setChecked(true);
    m_newPasswordLabel = label(m_options, "新 密 码", 8, 58);
    m_newPassword = new controls::TSafeEdit(m_options);
    caption(*m_newPasswordLabel, *m_newPassword);
    m_newPassword->setObjectName(QStringLiteral("sedNewPassWord"));
    m_newPassword->setMaxLength(20);
    m_newPassword->setMasked(true);
    m_newPassword->setGeometry(66, 56, 76, 22);
    m_repeatPasswordLabel = label(m_options, "再填一次", 8, 88);
    m_repeatPassword = new controls::TSafeEdit(m_options);
    caption(*m_repeatPasswordLabel, *m_repeatPassword);
    m_repeatPassword->setObjectName(QStringLiteral("sedRepeatPassWord"));
    m_repeatPassword->setMaxLength(20);
    m_repeatPassword->setMasked(true);
    m_repeatPassword->setGeometry(66, 86, 76, 22);
    for (QWidget* w :
         {static_cast<QWidget*>(m_newPasswordLabel), static_cast<QWidget*>(m_newPassword),
          static_cast<QWidget*>(m_repeatPasswordLabel), static_cast<QWidget*>(m_repeatPassword)})
        w->setEnabled(false);
    connect(m_changePassword, &QCheckBox::toggled, this, &TFrmLogin::onChangePassword);
    m_options->hide();

    m_toggle = new QPushButton(QStringLiteral("<<"), this);
    m_toggle->setObjectName(QStringLiteral("btnOptions"));
    m_toggle->setFlat(true);
    m_toggle->setAutoDefault(false);
    m_toggle->setGeometry(396, 142, 26, 22);
    m_toggle->hide();
    connect(m_toggle, &QPushButton::clicked, this, &TFrmLogin::toggleOptions);

    m_progress = new skin::TQVProgressBar(this);
    m_progress->setObjectName(QStringLiteral("mpbLogin"));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_progress->setGeometry(0, 270, 471, 10);

    setTabOrder(m_organCode, m_code);
    setTabOrder(m_code, m_password);
    setTabOrder(m_password, m_login);
    setTabOrder(m_login, m_exit);
    setTabOrder(m_exit, m_changePassword);
    setTabOrder(m_changePassword, m_saveLogin);
    setTabOrder(m_saveLogin, m_newPassword);
    setTabOrder(m_newPassword, m_repeatPassword);
    setTabOrder(m_repeatPassword, m_toggle);

    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

void TFrmLogin::showEvent(QShowEvent* event)
{
    TFrmBase::showEvent(event);
    setLanguageColumn("Name");
    if (!m_organCode->text().isEmpty()) m_password->setFocus();
}

bool TFrmLogin::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
    }
    return TFrmBase::eventFilter(watched, event);
}

void TFrmLogin::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!m_background) {
        m_background = new QPixmap();
        try {
            if (!LoadBitmap("Login.bmp", *m_background)) *m_background = QPixmap();
        } catch (const std::exception& e) {
            // A damaged picture is a missing one: the form draws its own background.
            qWarning("%s", e.what());
            *m_background = QPixmap();
        }
    }
    if (!m_background->isNull()) {
        p.drawPixmap(rect(), *m_background);
        return;
    }
    QLinearGradient sky(0, 0, 0, height());
    sky.setColorAt(0, QColor(58, 110, 165));
    sky.setColorAt(0.35, QColor(214, 228, 242));
    sky.setColorAt(1, QColor(244, 247, 251));
    p.fillRect(rect(), sky);
    p.setPen(Qt::white);
    QFont title = font();
    title.setPointSize(20);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRect(24, 14, 300, 40), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Corvo"));
    QFont sub = font();
    sub.setPointSize(10);
    p.setFont(sub);
    p.drawText(QRect(26, 48, 400, 20), Qt::AlignLeft | Qt::AlignVCenter,
               fromUtf8("零售连锁与批发业务管理系统"));
    p.setPen(QColor(160, 176, 196));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TFrmLogin::idleTick()
{
    m_progress->setValue(m_progress->value() + 1);
    if (m_progress->value() >= IdleTicks) {
        m_timer->stop();
        platform::terminateProcess(0);
    }
}

void TFrmLogin::toggleOptions()
{
    m_options->setVisible(m_options->isHidden());
    m_toggle->setText(m_options->isHidden() ? QStringLiteral("<<") : QStringLiteral(">>"));
}

void TFrmLogin::onChangePassword(bool checked)
{
    for (QWidget* w :
         {static_cast<QWidget*>(m_newPasswordLabel), static_cast<QWidget*>(m_newPassword),
          static_cast<QWidget*>(m_repeatPasswordLabel), static_cast<QWidget*>(m_repeatPassword)})
        w->setEnabled(checked);
    if (checked) {
        m_newPassword->setFocus();
    } else {
        if (!m_newPassword->text().isEmpty()) m_newPassword->clear();
        if (!m_repeatPassword->text().isEmpty()) m_repeatPassword->clear();
    }
}

void TFrmLogin::buildRequest()
{
    m_request.EmptyDataSet();
    if (m_organCode->text().isEmpty()) throw Error("请先输入公司代码再登陆，谢谢。");
    if (m_code->text().isEmpty()) throw Error("请先输入用户代码再登陆，谢谢");
    const bool changing = m_changePassword->isChecked();
    if (changing && m_newPassword->text() != m_repeatPassword->text())
        throw Error("请再次确认新密码，谢谢！");
    fillLoginRequest(m_request, platform::toGbk(m_organCode->text()),
                     platform::toGbk(m_code->text()), platform::toGbk(m_password->text()),
                     changing ? platform::toGbk(m_newPassword->text()) : std::string());
}

void TFrmLogin::logIn()
{
    m_resultFlag = 0;
    if (!LocalFileExists("Set.dll")) {
        ShowError("由于配置文件被删除，系统无法运行，请重新安装本软件，谢谢！");
        platform::terminateProcess(1);
        return;
    }
    try {
        buildRequest();
        if (!LocalFileExists("IP.dll")) {
            ShowError("系统不能找到服务器，请重新安装本软件，谢谢！");
            platform::terminateProcess(1);
            return;
        }
        LoadLocalFile("IP.dll", m_ipFile);
        m_ipFile.First();
        const std::string ip = gbk::toUtf8(fieldOf(m_ipFile, "IP"));
        m_connection->setUrls(remote::serverUrls(ip));
        // An https server signed by a CA of the company's own: the CA setup wrote beside it.
        if (const std::string ca = fieldOf(m_ipFile, "CAFile"); !ca.empty())
            m_connection->setCaFile(gbk::toUtf8(ca));
        callLogin();
    } catch (const std::exception& e) {
        ShowError(e.what());
        return;
    }
    m_resultFlag = 1;
    accept();
}

void TFrmLogin::callLogin()
{
    const std::string typedOrgan = platform::toGbk(m_organCode->text());
    const std::string typedUser = platform::toGbk(m_code->text());
    m_packet->EmptyDataSet();
    m_packet->SetParamValue(param::AppName, Variant(param::AppNameValue));
    m_packet->SetParamData("MLogin", m_request.Data());
    if (typedOrgan == fieldOf(m_userRecord, "TOrganCode")) {
        // Sent only as a pair; a damaged copy is left to the server to send afresh.
        TCustomEntity tables, fields;
        if (loadCached("TDictTable", tables) && loadCached("TDictField", fields)) {
            registry().EntityByName("TDictTable").SetData(tables.Data());
            registry().EntityByName("TDictField").SetData(fields.Data());
            m_packet->SetParamData("TDictTable", tables.Data());
            m_packet->SetParamData("TDictField", fields.Data());
        }
    }

    platform::WaitCursor wait;
    m_connection->setServerGUID(std::string(remote::appserver::Login));
    bool called = false;
    try {
        m_connection->ConnectWithFailover();
        called = remote::CallServer(*m_connection, remote::appserver::Login,
                                    remote::appserver::login::Login, *m_packet);
    } catch (const std::exception& e) {
        // The user reads the short Chinese text; the log keeps the HTTP library's own words.
        if (!m_connection->lastTransportFailure().empty())
            qWarning("%s: %s", e.what(), m_connection->lastTransportFailure().c_str());
        throw;
    }
    if (!called) throw Error("无法建立连接，请检查网络及连接参数");
    // Logged in: reading the messages below must not run into the idle countdown.
    m_timer->stop();

    if (m_packet->ParamExists("BeginDate"))
        m_beginDate = gbk::toUtf8(m_packet->GetParamValue("BeginDate").toText());
    if (m_packet->ParamExists("EndDate"))
        m_endDate = gbk::toUtf8(m_packet->GetParamValue("EndDate").toText());
    if (m_packet->ParamExists("TUser")) {
        m_userRecord.SetData(m_packet->GetParamData("TUser"));
        m_userRecord.KeepEqual("Code", typedUser);
        if (m_saveLogin->isChecked()) SaveLocalFile("TUserLogin", m_userRecord);
    }
    m_packet->DeleteParam("BeginDate");
    m_packet->DeleteParam("EndDate");
    registry().LoadDictionary(*m_packet);
    registry().LoadOtherEntities(*m_packet);

    if (m_packet->ParamExists("TMessage")) {
        TCustomEntity fresh;
        fresh.SetData(m_packet->GetParamData("TMessage"));
        bool anyNew = false;
        TCustomEntity previous;
        if (!loadCached("TMessage", previous)) {
            SaveLocalFile("TMessage", fresh);
            anyNew = !fresh.IsEmpty();
        } else {
            anyNew = keepNewMessages(fresh, &previous);
        }
        if (anyNew) ShowInformation(this, messageText(fresh));
    }
    cacheReply();
    registry().LanguageColumn = "Name";
}

bool TFrmLogin::loadCached(const std::string& name, TClientDataSet& dataSet)
{
    try {
        return LoadLocalFile(name, dataSet);
    } catch (const std::exception& e) {
        // A cache the login rewrites anyway: damaged, it counts as missing.
        qWarning("%s", e.what());
        return false;
    }
}

void TFrmLogin::cacheReply()
{
    std::error_code ec;
    std::filesystem::create_directories(dataDir(), ec);
    if (ec || !std::filesystem::is_directory(dataDir()))
        throw Error("不能创建目录：" + appDir() + "Data");
    for (m_packet->First(); !m_packet->Eof(); m_packet->Next()) {
        const std::string name = gbk::toUtf8(m_packet->FieldByName("Name").AsString());
        if (gbk::equalsIgnoreCase(name, "MLogin")) continue;
        // A row name becomes a file name: nothing may lead out of the data directory.
        if (name.empty() || name == "." || name == ".." ||
            name.find_first_of("/\\") != std::string::npos)
            throw Error("服务器返回了无效的数据集名称：" + name);
        const Variant data = m_packet->CurrentParamData();
        if (data.type() != Variant::Type::Bytes || data.asBytes().empty()) continue;
        // The row holds the dataset's own data packet: it is written as it came.
        writeLocalFile(dataDir() + name, data.asBytes());
    }
}

} // namespace corvo::shell
