#include "server/schema/Schema.h"

#include "SchemaTestSupport.h"
#include "entity/Gbk.h"
#include "entity/TClientDataSet.h"
#include "server/schema/MinimalCompany.h"
#include "server/schema/SystemDictionary.h"
#include "server/schema/SystemIds.h"
#include "server/schema/TableReader.h"

#include <gtest/gtest.h>
#include <set>

namespace corvo::server::schema {
namespace {

using storage::Dialect;
using storage::TransactionMode;

std::vector<SeededUser> createMinimalCompany(storage::Database& db, Dialect dialect)
{
    auto tx = db.begin(TransactionMode::Write);
    createSchema(*tx, dialect, systemDictionary());
    auto users = seedMinimalCompany(*tx);
    tx->commit();
    return users;
}

Dictionary sorted(Dictionary d)
{
    sortDictionary(d);
    return d;
}

std::string text(const TClientDataSet& rows, const char* field)
{
    return gbk::toUtf8(rows.FieldByName(field).AsString());
}

void read(storage::Database& db, const char* table, TableQuery query, TClientDataSet& out)
{
    auto tx = db.begin(TransactionMode::Read);
    readTable(*tx, systemDictionary(), table, query, out);
}

/// The administrator's TUser row, as the login service reads it.
void expectAdministrator(storage::Database& db)
{
    TClientDataSet user;
    read(db, "TUser", {"\"Code\" = ?", {"admin"}}, user);
    ASSERT_EQ(user.RecordCount(), 1);
    EXPECT_EQ(user.FieldByName("Name").AsString(), gbk::fromUtf8("系统管理员"));
    EXPECT_EQ(text(user, "ObjID"), ids::AdminUser);
    EXPECT_EQ(text(user, "TUser"), ids::TUser);
    EXPECT_EQ(text(user, "TOrganID"), ids::DemoOrgan);
    EXPECT_EQ(text(user, "TOrganCode"), "DEMO");
    EXPECT_EQ(text(user, "TOrganName"), "示范零售总部");
    EXPECT_EQ(text(user, "TOwnerID"), ids::DemoOrgan);
    EXPECT_EQ(text(user, "StatusID"), ids::StatusValid);
    EXPECT_EQ(text(user, "StatusName"), "有效");
    EXPECT_TRUE(user.FieldByName("PassWord").IsNull());
}

TEST(SchemaTest, CreatedSchemaHoldsItsDictionary)
{
    test::SqliteFile file;
    {
        auto tx = file.db().begin(TransactionMode::Write);
        createSchema(*tx, Dialect::Sqlite, systemDictionary());
        tx->commit();
    }
    auto tx = file.db().begin(TransactionMode::Read);
    EXPECT_EQ(loadDictionary(*tx), sorted(systemDictionary()));
    std::set<std::string> tables;
    for (const auto& name : file.db().tableNames())
        tables.insert(name);
    for (const DictTable& t : systemDictionary().tables)
        EXPECT_TRUE(tables.count(t.code)) << t.code;
}

struct ClientField {
    const char* name;
    FieldType type;
    int size;
};

TEST(SchemaTest, UserTableStartsWithTheClientsUserRecord)
{
    // The client's own structure for a user record before it has seen the server's.
    const ClientField record[] = {
        {"TUser", FieldType::Guid, 38},      {"ObjID", FieldType::Guid, 38},
        {"Code", FieldType::String, 30},     {"Name", FieldType::String, 30},
        {"PassWord", FieldType::String, 20}, {"LastLogin", FieldType::Integer, 0},
        {"TOrganID", FieldType::Guid, 38},   {"TOrganCode", FieldType::String, 30},
        {"TOwnerID", FieldType::Guid, 38},   {"StatusID", FieldType::Guid, 38},
    };
    TClientDataSet user;
    buildClientStructure(TableLayout::resolve(systemDictionary(), "TUser"), user);
    ASSERT_GE(user.FieldCount(), 10);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(user.Fields(i).FieldName(), record[i].name);
        EXPECT_EQ(user.Fields(i).DataType(), record[i].type) << record[i].name;
        EXPECT_EQ(user.Fields(i).Size(), record[i].size) << record[i].name;
    }
}

TEST(SchemaTest, SystemDictionaryIsTheSameOnEveryBuild)
{
    Dictionary d = systemDictionary();
    EXPECT_EQ(d, systemDictionary());
    ASSERT_NE(d.findTable("TUser"), nullptr);
    EXPECT_EQ(d.findTable("TUser")->objId, ids::TUser);
    // Shown messages are remembered in the local copy: a submit must not update it.
    EXPECT_EQ(d.findTable("TMessage")->isClientTable, 0);
    EXPECT_EQ(d.findTable("TOtherParam")->isClientTable, 1);
}

TEST(SchemaTest, SeededAdministratorReadsBackWithItsOrganisation)
{
    test::SqliteFile file;
    auto users = createMinimalCompany(file.db(), Dialect::Sqlite);
    ASSERT_EQ(users.size(), 1u);
    EXPECT_EQ(users[0].objId, ids::AdminUser);
    EXPECT_EQ(users[0].code, "admin");
    EXPECT_EQ(users[0].password, "admin");
    expectAdministrator(file.db());
}

TEST(SchemaTest, SeedGivesTheAdministratorEveryModuleAndTheStatuses)
{
    test::SqliteFile file;
    createMinimalCompany(file.db(), Dialect::Sqlite);

    TClientDataSet modules;
    read(file.db(), "TModule", {}, modules);
    std::set<std::string> names;
    std::set<std::string> groups;
    std::set<std::string> members;
    for (modules.First(); !modules.Eof(); modules.Next()) {
        names.insert(text(modules, "Name"));
        (modules.FieldByName("IsGroup").AsInteger() ? groups : members)
            .insert(text(modules, "ObjID"));
    }
    EXPECT_EQ(groups.size(), 2u);
    EXPECT_EQ(members.size(), 4u);

    TClientDataSet rights;
    read(file.db(), "TUserModule", {"\"TUserID\" = ?", {std::string(ids::AdminUser)}}, rights);
    std::set<std::string> granted;
    for (rights.First(); !rights.Eof(); rights.Next())
        granted.insert(text(rights, "TModuleName"));
    EXPECT_EQ(granted, names);

    TClientDataSet membership;
    read(file.db(), "TModuleGroup", {}, membership);
    for (membership.First(); !membership.Eof(); membership.Next()) {
        EXPECT_TRUE(groups.count(text(membership, "TModulesID")));
        members.erase(text(membership, "TModuleID"));
    }
    EXPECT_TRUE(members.empty()) << "a module without a group";

    TClientDataSet statuses;
    read(file.db(), "TOtherParam", {"\"Type\" = ?", {"StatusID"}}, statuses);
    std::set<std::pair<std::string, std::string>> found;
    for (statuses.First(); !statuses.Eof(); statuses.Next())
        found.emplace(text(statuses, "Code"), text(statuses, "ObjID"));
    EXPECT_TRUE(found.count({"StatusID_Valid", std::string(ids::StatusValid)}));
    EXPECT_TRUE(found.count({"StatusID_Invalid", std::string(ids::StatusInvalid)}));

    TClientDataSet organ;
    read(file.db(), "TOrgan", {"\"Code\" = ?", {"DEMO"}}, organ);
    ASSERT_EQ(organ.RecordCount(), 1);
    EXPECT_EQ(text(organ, "TOwnerID"), text(organ, "ObjID")) << "the company owns itself";
    EXPECT_EQ(text(organ, "TOwnerName"), "示范零售总部");
}

TEST(SchemaTest, PostgresHoldsTheSameSchemaAndCompany)
{
    auto url = test::postgresUrl();
    if (!url) GTEST_SKIP() << "CORVO_TEST_PG_URL is not set";
    test::PgSchema schema(*url);
    createMinimalCompany(schema.db(), Dialect::Postgres);
    {
        auto tx = schema.db().begin(TransactionMode::Read);
        EXPECT_EQ(loadDictionary(*tx), sorted(systemDictionary()));
    }
    expectAdministrator(schema.db());
}

} // namespace
} // namespace corvo::server::schema
