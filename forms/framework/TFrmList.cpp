#include "TFrmList.h"

#include "controls/skin/TQVButton.h"
#include "entity/TCustomEntityList.h"
#include "platform/DataGrid.h"

#include <QFrame>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace corvo::forms {

TFrmList::TFrmList(QWidget* owner) : TFrmQuery(owner)
{
    setObjectName(QStringLiteral("FrmList"));
    auto* layout = new QVBoxLayout(&pnlClient());
    layout->setContentsMargins(2, 2, 2, 2);
    m_grid = new platform::DataGrid(&pnlClient());
    m_grid->setObjectName(QStringLiteral("dgeMaster"));
    m_grid->setMultiSelect(true);
    layout->addWidget(m_grid);
    m_confirm = new skin::TQVButton(QStringLiteral("确定"), &pnlBottomMiddle());
    m_confirm->setObjectName(QStringLiteral("mbtConfirm"));
    m_confirm->setAutoDefault(false);
    // Enter in the list confirms, as a double click does.
    m_confirm->setDefault(true);
    m_confirm->setGeometry(8, 6, 75, 25);
    connect(m_confirm, &QPushButton::clicked, this, &TFrmList::confirm);
    connect(m_grid, &QAbstractItemView::doubleClicked, this, &TFrmList::confirm);
    SetFormTitle("");
    resize(480, 420);
}

void TFrmList::confirm()
{
    setResultFlag(1);
    done(1);
}

void TFrmList::LoadRows(const Variant& packet)
{
    registry().EntityByName("TMaster").SetData(packet);
    registry().SelectMasterFields();
    registry().BindGridSelected("TMaster", *m_grid);
    SizeGridColumns(*m_grid);
}

void TFrmList::ShowOnlyField(std::string_view fieldName)
{
    TCustomEntity& master = registry().EntityByName("TMaster");
    for (int i = 0; i < master.FieldCount(); ++i)
        master.Fields(i).SetVisible(master.Fields(i).FieldName() == fieldName);
}

void TFrmList::showEvent(QShowEvent* event)
{
    TFrmQuery::showEvent(event);
    if (m_grid->dataSet()) SizeGridColumns(*m_grid);
}

TFrmFormList::TFrmFormList(QWidget* owner) : TFrmList(owner)
{
    setObjectName(QStringLiteral("FrmFormList"));
    setFixedSize(250, 484);
    dgeMaster().setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    dgeMaster().verticalScrollBar()->setTracking(true);
}

} // namespace corvo::forms
