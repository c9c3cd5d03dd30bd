#include "entity/Error.h"
#include "server/schema/DemoDictionary.h"
#include "server/schema/Dictionary.h"
#include "server/schema/TableLayout.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>

namespace corvo::server::schema {
namespace {

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

void expectSameLayout(const TableLayout& got, const TableLayout& want)
{
    EXPECT_EQ(got.table(), want.table());
    ASSERT_EQ(got.columns().size(), want.columns().size());
    for (std::size_t i = 0; i < want.columns().size(); ++i) {
        const LayoutColumn& g = got.columns()[i];
        const LayoutColumn& w = want.columns()[i];
        SCOPED_TRACE(w.code());
        EXPECT_EQ(g.field, w.field);
        EXPECT_EQ(g.type, w.type);
        EXPECT_EQ(g.size, w.size);
        EXPECT_EQ(g.join, w.join);
        EXPECT_EQ(g.joinedColumn, w.joinedColumn);
    }
    ASSERT_EQ(got.joins().size(), want.joins().size());
    for (std::size_t i = 0; i < want.joins().size(); ++i) {
        EXPECT_EQ(got.joins()[i].table, want.joins()[i].table);
        EXPECT_EQ(got.joins()[i].keyColumn, want.joins()[i].keyColumn);
    }
}

std::string errorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const Error& e) {
        return e.what();
    }
    return "(no error)";
}

/// The demo dictionary with its column rows out of ColOrder, as rows loaded from elsewhere may be.
Dictionary unsortedRows()
{
    Dictionary d = demoDictionary();
    std::reverse(d.fields.begin(), d.fields.end());
    return d;
}

/// Ways of coming by an indexed dictionary; each must answer as the plain rows do.
struct Indexed {
    const char* name;
    std::function<Dictionary()> make;
};

void PrintTo(const Indexed& c, std::ostream* os)
{
    *os << c.name;
}

class IndexedDictionaryTest : public testing::TestWithParam<Indexed> {
protected:
    const Dictionary plain = unsortedRows();
    const Dictionary indexed = GetParam().make();
};

TEST_P(IndexedDictionaryTest, AnswersEveryTableAsTheUnindexedRows)
{
    ASSERT_EQ(indexed, plain);
    for (std::size_t t = 0; t < plain.tables.size(); ++t) {
        const DictTable& table = plain.tables[t];
        SCOPED_TRACE(table.code);
        for (const std::string& code : {table.code, lower(table.code), upper(table.code)}) {
            EXPECT_EQ(plain.findTable(code), &plain.tables[t]) << code;
            EXPECT_EQ(indexed.findTable(code), &indexed.tables[t]) << code;
        }
        const auto want = plain.columnsOf(table.objId);
        ASSERT_FALSE(want.empty());
        for (const std::string& id : {table.objId, lower(table.objId)}) {
            const auto got = indexed.columnsOf(id);
            ASSERT_EQ(got.size(), want.size()) << id;
            for (std::size_t i = 0; i < want.size(); ++i) {
                EXPECT_EQ(*got[i], *want[i]);
                EXPECT_EQ(got[i], &indexed.fields[std::size_t(want[i] - plain.fields.data())]);
            }
        }
        const TableLayout resolved = TableLayout::resolve(plain, table.code);
        const auto layout = indexed.layout(table.code);
        expectSameLayout(*layout, resolved);
        // Resolved once by index(), whatever the spelling asked for.
        EXPECT_EQ(indexed.layout(lower(table.code)), layout);
        expectSameLayout(*plain.layout(table.code), resolved);
    }
}

TEST_P(IndexedDictionaryTest, MissingTableIsAnsweredAsWithoutIndex)
{
    for (const char* code : {"TNoSuchTable", "", "TOrgan "}) {
        SCOPED_TRACE(code);
        EXPECT_EQ(indexed.findTable(code), nullptr);
        const std::string want = errorOf([&] { TableLayout::resolve(plain, code); });
        EXPECT_NE(want, "(no error)");
        EXPECT_EQ(errorOf([&] { indexed.layout(code); }), want);
    }
    EXPECT_TRUE(indexed.columnsOf("{5A0B0000-0000-4000-8000-0000000000FF}").empty());
    EXPECT_TRUE(indexed.columnsOf("").empty());
}

INSTANTIATE_TEST_SUITE_P(Ways, IndexedDictionaryTest,
                         testing::Values(Indexed{"Indexed",
                                                 [] {
                                                     Dictionary d = unsortedRows();
                                                     d.index();
                                                     return d;
                                                 }},
                                         Indexed{"MovedAfterIndex",
                                                 [] {
                                                     Dictionary d = unsortedRows();
                                                     d.index();
                                                     Dictionary moved(std::move(d));
                                                     return moved;
                                                 }},
                                         Indexed{"MoveAssignedAfterIndex",
                                                 [] {
                                                     Dictionary d = unsortedRows();
                                                     d.index();
                                                     Dictionary moved;
                                                     moved = std::move(d);
                                                     return moved;
                                                 }}),
                         [](const testing::TestParamInfo<Indexed>& info) {
                             return std::string(info.param.name);
                         });

/// A copy of an indexed dictionary that is then changed must see its own rows.
struct Copying {
    const char* name;
    std::function<Dictionary(const Dictionary&)> copy;
};

void PrintTo(const Copying& c, std::ostream* os)
{
    *os << c.name;
}

class ChangedCopyTest : public testing::TestWithParam<Copying> {};

TEST_P(ChangedCopyTest, SeesItsChangeNotTheOriginalsIndex)
{
    Dictionary original = demoDictionary();
    original.index();
    Dictionary copy = GetParam().copy(original);

    const std::string code = original.tables.front().code;
    const std::string tableId = original.tables.front().objId;
    auto column = [](const std::string& objId, const std::string& parentId, const char* code,
                     const char* dataType, int colOrder) {
        DictField f;
        f.objId = objId;
        f.parentId = parentId;
        f.code = code;
        f.dataType = dataType;
        f.colOrder = colOrder;
        return f;
    };
    copy.fields.push_back(column("{5A0B0000-0000-4000-8000-0000000000E1}", tableId, "Extra", "int",
                                 copy.columnsOf(tableId).back()->colOrder + 1));
    const std::string addedId = "{5A0B0000-0000-4000-8000-0000000000E2}";
    copy.tables.push_back({addedId, "TAdded", "新表", "Added", 0, 0});
    copy.fields.push_back(
        column("{5A0B0000-0000-4000-8000-0000000000E3}", addedId, "TAdded", "uniqueidentifier", 1));
    copy.fields.push_back(
        column("{5A0B0000-0000-4000-8000-0000000000E4}", addedId, "ObjID", "uniqueidentifier", 2));

    EXPECT_EQ(copy.columnsOf(tableId).back()->code, "Extra");
    EXPECT_EQ(copy.layout(code)->columns().back().code(), "Extra");
    ASSERT_NE(copy.findTable("tadded"), nullptr);
    EXPECT_EQ(copy.findTable("tadded")->objId, addedId);
    EXPECT_EQ(copy.columnsOf(addedId).size(), 2u);
    EXPECT_EQ(copy.layout("TAdded")->columns().size(), 2u);

    copy.index();
    EXPECT_EQ(copy.layout(code)->columns().back().code(), "Extra");
    EXPECT_EQ(copy.layout("tadded")->table().objId, addedId);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, ChangedCopyTest,
    testing::Values(Copying{"Constructed", [](const Dictionary& d) { return Dictionary(d); }},
                    Copying{"Assigned",
                            [](const Dictionary& d) {
                                Dictionary copy;
                                copy = d;
                                return copy;
                            }}),
    [](const testing::TestParamInfo<Copying>& info) { return std::string(info.param.name); });

} // namespace
} // namespace corvo::server::schema
