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

TInputControl::TInputControl(QWidget* parent, TSubType subType)
    : EditorHost(parent, /*centred=*/false), m_subType(subType)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    makeEditor();
    if (parentWidget()) adoptParent();
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
    if (QWidget* editor = Editor()) editor->move(left, editor->y());
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
    remakeEditor();
}

bool TInputControl::IsTextEdit() const noexcept
{
    return Editor() && (m_subType == TSubType::stEdit || m_subType == TSubType::stSafeEdit);
}

Variant TInputControl::Text() const
{
    if (!Editor()) return {};
    switch (m_subType) {
    case TSubType::stComboBox:
        return gbkText(static_cast<QComboBox*>(Editor())->currentText());
    case TSubType::stVelCombobox:
        return gbkText(static_cast<TVelComboBox*>(Editor())->InnerCode());
    case TSubType::stDateTimePicker: {
        auto* picker = static_cast<QDateEdit*>(Editor());
        picker->setTime(QTime(0, 0));
        return Variant(platform::toGbk(platform::shortDate(picker->date())));
    }
    case TSubType::stMemo:
        return gbkText(static_cast<QPlainTextEdit*>(Editor())->toPlainText());
    case TSubType::stImage:
        return Variant(static_cast<TPictureBox*>(Editor())->PictureBytes());
    default:
        return gbkText(static_cast<QLineEdit*>(Editor())->text());
    }
}

void TInputControl::SetText(const Variant& value)
{
    if (!Editor() || m_subType == TSubType::stImage) return;
    const std::string gbk = value.toText();
    const QString text = platform::fromGbk(gbk);
    switch (m_subType) {
    case TSubType::stComboBox:
        static_cast<QComboBox*>(Editor())->setEditText(text);
        break;
    case TSubType::stVelCombobox:
        static_cast<TVelComboBox*>(Editor())->SetInnerCode(text);
        break;
    case TSubType::stDateTimePicker: {
        const auto parsed = DateTime::parse(gbk);
        const QDateTime when = parsed ? internal::toQDateTime(*parsed) : QDateTime();
        if (!when.isValid()) throw Error("'" + gbk::display(gbk) + "'不是有效的日期和时间");
        static_cast<QDateEdit*>(Editor())->setDateTime(when);
        break;
    }
    case TSubType::stMemo:
        static_cast<QPlainTextEdit*>(Editor())->setPlainText(text);
        break;
    default:
        static_cast<QLineEdit*>(Editor())->setText(text);
        break;
    }
}

void TInputControl::makeEditor()
{
    QWidget* editor = createEditor(m_subType);
    if (!editor) throw Error("未知类型：[" + objectName().toStdString() + "]");
    setEditor(editor);
    m_checkWidth = DefaultEditorWidth;
    if (m_subType == TSubType::stImage && parentWidget())
        internal::followParent(*editor, parentWidget(), true);
}

internal::Side TInputControl::editorSide() const
{
    return internal::sideOf(m_position);
}

void TInputControl::editorAdopted(QWidget& editor, QWidget* parent)
{
    if (!parent) return;
    const int width = m_checkWidth != 0 ? m_checkWidth : editor.width();
    const int height = m_checkHeight != 0 ? m_checkHeight : editor.height();
    editor.resize(width, height);
}

} // namespace corvo::controls
