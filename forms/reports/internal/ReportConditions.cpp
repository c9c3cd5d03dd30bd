#include "ReportConditions.h"

#include "controls/TQueryControl.h"
#include "controls/TVelComboBox.h"
#include "forms/framework/TFrmApp.h"
#include "forms/rules/StatementRules.h"
#include "platform/QtText.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPointer>

namespace corvo::forms::internal {
namespace {

/// Eats the clicks and keys that would untick a ticked condition.
class ConditionLock : public QObject {
public:
    ConditionLock(TFrmApp& form, controls::TQueryControl& condition)
        : QObject(&condition), m_form(&form), m_condition(condition)
    {
    }

    void refuse()
    {
        if (m_form)
            m_form->ShowStatusText(LockedConditionMessage(m_condition.Caption().toStdString()));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != &m_condition || !m_condition.isChecked()) return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            return true;
        case QEvent::MouseButtonRelease:
            refuse();
            return true;
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key != Qt::Key_Space && key != Qt::Key_Select) return false;
            if (event->type() == QEvent::KeyRelease) refuse();
            return true;
        }
        default:
            return false;
        }
    }

private:
    QPointer<TFrmApp> m_form;
    controls::TQueryControl& m_condition;
};

} // namespace

controls::TVelComboBox* codeBox(controls::TQueryControl& condition)
{
    return dynamic_cast<controls::TVelComboBox*>(condition.Editor());
}

void chooseFirstEntry(controls::TQueryControl& condition)
{
    controls::TVelComboBox* box = codeBox(condition);
    if (!box || box->ItemCount() == 0) return;
    controls::TItemField item;
    box->GetItem(0, item);
    box->SetInnerCode(item.InnerCode);
}

void lockCondition(TFrmApp& form, controls::TQueryControl& condition)
{
    auto* lock = new ConditionLock(form, condition);
    condition.installEventFilter(lock);
    QObject::connect(&condition, &QCheckBox::toggled, lock, [lock, &condition](bool checked) {
        if (checked) return;
        condition.setChecked(true);
        lock->refuse();
    });
}

std::string chosenCode(controls::TQueryControl& condition)
{
    controls::TVelComboBox* box = codeBox(condition);
    return box ? platform::toGbk(box->InnerCode()) : std::string();
}

} // namespace corvo::forms::internal
