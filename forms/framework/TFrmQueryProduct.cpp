#include "TFrmQueryProduct.h"

#include "controls/TSafeEdit.h"
#include "controls/TVelComboBox.h"
#include "controls/skin/TQVButton.h"
#include "entity/TCustomEntityList.h"
#include "platform/DataGrid.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvo::forms {
namespace {

QLabel* label(const char* text, QWidget* parent, int left)
{
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->move(left, 10);
    return l;
}

} // namespace

TFrmQueryProduct::TFrmQueryProduct(QWidget* owner) : TFrmQuery(owner)
{
    setObjectName(QStringLiteral("FrmQueryProduct"));
    SetFormTitle("");
    auto* layout = new QVBoxLayout(&pnlClient());
    layout->setContentsMargins(2, 2, 2, 2);
    auto* strip = new QFrame(&pnlClient());
    strip->setFixedHeight(36);
    layout->addWidget(strip);
    auto* codeLabel = label("产品编码", strip, 8);
    m_code = new controls::TSafeEdit(strip);
    m_code->setObjectName(QStringLiteral("sedCode"));
    m_code->setGeometry(66, 7, 110, 22);
    auto* nameLabel = label("产品名称", strip, 190);
    m_name = new controls::TSafeEdit(strip);
    m_name->setObjectName(QStringLiteral("sedName"));
    m_name->setGeometry(248, 7, 130, 22);
    auto* typeLabel = label("产品类型", strip, 392);
    m_type = new controls::TVelComboBox(strip);
    m_type->setObjectName(QStringLiteral("scbTProductTypeID"));
    m_type->setGeometry(450, 7, 140, 22);
    m_type->SetEnterList(false);
    m_type->SetShowErr(false);
    m_type->SetIme1Visible(true);
    m_type->SetIme2Visible(true);
    m_type->SetLines(5);
    m_type->SetStrict(true);
    codeLabel->setBuddy(m_code);
    nameLabel->setBuddy(m_name);
    typeLabel->setBuddy(m_type);

    m_grid = new platform::DataGrid(&pnlClient());
    m_grid->setObjectName(QStringLiteral("dgeProduct"));
    m_grid->setMultiSelect(true);
    layout->addWidget(m_grid, 1);
    m_ok = new skin::TQVButton(QStringLiteral("确定"), &pnlBottomMiddle());
    m_ok->setObjectName(QStringLiteral("mbtOK"));
    m_ok->setGeometry(8, 6, 75, 25);
    m_ok->setAutoDefault(false);
    connect(m_ok, &QPushButton::clicked, this, &TFrmQueryProduct::confirm);
    connect(m_grid, &QAbstractItemView::doubleClicked, this, &TFrmQueryProduct::confirm);
    m_grid->installEventFilter(this);

    connect(m_code, &QLineEdit::textChanged, this, [this] { BuildNameCondition(*m_code); });
    connect(m_name, &QLineEdit::textChanged, this, [this] { BuildNameCondition(*m_name); });
    connect(m_type, &QLineEdit::textChanged, this, [this] { BuildNameCondition(*m_type); });

    FillOtherParamCombo(*m_type, "TProductTypeID");
    TCustomEntity& products = registry().EntityByName("TMaster");
    LoadLocalFile("TProduct", products);
    products.ClearFilter();
    products.First();
    registry().BindGrid("TMaster", *m_grid);
    SizeGridColumns(*m_grid);
    resize(720, 480);
}

void TFrmQueryProduct::AfterMasterFilter(TCustomEntity&)
{
    m_grid->markCurrentRow();
}

bool TFrmQueryProduct::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_grid && event->type() == QEvent::FocusIn)
        if (TClientDataSet* products = m_grid->dataSet(); products && products->Active())
            products->First();
    return TFrmQuery::eventFilter(watched, event);
}

void TFrmQueryProduct::confirm()
{
    TCustomEntity& products = registry().EntityByName("TMaster");
    TCustomEntity one;
    one.CopyStructure(products);
    if (!products.IsEmpty()) one.UpsertRecord(products);
    m_lastProduct = one.Data();
    setResultFlag(1);
    done(1);
}

} // namespace corvo::forms
