#include "DocumentStatus.h"

#include "AccountPostings.h"
#include "AutoCoding.h"
#include "RowStore.h"
#include "StockPostings.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/Guid.h"
#include "server/schema/SystemIds.h"
#include "server/schema/TableLayout.h"

#include <algorithm>
#include <optional>

namespace corvo::server {
namespace {

using storage::Value;

std::string quoted(std::string_view name)
{
    return "\"" + std::string(name) + "\"";
}

/// A GUID text as the server stores GUIDs; other texts as they are.
std::string canonical(std::string_view id)
{
    const auto guid = Guid::parse(id);
    return guid ? guid->toString() : std::string(id);
}

/// Position of a status among the steps; 0 (the first) for a document without one.
std::optional<std::size_t> stepOf(const std::vector<StatusStep>& steps, const std::string& id)
{
    if (id.empty()) return steps.empty() ? std::nullopt : std::optional<std::size_t>(0);
    for (std::size_t i = 0; i < steps.size(); ++i)
        if (gbk::equalsIgnoreCase(steps[i].objId, id)) return i;
    return std::nullopt;
}

bool isInvalid(const std::string& validity)
{
    return gbk::equalsIgnoreCase(validity, schema::ids::StatusInvalid);
}

/// Whether the document's stock or account entries are in the books.
bool isPosted(std::string_view table, std::size_t docStep)
{
    if (stockDirection(table) != 0) return docStep > 0;
    if (const BillKind* kind = billKind(table)) return !kind->onVerify || docStep > 0;
    return false;
}

void post(PostingScope& scope, std::string_view table, const std::string& objId, int sign)
{
    if (stockDirection(table) != 0) postStock(scope, table, objId, sign);
    if (const BillKind* kind = billKind(table)) {
        if (sign > 0)
            postAccount(scope, *kind, objId);
        else
            reverseAccount(scope, *kind, objId);
    }
}

} // namespace

std::vector<StatusStep> statusSteps(storage::Transaction& tx, std::string_view type)
{
    const storage::Rows rows = tx.query("SELECT \"ObjID\", \"Name\" FROM \"TOtherParam\" WHERE "
                                        "\"Type\" = ? ORDER BY \"DispOrder\", \"ObjID\"",
                                        std::vector<Value>{Value(type)});
    std::vector<StatusStep> steps;
    for (const auto& row : rows.rows)
        steps.push_back({stringOf(row[0]), stringOf(row[1])});
    return steps;
}

PostingScope postingScope(WriteCall& call)
{
    return PostingScope{call.tx,
                        call.dictionary,
                        call.service.server.db.dialect(),
                        call.session.userId,
                        call.now,
                        [&call](std::string_view table, DateTime date) {
                            // Codes come from the counters the call's inserts draw from.
                            WrittenRows rows{std::string(table), call.dictionary.layout(table), {}};
                            const std::size_t n = rows.layout->columns().size();
                            rows.rows.push_back({std::vector<Value>(n), std::vector<char>(n, 0),
                                                 std::vector<char>(n, 0)});
                            rows.set(rows.rows[0], "HappenDate", Value(date));
                            assignCodes(call, rows);
                            return rows.text(rows.rows[0], "Code");
                        }};
}

namespace {

/// Locks the products of every line of the documents, in one order for the whole call (the
/// documents' postings lock them again, one document after the other): two calls moving
/// documents that share products wait for each other instead of deadlocking.
void lockProductsOf(WriteCall& call, const PostingScope& scope, const std::string& table,
                    const std::vector<std::string>& ids)
{
    if (scope.dialect != storage::Dialect::Postgres) return;
    const schema::DictTable* lines = call.dictionary.findTable(table + "List");
    if (!lines || call.dictionary.layout(lines->code)->columnIndex("TProductID") < 0) return;
    const storage::Rows used = queryWhereIn(
        call.tx,
        "SELECT DISTINCT \"TProductID\" FROM " + quoted(lines->code) + " WHERE \"ParentID\"", ids);
    std::vector<std::string> products;
    for (const auto& row : used.rows)
        if (!row[0].isNull()) products.push_back(stringOf(row[0]));
    std::sort(products.begin(), products.end());
    products.erase(std::unique(products.begin(), products.end()), products.end());
    // Sorted and locked in sorted pieces: one order however many statements it takes.
    queryWhereIn(call.tx, "SELECT \"ObjID\" FROM \"TProduct\" WHERE \"ObjID\"", products,
                 " ORDER BY \"ObjID\" FOR UPDATE");
}

} // namespace

void changeStatus(WriteCall& call, std::string_view table, std::span<const std::string> objIds,
                  std::string_view field, const std::string& status)
{
    const schema::DictTable* dictTable = call.dictionary.findTable(table);
    if (!dictTable) throw Error("表名[" + std::string(table) + "]在表字典中不存在 ！");
    const std::string t = dictTable->code;
    const auto layout = call.dictionary.layout(t);
    const std::string docField = "Status" + t + "ID";
    const bool validity = gbk::equalsIgnoreCase(field, "StatusID");
    if (!validity && !gbk::equalsIgnoreCase(field, docField))
        throw Error("字段[" + std::string(field) + "]不是" + dictTable->name +
                    "的状态字段，不能修改状态");
    const std::string column = validity ? "StatusID" : docField;
    if (layout->columnIndex(column) < 0)
        throw Error(dictTable->name + "没有状态字段[" + column + "]，不能修改状态");
    if (layout->columnIndex("TOwnerID") < 0)
        throw Error(dictTable->name + "不属于任何机构，不能修改状态");
    const bool hasDocStatus = layout->columnIndex(docField) >= 0;
    const bool hasCode = layout->columnIndex("Code") >= 0;

    const std::vector<StatusStep> steps = statusSteps(call.tx, column);
    const auto target = stepOf(steps, canonical(status));
    if (status.empty() || !target)
        throw Error("状态[" + status + "]不是" + dictTable->name + "的[" + column +
                    "]状态，请重新选择状态");
    const std::vector<StatusStep> docSteps =
        hasDocStatus ? (validity ? statusSteps(call.tx, docField) : steps)
                     : std::vector<StatusStep>{};

    // Documents in ObjID order, each locked while it is judged: two calls moving the same
    // documents queue instead of both passing the check.
    std::vector<std::string> ids;
    for (const std::string& id : objIds)
        ids.push_back(canonical(id));
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    if (ids.empty()) throw Error("没有要修改状态的单据，请查询出单据后再进行修改。");
    // One call holds the write lock for all of them: a bound keeps other writers waiting briefly.
    if (ids.size() > MaxDocumentsPerChange)
        throw Error("一次最多修改" + std::to_string(MaxDocumentsPerChange) +
                    "张单据的状态，请分批选择单据");

    PostingScope scope = postingScope(call);
    lockProductsOf(call, scope, t, ids);
    const std::string select = std::string("SELECT \"TOwnerID\", \"StatusID\", ") +
                               (hasDocStatus ? quoted(docField) : std::string("NULL")) + ", " +
                               (hasCode ? std::string("\"Code\"") : std::string("NULL")) +
                               " FROM " + quoted(t) + " WHERE \"ObjID\" = ?" + forUpdate(scope);
    for (const std::string& id : ids) {
        const storage::Rows found = call.tx.query(select, std::vector<Value>{Value(id)});
        if (found.rows.empty() ||
            !gbk::equalsIgnoreCase(stringOf(found.rows[0][0]), call.session.ownerId))
            throw Error("单据[" + id + "]不存在或不属于本机构，不能修改其状态");
        const auto& row = found.rows[0];
        const std::string code = stringOf(row[3]).empty() ? id : stringOf(row[3]);
        const std::string document = "单据“" + code + "”";
        const bool invalid = isInvalid(stringOf(row[1]));
        const auto docStep = hasDocStatus ? stepOf(docSteps, stringOf(row[2])) : std::nullopt;
        const std::size_t posted = docStep ? *docStep : 0;
        const auto current = stepOf(steps, stringOf(validity ? row[1] : row[2]));

        if (validity && invalid) throw Error(document + "已经作废，不能再次作废。");
        if (!validity && invalid) throw Error(document + "已经作废，不能再修改单据状态。");
        if (!current)
            throw Error(document + "的状态不在[" + column + "]的取值中，请先修改单据的状态");
        if (*current == *target)
            throw Error(document + "已经是“" + steps[*target].name + "”状态，不能重复操作。");
        if (*current > *target)
            throw Error(document + "已经是“" + steps[*current].name + "”状态，不能改回“" +
                        steps[*target].name + "”。");

        call.tx.execute("UPDATE " + quoted(t) + " SET " + quoted(column) +
                            " = ? WHERE \"ObjID\" = ?",
                        std::vector<Value>{Value(steps[*target].objId), Value(id)});
        if (!validity && *current == 0 && !isPosted(t, 0))
            post(scope, t, id, +1);
        else if (validity && isInvalid(steps[*target].objId) && isPosted(t, posted))
            post(scope, t, id, -1);
        // A user made invalid is out at once, whatever sessions it holds.
        if (validity && t == "TUser" && isInvalid(steps[*target].objId))
            call.service.server.sessions.endSessionsOf(call.tx, id);
    }
}

namespace {

/// A document that posts when stored and is valid: its kind; nullptr otherwise.
const BillKind* postedWhenStored(WriteCall& call, std::string_view table, const std::string& id)
{
    const BillKind* kind = billKind(table);
    if (!kind || kind->onVerify) return nullptr;
    const schema::DictTable* dictTable = call.dictionary.findTable(table);
    if (!dictTable) return nullptr;
    const storage::Rows rows = call.tx.query("SELECT \"StatusID\" FROM " + quoted(dictTable->code) +
                                                 " WHERE \"ObjID\" = ?",
                                             std::vector<Value>{Value(id)});
    return rows.rows.empty() || isInvalid(stringOf(rows.rows[0][0])) ? nullptr : kind;
}

} // namespace

void postOnInsert(WriteCall& call, std::string_view table, const std::string& objId)
{
    const std::string id = canonical(objId);
    if (const BillKind* kind = postedWhenStored(call, table, id)) {
        PostingScope scope = postingScope(call);
        postAccount(scope, *kind, id);
    }
}

void postOnUpdate(WriteCall& call, std::string_view table, const std::string& objId)
{
    const std::string id = canonical(objId);
    if (const BillKind* kind = postedWhenStored(call, table, id)) {
        PostingScope scope = postingScope(call);
        repostAccount(scope, *kind, id);
    }
}

} // namespace corvo::server
