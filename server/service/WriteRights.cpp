#include "WriteRights.h"

#include "ReadRights.h"
#include "Values.h"
#include "entity/Error.h"
#include "entity/Gbk.h"

#include <algorithm>
#include <vector>

namespace corvo::server {
namespace {

std::string text(const storage::Value& value)
{
    return value.isNull() ? std::string() : value.asString();
}

/// The type numbers of the held modules of those form classes on the table's document.
std::vector<int64_t> heldTypes(storage::Transaction& tx, const schema::Dictionary& dictionary,
                               const std::string& userId, std::string_view table,
                               std::span<const std::string_view> formClasses)
{
    const std::string document = gbk::upper(documentOf(dictionary, table));
    const storage::Rows modules =
        tx.query("SELECT \"ObjID\", \"Code\", \"TMasterName\", \"TypeNo\" FROM \"TModule\" "
                 "WHERE \"IsGroup\" = 0");
    std::vector<std::size_t> candidates;
    for (std::size_t i = 0; i < modules.rows.size(); ++i) {
        const auto& row = modules.rows[i];
        if (gbk::upper(text(row[2])) != document) continue;
        const std::string code = text(row[1]);
        if (std::any_of(formClasses.begin(), formClasses.end(),
                        [&](std::string_view c) { return gbk::equalsIgnoreCase(code, c); }))
            candidates.push_back(i);
    }
    std::vector<int64_t> types;
    if (candidates.empty()) return types;
    const std::set<std::string> held = heldModuleIds(tx, userId);
    for (std::size_t i : candidates)
        if (held.count(gbk::upper(text(modules.rows[i][0]))))
            types.push_back(integerOf(modules.rows[i][3]));
    return types;
}

} // namespace

namespace {
[[noreturn]] void refuse(const schema::Dictionary& dictionary, std::string_view table)
{
    const schema::DictTable* asked = dictionary.findTable(table);
    throw Error("您没有修改[" + (asked ? asked->name : std::string(table)) +
                "]的权限，请与系统管理员联系！");
}
} // namespace

WriteAccess writeAccess(storage::Transaction& tx, const schema::Dictionary& dictionary,
                        const std::string& userId, std::string_view table,
                        std::span<const std::string_view> formClasses)
{
    const auto types = heldTypes(tx, dictionary, userId, table, formClasses);
    return {!types.empty(), std::find(types.begin(), types.end(), 2) != types.end()};
}

void requireWritable(storage::Transaction& tx, const schema::Dictionary& dictionary,
                     const std::string& userId, std::string_view table,
                     std::span<const std::string_view> formClasses)
{
    if (!writeAccess(tx, dictionary, userId, table, formClasses).allowed) refuse(dictionary, table);
}

bool requireWritablePartnerSide(storage::Transaction& tx, const schema::Dictionary& dictionary,
                                const std::string& userId, std::string_view table,
                                std::span<const std::string_view> formClasses)
{
    const WriteAccess access = writeAccess(tx, dictionary, userId, table, formClasses);
    if (!access.allowed) refuse(dictionary, table);
    return access.partnerSide;
}

bool holdsPartnerSide(storage::Transaction& tx, const schema::Dictionary& dictionary,
                      const std::string& userId, std::string_view table,
                      std::span<const std::string_view> formClasses)
{
    return writeAccess(tx, dictionary, userId, table, formClasses).partnerSide;
}

} // namespace corvo::server
