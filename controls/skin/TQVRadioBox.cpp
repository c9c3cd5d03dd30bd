#include "TQVRadioBox.h"

#include "SkinArt.h"
#include "TQVCheckBox.h"

#include <QButtonGroup>
#include <QKeyEvent>

namespace corvo::skin {
namespace {

const QString Strip = QStringLiteral("XPRADIOBOX");

} // namespace

TQVRadioBox::TQVRadioBox(QWidget* parent) : TQVRadioBox(QString(), parent) {}

TQVRadioBox::TQVRadioBox(const QString& caption, QWidget* parent) : QRadioButton(caption, parent)
{
    const Rgb rgb = colourFromNumber(15136504);
    m_color = QColor(rgb.red, rgb.green, rgb.blue);
    setFocusPolicy(Qt::StrongFocus);
    joinGroup();
    // The click of a box checked from code comes once its group is settled.
    connect(this, &QAbstractButton::toggled, this, [this](bool checked) {
        if (!checked || !m_clickPending) return;
        m_clickPending = false;
        emit clicked(true);
    });
}

void TQVRadioBox::setGroupIndex(int index)
{
    m_groupIndex = index;
    joinGroup();
}

void TQVRadioBox::joinGroup()
{
    if (QButtonGroup* old = group()) old->removeButton(this);
    m_groupParent = parentWidget();
    if (!m_groupParent) return;
    const QString name = QStringLiteral("QVRadioGroup%1").arg(m_groupIndex);
    auto* group = m_groupParent->findChild<QButtonGroup*>(name, Qt::FindDirectChildrenOnly);
    if (!group) {
        group = new QButtonGroup(m_groupParent);
        group->setObjectName(name);
    }
    group->addButton(this);
}

void TQVRadioBox::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ParentChange && parentWidget() != m_groupParent) joinGroup();
    QRadioButton::changeEvent(event);
}

void TQVRadioBox::setColor(const QColor& colour)
{
    m_color = colour;
    update();
}

int TQVRadioBox::frameNumber() const noexcept
{
    return CheckPainter::frameNumber(*this, m_hot);
}

QSize TQVRadioBox::sizeHint() const
{
    return CheckPainter::sizeHint(*this, Strip);
}

void TQVRadioBox::paintEvent(QPaintEvent*)
{
    CheckPainter::paint(*this, Strip, m_hot, m_color);
}

void TQVRadioBox::enterEvent(QEnterEvent* event)
{
    m_hot = true;
    update();
    QRadioButton::enterEvent(event);
}

void TQVRadioBox::leaveEvent(QEvent* event)
{
    m_hot = false;
    update();
    QRadioButton::leaveEvent(event);
}

bool TQVRadioBox::hitButton(const QPoint& pos) const
{
    return rect().contains(pos);
}

void TQVRadioBox::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        click();
        return;
    }
    QRadioButton::keyPressEvent(event);
}

// A user's click: Qt checks the box, settles the group and gives the click itself.
void TQVRadioBox::nextCheckState()
{
    QRadioButton::nextCheckState();
    m_wasChecked = isChecked();
}

// setChecked from code; a newly checked box owes one click.
void TQVRadioBox::checkStateSet()
{
    const bool checked = isChecked();
    m_clickPending = checked && !m_wasChecked;
    m_wasChecked = checked;
}

} // namespace corvo::skin
