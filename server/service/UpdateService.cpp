#include "UpdateService.h"

#include "DocumentLines.h"
#include "DocumentStatus.h"
#include "RowStore.h"
#include "SaveLog.h"
#include "WriteCallers.h"
#include "WriteRights.h"
#include "WriteRules.h"
#include "WriteTransaction.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/TClientDataSet.h"
#include "entity/TParamData.h"
#include "server/schema/Ownership.h"

#include <set>

namespace corvo::server {

namespace {

std::vector<std::string> idsOf(const WrittenRows& rows)
{
    std::vector<std::string> ids;
    for (const WrittenRow& row : rows.rows) {
        const std::string id = rows.text(row, "ObjID");
        if (id.empty()) throw Error("表[" + rows.table + "]的行缺少ObjID");
        ids.push_back(id);
    }
    return ids;
}

/// Refuses rows the company may not change; returns the stored rows by ObjID key.
std::map<std::string, StoredRow> requireChangeableRows(WriteCall& call, const WrittenRows& rows,
                                                       bool partnerSide)
{
    const std::vector<std::string> ids = idsOf(rows);
    auto stored = storedRows(call, rows, ids, partnerSide);
    for (const std::string& id : ids) {
        const auto found = stored.find(idKey(id));
        if (found == stored.end()) throw Error("要修改的记录不存在或不属于本机构。");
        requireChangeable(call, rows.table, found->second);
    }
    return stored;
}

/// Replaces stored rows with the sent ones, keeping what the server decides.
void replaceRows(WriteCall& call, WrittenRows& rows)
{
    requireParamsChangeable(call, rows, WriteKind::Update);
    setServerColumns(call, rows, WriteKind::Update, false);
    requireValues(rows);
    requireReferences(call, rows);
    requireUnique(call, rows);
    updateRows(call.tx, rows);
}

std::string partnerOf(WriteCall& call, const std::map<std::string, StoredRow>& stored)
{
    for (const auto& [id, row] : stored)
        if (!row.owner.empty() && !gbk::equalsIgnoreCase(row.owner, call.session.ownerId))
            return row.owner;
    return {};
}

struct StatusChange {
    std::string field;
    std::string status;
};

std::vector<StatusChange> statusChanges(TParamData& packet)
{
    std::vector<StatusChange> out;
    if (!packet.ParamExists("ParamDataStatusAlter")) return out;
    TClientDataSet list;
    list.SetData(packet.GetParamData("ParamDataStatusAlter"));
    const int name = list.FieldIndexOf("Name");
    const int value = list.FieldIndexOf("Value");
    const int field = list.FieldIndexOf("Field");
    if (name < 0 || value < 0 || field < 0) throw Error("状态变更数据[ParamDataStatusAlter]不完整");
    for (list.First(); !list.Eof(); list.Next()) {
        if (!gbk::equalsIgnoreCase(list.Fields(name).AsString(), "TMaster"))
            throw Error("状态变更数据只能用于主单据[TMaster]");
        out.push_back({gbk::toUtf8(list.Fields(field).AsString()),
                       gbk::toUtf8(list.Fields(value).AsString())});
    }
    return out;
}

/// The rights editor: granted rows stored (a retried grant of the same row is left alone),
/// revoked rows removed (one already gone is left alone).
void changeRights(WriteCall& call, TParamData& packet)
{
    for (const char* name : {"TMasterInsert", "TMasterDelete"}) {
        if (!packet.ParamExists(name)) continue;
        WrittenRows rows = sentRows(call.dictionary, packet.GetParamData(name), name);
        if (rows.rows.empty()) continue;
        requireWritable(call.tx, call.dictionary, call.session.userId, rows.table,
                        writecallers::UserRights);
        requireNoLines(call, rows);
        if (std::string_view(name) == "TMasterDelete") {
            const std::vector<std::string> ids = idsOf(rows);
            const auto stored = storedRows(call, rows, ids, false);
            std::vector<std::string> gone;
            for (const std::string& id : ids)
                if (stored.count(idKey(id))) gone.push_back(id);
            deleteWhereIn(call.tx, rows.table, "ObjID", gone);
            continue;
        }
        FreshRows claimed = claimFreshRows(call, rows);
        WrittenRows& fresh = claimed.rows;
        setServerColumns(call, fresh, WriteKind::Insert, false);
        requireValues(fresh);
        requireReferences(call, fresh);
        if (!fresh.rows.empty()) {
            const storage::Rows clash = queryWhereIn(
                call.tx, "SELECT \"ObjID\" FROM \"" + fresh.table + "\" WHERE \"ObjID\"",
                idsOf(fresh));
            if (!clash.rows.empty()) throw Error("权限记录已经存在，不能重复新增。");
        }
        insertRows(call.tx, fresh);
        recordUnclaimed(call, claimed);
    }
}

/// Of the sent lines stored under no document of `documents`, those the company reads (the
/// lines of its other documents); the lines of another company's documents are left out, so
/// the call treats them as it treats lines that are not stored at all.
std::set<std::string> ownLinesElsewhere(WriteCall& call, const WrittenRows& lines,
                                        std::map<std::string, StoredRow>& stored,
                                        const std::set<std::string>& documents)
{
    std::vector<std::string> elsewhere;
    for (const std::string& id : idsOf(lines)) {
        const auto found = stored.find(idKey(id));
        if (found != stored.end() && !documents.count(idKey(found->second.parent)))
            elsewhere.push_back(id);
    }
    const std::set<std::string> own = readableRows(call, lines.table, elsewhere);
    for (const std::string& id : elsewhere)
        if (!own.count(idKey(id))) stored.erase(idKey(id));
    return own;
}

/// The stored lines of those ObjIDs that belong to one of the documents; refuses a line of
/// another document of the company. Lines not stored, or of another company, are absent.
std::map<std::string, StoredRow> documentLines(WriteCall& call, const WrittenRows& lines,
                                               const std::set<std::string>& documents)
{
    auto stored = storedRows(call, lines, idsOf(lines), false);
    if (!ownLinesElsewhere(call, lines, stored, documents).empty())
        throw Error("明细不属于本单据，不能修改。");
    return stored;
}

/// Whether the client sent any of the line's size quantities (Size1 … Size20).
bool sentSizes(const WrittenRows& lines, const WrittenRow& line)
{
    for (int n = 1; n <= 20; ++n) {
        const int at = lines.column("Size" + std::to_string(n));
        if (at >= 0 && line.sent[static_cast<std::size_t>(at)]) return true;
    }
    return false;
}

void deleteSizes(WriteCall& call, const WrittenRows& lines, const std::vector<std::string>& ids)
{
    if (const schema::DictTable* sizes = call.dictionary.findTable(lines.table + "Size"))
        deleteWhereIn(call.tx, sizes->code, "ParentID", ids);
}

/// The line change sets of the documents: deletions, changes, additions, each touching only
/// the lines it names and their size rows.
void changeLines(WriteCall& call, TParamData& packet, const WrittenRows& masters)
{
    std::set<std::string> documents;
    for (const WrittenRow& row : masters.rows)
        documents.insert(idKey(masters.text(row, "ObjID")));

    if (packet.ParamExists("TDetailDelete")) {
        WrittenRows lines =
            sentRows(call.dictionary, packet.GetParamData("TDetailDelete"), "TDetailDelete");
        requireLinesOf(lines, masters.table);
        const auto stored = documentLines(call, lines, documents);
        std::vector<std::string> gone;
        for (const std::string& id : idsOf(lines))
            if (stored.count(idKey(id))) gone.push_back(id);
        deleteSizes(call, lines, gone);
        deleteWhereIn(call.tx, lines.table, "ObjID", gone);
    }
    if (packet.ParamExists("TDetailUpdate")) {
        WrittenRows lines =
            sentRows(call.dictionary, packet.GetParamData("TDetailUpdate"), "TDetailUpdate");
        requireLinesOf(lines, masters.table);
        const auto stored = documentLines(call, lines, documents);
        for (const std::string& id : idsOf(lines))
            if (!stored.count(idKey(id))) throw Error("要修改的明细不存在，请重新查询单据。");
        for (WrittenRow& line : lines.rows)
            lines.keep(line, "ParentID");
        replaceRows(call, lines);
        // The size rows follow the sizes a line sent; a line that sent none keeps its own.
        WrittenRows sized{lines.table, lines.layout, {}};
        for (const WrittenRow& line : lines.rows)
            if (sentSizes(lines, line)) sized.rows.push_back(line);
        if (!sized.rows.empty()) {
            deleteSizes(call, sized, idsOf(sized));
            if (auto sizes = sizeRowsOf(call, sized)) insertRows(call.tx, *sizes);
        }
    }
    if (packet.ParamExists("TDetailInsert")) {
        WrittenRows lines =
            sentRows(call.dictionary, packet.GetParamData("TDetailInsert"), "TDetailInsert");
        requireLinesOf(lines, masters.table);
        for (WrittenRow& line : lines.rows) {
            const std::string parent = lines.text(line, "ParentID");
            if (parent.empty() && masters.rows.size() == 1)
                lines.set(line, "ParentID", masters.value(masters.rows[0], "ObjID"));
            else if (!documents.count(idKey(parent)))
                throw Error("新增的明细不属于本单据，不能保存。");
        }
        // A line already stored under one of the documents is a retried addition.
        auto stored = storedRows(call, lines, idsOf(lines), false);
        if (!ownLinesElsewhere(call, lines, stored, documents).empty())
            throw Error("新增的明细已经属于其他单据，不能保存。");
        WrittenRows fresh{lines.table, lines.layout, {}};
        for (WrittenRow& line : lines.rows)
            if (!stored.count(idKey(lines.text(line, "ObjID"))))
                fresh.rows.push_back(std::move(line));
        // A line of another company's document holds its ObjID: refused as any unusable one.
        requireNewIds(call, fresh);
        setServerColumns(call, fresh, WriteKind::Insert, false);
        requireValues(fresh);
        requireReferences(call, fresh);
        insertRows(call.tx, fresh);
        if (auto sizes = sizeRowsOf(call, fresh)) insertRows(call.tx, *sizes);
    }
}

} // namespace

bool updateRows(ServiceCall& call, TParamData& packet)
{
    const Variant sent = requiredData(packet, "TMaster");
    const PasswordHashes hashes = hashPasswords(call, packet, false, writecallers::UpdateSingle);
    inWriteCall(call, [&](WriteCall& write) {
        WrittenRows rows = sentRows(write.dictionary, sent, "TMaster");
        if (rows.rows.empty()) throw Error("主单据数据为空！");
        requireNoLines(write, rows);
        requireSharedWriter(write, rows);
        const bool partnerSide =
            requireWritablePartnerSide(write.tx, write.dictionary, write.session.userId, rows.table,
                                       writecallers::UpdateSingle);
        // A whole list sent back (the other-parameter editor) holds the system's rows as well.
        const std::vector<std::string> sentIds = idsOf(rows);
        const std::set<std::string> unchanged = unchangedSharedRows(write, rows);
        std::erase_if(rows.rows, [&](const WrittenRow& row) {
            return unchanged.count(idKey(rows.text(row, "ObjID"))) != 0;
        });
        std::map<std::string, StoredRow> stored;
        if (!rows.rows.empty()) {
            stored = requireChangeableRows(write, rows, partnerSide);
            storePasswords(write, rows, hashes, false);
            replaceRows(write, rows);
            for (const std::string& id : idsOf(rows))
                postOnUpdate(write, rows.table, id);
        }
        packet.SetParamData("TMaster",
                            storedPacket(write, rows.table, sentIds, partnerOf(write, stored)));
    });
    return true;
}

bool updateDocument(ServiceCall& call, TParamData& packet)
{
    inWriteCall(call, [&](WriteCall& write) {
        changeRights(write, packet);
        if (!packet.ParamExists("TMaster")) {
            if (packet.ParamExists("TDetailInsert") || packet.ParamExists("TDetailUpdate") ||
                packet.ParamExists("TDetailDelete"))
                throw Error("主单据数据为空！");
            return;
        }
        WrittenRows masters = sentRows(write.dictionary, packet.GetParamData("TMaster"), "TMaster");
        if (masters.rows.empty()) throw Error("主单据数据为空！");
        requireNoLines(write, masters);
        requireSharedWriter(write, masters);
        const std::vector<std::string> ids = idsOf(masters);
        const std::vector<StatusChange> changes = statusChanges(packet);
        std::map<std::string, StoredRow> stored;
        if (!changes.empty()) {
            for (const StatusChange& change : changes) {
                const bool validity = gbk::equalsIgnoreCase(change.field, "StatusID");
                requireWritable(
                    write.tx, write.dictionary, write.session.userId, masters.table,
                    validity
                        ? std::span<const std::string_view>(writecallers::InvalidateMasterDetail)
                        : std::span<const std::string_view>(writecallers::VerifyMasterDetail));
                changeStatus(write, masters.table, ids, change.field, change.status);
            }
            stored = storedRows(write, masters, ids, true);
        } else {
            const bool partnerSide =
                requireWritablePartnerSide(write.tx, write.dictionary, write.session.userId,
                                           masters.table, writecallers::UpdateMasterDetail);
            stored = requireChangeableRows(write, masters, partnerSide);
            replaceRows(write, masters);
            for (const std::string& id : ids)
                postOnUpdate(write, masters.table, id);
            changeLines(write, packet, masters);
        }
        packet.SetParamData("TMaster",
                            storedPacket(write, masters.table, ids, partnerOf(write, stored)));
        for (const char* sent : {"TDetailInsert", "TDetailUpdate", "TDetailDelete"})
            if (packet.ParamExists(sent)) packet.DeleteParam(sent);
    });
    return true;
}

} // namespace corvo::server
