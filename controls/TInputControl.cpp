#include "TInputControl.h"

#include "TFloatEdit.h"
#include "TIntegerEdit.h"
#include "TPictureBox.h"
#include "TSafeEdit.h"
#include "TVelComboBox.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "internal/DatePicker.h"
#include "internal/Placement.h"
#include "platform/Desktop.h"
#include "platform/QtText.h"

#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QPlainTextEdit>

namespace corvo::controls {
namespace {

// The width every new editor is given; the form may widen it once the caption is placed.
constexpr int DefaultEditorWidth = 120;
// A memo shows about five lines.
constexpr int MemoHeight = 89;

/// Parentless widgets start at window size; editors start at their own.
template <typename Editor> Editor* sized(Editor* editor, int extraHeight = 0)
{
    editor->resize(DefaultEditorWidth, editor->sizeHint().height() + extraHeight);
    return editor;
}

internal::Side sideOf(TCheckPosition position)
{
    switch (position) {
    case TCheckPosition::lpAbove:
        return internal::Side::Above;
    case TCheckPosition::lpBelow:
        return internal::Side::Below;
    case TCheckPosition::lpLeft:
        return internal::Side::Left;
    case TCheckPosition::lpRight:
        break;
    }
    return internal::Side::Right;
}

/// The editor of a sub type, or nullptr for one outside the table.
QWidget* createEditor(TSubType subType)
{
    switch (subType) {
    case TSubType::stEdit:
        return sized(new QLineEdit());
    case TSubType::stComboBox: {
        auto* box = new QComboBox();
        box->setEditable(true);
        return sized(box);
    }
    case TSubType::stSafeEdit:
        return sized(new TSafeEdit());
    case TSubType::stIntegerEdit:
        return sized(new TIntegerEdit());
    case TSubType::stFloatEdit:
        return sized(new TFloatEdit());
    case TSubType::stVelCombobox:
        return sized(new TVelComboBox());
    case TSubType::stDateTimePicker: {
        auto* picker = new QDateEdit();
        internal::configureDatePicker(*picker);
        return sized(picker, 2);
    }
    case TSubType::stMemo: {
        auto* memo = new QPlainTextEdit();
        memo->resize(DefaultEditorWidth, MemoHeight);
        return memo;
    }
    case TSubType::stImage:
        return new TPictureBox();
    }
    return nullptr;
}

Variant gbkText(const QString& text)
{
    return Variant(platform::toGbk(text));
}

} // namespace

TInputControl::TInputControl(QWidget* parent, TSubType subType) : QLabel(parent), m_subType(subType)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    makeEditor();
    if (parentWidget()) adoptParent();
}

TInputControl::~TInputControl()
{
    delete m_editor.data();
}

void TInputControl::SetCaption(const QString& caption)
{
    setText(caption);
    adjustSize();
    placeEditor();
}

void TInputControl::SetCheckLeft(int left)
{
    m_checkLeft = left;
    if (m_editor) m_editor->move(left, m_editor->y());
    placeEditor();
}

void TInputControl::SetCheckHeight(int height)
{
    m_checkHeight = height;
    placeEditor();
}

void TInputControl::SetCheckWidth(int width)
{
    m_checkWidth = width;
    placeEditor();
}

void TInputControl::SetCheckPosition(TCheckPosition position)
{
    m_position = position;
    placeEditor();
}

void TInputControl::SetSubType(TSubType subType)
{
    if (subType == m_subType) return;
    m_subType = subType;
    delete m_editor.data();
    makeEditor();
    // A remade editor joins the caption's parent at once, like the first one did.
    if (parentWidget()) adoptParent();
    placeEditor();
}

bool TInputControl::IsTextEdit() const noexcept
{
    return m_editor && (m_subType == TSubType::stEdit || m_subType == TSubType::stSafeEdit);
}

Variant TInputControl::Text() const
{
    if (!m_editor) return {};
    switch (m_subType) {
    case TSubType::stComboBox:
        return gbkText(static_cast<QComboBox*>(m_editor.data())->currentText());
    case TSubType::stVelCombobox:
        return gbkText(static_cast<TVelComboBox*>(m_editor.data())->InnerCode());
    case TSubType::stDateTimePicker: {
        auto* picker = static_cast<QDateEdit*>(m_editor.data());
        picker->setTime(QTime(0, 0));
        return Variant(platform::toGbk(platform::shortDate(picker->date())));
    }
    case TSubType::stMemo:
        return gbkText(static_cast<QPlainTextEdit*>(m_editor.data())->toPlainText());
    case TSubType::stImage:
        return Variant(static_cast<TPictureBox*>(m_editor.data())->PictureBytes());
    default:
        return gbkText(static_cast<QLineEdit*>(m_editor.data())->text());
    }
}

void TInputControl::SetText(const Variant& value)
{
    if (!m_editor || m_subType == TSubType::stImage) return;
    const std::string gbk = value.toText();
    const QString text = platform::fromGbk(gbk);
    switch (m_subType) {
    case TSubType::stComboBox:
        static_cast<QComboBox*>(m_editor.data())->setEditText(text);
        break;
    case TSubType::stVelCombobox:
        static_cast<TVelComboBox*>(m_editor.data())->SetInnerCode(text);
        break;
    case TSubType::stDateTimePicker: {
        const auto parsed = DateTime::parse(gbk);
        const QDateTime when = parsed ? internal::toQDateTime(*parsed) : QDateTime();
        if (!when.isValid()) throw Error("'" + gbk::display(gbk) + "'不是有效的日期和时间");
        static_cast<QDateEdit*>(m_editor.data())->setDateTime(when);
        break;
    }
    case TSubType::stMemo:
        static_cast<QPlainTextEdit*>(m_editor.data())->setPlainText(text);
        break;
    default:
        static_cast<QLineEdit*>(m_editor.data())->setText(text);
        break;
    }
}

void TInputControl::setVisible(bool visible)
{
    QLabel::setVisible(visible);
    if (m_editor && m_editor->parentWidget()) m_editor->setVisible(visible);
}

bool TInputControl::event(QEvent* event)
{
    const bool result = QLabel::event(event);
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
        // Only the caption's own Enabled is copied; a parent's change reaches the editor
        // by itself and must not undo what the form set on the editor.
        if (internal::ownEnabled(*this) != m_ownEnabled) {
            m_ownEnabled = internal::ownEnabled(*this);
            if (m_editor) m_editor->setEnabled(m_ownEnabled);
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

void TInputControl::makeEditor()
{
    QWidget* editor = createEditor(m_subType);
    if (!editor) throw Error("未知类型：[" + objectName().toStdString() + "]");
    m_editor = editor;
    m_checkWidth = DefaultEditorWidth;
    if (m_subType == TSubType::stImage && parentWidget())
        internal::followParent(*editor, parentWidget(), true);
}

void TInputControl::adoptParent()
{
    QWidget* parent = parentWidget();
    // A caption given a parent shows at once unless it was hidden on purpose.
    if (parent && internal::ownVisible(*this)) QLabel::setVisible(true);
    if (!m_editor) return;
    internal::followParent(*m_editor, parent, true);
    if (parent) {
        const int width = m_checkWidth != 0 ? m_checkWidth : m_editor->width();
        const int height = m_checkHeight != 0 ? m_checkHeight : m_editor->height();
        m_editor->resize(width, height);
    }
    placeEditor();
}

void TInputControl::placeEditor()
{
    if (!m_editor) return;
    m_editor->move(internal::editorPosition(geometry(), m_editor->size(), sideOf(m_position),
                                            /*centre=*/false));
}

} // namespace corvo::controls
