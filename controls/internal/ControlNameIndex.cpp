#include "ControlNameIndex.h"

#include "entity/Gbk.h"
#include "entity/TParamData.h"

#include <charconv>
#include <string>

namespace corvo::controls::internal {
namespace {

/// The stored form of a name: its Name field holds 30 bytes, cut on a character boundary.
std::string_view key(std::string_view name)
{
    return gbk::cut(name, ControlNameIndex::MaxNameBytes);
}

} // namespace

ControlNameIndex::ControlNameIndex() : m_index(std::make_unique<TParamData>(paramkind::Map)) {}

ControlNameIndex::~ControlNameIndex() = default;

std::optional<int> ControlNameIndex::find(std::string_view name)
{
    // The lookup first compares the current row, which reads as "" on an empty index.
    if (name.empty() || m_index->IsEmpty() || !m_index->FindRecord("Name", key(name)))
        return std::nullopt;
    return current();
}

void ControlNameIndex::add(std::string_view name, int position)
{
    m_index->SetParamValue(key(name), Variant(std::to_string(position)));
}

std::optional<int> ControlNameIndex::current() const
{
    if (m_index->IsEmpty()) return std::nullopt;
    const std::string text = m_index->FieldByName("Value").AsString();
    int position = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), position);
    if (ec != std::errc() || end != text.data() + text.size() || position < 0) return std::nullopt;
    return position;
}

bool ControlNameIndex::empty() const
{
    return m_index->IsEmpty();
}

} // namespace corvo::controls::internal
