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
    const PasswordHashes hashes = hashPasswords(call, packet, true, writecallers::InsertSingle);
    inWriteCall(call, [&](WriteCall& write) {
        WrittenRows rows = sentRows(write.dictionary, sent, "TMaster");
        if (rows.rows.empty()) throw Error("主单据数据为空！");
        requireNoLines(write, rows);
        requireSharedWriter(write, rows);
        const bool partnerSide =
            requireWritablePartnerSide(write.tx, write.dictionary, write.session.userId, rows.table,
                                       writecallers::InsertSingle);

        // Rows saved before with the same content are left out; other content is refused.
        FreshRows fresh = claimFreshRows(write, rows);
        if (fresh.rows.rows.empty()) return;
        prepareNew(write, fresh.rows, partnerSide);
        requireNewIds(write, fresh.rows);
        storePasswords(write, fresh.rows, hashes, true);
        insertRows(write.tx, fresh.rows);
        recordUnclaimed(write, fresh);
    });
    return true;
}

bool insertDocument(ServiceCall& call, TParamData& packet)
{
    const Variant sentMaster = requiredData(packet, "TMaster");
    inWriteCall(call, [&](WriteCall& write) {
        WrittenRows master = sentRows(write.dictionary, sentMaster, "TMaster");
        if (master.rows.size() != 1) throw Error("主单据数据为空！");
        requireNoLines(write, master);
        requireSharedWriter(write, master);
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
        digest.addAll(write, master);
        if (lines) digest.addAll(write, *lines);
        const std::string hex = digest.hex();
        std::string objId = master.text(master.rows[0], "ObjID");
        const bool claimed = !objId.empty();
        if (claimed) {
            if (const auto before = claimSave(write, objId, master.table, hex)) {
                if (*before != hex) refuseOtherContent();
                // A retry after a lost reply: the answer of the first save.
                const std::vector<std::string> ids = {objId};
                packet.SetParamData("TMaster",
                                    storedPacket(write, master.table, ids,
                                                 partnerOf(write, master, master.rows[0])));
                if (lines) packet.DeleteParam("TDetailInsert");
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
        if (!claimed) recordSave(write, objId, master.table, hex);
        const std::vector<std::string> ids = {objId};
        packet.SetParamData("TMaster", storedPacket(write, master.table, ids,
                                                    partnerOf(write, master, master.rows[0])));
        if (lines) packet.DeleteParam("TDetailInsert");
    });
    return true;
}

} // namespace corvo::server
