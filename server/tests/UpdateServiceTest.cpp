// The update server through the real server: whole rows replaced with what the server keeps,
// a document's line change sets touching only their lines, status changes, the rights
// editor's grants and revokes, and the refusals a user can mend.
#include "DemoWriteTest.h"
#include "entity/Gbk.h"
#include "entity/Guid.h"
#include "entity/ParamNames.h"
#include "remote/AppServers.h"
#include "server/schema/SystemIds.h"

#include <gtest/gtest.h>

namespace corvo::server::test {
namespace {

namespace app = remote::appserver;
using storage::Value;

class UpdateService : public DemoWriteTest {
protected:
    /// A document of the table whose status column holds `state` ("New", "Verified"), valid.
    std::string document(const std::string& table, const std::string& state)
    {
        return scalar(*db,
                      "SELECT \"ObjID\" FROM \"" + table + "\" WHERE \"Status" + table +
                          "ID\" = ? AND \"StatusID\" = ? ORDER BY \"Code\"",
                      {Value(id("TOtherParam", "Status" + table + "ID_" + state)),
                       Value(std::string(schema::ids::StatusValid))});
    }

    std::unique_ptr<TClientDataSet> byId(const std::string& table, const std::string& objId)
    {
        return admin->rows(table, table + ".ObjID = '" + objId + "'");
    }
};

TEST_P(UpdateService, WholeRowReplacesTheStoredOneButWhatTheServerKeeps)
{
    const std::string warehouse = id("TWarehouse", "CK02");
    auto row = byId("TWarehouse", warehouse);
    ASSERT_EQ(row->RecordCount(), 1);
    setText(*row, "Name", "南京路店新仓");
    setText(*row, "Phone", "");
    setText(*row, "TOwnerID", Guid::create().toString());
    setText(*row, "StatusID", std::string(schema::ids::StatusInvalid));
    auto packet = packetOf({{"TMaster", row.get()}});
    ASSERT_TRUE(admin->call(app::Update, app::update::Single, *packet));
    TClientDataSet reply;
    reply.SetData(packet->GetParamData("TMaster"));
    ASSERT_EQ(reply.RecordCount(), 1);
    EXPECT_EQ(textOf(reply, "Name"), "南京路店新仓");
    EXPECT_EQ(textOf(reply, "Phone"), "");
    EXPECT_EQ(textOf(reply, "TOwnerID"), admin->ownerId);
    EXPECT_EQ(textOf(reply, "StatusID"), std::string(schema::ids::StatusValid));

    // The author and the date of a document stay as stored.
    const std::string order = document("TSaleOrder", "New");
    const std::string before = "SELECT \"CreateDate\", \"TUserID\" FROM \"TSaleOrder\" WHERE "
                               "\"ObjID\" = ?";
    auto read = [&] {
        auto tx = db->begin(storage::TransactionMode::Read);
        const auto rows = tx->query(before, std::vector<Value>{Value(order)});
        return rows.rows.at(0).at(0).toText() + "|" + rows.rows.at(0).at(1).toText();
    };
    const std::string stored = read();
    auto master = byId("TSaleOrder", order);
    setText(*master, "Remark", "改过的备注");
    setText(*master, "CreateDate", "2001-01-01");
    setText(*master, "TUserID", Guid::create().toString());
    auto changed = packetOf({{"TMaster", master.get()}});
    ASSERT_TRUE(admin->call(app::Update, app::update::MasterDetail, *changed));
    EXPECT_EQ(
        scalar(*db, "SELECT \"Remark\" FROM \"TSaleOrder\" WHERE \"ObjID\" = ?", {Value(order)}),
        "改过的备注");
    EXPECT_EQ(read(), stored);
}

TEST_P(UpdateService, OtherParameterListSentBackChangesOnlyTheCompanysRows)
{
    // The editor adds a payment kind, then sends the whole list of the kind with it renamed.
    auto added = admin->blank("TOtherParam");
    const std::string addedId = Guid::create().toString();
    added->Append();
    setText(*added, "ObjID", addedId);
    setText(*added, "Code", "WECHAT");
    setText(*added, "Name", "微信");
    setText(*added, "Type", "TPaymentTypeID");
    setText(*added, "TypeName", "付款方式");
    setText(*added, "DispOrder", "6");
    setText(*added, "AllowEdit", "1");
    auto adding = packetOf({{"TMaster", added.get()}});
    ASSERT_TRUE(admin->call(app::Insert, app::insert::Single, *adding));

    auto list = admin->rows("TOtherParam", "TOtherParam.Type = 'TPaymentTypeID'");
    ASSERT_EQ(list->RecordCount(), 6);
    for (list->First(); !list->Eof(); list->Next())
        if (textOf(*list, "ObjID") == addedId) setText(*list, "Name", "微信支付");
    list->Post();
    auto changing = packetOf({{"TMaster", list.get()}});
    ASSERT_TRUE(admin->call(app::Update, app::update::Single, *changing));
    EXPECT_EQ(
        scalar(*db, "SELECT \"Name\" FROM \"TOtherParam\" WHERE \"ObjID\" = ?", {Value(addedId)}),
        "微信支付");
    EXPECT_EQ(scalar(*db, "SELECT \"Name\" FROM \"TOtherParam\" WHERE \"Code\" = 'CASH'"), "现金");
    TClientDataSet reply;
    reply.SetData(changing->GetParamData("TMaster"));
    EXPECT_EQ(reply.RecordCount(), 6);
}

TEST_P(UpdateService, RefusedChangesStoreNothingAndSayWhatToMend)
{
    // A product already invalid.
    const std::string invalid =
        scalar(*db, "SELECT \"ObjID\" FROM \"TProduct\" WHERE \"StatusID\" = ?",
               {Value(std::string(schema::ids::StatusInvalid))});
    auto product = byId("TProduct", invalid);
    ASSERT_EQ(product->RecordCount(), 1);
    setText(*product, "Name", "改名");
    auto p1 = packetOf({{"TMaster", product.get()}});
    EXPECT_NE(errorOf([&] {
                  admin->call(app::Update, app::update::Single, *p1);
              }).find("已经作废，不能修改"),
              std::string::npos);

    // A verified sale order, through the master/detail update.
    const std::string verified = document("TSaleOrder", "Verified");
    auto order = byId("TSaleOrder", verified);
    ASSERT_EQ(order->RecordCount(), 1);
    setText(*order, "Remark", "改");
    auto p2 = packetOf({{"TMaster", order.get()}});
    EXPECT_NE(errorOf([&] {
                  admin->call(app::Update, app::update::MasterDetail, *p2);
              }).find("已经审核，不能修改"),
              std::string::npos);

    // A row that does not exist, and one of no company (the system's lists).
    auto warehouse = byId("TWarehouse", id("TWarehouse", "CK02"));
    setText(*warehouse, "ObjID", Guid::create().toString());
    auto p3 = packetOf({{"TMaster", warehouse.get()}});
    EXPECT_NE(errorOf([&] {
                  admin->call(app::Update, app::update::Single, *p3);
              }).find("不存在或不属于本机构"),
              std::string::npos);
    auto system = admin->rows("TOtherParam", "TOtherParam.Code = 'CASH'");
    ASSERT_EQ(system->RecordCount(), 1);
    setText(*system, "Name", "现钞");
    auto p4 = packetOf({{"TMaster", system.get()}});
    EXPECT_NE(errorOf([&] {
                  admin->call(app::Update, app::update::Single, *p4);
              }).find("不存在或不属于本机构"),
              std::string::npos);

    // A locked other parameter keeps its name; a warehouse code is not repeated.
    auto locked = admin->rows("TOtherParam",
                              "TOtherParam.Type = 'TProductTypeID' and TOtherParam.Code = 'PS'");
    ASSERT_EQ(locked->RecordCount(), 1);
    setText(*locked, "Name", "饰品");
    auto p7 = packetOf({{"TMaster", locked.get()}});
    EXPECT_NE(
        errorOf([&] { admin->call(app::Update, app::update::Single, *p7); }).find("不允许修改"),
        std::string::npos);
    auto repeated = byId("TWarehouse", id("TWarehouse", "CK02"));
    setText(*repeated, "Code", "CK01");
    auto p8 = packetOf({{"TMaster", repeated.get()}});
    EXPECT_NE(errorOf([&] {
                  admin->call(app::Update, app::update::Single, *p8);
              }).find("“仓库代码”为“CK01”的记录已经存在"),
              std::string::npos);

    // Lines change only with their document; the clerk may not change warehouses.
    auto line = admin->rows("TSaleOrderList",
                            "TSaleOrderList.ParentID = '" + document("TSaleOrder", "New") + "'");
    ASSERT_GT(line->RecordCount(), 0);
    auto p5 = packetOf({{"TMaster", line.get()}});
    EXPECT_NE(errorOf([&] {
                  admin->call(app::Update, app::update::Single, *p5);
              }).find("只能随单据一起修改"),
              std::string::npos);
    WriteClient clerk(server->url(), "LS", "clerk", "clerk");
    auto clerkWarehouse = clerk.rows("TWarehouse", "TWarehouse.Code = 'CK02'");
    auto p6 = packetOf({{"TMaster", clerkWarehouse.get()}});
    EXPECT_EQ(errorOf([&] { clerk.call(app::Update, app::update::Single, *p6); }),
              "您没有修改[仓库]的权限，请与系统管理员联系！");

    EXPECT_EQ(scalar(*db, "SELECT \"Name\" FROM \"TOtherParam\" WHERE \"Code\" = 'CASH'"), "现金");
    EXPECT_EQ(scalar(*db, "SELECT \"Remark\" FROM \"TSaleOrder\" WHERE \"ObjID\" = ?",
                     {Value(verified)}) == "改",
              false);
}

TEST_P(UpdateService, LineChangeSetsTouchOnlyTheirLinesAndSizeRows)
{
    const std::string report = scalar(
        *db,
        "SELECT d.\"ObjID\" FROM \"TStockOut\" d WHERE d.\"StatusTStockOutID\" = ? AND "
        "d.\"StatusID\" = ? AND (SELECT COUNT(*) FROM \"TStockOutList\" l WHERE l.\"ParentID\" = "
        "d.\"ObjID\") >= 3 ORDER BY d.\"Code\"",
        {Value(id("TOtherParam", "StatusTStockOutID_New")),
         Value(std::string(schema::ids::StatusValid))});
    ASSERT_FALSE(report.empty());
    auto master = byId("TStockOut", report);
    auto lines = admin->rows("TStockOutList", "TStockOutList.ParentID = '" + report + "'");
    ASSERT_GE(lines->RecordCount(), 3);
    const int64_t sizeRows =
        count(*db,
              "SELECT COUNT(*) FROM \"TStockOutListSize\" s JOIN \"TStockOutList\" l ON "
              "l.\"ObjID\" = s.\"ParentID\" WHERE l.\"ParentID\" = ?",
              {Value(report)});

    auto changed = admin->blank("TStockOutList");
    auto removed = admin->blank("TStockOutList");
    auto added = admin->blank("TStockOutList");
    lines->First();
    const std::string changedId = textOf(*lines, "ObjID");
    changed->SetData(lines->Data());
    changed->First();
    while (changed->RecordCount() > 1) {
        changed->Last();
        changed->Delete();
    }
    changed->First();
    for (int n = 1; n <= 20; ++n)
        setText(*changed, "Size" + std::to_string(n), "");
    setText(*changed, "Size1", "7");
    setText(*changed, "Quantity", "7");
    changed->Post();
    lines->Next();
    const std::string removedId = textOf(*lines, "ObjID");
    removed->Append();
    setText(*removed, "ObjID", removedId);
    removed->Post();
    const std::string addedId = Guid::create().toString();
    added->Append();
    setText(*added, "ObjID", addedId);
    setText(*added, "ParentID", report);
    setText(*added, "TProductID", id("TProduct", "NZ-2501"));
    setText(*added, "Size3", "2");
    setText(*added, "Quantity", "2");
    setText(*added, "UnitPrice", "50");
    added->Post();
    auto packet = packetOf({{"TMaster", master.get()},
                            {"TDetailInsert", added.get()},
                            {"TDetailUpdate", changed.get()},
                            {"TDetailDelete", removed.get()}});
    auto retry = copyOf(*packet);
    ASSERT_TRUE(admin->call(app::Update, app::update::MasterDetail, *packet));
    ASSERT_TRUE(admin->call(app::Update, app::update::MasterDetail, *retry));

    const int64_t lineCount = lines->RecordCount();
    EXPECT_EQ(count(*db, "SELECT COUNT(*) FROM \"TStockOutList\" WHERE \"ParentID\" = ?",
                    {Value(report)}),
              lineCount);
    EXPECT_EQ(count(*db, "SELECT COUNT(*) FROM \"TStockOutList\" WHERE \"ObjID\" = ?",
                    {Value(removedId)}),
              0);
    auto sizesOf = [&](const std::string& line) {
        auto tx = db->begin(storage::TransactionMode::Read);
        const auto rows = tx->query("SELECT \"SizeNo\", \"Quantity\" FROM \"TStockOutListSize\" "
                                    "WHERE \"ParentID\" = ? ORDER BY \"SizeNo\"",
                                    std::vector<Value>{Value(line)});
        std::string out;
        for (const auto& r : rows.rows)
            out += r[0].toText() + ":" + r[1].toText() + " ";
        return out;
    };
    EXPECT_EQ(sizesOf(changedId), "1:7 ");
    EXPECT_EQ(sizesOf(addedId), "3:2 ");
    EXPECT_EQ(sizesOf(removedId), "");
    EXPECT_GT(sizeRows, 0);
}

TEST_P(UpdateService, StatusChangeListMovesTheDocumentsAndAVerifiedOneStaysAsItIs)
{
    const std::string order = document("TSaleOrder", "New");
    auto master = byId("TSaleOrder", order);
    TParamData verify(paramkind::Field);
    verify.SetParamValueField("TMaster", Variant(id("TOtherParam", "StatusTSaleOrderID_Verified")),
                              "StatusTSaleOrderID");
    auto packet = packetOf({{"TMaster", master.get()}});
    packet->SetParamData("ParamDataStatusAlter", verify.Data());
    ASSERT_TRUE(admin->call(app::Update, app::update::MasterDetail, *packet));
    EXPECT_EQ(scalar(*db, "SELECT \"StatusTSaleOrderID\" FROM \"TSaleOrder\" WHERE \"ObjID\" = ?",
                     {Value(order)}),
              id("TOtherParam", "StatusTSaleOrderID_Verified"));

    // A change of the verified order is refused; invalidating it is a status change.
    auto again = byId("TSaleOrder", order);
    setText(*again, "Remark", "审核后修改");
    auto change = packetOf({{"TMaster", again.get()}});
    EXPECT_NE(errorOf([&] {
                  admin->call(app::Update, app::update::MasterDetail, *change);
              }).find("已经审核"),
              std::string::npos);
    TParamData invalidate(paramkind::Field);
    invalidate.SetParamValueField("TMaster", Variant(std::string(schema::ids::StatusInvalid)),
                                  "StatusID");
    auto invalid = packetOf({{"TMaster", again.get()}});
    invalid->SetParamData("ParamDataStatusAlter", invalidate.Data());
    ASSERT_TRUE(admin->call(app::Update, app::update::MasterDetail, *invalid));
    EXPECT_EQ(
        scalar(*db, "SELECT \"StatusID\" FROM \"TSaleOrder\" WHERE \"ObjID\" = ?", {Value(order)}),
        std::string(schema::ids::StatusInvalid));
    EXPECT_NE(
        scalar(*db, "SELECT \"Remark\" FROM \"TSaleOrder\" WHERE \"ObjID\" = ?", {Value(order)}),
        "审核后修改");
}

TEST_P(UpdateService, GrantedAndRevokedRightsTakeEffectAtOnce)
{
    WriteClient clerk(server->url(), "LS", "clerk", "clerk");
    auto product = clerk.blank("TProduct");
    product->Append();
    setText(*product, "ObjID", Guid::create().toString());
    setText(*product, "Code", "PS-9001");
    setText(*product, "Name", "围巾");
    setText(*product, "TProductTypeID", id("TProductType", "PS"));
    product->Post();
    auto refused = packetOf({{"TMaster", product.get()}});
    ASSERT_NE(errorOf([&] {
                  clerk.call(app::Insert, app::insert::Single, *refused);
              }).find("没有修改[商品]的权限"),
              std::string::npos);

    const std::string clerkId = clerk.userId;
    const std::string module =
        scalar(*db, "SELECT \"ObjID\" FROM \"TModule\" WHERE \"Name\" = '新增商品'");
    auto grant = admin->blank("TUserModule");
    const std::string rightId = Guid::create().toString();
    grant->Append();
    setText(*grant, "ObjID", rightId);
    setText(*grant, "TUserID", clerkId);
    setText(*grant, "TModuleID", module);
    grant->Post();
    auto granting = packetOf({{"TMasterInsert", grant.get()}});
    auto retry = copyOf(*granting);
    ASSERT_TRUE(admin->call(app::Update, app::update::MasterDetail, *granting));
    ASSERT_TRUE(admin->call(app::Update, app::update::MasterDetail, *retry));
    EXPECT_EQ(
        count(*db, "SELECT COUNT(*) FROM \"TUserModule\" WHERE \"ObjID\" = ?", {Value(rightId)}),
        1);
    auto allowed = packetOf({{"TMaster", product.get()}});
    EXPECT_TRUE(clerk.call(app::Insert, app::insert::Single, *allowed));

    auto revoking = packetOf({{"TMasterDelete", grant.get()}});
    ASSERT_TRUE(admin->call(app::Update, app::update::MasterDetail, *revoking));
    EXPECT_EQ(
        count(*db, "SELECT COUNT(*) FROM \"TUserModule\" WHERE \"ObjID\" = ?", {Value(rightId)}),
        0);
    product->First();
    setText(*product, "ObjID", Guid::create().toString());
    setText(*product, "Code", "PS-9002");
    auto refusedAgain = packetOf({{"TMaster", product.get()}});
    EXPECT_NE(errorOf([&] {
                  clerk.call(app::Insert, app::insert::Single, *refusedAgain);
              }).find("没有修改[商品]的权限"),
              std::string::npos);

    // The clerk cannot grant himself anything.
    auto self = packetOf({{"TMasterInsert", grant.get()}});
    EXPECT_NE(errorOf([&] {
                  clerk.call(app::Update, app::update::MasterDetail, *self);
              }).find("没有修改[用户权限]的权限"),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Backends, UpdateService,
                         ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) {
                             return info.param == Backend::Sqlite ? "Sqlite" : "Postgres";
                         });

} // namespace
} // namespace corvo::server::test
