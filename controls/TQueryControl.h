#pragma once

#include "ConditionText.h"
#include "internal/EditorHost.h"

#include <QCheckBox>
#include <string>

namespace corvo::controls {

/// How a single condition value is checked.
enum class TQuCheckFieldType { ctString, ctNumber, ctDateTime };

/// The editor of a query control; the integer, float and date kinds are ranges.
enum class TQuSubType {
    stQuEdit,
    stQuComboBox,
    stQuSafeEdit,
    stQuIntegerEdit,
    stQuFloatEdit,
    stQuVelCombobox,
    stQuDateTimePicker,
};

enum class TQuCheckPosition { lpAbove, lpBelow, lpLeft, lpRight };

/// The comparison; only opLike changes the condition, every other value compares equal.
enum class TOpChar { opEqual, opAbove, opBelow, opUnEqual, opAboveEqual, opBelowEqual, opLike };

/// A check box captioned with a field that owns the editor of the condition's value. A ticked
/// control yields one SQL condition on its field, an unticked one nothing. Ticking enables
/// the editor and focuses it; unticking disables it and clears single values and number
/// ranges (a date range keeps its dates). The editor stands on the check box's parent, 3
/// pixels from it on the `CheckPosition` side, centred vertically beside it; placed again as
/// the input control places its editor.
class TQueryControl : public internal::EditorHost<QCheckBox> {
    Q_OBJECT
public:
    /// Makes the editor (an edit) and starts unticked with a disabled, cleared editor.
    explicit TQueryControl(QWidget* parent = nullptr);
    /// The same with the given field and kinds. Throws corvo::Error "name不认识该类型" for a
    /// sub type outside the table.
    TQueryControl(QWidget* parent, std::string fieldName, TQuCheckFieldType fieldType,
                  TQuSubType subType, TOpChar opChar);

    /// The column the condition is written on (GBK).
    const std::string& FieldName() const noexcept { return m_fieldName; }
    void SetFieldName(std::string name) { m_fieldName = std::move(name); }
    TQuCheckFieldType FieldType() const noexcept { return m_fieldType; }
    void SetFieldType(TQuCheckFieldType type) noexcept { m_fieldType = type; }
    /// Kept for the form.
    bool Required() const noexcept { return m_required; }
    void SetRequired(bool required) noexcept { m_required = required; }
    /// May rewrite field name and value text (GBK) before the condition is composed.
    TEventCondition BeforeGetCondition;
    TOpChar OpChar() const noexcept { return m_opChar; }
    void SetOpChar(TOpChar opChar) noexcept { m_opChar = opChar; }

    /// The caption; the check box takes the width of its text.
    QString Caption() const { return text(); }
    void SetCaption(const QString& caption);

    /// Width of the editor, or the total width of a range; 240 for ranges and 120 for other
    /// editors when the editor is made. Applied whenever it is set or the parent changes.
    int CheckLength() const noexcept { return m_checkLength; }
    void SetCheckLength(int length);
    TQuCheckPosition CheckPosition() const noexcept { return m_position; }
    void SetCheckPosition(TQuCheckPosition position);

    TQuSubType SubType() const noexcept { return m_subType; }
    /// Remakes and places the editor when the sub type differs.
    void SetSubType(TQuSubType subType);
    /// True for the integer, float and date ranges.
    bool IsRange() const noexcept;

    /// Empty when unticked; otherwise the condition on FieldName: `f = 'v'`, `f like '%v%'`
    /// (opLike on a string) or, for a range, `f  between 'a' and 'b'` (two spaces). Throws
    /// corvo::Error with the message the user sees for a value the condition cannot take.
    std::string GetCondition() const;

private:
    void init();
    void makeEditor() override;
    internal::Side editorSide() const override;
    bool editorEnabled(bool ownEnabled) const override;
    void editorAdopted(QWidget& editor, QWidget* parent) override;
    void editorPlaced(QWidget& editor) override;
    void editorNamed(QWidget& editor, const QString& name) override;
    void applyCheckLength();
    void onToggled(bool checked);
    void clearValue();
    std::string valueText() const;

    std::string m_fieldName;
    TQuCheckFieldType m_fieldType = TQuCheckFieldType::ctString;
    TQuSubType m_subType = TQuSubType::stQuEdit;
    TOpChar m_opChar = TOpChar::opEqual;
    TQuCheckPosition m_position = TQuCheckPosition::lpRight;
    bool m_required = false;
    int m_checkLength = 0;
};

} // namespace corvo::controls
