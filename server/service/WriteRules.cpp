#include "WriteRules.h"

#include "InternalTables.h"
#include "RowStore.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/Guid.h"
#include "server/schema/Ddl.h"
#include "server/schema/Ownership.h"
#include "server/schema/StoredValues.h"
#include "server/schema/SystemIds.h"

#include <map>
#include <set>

namespace corvo::server {

namespace {

using schema::quoteIdentifier;

bool isCode(const schema::LayoutColumn& column, std::string_view code)
{
    return gbk::equalsIgnoreCase(column.code(), code);
}

bool isEmptyOwner(const std::string& owner)
{
    return owner.empty() || gbk::equalsIgnoreCase(owner, EmptyGuidText);
}

/// A status column other than StatusID: its other-parameter type is its own code.
bool isDocumentStatus(const schema::LayoutColumn& column)
{
    const std::string& code = column.code();
    return column.stored() && column.type == FieldType::Guid && code.size() > 8 &&
           gbk::equalsIgnoreCase(code.substr(0, 6), "Status") &&
           !gbk::equalsIgnoreCase(code, "StatusID");
}

/// Whether TUserID is who made the row (set by the server) rather than the row's subject,
/// such as the user a right is granted to.
bool userIsAuthor(WriteCall& call, const WrittenRows& rows)
{
    const schema::Ownership owner = schema::ownershipOf(call.dictionary, rows.table);
    return !(owner.kind == schema::Ownership::Kind::Through &&
             gbk::equalsIgnoreCase(owner.column, "TUserID"));
}

struct Target {
    std::string table;
    std::string type; ///< the other parameters' Type; empty for any other table
    bool operator<(const Target& o) const
    {
        return std::tie(table, type) < std::tie(o.table, o.type);
    }
};

/// The table a reference column's values name, if any.
std::optional<Target> targetOf(const schema::Dictionary& dictionary,
                               const schema::LayoutColumn& column)
{
    const schema::DictField& f = column.field;
    if (f.isOtherParam == 1 && !f.joinedField.empty()) return Target{"TOtherParam", f.joinedField};
    const std::string& code = column.code();
    if (code.size() > 2 && gbk::equalsIgnoreCase(code.substr(code.size() - 2), "ID"))
        if (const schema::DictTable* t = dictionary.findTable(code.substr(0, code.size() - 2)))
            return Target{t->code, {}};
    if (!f.joinedTable.empty())
        if (const schema::DictTable* t = dictionary.findTable(f.joinedTable))
            return Target{t->code, {}};
    return std::nullopt;
}

/// The ObjIDs (keys) among `ids` of rows of the table the company reads.
std::set<std::string> readableIds(WriteCall& call, const Target& target,
                                  const std::vector<std::string>& ids)
{
    std::vector<storage::Value> after;
    schema::OwnerScope scope(call.dictionary, call.session.ownerId, {}, [&](storage::Value v) {
        after.push_back(std::move(v));
        return std::string("?");
    });
    std::string tail;
    if (!target.type.empty()) {
        tail += " AND t." + quoteIdentifier("Type") + " = ?";
        after.emplace_back(target.type);
    }
    const std::string condition = scope.condition(target.table, "t");
    if (!condition.empty()) tail += " AND " + condition;
    const storage::Rows found = queryWhereIn(call.tx,
                                             "SELECT t." + quoteIdentifier("ObjID") + " FROM " +
                                                 quoteIdentifier(target.table) + " AS t WHERE t." +
                                                 quoteIdentifier("ObjID"),
                                             ids, tail, {}, after);
    std::set<std::string> out;
    for (const auto& row : found.rows)
        out.insert(idKey(textOf(row[0])));
    return out;
}

/// Whether the organisation is one the company keeps (its own TOrgan row): a partner whose
/// side a partner-side row is stored from.
bool isPartnerOf(WriteCall& call, const std::string& organ)
{
    const storage::Rows rows = call.tx.query(
        "SELECT 1 FROM \"TOrgan\" WHERE \"ObjID\" = ? AND \"TOwnerID\" = ?",
        std::vector<storage::Value>{storage::Value(organ), storage::Value(call.session.ownerId)});
    return !rows.rows.empty();
}

} // namespace

void requireNoLines(WriteCall& call, const WrittenRows& rows)
{
    const schema::Ownership owner = schema::ownershipOf(call.dictionary, rows.table);
    if (owner.kind == schema::Ownership::Kind::Through && owner.column == "ParentID")
        throw Error("明细[" + rows.table + "]不能单独保存，只能随单据一起修改。");
}

void requireSharedWriter(WriteCall& call, const WrittenRows& rows)
{
    if (schema::ownershipOf(call.dictionary, rows.table).kind != schema::Ownership::Kind::Shared)
        return;
    if (!gbk::equalsIgnoreCase(call.session.ownerId, installationOwner(call.tx)))
        throw Error("表[" + rows.table +
                    "]由所有机构共用，只能由系统的主机构修改，请与系统管理员联系。");
}

void lockKey(WriteCall& call, const std::string& key)
{
    // SQLite's one writer already runs write calls one after the other.
    if (call.service.server.db.dialect() != storage::Dialect::Postgres) return;
    call.tx.query("SELECT 1 FROM (SELECT pg_advisory_xact_lock(hashtext(CAST(? AS text)))) AS l",
                  std::vector<storage::Value>{storage::Value(key)});
}

std::set<std::string> readableRows(WriteCall& call, const std::string& table,
                                   const std::vector<std::string>& ids)
{
    if (ids.empty()) return {};
    return readableIds(call, Target{table, {}}, ids);
}

void requireNewIds(WriteCall& call, const WrittenRows& rows)
{
    std::vector<std::string> ids;
    std::set<std::string> seen;
    for (const WrittenRow& row : rows.rows) {
        const std::string id = rows.text(row, "ObjID");
        if (id.empty()) continue;
        if (gbk::equalsIgnoreCase(id, EmptyGuidText)) refuseNewId(id);
        if (!seen.insert(idKey(id)).second)
            throw Error("表[" + rows.table + "]的新行ObjID重复：" + id);
        ids.push_back(id);
    }
    const storage::Rows found =
        queryWhereIn(call.tx,
                     "SELECT " + quoteIdentifier("ObjID") + " FROM " + quoteIdentifier(rows.table) +
                         " WHERE " + quoteIdentifier("ObjID"),
                     ids);
    if (found.rows.empty()) return;
    std::vector<std::string> held;
    for (const auto& row : found.rows)
        held.push_back(textOf(row[0]));
    const std::set<std::string> readable = readableRows(call, rows.table, held);
    for (const std::string& id : held)
        if (readable.count(idKey(id)))
            throw Error("记录已经存在，不能重复新增（ObjID " + id + "）。");
    refuseNewId(held.front());
}

void refuseNewId(const std::string& objId)
{
    throw Error("ObjID“" + objId + "”不能用于新记录，请新建后重新录入。");
}

std::string idKey(std::string_view objId)
{
    return gbk::upper(objId);
}

const std::string& firstStatusOf(WriteCall& call, const std::string& type)
{
    auto found = call.firstStatus.find(type);
    if (found != call.firstStatus.end()) return found->second;
    const storage::Rows rows =
        call.tx.query("SELECT \"ObjID\" FROM \"TOtherParam\" WHERE \"Type\" = ? ORDER BY "
                      "\"DispOrder\", \"ObjID\"",
                      std::vector<storage::Value>{storage::Value(type)});
    return call.firstStatus[type] = rows.rows.empty() ? std::string() : textOf(rows.rows[0][0]);
}

void setServerColumns(WriteCall& call, WrittenRows& rows, WriteKind kind, bool partnerSide)
{
    const schema::TableLayout& layout = *rows.layout;
    const bool author = layout.columnIndex("TUserID") >= 0 && userIsAuthor(call, rows);
    const bool owned = layout.columnIndex("TOwnerID") >= 0;
    const bool autoCoded = layout.table().isAutoCoding != 0;
    std::vector<int> statuses;
    for (std::size_t i = 0; i < layout.columns().size(); ++i)
        if (isDocumentStatus(layout.columns()[i])) statuses.push_back(static_cast<int>(i));

    for (WrittenRow& row : rows.rows) {
        if (kind == WriteKind::Update) {
            for (const char* kept : {"TOwnerID", "CreateDate", "StatusID"})
                rows.keep(row, kept);
            if (author) rows.keep(row, "TUserID");
            if (autoCoded) rows.keep(row, "Code");
            for (int at : statuses)
                row.written[static_cast<std::size_t>(at)] = 0;
            continue;
        }
        if (rows.value(row, "ObjID").isNull()) rows.set(row, "ObjID", Guid::create().toString());
        if (owned) {
            const std::string owner = rows.text(row, "TOwnerID");
            const bool partnerRow =
                partnerSide && !isEmptyOwner(owner) &&
                !gbk::equalsIgnoreCase(owner, call.session.ownerId) &&
                gbk::equalsIgnoreCase(rows.text(row, "TOrganID"), call.session.ownerId);
            if (partnerRow && !isPartnerOf(call, owner))
                throw Error("只能保存本机构及其往来单位的数据，请检查所属机构。");
            if (!partnerRow) {
                if (!isEmptyOwner(owner) && !gbk::equalsIgnoreCase(owner, call.session.ownerId))
                    throw Error("只能保存本机构的数据，请检查所属机构。");
                rows.set(row, "TOwnerID", call.session.ownerId);
            }
        }
        if (author) rows.set(row, "TUserID", call.session.userId);
        rows.set(row, "CreateDate", call.now);
        if (autoCoded) rows.set(row, "Code", storage::Value());
        if (rows.column("StatusID") >= 0)
            rows.set(row, "StatusID", std::string(schema::ids::StatusValid));
        for (int at : statuses) {
            const std::string& first = firstStatusOf(call, rows.at(at).code());
            if (!first.empty()) {
                row.values[static_cast<std::size_t>(at)] = first;
                row.written[static_cast<std::size_t>(at)] = 1;
            }
        }
    }
}

std::vector<char> serverDecidedColumns(WriteCall& call, const WrittenRows& rows)
{
    const schema::TableLayout& layout = *rows.layout;
    const bool author = userIsAuthor(call, rows);
    const bool autoCoded = layout.table().isAutoCoding != 0;
    const bool user = gbk::equalsIgnoreCase(rows.table, "TUser");
    std::vector<char> decided(layout.columns().size(), 0);
    if (!decided.empty()) decided[0] = 1;
    for (std::size_t i = 1; i < layout.columns().size(); ++i) {
        const schema::LayoutColumn& column = layout.columns()[i];
        decided[i] = isCode(column, "ObjID") || isCode(column, "ParentID") ||
                     isCode(column, "CreateDate") || isCode(column, "StatusID") ||
                     (author && isCode(column, "TUserID")) ||
                     (autoCoded && isCode(column, "Code")) ||
                     (user && isCode(column, "PassWord")) || isDocumentStatus(column);
    }
    return decided;
}

void requireValues(const WrittenRows& rows)
{
    const schema::TableLayout& layout = *rows.layout;
    for (const WrittenRow& row : rows.rows)
        for (std::size_t i = 1; i < layout.columns().size(); ++i) {
            const schema::LayoutColumn& column = layout.columns()[i];
            if (column.stored() && column.field.isNullAble == 0 && row.written[i] &&
                row.values[i].isNull())
                throw Error("“" + column.field.name + "”不能为空，请输入。");
        }
}

void requireReferences(WriteCall& call, const WrittenRows& rows)
{
    const schema::TableLayout& layout = *rows.layout;
    std::map<Target, std::vector<std::pair<std::string, int>>> wanted; // value, column
    const bool author = layout.columnIndex("TUserID") >= 0 && userIsAuthor(call, rows);
    for (std::size_t i = 1; i < layout.columns().size(); ++i) {
        const schema::LayoutColumn& column = layout.columns()[i];
        if (!column.stored() || column.type != FieldType::Guid) continue;
        if (isCode(column, "ObjID") || isCode(column, "ParentID") || isCode(column, "TOwnerID"))
            continue;
        // What the server set itself (a new row's author and statuses) needs no check; a
        // replaced row keeps them unwritten.
        if ((author && isCode(column, "TUserID")) || isCode(column, "StatusID") ||
            isDocumentStatus(column))
            continue;
        const auto target = targetOf(call.dictionary, column);
        if (!target) continue;
        for (const WrittenRow& row : rows.rows)
            if (row.written[i] && !row.values[i].isNull())
                wanted[*target].emplace_back(textOf(row.values[i]), static_cast<int>(i));
    }
    for (const auto& [target, values] : wanted) {
        std::vector<std::string> ids;
        std::set<std::string> seen;
        for (const auto& [value, column] : values)
            if (seen.insert(idKey(value)).second) ids.push_back(value);
        const std::set<std::string> found = readableIds(call, target, ids);
        for (const auto& [value, column] : values)
            if (!found.count(idKey(value)))
                throw Error("“" + rows.at(column).field.name +
                            "”所选的记录不存在或不属于本机构，请重新选择。");
    }
}

std::map<std::string, StoredRow> storedRows(WriteCall& call, const WrittenRows& rows,
                                            std::span<const std::string> objIds, bool partnerSide)
{
    std::map<std::string, StoredRow> out;
    if (objIds.empty()) return out;
    const schema::TableLayout& layout = *rows.layout;
    const std::string docStatus = "Status" + rows.table + "ID";
    std::vector<std::string> columns;
    for (const std::string& c :
         {std::string("TOwnerID"), std::string("TOrganID"), std::string("ParentID"),
          std::string("Code"), std::string("StatusID"), docStatus})
        columns.push_back(layout.columnIndex(c) >= 0 && rows.at(layout.columnIndex(c)).stored()
                              ? c
                              : std::string());
    std::string select = "SELECT t." + quoteIdentifier("ObjID");
    for (const std::string& c : columns)
        if (!c.empty()) select += ", t." + quoteIdentifier(c);
    select += " FROM " + quoteIdentifier(rows.table) + " AS t WHERE t." + quoteIdentifier("ObjID");

    const schema::Ownership ownership = schema::ownershipOf(call.dictionary, rows.table);
    std::string tail;
    std::vector<storage::Value> after;
    if (ownership.kind == schema::Ownership::Kind::Through && ownership.column != "ParentID") {
        schema::OwnerScope scope(call.dictionary, call.session.ownerId, {}, [&](storage::Value v) {
            after.push_back(std::move(v));
            return std::string("?");
        });
        tail = " AND " + scope.condition(rows.table, "t");
    }
    // Locked until the call ends: a verify racing this change waits, or this change waits
    // for the verify and then finds the document verified.
    if (call.service.server.db.dialect() == storage::Dialect::Postgres) tail += " FOR UPDATE OF t";
    const storage::Rows found = queryWhereIn(call.tx, select, objIds, tail, {}, after);
    for (const auto& row : found.rows) {
        StoredRow stored;
        std::size_t at = 1;
        std::string* into[] = {&stored.owner, &stored.organ,    &stored.parent,
                               &stored.code,  &stored.validity, &stored.docStatus};
        for (std::size_t c = 0; c < columns.size(); ++c)
            if (!columns[c].empty()) *into[c] = textOf(row[at++]);
        stored.document = !columns.back().empty();
        if (ownership.kind == schema::Ownership::Kind::Owned) {
            const bool own = gbk::equalsIgnoreCase(stored.owner, call.session.ownerId);
            const bool partner = !own && partnerSide && !isEmptyOwner(stored.owner) &&
                                 gbk::equalsIgnoreCase(stored.organ, call.session.ownerId) &&
                                 isPartnerOf(call, stored.owner);
            if (!own && !partner) continue;
        }
        out.emplace(idKey(textOf(row[0])), std::move(stored));
    }
    return out;
}

std::set<std::string> unchangedSharedRows(WriteCall& call, const WrittenRows& rows)
{
    std::set<std::string> out;
    const schema::TableLayout& layout = *rows.layout;
    const int owner = layout.columnIndex("TOwnerID");
    if (owner < 0 || rows.rows.empty()) return out;
    // Compared as the update would write them: what the server keeps is left out.
    WrittenRows marked = rows;
    setServerColumns(call, marked, WriteKind::Update, false);
    std::vector<int> stored;
    std::string select = "SELECT t." + quoteIdentifier("ObjID");
    for (std::size_t i = 1; i < layout.columns().size(); ++i)
        if (layout.columns()[i].stored()) {
            stored.push_back(static_cast<int>(i));
            select += ", t." + quoteIdentifier(layout.columns()[i].code());
        }
    const std::string shared = " AND (t." + quoteIdentifier("TOwnerID") + " IS NULL OR t." +
                               quoteIdentifier("TOwnerID") + " = '' OR t." +
                               quoteIdentifier("TOwnerID") + " = ?)";
    std::vector<std::string> ids;
    for (const WrittenRow& row : marked.rows)
        ids.push_back(marked.text(row, "ObjID"));
    const std::vector<storage::Value> after = {storage::Value(std::string(EmptyGuidText))};
    const storage::Rows found = queryWhereIn(call.tx,
                                             select + " FROM " + quoteIdentifier(rows.table) +
                                                 " AS t WHERE t." + quoteIdentifier("ObjID"),
                                             ids, shared, {}, after);
    std::map<std::string, const std::vector<storage::Value>*> byId;
    for (const auto& row : found.rows)
        byId[idKey(textOf(row[0]))] = &row;
    for (const WrittenRow& row : marked.rows) {
        const std::string key = idKey(marked.text(row, "ObjID"));
        const auto was = byId.find(key);
        if (was == byId.end()) continue;
        bool same = true;
        for (std::size_t c = 0; c < stored.size() && same; ++c) {
            const auto at = static_cast<std::size_t>(stored[c]);
            if (!row.written[at]) continue;
            const schema::LayoutColumn& column = layout.columns()[at];
            // Both sides through the same conversion, so number and date forms agree.
            const storage::Value before = schema::storedValue(
                schema::clientValue((*was->second)[c + 1], column, rows.table), column, rows.table);
            same = before.isNull() == row.values[at].isNull() &&
                   textOf(before) == textOf(row.values[at]);
        }
        if (same) out.insert(key);
    }
    return out;
}

void requireChangeable(WriteCall& call, std::string_view table, const StoredRow& stored)
{
    const std::string shown = (stored.document ? "单据" : "记录") +
                              (stored.code.empty() ? std::string() : "“" + stored.code + "”");
    if (gbk::equalsIgnoreCase(stored.validity, schema::ids::StatusInvalid))
        throw Error(shown + "已经作废，不能修改。");
    if (stored.docStatus.empty()) return;
    const std::string& first = firstStatusOf(call, "Status" + std::string(table) + "ID");
    if (!first.empty() && !gbk::equalsIgnoreCase(stored.docStatus, first))
        throw Error(shown + "已经审核，不能修改。");
}

void requireUnique(WriteCall& call, const WrittenRows& rows)
{
    const schema::TableLayout& layout = *rows.layout;
    std::vector<int> key;
    std::string names;
    for (std::size_t i = 0; i < layout.columns().size(); ++i)
        if (layout.columns()[i].stored() && layout.columns()[i].field.isUnique == 1) {
            key.push_back(static_cast<int>(i));
            names += (names.empty() ? "" : "、") + layout.columns()[i].field.name;
        }
    if (key.empty() || rows.rows.empty()) return;
    const int objId = layout.columnIndex("ObjID");
    std::set<std::string> inCall;
    for (const WrittenRow& row : rows.rows) {
        std::string shown, joined;
        std::vector<storage::Value> params;
        std::string where;
        for (int at : key) {
            const storage::Value& v = row.values[static_cast<std::size_t>(at)];
            shown += (shown.empty() ? "" : "、") + textOf(v);
            joined += textOf(v) + '\x1f';
            where += " AND t." + quoteIdentifier(rows.at(at).code()) +
                     (v.isNull() ? std::string(" IS NULL") : " = ?");
            if (!v.isNull()) params.push_back(v);
        }
        const std::string refusal =
            "“" + names + "”为“" + shown + "”的记录已经存在，不能重复保存。";
        if (!inCall.insert(joined).second) throw Error(refusal);
        lockKey(call, "unique:" + rows.table + '\x1e' + call.session.ownerId + '\x1e' + joined);
        params.push_back(row.values[static_cast<std::size_t>(objId)]);
        schema::OwnerScope scope(call.dictionary, call.session.ownerId, {}, [&](storage::Value v) {
            params.push_back(std::move(v));
            return std::string("?");
        });
        const std::string condition = scope.condition(rows.table, "t");
        const storage::Rows found =
            call.tx.query("SELECT 1 FROM " + quoteIdentifier(rows.table) + " AS t WHERE 1 = 1" +
                              where + " AND t." + quoteIdentifier("ObjID") + " <> ?" +
                              (condition.empty() ? std::string() : " AND " + condition),
                          params);
        if (!found.rows.empty()) throw Error(refusal);
    }
    requireOrganCodesFree(call, rows);
}

void requireOrganCodesFree(WriteCall& call, const WrittenRows& rows)
{
    // The login finds an organisation by its code among all companies: a code that logs in
    // must be one in the whole database. The refusal reads as for a code of the company's own.
    if (rows.table != "TOrgan" || rows.column("Code") < 0) return;
    for (const WrittenRow& row : rows.rows) {
        const std::string code = rows.text(row, "Code");
        if (code.empty()) continue;
        lockKey(call, "organ-code:" + code);
        const storage::Rows found = call.tx.query(
            "SELECT 1 FROM \"TOrgan\" WHERE \"Code\" = ? AND \"ObjID\" <> ?",
            std::vector<storage::Value>{storage::Value(code), rows.value(row, "ObjID")});
        if (!found.rows.empty()) throw Error(organCodeTaken(code));
    }
}

std::string organCodeTaken(const std::string& code)
{
    return "“机构代码”为“" + code + "”的记录已经存在，不能重复保存。";
}

void requireParamsChangeable(WriteCall& call, const WrittenRows& rows, WriteKind kind)
{
    if (rows.table != "TOtherParam") return;
    std::vector<std::string> ids;
    for (const WrittenRow& row : rows.rows) {
        if (gbk::upper(rows.text(row, "Type")).rfind("STATUS", 0) == 0)
            throw Error("状态参数由系统维护，不能新增或修改。");
        ids.push_back(rows.text(row, "ObjID"));
    }
    if (kind == WriteKind::Insert) return;
    const storage::Rows stored = queryWhereIn(
        call.tx,
        "SELECT \"ObjID\", \"Code\", \"Name\", \"DispOrder\", \"AllowEdit\", \"Type\" FROM "
        "\"TOtherParam\" WHERE \"ObjID\"",
        ids);
    std::map<std::string, const std::vector<storage::Value>*> byId;
    for (const auto& row : stored.rows)
        byId[idKey(textOf(row[0]))] = &row;
    for (const WrittenRow& row : rows.rows) {
        const auto found = byId.find(idKey(rows.text(row, "ObjID")));
        if (found == byId.end()) continue;
        const auto& was = *found->second;
        if (gbk::upper(textOf(was[5])).rfind("STATUS", 0) == 0)
            throw Error("状态参数由系统维护，不能新增或修改。");
        if (textOf(was[4]) != "0") continue;
        const bool same = rows.text(row, "Code") == textOf(was[1]) &&
                          rows.text(row, "Name") == textOf(was[2]) &&
                          rows.text(row, "DispOrder") == textOf(was[3]) &&
                          rows.text(row, "Type") == textOf(was[5]) &&
                          rows.text(row, "AllowEdit") == textOf(was[4]);
        if (!same) throw Error("对不起，记录“”" + textOf(was[2]) + "”不允许修改。");
    }
}

} // namespace corvo::server
