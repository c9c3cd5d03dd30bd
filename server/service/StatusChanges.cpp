#include "StatusChanges.h"

#include "RowStore.h"
#include "WriteRules.h"
#include "WrittenRows.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "server/schema/Ddl.h"

namespace corvo::server {

// Without postings: the documents only change status, forward in DispOrder.
void applyStatusChange(WriteCall& call, std::string_view table, std::span<const std::string> objIds,
                       std::string_view field, const std::string& status)
{
    const schema::DictTable* dictTable = call.dictionary.findTable(table);
    if (!dictTable) throw Error("表名[" + std::string(table) + "]在表字典中不存在 ！");
    WrittenRows rows{dictTable->code, call.dictionary.layout(dictTable->code), {}};
    const int column = rows.column(field);
    if (column < 0 || !rows.at(column).stored())
        throw Error("表[" + rows.table + "]没有状态列[" + std::string(field) + "]");
    const std::string type = rows.at(column).code();
    const storage::Rows steps = call.tx.query(
        "SELECT \"ObjID\" FROM \"TOtherParam\" WHERE \"Type\" = ? ORDER BY \"DispOrder\", "
        "\"ObjID\"",
        std::vector<storage::Value>{storage::Value(type)});
    auto position = [&](const std::string& id) {
        for (std::size_t i = 0; i < steps.rows.size(); ++i)
            if (gbk::equalsIgnoreCase(textOf(steps.rows[i][0]), id)) return int(i);
        return -1;
    };
    const int target = position(status);
    if (target < 0) throw Error("状态[" + status + "]不是[" + type + "]的状态");
    const auto stored = storedRows(call, rows, objIds, false);
    for (const std::string& id : objIds) {
        const auto found = stored.find(idKey(id));
        if (found == stored.end()) throw Error("要修改的单据不存在或不属于本机构。");
        const std::string& now =
            type == "StatusID" ? found->second.validity : found->second.docStatus;
        if (type != "StatusID" && !found->second.validity.empty() &&
            position(found->second.validity) > 0)
            throw Error("单据“" + found->second.code + "”已经作废，不能修改。");
        if (position(now) >= target)
            throw Error("单据“" + found->second.code + "”的状态不能再改为这一状态。");
    }
    for (const std::string& id : objIds)
        call.tx.execute("UPDATE " + schema::quoteIdentifier(rows.table) + " SET " +
                            schema::quoteIdentifier(type) + " = ? WHERE \"ObjID\" = ?",
                        std::vector<storage::Value>{storage::Value(status), storage::Value(id)});
}

void afterDocumentInsert(WriteCall&, std::string_view, const std::string&) {}

} // namespace corvo::server
