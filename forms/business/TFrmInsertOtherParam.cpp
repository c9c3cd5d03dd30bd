#include "TFrmInsertOtherParam.h"

#include "entity/DateTime.h"
#include "entity/EntityHelpers.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "entity/TParamData.h"
#include "internal/BusinessKit.h"
#include "platform/DataGrid.h"
#include "platform/QtText.h"
#include "remote/AppServers.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvo::forms {
namespace {

constexpr const char* Types = "TMasterQuery";
constexpr const char* Inserts = "TMasterInsert";
constexpr const char* Updates = "TMasterUpdate";
constexpr const char* WorkCopy = "TOtherParam";
constexpr const char* Order = "TMasterOrder";
constexpr const char* Cancel = "TMasterCancel";

QToolButton* makeToolButton(QWidget* parent, const char* name)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoRaise(true);
    button->setFixedSize(22, 22);
    return button;
}

std::string lockedText(const std::string& gbkName)
{
    return "对不起，记录“”" + gbk::display(gbkName) + "”不允许修改。";
}

} // namespace

TFrmInsertOtherParam::TFrmInsertOtherParam(QWidget* owner) : TFrmCustomInsert(owner)
{
    setObjectName(QStringLiteral("FrmInsertOtherParam"));
    registry().AddEntities({Types, Inserts, Updates, WorkCopy, Order, Cancel});

    auto* client = new QHBoxLayout(&pnlClient());
    client->setContentsMargins(0, 0, 0, 0);
    auto* splitter = new QSplitter(Qt::Horizontal, &pnlClient());
    client->addWidget(splitter);

    auto* left = new QFrame(splitter);
    left->setObjectName(QStringLiteral("pnlLeft"));
    auto* leftColumn = new QVBoxLayout(left);
    leftColumn->setContentsMargins(0, 0, 0, 0);
    leftColumn->setSpacing(0);
    auto* header = new QHBoxLayout;
    m_expand = makeToolButton(left, "SpeedButton4");
    m_expand->setText(QStringLiteral("++"));
    m_collapse = makeToolButton(left, "SpeedButton5");
    m_collapse->setText(QStringLiteral("--"));
    auto* caption = new QLabel(QStringLiteral("系统参数一览"), left);
    caption->setObjectName(QStringLiteral("lblTree"));
    header->addWidget(m_expand);
    header->addWidget(m_collapse);
    header->addWidget(caption, 1);
    leftColumn->addLayout(header);
    m_tree = new QTreeWidget(left);
    m_tree->setObjectName(QStringLiteral("tvwType"));
    m_tree->setHeaderHidden(true);
    m_tree->setMouseTracking(true); // hot tracking
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    leftColumn->addWidget(m_tree);

    auto* right = new QFrame(splitter);
    auto* rightColumn = new QVBoxLayout(right);
    rightColumn->setContentsMargins(0, 0, 0, 0);
    m_grid = new platform::DataGrid(right);
    m_grid->setObjectName(QStringLiteral("dgeMaster"));
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->setDefaultSectionSize(18);
    rightColumn->addWidget(m_grid, 1);
    auto* strip = new QHBoxLayout;
    strip->setContentsMargins(4, 2, 4, 2);
    m_prior = makeToolButton(right, "sbtPriorInOrder");
    m_prior->setArrowType(Qt::UpArrow);
    m_next = makeToolButton(right, "sbtNextInOrder");
    m_next->setArrowType(Qt::DownArrow);
    m_codeLabel = new QLabel(QStringLiteral("参数代码"), right);
    m_code = new QLineEdit(right);
    m_code->setObjectName(QStringLiteral("sedCode"));
    m_nameLabel = new QLabel(QStringLiteral("参数名称"), right);
    m_name = new QLineEdit(right);
    m_name->setObjectName(QStringLiteral("sedName"));
    m_confirm = business::makeButton(right, "mbtConfirm", "确定");
    strip->addWidget(m_prior);
    strip->addWidget(m_next);
    strip->addWidget(m_codeLabel);
    strip->addWidget(m_code, 1);
    strip->addWidget(m_nameLabel);
    strip->addWidget(m_name, 2);
    strip->addWidget(m_confirm);
    rightColumn->addLayout(strip);

    splitter->addWidget(left);
    splitter->addWidget(right);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({164, 700});

    mbtInsert().setText(QStringLiteral("新增"));
    m_update = business::makeButton(&pnlBottomLeft(), "mbtUpdate", "修改");
    m_update->move(88, 6);
    m_cancel = business::makeButton(&pnlBottomMiddle(), "mbtCancel", "放弃");
    if (auto* middle = qobject_cast<QHBoxLayout*>(pnlBottomMiddle().layout()))
        middle->insertWidget(1, m_cancel);

    // The code is typed in capitals.
    connect(m_code, &QLineEdit::textEdited, this, [this](const QString& text) {
        const int at = m_code->cursorPosition();
        m_code->setText(text.toUpper());
        m_code->setCursorPosition(at);
    });
    connect(m_expand, &QToolButton::clicked, m_tree, &QTreeWidget::expandAll);
    connect(m_collapse, &QToolButton::clicked, m_tree, &QTreeWidget::collapseAll);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this] { TypeChosen(); });
    // After the insert form's own "新建".
    connect(&mbtInsert(), &QPushButton::clicked, this, [this] { AddClicked(); });
    connect(m_update, &QPushButton::clicked, this, [this] { ChangeClicked(); });
    connect(m_confirm, &QPushButton::clicked, this, [this] { ConfirmClicked(); });
    connect(m_prior, &QToolButton::clicked, this, [this] { MoveClicked(MoveDirection::Up); });
    connect(m_next, &QToolButton::clicked, this, [this] { MoveClicked(MoveDirection::Down); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { CancelClicked(); });
    connect(m_grid, &QAbstractItemView::clicked, this, [this] { GridClicked(); });
}

TFrmInsertOtherParam::~TFrmInsertOtherParam() = default;

void TFrmInsertOtherParam::FormShow()
{
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    LoadLocalFile("TOtherParam", master);
    for (const char* name : {Inserts, Updates, Order, Cancel})
        registry().EntityByName(name).CopyStructure(master);
    registry().EntityByName(WorkCopy).CopyFrom(master);
    if (master.Active()) {
        BuildParamTypes(master, registry().EntityByName(Types));
        master.SortAsc("DispOrder", "Clear");
    }
    registry().BindGrid(param::TMaster, *m_grid);
    SizeGridColumns(*m_grid);

    TCustomEntity& types = registry().EntityByName(Types);
    {
        const QSignalBlocker quiet(m_tree);
        m_tree->clear();
        if (types.Active())
            for (types.First(); !types.Eof(); types.Next()) {
                auto* node = new QTreeWidgetItem(
                    m_tree, {platform::fromGbk(GetFieldString(types, "TypeName"))});
                node->setIcon(0, business::treeImage(1));
            }
    }
    if (m_tree->topLevelItemCount() > 0) {
        const QSignalBlocker quiet(m_tree);
        m_tree->setCurrentItem(m_tree->topLevelItem(0));
        m_currentType = platform::toGbk(m_tree->topLevelItem(0)->text(0));
        if (master.Active()) master.FilterEqual("TypeName", m_currentType);
    }
    setState(ParamEditState::Browsing);
    TranslateCaptions(*this);
}

void TFrmInsertOtherParam::setState(ParamEditState state)
{
    m_state = state;
    const ParamControls c = ParamControlsFor(state);
    m_prior->setEnabled(c.moves);
    m_next->setEnabled(c.moves);
    for (QWidget* w : std::initializer_list<QWidget*>{m_codeLabel, m_code, m_nameLabel, m_name})
        w->setEnabled(c.edits);
    m_confirm->setEnabled(c.confirm);
    mbtInsert().setEnabled(c.insert);
    m_update->setEnabled(c.update);
    mbtSubmit().setEnabled(c.submit);
    m_cancel->setEnabled(c.cancel);
    m_tree->setEnabled(c.tree);
}

void TFrmInsertOtherParam::applyTypeFilter()
{
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    if (master.Active()) master.FilterEqual("TypeName", m_currentType);
}

void TFrmInsertOtherParam::TypeChosen()
{
    QTreeWidgetItem* node = m_tree->currentItem();
    if (!node) return;
    m_currentType = platform::toGbk(node->text(0));
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    if (!master.Active()) return;
    const std::string previous = master.Filter();
    const bool wasFiltered = master.Filtered();
    m_grid->setUpdatesEnabled(false);
    // An empty type keeps the grid on the previous type's rows.
    if (!master.FilterEqual("TypeName", m_currentType)) {
        master.SetFilter(previous);
        master.SetFiltered(wasFiltered);
    }
    m_grid->setUpdatesEnabled(true);
}

void TFrmInsertOtherParam::AddClicked()
{
    if (QTreeWidgetItem* node = m_tree->currentItem())
        m_currentType = platform::toGbk(node->text(0));
    applyTypeFilter();
    setState(ParamEditState::Adding);
    registry().EntityByName(Cancel).CopyFrom(registry().EntityByName(param::TMaster));
    m_code->setFocus(Qt::OtherFocusReason);
}

void TFrmInsertOtherParam::ChangeClicked()
{
    if (QTreeWidgetItem* node = m_tree->currentItem())
        m_currentType = platform::toGbk(node->text(0));
    applyTypeFilter();
    setState(ParamEditState::Changing);
    registry().EntityByName(Cancel).CopyFrom(registry().EntityByName(param::TMaster));
    // The strip shows the row "确定" will write.
    showCurrentRow();
}

void TFrmInsertOtherParam::GridClicked()
{
    if (m_state == ParamEditState::Changing) showCurrentRow();
}

void TFrmInsertOtherParam::showCurrentRow()
{
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    if (!master.Active() || master.IsEmpty()) return;
    m_code->setText(platform::fromGbk(GetCode(master)));
    m_name->setText(platform::fromGbk(GetName(master)));
    if (ParamEditable(master)) {
        m_confirm->setEnabled(true);
        if (m_code->isEnabled()) m_code->setFocus(Qt::OtherFocusReason);
    } else {
        ShowStatusText(lockedText(GetName(master)));
        m_confirm->setEnabled(false);
    }
}

void TFrmInsertOtherParam::ConfirmClicked()
{
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    if (!master.Active()) return;
    try {
        const std::string code = platform::toGbk(m_code->text());
        const std::string name = platform::toGbk(m_name->text());
        if (m_state == ParamEditState::Changing) {
            if (master.IsEmpty()) return;
            if (!ParamEditable(master)) {
                ShowStatusText(lockedText(GetName(master)));
                m_confirm->setEnabled(false);
                return;
            }
            SetFieldString(master, "Code", code);
            SetFieldString(master, "Name", name);
            master.Next();
        } else {
            if (ParamNameTaken(master, m_currentType, name)) {
                ShowStatusText("系统发现您新增的参数名称[" + gbk::display(name) +
                               "]和已有的重复，请更正");
                return;
            }
            addRow();
            master.Last();
        }
        showCurrentRow();
    } catch (const std::exception& e) {
        ShowStatusText(e.what());
    }
}

void TFrmInsertOtherParam::addRow()
{
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    TCustomEntity& work = registry().EntityByName(WorkCopy);
    work.CopyFrom(master);
    work.ClearFilter();
    const int order = NextDispOrder(master, m_currentType);
    TCustomEntity& types = registry().EntityByName(Types);
    types.FindRecord("TypeName", m_currentType);
    const std::string type = GetFieldString(types, "Type");
    const std::string valid = StatusObjID("StatusID", "Valid");

    master.ClearFilter();
    AppendNewRecord(master);
    SetFieldString(master, "Code", platform::toGbk(m_code->text()));
    SetFieldString(master, "Name", platform::toGbk(m_name->text()));
    SetFieldString(master, "Type", type);
    SetFieldString(master, "TypeName", m_currentType);
    SetFieldInt(master, "DispOrder", order);
    SetFieldString(master, "AllowEdit", "1");
    if (userRecord() && userRecord()->Active())
        SetFieldString(master, "TUserID", GetObjID(*userRecord()));
    SetFieldDate(master, "CreateDate", DateTime::now());
    SetFieldString(master, "StatusID", valid);
    registry().EntityByName(Inserts).UpsertRecord(master);
    applyTypeFilter();
}

void TFrmInsertOtherParam::MoveClicked(MoveDirection direction)
{
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    if (!master.Active() || master.IsEmpty()) return;
    try {
        const MoveResult result = MoveParam(master, m_currentType, GetObjID(master), direction);
        if (result.outcome == MoveOutcome::Locked) ShowStatusText(lockedText(result.lockedName));
    } catch (const std::exception& e) {
        ShowStatusText(e.what());
    }
}

void TFrmInsertOtherParam::CancelClicked()
{
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    master.CopyFrom(registry().EntityByName(Cancel));
    master.SortAsc("DispOrder", "Clear");
    applyTypeFilter();
    registry().BindGrid(param::TMaster, *m_grid);
    SizeGridColumns(*m_grid);
    if (m_state == ParamEditState::Adding) {
        registry().EntityByName(Inserts).EmptyDataSet();
        ShowStatusText("您已放弃刚才预备新增的数据！");
    } else if (m_state == ParamEditState::Changing) {
        registry().EntityByName(Updates).EmptyDataSet();
        ShowStatusText("您已放弃刚才预备修改的数据！");
    }
    setState(ParamEditState::Browsing);
}

bool TFrmInsertOtherParam::BeforeSubmit()
{
    if (m_state == ParamEditState::Changing) {
        TCustomEntity& updates = registry().EntityByName(Updates);
        updates.EmptyDataSet();
        updates.UpsertAll(registry().EntityByName(param::TMaster));
        ShowStatusText("请稍候，正在更新数据……");
    } else {
        ShowStatusText("请稍候，正在向服务器新增单据……");
    }
    return true;
}

bool TFrmInsertOtherParam::FillSubmitPacket()
{
    TParamData& packet = submitPacket();
    packet.EmptyDataSet();
    packet.SetParamValue(param::AppName, Variant(std::string(param::AppNameValue)));
    const bool changing = m_state == ParamEditState::Changing;
    TCustomEntity& rows = registry().EntityByName(changing ? Updates : Inserts);
    if (!rows.Active() || rows.IsEmpty())
        throw Error(changing ? "对不起，您还没有对数据进行修改，请修改后再保存。"
                             : "对不起，您还没有新增数据。");
    packet.SetParamData(param::TMaster, rows.Data());
    return true;
}

bool TFrmInsertOtherParam::AfterSubmit()
{
    if (m_state == ParamEditState::Changing) {
        registry().EntityByName(Updates).EmptyDataSet();
        ShowStatusText("数据修改完成。");
    } else {
        registry().EntityByName(Inserts).EmptyDataSet();
        ShowStatusText("数据新增完成。");
    }
    return true;
}

bool TFrmInsertOtherParam::RunSubmit()
{
    ShowWaitCursor();
    bool saved = false;
    try {
        if (BeforeSubmit()) {
            FillSubmitPacket();
            const bool answered =
                m_state == ParamEditState::Changing
                    ? CallAppServer(remote::appserver::Update, remote::appserver::update::Single)
                    : CallSubmitServer();
            if (answered) {
                UpdateLocalCopy();
                AfterSubmit();
                saved = true;
            } else {
                ShowStatusText("数据更新失败，请稍后重试。");
            }
            setState(ParamEditState::Browsing);
        }
    } catch (const std::exception& e) {
        ShowStatusText(e.what());
    }
    ShowDefaultCursor();
    return saved;
}

} // namespace corvo::forms
