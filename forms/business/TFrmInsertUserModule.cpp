#include "TFrmInsertUserModule.h"

#include "controls/skin/TQVRadioBox.h"
#include "entity/EntityHelpers.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "entity/TParamData.h"
#include "internal/BusinessKit.h"
#include "platform/DataGrid.h"
#include "platform/DataGridModel.h"
#include "platform/QtText.h"
#include "remote/AppServers.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvo::forms {
namespace {

constexpr const char* Inserts = "TMasterInsert";
constexpr const char* Deletes = "TMasterDelete";
constexpr const char* Users = "TUser";
constexpr const char* Modules = "TModule";
constexpr const char* AllModules = "TModuleNoFilter";
constexpr const char* Groups = "TModuleGroup";
constexpr int IdRole = Qt::UserRole + 1;

/// The IsGroup column read as words.
class ModuleKindDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QString displayText(const QVariant& value, const QLocale& locale) const override
    {
        (void)locale;
        return value.toString() == QStringLiteral("1") ? QStringLiteral("组合模块")
                                                       : QStringLiteral("单模块");
    }
};

QToolButton* makeToolButton(QWidget* parent, const char* name, const char* text)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(QLatin1String(text));
    button->setAutoRaise(true);
    button->setFixedSize(22, 22);
    return button;
}

QRadioButton* makeRadio(QWidget* parent, const char* name, const char* caption)
{
    auto* radio = new skin::TQVRadioBox(QString::fromUtf8(caption), parent);
    radio->setObjectName(QLatin1String(name));
    return radio;
}

} // namespace

TFrmInsertUserModule::TFrmInsertUserModule(QWidget* owner) : TFrmCustomInsert(owner)
{
    setObjectName(QStringLiteral("FrmInsertUserModule"));
    registry().AddEntities({Inserts, Deletes, Users, Modules, AllModules, Groups});

    auto* client = new QHBoxLayout(&pnlClient());
    client->setContentsMargins(0, 0, 0, 0);
    auto* splitter = new QSplitter(Qt::Horizontal, &pnlClient());
    client->addWidget(splitter);

    auto* left = new QFrame(splitter);
    auto* leftColumn = new QVBoxLayout(left);
    leftColumn->setContentsMargins(0, 0, 0, 0);
    leftColumn->setSpacing(0);
    auto* header = new QHBoxLayout;
    m_expand = makeToolButton(left, "SpeedButton4", "++");
    m_collapse = makeToolButton(left, "SpeedButton5", "--");
    header->addWidget(m_expand);
    header->addWidget(m_collapse);
    header->addWidget(new QLabel(QStringLiteral("权限导航"), left), 1);
    leftColumn->addLayout(header);
    m_tree = new QTreeWidget(left);
    m_tree->setObjectName(QStringLiteral("tvwType"));
    m_tree->setHeaderHidden(true);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setAcceptDrops(true);
    m_tree->viewport()->setAcceptDrops(true);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    leftColumn->addWidget(m_tree);

    auto* right = new QFrame(splitter);
    auto* rightColumn = new QVBoxLayout(right);
    rightColumn->setContentsMargins(0, 0, 0, 0);
    auto* strip = new QHBoxLayout;
    strip->setContentsMargins(6, 2, 6, 2);
    m_all = makeRadio(right, "QVRadioBox1", "全部权限");
    m_groups = makeRadio(right, "QVRadioBox2", "组合权限");
    m_singles = makeRadio(right, "QVRadioBox3", "单一权限");
    m_all->setChecked(true);
    m_upper = business::makeButton(right, "QVButton1", "上级权限");
    m_lower = business::makeButton(right, "QVButton2", "下级权限");
    strip->addWidget(m_all);
    strip->addWidget(m_groups);
    strip->addWidget(m_singles);
    strip->addStretch(1);
    strip->addWidget(m_upper);
    strip->addWidget(m_lower);
    rightColumn->addLayout(strip);
    m_count = new QLabel(right);
    m_count->setObjectName(QStringLiteral("lblCount"));
    m_count->setContentsMargins(6, 0, 6, 0);
    rightColumn->addWidget(m_count);
    m_grid = new platform::DataGrid(right);
    m_grid->setObjectName(QStringLiteral("dgeMaster"));
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setMultiSelect(true);
    m_grid->verticalHeader()->setDefaultSectionSize(18);
    m_grid->setAcceptDrops(true);
    m_grid->viewport()->setAcceptDrops(true);
    rightColumn->addWidget(m_grid, 1);

    splitter->addWidget(left);
    splitter->addWidget(right);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({164, 700});

    m_cancel = business::makeButton(&pnlBottomMiddle(), "QVButton3", "取消");
    if (auto* middle = qobject_cast<QHBoxLayout*>(pnlBottomMiddle().layout()))
        middle->insertWidget(1, m_cancel);

    m_tree->viewport()->installEventFilter(this);
    m_tree->installEventFilter(this);
    m_grid->viewport()->installEventFilter(this);
    m_grid->installEventFilter(this);

    connect(m_expand, &QToolButton::clicked, m_tree, &QTreeWidget::expandAll);
    connect(m_collapse, &QToolButton::clicked, m_tree, &QTreeWidget::collapseAll);
    auto filterModules = [this](const char* value) {
        TCustomEntity& modules = registry().EntityByName(Modules);
        if (!modules.Active()) return;
        if (value)
            modules.FilterEqual("IsGroup", value);
        else
            modules.ClearFilter();
        RefreshCount();
    };
    connect(m_all, &QRadioButton::clicked, this, [filterModules] { filterModules(nullptr); });
    connect(m_groups, &QRadioButton::clicked, this, [filterModules] { filterModules("1"); });
    connect(m_singles, &QRadioButton::clicked, this, [filterModules] { filterModules("0"); });
    connect(m_upper, &QPushButton::clicked, this, [this] { UpperLevelClicked(); });
    connect(m_lower, &QPushButton::clicked, this, [this] { LowerLevelClicked(); });
    connect(m_grid, &QAbstractItemView::doubleClicked, this, [this] { LowerLevelClicked(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { CancelClicked(); });
    connect(m_tree, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { treeMenu(at); });
    // After the insert form's own "新建".
    connect(&mbtInsert(), &QPushButton::clicked, this, [this] {
        mbtSubmit().setEnabled(true);
        mbtInsert().setEnabled(false);
    });
}

TFrmInsertUserModule::~TFrmInsertUserModule() = default;

void TFrmInsertUserModule::loadTables()
{
    TCustomEntity& rights = registry().EntityByName(param::TMaster);
    // The login keeps only its own user's rights locally: every user's come from the server,
    // the local copy serves when it cannot answer.
    m_queried = false;
    if (rights.Active() && rights.FieldCount() > 0) QueryAllPages();
    if (!m_queried) LoadLocalFile("TUserModule", rights);
    rights.ClearFilter();
    registry().EntityByName(Inserts).CopyStructure(rights);
    registry().EntityByName(Deletes).CopyStructure(rights);
    TCustomEntity& modules = registry().EntityByName(Modules);
    modules.ClearFilter();
    LoadLocalFile("TModule", modules);
    TCustomEntity& groups = registry().EntityByName(Groups);
    groups.ClearFilter();
    LoadLocalFile("TModuleGroup", groups);
    TCustomEntity& users = registry().EntityByName(Users);
    if (users.Active()) users.SortAsc("Name", "Clear");
    if (modules.Active()) modules.SortAsc("ColOrder", "Clear");
    registry().BindGrid(Modules, *m_grid);
    SizeGridColumns(*m_grid);
    auto& model = m_grid->gridModel();
    for (int column = 0; column < model.columnCount(); ++column)
        m_grid->setItemDelegateForColumn(column,
                                         gbk::equalsIgnoreCase(model.fieldName(column), "IsGroup")
                                             ? new ModuleKindDelegate(m_grid)
                                             : nullptr);
}

void TFrmInsertUserModule::FormShow()
{
    LoadLocalFile("TUser", registry().EntityByName(Users));
    LoadLocalFile("TModule", registry().EntityByName(AllModules));
    loadTables();
    buildTree();
    TCustomEntity& modules = registry().EntityByName(Modules);
    if (modules.Active()) modules.First();
    RefreshCount();
    TranslateCaptions(*this);
}

QTreeWidgetItem* TFrmInsertUserModule::addRightNode(QTreeWidgetItem* user,
                                                    const std::string& moduleId,
                                                    const std::string& moduleName)
{
    auto* node = new QTreeWidgetItem(user, {platform::fromGbk(moduleName)});
    node->setData(0, IdRole, QString::fromStdString(moduleId));
    TCustomEntity& all = registry().EntityByName(AllModules);
    const bool group =
        all.Active() && all.FindRecord("ObjID", moduleId) && GetFieldString(all, "IsGroup") == "1";
    node->setIcon(0, business::treeImage(group ? 0 : 2));
    return node;
}

void TFrmInsertUserModule::buildTree()
{
    m_tree->setSortingEnabled(false);
    m_tree->clear();
    TCustomEntity& users = registry().EntityByName(Users);
    TCustomEntity& rights = registry().EntityByName(param::TMaster);
    if (users.Active())
        for (users.First(); !users.Eof(); users.Next()) {
            auto* user = new QTreeWidgetItem(m_tree, {platform::fromGbk(GetName(users))});
            const std::string userId = GetObjID(users);
            user->setData(0, IdRole, QString::fromStdString(userId));
            user->setIcon(0, business::treeImage(1));
            if (!rights.Active()) continue;
            rights.ClearFilter();
            for (rights.First(); !rights.Eof(); rights.Next())
                if (gbk::equalsIgnoreCase(GetFieldString(rights, "TUserID"), userId))
                    addRightNode(user, GetFieldString(rights, "TModuleID"),
                                 GetFieldString(rights, "TModuleName"));
        }
    m_tree->setSortingEnabled(true);
    m_tree->sortByColumn(0, Qt::AscendingOrder);
}

void TFrmInsertUserModule::RefreshCount()
{
    m_grid->clearMarks();
    m_grid->clearSelection();
    TCustomEntity& modules = registry().EntityByName(Modules);
    const int count = modules.Active() ? modules.RecordCount() : 0;
    m_count->setText(QStringLiteral("当前可增加的权限有%1条").arg(count));
}

QTreeWidgetItem* TFrmInsertUserModule::userNodeOf(QTreeWidgetItem* node) const
{
    return node && node->parent() ? node->parent() : node;
}

void TFrmInsertUserModule::GrantTo(QTreeWidgetItem* node)
{
    QTreeWidgetItem* user = userNodeOf(node);
    TCustomEntity& modules = registry().EntityByName(Modules);
    if (!user || !modules.Active() || modules.IsEmpty()) return;
    const std::string userId = user->data(0, IdRole).toString().toStdString();
    std::vector<Bookmark> chosen = m_grid->markedRows();
    if (chosen.empty()) chosen.push_back(modules.GetBookmark());
    std::vector<ModuleRef> granted;
    for (const Bookmark& row : chosen) {
        modules.GotoBookmark(row);
        granted.push_back({GetObjID(modules), GetName(modules)});
    }
    TCustomEntity& rights = registry().EntityByName(param::TMaster);
    try {
        for (const ModuleRef& module : granted) {
            const GrantOutcome outcome = GrantModule(
                {rights, registry().EntityByName(Inserts), registry().EntityByName(Deletes)},
                userId, module);
            if (outcome == GrantOutcome::AlreadyHeld) continue;
            addRightNode(user, module.objId, module.name);
        }
    } catch (const std::exception& e) {
        ShowStatusText(e.what());
    }
    user->setExpanded(true);
}

void TFrmInsertUserModule::Revoke(QTreeWidgetItem* node)
{
    if (!node) return;
    if (!node->parent()) {
        ShowStatusText("请选择权限进行删除");
        return;
    }
    const std::string userId = node->parent()->data(0, IdRole).toString().toStdString();
    try {
        RevokeRight({registry().EntityByName(param::TMaster), registry().EntityByName(Inserts),
                     registry().EntityByName(Deletes)},
                    userId, platform::toGbk(node->text(0)));
    } catch (const std::exception& e) {
        ShowStatusText(e.what());
        return;
    }
    delete node;
}

void TFrmInsertUserModule::showHierarchy(const HierarchyView& view)
{
    TCustomEntity& modules = registry().EntityByName(Modules);
    TCustomEntity& groups = registry().EntityByName(Groups);
    if (view.kind == HierarchyView::Unchanged || !modules.Active()) return;
    if (view.kind == HierarchyView::All) {
        modules.ClearFilter();
    } else {
        groups.FilterEqual("TModulesID", view.group);
        modules.FilterByValuesOf(groups, "ObjID", "TModuleID");
        groups.ClearFilter();
    }
    RefreshCount();
}

void TFrmInsertUserModule::LowerLevelClicked()
{
    TCustomEntity& modules = registry().EntityByName(Modules);
    if (!modules.Active() || modules.IsEmpty()) return;
    showHierarchy(LowerLevel(registry().EntityByName(Groups), GetObjID(modules)));
}

void TFrmInsertUserModule::UpperLevelClicked()
{
    TCustomEntity& modules = registry().EntityByName(Modules);
    if (!modules.Active() || modules.IsEmpty()) return;
    showHierarchy(UpperLevel(registry().EntityByName(Groups), GetObjID(modules)));
}

void TFrmInsertUserModule::CancelClicked()
{
    loadTables();
    buildTree();
    TCustomEntity& modules = registry().EntityByName(Modules);
    if (modules.Active()) modules.First();
    m_all->setChecked(true);
    RefreshCount();
}

void TFrmInsertUserModule::AfterQuery()
{
    TFrmCustomInsert::AfterQuery();
    m_queried = true;
}

bool TFrmInsertUserModule::FillSubmitPacket()
{
    TParamData& packet = submitPacket();
    packet.EmptyDataSet();
    packet.SetParamValue(param::AppName, Variant(std::string(param::AppNameValue)));
    for (const char* name : {Inserts, Deletes}) {
        TCustomEntity& rows = registry().EntityByName(name);
        if (rows.Active() && !rows.IsEmpty()) packet.SetParamData(name, rows.Data());
    }
    if (packet.RecordCount() <= 1) throw Error("因当前的数据没有更改，不需要保存。");
    ShowStatusText("请稍候，正在修改权限……");
    return true;
}

bool TFrmInsertUserModule::CallSubmitServer()
{
    return CallAppServer(remote::appserver::Update, remote::appserver::update::MasterDetail);
}

bool TFrmInsertUserModule::AfterSubmit()
{
    ShowStatusText("权限修改完成。");
    registry().EntityByName(Inserts).EmptyDataSet();
    registry().EntityByName(Deletes).EmptyDataSet();
    TCustomEntity& rights = registry().EntityByName(param::TMaster);
    rights.ClearFilter();
    SaveLocalFile("TUserModule", rights);
    mbtSubmit().setEnabled(false);
    mbtInsert().setEnabled(true);
    return true;
}

bool TFrmInsertUserModule::RunSubmit()
{
    return business::runGuardedSave(*this, [this] {
        if (!BeforeSubmit()) return false;
        FillSubmitPacket();
        if (!CallSubmitServer()) {
            ShowStatusText("数据新增失败，请稍后重试。");
            return false;
        }
        UpdateLocalCopy();
        AfterSubmit();
        return true;
    });
}

void TFrmInsertUserModule::startDrag(const char* mime, QWidget* source)
{
    auto* drag = new QDrag(source);
    auto* data = new QMimeData;
    data->setData(QLatin1String(mime), QByteArray());
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction | Qt::MoveAction);
}

bool TFrmInsertUserModule::eventFilter(QObject* watched, QEvent* event)
{
    const bool onTree = watched == m_tree->viewport();
    const bool onGrid = watched == m_grid->viewport();
    const char* accepted = onTree ? ModulesMime : RightMime;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (onTree || onGrid) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            m_pressAt = mouse->position().toPoint();
            m_pressedIn = nullptr;
            if (onGrid && mouse->button() == Qt::RightButton) {
                m_grid->clearMarks();
                m_grid->clearSelection();
                UpperLevelClicked();
                return true;
            }
            if (mouse->button() != Qt::LeftButton) break;
            if (onGrid && m_grid->indexAt(m_pressAt).isValid()) m_pressedIn = m_grid;
            if (onTree) {
                // Only a right (a node with a parent) can be dragged from the tree.
                QTreeWidgetItem* node = m_tree->itemAt(m_pressAt);
                if (node && node->parent()) m_pressedIn = m_tree;
            }
        }
        break;
    case QEvent::MouseMove:
        if ((onTree || onGrid) && m_pressedIn) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if ((mouse->buttons() & Qt::LeftButton) &&
                (mouse->position().toPoint() - m_pressAt).manhattanLength() >=
                    QApplication::startDragDistance()) {
                QWidget* source = m_pressedIn;
                m_pressedIn = nullptr;
                startDrag(source == m_grid ? ModulesMime : RightMime, source);
                return true;
            }
        }
        break;
    case QEvent::MouseButtonRelease:
        m_pressedIn = nullptr;
        break;
    case QEvent::DragEnter:
    case QEvent::DragMove:
        if (onTree || onGrid) {
            auto* drag = static_cast<QDropEvent*>(event);
            if (drag->mimeData()->hasFormat(QLatin1String(accepted))) {
                drag->acceptProposedAction();
            } else {
                drag->ignore();
            }
            return true;
        }
        break;
    case QEvent::Drop:
        if (onTree || onGrid) {
            auto* drop = static_cast<QDropEvent*>(event);
            if (!drop->mimeData()->hasFormat(QLatin1String(accepted))) {
                drop->ignore();
                return true;
            }
            drop->acceptProposedAction();
            if (onTree)
                GrantTo(m_tree->itemAt(drop->position().toPoint()));
            else
                Revoke(m_tree->currentItem());
            return true;
        }
        break;
    case QEvent::KeyPress:
        if (watched == m_grid || watched == m_tree) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (watched == m_grid && key == Qt::Key_Insert) {
                GrantTo(m_tree->currentItem());
                return true;
            }
            if (watched == m_tree && key == Qt::Key_Delete) {
                Revoke(m_tree->currentItem());
                return true;
            }
        }
        break;
    case QEvent::ContextMenu:
        // The right button walks up the hierarchy; the menu key opens the grid's menu.
        if (watched == m_grid || onGrid) {
            auto* menu = static_cast<QContextMenuEvent*>(event);
            if (menu->reason() == QContextMenuEvent::Keyboard) gridMenu(menu->globalPos());
            return true;
        }
        break;
    default:
        break;
    }
    return TFrmCustomInsert::eventFilter(watched, event);
}

void TFrmInsertUserModule::gridMenu(const QPoint& at)
{
    QMenu menu(this);
    QAction* grant = menu.addAction(QStringLiteral("授予"));
    grant->setEnabled(m_tree->currentItem() != nullptr);
    connect(grant, &QAction::triggered, this, [this] { GrantTo(m_tree->currentItem()); });
    menu.addSeparator();
    connect(menu.addAction(QStringLiteral("上级权限")), &QAction::triggered, this,
            [this] { UpperLevelClicked(); });
    connect(menu.addAction(QStringLiteral("下级权限")), &QAction::triggered, this,
            [this] { LowerLevelClicked(); });
    menu.exec(at);
}

void TFrmInsertUserModule::treeMenu(const QPoint& at)
{
    QTreeWidgetItem* node = m_tree->itemAt(at);
    if (!node) return;
    m_tree->setCurrentItem(node);
    QMenu menu(this);
    QAction* grant = menu.addAction(QStringLiteral("授予"));
    connect(grant, &QAction::triggered, this, [this, node] { GrantTo(node); });
    QAction* revoke = menu.addAction(QStringLiteral("收回"));
    revoke->setEnabled(node->parent() != nullptr);
    connect(revoke, &QAction::triggered, this, [this, node] { Revoke(node); });
    menu.exec(m_tree->viewport()->mapToGlobal(at));
}

} // namespace corvo::forms
