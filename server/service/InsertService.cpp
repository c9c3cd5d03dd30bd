#include "InsertService.h"

#include "AutoCoding.h"
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
#include "entity/TParamData.h"

#include <set>

namespace corvo::server {

namespace {

/// Refuses rows whose ObjIDs are already stored in the table (or twice among the rows).
void requireNewIds(WriteCall& call, const WrittenRows& rows)
{
    std::vector<std::string> ids;
    std::set<std::string> seen;
    for (const WrittenRow& row : rows.rows) {
        const std::string id = rows.text(row, "ObjID");
        if (!seen.insert(idKey(id)).second)
            throw Error("表[" + rows.table + "]的新行ObjID重复：" + id);
        ids.push_back(id);
    }
    const storage::Rows found =
        queryWhereIn(call.tx, "SELECT \"ObjID\" FROM \"" + rows.table + "\" WHERE \"ObjID\"", ids);
    if (!found.rows.empty())
        throw Error("记录已经存在，不能重复新增（ObjID " + textOf(found.rows[0][0]) + "）。");
}

/// Checks and completes new rows as the server decides them, then codes them.
void prepareNew(WriteCall& call, WrittenRows& rows, bool partnerSide)
{
    requireParamsChangeable(call, rows, WriteKind::Insert);
    setServerColumns(call, rows, WriteKind::Insert, partnerSide);
    assignCodes(call, rows);
    requireValues(rows);
    requireReferences(call, rows);
    requireUnique(call, rows);
}

std::string partnerOf(WriteCall& call, const WrittenRows& rows, const WrittenRow& row)
{
    const std::string owner = rows.text(row, "TOwnerID");
    return gbk::equalsIgnoreCase(owner, call.session.ownerId) ? std::string() : owner;
}

} // namespace

bool insertRows(ServiceCall& call, TParamData& packet)
{
    const Variant sent = requiredData(packet, "TMaster");
    const PasswordHashes hashes = hashPasswords(call, packet, true);
    inWriteCall(call, [&](WriteCall& write) {
        WrittenRows rows = sentRows(write.dictionary, sent, "TMaster");
        if (rows.rows.empty()) throw Error("主单据数据为空！");
        const bool partnerSide =
            requireWritablePartnerSide(write.tx, write.dictionary, write.session.userId, rows.table,
                                       writecallers::InsertSingle);

        // Rows saved before with the same content are left out; other content is refused.
        std::vector<std::string> ids;
        std::vector<std::string> digests;
        for (const WrittenRow& row : rows.rows) {
            SaveDigest digest;
            digest.add(rows, row);
            digests.push_back(digest.hex());
            ids.push_back(rows.text(row, "ObjID"));
        }
        const auto saved = savedDigests(write.tx, ids);
        WrittenRows fresh{rows.table, rows.layout, {}};
        std::vector<std::string> freshDigests;
        for (std::size_t i = 0; i < rows.rows.size(); ++i) {
            const auto before = ids[i].empty() ? saved.end() : saved.find(idKey(ids[i]));
            if (before == saved.end()) {
                fresh.rows.push_back(std::move(rows.rows[i]));
                freshDigests.push_back(digests[i]);
            } else if (before->second != digests[i]) {
                refuseOtherContent();
            }
        }
        if (fresh.rows.empty()) return;
        prepareNew(write, fresh, partnerSide);
        requireNewIds(write, fresh);
        storePasswords(write, fresh, hashes, true);
        insertRows(write.tx, fresh);
        const int64_t now = unixNow();
        for (std::size_t i = 0; i < fresh.rows.size(); ++i)
            recordSave(write.tx, fresh.text(fresh.rows[i], "ObjID"), fresh.table, freshDigests[i],
                       now);
    });
    return true;
}

bool insertDocument(ServiceCall& call, TParamData& packet)
{
    const Variant sentMaster = requiredData(packet, "TMaster");
    inWriteCall(call, [&](WriteCall& write) {
        WrittenRows master = sentRows(write.dictionary, sentMaster, "TMaster");
        if (master.rows.size() != 1) throw Error("主单据数据为空！");
        const bool partnerSide =
            requireWritablePartnerSide(write.tx, write.dictionary, write.session.userId,
                                       master.table, writecallers::InsertMasterDetail);
        std::optional<WrittenRows> lines;
        if (packet.ParamExists("TDetailInsert")) {
            lines =
                sentRows(write.dictionary, packet.GetParamData("TDetailInsert"), "TDetailInsert");
            requireLinesOf(*lines, master.table);
        }

        SaveDigest digest;
        digest.addAll(master);
        if (lines) digest.addAll(*lines);
        const std::string hex = digest.hex();
        std::string objId = master.text(master.rows[0], "ObjID");
        if (!objId.empty()) {
            const std::vector<std::string> ids = {objId};
            const auto saved = savedDigests(write.tx, ids);
            if (!saved.empty()) {
                if (saved.begin()->second != hex) refuseOtherContent();
                // A retry after a lost reply: the answer of the first save.
                packet.SetParamData("TMaster",
                                    storedPacket(write, master.table, ids,
                                                 partnerOf(write, master, master.rows[0])));
                return;
            }
        }

        prepareNew(write, master, partnerSide);
        requireNewIds(write, master);
        objId = master.text(master.rows[0], "ObjID");
        if (lines) {
            for (WrittenRow& line : lines->rows)
                lines->set(line, "ParentID", objId);
            prepareNew(write, *lines, false);
            requireNewIds(write, *lines);
        }
        insertRows(write.tx, master);
        if (lines) {
            insertRows(write.tx, *lines);
            if (auto sizes = sizeRowsOf(write, *lines)) insertRows(write.tx, *sizes);
        }
        postOnInsert(write, master.table, objId);
        recordSave(write.tx, objId, master.table, hex, unixNow());
        const std::vector<std::string> ids = {objId};
        packet.SetParamData("TMaster", storedPacket(write, master.table, ids,
                                                    partnerOf(write, master, master.rows[0])));
        if (lines) packet.DeleteParam("TDetailInsert");
    });
    return true;
}

} // namespace corvo::server
