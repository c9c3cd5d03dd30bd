#include "QueryService.h"

#include "ReadRights.h"
#include "entity/Error.h"
#include "entity/FieldType.h"
#include "entity/Gbk.h"
#include "entity/TClientDataSet.h"
#include "entity/TParamData.h"
#include "server/schema/Schema.h"
#include "server/schema/TableLayout.h"
#include "server/schema/TableReader.h"
#include "server/sql/StatementBuilder.h"

#include <algorithm>
#include <functional>
#include <map>
#include <optional>

namespace corvo::server {

namespace {

// Keeps an "in" list of parent ids within what every backend binds comfortably.
constexpr std::size_t ParentsPerRead = 500;

void requireRow(TParamData& packet, std::string_view name)
{
    if (!packet.ParamExists(name))
        throw Error("参数[" + std::string(name) + "]不存在,请确定该参数已经在参数对象中!");
}

std::shared_ptr<const ReadGrants> grantsOf(ServiceCall& call, storage::Transaction& tx)
{
    return call.server.readRights->of(tx, call.session->userId, unixNow());
}

struct Masters {
    Variant rows;        ///< data packet in the client's structure
    std::string groupBy; ///< the column a "sum" row names; empty when none
    std::string table;   ///< the queried table
};

/// The masters of the clause set, read in the transaction.
Masters readMasters(ServiceCall& call, storage::Transaction& tx, const schema::Dictionary& dict,
                    TParamData& packet, bool everyPage = false)
{
    requireRow(packet, "TMaster");
    TClientDataSet clauseSet;
    clauseSet.SetData(packet.GetParamData("TMaster"));
    auto clauses = sql::clausesOf(clauseSet);
    if (everyPage)
        for (sql::Clause& c : clauses)
            if (c.kind == "select" && c.text.starts_with("top ")) {
                // A summary is over every row, whatever page the form asks for.
                const std::size_t end = c.text.find(' ', 4);
                c.text = end == std::string::npos ? std::string() : c.text.substr(end + 1);
                break;
            }
    const std::string owner = call.session ? call.session->ownerId : "";
    sql::Statement statement =
        sql::buildStatement(dict, clauses, {call.server.db.dialect(), owner, {}});
    // Widened to a partner's side only where the user may take it (the table is known now).
    const std::string partner = partnerSideOf(call, tx, dict, packet, statement.table);
    if (!partner.empty())
        statement = sql::buildStatement(dict, clauses, {call.server.db.dialect(), owner, partner});
    if (call.session) requireReadable(dict, *grantsOf(call, tx), statement.tables);
    const storage::Rows rows = tx.query(statement.sql, statement.params);
    return {schema::rowsToPacket(*dict.layout(statement.table), statement.columns, rows),
            statement.groupBy, statement.table};
}

Variant plus(const Variant& a, const Variant& b)
{
    if (a.isNull()) return b;
    if (b.isNull()) return a;
    if (a.type() == Variant::Type::Integer && b.type() == Variant::Type::Integer) {
        int64_t sum = 0;
        if (__builtin_add_overflow(a.asInteger(), b.asInteger(), &sum))
            throw Error("汇总结果超出范围");
        return Variant(sum);
    }
    if (a.type() == Variant::Type::Decimal && b.type() == Variant::Type::Decimal &&
        a.asDecimal().scale == b.asDecimal().scale) {
        Decimal sum = a.asDecimal();
        if (__builtin_add_overflow(sum.units, b.asDecimal().units, &sum.units))
            throw Error("汇总结果超出范围");
        return Variant(sum);
    }
    return Variant(a.toDouble() + b.toDouble());
}

std::vector<std::string> columnTexts(TClientDataSet& rows, std::string_view field)
{
    std::vector<std::string> out;
    const int at = rows.FieldIndexOf(field);
    if (at < 0) return out;
    for (rows.First(); !rows.Eof(); rows.Next())
        if (!rows.Fields(at).IsNull()) out.push_back(gbk::toUtf8(rows.Fields(at).AsString()));
    return out;
}

/// Every row of the table whose ParentID is one of the parents, in the table's whole layout.
void readChildren(storage::Transaction& tx, const schema::Dictionary& dict,
                  const std::string& table, const std::vector<std::string>& parents,
                  const std::string& ownerId, TClientDataSet& out)
{
    const auto layout = dict.layout(table);
    if (layout->columnIndex("ParentID") < 0)
        throw Error("表[" + table + "]没有ParentID列，不能作为明细表查询");
    // Every batch's rows first, then one conversion into the client's structure.
    storage::Rows all;
    for (std::size_t start = 0; start < parents.size(); start += ParentsPerRead) {
        const std::size_t end = std::min(parents.size(), start + ParentsPerRead);
        std::string where = "\"ParentID\" in (";
        std::vector<storage::Value> params;
        for (std::size_t i = start; i < end; ++i) {
            where += i == start ? "?" : ", ?";
            params.emplace_back(parents[i]);
        }
        where += ")";
        storage::Rows part = schema::readRows(
            tx, *layout, {where, params, schema::scopedRead(dict, table, ownerId)});
        if (all.columns.empty()) all.columns = std::move(part.columns);
        for (auto& row : part.rows)
            all.rows.push_back(std::move(row));
    }
    const std::vector<std::string> names = layout->columnCodes();
    if (all.columns.empty()) all.columns = names;
    schema::rowsToDataSet(*layout, names, all, out);
}

/// The rows in the structure the client sent: same-named fields copied, the rest left empty.
void reshape(TClientDataSet& rows, TClientDataSet& shape)
{
    shape.EmptyDataSet();
    std::vector<int> from(static_cast<std::size_t>(shape.FieldCount()));
    for (int f = 0; f < shape.FieldCount(); ++f)
        from[static_cast<std::size_t>(f)] = rows.FieldIndexOf(shape.Fields(f).FieldName());
    for (rows.First(); !rows.Eof(); rows.Next()) {
        shape.Append();
        for (int f = 0; f < shape.FieldCount(); ++f) {
            const int source = from[static_cast<std::size_t>(f)];
            if (source >= 0 && !rows.Fields(source).IsNull())
                shape.Fields(f).SetAsVariant(rows.Fields(source).AsVariant());
        }
        shape.Post();
    }
    shape.MergeChangeLog();
    shape.First();
}

/// Rows merged per key (read on the current row) into `out`: the kept fields of the first row
/// of each key, the summed ones (a subset of the kept) adding up over the key's rows. Returns,
/// for every row's ObjID, the ObjID of the row it went into.
std::map<std::string, std::string> mergeByKey(TClientDataSet& rows, const std::vector<int>& kept,
                                              const std::vector<int>& summed,
                                              const std::function<std::string()>& keyOf,
                                              TClientDataSet& out)
{
    TClientDataSet merged;
    for (int f : kept)
        merged.FieldDefs().Add(rows.Fields(f).FieldName(), rows.Fields(f).DataType(),
                               rows.Fields(f).Size());
    merged.CreateDataSet();
    const int objId = rows.FieldIndexOf("ObjID");
    std::map<std::string, int> rowOfKey;
    std::map<std::string, std::string> into;
    std::vector<std::string> firstIds;
    for (rows.First(); !rows.Eof(); rows.Next()) {
        const std::string key = keyOf();
        const std::string id = objId < 0 ? std::string() : rows.Fields(objId).AsString();
        const auto found = rowOfKey.find(key);
        if (found == rowOfKey.end()) {
            merged.Append();
            for (std::size_t i = 0; i < kept.size(); ++i)
                if (!rows.Fields(kept[i]).IsNull())
                    merged.Fields(static_cast<int>(i))
                        .SetAsVariant(rows.Fields(kept[i]).AsVariant());
            merged.Post();
            rowOfKey.emplace(key, merged.RecNo());
            firstIds.push_back(id);
            into[id] = id;
            continue;
        }
        merged.SetRecNo(found->second);
        into[id] = firstIds[static_cast<std::size_t>(found->second - 1)];
        merged.Edit();
        for (std::size_t i = 0; i < kept.size(); ++i) {
            if (std::find(summed.begin(), summed.end(), kept[i]) == summed.end()) continue;
            TField& target = merged.Fields(static_cast<int>(i));
            target.SetAsVariant(plus(target.AsVariant(), rows.Fields(kept[i]).AsVariant()));
        }
        merged.Post();
    }
    merged.MergeChangeLog();
    merged.First();
    out.SetData(merged.Data());
    return into;
}

/// Numbers that add up over rows: quantities and amounts, not prices, discount percentages,
/// rates or sequence numbers.
bool isAdditive(TField& field)
{
    const std::string& name = field.FieldName();
    for (const char* part : {"Price", "Discount", "Rate"})
        if (name.find(part) != std::string::npos) return false;
    return isNumericType(field.DataType()) && name != "SizeNo" && name != "DispOrder";
}

/// Merges document lines or their sizes in place: every field kept, the numbers summed but
/// prices, discounts and sequence numbers.
std::map<std::string, std::string> mergeLines(TClientDataSet& rows,
                                              const std::function<std::string()>& keyOf)
{
    std::vector<int> all, summed;
    for (int f = 0; f < rows.FieldCount(); ++f) {
        all.push_back(f);
        if (isAdditive(rows.Fields(f))) summed.push_back(f);
    }
    TClientDataSet merged;
    auto into = mergeByKey(rows, all, summed, keyOf, merged);
    rows.SetData(merged.Data());
    return into;
}

} // namespace

std::string partnerNamedIn(ServiceCall& call, TParamData& packet)
{
    if (!call.session || !packet.ParamExists("TOwnerID")) return {};
    const Variant value = packet.GetParamValue("TOwnerID");
    if (value.type() != Variant::Type::String) return {};
    const auto guid = Guid::parse(value.asString());
    if (!guid || guid->isNull()) return {};
    const std::string text = guid->toString();
    return gbk::equalsIgnoreCase(text, call.session->ownerId) ? std::string() : text;
}

std::string partnerSideOf(ServiceCall& call, storage::Transaction& tx,
                          const schema::Dictionary& dictionary, TParamData& packet,
                          std::string_view table)
{
    const std::string named = partnerNamedIn(call, packet);
    if (named.empty() || !holdsPartnerSideModule(tx, dictionary, call.session->userId, table) ||
        !isPartnerOfCompany(tx, named, call.session->ownerId))
        return {};
    return named;
}

bool singleTableQuery(ServiceCall& call, TParamData& packet)
{
    auto tx = call.server.db.begin(storage::TransactionMode::Read);
    const auto dictionary = call.server.dictionaries->get(*tx);
    const schema::Dictionary& dict = *dictionary;
    const Masters masters = readMasters(call, *tx, dict, packet);
    tx->commit();
    packet.SetParamData("TMaster", masters.rows);
    return true;
}

bool summaryQuery(ServiceCall& call, TParamData& packet)
{
    auto tx = call.server.db.begin(storage::TransactionMode::Read);
    const auto dictionary = call.server.dictionaries->get(*tx);
    const schema::Dictionary& dict = *dictionary;
    const Masters read = readMasters(call, *tx, dict, packet, true);
    tx->commit();
    const std::string& group = read.groupBy;
    const std::string& table = read.table;
    TClientDataSet rows;
    rows.SetData(read.rows);
    const auto shared = dict.layout(table);
    const schema::TableLayout& layout = *shared;

    // The kept fields: the grouping column, what is joined through it, the numbers.
    const std::string groupGbk = gbk::fromUtf8(group);
    std::vector<int> kept, summed;
    for (int f = 0; f < rows.FieldCount(); ++f) {
        const std::string name = gbk::toUtf8(rows.Fields(f).FieldName());
        const int at = layout.columnIndex(name);
        const schema::LayoutColumn* column =
            at < 0 ? nullptr : &layout.columns()[static_cast<std::size_t>(at)];
        const bool joinedThroughGroup =
            column && !column->stored() &&
            gbk::equalsIgnoreCase(layout.joins()[static_cast<std::size_t>(column->join)].keyColumn,
                                  group);
        if (!group.empty() && (gbk::equalsIgnoreCase(name, group) || joinedThroughGroup)) {
            kept.push_back(f);
        } else if (isAdditive(rows.Fields(f))) {
            // A number that does not add up (a discount) says nothing about a group: left out.
            kept.push_back(f);
            summed.push_back(f);
        }
    }
    if (!group.empty() && rows.FieldIndexOf(groupGbk) < 0)
        throw Error("汇总字段[" + group + "]不在查询结果中");

    const int groupField = group.empty() ? -1 : rows.FieldIndexOf(groupGbk);
    TClientDataSet result;
    mergeByKey(
        rows, kept, summed,
        [&] { return groupField < 0 ? std::string() : rows.Fields(groupField).AsString(); },
        result);
    packet.SetParamData("TMaster", result.Data());
    return true;
}

namespace {

bool masterDetail(ServiceCall& call, TParamData& packet, bool byProduct)
{
    auto tx = call.server.db.begin(storage::TransactionMode::Read);
    const auto dictionary = call.server.dictionaries->get(*tx);
    const schema::Dictionary& dict = *dictionary;
    TClientDataSet masters;
    masters.SetData(readMasters(call, *tx, dict, packet).rows);
    const std::string owner = call.session ? call.session->ownerId : "";

    if (packet.ParamExists("TDetailQuery")) {
        TClientDataSet shape;
        shape.SetData(packet.GetParamData("TDetailQuery"));
        if (shape.FieldCount() == 0) throw Error("明细结构[TDetailQuery]没有字段");
        const std::string detailTable = gbk::toUtf8(shape.Fields(0).FieldName());
        if (!dict.findTable(detailTable))
            throw Error("表名[" + detailTable + "]在表字典中不存在 ！");
        const std::string sizeTable = detailTable + "Size";
        const bool hasSizes = dict.findTable(sizeTable) != nullptr;
        if (call.session) {
            std::vector<std::string> read = {detailTable};
            if (hasSizes) read.push_back(sizeTable);
            requireReadable(dict, *grantsOf(call, *tx), read);
        }
        TClientDataSet details;
        readChildren(*tx, dict, detailTable, columnTexts(masters, "ObjID"), owner, details);
        std::optional<TClientDataSet> sizes;
        if (hasSizes) {
            sizes.emplace();
            readChildren(*tx, dict, sizeTable, columnTexts(details, "ObjID"), owner, *sizes);
        }
        const int product = details.FieldIndexOf("TProductID");
        if (byProduct && product >= 0) {
            // One line per product; its sizes summed per size under that line.
            const auto lineOf =
                mergeLines(details, [&] { return details.Fields(product).AsString(); });
            if (sizes) {
                const int parent = sizes->FieldIndexOf("ParentID");
                const int sizeNo = sizes->FieldIndexOf("SizeNo");
                if (parent >= 0)
                    mergeLines(*sizes, [&] {
                        const auto line = lineOf.find(sizes->Fields(parent).AsString());
                        const std::string merged =
                            line == lineOf.end() ? sizes->Fields(parent).AsString() : line->second;
                        if (merged != sizes->Fields(parent).AsString()) {
                            sizes->Edit();
                            sizes->Fields(parent).SetAsString(merged);
                            sizes->Post();
                        }
                        return merged + "/" +
                               (sizeNo < 0 ? std::string() : sizes->Fields(sizeNo).AsString());
                    });
            }
        }
        if (sizes) packet.SetParamData("TDetailListQuery", sizes->Data());
        reshape(details, shape);
        packet.SetParamData("TDetailQuery", shape.Data());
        packet.SetParamValue("TDetail", Variant("1"));
    }
    tx->commit();
    packet.SetParamData("TMaster", masters.Data());
    return true;
}

} // namespace

bool masterDetailQuery(ServiceCall& call, TParamData& packet)
{
    return masterDetail(call, packet, false);
}

bool sizeSummaryQuery(ServiceCall& call, TParamData& packet)
{
    return masterDetail(call, packet, true);
}

} // namespace corvo::server
