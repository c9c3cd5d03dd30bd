#pragma once

#include "FieldType.h"
#include "Variant.h"

#include <iosfwd>
#include <string>
#include <string_view>

namespace corvo {

class TClientDataSet;

/// A field of an open table. Its value is the current row's (or, while the row is being
/// edited or inserted, the edit buffer's). Writing requires the Edit or Insert state.
class TField {
public:
    TField(TClientDataSet& dataSet, int index, std::string name, FieldType type, int size);

    const std::string& FieldName() const noexcept { return m_name; }
    FieldType DataType() const noexcept { return m_type; }
    int Size() const noexcept { return m_size; }
    int Index() const noexcept { return m_index; }
    TClientDataSet& DataSet() const noexcept { return *m_dataSet; }

    bool Visible() const noexcept { return m_visible; }
    void SetVisible(bool visible);
    /// Defaults to the field name.
    const std::string& DisplayLabel() const noexcept { return m_label.empty() ? m_name : m_label; }
    void SetDisplayLabel(std::string_view label);
    int DisplayWidth() const noexcept { return m_displayWidth; }
    void SetDisplayWidth(int width);

    bool IsNull() const;
    /// The value as text ("" for Null); numbers in their shortest exact form, dates as
    /// "yyyy-mm-dd" (with the time when it is not midnight), booleans as "True"/"False".
    std::string AsString() const;
    /// Text is converted to the field's type; an empty text makes the field Null; a text
    /// longer than a String field's Size is cut to Size bytes on a character boundary.
    void SetAsString(std::string_view text);
    int64_t AsInteger() const;
    void SetAsInteger(int64_t value);
    double AsFloat() const;
    void SetAsFloat(double value);
    DateTime AsDateTime() const;
    void SetAsDateTime(DateTime value);
    Variant AsVariant() const;
    void SetAsVariant(const Variant& value);
    void Clear();

    /// Blob (and other binary) fields: copy the whole value from or to a byte stream.
    void LoadFromStream(std::istream& stream);
    void SaveToStream(std::ostream& stream) const;

private:
    TClientDataSet* m_dataSet;
    int m_index;
    std::string m_name;
    FieldType m_type;
    int m_size;
    bool m_visible = true;
    std::string m_label;
    int m_displayWidth;
};

} // namespace corvo
