#include "TField.h"

#include "Error.h"
#include "Gbk.h"
#include "TClientDataSet.h"
#include "internal/ValueText.h"

#include <cmath>
#include <istream>
#include <iterator>
#include <ostream>

namespace corvo {
namespace {

int defaultDisplayWidth(FieldType type, int size)
{
    switch (type) {
    case FieldType::String:
    case FieldType::WideString:
        return size > 0 ? size : 10;
    case FieldType::Guid:
        return 38;
    case FieldType::Smallint:
        return 6;
    case FieldType::Integer:
        return 11;
    case FieldType::Largeint:
        return 15;
    case FieldType::Boolean:
        return 5;
    case FieldType::DateTime:
        return 19;
    default:
        return 10;
    }
}

} // namespace

TField::TField(TClientDataSet& dataSet, int index, std::string name, FieldType type, int size)
    : m_dataSet(&dataSet), m_index(index), m_name(std::move(name)), m_type(type), m_size(size),
      m_displayWidth(defaultDisplayWidth(type, size))
{
}

void TField::SetVisible(bool visible)
{
    if (visible == m_visible) return;
    m_visible = visible;
    m_dataSet->notify(DataChange::Structure);
}

void TField::SetDisplayLabel(std::string_view label)
{
    m_label = std::string(label);
    m_dataSet->notify(DataChange::Structure);
}

void TField::SetDisplayWidth(int width)
{
    m_displayWidth = width;
    m_dataSet->notify(DataChange::Structure);
}

bool TField::IsNull() const
{
    return m_dataSet->currentValue(m_index).isNull();
}

std::string TField::AsString() const
{
    Variant v = m_dataSet->currentValue(m_index);
    return v.toText();
}

void TField::SetAsString(std::string_view text)
{
    SetAsVariant(Variant(text));
}

int64_t TField::AsInteger() const
{
    Variant v = m_dataSet->currentValue(m_index);
    if (v.isNull()) return 0;
    switch (v.type()) {
    case Variant::Type::Integer:
        return v.asInteger();
    case Variant::Type::Boolean:
        return v.asBool() ? 1 : 0;
    case Variant::Type::String:
        return internal::convertValue(v, FieldType::Largeint, 0, m_name).asInteger();
    default: {
        double d = v.toDouble();
        if (!(std::fabs(d) < 9.2e18))
            throw Error("字段“" + gbk::display(m_name) + "”的值超出整数范围");
        return static_cast<int64_t>(std::llround(d));
    }
    }
}

void TField::SetAsInteger(int64_t value)
{
    SetAsVariant(Variant(value));
}

double TField::AsFloat() const
{
    Variant v = m_dataSet->currentValue(m_index);
    if (v.isNull()) return 0;
    if (const std::optional<double> d = v.numberOrNone()) return *d;
    throw Error("字段“" + gbk::display(m_name) + "”的值“" + gbk::display(v.toText()) +
                "”不能作为数值读取");
}

void TField::SetAsFloat(double value)
{
    SetAsVariant(Variant(value));
}

DateTime TField::AsDateTime() const
{
    Variant v = m_dataSet->currentValue(m_index);
    if (v.isNull()) return DateTime{};
    if (v.type() == Variant::Type::DateTime) return v.asDateTime();
    if (v.type() == Variant::Type::String) {
        if (auto d = DateTime::parse(v.asString())) return *d;
        throw Error("字段“" + gbk::display(m_name) + "”的值“" + gbk::display(v.asString()) +
                    "”不是有效的日期");
    }
    return DateTime{AsFloat()};
}

void TField::SetAsDateTime(DateTime value)
{
    SetAsVariant(Variant(value));
}

Variant TField::AsVariant() const
{
    return m_dataSet->currentValue(m_index);
}

void TField::SetAsVariant(const Variant& value)
{
    m_dataSet->checkEditing(*this);
    m_dataSet->setBufferValue(m_index, m_dataSet->convertForField(m_index, value));
}

void TField::Clear()
{
    SetAsVariant(Variant());
}

void TField::LoadFromStream(std::istream& stream)
{
    m_dataSet->checkEditing(*this);
    Bytes bytes{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
    if (isTextType(m_type))
        SetAsVariant(Variant(std::string(bytes.begin(), bytes.end())));
    else
        SetAsVariant(Variant(std::move(bytes)));
}

void TField::SaveToStream(std::ostream& stream) const
{
    Variant v = m_dataSet->currentValue(m_index);
    if (v.type() == Variant::Type::Bytes) {
        const Bytes& b = v.asBytes();
        stream.write(reinterpret_cast<const char*>(b.data()),
                     static_cast<std::streamsize>(b.size()));
    } else {
        std::string t = v.toText();
        stream.write(t.data(), static_cast<std::streamsize>(t.size()));
    }
}

} // namespace corvo
