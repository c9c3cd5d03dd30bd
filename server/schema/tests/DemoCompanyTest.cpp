#include "server/schema/DemoCompany.h"

#include "SchemaTestSupport.h"
#include "entity/DateTime.h"
#include "entity/Gbk.h"
#include "entity/TClientDataSet.h"
#include "server/schema/DemoDictionary.h"
#include "server/schema/Schema.h"
#include "server/schema/SystemDictionary.h"
#include "server/schema/SystemIds.h"
#include "server/schema/TableReader.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <set>

namespace corvo::server::schema {
namespace {

using storage::Dialect;
using storage::TransactionMode;
using storage::Value;

const std::set<std::string> FormClasses = {
    "TFrmInsert",       "TFrmInsertBill",     "TFrmInsertMD",         "TFrmInsertBatch",
    "TFrmUpdate",       "TFrmUpdateMD",       "TFrmVerify",           "TFrmVerifyMD",
    "TFrmInvalidate",   "TFrmInvalidateMD",   "TFrmInsertUserModule", "TFrmInsertOtherParam",
    "TFrmQueryCollate", "TFrmQueryMDCollate", "TFrmQueryStock",       "TFrmSummary",
    "TFrmSummarySize",  "TFrmInsertSize",     "TFrmUpdateSize",       "TFrmQuerySize",
    "TFrmVerifySize",   "TFrmInvalidateSize", "TFrmInsertAccount",    "TFrmQueryAccount",
    "TFrmQueryBill",    "TFrmHelp",           "TFrmUpdateHelp",       "TFrmQueryOrganLink",
};

int oleDay(int year, int month, int day)
{
    return static_cast<int>(std::lround(DateTime::fromDate(year, month, day)->days));
}

std::vector<SeededUser> createDemo(storage::Database& db, DemoOptions options,
                                   Dialect dialect = Dialect::Sqlite)
{
    auto tx = db.begin(TransactionMode::Write);
    createSchema(*tx, dialect, demoDictionary());
    auto users = seedDemoCompany(*tx, options);
    tx->commit();
    return users;
}

storage::Rows sql(storage::Database& db, const std::string& text, std::vector<Value> params = {})
{
    auto tx = db.begin(TransactionMode::Read);
    return tx->query(text, params);
}

int64_t count(storage::Database& db, const std::string& text, std::vector<Value> params = {})
{
    return sql(db, text, std::move(params)).rows.at(0).at(0).asInteger();
}

/// The rows of a table as the client receives them, as sorted lines: equal content whatever
/// order the backend reads them in.
std::vector<std::string> contentOf(storage::Database& db, const Dictionary& dictionary,
                                   const std::string& table)
{
    TClientDataSet rows;
    auto tx = db.begin(TransactionMode::Read);
    readTable(*tx, dictionary, table, {}, rows);
    std::vector<std::string> lines;
    for (rows.First(); !rows.Eof(); rows.Next()) {
        std::string line;
        for (int i = 0; i < rows.FieldCount(); ++i)
            line += rows.Fields(i).AsString() + '\x1F';
        lines.push_back(std::move(line));
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::string utf8(const TClientDataSet& rows, const char* field)
{
    return gbk::toUtf8(rows.FieldByName(field).AsString());
}

struct ModuleRow {
    std::string id;
    std::string code;
    std::string name;
    bool group = false;
    std::string master;
    int typeNo = 0;
};

/// The demo company seeded once for all the tests that only read it: 15 March 2025.
class DemoCompanyTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_file = std::make_unique<test::SqliteFile>();
        s_users = createDemo(s_file->db(), {.today = oleDay(2025, 3, 15)});
    }
    static void TearDownTestSuite() { s_file.reset(); }

    static storage::Database& db() { return s_file->db(); }

    static std::vector<ModuleRow> modules()
    {
        TClientDataSet rows;
        auto tx = db().begin(TransactionMode::Read);
        readTable(*tx, demoDictionary(), "TModule", {}, rows);
        std::vector<ModuleRow> out;
        for (rows.First(); !rows.Eof(); rows.Next())
            out.push_back({utf8(rows, "ObjID"), utf8(rows, "Code"), utf8(rows, "Name"),
                           rows.FieldByName("IsGroup").AsInteger() == 1, utf8(rows, "TMasterName"),
                           static_cast<int>(rows.FieldByName("TypeNo").AsInteger())});
        return out;
    }

    static std::unique_ptr<test::SqliteFile> s_file;
    static std::vector<SeededUser> s_users;
};

std::unique_ptr<test::SqliteFile> DemoCompanyTest::s_file;
std::vector<SeededUser> DemoCompanyTest::s_users;

TEST(DemoDictionaryTest, ValidatesAndKeepsEverySystemTableAsItIs)
{
    const Dictionary demo = demoDictionary();
    EXPECT_NO_THROW(validateDictionary(demo));
    const Dictionary system = systemDictionary();
    for (const DictTable& t : system.tables) {
        const DictTable* same = demo.findTable(t.code);
        ASSERT_NE(same, nullptr) << t.code;
        EXPECT_EQ(*same, t);
        const auto before = system.columnsOf(t.objId);
        const auto after = demo.columnsOf(t.objId);
        ASSERT_EQ(after.size(), before.size()) << t.code;
        for (std::size_t i = 0; i < before.size(); ++i)
            EXPECT_EQ(*after[i], *before[i]) << t.code;
    }
}

TEST_F(DemoCompanyTest, StoredDictionaryIsTheDemoDictionaryAndValidates)
{
    auto tx = db().begin(TransactionMode::Read);
    Dictionary stored = loadDictionary(*tx);
    Dictionary expected = demoDictionary();
    sortDictionary(expected);
    EXPECT_EQ(stored, expected);
    EXPECT_NO_THROW(validateDictionary(stored));
}

TEST_F(DemoCompanyTest, PostgresHoldsTheSameCompany)
{
    auto url = test::postgresUrl();
    if (!url) GTEST_SKIP() << "CORVO_TEST_PG_URL is not set";
    test::PgSchema schema(*url);
    createDemo(schema.db(), {.today = oleDay(2025, 3, 15)}, Dialect::Postgres);
    Dictionary dictionary = demoDictionary();
    {
        auto tx = schema.db().begin(TransactionMode::Read);
        Dictionary expected = dictionary;
        sortDictionary(expected);
        EXPECT_EQ(loadDictionary(*tx), expected);
    }
    for (const DictTable& t : dictionary.tables)
        EXPECT_EQ(contentOf(schema.db(), dictionary, t.code), contentOf(db(), dictionary, t.code))
            << t.code;
}

TEST_F(DemoCompanyTest, EveryModuleNamesARegisteredClassAndADictionaryTable)
{
    const Dictionary dictionary = demoDictionary();
    std::set<std::string> used;
    for (const ModuleRow& m : modules()) {
        if (m.group) {
            EXPECT_EQ(m.code, "") << m.name;
            continue;
        }
        EXPECT_TRUE(FormClasses.count(m.code)) << m.name << " " << m.code;
        EXPECT_NE(dictionary.findTable(m.master), nullptr) << m.name << " " << m.master;
        used.insert(m.code);
    }
    EXPECT_EQ(used, FormClasses);
}

TEST_F(DemoCompanyTest, GroupsNestTwoLevelsAndEveryModuleBelongsToOne)
{
    std::map<std::string, ModuleRow> byId;
    for (const ModuleRow& m : modules())
        byId[m.id] = m;
    std::map<std::string, std::string> parentOf;
    TClientDataSet rows;
    {
        auto tx = db().begin(TransactionMode::Read);
        readTable(*tx, demoDictionary(), "TModuleGroup", {}, rows);
    }
    for (rows.First(); !rows.Eof(); rows.Next()) {
        const std::string group = utf8(rows, "TModulesID");
        ASSERT_TRUE(byId.count(group));
        EXPECT_TRUE(byId[group].group) << byId[group].name;
        EXPECT_TRUE(parentOf.emplace(utf8(rows, "TModuleID"), group).second);
    }
    for (const auto& [id, m] : byId) {
        if (!m.group) {
            EXPECT_TRUE(parentOf.count(id)) << m.name;
        }
        int depth = 0;
        for (std::string at = id; parentOf.count(at); at = parentOf[at])
            ++depth;
        EXPECT_LE(depth, m.group ? 1 : 2) << m.name;
    }
}

/// The caption of the group page's first button, which must name a module of the group.
std::string firstButton(const std::string& groupName)
{
    std::string g = groupName == "发票"   ? "供应商发票"
                    : groupName == "付款" ? "付款单"
                    : groupName == "收款" ? "收款单"
                                          : groupName;
    if (g == "采购发票" || g == "付款单" || g == "销售发票" || g == "收款单" || g == "供应商发票")
        return "登记" + g;
    if (g == "应收款" || g == "应付款") return "当月" + g;
    if (g == "物料") return "新增物料";
    if (g == "对帐单") return "查询对帐单"; // its page hides the new button
    return "新增" + g;
}

TEST_F(DemoCompanyTest, EverySubGroupPageFindsItsModules)
{
    std::map<std::string, std::string> nameOf;
    std::set<std::string> names;
    for (const ModuleRow& m : modules()) {
        nameOf[m.id] = m.name;
        names.insert(m.name);
    }
    TClientDataSet rows;
    {
        auto tx = db().begin(TransactionMode::Read);
        readTable(*tx, demoDictionary(), "TModuleGroup", {}, rows);
    }
    std::set<std::string> subGroups;
    std::set<std::string> parents;
    for (rows.First(); !rows.Eof(); rows.Next())
        parents.insert(nameOf[utf8(rows, "TModulesID")]);
    for (rows.First(); !rows.Eof(); rows.Next()) {
        const std::string member = nameOf[utf8(rows, "TModuleID")];
        if (parents.count(member)) subGroups.insert(member);
    }
    EXPECT_EQ(subGroups.size(), 18u);
    for (const std::string& g : subGroups)
        EXPECT_TRUE(names.count(firstButton(g))) << g << " → " << firstButton(g);
    for (const char* name : {"操作手册", "当月应付款", "历史应收款", "新增销售日报", "销售金额汇总",
                             "销售商品汇总", "查询采购入库"})
        EXPECT_TRUE(names.count(name)) << name;
}

TEST_F(DemoCompanyTest, PartnerSideModulesAreThePayablesAndTheSupplierStatement)
{
    std::set<std::string> partnerSide;
    for (const ModuleRow& m : modules())
        if (m.typeNo == 2) partnerSide.insert(m.name);
    EXPECT_EQ(partnerSide, (std::set<std::string>{"当月应付款", "历史应付款", "供应商对帐单"}));
}

TEST_F(DemoCompanyTest, EveryStatusAndListAFormLooksUpExists)
{
    const Dictionary dictionary = demoDictionary();
    for (const DictField& f : dictionary.fields) {
        if (!f.isOtherParam || f.isJoined) continue;
        const std::string type = f.joinedField;
        SCOPED_TRACE(f.code + " of " + f.parentId);
        EXPECT_GT(count(db(), R"(SELECT COUNT(*) FROM "TOtherParam" WHERE "Type" = ?)", {type}), 0);
        if (f.isStatus && type != "StatusID") {
            EXPECT_EQ(count(db(),
                            R"(SELECT COUNT(*) FROM "TOtherParam" WHERE "Code" = ? AND
                               "Type" = ? AND "DispOrder" = 1)",
                            {type + "_New", type}),
                      1);
        }
    }
    auto valid = sql(db(), R"(SELECT "ObjID" FROM "TOtherParam" WHERE "Code" = 'StatusID_Valid')");
    ASSERT_EQ(valid.rows.size(), 1u);
    EXPECT_EQ(valid.rows[0][0].asString(), ids::StatusValid);
    EXPECT_EQ(
        count(db(), R"(SELECT COUNT(*) FROM "TOtherParam" WHERE "Code" = 'StatusID_Invalid')"), 1);
    // The system's lists are rows of no company, so every company's forms find them; only
    // the product types mirrored as parameters are the company's.
    EXPECT_EQ(count(db(), R"(SELECT COUNT(*) FROM "TOtherParam" WHERE "TOwnerID" IS NOT NULL AND
                              ("TOwnerID" <> ? OR "Type" <> 'TProductTypeID'))",
                    {std::string(ids::DemoOrgan)}),
              0);
    EXPECT_EQ(count(db(), R"(SELECT COUNT(*) FROM "TOtherParam" WHERE "TOwnerID" IS NULL AND
                              "Type" = 'TProductTypeID')"),
              0);
}

TEST_F(DemoCompanyTest, RestrictedPartnerListsOfferTheRightOrganisations)
{
    struct Case {
        const char* table;
        const char* role;
        int64_t partners;
    };
    for (const Case& c : {Case{"TStockIn", "SUPPLIER", 4}, Case{"TSaleOrder", "CUSTOMER", 3}}) {
        const Dictionary dictionary = demoDictionary();
        const DictTable* t = dictionary.findTable(c.table);
        ASSERT_NE(t, nullptr);
        auto restriction = sql(db(), R"(SELECT "JoinedTable", "JoinedField", "Value" FROM
                                        "TDictField" WHERE "ParentID" = ? AND "Code" = 'TOrganID')",
                               {t->objId});
        ASSERT_EQ(restriction.rows.size(), 1u);
        const std::string table = restriction.rows[0][0].asString();
        const std::string type = restriction.rows[0][1].asString();
        const std::string value = restriction.rows[0][2].asString();
        // The client finds the role by its position and keeps the partners holding it.
        EXPECT_EQ(count(db(),
                        "SELECT COUNT(*) FROM \"" + table +
                            "\" r JOIN \"TOtherParam\" p ON p.\"ObjID\" = r.\"" + type +
                            "\" WHERE p.\"Type\" = ? AND p.\"DispOrder\" = ? AND p.\"Code\" = ?",
                        {type, std::stoi(value), c.role}),
                  c.partners)
            << c.table;
    }
}

TEST_F(DemoCompanyTest, UsersLogInToTheirOrganisations)
{
    const std::map<std::string, std::string> organOf = {
        {"admin", "DEMO"}, {"clerk", "LS"}, {"buyer", "DEMO"}};
    ASSERT_EQ(s_users.size(), organOf.size());
    EXPECT_EQ(s_users[0].objId, ids::AdminUser);
    for (const SeededUser& u : s_users) {
        SCOPED_TRACE(u.code);
        EXPECT_EQ(u.password, u.code);
        // What the login looks up: the organisation by code, the user by code within it.
        EXPECT_EQ(count(db(), R"(SELECT COUNT(*) FROM "TUser" u JOIN "TOrgan" o ON
                                 o."ObjID" = u."TOrganID" WHERE u."Code" = ? AND o."Code" = ? AND
                                 u."ObjID" = ? AND u."TOwnerID" = ?)",
                        {u.code, organOf.at(u.code), u.objId, std::string(ids::DemoOrgan)}),
                  1);
    }
    // The administrator holds every module and every group.
    EXPECT_EQ(count(db(), R"(SELECT COUNT(*) FROM "TUserModule" WHERE "TUserID" = ?)",
                    {std::string(ids::AdminUser)}),
              count(db(), R"(SELECT COUNT(*) FROM "TModule")"));
}

TEST_F(DemoCompanyTest, EveryTableReadsBackThroughItsJoins)
{
    const Dictionary dictionary = demoDictionary();
    auto tx = db().begin(TransactionMode::Read);
    for (const DictTable& t : dictionary.tables) {
        TClientDataSet rows;
        ASSERT_NO_THROW(readTable(*tx, dictionary, t.code, {}, rows)) << t.code;
        if (t.code != "TDictTable" && t.code != "TDictField") {
            EXPECT_GT(rows.RecordCount(), 0) << t.code << " is empty";
        }
    }
}

TEST_F(DemoCompanyTest, DocumentsHangTogether)
{
    // Lines and size rows belong to existing documents and lines.
    for (const char* doc : {"TStockOut", "TStockIn", "TSaleOrder", "TPurchaseOrder"})
        EXPECT_EQ(count(db(), std::string("SELECT COUNT(*) FROM \"") + doc +
                                  "List\" WHERE \"ParentID\" NOT IN (SELECT \"ObjID\" FROM \"" +
                                  doc + "\")"),
                  0)
            << doc;
    // Totals are the sums of the lines, a line's quantity the sum of its sizes; no document
    // without lines.
    struct Sum {
        const char* parent;
        const char* parentColumn;
        const char* child;
        const char* childColumn;
    };
    const Sum sums[] = {
        {"TStockOut", "TotalQuantity", "TStockOutList", "Quantity"},
        {"TStockOut", "TotalAmount", "TStockOutList", "SubTotal"},
        {"TStockOut", "TotalProfit", "TStockOutList", "Profit"},
        {"TStockOutList", "Quantity", "TStockOutListSize", "Quantity"},
        {"TStockIn", "TotalQuantity", "TStockInList", "Quantity"},
        {"TStockIn", "TotalAmount", "TStockInList", "SubTotal"},
        {"TStockInList", "Quantity", "TStockInListSize", "Quantity"},
        {"TSaleOrder", "TotalAmount", "TSaleOrderList", "SubTotal"},
        {"TPurchaseOrder", "TotalQuantity", "TPurchaseOrderList", "Quantity"},
    };
    for (const Sum& c : sums) {
        const std::string p = c.parent, pc = c.parentColumn, ch = c.child, cc = c.childColumn;
        EXPECT_EQ(count(db(), "SELECT COUNT(*) FROM \"" + p +
                                  "\" p LEFT JOIN (SELECT \"ParentID\" k, SUM(\"" + cc +
                                  "\") s FROM \"" + ch +
                                  "\" GROUP BY \"ParentID\") c ON c.k = p.\"ObjID\" WHERE c.s IS "
                                  "NULL OR ABS(c.s - p.\"" +
                                  pc + "\") > 0.001"),
                  0)
            << p << "." << pc << " ≠ Σ " << ch << "." << cc;
    }
    // One daily report per store and day from 1 October 2024 to 14 March 2025.
    const int64_t days = oleDay(2025, 3, 15) - oleDay(2024, 10, 1);
    EXPECT_EQ(count(db(), R"(SELECT COUNT(*) FROM "TStockOut" WHERE "Code" LIKE 'RB%')"), 3 * days);
    EXPECT_EQ(count(db(), R"(SELECT COUNT(*) FROM "TStockOut" s JOIN "TOrgan" o ON o."ObjID" =
                             s."TOrganID" WHERE s."Code" LIKE 'RB%' AND o."Code" <> 'LS')"),
              0);
    // Every statement ends on the balance of the partner's account.
    auto balances = sql(db(), R"(SELECT c."Balance", (SELECT SUM(a."TotalAmount") FROM "TAccount"
                                 a WHERE a."TOwnerID" = c."TOwnerID" AND a."TOrganID" =
                                 c."TOrganID") FROM "TCheckAccount" c WHERE c."DispOrder" =
                                 (SELECT MAX(x."DispOrder") FROM "TCheckAccount" x WHERE
                                 x."TOwnerID" = c."TOwnerID" AND x."TOrganID" = c."TOrganID"))");
    EXPECT_EQ(balances.rows.size(), 7u);
    for (const auto& row : balances.rows)
        EXPECT_DOUBLE_EQ(row[0].toDouble(), row[1].toDouble());
}

TEST_F(DemoCompanyTest, SizeTypesReachTwentySizesAndKeepOverlappingLabelsApart)
{
    TClientDataSet sizes;
    {
        auto tx = db().begin(TransactionMode::Read);
        readTable(*tx, demoDictionary(), "TProductTypeSize", {}, sizes);
    }
    std::map<std::string, int> countOf;
    for (sizes.First(); !sizes.Eof(); sizes.Next()) {
        int n = 0;
        while (n < 20 && !sizes.FieldByName("Size" + std::to_string(n + 1)).AsString().empty())
            ++n;
        countOf[utf8(sizes, "TProductTypeName")] = n;
    }
    EXPECT_EQ(countOf["牛仔裤"], 20);
    EXPECT_EQ(countOf["女装"], 5);
    EXPECT_EQ(countOf["衬衫"], 4);
    EXPECT_EQ(countOf["配饰"], 1);
}

TEST(DemoCompanySeedTest, SameDayGivesTheSameCompanyAndTheLargeVariantOnlyAddsReports)
{
    const int today = oleDay(2024, 12, 1); // the first of a month: this month has no days yet
    test::SqliteFile plain;
    test::SqliteFile again;
    test::SqliteFile large;
    createDemo(plain.db(), {.today = today});
    createDemo(again.db(), {.today = today});
    createDemo(large.db(), {.large = true, .largeSalesLines = 1000, .today = today});

    const char* const tables[] = {"TStockOut",  "TStockOutList", "TStockOutListSize", "TStockIn",
                                  "TSaleOrder", "TAccount",      "TCheckAccount",     "TStock"};
    for (const char* t : tables) {
        const std::string all = std::string("SELECT * FROM \"") + t + "\" ORDER BY \"ObjID\"";
        EXPECT_EQ(sql(plain.db(), all).rows, sql(again.db(), all).rows) << t;
    }
    const std::string lines = R"(SELECT COUNT(*) FROM "TStockOutList")";
    EXPECT_EQ(count(large.db(), lines), count(plain.db(), lines) + 1000);
    const std::string sizes = R"(SELECT COUNT(*) FROM "TStockOutListSize")";
    EXPECT_EQ(count(large.db(), sizes), count(plain.db(), sizes));
    // The ordinary months are the same in both.
    const std::string recent = R"(SELECT * FROM "TStockOutList" WHERE "ParentID" IN (SELECT
                                  "ObjID" FROM "TStockOut" WHERE "HappenDate" >= '2024-07-01')
                                  ORDER BY "ObjID")";
    EXPECT_EQ(sql(large.db(), recent).rows, sql(plain.db(), recent).rows);
    EXPECT_EQ(
        count(plain.db(), R"(SELECT COUNT(*) FROM "TStockOut" WHERE "HappenDate" >= '2024-12-01')"),
        0);
}

} // namespace
} // namespace corvo::server::schema
