#include "TControlList.h"

#include "entity/Gbk.h"
#include "platform/QtText.h"

#include <QAbstractButton>
#include <QLabel>
#include <algorithm>

namespace corvo::shell {

std::string TControlList::nameOf(const QWidget& control)
{
    QString caption;
    if (auto* button = qobject_cast<const QAbstractButton*>(&control))
        caption = button->text();
    else if (auto* label = qobject_cast<const QLabel*>(&control))
        caption = label->text();
    caption = caption.trimmed();
    return platform::toGbk(caption.isEmpty() ? control.objectName() : caption);
}

bool TControlList::add(QWidget& control)
{
    const std::string name = nameOf(control);
    if (name.empty() || has(name)) return false;
    m_controls.push_back({name, &control});
    return true;
}

bool TControlList::has(const std::string& name) const
{
    return std::any_of(m_controls.begin(), m_controls.end(),
                       [&](const Entry& e) { return gbk::equalsIgnoreCase(e.name, name); });
}

QWidget* TControlList::byName(const std::string& name) const
{
    for (const Entry& e : m_controls)
        if (gbk::equalsIgnoreCase(e.name, name)) return e.control.data();
    return nullptr;
}

QWidget* TControlList::current() const
{
    return eof() ? nullptr : m_controls[m_cursor].control.data();
}

const std::string& TControlList::currentName() const
{
    static const std::string none;
    return eof() ? none : m_controls[m_cursor].name;
}

} // namespace corvo::shell
