#include "SqlTestSupport.h"

#include "entity/Gbk.h"
#include "entity/Guid.h"
#include "entity/TCustomEntity.h"
#include "entity/TSQLAdder.h"
#include "server/schema/MinimalCompany.h"
#include "server/schema/Schema.h"
#include "server/schema/SystemDictionary.h"
#include "server/schema/SystemIds.h"
#include "server/schema/TableReader.h"
#include "server/schema/TableWriter.h"

namespace corvo::server::sql::test {
namespace {

using schema::Record;
using storage::Value;

void seedOthers(storage::Transaction& tx, const schema::Dictionary& dictionary)
{
    const auto organ = schema::TableLayout::resolve(dictionary, "TOrgan");
    const Value demo = std::string(schema::ids::DemoOrgan);
    auto addOrgan = [&](const char* id, const char* code, const char* name, Value owner) {
        schema::insertRecord(tx, organ,
                             {{"ObjID", std::string(id)},
                              {"Code", std::string(code)},
                              {"Name", std::string(name)},
                              {"TOwnerID", std::move(owner)}});
    };
    addOrgan("{C0B5FFFF-0000-4000-8000-000000000011}", "S01", "张家店", demo);
    addOrgan(OtherOrgan, "OTHER", "张氏公司", std::string(OtherOrgan));
    addOrgan("{C0B5FFFF-0000-4000-8000-000000000012}", "NOBODY", "无主张", Value());
    addOrgan("{C0B5FFFF-0000-4000-8000-000000000013}", "EMPTYG", "空张",
             std::string(EmptyGuidText));
}

} // namespace

SeededDatabase::SeededDatabase(const std::string& pgUrl)
    : m_database(pgUrl), m_dictionary(schema::systemDictionary())
{
    auto tx = db().begin(storage::TransactionMode::Write);
    schema::createSchema(*tx, db().dialect(), m_dictionary);
    schema::seedMinimalCompany(*tx);
    seedOthers(*tx, m_dictionary);
    tx->commit();
}

std::vector<std::string> SeededDatabase::fingerprint()
{
    std::vector<std::string> out;
    auto tx = db().begin(storage::TransactionMode::Read);
    for (const std::string& table : db().tableNames()) {
        storage::Rows rows = tx->query("SELECT count(*) FROM \"" + table + "\"");
        out.push_back(table + ":" + rows.rows.at(0).at(0).toText());
    }
    return out;
}

storage::Rows SeededDatabase::run(const Statement& statement)
{
    auto tx = db().begin(storage::TransactionMode::Read);
    return tx->query(statement.sql, statement.params);
}

std::vector<Clause> SeededDatabase::clientClauses(const std::string& table,
                                                  const std::string& pageMode,
                                                  const std::vector<std::string>& where,
                                                  const std::string& nextKey,
                                                  const std::string& previousKey)
{
    TCustomEntity fields;
    {
        auto tx = db().begin(storage::TransactionMode::Read);
        const schema::DictTable* t = m_dictionary.findTable(table);
        schema::readTable(*tx, m_dictionary, "TDictField", {"\"ParentID\" = ?", {t->objId}},
                          fields);
    }
    TSQLAdder adder;
    adder.BuildQuery(&fields, pageMode, nextKey, previousKey);
    for (const std::string& condition : where)
        adder.AddClause("where", gbk::fromUtf8(condition));
    return clausesOf(adder);
}

} // namespace corvo::server::sql::test
