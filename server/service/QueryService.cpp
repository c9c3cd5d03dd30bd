#include "QueryService.h"

#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/TClientDataSet.h"
#include "entity/TParamData.h"
#include "server/schema/Schema.h"
#include "server/schema/TableLayout.h"
#include "server/schema/TableReader.h"
#include "server/sql/StatementBuilder.h"

#include <algorithm>

namespace corvo::server {

namespace {

// Keeps an "in" list of parent ids within what every backend binds comfortably.
constexpr std::size_t ParentsPerRead = 500;

void requireRow(TParamData& packet, std::string_view name)
{
    if (!packet.ParamExists(name))
        throw Error("参数[" + std::string(name) + "]不存在,请确定该参数已经在参数对象中!");
}

/// The masters of the clause set, read in the transaction.
void readMasters(ServiceCall& call, storage::Transaction& tx, const schema::Dictionary& dict,
                 TParamData& packet, TClientDataSet& masters)
{
    requireRow(packet, "TMaster");
    TClientDataSet clauseSet;
    clauseSet.SetData(packet.GetParamData("TMaster"));
    const auto clauses = sql::clausesOf(clauseSet);
    const sql::Statement statement = sql::buildStatement(
        dict, clauses, {call.server.db.dialect(), call.session ? call.session->ownerId : ""});
    const storage::Rows rows = tx.query(statement.sql, statement.params);
    schema::rowsToDataSet(schema::TableLayout::resolve(dict, statement.table), statement.columns,
                          rows, masters);
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
    const auto layout = schema::TableLayout::resolve(dict, table);
    if (layout.columnIndex("ParentID") < 0)
        throw Error("表[" + table + "]没有ParentID列，不能作为明细表查询");
    const bool owned = layout.columnIndex("TOwnerID") >= 0;
    TClientDataSet all;
    schema::buildClientStructure(layout, all);
    for (std::size_t start = 0; start < parents.size(); start += ParentsPerRead) {
        const std::size_t end = std::min(parents.size(), start + ParentsPerRead);
        std::string where = "\"ParentID\" in (";
        std::vector<storage::Value> params;
        for (std::size_t i = start; i < end; ++i) {
            where += i == start ? "?" : ", ?";
            params.emplace_back(parents[i]);
        }
        where += ")";
        if (owned) {
            where += " and (\"TOwnerID\" = ? or \"TOwnerID\" is null or \"TOwnerID\" = '')";
            params.emplace_back(ownerId);
        }
        TClientDataSet part;
        schema::readTable(tx, dict, table, {where, params}, part);
        for (part.First(); !part.Eof(); part.Next()) {
            all.Append();
            for (int f = 0; f < part.FieldCount(); ++f)
                if (!part.Fields(f).IsNull())
                    all.Fields(f).SetAsVariant(part.Fields(f).AsVariant());
            all.Post();
        }
    }
    all.MergeChangeLog();
    out.SetData(all.Data());
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

} // namespace

bool singleTableQuery(ServiceCall& call, TParamData& packet)
{
    auto tx = call.server.db.begin(storage::TransactionMode::Read);
    const schema::Dictionary dict = schema::loadDictionary(*tx);
    TClientDataSet masters;
    readMasters(call, *tx, dict, packet, masters);
    tx->commit();
    packet.SetParamData("TMaster", masters.Data());
    return true;
}

bool masterDetailQuery(ServiceCall& call, TParamData& packet)
{
    auto tx = call.server.db.begin(storage::TransactionMode::Read);
    const schema::Dictionary dict = schema::loadDictionary(*tx);
    TClientDataSet masters;
    readMasters(call, *tx, dict, packet, masters);
    const std::string owner = call.session ? call.session->ownerId : "";

    if (packet.ParamExists("TDetailQuery")) {
        TClientDataSet shape;
        shape.SetData(packet.GetParamData("TDetailQuery"));
        if (shape.FieldCount() == 0) throw Error("明细结构[TDetailQuery]没有字段");
        const std::string detailTable = gbk::toUtf8(shape.Fields(0).FieldName());
        if (!dict.findTable(detailTable))
            throw Error("表名[" + detailTable + "]在表字典中不存在 ！");
        TClientDataSet details;
        readChildren(*tx, dict, detailTable, columnTexts(masters, "ObjID"), owner, details);
        const std::string sizeTable = detailTable + "Size";
        if (dict.findTable(sizeTable)) {
            TClientDataSet sizes;
            readChildren(*tx, dict, sizeTable, columnTexts(details, "ObjID"), owner, sizes);
            packet.SetParamData("TDetailListQuery", sizes.Data());
        }
        reshape(details, shape);
        packet.SetParamData("TDetailQuery", shape.Data());
        packet.SetParamValue("TDetail", Variant("1"));
    }
    tx->commit();
    packet.SetParamData("TMaster", masters.Data());
    return true;
}

} // namespace corvo::server
