#include "WriteTransaction.h"

#include "InternalTables.h"
#include "ReadRights.h"
#include "WriteRights.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/TClientDataSet.h"
#include "entity/TParamData.h"
#include "server/schema/Ownership.h"
#include "server/schema/TableReader.h"

#include <set>

namespace corvo::server {

void inWriteCall(ServiceCall& call, const std::function<void(WriteCall&)>& work)
{
    if (!call.session) throw Error(LoginAgain);
    auto tx = call.server.db.begin(storage::TransactionMode::Write);
    const auto dictionary = call.server.dictionaries->get(*tx);
    WriteCall write{call, *call.session, *dictionary, *tx, DateTime::now()};
    try {
        work(write);
        tx->commit();
        // Rights may have changed with the rows.
        call.server.readRights->clear();
    } catch (const storage::StorageError& e) {
        // A unique index refused what the checks let pass (a save of another server process
        // got there first): the refusal the checks give.
        const std::string refusal = uniqueIndexRefusal(*dictionary, e.what());
        if (!refusal.empty()) throw Error(refusal);
        throw;
    }
}

Variant storedPacket(WriteCall& call, const std::string& table, std::span<const std::string> objIds,
                     const std::string& partner)
{
    schema::TableQuery query;
    query.where = "\"ObjID\" in (";
    for (std::size_t i = 0; i < objIds.size(); ++i) {
        query.where += i ? ", ?" : "?";
        query.params.emplace_back(objIds[i]);
    }
    query.where += ")";
    if (objIds.empty()) query.where = "\"ObjID\" is null";
    // The scope of a read, widened to the partner a partner-side row names.
    schema::ScopedRead& read = query.owner;
    schema::OwnerScope scope(call.dictionary, call.session.ownerId, partner, [&](storage::Value v) {
        read.params.push_back(std::move(v));
        return std::string("?");
    });
    const auto layout = call.dictionary.layout(table);
    for (std::size_t i = 0; i < layout->joins().size(); ++i)
        read.joinScope.push_back(
            scope.condition(layout->joins()[i].table, "j" + std::to_string(i)));
    read.scope = scope.condition(layout->table().code, "t");
    TClientDataSet rows;
    schema::readTable(call.tx, call.dictionary, table, query, rows);
    return rows.Data();
}

Variant requiredData(TParamData& packet, std::string_view name)
{
    if (!packet.ParamExists(name))
        throw Error("参数[" + std::string(name) + "]不存在,请确定该参数已经在参数对象中!");
    return packet.GetParamData(name);
}

PasswordHashes hashPasswords(ServiceCall& call, TParamData& packet, bool newUsers,
                             std::span<const std::string_view> formClasses)
{
    PasswordHashes hashes;
    if (!call.session) throw Error(LoginAgain);
    if (!packet.ParamExists("TMaster")) return hashes;
    TClientDataSet rows;
    rows.SetData(packet.GetParamData("TMaster"));
    if (rows.FieldCount() == 0 || !gbk::equalsIgnoreCase(rows.Fields(0).FieldName(), "TUser"))
        return hashes;
    const int password = rows.FieldIndexOf("PassWord");
    if (password < 0 && !newUsers) return hashes;
    std::set<std::string> wanted;
    for (rows.First(); !rows.Eof(); rows.Next()) {
        const std::string encoded = password < 0 ? std::string() : rows.Fields(password).AsString();
        if (newUsers || !encoded.empty()) wanted.insert(encoded);
        if (wanted.size() > MaxPasswordsPerCall)
            throw Error("一次最多设置" + std::to_string(MaxPasswordsPerCall) +
                        "个用户的密码，请分批保存。");
    }
    if (wanted.empty()) return hashes;
    {
        // The hashes are slow on purpose: only for a user who may write users at all.
        auto tx = call.server.db.begin(storage::TransactionMode::Read);
        const auto dictionary = call.server.dictionaries->get(*tx);
        requireWritable(*tx, *dictionary, call.session->userId, "TUser", formClasses);
        tx->commit();
    }
    for (const std::string& encoded : wanted)
        hashes.emplace(encoded, call.server.credentials.hash(encoded));
    return hashes;
}

namespace {

/// Refuses to set the password of a user who holds a module the caller does not: the caller
/// could log in as that user and do more than it may.
void requireMayChangePassword(WriteCall& call, const std::string& userId)
{
    if (gbk::equalsIgnoreCase(userId, call.session.userId)) return;
    const std::set<std::string> mine = heldModuleIds(call.tx, call.session.userId);
    for (const std::string& module : heldModuleIds(call.tx, userId))
        if (!mine.count(module))
            throw Error("您不能修改权限比您多的用户的密码，请与系统管理员联系！");
}

} // namespace

void storePasswords(WriteCall& call, WrittenRows& rows, const PasswordHashes& hashes, bool newUsers)
{
    if (rows.table != "TUser") return;
    const int column = rows.column("PassWord");
    for (WrittenRow& row : rows.rows) {
        const std::string encoded = rows.text(row, "PassWord");
        const bool sent = column >= 0 && row.sent[static_cast<std::size_t>(column)] != 0;
        rows.set(row, "PassWord", storage::Value());
        // A changed user keeps the password when none was typed; a new one has the empty one.
        if (!newUsers && (!sent || encoded.empty())) {
            rows.keep(row, "PassWord");
            continue;
        }
        const std::string userId = rows.text(row, "ObjID");
        if (!newUsers) requireMayChangePassword(call, userId);
        const auto hash = hashes.find(gbk::fromUtf8(encoded));
        if (hash == hashes.end()) continue;
        Credentials::storeHash(call.tx, userId, hash->second);
        // Whoever held the old password is out; the caller keeps the session it works in.
        if (!newUsers)
            call.service.server.sessions.endSessionsOf(call.tx, userId,
                                                       call.service.call.sessionToken);
    }
}

} // namespace corvo::server
