#include "RangeParts.h"

#include "Placement.h"

#include <QLabel>
#include <QWidget>

namespace corvo::controls::internal {

RangeParts::RangeParts(QWidget& first, QWidget* second, bool labelEnabled)
    : m_first(first), m_label(new QLabel(QString::fromUtf8("到"))), m_second(second)
{
    m_label->resize(LabelWidth, m_label->sizeHint().height());
    m_label->setEnabled(labelEnabled);
    m_label->setBuddy(m_second);
    m_second->setEnabled(false);
    if (m_first.parentWidget()) followParent();
}

RangeParts::~RangeParts()
{
    delete m_label.data();
    delete m_second.data();
}

void RangeParts::fitEditors()
{
    m_first.resize(DefaultEditorWidth, m_first.sizeHint().height());
    if (m_second) m_second->resize(DefaultEditorWidth, m_second->sizeHint().height());
    place();
}

void RangeParts::setCombinedWidth(int width)
{
    m_combinedWidthSet = true;
    const int each = (width - SecondOffset - Spacing) / 2;
    if (m_second) m_second->resize(each, m_second->height());
    m_first.resize(each, m_first.height());
    place();
}

void RangeParts::handle(QEvent::Type type)
{
    switch (type) {
    case QEvent::ParentChange:
        followParent();
        break;
    case QEvent::Move:
    case QEvent::Resize:
        place();
        break;
    case QEvent::EnabledChange:
        // A parent's change reaches the parts by themselves; only our own is copied.
        if (ownEnabled(m_first) == m_ownEnabled) break;
        m_ownEnabled = ownEnabled(m_first);
        for (QWidget* part : {static_cast<QWidget*>(m_label.data()), m_second.data()})
            if (part) part->setEnabled(m_ownEnabled);
        break;
    case QEvent::LayoutDirectionChange:
        for (QWidget* part : {static_cast<QWidget*>(m_label.data()), m_second.data()})
            if (part) part->setLayoutDirection(m_first.layoutDirection());
        break;
    default:
        break;
    }
}

void RangeParts::copyVisible(bool visible)
{
    if (!m_first.parentWidget()) return;
    for (QWidget* part : {static_cast<QWidget*>(m_label.data()), m_second.data()})
        if (part) part->setVisible(visible);
}

void RangeParts::followParent()
{
    QWidget* parent = m_first.parentWidget();
    const bool visible = ownVisible(m_first);
    for (QWidget* part : {static_cast<QWidget*>(m_label.data()), m_second.data()})
        if (part) internal::followParent(*part, parent, visible);
    if (parent && !m_combinedWidthSet && m_second)
        m_second->resize((m_first.width() - SecondOffset) / 2, m_second->height());
    place();
}

void RangeParts::place()
{
    const int right = m_first.x() + m_first.width();
    if (m_label) {
        const int offset = (m_first.height() - m_label->height()) / 2;
        m_label->move(right + Spacing, m_first.y() + offset);
    }
    if (m_second) {
        const int offset = (m_first.height() - m_second->height()) / 2;
        m_second->move(right + SecondOffset + Spacing, m_first.y() + offset);
    }
}

void RangeParts::name(const QString& caption)
{
    if (m_first.accessibleName() != caption) m_first.setAccessibleName(caption);
    const QString second = caption + QLatin1Char(' ') + m_label->text();
    if (m_second && m_second->accessibleName() != second) m_second->setAccessibleName(second);
}

} // namespace corvo::controls::internal
