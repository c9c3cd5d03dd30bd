#include "server/storage/postgres/Placeholders.h"

#include <gtest/gtest.h>
#include <ostream>

namespace corvo::server::storage::postgres {
namespace {

struct PlaceholderCase {
    const char* sql;
    const char* numbered;
    std::size_t count;
};

void PrintTo(const PlaceholderCase& c, std::ostream* out)
{
    *out << c.sql;
}

class PlaceholdersTest : public ::testing::TestWithParam<PlaceholderCase> {};

TEST_P(PlaceholdersTest, OnlyBarePlaceholdersAreNumbered)
{
    const PlaceholderCase& c = GetParam();
    NumberedStatement statement = numberPlaceholders(c.sql);
    EXPECT_EQ(statement.sql, c.numbered);
    EXPECT_EQ(statement.parameterCount, c.count);
}

INSTANTIATE_TEST_SUITE_P(
    Statements, PlaceholdersTest,
    ::testing::Values(
        PlaceholderCase{"SELECT 1", "SELECT 1", 0},
        PlaceholderCase{"a = ? AND b=?", "a = $1 AND b=$2", 2},
        PlaceholderCase{"(?,?,?,?,?,?,?,?,?,?,?)", "($1,$2,$3,$4,$5,$6,$7,$8,$9,$10,$11)", 11},
        PlaceholderCase{"x = '?' AND y = ?", "x = '?' AND y = $1", 1},
        PlaceholderCase{"x = 'it''s ?' AND y = ?", "x = 'it''s ?' AND y = $1", 1},
        PlaceholderCase{"x = E'it\\'s ?' AND y = ?", "x = E'it\\'s ?' AND y = $1", 1},
        // Outside an E string a backslash is an ordinary character.
        PlaceholderCase{"x = 'a\\' AND y = ?", "x = 'a\\' AND y = $1", 1},
        PlaceholderCase{"SELECT \"col?\" FROM \"t\"\"?\" WHERE c = ?",
                        "SELECT \"col?\" FROM \"t\"\"?\" WHERE c = $1", 1},
        PlaceholderCase{"a = ? -- why ?\nAND b = ?", "a = $1 -- why ?\nAND b = $2", 2},
        PlaceholderCase{"a = ? /* ? /* ? */ ? */ AND b = ?", "a = $1 /* ? /* ? */ ? */ AND b = $2",
                        2},
        PlaceholderCase{"a = $$ ? $$ AND b = ?", "a = $$ ? $$ AND b = $1", 1},
        PlaceholderCase{"a = $q$ it's ? $q$ AND b = ?", "a = $q$ it's ? $q$ AND b = $1", 1},
        PlaceholderCase{"a$b = ? AND c = ?", "a$b = $1 AND c = $2", 2},
        PlaceholderCase{"x = 'unterminated ?", "x = 'unterminated ?", 0},
        PlaceholderCase{"x = ? /* unterminated ?", "x = $1 /* unterminated ?", 1},
        PlaceholderCase{"name = '商品?' AND code = ?", "name = '商品?' AND code = $1", 1}));

} // namespace
} // namespace corvo::server::storage::postgres
