#include "TFrmEditSize.h"

#include "controls/TSafeEdit.h"
#include "controls/TVelComboBox.h"
#include "controls/skin/TQVButton.h"
#include "entity/EntityHelpers.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "platform/DataGrid.h"
#include "platform/QtText.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvo::forms {
namespace {

constexpr const char* Products = "TMaster";
constexpr const char* Types = "TProductType";
constexpr const char* Chosen = "ReturnEty";
constexpr const char* Stocked = "TStockProductID";

QPushButton* button(QWidget* parent, const char* name, const char* caption)
{
    auto* b = new skin::TQVButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    b->setFixedSize(75, 25);
    return b;
}

} // namespace

TFrmEditSize::TFrmEditSize(QWidget* owner) : TFrmApp(owner)
{
    setObjectName(QStringLiteral("FrmEditSize"));
    SetFormTitle("请选择产品");
    registry().AddEntities({Products, Types, Chosen, Stocked});

    auto* client = new QHBoxLayout(&pnlClient());
    client->setContentsMargins(4, 4, 4, 4);
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("产品类型"), &pnlClient()));
    m_tree = new QTreeWidget(&pnlClient());
    m_tree->setObjectName(QStringLiteral("tvwProductType"));
    m_tree->setHeaderHidden(true);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setFixedWidth(160);
    left->addWidget(m_tree, 1);
    client->addLayout(left);

    auto* right = new QVBoxLayout;
    right->addWidget(new QLabel(QStringLiteral("产品列表"), &pnlClient()));
    auto* strip = new QFrame(&pnlClient());
    strip->setFixedHeight(32);
    auto* conditions = new QHBoxLayout(strip);
    conditions->setContentsMargins(0, 2, 0, 2);
    const auto labelled = [&](const char* caption, QWidget* editor) {
        auto* label = new QLabel(QString::fromUtf8(caption), strip);
        label->setBuddy(editor);
        conditions->addWidget(label);
        conditions->addWidget(editor);
        return label;
    };
    m_code = new controls::TSafeEdit(strip);
    m_code->setObjectName(QStringLiteral("sedCode"));
    labelled("产品编码", m_code);
    m_name = new controls::TSafeEdit(strip);
    m_name->setObjectName(QStringLiteral("sedName"));
    labelled("产品名称", m_name);
    m_colour = new controls::TVelComboBox(strip);
    m_colour->setObjectName(QStringLiteral("scbLink1"));
    // The colour condition exists for products with colours; ours have none.
    labelled("颜色", m_colour)->hide();
    m_colour->hide();
    conditions->addStretch(1);
    right->addWidget(strip);
    m_grid = new platform::DataGrid(&pnlClient());
    m_grid->setObjectName(QStringLiteral("dgeMaster"));
    m_grid->setMultiSelect(true);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSortingEnabled(false);
    right->addWidget(m_grid, 1);
    client->addLayout(right, 1);

    // Bottom right, beside the frame's "关闭".
    auto* bottom = new QHBoxLayout(&pnlBottomMiddle());
    bottom->setContentsMargins(4, 5, 4, 6);
    m_continue = button(&pnlBottomMiddle(), "QVButton1", "继续添加");
    m_ok = button(&pnlBottomMiddle(), "mbtOK", "确定");
    bottom->addStretch(1);
    bottom->addWidget(m_continue);
    bottom->addWidget(m_ok);

    connect(m_ok, &QPushButton::clicked, this, [this] { OKClicked(); });
    connect(m_continue, &QPushButton::clicked, this, [this] { ContinueClicked(); });
    connect(m_grid, &QAbstractItemView::doubleClicked, this, [this] { ContinueClicked(); });
    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, [this] { TypeChosen(); });

    TCustomEntity& products = registry().EntityByName(Products);
    LoadLocalFile("TProduct", products);
    registry().EntityByName(Chosen).CopyStructure(products);
    LoadLocalFile("TProductType", registry().EntityByName(Types));
    resize(820, 520);
}

TFrmEditSize::~TFrmEditSize() = default;

void TFrmEditSize::SetInputs(const Variant& products, const std::string& lineProductId)
{
    m_products = products;
    m_lineProduct = lineProductId;
}

void TFrmEditSize::armFilters(bool on)
{
    if (on == m_filtersArmed) return;
    m_filtersArmed = on;
    if (!on) {
        m_code->disconnect(this);
        m_name->disconnect(this);
        m_colour->disconnect(this);
        return;
    }
    connect(m_code, &QLineEdit::textChanged, this, [this] { BuildNameCondition(*m_code); });
    connect(m_name, &QLineEdit::textChanged, this, [this] { BuildNameCondition(*m_name); });
    connect(m_colour, &QLineEdit::textChanged, this, [this] { BuildNameCondition(*m_colour); });
}

void TFrmEditSize::showEvent(QShowEvent* event)
{
    TFrmApp::showEvent(event);
    if (m_shown) return;
    m_shown = true;
    try {
        FormShow();
    } catch (const std::exception& e) {
        ShowStatusText(e.what());
    }
}

void TFrmEditSize::FormShow()
{
    armFilters(true);
    TCustomEntity& products = registry().EntityByName(Products);
    if (!m_lineProduct.empty() && products.Active() && products.FindField("TProductTypeID") &&
        products.Locate("ObjID", Variant(m_lineProduct)))
        m_lineType = products.FieldByName("TProductTypeID").AsString();
    if (!m_products.isNull()) {
        registry().EntityByName(Stocked).SetData(m_products);
        products.SetData(m_products);
    }

    registry().SelectTableFields("TProduct");
    TCustomEntity& dict = registry().EntityByName(param::TDictField);
    for (const char* hidden : {"InPrice", "MinPrice"})
        if (dict.Locate("Code", Variant(std::string(hidden)))) SetFieldInt(dict, "IsVisible", 0);
    if (products.Active() && products.FindField("Code")) products.SortAsc("Code", "Clear");
    registry().BindGridSelected(Products, *m_grid);
    registry().ApplyGridCaptions(*m_grid);
    SizeGridColumns(*m_grid);

    TCustomEntity& types = registry().EntityByName(Types);
    const QSignalBlocker quiet(m_tree);
    m_tree->clear();
    if (types.Active() && types.FindField("Code")) types.SortAsc("Code", "Clear");
    if (!m_lineType.empty()) {
        if (types.Active() && types.Locate("ObjID", Variant(m_lineType)))
            m_tree->addTopLevelItem(new QTreeWidgetItem({platform::fromGbk(GetName(types))}));
        filterToType(m_lineType);
    } else if (types.Active() && !types.IsEmpty()) {
        types.First();
        filterToType(GetObjID(types));
        for (; !types.Eof(); types.Next())
            m_tree->addTopLevelItem(new QTreeWidgetItem({platform::fromGbk(GetName(types))}));
        // Start on a type that offers a choice: past types with fewer than two products.
        int node = 0;
        m_tree->setCurrentItem(m_tree->topLevelItem(0));
        TypeChosen();
        while (products.RecordCount() < 2 && node + 1 < m_tree->topLevelItemCount()) {
            m_tree->setCurrentItem(m_tree->topLevelItem(++node));
            TypeChosen();
        }
    }
    m_code->setFocus(Qt::OtherFocusReason);
}

std::string TFrmEditSize::typeIdOfName(const std::string& nameGbk)
{
    TCustomEntity& types = registry().EntityByName(Types);
    if (!types.Active() || !types.Locate("Name", Variant(nameGbk))) return {};
    return GetObjID(types);
}

void TFrmEditSize::filterToType(const std::string& typeId)
{
    TCustomEntity& products = registry().EntityByName(Products);
    if (!products.Active() || !products.FindField("TProductTypeID")) return;
    products.FilterEqual("TProductTypeID", typeId);
    products.First();
}

void TFrmEditSize::TypeChosen()
{
    QTreeWidgetItem* item = m_tree->currentItem();
    if (!item) return;
    armFilters(false);
    m_code->clear();
    m_name->clear();
    filterToType(typeIdOfName(platform::toGbk(item->text(0))));
    armFilters(true);
}

void TFrmEditSize::collect()
{
    TCustomEntity& products = registry().EntityByName(Products);
    TCustomEntity& chosen = registry().EntityByName(Chosen);
    if (!chosen.Active()) chosen.CopyStructure(products);
    std::vector<Bookmark> rows = m_grid->markedRows();
    if (rows.empty() && products.Active() && !products.IsEmpty())
        rows.push_back(products.GetBookmark());
    for (const Bookmark& row : rows) {
        products.GotoBookmark(row);
        chosen.UpsertRecord(products);
        if (products.FindField("TProductTypeID"))
            m_pickedType = products.FieldByName("TProductTypeID").AsString();
    }
    m_result = chosen.IsEmpty() ? Variant() : chosen.Data();
}

void TFrmEditSize::OKClicked()
{
    collect();
    setResultFlag(1);
    done(1);
}

void TFrmEditSize::ContinueClicked()
{
    collect();
    if (m_tree->topLevelItemCount() != 1 && !m_pickedType.empty()) {
        TCustomEntity& types = registry().EntityByName(Types);
        const QSignalBlocker quiet(m_tree);
        m_tree->clear();
        if (types.Active() && types.Locate("ObjID", Variant(m_pickedType)))
            m_tree->addTopLevelItem(new QTreeWidgetItem({platform::fromGbk(GetName(types))}));
        m_tree->setCurrentItem(m_tree->topLevelItem(0));
    }
    TCustomEntity& chosen = registry().EntityByName(Chosen);
    if (m_onContinue && !chosen.IsEmpty()) m_onContinue(chosen, m_pickedType);
    chosen.EmptyDataSet();
    m_grid->clearMarks();
    m_code->setFocus(Qt::OtherFocusReason);
}

} // namespace corvo::forms
