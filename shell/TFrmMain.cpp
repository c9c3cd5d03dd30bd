#include "TFrmMain.h"

#include "GroupPage.h"
#include "ModuleForms.h"
#include "ModuleTree.h"
#include "controls/skin/TQVForm.h"
#include "entity/EntityHelpers.h"
#include "entity/Gbk.h"
#include "platform/Desktop.h"
#include "platform/QtText.h"
#include "platform/WaitCursor.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvo::shell {
namespace {

constexpr int TitleBandHeight = 85;
constexpr int NavigationWidth = 200;
constexpr int CollapsedTreeWidth = 20;
const QColor Navy(0, 0, 128);
const QColor Red(255, 0, 0);

QString q(const std::string& gbk)
{
    return platform::fromGbk(gbk);
}

// Texts shown one character a line, as on the narrow strip beside the tree.
QString vertical(const QString& text)
{
    QStringList lines;
    for (QChar c : text)
        if (!c.isSpace()) lines << QString(c);
    return lines.join(QLatin1Char('\n'));
}

struct Operation {
    const char* button;
    const char* caption;
    const char* picture; ///< nullptr: none
};
constexpr Operation Operations[] = {
    {"sbtCustomNew", "新增", nullptr},
    {"sbtCustomVerify", "审核", "imgCustomVerify"},
    {"sbtCustomEdit", "修改", "imgCustomEdit"},
    {"sbtCustomQuery", "查询", "imgCustomQuery"},
    {"sbtCustomInvalid", "作废", "imgCustomInvalid"},
};

} // namespace

bool MessageLine::event(QEvent* event)
{
    if (event->type() == platform::MessageChangedEvent::eventType()) {
        emit textWritten();
        return true;
    }
    if (event->type() == QEvent::ToolTip || event->type() == QEvent::Enter) {
        QStringList lines;
        for (const QString& line : text().split(QLatin1Char('\n')))
            if (!line.trimmed().isEmpty()) lines << line.trimmed();
        setToolTip(lines.join(QLatin1Char(' ')));
    }
    return QLabel::event(event);
}

TFrmMain::TFrmMain(QWidget* owner, ModuleForms* forms)
    : TFrmBase(owner), m_forms(forms), m_groups(std::make_unique<TCustomEntity>()),
      m_rights(std::make_unique<TCustomEntity>())
{
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(QStringLiteral("Corvo"));
    setWindowFlags(Qt::Window);
    buildLayout();
    LoadLocalFile("TModuleGroup", *m_groups);
    LoadLocalFile("TUserModule", *m_rights);
    collectButtons();
    m_msgTimer = new QTimer(this);
    m_msgTimer->setInterval(30000);
    connect(m_msgTimer, &QTimer::timeout, this, [this] {
        m_msgTimer->stop();
        m_message->setText(q(m_standing));
        applyMessageFont();
    });
    m_flashTimer = new QTimer(this);
    m_flashTimer->setInterval(200);
    connect(m_flashTimer, &QTimer::timeout, this, &TFrmMain::flashTick);
    m_treeTimer = new QTimer(this);
    m_treeTimer->setInterval(3000);
    connect(m_message, &MessageLine::textWritten, this, &TFrmMain::messageWritten);
    // The window sees keys before its controls do.
    qApp->installEventFilter(this);
    // Without a window manager nobody maximises the window: it starts as large as the screen.
    setGeometry(screen()->availableGeometry());
    setWindowState(windowState() | Qt::WindowMaximized);
}

// Module forms are parented to their pages; they go before the window's own parts.
TFrmMain::~TFrmMain()
{
    for (Open& open : m_open)
        delete open.form;
}

void TFrmMain::buildLayout()
{
    // The painted frame holds the window's content on its client panel.
    auto* back = new QFrame(this);
    back->setObjectName(QStringLiteral("pnlBack"));
    m_frame = new skin::TQVForm(this);
    m_frame->setSkinStyle(skin::TQVForm::xsLuna);
    m_frame->setDrawIcon(true);
    m_frame->setClientPanel(back);
    auto* column = new QVBoxLayout(back);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* band = new QFrame(this);
    band->setObjectName(QStringLiteral("pnlTitle"));
    band->setFixedHeight(TitleBandHeight);
    auto* bandLayout = new QHBoxLayout(band);
    m_message = new MessageLine(band);
    m_message->setObjectName(QStringLiteral("memMsg"));
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setWordWrap(true);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette navy = m_message->palette();
    navy.setColor(QPalette::WindowText, Navy);
    m_message->setPalette(navy);
    bandLayout->addWidget(m_message);
    column->addWidget(band);

    auto* middle = new QHBoxLayout();
    middle->setSpacing(0);
    auto* strip = new QFrame(this);
    strip->setFixedWidth(22);
    auto* stripLayout = new QVBoxLayout(strip);
    stripLayout->setContentsMargins(0, 0, 0, 0);
    m_toggle = new QPushButton(strip);
    m_toggle->setObjectName(QStringLiteral("btnToggleTree"));
    m_toggle->setProperty("caption", QStringLiteral("隐藏导航树"));
    m_toggle->setText(vertical(QStringLiteral("隐藏导航树")));
    m_toggle->setFlat(true);
    m_toggle->setFocusPolicy(Qt::NoFocus);
    connect(m_toggle, &QPushButton::clicked, this, &TFrmMain::ToggleNavigation);
    m_help = new QPushButton(QStringLiteral("？"), strip);
    m_help->setObjectName(QStringLiteral("btnHelp"));
    m_help->setToolTip(QStringLiteral("要看看操作手册吗"));
    m_help->setFocusPolicy(Qt::NoFocus);
    connect(m_help, &QPushButton::clicked, this, [this] { OpenModule(gbk::fromUtf8("操作手册")); });
    stripLayout->addWidget(m_toggle, 1);
    stripLayout->addWidget(m_help);
    middle->addWidget(strip);

    m_navigation = new QFrame(this);
    m_navigation->setObjectName(QStringLiteral("pnlTree"));
    m_navigation->setMinimumWidth(1);
    m_navigation->setMaximumWidth(NavigationWidth);
    m_navigation->setFixedWidth(NavigationWidth);
    auto* navigation = new QVBoxLayout(m_navigation);
    navigation->setContentsMargins(0, 0, 0, 0);
    auto* header = new QHBoxLayout();
    header->addWidget(new QLabel(QStringLiteral("模块导航树"), m_navigation), 1);
    auto* expand = new QPushButton(QStringLiteral("++"), m_navigation);
    auto* collapse = new QPushButton(QStringLiteral("--"), m_navigation);
    for (QPushButton* b : {expand, collapse}) {
        b->setFixedWidth(28);
        b->setFocusPolicy(Qt::NoFocus);
        header->addWidget(b);
    }
    navigation->addLayout(header);
    m_tree = new QTreeWidget(m_navigation);
    m_tree->setObjectName(QStringLiteral("trvMain"));
    m_tree->setHeaderHidden(true);
    m_tree->setIndentation(20);
    m_tree->setMouseTracking(true);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->viewport()->installEventFilter(this);
    navigation->addWidget(m_tree, 1);
    connect(expand, &QPushButton::clicked, m_tree, &QTreeWidget::expandAll);
    connect(collapse, &QPushButton::clicked, m_tree, &QTreeWidget::collapseAll);
    connect(m_tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        if (item && item->parent()) SelectModuleOrGroup(platform::toGbk(item->text(0)));
    });
    middle->addWidget(m_navigation);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("pgcMain"));
    m_rootPages = new QStackedWidget();
    m_homePage = new QFrame();
    m_homePage->setObjectName(QStringLiteral("pnlHome"));
    auto* home = new QVBoxLayout(m_homePage);
    m_organName = new QLabel(m_homePage);
    m_organName->setObjectName(QStringLiteral("lblOrganName"));
    m_organName->setAlignment(Qt::AlignCenter);
    QFont big = m_organName->font();
    big.setPixelSize(28);
    m_organName->setFont(big);
    home->addWidget(m_organName);
    m_groupPage = new QFrame();
    m_groupPage->setObjectName(QStringLiteral("pnlGroup"));
    m_groupTitle = new QLabel(m_groupPage);
    m_groupTitle->setObjectName(QStringLiteral("mlbCustomTitle"));
    m_groupTitle->setGeometry(40, 20, 500, 40);
    QFont titleFont = m_groupTitle->font();
    titleFont.setPixelSize(24);
    m_groupTitle->setFont(titleFont);
    // The flow chart: new, then verify, edit and query, and invalidate at the end.
    const QPoint places[] = {{60, 120}, {260, 80}, {260, 160}, {460, 120}, {660, 120}};
    for (std::size_t i = 0; i < std::size(Operations); ++i) {
        auto* b = new QPushButton(QString::fromUtf8(Operations[i].caption), m_groupPage);
        b->setObjectName(QString::fromLatin1(Operations[i].button));
        b->setFlat(true);
        b->setGeometry(places[i].x(), places[i].y(), 150, 40);
        if (Operations[i].picture) {
            auto* picture = new QLabel(m_groupPage);
            picture->setObjectName(QString::fromLatin1(Operations[i].picture));
            picture->setGeometry(places[i].x() - 36, places[i].y() + 4, 32, 32);
            picture->setPixmap(style()->standardIcon(QStyle::SP_FileIcon).pixmap(32));
        }
    }
    auto* homeButton = new QPushButton(m_groupPage);
    homeButton->setObjectName(QStringLiteral("sbtHome"));
    homeButton->setFlat(true);
    homeButton->hide();
    m_rootPages->addWidget(m_homePage);
    m_rootPages->addWidget(m_groupPage);
    m_pages->addTab(m_rootPages, QStringLiteral("系统"));
    middle->addWidget(m_pages, 1);
    column->addLayout(middle, 1);

    auto* bottom = new QFrame(this);
    bottom->setFixedHeight(24);
    auto* bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->setContentsMargins(6, 0, 6, 0);
    m_status = new QLabel(bottom);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    bottomLayout->addWidget(m_status);
    column->addWidget(bottom);

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("sbrMain"));
    m_statusBar->setSizeGripEnabled(false);
    const int widths[] = {200, 70, 80, 80, 50};
    for (std::size_t i = 0; i < m_panelsText.size(); ++i) {
        m_panelsText[i] = new QLabel(m_statusBar);
        m_panelsText[i]->setObjectName(QStringLiteral("panel%1").arg(i));
        m_panelsText[i]->setMinimumWidth(widths[i]);
        if (i == 1) m_panelsText[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_statusBar->addWidget(m_panelsText[i]);
    }
    m_statusBar->hide();
    column->addWidget(m_statusBar);
}

void TFrmMain::collectButtons()
{
    for (QWidget* panel : {m_homePage, m_groupPage})
        m_panels.add(*panel);
    for (QWidget* panel : {m_homePage, m_groupPage})
        for (QPushButton* button : panel->findChildren<QPushButton*>())
            m_buttons.add(*button);
}

QWidget* TFrmMain::control(const char* objectName) const
{
    return m_groupPage->findChild<QWidget*>(QString::fromLatin1(objectName));
}

void TFrmMain::setPanelText(int panel, const std::string& text)
{
    if (panel < 0 || panel > 3) return;
    m_panelsText[static_cast<std::size_t>(panel)]->setText(platform::fromUtf8(text));
}

std::string TFrmMain::panelText(int panel) const
{
    if (panel < 0 || panel > 3) return {};
    return m_panelsText[static_cast<std::size_t>(panel)]->text().toStdString();
}

void TFrmMain::showEvent(QShowEvent* event)
{
    TFrmBase::showEvent(event);
    if (m_shown) return;
    m_shown = true;
    try {
        firstShow();
    } catch (const std::exception& e) {
        ShowError(e.what());
    }
}

std::string TFrmMain::captionOf(TCustomEntity& module)
{
    const std::string& language = registry().LanguageColumn;
    return module.FindField(language) ? module.FieldByName(language).AsString() : GetName(module);
}

void TFrmMain::firstShow()
{
    registry().AddEntities({"TModule", "TModuleGroup"});
    LoadLocalFile("TModule", registry().EntityByName("TModule"));
    LoadLocalFile("TModuleGroup", registry().EntityByName("TModuleGroup"));
    TCustomEntity* user = userRecord();
    const std::string userId = user && user->Active() ? GetObjID(*user) : std::string();
    if (m_rights->Active()) m_rights->FilterEqual("TUserID", userId);

    for (m_buttons.first(); !m_buttons.eof(); m_buttons.next()) {
        auto* button = qobject_cast<QPushButton*>(m_buttons.current());
        if (!button) continue;
        connect(button, &QPushButton::clicked, this,
                [this, button] { SelectModuleOrGroup(platform::toGbk(button->text().trimmed())); });
        const QString caption = button->text().trimmed();
        static const QStringList inOut = {QStringLiteral("采购入库"), QStringLiteral("领料单"),
                                          QStringLiteral("退料单"), QStringLiteral("内部入库"),
                                          QStringLiteral("内部出库")};
        QPixmap glyph;
        if (!caption.isEmpty() &&
            LoadBitmap(
                platform::toGbk(inOut.contains(caption) ? QStringLiteral("出入库") : caption),
                glyph))
            button->setIcon(QIcon(glyph));
    }
    applyGroupRights();
    m_navigation->setFixedWidth(NavigationWidth);

    registry().AddEntities({"TMaster", "TOrgan", "TMessage"});
    TCustomEntity& organs = registry().EntityByName("TOrgan");
    LoadLocalFile("TOrgan", organs);
    std::string organCode, organName;
    if (organs.Active() && !organs.IsEmpty()) {
        organs.SortAsc("Code", "");
        const std::string organId =
            user && user->FindField("TOrganID") ? user->FieldByName("TOrganID").AsString() : "";
        if (organs.FindRecord("ObjID", organId)) {
            organCode = GetCode(organs);
            organName = GetName(organs);
            m_standing = organs.FindField("Spec2") ? organs.FieldByName("Spec2").AsString() : "";
        }
    }
    const std::string userCode = user && user->Active() ? GetCode(*user) : "";
    const std::string userName = user && user->Active() ? GetName(*user) : "";
    m_status->setText(platform::fromUtf8(
        "当前用户：" + gbk::toUtf8(userCode) + "  " + gbk::toUtf8(userName) + "    " +
        "当前企业：" + gbk::toUtf8(organCode) + "  " + gbk::toUtf8(organName) + "    "));
    m_organName->setText(q(organName));
    m_message->setText(q(m_standing));
    applyMessageFont();
    // Last: a tree the stored groups cannot make ("非法的模块组ID") leaves the buttons and
    // the status line working.
    buildTree();
    if (m_tree->topLevelItemCount() > 0) m_tree->topLevelItem(0)->setExpanded(true);
    m_tree->setFocus();
}

void TFrmMain::buildTree()
{
    m_tree->clear();
    TCustomEntity& modules = registry().EntityByName("TModule");
    LoadLocalFile("TModule", modules);
    TCustomEntity& groups = registry().EntityByName("TModuleGroup");
    LoadLocalFile("TModuleGroup", groups);
    TCustomEntity all;
    all.CopyFrom(modules);
    if (!modules.Active() || !groups.Active() || !m_rights->Active()) return;
    const std::vector<ModuleNode> nodes =
        BuildModuleTree(modules, all, groups, *m_rights, registry().LanguageColumn);
    const QIcon groupIcon = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon moduleIcon = style()->standardIcon(QStyle::SP_FileIcon);
    for (const ModuleNode& node : nodes) {
        QTreeWidgetItem* parent = node.parent.empty() ? nullptr : nodeOf(node.parent);
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_tree);
        item->setText(0, q(node.caption));
        item->setIcon(0, node.group ? groupIcon : moduleIcon);
    }
}

QTreeWidgetItem* TFrmMain::nodeOf(const std::string& caption) const
{
    const QList<QTreeWidgetItem*> found =
        m_tree->findItems(q(caption), Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.front();
}

void TFrmMain::applyGroupRights()
{
    TCustomEntity& modules = registry().EntityByName("TModule");
    TCustomEntity& groups = registry().EntityByName("TModuleGroup");
    for (m_buttons.first(); !m_buttons.eof(); m_buttons.next()) {
        auto* button = qobject_cast<QPushButton*>(m_buttons.current());
        if (!button || button->objectName() == QLatin1String("sbtHome")) continue;
        const std::string caption = platform::toGbk(button->text().trimmed());
        bool enabled = caption.empty();
        if (!enabled && modules.Active()) {
            modules.ClearFilter();
            if (modules.FindRecord("Name", caption)) {
                button->setText(q(captionOf(modules)));
                enabled = m_rights->Active() && HoldsModule(GetObjID(modules), groups, *m_rights);
            }
        }
        button->setEnabled(enabled);
    }
}

void TFrmMain::SelectModuleOrGroup(const std::string& caption)
{
    if (caption.empty()) {
        m_rootPages->setCurrentWidget(m_homePage);
        m_pages->setCurrentIndex(0);
        return;
    }
    TCustomEntity& modules = registry().EntityByName("TModule");
    if (!modules.Active()) return;
    modules.ClearFilter();
    const std::string& language = registry().LanguageColumn;
    const bool found = modules.FindField(language) && modules.FindRecord(language, caption);
    if (found && modules.FindField("IsGroup") && modules.FieldByName("IsGroup").AsString() == "0") {
        OpenModule(caption);
        return;
    }
    const std::string group = gbk::toUtf8(found ? GetName(modules) : caption);
    auto exists = [&modules](const std::string& name) {
        return modules.FindRecord("Name", gbk::fromUtf8(name));
    };
    const GroupPage page = groupPageFor(group, exists);
    m_groupTitle->setText(platform::fromUtf8(page.title));
    auto set = [this](const char* name, const std::string& caption, bool shown) {
        auto* button = qobject_cast<QPushButton*>(control(name));
        if (!button) return;
        button->setText(platform::fromUtf8(caption));
        button->setVisible(shown);
    };
    auto picture = [this](const char* name, bool shown) {
        if (QWidget* p = control(name)) p->setVisible(shown);
    };
    set("sbtCustomNew", page.newCaption, page.newShown);
    set("sbtCustomVerify", page.verifyCaption, page.verifyShown);
    picture("imgCustomVerify", page.verifyShown);
    set("sbtCustomEdit", page.editCaption, page.editShown);
    picture("imgCustomEdit", page.editPictureShown);
    set("sbtCustomQuery", page.queryCaption, page.queryShown);
    picture("imgCustomQuery", page.queryPictureShown);
    set("sbtCustomInvalid", page.invalidCaption, page.invalidShown);
    picture("imgCustomInvalid", page.invalidShown);
    applyGroupRights();
    m_rootPages->setCurrentWidget(m_groupPage);
    m_pages->setCurrentIndex(0);
}

bool TFrmMain::IsModuleOpen(const std::string& caption) const
{
    return moduleForm(caption) != nullptr;
}

TFrmBase* TFrmMain::moduleForm(const std::string& caption) const
{
    for (const Open& open : m_open)
        if (open.form && open.caption == caption) return open.form;
    return nullptr;
}

std::vector<std::string> TFrmMain::openModules() const
{
    std::vector<std::string> out;
    for (int i = 1; i < m_pages->count(); ++i)
        for (const Open& open : m_open)
            if (open.form && open.page == m_pages->widget(i)) out.push_back(open.caption);
    return out;
}

void TFrmMain::ActivateModule(const std::string& caption)
{
    for (const Open& open : m_open)
        if (open.form && open.caption == caption) {
            m_pages->setCurrentWidget(open.page);
            return;
        }
    m_pages->setCurrentIndex(0);
}

void TFrmMain::OpenModule(const std::string& caption)
{
    platform::showWaitCursor();
    m_tree->setEnabled(false);
    const auto restore = qScopeGuard([this] {
        m_tree->setEnabled(true);
        platform::showDefaultCursor();
    });
    TCustomEntity& modules = registry().EntityByName("TModule");
    if (!modules.Active()) return;
    modules.ClearFilter();
    const std::string& language = registry().LanguageColumn;
    if (!modules.FindField(language) ||
        !modules.Locate(language, Variant(caption), loCaseInsensitive))
        return;
    const std::string shown = captionOf(modules);
    if (IsModuleOpen(shown)) {
        ActivateModule(shown);
        return;
    }
    if (openModules().size() >= MaxOpenModules && !askToClose()) return;
    modules.Locate(language, Variant(caption), loCaseInsensitive);
    createModule(modules, shown);
}

bool TFrmMain::createModule(TCustomEntity& module, const std::string& caption)
{
    if (!m_forms) return false;
    TFrmBase* form = nullptr;
    QWidget* page = nullptr;
    try {
        const std::string className = GetCode(module);
        const std::string table =
            module.FindField("TMasterName") ? module.FieldByName("TMasterName").AsString() : "";
        const std::string title =
            module.FindField("ListLinkCode") ? module.FieldByName("ListLinkCode").AsString() : "";
        form = m_forms->create(className, *this);
        if (!form) return false;
        form->registry().LanguageColumn = registry().LanguageColumn;
        m_forms->prepare(*form, caption, table, gbk::toUtf8(title), m_message, m_status);
        page = new QWidget();
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(0, 0, 0, 0);
        form->setParent(page, Qt::Widget);
        layout->addWidget(form);
        m_open.push_back({caption, form, page});
        m_pages->addTab(page, q(caption));
        m_pages->setCurrentWidget(page);
        form->show();
        return true;
    } catch (...) {
        // Whatever goes wrong while a module is made, no page is left behind.
        for (Open& open : m_open)
            if (open.form == form) open.form = nullptr;
        delete form;
        if (page) {
            m_pages->removeTab(m_pages->indexOf(page));
            delete page;
        }
        return false;
    }
}

void TFrmMain::CloseModule(const std::string& caption)
{
    for (Open& open : m_open) {
        if (!open.form || open.caption != caption) continue;
        TFrmBase* form = open.form;
        QWidget* page = open.page;
        open.form = nullptr;
        open.page = nullptr;
        m_pages->removeTab(m_pages->indexOf(page));
        delete form;
        delete page;
        return;
    }
}

void TFrmMain::CloseActiveModule()
{
    QWidget* active = m_pages->currentWidget();
    for (const Open& open : m_open)
        if (open.form && open.page == active) {
            CloseModule(std::string(open.caption));
            break;
        }
    const std::vector<std::string> remaining = openModules();
    if (!remaining.empty()) ActivateModule(remaining.back());
}

bool TFrmMain::askToClose()
{
    TCustomEntity& modules = registry().EntityByName("TModule");
    TCustomEntity rows;
    modules.ClearFilter();
    rows.CopyFrom(modules);
    const std::vector<std::string> open = openModules();
    const std::string& language = registry().LanguageColumn;
    TField* caption = rows.FindField(language);
    if (!caption) return false;
    for (rows.First(); !rows.Eof();) {
        if (std::find(open.begin(), open.end(), caption->AsString()) == open.end())
            rows.Delete();
        else
            rows.Next();
    }
    std::vector<std::string> toClose;
    if (!m_forms || !m_forms->chooseModulesToClose(*this, rows, toClose)) return false;
    for (const std::string& name : toClose)
        CloseModule(name);
    const std::vector<std::string> remaining = openModules();
    if (!remaining.empty()) ActivateModule(remaining.back());
    return true;
}

void TFrmMain::ToggleNavigation()
{
    const std::string& language = registry().LanguageColumn;
    const bool english = gbk::equalsIgnoreCase(language, "NameEn");
    const bool japanese = gbk::equalsIgnoreCase(language, "NameJP");
    QString caption;
    if (m_navigation->width() > 1) {
        m_navigation->setFixedWidth(1);
        caption = english    ? QStringLiteral("S h o w 　T r e e")
                  : japanese ? QStringLiteral("樹の表示")
                             : QStringLiteral("显示导航树");
    } else {
        m_navigation->setFixedWidth(NavigationWidth);
        caption = english    ? QStringLiteral("H i d e 　T r e e ")
                  : japanese ? QStringLiteral("樹を隠れる")
                             : QStringLiteral("隐藏导航树");
    }
    m_toggle->setProperty("caption", caption);
    m_toggle->setText(vertical(caption));
}

void TFrmMain::messageWritten()
{
    if (m_message->text() == q(m_standing)) {
        applyMessageFont();
        return;
    }
    if (!m_flashTimer->isActive()) m_remembered = m_message->palette().color(QPalette::WindowText);
    QPalette red = m_message->palette();
    red.setColor(QPalette::WindowText, Red);
    m_message->setPalette(red);
    m_flashes = 0;
    m_flashTimer->start();
    m_msgTimer->stop();
    applyMessageFont();
}

void TFrmMain::flashTick()
{
    QPalette palette = m_message->palette();
    if (m_flashes <= 8) {
        ++m_flashes;
        const bool red = palette.color(QPalette::WindowText) == Red;
        palette.setColor(QPalette::WindowText, red ? m_remembered : Red);
    } else {
        palette.setColor(QPalette::WindowText, m_remembered);
        m_flashTimer->stop();
        m_msgTimer->start();
    }
    m_message->setPalette(palette);
    applyMessageFont();
}

void TFrmMain::applyMessageFont()
{
    QFont font = m_message->font();
    font.setPointSize(messageFontSize(static_cast<std::size_t>(m_message->text().size())));
    m_message->setFont(font);
}

bool TFrmMain::event(QEvent* event)
{
    if (event->type() == platform::Message1124Event::eventType()) {
        CloseActiveModule();
        return true;
    }
    return TFrmBase::event(event);
}

bool TFrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched == QApplication::focusWidget() &&
        enterKey(*static_cast<QKeyEvent*>(event)))
        return true;
    if (watched == m_tree->viewport() && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        if (m_navigation->width() == CollapsedTreeWidth) {
            m_navigation->setFixedWidth(m_navigationWidth);
        } else {
            m_navigationWidth = m_navigation->width();
            m_navigation->setFixedWidth(CollapsedTreeWidth);
        }
        return true;
    }
    return TFrmBase::eventFilter(watched, event);
}

bool TFrmMain::enterKey(QKeyEvent& key)
{
    if (key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter) return false;
    QWidget* focused = QApplication::focusWidget();
    if (!focused || !isAncestorOf(focused)) return false;
    if (auto* grid = qobject_cast<QTableView*>(focused)) {
        QAbstractItemModel* model = grid->model();
        if (!model || model->rowCount() == 0 || model->columnCount() == 0) return true;
        QModelIndex at = grid->currentIndex();
        int row = at.isValid() ? at.row() : 0;
        int column = at.isValid() ? at.column() + 1 : 0;
        if (column >= model->columnCount()) {
            column = 0;
            row = (row + 1) % model->rowCount();
        }
        grid->setCurrentIndex(model->index(row, column));
        return true;
    }
    focusNextChild();
    return true;
}

void TFrmMain::keyPressEvent(QKeyEvent* event)
{
    if (!enterKey(*event)) TFrmBase::keyPressEvent(event);
}

} // namespace corvo::shell
