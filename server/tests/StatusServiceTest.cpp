// Verifying, invalidating and the statements through the real server: what each method moves
// in the books (stock per warehouse, product and size; the partners' accounts), and what it
// refuses, on each backend.
#include "ServerProcess.h"
#include "StatusClient.h"
#include "entity/DateTime.h"
#include "entity/Gbk.h"
#include "entity/Guid.h"
#include "entity/ParamNames.h"
#include "entity/TClientDataSet.h"
#include "entity/TCustomEntityList.h"
#include "entity/TParamData.h"
#include "entity/TSQLAdder.h"
#include "remote/AppServers.h"
#include "remote/ServerCall.h"
#include "remote/Tvelwebconnection.h"
#include "server/storage/Database.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace corvo::server::test {
namespace {

namespace app = remote::appserver;

enum class Backend { Sqlite, Postgres };

std::string text(TClientDataSet& rows, std::string_view field)
{
    return gbk::toUtf8(rows.FieldByName(field).AsString());
}

double number(TClientDataSet& rows, std::string_view field)
{
    return rows.FieldByName(field).IsNull() ? 0 : rows.FieldByName(field).AsFloat();
}

/// Per product: quantity and the twenty sizes.
using Stock = std::map<std::string, std::vector<double>>;

Stock stockOf(StatusClient& c, const std::string& warehouse)
{
    Rows rows = c.query("TStock", {"TStock.TWarehouseID = '" + warehouse + "'"});
    Stock out;
    for (rows->First(); !rows->Eof(); rows->Next()) {
        std::vector<double>& v = out[text(*rows, "TProductID")];
        v.push_back(number(*rows, "Quantity"));
        for (int n = 1; n <= 20; ++n)
            v.push_back(number(*rows, "Size" + std::to_string(n)));
    }
    return out;
}

/// What a size document's lines move, per product, from its lines and their size rows.
Stock linesOf(StatusClient& c, const std::string& table, const std::string& objId)
{
    Rows lines = c.query(table + "List", {table + "List.ParentID = '" + objId + "'"});
    Rows sizes = c.query(table + "ListSize", {table + "ListSize.ParentID in (select ObjID from " +
                                              table + "List where ParentID = '" + objId + "')"});
    std::map<std::string, std::string> productOfLine;
    Stock out;
    for (lines->First(); !lines->Eof(); lines->Next()) {
        productOfLine[text(*lines, "ObjID")] = text(*lines, "TProductID");
        std::vector<double>& v = out[text(*lines, "TProductID")];
        v.resize(21);
        v[0] += number(*lines, "Quantity");
    }
    for (sizes->First(); !sizes->Eof(); sizes->Next())
        out[productOfLine.at(text(*sizes, "ParentID"))]
           [static_cast<std::size_t>(number(*sizes, "SizeNo"))] += number(*sizes, "Quantity");
    return out;
}

class StatusServices : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override
    {
        if (GetParam() == Backend::Postgres && !postgresAvailable())
            GTEST_SKIP() << "CORVO_TEST_PG_URL is not set";
        url = makeDemoDatabase(GetParam() == Backend::Postgres);
        server = std::make_unique<ServerProcess>(url);
        admin = std::make_unique<StatusClient>(server->url(), "DEMO", "admin");
        today = admin->today;
    }

    /// The first valid document of the table in the status, with the extra condition.
    std::string documentIn(const std::string& table, const std::string& state,
                           const std::string& extra = {})
    {
        std::vector<std::string> where = {table + ".Status" + table + "ID = '" +
                                              admin->param("Status" + table + "ID_" + state) + "'",
                                          table + ".StatusID = '" + admin->param("StatusID_Valid") +
                                              "'"};
        if (!extra.empty()) where.push_back(extra);
        Rows rows = admin->query(table, where);
        if (rows->RecordCount() == 0) throw std::runtime_error("no document in " + table);
        rows->First();
        return text(*rows, "ObjID");
    }

    /// A new collection from the customer, stored as the bill entry stores it.
    std::string newCollection(const std::string& customer, const std::string& amount)
    {
        TCustomEntity& bill = admin->registry.BuildEntity("TCollectionOrder", "TMaster");
        bill.EmptyDataSet();
        bill.Append();
        const std::string id = Guid::create().toString();
        bill.FieldByName("ObjID").SetAsString(id);
        bill.FieldByName("HappenDate").SetAsString(today);
        bill.FieldByName("TOrganID").SetAsString(admin->organId(customer));
        bill.FieldByName("TPaymentTypeID").SetAsString(admin->param("TPaymentTypeID_BANK"));
        bill.FieldByName("TotalAmount").SetAsString(amount);
        bill.Post();
        TParamData packet(paramkind::Data);
        packet.SetParamValue(param::AppName, Variant(param::AppNameValue));
        packet.SetParamData("TMaster", bill.Data());
        const std::string error = admin->call(app::Insert, app::insert::MasterDetail, packet);
        if (error != "(no error)") throw std::runtime_error("insert: " + error);
        return id;
    }

    /// A second company in the database (init-demo --company ACME), its admin logged in.
    std::unique_ptr<StatusClient> secondCompany()
    {
        std::string out;
        EXPECT_EQ(runServerCommand({"init-demo", "--db", url, "--company", "ACME"}, &out), 0)
            << out;
        return std::make_unique<StatusClient>(server->url(), "ACME", "admin");
    }

    std::string url;
    std::unique_ptr<ServerProcess> server;
    std::unique_ptr<StatusClient> admin;
    std::string today;
};

TEST_P(StatusServices, VerifyingADeliveryTakesItsLinesOutOfItsWarehouseSizeBySize)
{
    const std::string delivery = documentIn("TStockOut", "New", "TStockOut.Code like 'CK%'");
    const std::string central =
        admin->query("TWarehouse", {"TWarehouse.Code = 'CK01'"})->FieldByName("ObjID").AsString();
    const Stock before = stockOf(*admin, central);
    const Stock moved = linesOf(*admin, "TStockOut", delivery);
    ASSERT_FALSE(moved.empty());

    EXPECT_EQ(admin->send(app::SizeVerify, app::sizeverify::Verify, "TStockOut", {delivery}),
              "(no error)");
    const Stock after = stockOf(*admin, central);
    for (const auto& [product, lines] : moved)
        for (std::size_t k = 0; k < lines.size(); ++k)
            EXPECT_DOUBLE_EQ(after.at(product)[k], before.at(product)[k] - lines[k])
                << product << " column " << k;
    // Only the delivered products moved.
    for (const auto& [product, values] : after)
        if (!moved.count(product)) {
            EXPECT_EQ(values, before.at(product)) << product;
        }
    Rows stored = admin->query("TStockOut", {"TStockOut.ObjID = '" + delivery + "'"});
    EXPECT_EQ(stored->FieldByName("StatusTStockOutID").AsString(),
              admin->param("StatusTStockOutID_Verified"));

    // Verifying twice is refused and moves nothing.
    EXPECT_EQ(admin->send(app::SizeVerify, app::sizeverify::Verify, "TStockOut", {delivery}),
              "单据“" + text(*stored, "Code") + "”已经是“已审核”状态，不能重复操作。");
    EXPECT_EQ(stockOf(*admin, central), after);
}

TEST_P(StatusServices, AVerifyOfSeveralDocumentsTakesItsProductsInOneOrder)
{
    if (GetParam() != Backend::Postgres) GTEST_SKIP() << "SQLite runs one write call at a time";
    auto db = storage::Database::open(url);
    using storage::Value;
    // Two new deliveries A before B (by ObjID), the first product of B before every product
    // of A: a call locking per document would hold A's products while it waits for B's first.
    std::vector<std::pair<std::string, std::string>> firsts; // document, its first product
    {
        auto tx = db->begin(storage::TransactionMode::Read);
        const storage::Rows rows = tx->query(
            "SELECT d.\"ObjID\", MIN(l.\"TProductID\") FROM \"TStockOut\" d JOIN "
            "\"TStockOutList\" l ON l.\"ParentID\" = d.\"ObjID\" WHERE "
            "d.\"StatusTStockOutID\" = ? AND d.\"StatusID\" = ? AND d.\"TOwnerID\" = ? GROUP "
            "BY d.\"ObjID\"",
            std::vector<Value>{Value(admin->param("StatusTStockOutID_New")),
                               Value(admin->param("StatusID_Valid")), Value(admin->owner)});
        for (const auto& row : rows.rows)
            firsts.emplace_back(row[0].toText(), row[1].toText());
        tx->commit();
    }
    std::sort(firsts.begin(), firsts.end());
    std::string a, b, held, ofA;
    for (std::size_t i = 0; i < firsts.size() && held.empty(); ++i)
        for (std::size_t j = i + 1; j < firsts.size() && held.empty(); ++j)
            if (firsts[j].second < firsts[i].second) {
                a = firsts[i].first;
                b = firsts[j].first;
                held = firsts[j].second;
                ofA = firsts[i].second;
            }
    ASSERT_FALSE(held.empty()) << "no two deliveries in that order among " << firsts.size();

    // Another transaction holds B's first product while A and B are verified in one call.
    auto holder = db->begin(storage::TransactionMode::Write);
    holder->query("SELECT 1 FROM \"TProduct\" WHERE \"ObjID\" = ? FOR UPDATE",
                  std::vector<Value>{Value(held)});
    std::string answer;
    std::thread verify([&] {
        answer = admin->send(app::SizeVerify, app::sizeverify::Verify, "TStockOut", {a, b});
    });
    auto waiting = [&] {
        auto tx = db->begin(storage::TransactionMode::Read);
        const storage::Rows rows = tx->query(
            "SELECT COUNT(*) FROM pg_stat_activity WHERE datname = current_database() AND "
            "wait_event_type = 'Lock'");
        return rows.rows[0][0].toText() != "0";
    };
    // Waiting for the call to wait (a step, not a measure of time).
    for (int tries = 0; tries < 6000 && !waiting(); ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    // The waiting call holds none of A's products: it took the held one first.
    const std::string probe = errorOf([&] {
        auto tx = db->begin(storage::TransactionMode::Write);
        tx->query("SELECT 1 FROM \"TProduct\" WHERE \"ObjID\" = ? FOR UPDATE NOWAIT",
                  std::vector<Value>{Value(ofA)});
    });
    holder.reset();
    verify.join();
    EXPECT_EQ(probe, "(no error)");
    EXPECT_EQ(answer, "(no error)");
}

TEST_P(StatusServices, InvalidatingAVerifiedReceiptTakesItsStockBackANewOneMovesNothing)
{
    const std::string receipt = documentIn("TStockIn", "New", "TStockIn.Code like 'RK%'");
    const std::string report = documentIn("TStockOut", "New", "TStockOut.Code like 'RB%'");
    auto warehouseOf = [&](const std::string& table, const std::string& id) {
        return admin->query(table, {table + ".ObjID = '" + id + "'"})
            ->FieldByName("TWarehouseID")
            .AsString();
    };
    // The size invalidation form's packet: the documents and the status change list.
    auto invalidate = [&](const std::string& table, const std::string& id) {
        Rows rows = admin->query(table, {table + ".ObjID = '" + id + "'"});
        TParamData packet(paramkind::Data);
        packet.SetParamValue(param::AppName, Variant(param::AppNameValue));
        packet.SetParamData("TMaster", rows->Data());
        TParamData change(paramkind::Field);
        change.SetParamValueField("TMaster", Variant(admin->param("StatusID_Invalid")), "StatusID");
        packet.SetParamData("ParamDataStatusAlter", change.Data());
        return admin->call(app::Update, app::update::MasterDetail, packet);
    };
    const std::string into = warehouseOf("TStockIn", receipt);
    const Stock before = stockOf(*admin, into);
    ASSERT_EQ(admin->send(app::SizeVerify, app::sizeverify::Verify, "TStockIn", {receipt}),
              "(no error)");
    EXPECT_NE(stockOf(*admin, into), before);
    EXPECT_EQ(invalidate("TStockIn", receipt), "(no error)");
    EXPECT_EQ(stockOf(*admin, into), before);

    const std::string store = warehouseOf("TStockOut", report);
    const Stock shop = stockOf(*admin, store);
    EXPECT_EQ(invalidate("TStockOut", report), "(no error)");
    EXPECT_EQ(stockOf(*admin, store), shop);
}

TEST_P(StatusServices, ADocumentVerifiedByManyAtOnceIsBookedOnce)
{
    const std::string delivery = documentIn("TStockOut", "New", "TStockOut.Code like 'CK%'");
    const std::string central =
        admin->query("TWarehouse", {"TWarehouse.Code = 'CK01'"})->FieldByName("ObjID").AsString();
    const Stock before = stockOf(*admin, central);
    const Stock moved = linesOf(*admin, "TStockOut", delivery);
    std::vector<std::unique_ptr<StatusClient>> clients;
    for (int i = 0; i < 6; ++i)
        clients.push_back(std::make_unique<StatusClient>(server->url(), "DEMO", "admin"));
    std::vector<std::string> answers(clients.size());
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < clients.size(); ++i)
        threads.emplace_back([&, i] {
            answers[i] =
                clients[i]->send(app::SizeVerify, app::sizeverify::Verify, "TStockOut", {delivery});
        });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(std::count(answers.begin(), answers.end(), "(no error)"), 1);
    const Stock after = stockOf(*admin, central);
    for (const auto& [product, lines] : moved)
        EXPECT_DOUBLE_EQ(after.at(product)[0], before.at(product)[0] - lines[0]) << product;
}

TEST_P(StatusServices, AVerifiedCollectionIsCollectedUntilItIsInvalidated)
{
    const std::string customer = admin->organId("KH001");
    const std::string collection = newCollection("KH001", "1234.5");
    Rows doc = admin->query("TCollectionOrder", {"TCollectionOrder.ObjID = '" + collection + "'"});
    const std::string code = text(*doc, "Code");
    const double total = number(*doc, "TotalAmount");
    ASSERT_GT(total, 0);
    auto balance = [&] {
        Rows s = admin->statement("KH001", "2000-01-01", today);
        s->Last();
        return number(*s, "Balance");
    };
    const double open = balance();

    EXPECT_EQ(
        admin->send(app::VerifyAccount, app::verify::Verify, "TCollectionOrder", {collection}),
        "(no error)");
    EXPECT_DOUBLE_EQ(balance(), open - total);
    Rows entries = admin->query("TAccount", {"TAccount.BillCode = '" + code + "'"});
    ASSERT_EQ(entries->RecordCount(), 1);
    EXPECT_DOUBLE_EQ(number(*entries, "TotalAmount"), -total);
    EXPECT_EQ(entries->FieldByName("TOrganID").AsString(), customer);
    EXPECT_EQ(text(*entries, "Remark"), "收款单");

    EXPECT_EQ(admin->send(app::Update, app::update::Invalidate, "TCollectionOrder", {collection}),
              "(no error)");
    EXPECT_DOUBLE_EQ(balance(), open);
    EXPECT_EQ(admin->send(app::Update, app::update::Invalidate, "TCollectionOrder", {collection}),
              "单据“" + code + "”已经作废，不能再次作废。");
    EXPECT_EQ(
        admin->send(app::VerifyAccount, app::verify::Verify, "TCollectionOrder", {collection}),
        "单据“" + code + "”已经作废，不能再修改单据状态。");
}

TEST_P(StatusServices, InvalidatingAStoredInvoiceTakesItOutOfTheSuppliersAccount)
{
    // Invoices are in the books from the moment they are stored; payables are kept from the
    // supplier's side, which the partner-side statement reads.
    const std::string supplier = admin->organId("GY001");
    const std::string invoice =
        documentIn("TPurchaseInvoice", "New", "TPurchaseInvoice.TOrganID = '" + supplier + "'");
    Rows doc = admin->query("TPurchaseInvoice", {"TPurchaseInvoice.ObjID = '" + invoice + "'"});
    const double total = number(*doc, "TotalAmount");
    auto balance = [&] {
        Rows s = admin->statement("GY001", "2000-01-01", today, true);
        s->Last();
        return number(*s, "Balance");
    };
    const double open = balance();
    EXPECT_EQ(admin->send(app::Update, app::update::Invalidate, "TPurchaseInvoice", {invoice}),
              "(no error)");
    EXPECT_DOUBLE_EQ(balance(), open - total);
}

TEST_P(StatusServices, TheStatementIsTheOpeningBalanceThenEveryEntryWithItsBalance)
{
    // Over the seeded months the statement is the one the company was seeded with.
    Rows seeded = admin->query("TCheckAccount",
                               {"TCheckAccount.TOrganID = '" + admin->organId("KH002") + "'"});
    ASSERT_GT(seeded->RecordCount(), 2);
    seeded->First();
    const std::string from = seeded->FieldByName("HappenDate").AsDateTime().toDateString();
    Rows made = admin->statement("KH002", from, today);
    ASSERT_EQ(made->RecordCount(), seeded->RecordCount());
    std::map<int, int> recOf;
    for (seeded->First(); !seeded->Eof(); seeded->Next())
        recOf[static_cast<int>(number(*seeded, "DispOrder"))] = seeded->RecNo();
    for (made->First(); !made->Eof(); made->Next()) {
        seeded->SetRecNo(recOf.at(static_cast<int>(number(*made, "DispOrder"))));
        for (const char* f : {"HappenDate", "TOrganID", "TOrganName", "BillType", "Code", "Summary",
                              "DebitAmount", "CreditAmount", "Balance", "TOwnerID"})
            EXPECT_EQ(made->FieldByName(f).AsString(), seeded->FieldByName(f).AsString())
                << f << " of line " << number(*made, "DispOrder");
    }
    // A period without entries is the opening balance alone, which the form reports as no
    // documents; the balance is the last one before it.
    made->Last();
    const double last = number(*made, "Balance");
    Rows empty = admin->statement("KH002", "2099-01-01", "2099-01-31");
    ASSERT_EQ(empty->RecordCount(), 1);
    EXPECT_EQ(text(*empty, "Summary"), "期初余额");
    EXPECT_DOUBLE_EQ(number(*empty, "Balance"), last);
    EXPECT_EQ(empty->FieldByName("HappenDate").AsDateTime().toDateString(), "2099-01-01");

    // Without a partner there is no statement to make.
    TSQLAdder adder;
    admin->registry.SelectTableFields("TCheckAccount");
    adder.BuildQuery(&admin->registry.EntityByName("TDictField"), "AllPage", "", "");
    TParamData packet(paramkind::Data);
    packet.SetParamValue("TOwnerID", Variant(admin->owner));
    packet.SetParamData("TMaster", adder.Data());
    EXPECT_EQ(admin->call(app::VerifyAccount, app::verify::AccountStatement, packet),
              "请先选择对帐企业");
}

TEST_P(StatusServices, ProductsWithoutStockAnywhereAreInvalidatedAutomatically)
{
    const std::string valid = admin->param("StatusID_Valid");
    auto validCodes = [&] {
        std::vector<std::string> codes;
        Rows rows = admin->query("TProduct", {"TProduct.StatusID = '" + valid + "'"});
        for (rows->First(); !rows->Eof(); rows->Next())
            codes.push_back(text(*rows, "Code"));
        return codes;
    };
    std::vector<std::string> before = validCodes();
    TParamData packet(paramkind::Data);
    packet.SetParamValue(param::AppName, Variant(param::AppNameValue));
    packet.SetParamValue("TOwnerID", Variant(admin->owner));
    EXPECT_EQ(admin->call(app::Update, app::update::InvalidateZeroStock, packet), "(no error)");
    std::vector<std::string> after = validCodes();
    std::vector<std::string> gone;
    for (const std::string& c : before)
        if (std::find(after.begin(), after.end(), c) == after.end()) gone.push_back(c);
    std::sort(gone.begin(), gone.end());
    EXPECT_EQ(gone, (std::vector<std::string>{"PS-2504", "PS-2505"}));
}

TEST_P(StatusServices, WritesNeedTheFormsModuleAndTheCompanysOwnDocuments)
{
    const std::string collection = newCollection("KH003", "88");
    const std::string report = documentIn("TStockOut", "New", "TStockOut.Code like 'RB%'");
    Rows rows = admin->query("TCollectionOrder", {"TCollectionOrder.ObjID = '" + collection + "'"});
    TParamData sent(paramkind::Data);
    sent.SetParamData("TMaster", rows->Data());
    // The clerk verifies daily reports but neither collections nor products.
    StatusClient clerk(server->url(), "LS", "clerk");
    EXPECT_EQ(clerk.call(app::VerifyAccount, app::verify::Verify, sent),
              "您没有修改[收款单]的权限，请与系统管理员联系！");
    TParamData packet(paramkind::Data);
    packet.SetParamValue("TOwnerID", Variant(clerk.owner));
    EXPECT_EQ(clerk.call(app::Update, app::update::InvalidateZeroStock, packet),
              "您没有修改[商品]的权限，请与系统管理员联系！");
    EXPECT_EQ(clerk.send(app::SizeVerify, app::sizeverify::Verify, "TStockOut", {report}),
              "(no error)");

    // Another company's administrator reaches none of DEMO's documents.
    auto acme = secondCompany();
    StatusClient& other = *acme;
    TParamData foreign(paramkind::Data);
    foreign.SetParamData("TMaster", rows->Data());
    EXPECT_EQ(other.call(app::VerifyAccount, app::verify::Verify, foreign),
              "单据[" + collection + "]不存在或不属于本机构，不能修改其状态");
    foreign.SetParamData("TMaster", rows->Data());
    EXPECT_EQ(other.call(app::Update, app::update::Invalidate, foreign),
              "单据[" + collection + "]不存在或不属于本机构，不能修改其状态");
    EXPECT_EQ(
        text(*admin->query("TCollectionOrder", {"TCollectionOrder.ObjID = '" + collection + "'"}),
             "StatusTCollectionOrderName"),
        "新建");

    // One call moves at most 10,000 documents.
    TCustomEntity& many = admin->registry.BuildEntity("TCollectionOrder", "Many");
    many.EmptyDataSet();
    for (int i = 0; i <= 10000; ++i) {
        many.Append();
        many.FieldByName("ObjID").SetAsString(Guid::create().toString());
        many.Post();
    }
    TParamData tooMany(paramkind::Data);
    tooMany.SetParamData("TMaster", many.Data());
    EXPECT_EQ(admin->call(app::VerifyAccount, app::verify::Verify, tooMany),
              "一次最多修改10000张单据的状态，请分批选择单据");
}

TEST_P(StatusServices, StatementsReachOnlyTheCompanysOwnPartners)
{
    auto second = secondCompany();
    StatusClient& acme = *second;
    const std::string demoSupplier = admin->organId("GY001");
    const std::string demoCustomer = admin->organId("KH002");
    auto statement = [&](const std::string& organ, const std::string& packetOwner) {
        TSQLAdder adder;
        acme.registry.SelectTableFields("TCheckAccount");
        adder.BuildQuery(&acme.registry.EntityByName("TDictField"), "AllPage", "", "");
        adder.AddClause("where", "(TCheckAccount.TOrganID = '" + organ + "')");
        adder.AddClause("where",
                        "(TCheckAccount.HappenDate  between '2000-01-01' and '" + today + "')");
        TParamData packet(paramkind::Data);
        packet.SetParamValue(param::AppName, Variant(param::AppNameValue));
        packet.SetParamValue("TOwnerID", Variant(packetOwner));
        packet.SetParamData("TMaster", adder.Data());
        return acme.call(app::VerifyAccount, app::verify::AccountStatement, packet);
    };
    const Rows before = admin->query("TCheckAccount");
    // Another company's supplier as the partner side, another company's customer as the
    // partner: neither is locked, read nor rewritten.
    EXPECT_NE(statement(acme.owner, demoSupplier).find("只能生成本机构往来单位的对帐单"),
              std::string::npos);
    EXPECT_NE(statement(demoCustomer, acme.owner).find("只能生成本机构往来单位的对帐单"),
              std::string::npos);
    const Rows after = admin->query("TCheckAccount");
    EXPECT_EQ(after->RecordCount(), before->RecordCount());
    // The company's own partners still make statements, from either side.
    EXPECT_EQ(statement(acme.organId("ACME-KH002"), acme.owner), "(no error)");
    EXPECT_EQ(statement(acme.owner, acme.organId("ACME-GY001")), "(no error)");
}

INSTANTIATE_TEST_SUITE_P(Backends, StatusServices,
                         ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) {
                             return info.param == Backend::Sqlite ? "Sqlite" : "Postgres";
                         });

} // namespace
} // namespace corvo::server::test
