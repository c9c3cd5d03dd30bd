// The server under attack and bad luck, through real server processes: retries of a save
// whose reply was lost (stamped anew by the form, or racing the first send), what one company
// can learn of or do to another, and values out of their column's bounds.
#include "DemoWriteTest.h"
#include "entity/Gbk.h"
#include "entity/Guid.h"
#include "remote/AppServers.h"
#include "remote/ServerCall.h"
#include "remote/Tvelwebconnection.h"
#include "server/schema/SystemIds.h"

#include <gtest/gtest.h>
#include <set>
#include <thread>

namespace corvo::server::test {
namespace {

namespace app = remote::appserver;
using storage::Value;

class Hardening : public DemoWriteTest {
protected:
    /// A sale order with two lines as the master/detail entry sends it; `stamp` stands for
    /// what a form sets anew on every send (the time, the author, the status, fresh line ids).
    std::unique_ptr<TParamData> saleOrder(WriteClient& client, const std::string& objId,
                                          const std::string& stamp)
    {
        auto master = client.blank("TSaleOrder");
        auto lines = client.blank("TSaleOrderList");
        master->Append();
        setText(*master, "ObjID", objId);
        setText(*master, "HappenDate", "2026-03-02");
        setText(*master, "TOrganID", id("TOrgan", "KH001"));
        setText(*master, "TWarehouseID", id("TWarehouse", "CK01"));
        setText(*master, "TSaleTypeID",
                scalar(*db, "SELECT \"ObjID\" FROM \"TOtherParam\" WHERE \"Type\" = "
                            "'TSaleTypeID' AND \"Code\" = 'WHOLESALE'"));
        setText(*master, "TotalQuantity", "4");
        setText(*master, "Remark", "retry");
        setText(*master, "CreateDate", stamp);
        setText(*master, "TUserID", Guid::create().toString());
        setText(*master, "Code", "FORM-" + stamp);
        master->Post();
        for (const char* product : {"NZ-2501", "CS-2501"}) {
            lines->Append();
            setText(*lines, "ObjID", Guid::create().toString());
            setText(*lines, "ParentID", objId);
            setText(*lines, "TProductID", id("TProduct", product));
            setText(*lines, "Quantity", "2");
            setText(*lines, "UnitPrice", "10");
            lines->Post();
        }
        return packetOf({{"TMaster", master.get()}, {"TDetailInsert", lines.get()}});
    }

    static std::string codeOf(TParamData& answered)
    {
        TClientDataSet reply;
        reply.SetData(answered.GetParamData("TMaster"));
        return reply.RecordCount() == 1 ? textOf(reply, "Code") : std::string();
    }
};

TEST_P(Hardening, RetryStampedAnewByTheFormIsAnsweredAsTheFirstSave)
{
    const std::string objId = Guid::create().toString();
    auto first = saleOrder(*admin, objId, "2026-03-02 10:00:00");
    ASSERT_TRUE(admin->call(app::Insert, app::insert::MasterDetail, *first));
    const std::string code = codeOf(*first);
    ASSERT_FALSE(code.empty());

    auto retry = saleOrder(*admin, objId, "2026-03-02 10:00:07");
    ASSERT_TRUE(admin->call(app::Insert, app::insert::MasterDetail, *retry));
    EXPECT_EQ(codeOf(*retry), code);
    EXPECT_EQ(count(*db, "SELECT COUNT(*) FROM \"TSaleOrderList\" WHERE \"ParentID\" = ?",
                    {Value(objId)}),
              2);
    // The next document of the form is stored as usual.
    auto next = saleOrder(*admin, Guid::create().toString(), "2026-03-02 10:00:09");
    ASSERT_TRUE(admin->call(app::Insert, app::insert::MasterDetail, *next));
    EXPECT_NE(codeOf(*next), code);
}

TEST_P(Hardening, RetriesRacingTheFirstSendAllGetTheFirstAnswer)
{
    constexpr int Clients = 4;
    std::vector<std::unique_ptr<WriteClient>> clients;
    for (int c = 0; c < Clients; ++c)
        clients.push_back(std::make_unique<WriteClient>(server->url()));
    for (int round = 0; round < 3; ++round) {
        const std::string objId = Guid::create().toString();
        auto sent = saleOrder(*admin, objId, "2026-03-02 11:00:00");
        std::vector<std::unique_ptr<TParamData>> packets;
        for (int c = 0; c < Clients; ++c)
            packets.push_back(copyOf(*sent));
        std::vector<std::string> answers(Clients);
        std::vector<std::thread> threads;
        for (int c = 0; c < Clients; ++c)
            threads.emplace_back([&, c] {
                answers[c] = errorOf([&] {
                    if (clients[c]->call(app::Insert, app::insert::MasterDetail, *packets[c]))
                        answers[c] = codeOf(*packets[c]);
                });
                if (answers[c] == "(no error)") answers[c] = codeOf(*packets[c]);
            });
        for (auto& t : threads)
            t.join();
        for (int c = 0; c < Clients; ++c)
            EXPECT_EQ(answers[c], answers[0]) << "client " << c;
        EXPECT_EQ(answers[0].substr(0, 2), "XD");
        EXPECT_EQ(count(*db, "SELECT COUNT(*) FROM \"TSaleOrderList\" WHERE \"ParentID\" = ?",
                        {Value(objId)}),
                  2);
    }
}

TEST_P(Hardening, RetryOfANewUserDoesNotDependOnThePassword)
{
    auto user = [&](const std::string& objId, const std::string& password) {
        auto rows = admin->blank("TUser");
        rows->Append();
        setText(*rows, "ObjID", objId);
        setText(*rows, "Code", "retried");
        setText(*rows, "Name", "重试");
        setText(*rows, "TOrganID", id("TOrgan", "LS"));
        rows->Post();
        LoginPacket login("LS", "retried", password);
        TClientDataSet record;
        record.SetData(login.GetParamData("MLogin"));
        rows->Edit();
        rows->FieldByName("PassWord").SetAsString(record.FieldByName("PassWord").AsString());
        rows->Post();
        return packetOf({{"TMaster", rows.get()}});
    };
    const std::string objId = Guid::create().toString();
    auto first = user(objId, "first-secret");
    ASSERT_TRUE(admin->call(app::Insert, app::insert::Single, *first));
    // The log keeps nothing a password could be guessed from: another password is the same
    // save, answered as the first, and the first password stays.
    auto again = user(objId, "other-secret");
    ASSERT_TRUE(admin->call(app::Insert, app::insert::Single, *again));
    EXPECT_NO_THROW(WriteClient(server->url(), "LS", "retried", "first-secret"));
}

TEST_P(Hardening, ARefusedObjIdTellsNothingOfAnotherCompany)
{
    auto other = secondCompany();
    const std::string otherStore =
        scalar(*db, "SELECT \"ObjID\" FROM \"TOrgan\" WHERE \"Code\" = 'ACME'");
    auto warehouse = [&](WriteClient& client, const std::string& objId,
                         const std::string& code = "CK77") {
        auto rows = client.blank("TWarehouse");
        rows->Append();
        setText(*rows, "ObjID", objId);
        setText(*rows, "TOrganID", &client == admin.get() ? id("TOrgan", "DEMO") : otherStore);
        setText(*rows, "Code", code);
        setText(*rows, "Name", "暗仓");
        rows->Post();
        return packetOf({{"TMaster", rows.get()}});
    };
    const std::string saved = Guid::create().toString();
    auto mine = warehouse(*admin, saved);
    ASSERT_TRUE(admin->call(app::Insert, app::insert::Single, *mine));
    auto unusable = [](const std::string& objId) {
        return "ObjID“" + objId + "”不能用于新记录，请新建后重新录入。";
    };
    const std::string seeded = id("TWarehouse", "CK01");
    // The other company learns neither that the demo saved the row nor that the seeded one is
    // there: its answer is the one an id no row holds (the empty GUID) gets. The demo, which
    // reads its rows, is told they exist.
    const struct {
        WriteClient* client;
        std::string objId;
        std::string answer;
    } cases[] = {
        {nullptr, saved, unusable(saved)},
        {nullptr, seeded, unusable(seeded)},
        {nullptr, std::string(EmptyGuidText), unusable(std::string(EmptyGuidText))},
        {admin.get(), seeded, "记录已经存在，不能重复新增（ObjID " + seeded + "）。"},
    };
    for (const auto& c : cases) {
        WriteClient& client = c.client ? *c.client : *other;
        auto packet = warehouse(client, c.objId, c.client ? "CK78" : "CK77");
        EXPECT_EQ(errorOf([&] { client.call(app::Insert, app::insert::Single, *packet); }),
                  c.answer);
    }
    EXPECT_EQ(count(*db, "SELECT COUNT(*) FROM \"TWarehouse\" WHERE \"Code\" = 'CK77'"), 1);
}

TEST_P(Hardening, LinesOfAnotherCompanysDocumentsAreOutOfReach)
{
    auto other = secondCompany();
    // A sale order of each company still open to changes, and one of the demo's lines.
    auto openOrder = [&](const std::string& owner) {
        return scalar(*db,
                      "SELECT d.\"ObjID\" FROM \"TSaleOrder\" d WHERE d.\"TOwnerID\" = ? AND "
                      "d.\"StatusTSaleOrderID\" = ? AND d.\"StatusID\" = ? AND EXISTS (SELECT "
                      "1 FROM \"TSaleOrderList\" l WHERE l.\"ParentID\" = d.\"ObjID\") "
                      "ORDER BY d.\"ObjID\"",
                      {Value(owner), Value(id("TOtherParam", "StatusTSaleOrderID_New")),
                       Value(std::string(schema::ids::StatusValid))});
    };
    const std::string demoOrder = openOrder(admin->ownerId);
    const std::string acmeOrder = openOrder(other->ownerId);
    ASSERT_FALSE(demoOrder.empty());
    ASSERT_FALSE(acmeOrder.empty());
    const std::string demoLine =
        scalar(*db, "SELECT \"ObjID\" FROM \"TSaleOrderList\" WHERE \"ParentID\" = ? ORDER BY 1",
               {Value(demoOrder)});
    const std::string acmeProduct =
        scalar(*db, "SELECT \"TProductID\" FROM \"TSaleOrderList\" WHERE \"ParentID\" = ?",
               {Value(acmeOrder)});
    auto demoLineState = [&] {
        return scalar(*db,
                      "SELECT \"ParentID\" || '/' || \"Quantity\" FROM \"TSaleOrderList\" "
                      "WHERE \"ObjID\" = ?",
                      {Value(demoLine)});
    };
    const std::string before = demoLineState();
    ASSERT_FALSE(before.empty());

    // The other company changes its own order, naming the demo's order or line in its lines.
    auto change = [&](const char* set, const std::string& line, const std::string& parent) {
        auto master = other->rows("TSaleOrder", "TSaleOrder.ObjID = '" + acmeOrder + "'");
        auto lines = other->blank("TSaleOrderList");
        lines->Append();
        setText(*lines, "ObjID", line);
        setText(*lines, "ParentID", parent);
        setText(*lines, "TProductID", acmeProduct);
        setText(*lines, "Quantity", "99");
        setText(*lines, "UnitPrice", "1");
        lines->Post();
        auto packet = packetOf({{"TMaster", master.get()}, {set, lines.get()}});
        return errorOf([&] { other->call(app::Update, app::update::MasterDetail, *packet); });
    };
    const std::string unknown = Guid::create().toString();
    // A line of the demo is answered as a line no one stored.
    EXPECT_EQ(change("TDetailUpdate", demoLine, acmeOrder),
              change("TDetailUpdate", unknown, acmeOrder));
    EXPECT_EQ(change("TDetailDelete", demoLine, acmeOrder), "(no error)");
    EXPECT_EQ(change("TDetailInsert", demoLine, acmeOrder),
              "ObjID“" + demoLine + "”不能用于新记录，请新建后重新录入。");
    // A new line joins only the document the call changes, never the demo's.
    EXPECT_EQ(change("TDetailInsert", Guid::create().toString(), demoOrder),
              "新增的明细不属于本单据，不能保存。");
    EXPECT_EQ(demoLineState(), before);
    EXPECT_EQ(count(*db, "SELECT COUNT(*) FROM \"TSaleOrderList\" WHERE \"Quantity\" = 99"), 0);
}

TEST_P(Hardening, AnOrganisationCodeThatLogsInIsOneInTheWholeDatabase)
{
    auto other = secondCompany();
    auto organ = [&](const std::string& code) {
        auto rows = other->blank("TOrgan");
        rows->Append();
        setText(*rows, "ObjID", Guid::create().toString());
        setText(*rows, "Code", code);
        setText(*rows, "Name", "冒名公司");
        rows->Post();
        return packetOf({{"TMaster", rows.get()}});
    };
    // The other company names an organisation after the demo's head office, or after one of
    // its own (the same refusal: it learns nothing of whose the code is).
    auto taken = organ("DEMO");
    const std::string refusal =
        errorOf([&] { other->call(app::Insert, app::insert::Single, *taken); });
    EXPECT_NE(refusal.find("的记录已经存在"), std::string::npos) << refusal;
    auto own = organ("ACME-LS");
    EXPECT_EQ(errorOf([&] { other->call(app::Insert, app::insert::Single, *own); }),
              "“机构代码”为“ACME-LS”的记录已经存在，不能重复保存。");
    EXPECT_EQ(refusal, "“机构代码”为“DEMO”的记录已经存在，不能重复保存。");
    EXPECT_EQ(count(*db, "SELECT COUNT(*) FROM \"TOrgan\" WHERE \"Code\" = 'DEMO'"), 1);
    EXPECT_NO_THROW(WriteClient(server->url(), "DEMO", "admin", "admin"));
}

TEST_P(Hardening, UniqueKeysAreHeldByAnIndexPerCompany)
{
    // The second company keeps its own CK01: the key is one per company, not per database.
    auto other = secondCompany();
    EXPECT_EQ(other->rows("TWarehouse", "TWarehouse.Code = 'CK01'")->RecordCount(), 1);
    auto repeatCk01 = [&] {
        return errorOf([&] {
            auto tx = db->begin(storage::TransactionMode::Write);
            tx->execute(
                "INSERT INTO \"TWarehouse\" (\"TWarehouse\", \"ObjID\", \"Code\", "
                "\"Name\", \"TOrganID\", \"TOwnerID\") SELECT \"TWarehouse\", ?, "
                "'CK01', 'dup', \"TOrganID\", \"TOwnerID\" FROM \"TWarehouse\" WHERE "
                "\"Code\" = 'CK01' AND \"TOwnerID\" = ?",
                std::vector<Value>{Value(Guid::create().toString()), Value(admin->ownerId)});
            tx->commit();
        });
    };
    const char* index = "UX_TWarehouse_TOwnerID_Code";
    // Whatever slips past the checks of a save (another program writing the database), the
    // database itself refuses.
    EXPECT_NE(repeatCk01(), "(no error)");

    // A database of an earlier version, without the index: the server makes it when it
    // starts, unless stored rows repeat the key, which it reports and then serves as before.
    {
        auto tx = db->begin(storage::TransactionMode::Write);
        tx->executeScript(std::string("DROP INDEX \"") + index + "\"");
        tx->commit();
    }
    ASSERT_EQ(repeatCk01(), "(no error)");
    {
        ServerProcess repeated(url);
        EXPECT_NO_THROW(WriteClient(repeated.url()).rows("TWarehouse", ""));
        EXPECT_NE(repeated.log().find(index), std::string::npos) << repeated.log();
    }
    {
        auto tx = db->begin(storage::TransactionMode::Write);
        tx->execute("DELETE FROM \"TWarehouse\" WHERE \"Name\" = 'dup'");
        tx->commit();
    }
    ServerProcess mended(url);
    EXPECT_NE(repeatCk01(), "(no error)");
    EXPECT_EQ(count(*db, "SELECT COUNT(*) FROM \"TWarehouse\" WHERE \"Code\" = 'CK01'"), 2);
}

TEST_P(Hardening, SharedTablesAreWrittenOnlyByTheInstallationsCompany)
{
    auto other = secondCompany();
    for (WriteClient* client : {other.get(), admin.get()}) {
        auto help = client->rows("THelp", "");
        ASSERT_GT(help->RecordCount(), 0);
        help->First();
        help->Edit();
        help->FieldByName("Name").SetAsString(client == admin.get() ? "DEMO" : "ACME");
        help->Post();
        while (help->RecordCount() > 1) {
            help->Last();
            help->Delete();
        }
        auto packet = packetOf({{"TMaster", help.get()}});
        const std::string answer =
            errorOf([&] { client->call(app::Update, app::update::Single, *packet); });
        if (client == admin.get())
            EXPECT_EQ(answer, "(no error)");
        else
            EXPECT_NE(answer.find("由所有机构共用"), std::string::npos) << answer;
    }
    EXPECT_EQ(count(*db, "SELECT COUNT(*) FROM \"THelp\" WHERE \"Name\" = 'ACME'"), 0);
    EXPECT_EQ(count(*db, "SELECT COUNT(*) FROM \"THelp\" WHERE \"Name\" = 'DEMO'"), 1);
}

TEST_P(Hardening, PasswordsOfUsersWithMoreRightsStayTheirs)
{
    // A user who may change users (and nothing else) is made, given a password, and logs in.
    auto user = admin->blank("TUser");
    const std::string hr = Guid::create().toString();
    user->Append();
    setText(*user, "ObjID", hr);
    setText(*user, "Code", "hr");
    setText(*user, "Name", "人事");
    setText(*user, "TOrganID", id("TOrgan", "DEMO"));
    user->Post();
    auto created = packetOf({{"TMaster", user.get()}});
    ASSERT_TRUE(admin->call(app::Insert, app::insert::Single, *created));
    auto grant = admin->blank("TUserModule");
    grant->Append();
    setText(*grant, "ObjID", Guid::create().toString());
    setText(*grant, "TUserID", hr);
    setText(*grant, "TModuleID",
            scalar(*db, "SELECT \"ObjID\" FROM \"TModule\" WHERE \"Name\" = '修改用户'"));
    grant->Post();
    auto granting = packetOf({{"TMasterInsert", grant.get()}});
    ASSERT_TRUE(admin->call(app::Update, app::update::MasterDetail, *granting));
    WriteClient hrClient(server->url(), "DEMO", "hr", "");

    auto withPassword = [&](const std::string& code, const std::string& organ,
                            const std::string& password) {
        auto rows = hrClient.rows("TUser", "TUser.Code = '" + code + "'");
        rows->First();
        LoginPacket login(organ, code, password);
        TClientDataSet record;
        record.SetData(login.GetParamData("MLogin"));
        rows->Edit();
        rows->FieldByName("PassWord").SetAsString(record.FieldByName("PassWord").AsString());
        rows->Post();
        return packetOf({{"TMaster", rows.get()}});
    };
    auto adminsPassword = withPassword("admin", "DEMO", "taken-over");
    EXPECT_NE(errorOf([&] {
                  hrClient.call(app::Update, app::update::Single, *adminsPassword);
              }).find("您不能修改权限比您多的用户的密码"),
              std::string::npos);
    EXPECT_NO_THROW(WriteClient(server->url(), "DEMO", "admin", "admin"));
    // The user's own password is its own to change.
    auto own = withPassword("hr", "DEMO", "mine");
    EXPECT_TRUE(hrClient.call(app::Update, app::update::Single, *own));
    EXPECT_NO_THROW(WriteClient(server->url(), "DEMO", "hr", "mine"));
}

TEST_P(Hardening, AChangedPasswordEndsTheUsersOtherSessionsAtOnce)
{
    WriteClient clerk(server->url(), "LS", "clerk", "clerk");
    ASSERT_NO_THROW(clerk.rows("TWarehouse", ""));
    auto rows = admin->rows("TUser", "TUser.Code = 'clerk'");
    rows->First();
    LoginPacket login("LS", "clerk", "changed");
    TClientDataSet record;
    record.SetData(login.GetParamData("MLogin"));
    rows->Edit();
    rows->FieldByName("PassWord").SetAsString(record.FieldByName("PassWord").AsString());
    rows->Post();
    auto packet = packetOf({{"TMaster", rows.get()}});
    ASSERT_TRUE(admin->call(app::Update, app::update::Single, *packet));
    EXPECT_NE(errorOf([&] { clerk.rows("TWarehouse", ""); }), "(no error)");
    EXPECT_NO_THROW(WriteClient(server->url(), "LS", "clerk", "changed"));
    // The admin who changed it keeps working.
    EXPECT_NO_THROW(admin->rows("TWarehouse", ""));
}

TEST_P(Hardening, ValuesBeyondTheirColumnsPrecisionAreRefused)
{
    for (const auto& [discount, stored] : std::vector<std::pair<std::string, bool>>{
             {"12345.67", false}, {"9999.99", true}, {"-10000", false}}) {
        auto master = admin->blank("TSaleOrder");
        master->Append();
        setText(*master, "ObjID", Guid::create().toString());
        setText(*master, "HappenDate", "2026-03-02");
        setText(*master, "TOrganID", id("TOrgan", "KH001"));
        setText(*master, "TWarehouseID", id("TWarehouse", "CK01"));
        setText(*master, "TSaleTypeID",
                scalar(*db, "SELECT \"ObjID\" FROM \"TOtherParam\" WHERE \"Type\" = "
                            "'TSaleTypeID' AND \"Code\" = 'WHOLESALE'"));
        setText(*master, "SaleDiscount", discount);
        master->Post();
        auto packet = packetOf({{"TMaster", master.get()}});
        const std::string answer =
            errorOf([&] { admin->call(app::Insert, app::insert::MasterDetail, *packet); });
        if (stored)
            EXPECT_EQ(answer, "(no error)") << discount;
        else
            EXPECT_NE(answer.find("超出范围"), std::string::npos) << discount << ": " << answer;
    }
}

TEST_P(Hardening, ALineChangeWithoutSizesKeepsItsSizeRows)
{
    const std::string line = scalar(*db,
                                    "SELECT l.\"ObjID\" FROM \"TStockOutList\" l JOIN "
                                    "\"TStockOut\" d ON d.\"ObjID\" = l.\"ParentID\" WHERE "
                                    "d.\"StatusTStockOutID\" = ? AND d.\"StatusID\" = ? AND "
                                    "EXISTS (SELECT 1 FROM \"TStockOutListSize\" s WHERE "
                                    "s.\"ParentID\" = l.\"ObjID\") ORDER BY l.\"ObjID\"",
                                    {Value(id("TOtherParam", "StatusTStockOutID_New")),
                                     Value(std::string(schema::ids::StatusValid))});
    ASSERT_FALSE(line.empty());
    const std::string document = scalar(
        *db, "SELECT \"ParentID\" FROM \"TStockOutList\" WHERE \"ObjID\" = ?", {Value(line)});
    auto sizes = [&] {
        return count(*db, "SELECT COUNT(*) FROM \"TStockOutListSize\" WHERE \"ParentID\" = ?",
                     {Value(line)});
    };
    const int64_t before = sizes();
    auto master = admin->rows("TStockOut", "TStockOut.ObjID = '" + document + "'");
    // The line as a form sends it when only its price changed: no size fields at all.
    TClientDataSet changed;
    changed.FieldDefs().Add("TStockOutList", FieldType::String, 38);
    changed.FieldDefs().Add("ObjID", FieldType::String, 38);
    changed.FieldDefs().Add("ParentID", FieldType::String, 38);
    changed.FieldDefs().Add("TProductID", FieldType::String, 38);
    changed.FieldDefs().Add("UnitPrice", FieldType::String, 20);
    changed.CreateDataSet();
    changed.Append();
    setText(changed, "ObjID", line);
    setText(changed, "ParentID", document);
    setText(changed, "TProductID",
            scalar(*db, "SELECT \"TProductID\" FROM \"TStockOutList\" WHERE \"ObjID\" = ?",
                   {Value(line)}));
    setText(changed, "UnitPrice", "77");
    changed.Post();
    auto packet = packetOf({{"TMaster", master.get()}, {"TDetailUpdate", &changed}});
    ASSERT_TRUE(admin->call(app::Update, app::update::MasterDetail, *packet));
    EXPECT_EQ(sizes(), before);
    EXPECT_GT(before, 0);
}

TEST_P(Hardening, WriteCallsAreBoundedInRowsAndPasswords)
{
    auto materials = admin->blank("TMaterial");
    for (std::size_t n = 0; n <= 10000; ++n) {
        materials->Append();
        setText(*materials, "ObjID", Guid::create().toString());
        setText(*materials, "Name", "料" + std::to_string(n));
        materials->Post();
    }
    auto many = packetOf({{"TMaster", materials.get()}});
    EXPECT_NE(errorOf([&] {
                  admin->call(app::Insert, app::insert::Single, *many);
              }).find("一次最多保存10000行数据"),
              std::string::npos);

    auto users = admin->blank("TUser");
    for (int n = 0; n < 21; ++n) {
        users->Append();
        setText(*users, "ObjID", Guid::create().toString());
        setText(*users, "Code", "u" + std::to_string(n));
        setText(*users, "Name", "用户" + std::to_string(n));
        setText(*users, "TOrganID", id("TOrgan", "LS"));
        setText(*users, "PassWord", "p" + std::to_string(n));
        users->Post();
    }
    auto passwords = packetOf({{"TMaster", users.get()}});
    EXPECT_NE(errorOf([&] {
                  admin->call(app::Insert, app::insert::Single, *passwords);
              }).find("一次最多设置20个用户的密码"),
              std::string::npos);
    EXPECT_EQ(count(*db, "SELECT COUNT(*) FROM \"TUser\" WHERE \"Code\" = 'u0'"), 0);
}

TEST_P(Hardening, AWriteCallPastItsTimeKeepsNothing)
{
    ServerProcess bounded(url, {"--write-timeout", "1"});
    WriteClient client(bounded.url());
    const std::string objId = Guid::create().toString();
    auto warehouse = [&] {
        auto rows = client.blank("TWarehouse");
        rows->Append();
        setText(*rows, "ObjID", objId);
        setText(*rows, "TOrganID", id("TOrgan", "DEMO"));
        setText(*rows, "Code", "CK91");
        setText(*rows, "Name", "慢仓");
        rows->Post();
        return packetOf({{"TMaster", rows.get()}});
    };
    {
        // Another writer holds what the call waits for past the call's time: on SQLite the
        // database's one writer, on PostgreSQL the record of this ObjID's save.
        auto holder = db->begin(storage::TransactionMode::Write);
        holder->execute(
            "INSERT INTO \"TSaveLog\" (\"OwnerID\", \"ObjID\", \"TableName\", "
            "\"Digest\", \"Saved\") VALUES (?, ?, 'TWarehouse', '-', 0)",
            std::vector<Value>{Value(gbk::upper(client.ownerId)), Value(gbk::upper(objId))});
        auto sent = warehouse();
        EXPECT_EQ(errorOf([&] { client.call(app::Insert, app::insert::Single, *sent); }),
                  "操作超过1秒仍未完成，已被中止，所做的修改都没有保存，请分批处理后重试。");
    }
    EXPECT_EQ(count(*db, "SELECT COUNT(*) FROM \"TWarehouse\" WHERE \"Code\" = 'CK91'"), 0);
    // Nothing of it was kept, not even the claim of its ObjID: sent again, it is saved.
    auto again = warehouse();
    EXPECT_TRUE(client.call(app::Insert, app::insert::Single, *again));
    EXPECT_EQ(count(*db, "SELECT COUNT(*) FROM \"TWarehouse\" WHERE \"Code\" = 'CK91'"), 1);
}

TEST_P(Hardening, LineTablesAreNotSavedOnTheirOwn)
{
    auto line = admin->blank("TSaleOrderList");
    line->Append();
    setText(*line, "ObjID", Guid::create().toString());
    setText(*line, "ParentID", Guid::create().toString());
    setText(*line, "TProductID", id("TProduct", "NZ-2501"));
    setText(*line, "Quantity", "1");
    line->Post();
    auto packet = packetOf({{"TMaster", line.get()}});
    EXPECT_NE(errorOf([&] {
                  admin->call(app::Insert, app::insert::Single, *packet);
              }).find("不能单独保存"),
              std::string::npos);
}

TEST_P(Hardening, APacketOwnerWidensAReadOnlyForAHeldPartnerSideModule)
{
    // A user holding the receivables (not the payables, the partner-side module on accounts).
    const std::string clerk =
        scalar(*db, "SELECT \"ObjID\" FROM \"TUser\" WHERE \"Code\" = 'clerk'");
    auto grant = admin->blank("TUserModule");
    grant->Append();
    setText(*grant, "ObjID", Guid::create().toString());
    setText(*grant, "TUserID", clerk);
    setText(*grant, "TModuleID",
            scalar(*db, "SELECT \"ObjID\" FROM \"TModule\" WHERE \"Name\" = '当月应收款'"));
    grant->Post();
    auto granting = packetOf({{"TMasterInsert", grant.get()}});
    ASSERT_TRUE(admin->call(app::Update, app::update::MasterDetail, *granting));
    WriteClient receivables(server->url(), "LS", "clerk", "clerk");
    const std::string supplier = id("TOrgan", "GY001");
    auto ownersOf = [&](WriteClient& client) {
        auto rows = client.rows("TAccount", "", supplier);
        std::set<std::string> owners;
        for (rows->First(); !rows->Eof(); rows->Next())
            owners.insert(textOf(*rows, "TOwnerID"));
        return owners;
    };
    // The admin holds the payables: the supplier's entries of the company come along.
    EXPECT_TRUE(ownersOf(*admin).count(supplier));
    EXPECT_EQ(ownersOf(receivables), std::set<std::string>{admin->ownerId});
}

TEST_P(Hardening, AGrantAndARevokeOfAModuleHoldForTheVeryNextRead)
{
    // The buyer holds no module on the daily reports; a session reads them after a grant and
    // is refused again after the revoke, without logging in anew.
    WriteClient buyer(server->url(), "DEMO", "buyer", "buyer");
    const std::string refused = "您没有查看[出库单]的权限，请与系统管理员联系！";
    auto readReports = [&] { return errorOf([&] { buyer.rows("TStockOut", ""); }); };
    ASSERT_EQ(readReports(), refused);

    auto grant = admin->blank("TUserModule");
    grant->Append();
    setText(*grant, "ObjID", Guid::create().toString());
    setText(*grant, "TUserID", buyer.userId);
    setText(*grant, "TModuleID",
            scalar(*db, "SELECT \"ObjID\" FROM \"TModule\" WHERE \"TMasterName\" = "
                        "'TStockOut' AND \"IsGroup\" = 0 ORDER BY \"ObjID\" LIMIT 1"));
    grant->Post();
    auto granting = packetOf({{"TMasterInsert", grant.get()}});
    ASSERT_TRUE(admin->call(app::Update, app::update::MasterDetail, *granting));
    EXPECT_EQ(readReports(), "(no error)");

    auto revoking = packetOf({{"TMasterDelete", grant.get()}});
    ASSERT_TRUE(admin->call(app::Update, app::update::MasterDetail, *revoking));
    EXPECT_EQ(readReports(), refused);
}

TEST_P(Hardening, AStorageFailureBeforeTheLoginAnswersOnlyANumber)
{
    // A second server never saw the session, so it asks the table, which is gone.
    ServerProcess second(url);
    remote::TIntellegentWebconn conn("Probe");
    conn.setURL(server->url());
    LoginPacket login("DEMO", "admin", "admin");
    ASSERT_TRUE(remote::CallServer(conn, app::Login, app::login::Login, login));
    {
        auto tx = db->begin(storage::TransactionMode::Write);
        tx->executeScript("DROP TABLE \"TSession\"");
        tx->commit();
    }
    conn.setURL(second.url());
    TParamData packet(paramkind::Data);
    const std::string answer =
        errorOf([&] { remote::CallServer(conn, app::Query, app::query::SingleTable, packet); });
    EXPECT_NE(answer.find("日志编号"), std::string::npos) << answer;
    EXPECT_EQ(answer.find("TSession"), std::string::npos) << answer;
}

TEST_P(Hardening, ASessionEndsAtItsLifetimeAndTheLogShowsNoForgedLines)
{
    WriteClient old(server->url());
    // Logged in a day and more ago, used a moment ago: the idle time alone would keep it.
    {
        auto tx = db->begin(storage::TransactionMode::Write);
        tx->execute("UPDATE \"TSession\" SET \"Created\" = \"Created\" - 90000");
        tx->commit();
    }
    EXPECT_NE(errorOf([&] { old.rows("TWarehouse", ""); }).find("登录已失效"), std::string::npos);
    EXPECT_NO_THROW(WriteClient(server->url()).rows("TWarehouse", ""));

    remote::TIntellegentWebconn conn("Probe");
    conn.setURL(server->url());
    LoginPacket forged("DEMO", "x\nTLogin Login user=admin 1ms true", "guess");
    EXPECT_FALSE(remote::CallServer(conn, app::Login, app::login::Login, forged));
    EXPECT_EQ(server->log().find("\nTLogin Login user=admin"), std::string::npos) << server->log();
}

INSTANTIATE_TEST_SUITE_P(Backends, Hardening, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) {
                             return info.param == Backend::Sqlite ? "Sqlite" : "Postgres";
                         });

} // namespace
} // namespace corvo::server::test
