#include "TFrmQueryCondition.h"

#include "controls/TQueryControlList.h"
#include "controls/skin/TQVButton.h"
#include "entity/Error.h"
#include "entity/TCustomEntityList.h"
#include "platform/Modal.h"
#include "platform/QtText.h"

#include <QApplication>
#include <QCursor>
#include <QPushButton>
#include <QResizeEvent>
#include <QScopeGuard>

namespace corvo::forms {

TFrmQueryCondition::TFrmQueryCondition(QWidget* owner) : TFrmQuery(owner)
{
    setObjectName(QStringLiteral("FrmQueryCondition"));
    m_clear = new skin::TQVButton(QStringLiteral("清空"), &pnlBottomMiddle());
    m_clear->setObjectName(QStringLiteral("mbtClear"));
    m_clear->setGeometry(8, 6, 75, 25);
    m_ok = new skin::TQVButton(QStringLiteral("确定"), &pnlBottomMiddle());
    m_ok->setObjectName(QStringLiteral("mbtOK"));
    m_ok->setGeometry(90, 6, 75, 25);
    for (QPushButton* b : {m_clear, m_ok})
        b->setAutoDefault(false);
    connect(m_clear, &QPushButton::clicked, this, [this] { UncheckQueryControls(); });
    connect(m_ok, &QPushButton::clicked, this, &TFrmQueryCondition::confirm);
    resize(760, 320);
}

void TFrmQueryCondition::PrepareFor(std::string_view table)
{
    registry().BuildEntity(table, "TMaster");
    registry().SelectTableFields(table);
    BuildQueryControls(registry().EntityByName("TDictField"), pnlClient());
    LayoutQueryPanel(pnlClient(), *queryControls());
    m_laidOut = true;
    SetFormTitle("请选定您想要的查询条件……");
}

void TFrmQueryCondition::confirm()
{
    try {
        BuildBaseCondition();
    } catch (const std::exception& e) {
        ShowError(e.what());
        return;
    }
    setResultFlag(1);
    done(1);
}

void TFrmQueryCondition::resizeEvent(QResizeEvent* event)
{
    TFrmQuery::resizeEvent(event);
    if (m_laidOut && queryControls()) LayoutQueryPanel(pnlClient(), *queryControls());
}

void ChooseQueryConditions(TFrmQuery& caller, std::string_view table, TSQLAdder& into,
                           std::string_view caption)
{
    TFrmQueryCondition dialog(&caller);
    dialog.setModuleName(caller.moduleName());
    dialog.PrepareFor(table);
    if (!caption.empty()) dialog.setWindowTitle(platform::fromUtf8(caption));
    {
        // Asked in the middle of a query, which shows the hourglass: the user chooses under
        // the ordinary pointer, and the hourglass comes back for the rest of the query.
        QApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
        const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        platform::execModal(dialog);
    }
    if (dialog.resultFlag() != 1) throw Error("查询操作被用户取消。");
    TSQLAdder& chosen = dialog.clauses();
    TField& key = chosen.FieldByName("SQLKey");
    TField& text = chosen.FieldByName("SQLClause");
    for (chosen.First(); !chosen.Eof(); chosen.Next())
        into.AddClause(key.AsString(), text.AsString());
}

} // namespace corvo::forms
