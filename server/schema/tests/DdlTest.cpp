#include "server/schema/Ddl.h"

#include "SchemaTestSupport.h"
#include "entity/Error.h"
#include "server/schema/DictionaryBuilder.h"
#include "server/schema/Schema.h"

#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <ostream>
#include <set>

namespace corvo::server::schema {
namespace {

using storage::Dialect;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::StartsWith;

TEST(DdlTest, SqliteTableFromTheDictionaryInColumnOrderWithoutJoinedColumns)
{
    Dictionary d = test::shopDictionary();
    std::reverse(d.fields.begin(), d.fields.end()); // ColOrder decides, not the row order
    EXPECT_EQ(createTableStatement(Dialect::Sqlite, TableLayout::resolve(d, "TShop")),
              "CREATE TABLE \"TShop\" (\n"
              "  \"TShop\" varchar(38),\n"
              "  \"ObjID\" varchar(38) NOT NULL,\n"
              "  \"Code\" varchar(20),\n"
              "  \"Name\" varchar(10),\n"
              "  \"Area\" numeric(10,2),\n"
              "  \"Weight\" REAL,\n"
              "  \"Opened\" TEXT,\n"
              "  \"Staff\" integer,\n"
              "  \"Note\" TEXT,\n"
              "  \"Photo\" BLOB,\n"
              "  \"TOwnerID\" varchar(38),\n"
              "  \"StatusID\" varchar(38),\n"
              "  PRIMARY KEY (\"ObjID\")\n"
              ")");
}

TEST(DdlTest, IndexesTheStoredSortColumnsAndParentIdButNotTheKey)
{
    using Coding = DictionaryBuilder::Coding;
    using Copy = DictionaryBuilder::Copy;
    DictionaryBuilder b;
    auto p = b.table(test::ParamTableID, "TOtherParam", "", "", Coding::Typed, Copy::Client);
    p.keys();
    p.text("Code", 50, "", "");
    p.text("Name", 50, "", "");
    auto l = b.table(test::ShopTableID, "TLine", "", "", Coding::Typed, Copy::ServerOnly);
    l.keys();
    l.sortByIdentifier();
    l.guid("ParentID", "", "").hidden();
    l.integer("Quantity", "", "");
    l.text("Code", 20, "", "").sort();
    l.otherParam("StatusID", "", "");
    l.otherParamName("StatusName", "StatusID", "", "").sort(); // joined: not in this table
    const Dictionary d = b.take();
    EXPECT_THAT(indexStatements(TableLayout::resolve(d, "TLine")),
                ElementsAre("CREATE INDEX \"IX_TLine_ParentID\" ON \"TLine\" (\"ParentID\")",
                            "CREATE INDEX \"IX_TLine_Code\" ON \"TLine\" (\"Code\")"));
    EXPECT_THAT(indexStatements(TableLayout::resolve(d, "TOtherParam")), IsEmpty());

    // Each table's indexes follow its CREATE TABLE, so they never name a table not yet made.
    const std::vector<std::string> all = schemaStatements(Dialect::Postgres, d);
    ASSERT_EQ(all.size(), 4u);
    EXPECT_THAT(all[0], StartsWith("CREATE TABLE \"TOtherParam\""));
    EXPECT_THAT(all[1], StartsWith("CREATE TABLE \"TLine\""));
    EXPECT_THAT(all[2], StartsWith("CREATE INDEX \"IX_TLine_ParentID\""));
    EXPECT_THAT(all[3], StartsWith("CREATE INDEX \"IX_TLine_Code\""));
}

TEST(DdlTest, LongIndexNamesStayDistinctWithinWhatPostgresKeeps)
{
    using Coding = DictionaryBuilder::Coding;
    using Copy = DictionaryBuilder::Copy;
    DictionaryBuilder b;
    const std::string table(50, 'T');
    auto t = b.table(test::ShopTableID, table, "", "", Coding::Typed, Copy::ServerOnly);
    t.keys();
    t.text(std::string(40, 'C') + "1", 20, "", "").sort();
    t.text(std::string(40, 'C') + "2", 20, "", "").sort();
    const auto statements = indexStatements(TableLayout::resolve(b.take(), table));
    ASSERT_EQ(statements.size(), 2u);
    std::set<std::string> names;
    for (const std::string& s : statements) {
        const std::string name =
            s.substr(s.find('"') + 1, s.find('"', s.find('"') + 1) - s.find('"') - 1);
        EXPECT_LE(name.size(), 63u) << name;
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 2u);
}

struct TypeCase {
    const char* dataType;
    int prec;
    int scale;
    const char* sqlite;
    const char* postgres;
};

void PrintTo(const TypeCase& c, std::ostream* os)
{
    *os << c.dataType << "(" << c.prec << "," << c.scale << ")";
}

class ColumnTypeTest : public testing::TestWithParam<TypeCase> {};

TEST_P(ColumnTypeTest, MapsToTheBackendType)
{
    const TypeCase& c = GetParam();
    DictionaryBuilder b;
    auto t = b.table(test::ShopTableID, "TOne", "", "", DictionaryBuilder::Coding::Typed,
                     DictionaryBuilder::Copy::ServerOnly);
    t.keys();
    t.add("Value", c.dataType, c.prec, c.scale, "", "");
    TableLayout layout = TableLayout::resolve(b.take(), "TOne");
    const LayoutColumn& column = layout.columns().back();
    EXPECT_EQ(columnSqlType(Dialect::Sqlite, column), c.sqlite);
    EXPECT_EQ(columnSqlType(Dialect::Postgres, column), c.postgres);
}

INSTANTIATE_TEST_SUITE_P(
    Types, ColumnTypeTest,
    testing::Values(
        TypeCase{"uniqueidentifier", 0, 0, "varchar(38)", "varchar(38)"},
        TypeCase{"varchar", 50, 0, "varchar(50)", "varchar(50)"},
        TypeCase{"CHAR", 8, 0, "varchar(8)", "varchar(8)"},
        TypeCase{"nvarchar", 30, 0, "varchar(30)", "varchar(30)"},
        TypeCase{"int", 0, 0, "integer", "integer"},
        TypeCase{"smallint", 0, 0, "smallint", "smallint"},
        TypeCase{"tinyint", 0, 0, "smallint", "smallint"},
        TypeCase{"bigint", 0, 0, "bigint", "bigint"}, TypeCase{"bit", 0, 0, "smallint", "smallint"},
        TypeCase{"decimal", 18, 2, "numeric(18,2)", "numeric(18,2)"},
        TypeCase{"numeric", 0, 3, "numeric(18,3)", "numeric(18,3)"},
        TypeCase{"money", 19, 4, "numeric(19,4)", "numeric(19,4)"},
        TypeCase{"smallmoney", 10, 2, "numeric(10,2)", "numeric(10,2)"},
        TypeCase{"float", 15, 3, "REAL", "double precision"},
        TypeCase{"real", 0, 0, "REAL", "double precision"},
        TypeCase{"datetime", 0, 0, "TEXT", "timestamp"},
        TypeCase{"smalldatetime", 0, 0, "TEXT", "timestamp"},
        TypeCase{"image", 0, 0, "BLOB", "bytea"}, TypeCase{"varbinary", 0, 0, "BLOB", "bytea"},
        TypeCase{"text", 0, 0, "TEXT", "text"}, TypeCase{"ntext", 0, 0, "TEXT", "text"}));

struct Refusal {
    const char* what;
    std::function<void(Dictionary&)> spoil;
    const char* message;
};

void PrintTo(const Refusal& r, std::ostream* os)
{
    *os << r.what;
}

DictField& fieldOf(Dictionary& d, std::string_view code)
{
    for (DictField& f : d.fields)
        if (f.parentId == test::ShopTableID && f.code == code) return f;
    throw std::logic_error("no such field in the fixture");
}

class RefusalTest : public testing::TestWithParam<Refusal> {};

TEST_P(RefusalTest, NamesTheFault)
{
    Dictionary d = test::shopDictionary();
    GetParam().spoil(d);
    try {
        validateDictionary(d);
        FAIL() << "accepted: " << GetParam().what;
    } catch (const Error& e) {
        EXPECT_THAT(e.what(), HasSubstr(GetParam().message));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, RefusalTest,
    testing::Values(
        Refusal{"table name with a blank", [](Dictionary& d) { d.tables[1].code = "T Shop"; },
                "数据字典中的表名[T Shop]不是合法的标识符"},
        Refusal{"column name with a quote",
                [](Dictionary& d) { fieldOf(d, "Code").code = "Co\"de"; },
                "表[TShop]的列名[Co\"de]不是合法的标识符"},
        Refusal{"table twice, other case", [](Dictionary& d) { d.tables[0].code = "tshop"; },
                "数据字典中表[TShop]重复"},
        Refusal{"column twice, other case", [](Dictionary& d) { fieldOf(d, "Name").code = "code"; },
                "表[TShop]中列[code]重复"},
        Refusal{"unknown SQL type", [](Dictionary& d) { fieldOf(d, "Name").dataType = "varchar2"; },
                "表[TShop]的列[Name]：SQL数据类型“varchar2”不能转换为客户端字段类型！"},
        Refusal{"varchar without length", [](Dictionary& d) { fieldOf(d, "Name").prec = 0; },
                "表[TShop]的列[Name]的长度必须在1到8000之间"},
        Refusal{"more decimals than digits", [](Dictionary& d) { fieldOf(d, "Area").scale = 12; },
                "表[TShop]的列[Area]的精度必须不小于小数位数"},
        Refusal{"first column not named like the table",
                [](Dictionary& d) { fieldOf(d, "TShop").colOrder = 99; },
                "表[TShop]的第一列必须与表同名，而不是[ObjID]"},
        Refusal{"no ObjID", [](Dictionary& d) { fieldOf(d, "ObjID").code = "RowID"; },
                "表[TShop]缺少uniqueidentifier类型的存储列[ObjID]"},
        Refusal{"ColOrder twice", [](Dictionary& d) { fieldOf(d, "Name").colOrder = 3; },
                "表[TShop]的列[Name]的ColOrder[3]与其他列重复"},
        Refusal{"table ObjID in lower case",
                [](Dictionary& d) { d.tables[1].objId = "{5a0b0000-0000-4000-8000-000000000001}"; },
                "不是有效的GUID文本"},
        Refusal{"column of no table",
                [](Dictionary& d) {
                    fieldOf(d, "Staff").parentId = "{5A0B0000-0000-4000-8000-0000000000FF}";
                },
                "列[Staff]所属的表"},
        Refusal{"join key column missing",
                [](Dictionary& d) { fieldOf(d, "TOwnerID").code = "TOwnerRef"; },
                "表[TShop]的列[TOwnerName]是关联列，但表中没有存放关联行ObjID的列[TOwnerID]"},
        Refusal{"joined column missing",
                [](Dictionary& d) { fieldOf(d, "StatusName").joinedField = "Caption"; },
                "表[TShop]的列[StatusName]关联的列[TOtherParam.Caption]不存在"},
        Refusal{"join keyword that is not one",
                [](Dictionary& d) { fieldOf(d, "TOwnerName").joinedType = "left; drop"; },
                "表[TShop]的列[TOwnerName]的关联方式[left; drop]无效"}),
    [](const testing::TestParamInfo<Refusal>& info) {
        return "Case" + std::to_string(info.index);
    });

TEST(DdlTest, RefusedDictionaryCreatesNothing)
{
    test::SqliteFile file;
    Dictionary d = test::shopDictionary();
    fieldOf(d, "Area").dataType = "currency";
    auto tx = file.db().begin(storage::TransactionMode::Write);
    EXPECT_THROW(createSchema(*tx, Dialect::Sqlite, d), Error);
    tx->commit();
    EXPECT_TRUE(file.db().tableNames().empty());
}

} // namespace
} // namespace corvo::server::schema
