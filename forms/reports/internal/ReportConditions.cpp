#include "ReportConditions.h"

#include "controls/TQueryControl.h"
#include "controls/TVelComboBox.h"
#include "entity/EntityHelpers.h"
#include "entity/Gbk.h"
#include "entity/TCustomEntity.h"
#include "entity/TCustomEntityList.h"
#include "forms/framework/TFrmApp.h"
#include "forms/rules/StatementRules.h"
#include "platform/QtText.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPointer>
#include <cstdlib>
#include <map>
#include <vector>

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

void choosePresetPartner(TFrmApp& form, controls::TQueryControl& condition, int role)
{
    controls::TVelComboBox* box = codeBox(condition);
    if (!box || box->ItemCount() == 0) return;
    std::map<std::string, int> roleOf;
    TCustomEntityList& registry = form.registry();
    if (registry.HasEntity("TOrgan") && registry.HasEntity("TOtherParam")) {
        TCustomEntity& organs = registry.EntityByName("TOrgan");
        TCustomEntity& params = registry.EntityByName("TOtherParam");
        if (organs.Active() && params.Active() && organs.FindField("TOrganTypeID") &&
            params.FindField("Type") && params.FindField("DispOrder")) {
            std::map<std::string, int> orderOfType;
            params.ClearFilter();
            for (params.First(); !params.Eof(); params.Next())
                if (gbk::equalsIgnoreCase(GetFieldString(params, "Type"), "TOrganTypeID"))
                    orderOfType[GetObjID(params)] =
                        std::atoi(GetFieldString(params, "DispOrder").c_str());
            for (organs.First(); !organs.Eof(); organs.Next()) {
                const auto type = orderOfType.find(GetFieldString(organs, "TOrganTypeID"));
                if (type != orderOfType.end()) roleOf[GetObjID(organs)] = type->second;
            }
            params.First();
            organs.First();
        }
    }
    std::vector<PartnerEntry> entries;
    for (int i = 0; i < box->ItemCount(); ++i) {
        controls::TItemField item;
        box->GetItem(i, item);
        const std::string id = platform::toGbk(item.InnerCode);
        const auto known = roleOf.find(id);
        entries.push_back({id, known == roleOf.end() ? 0 : known->second});
    }
    const int preset = PresetPartner(entries, form.owner(), role);
    if (preset < 0) return;
    controls::TItemField item;
    box->GetItem(preset, item);
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
