#pragma once

#include "FieldType.h"

#include <string>
#include <string_view>
#include <vector>

namespace corvo {

/// A declared field: effective at the next CreateDataSet.
struct FieldDef {
    std::string Name; ///< GBK; unique in the table, compared without regard to letter case
    FieldType DataType = FieldType::String;
    int Size = 0;
    bool Required = false;
};

/// The field declarations of a table, in field order.
class FieldDefs {
public:
    void Add(std::string_view name, FieldType type, int size = 0, bool required = false);
    void Clear() { m_defs.clear(); }
    int Count() const noexcept { return static_cast<int>(m_defs.size()); }
    const FieldDef& Items(int index) const { return m_defs.at(static_cast<std::size_t>(index)); }
    /// Position of the declaration of that name (letter case ignored), -1 when absent.
    int IndexOf(std::string_view name) const noexcept;

    const std::vector<FieldDef>& list() const noexcept { return m_defs; }
    void assign(std::vector<FieldDef> defs) { m_defs = std::move(defs); }

private:
    std::vector<FieldDef> m_defs;
};

/// A named index on one field.
struct IndexDef {
    std::string Name;
    std::string Fields;
    bool Descending = false;
};

/// The index definitions of a table.
class IndexDefs {
public:
    int Count() const noexcept { return static_cast<int>(m_defs.size()); }
    void Clear() { m_defs.clear(); }
    const IndexDef& Items(int index) const { return m_defs.at(static_cast<std::size_t>(index)); }
    /// Brings the list up to date with the table; the list is always current here.
    void Update() noexcept {}
    int IndexOf(std::string_view name) const noexcept;

    void add(IndexDef def) { m_defs.push_back(std::move(def)); }

private:
    std::vector<IndexDef> m_defs;
};

} // namespace corvo
