#include "SqlTestSupport.h"

#include "entity/Gbk.h"
#include "entity/TCustomEntity.h"
#include "entity/TSQLAdder.h"
#include "server/schema/MinimalCompany.h"
#include "server/schema/Schema.h"
#include "server/schema/SystemDictionary.h"
#include "server/schema/SystemIds.h"
#include "server/schema/TableReader.h"
#include "server/schema/TableWriter.h"

#include <atomic>
#include <cstdlib>
#include <random>
#include <unistd.h>

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
    addOrgan("{C0B5FFFF-0000-4000-8000-000000000013}", "EMPTYG", "空张", std::string(EmptyGuid));
}

} // namespace

std::optional<std::string> postgresUrl()
{
    const char* url = std::getenv("CORVO_TEST_PG_URL");
    if (!url || !*url) return std::nullopt;
    return std::string(url);
}

SeededDatabase::SeededDatabase(const std::string& pgUrl) : m_dictionary(schema::systemDictionary())
{
    static std::atomic<int> counter{0};
    const std::string unique = std::to_string(getpid()) + "_" + std::to_string(++counter);
    if (pgUrl.empty()) {
        std::random_device random;
        m_dir = std::filesystem::temp_directory_path() /
                ("corvo-sql-" + unique + "-" + std::to_string(random()));
        std::filesystem::create_directories(m_dir);
        m_db = storage::Database::open("sqlite:" + (m_dir / "test.db").string(),
                                       storage::OpenMode::CreateIfMissing);
    } else {
        m_schema = "corvo_sql_test_" + unique;
        m_admin = storage::Database::open(pgUrl);
        auto tx = m_admin->begin(storage::TransactionMode::Write);
        tx->executeScript("CREATE SCHEMA " + m_schema);
        tx->commit();
        m_db = storage::Database::open(pgUrl + (pgUrl.find('?') == std::string::npos ? "?" : "&") +
                                       "options=-csearch_path%3D" + m_schema);
    }
    auto tx = m_db->begin(storage::TransactionMode::Write);
    schema::createSchema(*tx, m_db->dialect(), m_dictionary);
    schema::seedMinimalCompany(*tx);
    seedOthers(*tx, m_dictionary);
    tx->commit();
}

SeededDatabase::~SeededDatabase()
{
    m_db.reset();
    std::error_code ignored;
    if (!m_dir.empty()) std::filesystem::remove_all(m_dir, ignored);
    if (m_admin) {
        try {
            auto tx = m_admin->begin(storage::TransactionMode::Write);
            tx->executeScript("DROP SCHEMA " + m_schema + " CASCADE");
            tx->commit();
        } catch (...) {
            // A schema left behind in a test database only costs space.
        }
    }
}

std::vector<std::string> SeededDatabase::fingerprint()
{
    std::vector<std::string> out;
    auto tx = m_db->begin(storage::TransactionMode::Read);
    for (const std::string& table : m_db->tableNames()) {
        storage::Rows rows = tx->query("SELECT count(*) FROM \"" + table + "\"");
        out.push_back(table + ":" + rows.rows.at(0).at(0).toText());
    }
    return out;
}

storage::Rows SeededDatabase::run(const Statement& statement)
{
    auto tx = m_db->begin(storage::TransactionMode::Read);
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
        auto tx = m_db->begin(storage::TransactionMode::Read);
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
