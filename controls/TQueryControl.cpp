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
#include <QLineEdit>

namespace corvo::controls {
namespace {

constexpr int RangeLength = 240;
constexpr int SingleLength = 120;

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

TQueryControl::TQueryControl(QWidget* parent) : EditorHost(parent, /*centred=*/true)
{
    init();
}

TQueryControl::TQueryControl(QWidget* parent, std::string fieldName, TQuCheckFieldType fieldType,
                             TQuSubType subType, TOpChar opChar)
    : EditorHost(parent, /*centred=*/true), m_fieldName(std::move(fieldName)),
      m_fieldType(fieldType), m_subType(subType), m_opChar(opChar)
{
    init();
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
    remakeEditor();
}

bool TQueryControl::IsRange() const noexcept
{
    return m_subType == TQuSubType::stQuIntegerEdit || m_subType == TQuSubType::stQuFloatEdit ||
           m_subType == TQuSubType::stQuDateTimePicker;
}

std::string TQueryControl::GetCondition() const
{
    if (!isChecked() || !Editor()) return {};
    condition::Request request;
    request.value = valueText();
    request.fieldName = m_fieldName;
    request.captionUtf8 = text().toStdString();
    request.kind = static_cast<condition::FieldKind>(m_fieldType);
    request.isRange = IsRange();
    request.like = m_opChar == TOpChar::opLike;
    request.editorVisible = internal::ownVisible(*Editor());
    return condition::compose(std::move(request), BeforeGetCondition);
}

void TQueryControl::makeEditor()
{
    QWidget* editor = createEditor(m_subType);
    if (!editor) throw Error(objectName().toStdString() + "不认识该类型");
    setEditor(editor);
    editor->setEnabled(isChecked());
    m_checkLength = IsRange() ? RangeLength : SingleLength;
    applyCheckLength();
}

internal::Side TQueryControl::editorSide() const
{
    return internal::sideOf(m_position);
}

bool TQueryControl::editorEnabled(bool ownEnabled) const
{
    // An unticked editor stays disabled.
    return ownEnabled && isChecked();
}

void TQueryControl::editorAdopted(QWidget& editor, QWidget* /*parent*/)
{
    editor.setEnabled(isChecked());
    applyCheckLength();
}

void TQueryControl::applyCheckLength()
{
    QWidget* editor = Editor();
    if (!editor || m_checkLength == 0) return;
    switch (m_subType) {
    case TQuSubType::stQuIntegerEdit:
        static_cast<TIntegerSpan*>(editor)->SetCombinedWidth(m_checkLength);
        break;
    case TQuSubType::stQuFloatEdit:
        static_cast<TFloatSpan*>(editor)->SetCombinedWidth(m_checkLength);
        break;
    case TQuSubType::stQuDateTimePicker:
        static_cast<TTimeSpan*>(editor)->SetCombinedWidth(m_checkLength);
        break;
    default:
        editor->resize(m_checkLength, editor->height());
        break;
    }
}

void TQueryControl::editorPlaced(QWidget& editor)
{
    switch (m_subType) {
    case TQuSubType::stQuIntegerEdit:
        static_cast<TIntegerSpan&>(editor).PlaceParts();
        break;
    case TQuSubType::stQuFloatEdit:
        static_cast<TFloatSpan&>(editor).PlaceParts();
        break;
    case TQuSubType::stQuDateTimePicker:
        static_cast<TTimeSpan&>(editor).PlaceParts();
        break;
    default:
        break;
    }
}

void TQueryControl::editorNamed(QWidget& editor, const QString& name)
{
    switch (m_subType) {
    case TQuSubType::stQuIntegerEdit:
        static_cast<TIntegerSpan&>(editor).NameParts(name);
        break;
    case TQuSubType::stQuFloatEdit:
        static_cast<TFloatSpan&>(editor).NameParts(name);
        break;
    case TQuSubType::stQuDateTimePicker:
        static_cast<TTimeSpan&>(editor).NameParts(name);
        break;
    default:
        break;
    }
}

void TQueryControl::onToggled(bool checked)
{
    QWidget* editor = Editor();
    if (!editor || !internal::ownVisible(*editor)) return;
    editor->setEnabled(checked);
    if (checked) {
        if (editor->isVisible()) editor->setFocus();
        return;
    }
    clearValue();
}

void TQueryControl::clearValue()
{
    switch (m_subType) {
    case TQuSubType::stQuEdit:
    case TQuSubType::stQuSafeEdit:
        static_cast<QLineEdit*>(Editor())->clear();
        break;
    case TQuSubType::stQuComboBox:
        static_cast<QComboBox*>(Editor())->setEditText(QString());
        break;
    case TQuSubType::stQuVelCombobox:
        static_cast<TVelComboBox*>(Editor())->SetInnerCode(QString());
        break;
    case TQuSubType::stQuIntegerEdit: {
        auto* span = static_cast<TIntegerSpan*>(Editor());
        span->SetNumber(0);
        span->UpperEdit()->SetNumber(0);
        break;
    }
    case TQuSubType::stQuFloatEdit: {
        auto* span = static_cast<TFloatSpan*>(Editor());
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
        return platform::toGbk(static_cast<QLineEdit*>(Editor())->text());
    case TQuSubType::stQuComboBox:
        return platform::toGbk(static_cast<QComboBox*>(Editor())->currentText());
    case TQuSubType::stQuVelCombobox:
        return platform::toGbk(static_cast<TVelComboBox*>(Editor())->InnerCode());
    case TQuSubType::stQuIntegerEdit:
        return static_cast<TIntegerSpan*>(Editor())->GetRangeCondition();
    case TQuSubType::stQuFloatEdit:
        return static_cast<TFloatSpan*>(Editor())->GetRangeCondition();
    case TQuSubType::stQuDateTimePicker:
        return static_cast<TTimeSpan*>(Editor())->GetRangeCondition();
    }
    throw Error(objectName().toStdString() + "不认识该类型");
}

} // namespace corvo::controls
