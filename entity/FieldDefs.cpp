#include "FieldDefs.h"

#include "Gbk.h"

namespace corvo {

void FieldDefs::Add(std::string_view name, FieldType type, int size, bool required)
{
    m_defs.push_back(FieldDef{std::string(name), type, size, required});
}

int FieldDefs::IndexOf(std::string_view name) const noexcept
{
    for (std::size_t i = 0; i < m_defs.size(); ++i)
        if (gbk::equalsIgnoreCase(m_defs[i].Name, name)) return static_cast<int>(i);
    return -1;
}

int IndexDefs::IndexOf(std::string_view name) const noexcept
{
    for (std::size_t i = 0; i < m_defs.size(); ++i)
        if (gbk::equalsIgnoreCase(m_defs[i].Name, name)) return static_cast<int>(i);
    return -1;
}

} // namespace corvo
