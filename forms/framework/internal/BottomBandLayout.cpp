#include "BottomBandLayout.h"

#include "forms/rules/BottomBand.h"

#include <QChildEvent>
#include <QWidget>
#include <algorithm>
#include <climits>
#include <utility>

namespace corvo::forms::internal {

BottomBandLayout::BottomBandLayout(QWidget& band, QWidget& left, QWidget& middle, QWidget& right)
    : QLayout(&band)
{
    setContentsMargins(0, 0, 0, 0);
    m_items = {new QWidgetItem(&left), new QWidgetItem(&middle), new QWidgetItem(&right)};
    for (QWidget* p : {&left, &middle}) {
        p->installEventFilter(this);
        for (QWidget* child : p->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            child->installEventFilter(this);
    }
}

BottomBandLayout::~BottomBandLayout()
{
    for (QLayoutItem*& item : m_items) {
        delete item;
        item = nullptr;
    }
}

void BottomBandLayout::addItem(QLayoutItem* item)
{
    delete item;
}

QLayoutItem* BottomBandLayout::itemAt(int index) const
{
    return index >= 0 && index < count() ? m_items[static_cast<std::size_t>(index)] : nullptr;
}

QLayoutItem* BottomBandLayout::takeAt(int index)
{
    if (index < 0 || index >= count()) return nullptr;
    return std::exchange(m_items[static_cast<std::size_t>(index)], nullptr);
}

int BottomBandLayout::count() const
{
    return static_cast<int>(m_items.size());
}

QWidget* BottomBandLayout::part(Part which) const
{
    return m_items[which] ? m_items[which]->widget() : nullptr;
}

int BottomBandLayout::needOf(Part which) const
{
    const QWidget* w = part(which);
    return w ? need(*w) : 0;
}

int BottomBandLayout::need(const QWidget& part)
{
    if (const QLayout* layout = part.layout()) return layout->minimumSize().width();
    int first = INT_MAX;
    int end = 0;
    for (const QWidget* child : part.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isHidden() || child->isWindow()) continue;
        first = std::min(first, child->x());
        end = std::max(end, child->geometry().right() + 1);
    }
    return end > 0 ? end + std::max(first, 0) : 0;
}

QSize BottomBandLayout::sizeHint() const
{
    const int left = std::max(bottomband::LeftWidth, needOf(Left));
    const int middle =
        std::max(needOf(Middle), m_items[Middle] ? m_items[Middle]->sizeHint().width() : 0);
    const int height = m_items[Right] ? m_items[Right]->sizeHint().height() : 0;
    return {left + middle + bottomband::RightWidth, height};
}

QSize BottomBandLayout::minimumSize() const
{
    return {bottomband::RightWidth, 0};
}

Qt::Orientations BottomBandLayout::expandingDirections() const
{
    return Qt::Horizontal;
}

void BottomBandLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    const BottomBandParts widths = splitBottomBand(rect.width(), needOf(Left), needOf(Middle));
    const int top = rect.top();
    const int height = rect.height();
    if (QWidget* left = part(Left)) left->setGeometry(rect.left(), top, widths.left, height);
    if (QWidget* middle = part(Middle))
        middle->setGeometry(rect.left() + widths.left, top, widths.middle, height);
    if (QWidget* right = part(Right))
        right->setGeometry(rect.left() + rect.width() - widths.right, top, widths.right, height);
}

bool BottomBandLayout::eventFilter(QObject* watched, QEvent* event)
{
    const bool isPart = watched == part(Left) || watched == part(Middle);
    switch (event->type()) {
    case QEvent::ChildAdded:
    case QEvent::ChildRemoved:
        if (isPart) {
            QObject* child = static_cast<QChildEvent*>(event)->child();
            if (event->type() == QEvent::ChildAdded && child->isWidgetType())
                child->installEventFilter(this);
            invalidate();
        }
        break;
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
        if (!isPart) invalidate();
        break;
    case QEvent::Move:
    case QEvent::Resize:
        // Buttons placed by hand change their part's need; a part's own layout tells us.
        if (!isPart)
            if (auto* w = qobject_cast<QWidget*>(watched);
                w && w->parentWidget() && !w->parentWidget()->layout())
                invalidate();
        break;
    default:
        break;
    }
    return QLayout::eventFilter(watched, event);
}

} // namespace corvo::forms::internal
