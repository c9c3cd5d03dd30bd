#include "SchemaTestSupport.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/TClientDataSet.h"
#include "server/schema/Ddl.h"
#include "server/schema/TableReader.h"
#include "server/schema/TableWriter.h"

#include <algorithm>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

namespace corvo::server::schema {
namespace {

using storage::Dialect;
using storage::TransactionMode;
using testing::HasSubstr;

constexpr const char* Param = "{5A0B0000-0000-4000-8000-0000000000A1}";
constexpr const char* Head = "{5A0B0000-0000-4000-8000-0000000000B1}";
constexpr const char* Branch = "{5A0B0000-0000-4000-8000-0000000000B2}";
constexpr const char* Orphan = "{5A0B0000-0000-4000-8000-0000000000B3}";
constexpr const char* Nobody = "{5A0B0000-0000-4000-8000-0000000000FF}";

class ShopTest : public testing::Test {
protected:
    explicit ShopTest(Dialect dialect = Dialect::Sqlite) : m_dictionary(test::shopDictionary())
    {
        if (dialect == Dialect::Postgres) {
            auto url = test::postgresUrl();
            if (!url) return;
            m_pg = std::make_unique<test::PgSchema>(*url);
            m_db = &m_pg->db();
        } else {
            m_file = std::make_unique<test::SqliteFile>();
            m_db = &m_file->db();
        }
        // ColOrder alone must decide the order of the columns.
        std::reverse(m_dictionary.fields.begin(), m_dictionary.fields.end());
        auto tx = m_db->begin(TransactionMode::Write);
        for (const std::string& sql : schemaStatements(dialect, m_dictionary))
            tx->execute(sql);
        tx->commit();
    }

    void SetUp() override
    {
        if (!m_db) GTEST_SKIP() << "CORVO_TEST_PG_URL is not set";
    }

    storage::Database& db() { return *m_db; }
    TableLayout shop() const { return TableLayout::resolve(m_dictionary, "TShop"); }

    void read(TableQuery query, TClientDataSet& out)
    {
        auto tx = db().begin(TransactionMode::Read);
        readTable(*tx, m_dictionary, "TShop", query, out);
    }

    int64_t storedShops()
    {
        auto tx = db().begin(TransactionMode::Read);
        return tx->query("SELECT count(*) FROM \"TShop\"").rows.at(0).at(0).asInteger();
    }

    /// A head shop (every kind of value), its branch and a shop whose owner does not exist.
    void writeShops()
    {
        TClientDataSet rows;
        buildClientStructure(shop(), rows);
        auto add = [&](const char* id, const char* code, const char* name, const char* owner) {
            rows.Append();
            rows.FieldByName("TShop").SetAsString(Nobody); // replaced by the table's ObjID
            rows.FieldByName("ObjID").SetAsString(id);
            rows.FieldByName("Code").SetAsString(code);
            rows.FieldByName("Name").SetAsString(gbk::fromUtf8(name));
            rows.FieldByName("TOwnerID").SetAsString(owner);
            rows.FieldByName("TOwnerName").SetAsString("not stored");
        };
        add(Head, "H01", "示范总店一", "");
        rows.FieldByName("Area").SetAsString("1234.5");
        rows.FieldByName("Weight").SetAsFloat(2.125);
        rows.FieldByName("Opened").SetAsDateTime(*DateTime::parse("2024-02-29 13:45:10"));
        rows.FieldByName("Staff").SetAsInteger(12);
        rows.FieldByName("Note").SetAsString(gbk::fromUtf8(std::string(300, 'x') + "备注"));
        rows.FieldByName("Photo").SetAsVariant(Bytes{0, 1, 2, 255});
        rows.FieldByName("StatusID").SetAsString(Param);
        rows.Post();
        add(Branch, "B01", "分店", Head);
        rows.Post();
        add(Orphan, "O01", "孤店", Nobody);
        rows.Post();

        auto tx = db().begin(TransactionMode::Write);
        insertRecord(*tx, TableLayout::resolve(m_dictionary, "TOtherParam"),
                     {{"ObjID", Param}, {"Code", "Open"}, {"Name", "营业"}});
        EXPECT_EQ(insertRows(*tx, m_dictionary, "TShop", rows), 3);
        tx->commit();
    }

    /// What writeShops wrote, as the reader gives it.
    void expectShopsReadBack();

    std::unique_ptr<test::SqliteFile> m_file;
    std::unique_ptr<test::PgSchema> m_pg;
    storage::Database* m_db = nullptr;
    Dictionary m_dictionary;
};

/// The same rows through PostgreSQL's own types (numeric, timestamp, bytea, double).
class PgShopTest : public ShopTest {
protected:
    PgShopTest() : ShopTest(Dialect::Postgres) {}
};

std::string utf8(const TClientDataSet& rows, const char* field)
{
    return gbk::toUtf8(rows.FieldByName(field).AsString());
}

struct ClientField {
    const char* name;
    FieldType type;
    int size;
};

TEST_F(ShopTest, ReaderGivesTheClientsStructure)
{
    const ClientField expected[] = {
        {"TShop", FieldType::Guid, 38},     {"ObjID", FieldType::Guid, 38},
        {"Code", FieldType::String, 20},    {"Name", FieldType::String, 10},
        {"Area", FieldType::BCD, 2},        {"Weight", FieldType::Float, 3},
        {"Opened", FieldType::DateTime, 0}, {"Staff", FieldType::Integer, 0},
        {"Note", FieldType::Memo, 0},       {"Photo", FieldType::Blob, 0},
        {"TOwnerID", FieldType::Guid, 38},  {"TOwnerName", FieldType::String, 10},
        {"StatusID", FieldType::Guid, 38},  {"StatusName", FieldType::String, 50},
    };
    TClientDataSet rows;
    read({}, rows);
    ASSERT_EQ(rows.FieldCount(), static_cast<int>(std::size(expected)));
    for (int i = 0; i < rows.FieldCount(); ++i) {
        EXPECT_EQ(rows.Fields(i).FieldName(), expected[i].name);
        EXPECT_EQ(rows.Fields(i).DataType(), expected[i].type) << expected[i].name;
        EXPECT_EQ(rows.Fields(i).Size(), expected[i].size) << expected[i].name;
    }
    EXPECT_TRUE(rows.IsEmpty());
}

void ShopTest::expectShopsReadBack()
{
    TClientDataSet rows;
    read({}, rows);
    ASSERT_EQ(rows.RecordCount(), 3);

    rows.First(); // ordered by the sort column Code
    EXPECT_EQ(utf8(rows, "Code"), "B01");
    EXPECT_EQ(utf8(rows, "TOwnerName"), "示范总店一");
    EXPECT_TRUE(rows.FieldByName("StatusName").IsNull());

    rows.Next();
    EXPECT_EQ(utf8(rows, "Code"), "H01");
    EXPECT_EQ(utf8(rows, "TShop"), test::ShopTableID);
    EXPECT_EQ(utf8(rows, "Name"), "示范总店一");
    EXPECT_EQ(rows.FieldByName("Area").AsString(), "1234.5");
    EXPECT_EQ(rows.FieldByName("Weight").AsFloat(), 2.125);
    EXPECT_EQ(rows.FieldByName("Opened").AsString(), "2024-02-29 13:45:10");
    EXPECT_EQ(rows.FieldByName("Staff").AsInteger(), 12);
    EXPECT_EQ(utf8(rows, "Note"), std::string(300, 'x') + "备注");
    EXPECT_EQ(rows.FieldByName("Photo").AsVariant().asBytes(), (Bytes{0, 1, 2, 255}));
    EXPECT_TRUE(rows.FieldByName("TOwnerID").IsNull());
    EXPECT_TRUE(rows.FieldByName("TOwnerName").IsNull());
    EXPECT_EQ(utf8(rows, "StatusName"), "营业");

    rows.Next();
    EXPECT_EQ(utf8(rows, "Code"), "O01") << "a missing owner keeps the row";
    EXPECT_EQ(utf8(rows, "TOwnerID"), Nobody);
    EXPECT_TRUE(rows.FieldByName("TOwnerName").IsNull());
}

TEST_F(ShopTest, WrittenRowsReadBackWithJoinedColumnsFilled)
{
    writeShops();
    expectShopsReadBack();
}

TEST_F(PgShopTest, WrittenRowsReadBackWithJoinedColumnsFilled)
{
    writeShops();
    expectShopsReadBack();
}

TEST_F(ShopTest, ConditionIsOverTheResultColumns)
{
    writeShops();
    TClientDataSet rows;
    read({"\"TOwnerName\" = ?", {"示范总店一"}}, rows);
    ASSERT_EQ(rows.RecordCount(), 1);
    EXPECT_EQ(utf8(rows, "ObjID"), Branch);

    read({"\"Staff\" > ? OR \"Code\" = ?", {10, "O01"}}, rows);
    EXPECT_EQ(rows.RecordCount(), 2);
}

TEST_F(ShopTest, ColumnNamesInTheConditionIgnoreLetterCase)
{
    writeShops();
    TClientDataSet rows;
    read({"\"code\" LIKE ? AND \"TOWNERID\" IS NOT NULL", {"%01"}}, rows);
    EXPECT_EQ(rows.RecordCount(), 2);
}

TEST_F(ShopTest, FailedReadLeavesTheDataSetAsItWas)
{
    writeShops();
    TClientDataSet rows;
    read({}, rows);
    rows.Last();
    // Refused by the reader's check, then by the database.
    EXPECT_THROW(read({"\"Nickname\" = ?", {"x"}}, rows), Error);
    EXPECT_THROW(read({"\"Code\" = ? AND", {"x"}}, rows), Error);
    EXPECT_EQ(rows.RecordCount(), 3);
    EXPECT_EQ(utf8(rows, "Code"), "O01");
}

struct BadCondition {
    TableQuery query;
    const char* message;
};

void PrintTo(const BadCondition& c, std::ostream* os)
{
    *os << c.query.where;
}

class ConditionRefusalTest : public ShopTest, public testing::WithParamInterface<BadCondition> {};

TEST_P(ConditionRefusalTest, NamesTheFault)
{
    TClientDataSet rows;
    try {
        read(GetParam().query, rows);
        FAIL() << "accepted: " << GetParam().query.where;
    } catch (const Error& e) {
        EXPECT_THAT(e.what(), HasSubstr(GetParam().message));
    }
}

// SQLite would take a misspelt quoted name for a text and match nothing.
INSTANTIATE_TEST_SUITE_P(
    Conditions, ConditionRefusalTest,
    testing::Values(
        BadCondition{{"\"Nickname\" = ?", {"x"}}, "读取表[TShop]的条件中的[Nickname]不是该表的列"},
        BadCondition{{"Code = ?", {"x"}},
                     "读取表[TShop]的条件中的[Code]既不是关键字，也不是用双引号括起的列名"},
        BadCondition{{"\"Code\" = ?; DELETE", {"x"}}, "读取表[TShop]的条件中不能有分号或注释"},
        BadCondition{{"\"Code\" = 'x", {}}, "读取表[TShop]的条件中的引号没有结束"},
        BadCondition{{"\"Code\" = ? OR \"Name\" = ?", {"x"}},
                     "读取表[TShop]的条件中有2个参数，但给出了1个值"}),
    [](const testing::TestParamInfo<BadCondition>& info) {
        return "Case" + std::to_string(info.index);
    });

struct BadRecord {
    const char* what;
    Record record;
    const char* message;
};

void PrintTo(const BadRecord& r, std::ostream* os)
{
    *os << r.what;
}

class ShopRefusalTest : public ShopTest, public testing::WithParamInterface<BadRecord> {};

TEST_P(ShopRefusalTest, RefusesAndStoresNothing)
{
    auto tx = db().begin(TransactionMode::Write);
    try {
        insertRecord(*tx, shop(), GetParam().record);
        FAIL() << "accepted: " << GetParam().what;
    } catch (const Error& e) {
        EXPECT_THAT(e.what(), HasSubstr(GetParam().message));
    }
    tx->commit();
    EXPECT_EQ(storedShops(), 0);
}

Record shopWith(const char* column, storage::Value value)
{
    return {{"ObjID", Head}, {"Code", "H01"}, {column, std::move(value)}};
}

INSTANTIATE_TEST_SUITE_P(
    Records, ShopRefusalTest,
    testing::Values(
        BadRecord{"unknown column", shopWith("Nickname", "x"), "表[TShop]没有存储列[Nickname]"},
        BadRecord{"joined column", shopWith("TOwnerName", "x"), "表[TShop]没有存储列[TOwnerName]"},
        BadRecord{"11 GBK bytes into 10", shopWith("Name", "示范总店一x"),
                  "表[TShop]的列[Name]的值超出长度10字节"},
        BadRecord{"text GBK cannot hold", shopWith("Name", "\xF0\x9F\x98\x80"),
                  "表[TShop]的列[Name]的文本不能用GBK表示"},
        BadRecord{"GUID that is not one", shopWith("TOwnerID", "42"),
                  "表[TShop]的列[TOwnerID]的值“42”不是GUID文本"},
        BadRecord{"integer with letters", shopWith("Staff", "12x"),
                  "表[TShop]的列[Staff]的值“12x”不是有效的整数"},
        BadRecord{"integer beyond int", shopWith("Staff", int64_t{3000000000}),
                  "表[TShop]的列[Staff]的值“3000000000”不是有效的整数"},
        BadRecord{"day that does not exist", shopWith("Opened", "2023-02-29"),
                  "表[TShop]的列[Opened]的值“2023-02-29”不是有效的日期时间"},
        BadRecord{"amount that is not a number", shopWith("Area", "1,5"),
                  "表[TShop]的列[Area]的值“1,5”不是有效的数值"},
        BadRecord{"no ObjID", Record{{"Code", "H01"}}, "表[TShop]的新行缺少ObjID"},
        BadRecord{"column twice", shopWith("code", "H02"), "表[TShop]的列[code]重复"}),
    [](const testing::TestParamInfo<BadRecord>& info) {
        return "Case" + std::to_string(info.index);
    });

TEST_F(ShopTest, DataSetFieldThatIsNoColumnIsRefusedBeforeWriting)
{
    TClientDataSet rows;
    rows.FieldDefs().Add("ObjID", FieldType::Guid, 38);
    rows.FieldDefs().Add("Nickname", FieldType::String, 10);
    rows.CreateDataSet();
    rows.Append();
    rows.FieldByName("ObjID").SetAsString(Head);
    rows.Post();
    auto tx = db().begin(TransactionMode::Write);
    try {
        insertRows(*tx, m_dictionary, "TShop", rows);
        FAIL() << "accepted a field the table does not have";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "表[TShop]没有与字段[Nickname]对应的列");
    }
    tx->commit();
    EXPECT_EQ(storedShops(), 0);
}

} // namespace
} // namespace corvo::server::schema
