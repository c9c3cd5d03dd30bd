#include "LocalObject.h"

#include "entity/Gbk.h"

#include <algorithm>

namespace corvo::remote {

void LocalObjectFactory::registerClass(const Guid& classId, std::string progId,
                                       std::vector<std::string> categories, Creator creator)
{
    std::lock_guard lock(m_lock);
    m_entries.push_back({classId, std::move(progId), std::move(categories), std::move(creator)});
}

const LocalObjectFactory::Entry* LocalObjectFactory::find(const Guid& classId) const
{
    auto it = std::find_if(m_entries.begin(), m_entries.end(),
                           [&](const Entry& e) { return e.classId == classId; });
    return it == m_entries.end() ? nullptr : &*it;
}

std::optional<Guid> LocalObjectFactory::resolve(const std::string& name) const
{
    if (!name.empty() && name.front() == '{') return Guid::parse(name);
    std::lock_guard lock(m_lock);
    for (const Entry& e : m_entries)
        if (gbk::equalsIgnoreCase(e.progId, name)) return e.classId;
    return std::nullopt;
}

bool LocalObjectFactory::allows(const Guid& classId, const std::string& category) const
{
    std::lock_guard lock(m_lock);
    const Entry* e = find(classId);
    return e && std::any_of(e->categories.begin(), e->categories.end(), [&](const std::string& c) {
               return gbk::equalsIgnoreCase(c, category);
           });
}

std::unique_ptr<LocalObject> LocalObjectFactory::create(const Guid& classId) const
{
    Creator creator;
    {
        std::lock_guard lock(m_lock);
        const Entry* e = find(classId);
        if (!e) return nullptr;
        creator = e->creator;
    }
    return creator();
}

std::vector<std::string> LocalObjectFactory::names(const std::string& category) const
{
    std::vector<std::string> out;
    std::lock_guard lock(m_lock);
    for (const Entry& e : m_entries)
        if (std::any_of(e.categories.begin(), e.categories.end(),
                        [&](const std::string& c) { return gbk::equalsIgnoreCase(c, category); }))
            out.push_back(e.progId);
    return out;
}

} // namespace corvo::remote
