#include "TQueryControl.h"

#include "TFloatSpan.h"
#include "TIntegerSpan.h"
#include "TSafeEdit.h"
#include "TTimeSpan.h"
#include "TVelComboBox.h"
#include "entity/Error.h"
#include "internal/Placement.h"
#include "platform/QtText.h"

#include <QComboBox>
#include <QEvent>
#include <QLineEdit>

namespace corvo::controls {
namespace {

constexpr int RangeLength = 240;
constexpr int SingleLength = 120;

internal::Side sideOf(TQuCheckPosition position)
{
    switch (position) {
    case TQuCheckPosition::lpAbove:
        return internal::Side::Above;
    case TQuCheckPosition::lpBelow:
        return internal::Side::Below;
    case TQuCheckPosition::lpLeft:
        return internal::Side::Left;
    case TQuCheckPosition::lpRight:
        break;
    }
    return internal::Side::Right;
}

template <typename Editor> Editor* sized(Editor* editor)
{
    editor->resize(SingleLength, editor->sizeHint().height());
    return editor;
}

/// The editor of a sub type, or nullptr for one outside the table.
QWidget* createEditor(TQuSubType subType)
{
    switch (subType) {
    case TQuSubType::stQuEdit:
        return sized(new QLineEdit());
    case TQuSubType::stQuComboBox: {
        auto* box = new QComboBox();
        box->setEditable(true);
        return sized(box);
    }
    case TQuSubType::stQuSafeEdit:
        return sized(new TSafeEdit());
    case TQuSubType::stQuIntegerEdit:
        return new TIntegerSpan();
    case TQuSubType::stQuFloatEdit:
        return new TFloatSpan();
    case TQuSubType::stQuVelCombobox:
        return sized(new TVelComboBox());
    case TQuSubType::stQuDateTimePicker:
        return new TTimeSpan();
    }
    return nullptr;
}

} // namespace

TQueryControl::TQueryControl(QWidget* parent) : QCheckBox(parent)
{
    init();
}

TQueryControl::TQueryControl(QWidget* parent, std::string fieldName, TQuCheckFieldType fieldType,
                             TQuSubType subType, TOpChar opChar)
    : QCheckBox(parent), m_fieldName(std::move(fieldName)), m_fieldType(fieldType),
      m_subType(subType), m_opChar(opChar)
{
    init();
}

TQueryControl::~TQueryControl()
{
    delete m_editor.data();
}

void TQueryControl::init()
{
    connect(this, &QCheckBox::toggled, this, &TQueryControl::onToggled);
    makeEditor();
    // Through both states, so the editor starts disabled and cleared as an untick leaves it;
    // before the editor joins a parent, so that nothing takes the focus.
    setChecked(true);
    toggle();
    setChecked(false);
    if (parentWidget()) adoptParent();
}

void TQueryControl::SetCaption(const QString& caption)
{
    setText(caption);
    adjustSize();
    placeEditor();
}

void TQueryControl::SetCheckLength(int length)
{
    m_checkLength = length;
    applyCheckLength();
    placeEditor();
}

void TQueryControl::SetCheckPosition(TQuCheckPosition position)
{
    m_position = position;
    placeEditor();
}

void TQueryControl::SetSubType(TQuSubType subType)
{
    if (subType == m_subType) return;
    m_subType = subType;
    delete m_editor.data();
    makeEditor();
    if (parentWidget()) adoptParent();
    placeEditor();
}

bool TQueryControl::IsRange() const noexcept
{
    return m_subType == TQuSubType::stQuIntegerEdit || m_subType == TQuSubType::stQuFloatEdit ||
           m_subType == TQuSubType::stQuDateTimePicker;
}

std::string TQueryControl::GetCondition() const
{
    if (!isChecked() || !m_editor) return {};
    condition::Request request;
    request.value = valueText();
    request.fieldName = m_fieldName;
    request.captionUtf8 = text().toStdString();
    request.kind = static_cast<condition::FieldKind>(m_fieldType);
    request.isRange = IsRange();
    request.like = m_opChar == TOpChar::opLike;
    request.editorVisible = internal::ownVisible(*m_editor);
    return condition::compose(std::move(request), BeforeGetCondition);
}

void TQueryControl::setVisible(bool visible)
{
    QCheckBox::setVisible(visible);
    if (m_editor && m_editor->parentWidget()) m_editor->setVisible(visible);
}

bool TQueryControl::event(QEvent* event)
{
    const bool result = QCheckBox::event(event);
    switch (event->type()) {
    case QEvent::ParentChange:
        adoptParent();
        break;
    case QEvent::Move:
    case QEvent::Resize:
        placeEditor();
        break;
    case QEvent::FontChange:
        adjustSize();
        break;
    case QEvent::EnabledChange:
        // Only the check box's own Enabled is copied; a parent's change reaches the editor
        // by itself, and an unticked editor stays disabled.
        if (internal::ownEnabled(*this) != m_ownEnabled) {
            m_ownEnabled = internal::ownEnabled(*this);
            if (m_editor) m_editor->setEnabled(m_ownEnabled && isChecked());
        }
        break;
    case QEvent::LayoutDirectionChange:
        if (m_editor) m_editor->setLayoutDirection(layoutDirection());
        break;
    default:
        break;
    }
    return result;
}

void TQueryControl::makeEditor()
{
    QWidget* editor = createEditor(m_subType);
    if (!editor) throw Error(objectName().toStdString() + "不认识该类型");
    m_editor = editor;
    editor->setEnabled(isChecked());
    m_checkLength = IsRange() ? RangeLength : SingleLength;
    applyCheckLength();
}

void TQueryControl::adoptParent()
{
    QWidget* parent = parentWidget();
    if (parent && internal::ownVisible(*this)) QCheckBox::setVisible(true);
    if (!m_editor) return;
    internal::followParent(*m_editor, parent, true);
    m_editor->setEnabled(isChecked());
    applyCheckLength();
    placeEditor();
}

void TQueryControl::applyCheckLength()
{
    if (!m_editor || m_checkLength == 0) return;
    switch (m_subType) {
    case TQuSubType::stQuIntegerEdit:
        static_cast<TIntegerSpan*>(m_editor.data())->SetCombinedWidth(m_checkLength);
        break;
    case TQuSubType::stQuFloatEdit:
        static_cast<TFloatSpan*>(m_editor.data())->SetCombinedWidth(m_checkLength);
        break;
    case TQuSubType::stQuDateTimePicker:
        static_cast<TTimeSpan*>(m_editor.data())->SetCombinedWidth(m_checkLength);
        break;
    default:
        m_editor->resize(m_checkLength, m_editor->height());
        break;
    }
}

void TQueryControl::placeEditor()
{
    if (!m_editor) return;
    m_editor->move(internal::editorPosition(geometry(), m_editor->size(), sideOf(m_position),
                                            /*centre=*/true));
    switch (m_subType) {
    case TQuSubType::stQuIntegerEdit:
        static_cast<TIntegerSpan*>(m_editor.data())->PlaceParts();
        break;
    case TQuSubType::stQuFloatEdit:
        static_cast<TFloatSpan*>(m_editor.data())->PlaceParts();
        break;
    case TQuSubType::stQuDateTimePicker:
        static_cast<TTimeSpan*>(m_editor.data())->PlaceParts();
        break;
    default:
        break;
    }
}

void TQueryControl::onToggled(bool checked)
{
    if (!m_editor || !internal::ownVisible(*m_editor)) return;
    m_editor->setEnabled(checked);
    if (checked) {
        if (m_editor->isVisible()) m_editor->setFocus();
        return;
    }
    clearValue();
}

void TQueryControl::clearValue()
{
    switch (m_subType) {
    case TQuSubType::stQuEdit:
    case TQuSubType::stQuSafeEdit:
        static_cast<QLineEdit*>(m_editor.data())->clear();
        break;
    case TQuSubType::stQuComboBox:
        static_cast<QComboBox*>(m_editor.data())->setEditText(QString());
        break;
    case TQuSubType::stQuVelCombobox:
        static_cast<TVelComboBox*>(m_editor.data())->SetInnerCode(QString());
        break;
    case TQuSubType::stQuIntegerEdit: {
        auto* span = static_cast<TIntegerSpan*>(m_editor.data());
        span->SetNumber(0);
        span->UpperEdit()->SetNumber(0);
        break;
    }
    case TQuSubType::stQuFloatEdit: {
        auto* span = static_cast<TFloatSpan*>(m_editor.data());
        span->SetValue(0);
        span->UpperEdit()->SetValue(0);
        break;
    }
    case TQuSubType::stQuDateTimePicker:
        break;
    }
}

std::string TQueryControl::valueText() const
{
    switch (m_subType) {
    case TQuSubType::stQuEdit:
    case TQuSubType::stQuSafeEdit:
        return platform::toGbk(static_cast<QLineEdit*>(m_editor.data())->text());
    case TQuSubType::stQuComboBox:
        return platform::toGbk(static_cast<QComboBox*>(m_editor.data())->currentText());
    case TQuSubType::stQuVelCombobox:
        return platform::toGbk(static_cast<TVelComboBox*>(m_editor.data())->InnerCode());
    case TQuSubType::stQuIntegerEdit:
        return static_cast<TIntegerSpan*>(m_editor.data())->GetRangeCondition();
    case TQuSubType::stQuFloatEdit:
        return static_cast<TFloatSpan*>(m_editor.data())->GetRangeCondition();
    case TQuSubType::stQuDateTimePicker:
        return static_cast<TTimeSpan*>(m_editor.data())->GetRangeCondition();
    }
    throw Error(objectName().toStdString() + "不认识该类型");
}

} // namespace corvo::controls
