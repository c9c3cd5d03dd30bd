// The insert server through the real server: documents and rows stored as the server decides
// them (owner, author, date, code, first status), their lines and size rows, retried saves
// stored once, and the refusals a user can mend.
#include "DemoWriteTest.h"
#include "entity/Gbk.h"
#include "entity/Guid.h"
#include "remote/AppServers.h"
#include "server/schema/SystemIds.h"

#include <algorithm>
#include <ctime>
#include <functional>
#include <gtest/gtest.h>

namespace corvo::server::test {
namespace {

namespace app = remote::appserver;
using storage::Value;

std::string thisMonth()
{
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char text[16];
    std::strftime(text, sizeof text, "%Y%m", &tm);
    return text;
}

std::string today()
{
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &tm);
    return text;
}

class InsertService : public DemoWriteTest {
protected:
    std::string saleType(const std::string& code)
    {
        return scalar(*db,
                      "SELECT \"ObjID\" FROM \"TOtherParam\" WHERE \"Type\" = 'TSaleTypeID' "
                      "AND \"Code\" = ?",
                      {Value(code)});
    }

    /// A sale order of one customer with two lines, as the master/detail entry sends it.
    void saleOrder(TClientDataSet& master, TClientDataSet& lines, const std::string& objId)
    {
        master.Append();
        setText(master, "ObjID", objId);
        setText(master, "HappenDate", today());
        setText(master, "TOrganID", id("TOrgan", "KH001"));
        setText(master, "TWarehouseID", id("TWarehouse", "CK01"));
        setText(master, "TSaleTypeID", saleType("WHOLESALE"));
        setText(master, "TotalQuantity", "5");
        setText(master, "Remark", "测试订单");
        // What the server decides, sent wrong on purpose.
        setText(master, "Code", "MINE-1");
        setText(master, "CreateDate", "2001-01-01");
        setText(master, "TUserID", Guid::create().toString());
        master.Post();
        for (const char* product : {"NZ-2501", "CS-2501"}) {
            lines.Append();
            setText(lines, "ObjID", Guid::create().toString());
            setText(lines, "ParentID", objId);
            setText(lines, "TProductID", id("TProduct", product));
            setText(lines, "Quantity", "2");
            setText(lines, "UnitPrice", "99.5");
            setText(lines, "SubTotal", "199");
            lines.Post();
        }
    }
};

TEST_P(InsertService, MasterDetailDocumentIsStoredAsTheServerDecidesAndRetriesStoreNothing)
{
    const std::string seededHighest =
        scalar(*db, "SELECT MAX(\"Code\") FROM \"TSaleOrder\" WHERE \"Code\" LIKE ?",
               {Value("XD" + thisMonth() + "-%")});
    auto master = admin->blank("TSaleOrder");
    auto lines = admin->blank("TSaleOrderList");
    const std::string objId = Guid::create().toString();
    saleOrder(*master, *lines, objId);
    auto packet = packetOf({{"TMaster", master.get()}, {"TDetailInsert", lines.get()}});
    auto retry = copyOf(*packet);
    ASSERT_TRUE(admin->call(app::Insert, app::insert::MasterDetail, *packet));

    TClientDataSet reply;
    reply.SetData(packet->GetParamData("TMaster"));
    ASSERT_EQ(reply.RecordCount(), 1);
    const std::string code = textOf(reply, "Code");
    EXPECT_EQ(code.substr(0, 9), "XD" + thisMonth() + "-");
    EXPECT_GT(code, seededHighest.empty() ? "XD" + thisMonth() + "-0000" : seededHighest);
    EXPECT_EQ(textOf(reply, "TOrganName"), "上海东方百货有限公司");
    EXPECT_EQ(textOf(reply, "TUserID"), admin->userId);
    EXPECT_EQ(textOf(reply, "TOwnerID"), admin->ownerId);
    EXPECT_EQ(textOf(reply, "CreateDate").substr(0, 10), today());
    EXPECT_EQ(textOf(reply, "StatusTSaleOrderID"), id("TOtherParam", "StatusTSaleOrderID_New"));
    EXPECT_EQ(textOf(reply, "StatusID"), std::string(schema::ids::StatusValid));
    EXPECT_EQ(count(*db, "SELECT COUNT(*) FROM \"TSaleOrderList\" WHERE \"ParentID\" = ?",
                    {Value(objId)}),
              2);

    // The reply was lost: the same packet again answers the same and stores nothing.
    ASSERT_TRUE(admin->call(app::Insert, app::insert::MasterDetail, *retry));
    TClientDataSet again;
    again.SetData(retry->GetParamData("TMaster"));
    EXPECT_EQ(textOf(again, "Code"), code);
    EXPECT_EQ(count(*db, "SELECT COUNT(*) FROM \"TSaleOrder\" WHERE \"ObjID\" = ?", {Value(objId)}),
              1);
    EXPECT_EQ(count(*db, "SELECT COUNT(*) FROM \"TSaleOrderList\" WHERE \"ParentID\" = ?",
                    {Value(objId)}),
              2);

    // The same ObjID with other content is no retry.
    master->First();
    setText(*master, "Remark", "另一张");
    auto other = packetOf({{"TMaster", master.get()}, {"TDetailInsert", lines.get()}});
    EXPECT_NE(errorOf([&] {
                  admin->call(app::Insert, app::insert::MasterDetail, *other);
              }).find("已经保存过"),
              std::string::npos);

    // The next document takes the next code.
    auto master2 = admin->blank("TSaleOrder");
    auto lines2 = admin->blank("TSaleOrderList");
    saleOrder(*master2, *lines2, Guid::create().toString());
    auto second = packetOf({{"TMaster", master2.get()}, {"TDetailInsert", lines2.get()}});
    ASSERT_TRUE(admin->call(app::Insert, app::insert::MasterDetail, *second));
    TClientDataSet secondReply;
    secondReply.SetData(second->GetParamData("TMaster"));
    EXPECT_EQ(std::stoi(textOf(secondReply, "Code").substr(9)), std::stoi(code.substr(9)) + 1);
}

TEST_P(InsertService, SizeDocumentsGetSizeRowsAndTheDailyReportCodeOfTheirStore)
{
    auto master = admin->blank("TStockOut");
    auto lines = admin->blank("TStockOutList");
    std::vector<std::string> ids;
    for (int n = 0; n < 2; ++n) {
        master->EmptyDataSet();
        lines->EmptyDataSet();
        const std::string objId = Guid::create().toString();
        ids.push_back(objId);
        master->Append();
        setText(*master, "ObjID", objId);
        setText(*master, "HappenDate", today());
        setText(*master, "TStockOutTypeID", id("TOtherParam", "DAILY"));
        setText(*master, "TOrganID", id("TOrgan", "LS"));
        setText(*master, "TWarehouseID", id("TWarehouse", "CK03"));
        setText(*master, "TEmployeeID", id("TEmployee", "YG003"));
        setText(*master, "TSaleTypeID", saleType("RETAIL"));
        master->Post();
        lines->Append();
        setText(*lines, "ObjID", Guid::create().toString());
        setText(*lines, "ParentID", objId);
        setText(*lines, "TProductID", id("TProduct", "NZ-2501"));
        setText(*lines, "Size2", "1");
        setText(*lines, "Size4", "2");
        setText(*lines, "Quantity", "3");
        setText(*lines, "UnitPrice", "10");
        lines->Post();
        auto packet = packetOf({{"TMaster", master.get()}, {"TDetailInsert", lines.get()}});
        ASSERT_TRUE(admin->call(app::Insert, app::insert::MasterDetail, *packet));
    }
    std::string day = today();
    day.erase(std::remove(day.begin(), day.end(), '-'), day.end());
    EXPECT_EQ(
        scalar(*db, "SELECT \"Code\" FROM \"TStockOut\" WHERE \"ObjID\" = ?", {Value(ids[0])}),
        "RB" + day + "-HH");
    EXPECT_EQ(
        scalar(*db, "SELECT \"Code\" FROM \"TStockOut\" WHERE \"ObjID\" = ?", {Value(ids[1])}),
        "RB" + day + "-HH-2");
    const std::string sizes =
        "SELECT s.\"SizeNo\", s.\"SizeName\", s.\"Quantity\" FROM \"TStockOutListSize\" s JOIN "
        "\"TStockOutList\" l ON l.\"ObjID\" = s.\"ParentID\" WHERE l.\"ParentID\" = ? ORDER BY "
        "s.\"SizeNo\"";
    auto tx = db->begin(storage::TransactionMode::Read);
    const storage::Rows rows = tx->query(sizes, std::vector<Value>{Value(ids[0])});
    ASSERT_EQ(rows.rows.size(), 2u);
    EXPECT_EQ(rows.rows[0][0].toText(), "2");
    EXPECT_EQ(rows.rows[0][1].toText(), "M"); // 女装: S M L XL XXL
    EXPECT_EQ(rows.rows[1][0].toText(), "4");
    EXPECT_EQ(rows.rows[1][1].toText(), "XL");
    EXPECT_EQ(rows.rows[1][2].toText(), "2");
}

TEST_P(InsertService, SingleAndBatchRowsAreStoredOnceWithCodesAfterTheSeededOnes)
{
    auto warehouse = admin->blank("TWarehouse");
    warehouse->Append();
    setText(*warehouse, "ObjID", Guid::create().toString());
    setText(*warehouse, "Code", "CK09");
    setText(*warehouse, "Name", "临时仓库");
    setText(*warehouse, "TOrganID", id("TOrgan", "DEMO"));
    auto single = packetOf({{"TMaster", warehouse.get()}});
    ASSERT_TRUE(admin->call(app::Insert, app::insert::Single, *single));
    EXPECT_EQ(scalar(*db, "SELECT \"TOwnerID\" FROM \"TWarehouse\" WHERE \"Code\" = 'CK09'"),
              admin->ownerId);

    auto materials = admin->blank("TMaterial");
    for (const char* name : {"胶带", "吊牌", "衣架"}) {
        materials->Append();
        setText(*materials, "ObjID", Guid::create().toString());
        setText(*materials, "Name", name);
        materials->Post();
    }
    auto batch = packetOf({{"TMaster", materials.get()}});
    auto retry = copyOf(*batch);
    ASSERT_TRUE(admin->call(app::Insert, app::insert::Single, *batch));
    ASSERT_TRUE(admin->call(app::Insert, app::insert::Single, *retry));
    EXPECT_EQ(count(*db, "SELECT COUNT(*) FROM \"TMaterial\" WHERE \"Name\" IN ('胶带', '吊牌', "
                         "'衣架')"),
              3);
    // Twelve seeded materials WL0001 ... : the new ones follow.
    const std::string seeded =
        scalar(*db, "SELECT COUNT(*) FROM \"TMaterial\" WHERE \"Name\" NOT IN ('胶带', '吊牌', "
                    "'衣架')");
    char expected[16];
    std::snprintf(expected, sizeof expected, "WL%04d", std::stoi(seeded) + 3);
    EXPECT_EQ(scalar(*db, "SELECT MAX(\"Code\") FROM \"TMaterial\""), expected);
}

TEST_P(InsertService, PartnerSideAccountIsStoredWithThePartnerAsOwner)
{
    auto account = [&](const std::string& owner) {
        auto rows = admin->blank("TAccount");
        rows->Append();
        setText(*rows, "ObjID", Guid::create().toString());
        setText(*rows, "HappenDate", today());
        // The partner-side entry exchanges the two before it sends the row.
        setText(*rows, "TOrganID", admin->ownerId);
        setText(*rows, "TOwnerID", owner);
        setText(*rows, "TAccountItemID",
                scalar(*db, "SELECT \"ObjID\" FROM \"TOtherParam\" WHERE \"Type\" = "
                            "'TAccountItemID' AND \"Code\" = 'GOODS'"));
        setText(*rows, "TotalAmount", "1200");
        rows->Post();
        return rows;
    };
    const std::string supplier = id("TOrgan", "GY001");
    auto payable = account(supplier);
    auto packet = packetOf({{"TMaster", payable.get()}});
    ASSERT_TRUE(admin->call(app::Insert, app::insert::MasterDetail, *packet));
    TClientDataSet reply;
    reply.SetData(packet->GetParamData("TMaster"));
    ASSERT_EQ(reply.RecordCount(), 1);
    EXPECT_EQ(textOf(reply, "TOwnerID"), supplier);
    EXPECT_EQ(textOf(reply, "Code").substr(0, 8), "WL" + thisMonth());

    // An owner the company does not keep as a partner is no partner side.
    auto foreign = account(Guid::create().toString());
    auto refused = packetOf({{"TMaster", foreign.get()}});
    EXPECT_NE(errorOf([&] {
                  admin->call(app::Insert, app::insert::MasterDetail, *refused);
              }).find("只能保存本机构及其往来单位的数据"),
              std::string::npos);
}

TEST_P(InsertService, NewUserLogsInWithThePasswordTheFormSent)
{
    auto user = admin->blank("TUser");
    user->Append();
    setText(*user, "ObjID", Guid::create().toString());
    setText(*user, "Code", "cashier");
    setText(*user, "Name", "收银员");
    setText(*user, "TOrganID", id("TOrgan", "LS"));
    user->Post();
    // The entry form sends the encoded password, as the login does.
    LoginPacket login("LS", "cashier", "secret");
    TClientDataSet record;
    record.SetData(login.GetParamData("MLogin"));
    user->Edit();
    user->FieldByName("PassWord").SetAsString(record.FieldByName("PassWord").AsString());
    user->Post();
    auto packet = packetOf({{"TMaster", user.get()}});
    ASSERT_TRUE(admin->call(app::Insert, app::insert::Single, *packet));
    EXPECT_EQ(scalar(*db, "SELECT \"PassWord\" FROM \"TUser\" WHERE \"Code\" = 'cashier'"), "");
    EXPECT_NO_THROW(WriteClient(server->url(), "LS", "cashier", "secret"));
    EXPECT_THROW(WriteClient(server->url(), "LS", "cashier", "wrong"), std::runtime_error);

    // Without a password typed, the new user has the empty one.
    auto second = admin->blank("TUser");
    second->Append();
    setText(*second, "ObjID", Guid::create().toString());
    setText(*second, "Code", "helper");
    setText(*second, "Name", "帮工");
    setText(*second, "TOrganID", id("TOrgan", "LS"));
    second->Post();
    auto packet2 = packetOf({{"TMaster", second.get()}});
    ASSERT_TRUE(admin->call(app::Insert, app::insert::Single, *packet2));
    EXPECT_NO_THROW(WriteClient(server->url(), "LS", "helper", ""));
}

TEST_P(InsertService, RefusedRowsStoreNothingAndSayWhatToMend)
{
    const std::string other = Guid::create().toString();
    const std::vector<std::pair<const char*, std::function<void(TClientDataSet&)>>> cases = {
        {"不能为空", [](TClientDataSet& w) { setText(w, "Name", ""); }},
        {"所选的记录不存在或不属于本机构",
         [&](TClientDataSet& w) { setText(w, "TOrganID", other); }},
        {"只能保存本机构的数据", [&](TClientDataSet& w) { setText(w, "TOwnerID", other); }},
        {"“仓库代码”为“CK01”的记录已经存在", [](TClientDataSet& w) { setText(w, "Code", "CK01"); }},
    };
    const int64_t before = count(*db, "SELECT COUNT(*) FROM \"TWarehouse\"");
    for (const auto& [message, change] : cases) {
        auto warehouse = admin->blank("TWarehouse");
        warehouse->Append();
        setText(*warehouse, "ObjID", Guid::create().toString());
        setText(*warehouse, "Code", "CK10");
        setText(*warehouse, "Name", "新仓库");
        setText(*warehouse, "TOrganID", id("TOrgan", "DEMO"));
        change(*warehouse);
        auto packet = packetOf({{"TMaster", warehouse.get()}});
        EXPECT_NE(
            errorOf([&] { admin->call(app::Insert, app::insert::Single, *packet); }).find(message),
            std::string::npos)
            << message;
    }
    EXPECT_EQ(count(*db, "SELECT COUNT(*) FROM \"TWarehouse\""), before);

    // The clerk holds the daily report modules, not the product entry.
    WriteClient clerk(server->url(), "LS", "clerk", "clerk");
    auto product = clerk.blank("TProduct");
    product->Append();
    setText(*product, "ObjID", Guid::create().toString());
    setText(*product, "Code", "X-1");
    auto packet = packetOf({{"TMaster", product.get()}});
    EXPECT_EQ(errorOf([&] { clerk.call(app::Insert, app::insert::Single, *packet); }),
              "您没有修改[商品]的权限，请与系统管理员联系！");

    // The server's own tables are out of reach: they are in no dictionary.
    TClientDataSet session;
    session.FieldDefs().Add("TSession", FieldType::String, 38);
    session.FieldDefs().Add("Token", FieldType::String, 64);
    session.CreateDataSet();
    session.Append();
    session.Fields(1).SetAsString("x");
    session.Post();
    auto internal = packetOf({{"TMaster", &session}});
    EXPECT_NE(errorOf([&] {
                  admin->call(app::Insert, app::insert::Single, *internal);
              }).find("的表[TSession]不存在"),
              std::string::npos);

    // The status lists are the system's.
    auto status = admin->blank("TOtherParam");
    status->Append();
    setText(*status, "ObjID", Guid::create().toString());
    setText(*status, "Code", "StatusTStockOutID_Early");
    setText(*status, "Name", "草稿");
    setText(*status, "Type", "StatusTStockOutID");
    setText(*status, "DispOrder", "0");
    auto statusPacket = packetOf({{"TMaster", status.get()}});
    EXPECT_NE(errorOf([&] {
                  admin->call(app::Insert, app::insert::Single, *statusPacket);
              }).find("状态参数由系统维护"),
              std::string::npos);

    // Lines of another document table, and a document whose line names a missing product.
    auto master = admin->blank("TSaleOrder");
    auto lines = admin->blank("TSaleOrderList");
    const std::string objId = Guid::create().toString();
    saleOrder(*master, *lines, objId);
    auto wrongLines = admin->blank("TStockInList");
    wrongLines->Append();
    setText(*wrongLines, "ObjID", Guid::create().toString());
    setText(*wrongLines, "TProductID", id("TProduct", "NZ-2501"));
    auto wrong = packetOf({{"TMaster", master.get()}, {"TDetailInsert", wrongLines.get()}});
    EXPECT_NE(errorOf([&] {
                  admin->call(app::Insert, app::insert::MasterDetail, *wrong);
              }).find("不是单据[TSaleOrder]的明细表"),
              std::string::npos);
    lines->First();
    setText(*lines, "TProductID", other);
    auto missing = packetOf({{"TMaster", master.get()}, {"TDetailInsert", lines.get()}});
    EXPECT_NE(errorOf([&] {
                  admin->call(app::Insert, app::insert::MasterDetail, *missing);
              }).find("“商品”所选的记录不存在"),
              std::string::npos);
    EXPECT_EQ(count(*db, "SELECT COUNT(*) FROM \"TSaleOrder\" WHERE \"ObjID\" = ?", {Value(objId)}),
              0);
    EXPECT_EQ(count(*db, "SELECT COUNT(*) FROM \"TSaleOrderList\" WHERE \"ParentID\" = ?",
                    {Value(objId)}),
              0);
}

INSTANTIATE_TEST_SUITE_P(Backends, InsertService,
                         ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) {
                             return info.param == Backend::Sqlite ? "Sqlite" : "Postgres";
                         });

} // namespace
} // namespace corvo::server::test
