// The demo company's stock, accounts and statements are what the posting services make of its
// documents: the test throws the seeded books away, books every document again, day by day,
// through the services' own posting rules, and compares.
#include "ServerProcess.h"
#include "server/schema/SystemIds.h"
#include "server/service/AccountPostings.h"
#include "server/service/DictionaryCache.h"
#include "server/service/DocumentStatus.h"
#include "server/service/StockPostings.h"
#include "server/storage/Database.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace corvo::server::test {
namespace {

using storage::Value;

enum class Backend { Sqlite, Postgres };

/// A fetched value as comparable text: every number in hundredths (a backend may hand back a
/// whole amount as an integer), date-times as their day.
std::string plain(const Value& v)
{
    switch (v.type()) {
    case Variant::Type::Null:
        return "";
    case Variant::Type::String: {
        const auto day = dayOf(v);
        return day && v.asString().size() >= 10 && v.asString()[4] == '-' ? day->toDateString()
                                                                          : v.asString();
    }
    case Variant::Type::DateTime:
        return dayOf(v)->toDateString();
    default:
        return std::to_string(centsOf(v));
    }
}

using Table = std::multiset<std::vector<std::string>>;

Table rowsOf(storage::Transaction& tx, const std::string& sql)
{
    Table out;
    for (const auto& row : tx.query(sql).rows) {
        std::vector<std::string> r;
        for (const Value& v : row)
            r.push_back(plain(v));
        out.insert(std::move(r));
    }
    return out;
}

std::string stockColumns()
{
    std::string s = "\"TWarehouseID\", \"TProductID\", \"TOwnerID\", \"Quantity\", \"TotalAmount\"";
    for (int n = 1; n <= 20; ++n)
        s += ", \"Size" + std::to_string(n) + "\"";
    return s;
}

const char* const AccountColumns =
    "\"HappenDate\", \"TOrganID\", \"TOwnerID\", \"TAccountItemID\", "
    "\"TotalAmount\", \"BillCode\", \"Remark\", \"StatusID\"";

struct Document {
    std::string date;
    std::string table;
    std::string objId;
};

class DemoBooks : public ::testing::TestWithParam<Backend> {};

TEST_P(DemoBooks, StockAccountsAndStatementsAreWhatBookingTheDocumentsGives)
{
    if (GetParam() == Backend::Postgres && !postgresAvailable())
        GTEST_SKIP() << "CORVO_TEST_PG_URL is not set";
    auto db = storage::Database::open(makeDemoDatabase(GetParam() == Backend::Postgres));
    auto tx = db->begin(storage::TransactionMode::Write);
    DictionaryCache cache;
    const auto dictionary = cache.get(*tx);

    const Table stock = rowsOf(*tx, "SELECT " + stockColumns() + " FROM \"TStock\"");
    const Table accounts =
        rowsOf(*tx, std::string("SELECT ") + AccountColumns + " FROM \"TAccount\"");
    ASSERT_GT(stock.size(), 50u);
    ASSERT_GT(accounts.size(), 20u);
    EXPECT_EQ(
        tx->query("SELECT COUNT(*) FROM \"TStock\" WHERE \"Quantity\" <= 0").rows[0][0].toDouble(),
        0);
    tx->execute("DELETE FROM \"TStock\"");
    tx->execute("DELETE FROM \"TAccount\"");

    int codes = 0;
    PostingScope scope{*tx,
                       *dictionary,
                       db->dialect(),
                       "",
                       DateTime::now(),
                       [&](std::string_view, DateTime) { return "T" + std::to_string(++codes); }};

    // Every document that books anything, in date order; whether it books follows its
    // statuses as the services judge them.
    std::vector<Document> documents;
    for (const char* table : {"TStockIn", "TStockOut", "TSaleInvoice", "TPurchaseInvoice",
                              "TCollectionOrder", "TPaymentOrder"}) {
        const std::string field = std::string("Status") + table + "ID";
        const std::vector<StatusStep> steps = statusSteps(*tx, field);
        const storage::Rows rows = tx->query("SELECT \"HappenDate\", \"ObjID\", \"StatusID\", \"" +
                                             field + "\" FROM \"" + table + "\"");
        for (const auto& row : rows.rows) {
            if (row[2].asString() != schema::ids::StatusValid) continue;
            const bool pastFirst = row[3].asString() != steps.at(0).objId;
            const BillKind* kind = billKind(table);
            if (kind ? kind->onVerify && !pastFirst : !pastFirst) continue;
            documents.push_back({plain(row[0]), table, row[1].asString()});
        }
    }
    std::sort(documents.begin(), documents.end(), [](const Document& a, const Document& b) {
        return std::tie(a.date, a.objId) < std::tie(b.date, b.objId);
    });
    std::string negativeAfter;
    for (std::size_t i = 0; i < documents.size(); ++i) {
        const Document& d = documents[i];
        if (const BillKind* kind = billKind(d.table))
            postAccount(scope, *kind, d.objId);
        else
            postStock(scope, d.table, d.objId, +1);
        // Stock never runs short at the end of a day.
        if (negativeAfter.empty() &&
            (i + 1 == documents.size() || documents[i + 1].date != d.date)) {
            std::string where = "\"Quantity\" < 0";
            for (int n = 1; n <= 20; ++n)
                where += " OR \"Size" + std::to_string(n) + "\" < 0";
            if (tx->query("SELECT COUNT(*) FROM \"TStock\" WHERE " + where).rows[0][0].toDouble() >
                0)
                negativeAfter = d.date;
        }
    }
    EXPECT_EQ(negativeAfter, "");
    EXPECT_EQ(rowsOf(*tx, "SELECT " + stockColumns() + " FROM \"TStock\""), stock);
    EXPECT_EQ(rowsOf(*tx, std::string("SELECT ") + AccountColumns + " FROM \"TAccount\""),
              accounts);

    // Every stored statement is the one the statement service makes over its period.
    const storage::Rows pairs = tx->query(
        "SELECT \"TOwnerID\", \"TOrganID\", MIN(\"HappenDate\") FROM \"TCheckAccount\" GROUP BY "
        "\"TOwnerID\", \"TOrganID\"");
    ASSERT_EQ(pairs.rows.size(), 7u);
    for (const auto& pair : pairs.rows) {
        const std::string owner = pair[0].asString(), organ = pair[1].asString();
        Table stored = rowsOf(*tx, "SELECT \"DispOrder\", \"HappenDate\", \"BillType\", \"Code\", "
                                   "\"Summary\", \"DebitAmount\", \"CreditAmount\", \"Balance\" "
                                   "FROM \"TCheckAccount\" WHERE \"TOwnerID\" = '" +
                                       owner + "' AND \"TOrganID\" = '" + organ + "'");
        Table made;
        const auto lines = statementOf(*tx, owner, organ, dayOf(pair[2]), std::nullopt);
        for (std::size_t n = 0; n < lines.size(); ++n) {
            const StatementLine& l = lines[n];
            made.insert({std::to_string(n * 100), l.date.toDateString(), l.billType, l.code,
                         l.summary, std::to_string(l.debit), std::to_string(l.credit),
                         std::to_string(l.balance)});
        }
        EXPECT_EQ(made, stored) << owner << " / " << organ;
    }
}

TEST_P(DemoBooks, AChangedInvoiceMovesItsEntryToItsNewPartnerAndTotal)
{
    if (GetParam() == Backend::Postgres && !postgresAvailable())
        GTEST_SKIP() << "CORVO_TEST_PG_URL is not set";
    auto db = storage::Database::open(makeDemoDatabase(GetParam() == Backend::Postgres));
    auto tx = db->begin(storage::TransactionMode::Write);
    DictionaryCache cache;
    const auto dictionary = cache.get(*tx);
    PostingScope scope{
        *tx, *dictionary,     db->dialect(),
        "",  DateTime::now(), [](std::string_view, DateTime) { return std::string("T1"); }};

    const auto invoice = tx->query("SELECT \"ObjID\", \"Code\", \"TOrganID\" FROM \"TSaleInvoice\" "
                                   "ORDER BY \"Code\"")
                             .rows.at(0);
    const std::string other = tx->query("SELECT \"ObjID\" FROM \"TOrgan\" WHERE \"Code\" = 'KH003'")
                                  .rows.at(0)[0]
                                  .asString();
    ASSERT_NE(invoice[2].asString(), other);
    tx->execute("UPDATE \"TSaleInvoice\" SET \"TOrganID\" = ?, \"TotalAmount\" = 123.45 WHERE "
                "\"ObjID\" = ?",
                std::vector<Value>{Value(other), invoice[0]});
    repostAccount(scope, *billKind("TSaleInvoice"), invoice[0].asString());

    const Table entries = rowsOf(*tx, "SELECT \"TOrganID\", \"TotalAmount\", \"StatusID\" FROM "
                                      "\"TAccount\" WHERE \"BillCode\" = '" +
                                          invoice[1].asString() + "'");
    EXPECT_EQ(entries, (Table{{other, "12345", std::string(schema::ids::StatusValid)}}));
}

INSTANTIATE_TEST_SUITE_P(Backends, DemoBooks, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) {
                             return info.param == Backend::Sqlite ? "Sqlite" : "Postgres";
                         });

} // namespace
} // namespace corvo::server::test
