#pragma once

#include "ConditionText.h"
#include "entity/Variant.h"
#include "internal/EditorHost.h"

#include <QLabel>
#include <string>

namespace corvo::controls {

/// How the form checks the value of an input (kept for the form).
enum class TCheckFieldType { ctString, ctNumber, ctDateTime };

/// The editor an input control owns.
enum class TSubType {
    stEdit,
    stComboBox,
    stSafeEdit,
    stIntegerEdit,
    stFloatEdit,
    stVelCombobox,
    stDateTimePicker,
    stMemo,
    stImage,
};

/// Where the editor stands relative to the caption.
enum class TCheckPosition { lpAbove, lpBelow, lpLeft, lpRight };

/// A caption that owns one editor for a dictionary field; the editor is chosen by the sub
/// type. The editor stands on the caption's parent, 3 pixels from the caption on the
/// `CheckPosition` side, and follows the caption's parent, Enabled, Visible and layout
/// direction. Values are read and written through `Text` whatever the editor is.
/// The editor is placed again whenever a property here changes, and when the caption moves
/// or resizes while shown (Qt holds back those events of hidden widgets until they show).
class TInputControl : public internal::EditorHost<QLabel> {
    Q_OBJECT
public:
    /// Makes the editor at once. The caption is right-justified. Throws corvo::Error
    /// "未知类型：[name]" for a sub type it does not know.
    explicit TInputControl(QWidget* parent = nullptr, TSubType subType = TSubType::stEdit);

    const std::string& FieldName() const noexcept { return m_fieldName; } ///< GBK
    void SetFieldName(std::string name) { m_fieldName = std::move(name); }
    TCheckFieldType FieldType() const noexcept { return m_fieldType; }
    void SetFieldType(TCheckFieldType type) noexcept { m_fieldType = type; }
    /// Kept for the form; the input control never raises it.
    TEventCondition BeforeGetCondition;

    /// The caption; the label takes the width of its text.
    QString Caption() const { return text(); }
    void SetCaption(const QString& caption);

    int CheckLeft() const noexcept { return m_checkLeft; }
    void SetCheckLeft(int left);
    int CheckHeight() const noexcept { return m_checkHeight; }
    void SetCheckHeight(int height);
    int CheckWidth() const noexcept { return m_checkWidth; }
    void SetCheckWidth(int width);
    TCheckPosition CheckPosition() const noexcept { return m_position; }
    void SetCheckPosition(TCheckPosition position);

    TSubType SubType() const noexcept { return m_subType; }
    /// Remakes the editor when the sub type differs and places it. An unknown sub type
    /// throws "未知类型：[name]" and leaves the control without an editor.
    void SetSubType(TSubType subType);

    /// The value, by editor: the combo box's text; a code/name box's inner code; a date
    /// picker's date as "yyyy-mm-dd"; a memo's lines; an image's bytes in the picture's own
    /// format; otherwise the editor's text. Texts are GBK; Null without an editor.
    /// Throws corvo::Error when the text holds characters GBK lacks.
    Variant Text() const;
    /// Writes the value as text into the editor; an image is left as it is. A date picker
    /// parses it as a date (time of day allowed) and throws corvo::Error when it cannot.
    void SetText(const Variant& value);

    /// True for the plain and the safe edit: the editors the form watches for changes.
    bool IsTextEdit() const noexcept;

private:
    void makeEditor() override;
    internal::Side editorSide() const override;
    void editorAdopted(QWidget& editor, QWidget* parent) override;

    std::string m_fieldName;
    TCheckFieldType m_fieldType = TCheckFieldType::ctString;
    TSubType m_subType = TSubType::stEdit;
    TCheckPosition m_position = TCheckPosition::lpRight;
    int m_checkLeft = 0;
    int m_checkHeight = 0;
    int m_checkWidth = 0;
};

} // namespace corvo::controls
