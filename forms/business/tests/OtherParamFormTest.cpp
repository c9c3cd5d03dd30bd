// The other-parameter editor against the real servers: the types offered, values added at
// the end of a type and saved, renamed and moved and saved with every value of the type,
// locked values, and "放弃".
#include "BusinessFixture.h"
#include "entity/DateTime.h"
#include "entity/ParamNames.h"
#include "entity/TParamData.h"
#include "forms/business/TFrmInsertOtherParam.h"
#include "forms/rules/StatusValues.h"
#include "platform/DataGrid.h"
#include "platform/QtText.h"
#include "server/tests/WriteClient.h"

#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <map>
#include <set>

namespace corvo::forms::test {
namespace {

class OtherParamFormTest : public BusinessTest {
protected:
    static void choose(TFrmInsertOtherParam& form, const char* typeName)
    {
        const auto found = form.tvwType().findItems(QString::fromUtf8(typeName), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << typeName;
        form.tvwType().setCurrentItem(found.front());
    }
    static void type(TFrmInsertOtherParam& form, const char* code, const char* name)
    {
        form.sedCode().setText(QString::fromUtf8(code));
        form.sedName().setText(QString::fromUtf8(name));
        click(form.mbtConfirm());
    }
    /// Name -> DispOrder of the rows the grid shows.
    static std::map<std::string, int64_t> shown(TFrmInsertOtherParam& form)
    {
        std::map<std::string, int64_t> rows;
        TCustomEntity& master = entity(form, param::TMaster);
        for (master.First(); !master.Eof(); master.Next())
            rows[gbk::toUtf8(GetName(master))] = GetFieldInt(master, "DispOrder");
        return rows;
    }
    /// Name -> DispOrder of a type as the server stores it.
    static std::map<std::string, int64_t> stored(const char* type)
    {
        server::test::WriteClient admin(LoginSession::instance().serverUrl());
        auto rows = admin.rows("TOtherParam", std::string("TOtherParam.Type = '") + type + "'");
        std::map<std::string, int64_t> result;
        for (rows->First(); !rows->Eof(); rows->Next())
            result[server::test::textOf(*rows, "Name")] =
                rows->FieldByName("DispOrder").AsInteger();
        return result;
    }
    /// Moves the grid to the row of that name.
    static void pick(TFrmInsertOtherParam& form, const char* name)
    {
        TCustomEntity& master = entity(form, param::TMaster);
        int row = 0;
        for (master.First(); !master.Eof(); master.Next(), ++row)
            if (gbk::toUtf8(GetName(master)) == name) break;
        clickRow(form.dgeMaster(), row);
        ASSERT_EQ(gbk::toUtf8(GetName(master)), name);
    }
};

TEST_F(OtherParamFormTest, TheTreeListsEveryTypeOnceWithoutStatusTypes)
{
    auto form = open<TFrmInsertOtherParam>("TOtherParam", "其他参数");
    auto all = cached("TOtherParam");
    std::set<std::string> expected;
    bool statusSeen = false;
    for (all->First(); !all->Eof(); all->Next()) {
        const std::string type = GetFieldString(*all, "Type");
        if (type.rfind("Status", 0) == 0) {
            statusSeen = true;
            continue;
        }
        if (!GetFieldString(*all, "TypeName").empty()) expected.insert(utf8(*all, "TypeName"));
    }
    ASSERT_TRUE(statusSeen) << "the demo holds status types";
    std::multiset<std::string> listed;
    for (int i = 0; i < form->tvwType().topLevelItemCount(); ++i)
        listed.insert(form->tvwType().topLevelItem(i)->text(0).toStdString());
    EXPECT_EQ(listed, std::multiset<std::string>(expected.begin(), expected.end()));
    EXPECT_EQ(listed.count("状态"), 0u);
    EXPECT_EQ(listed.count("销售订单状态"), 0u);
    EXPECT_EQ(form->state(), ParamEditState::Browsing);
    EXPECT_TRUE(form->tvwType().isEnabled());
    EXPECT_FALSE(form->mbtSubmit().isEnabled());
    EXPECT_FALSE(form->mbtConfirm().isEnabled());
}

TEST_F(OtherParamFormTest, AddedValuesFollowTheHighestOrderAndAreSavedThenChanged)
{
    auto form = open<TFrmInsertOtherParam>("TOtherParam", "其他参数");
    choose(*form, "款项");
    EXPECT_EQ(shown(*form).size(), 4u);
    click(form->mbtInsert());
    EXPECT_EQ(form->state(), ParamEditState::Adding);
    EXPECT_FALSE(form->tvwType().isEnabled());
    type(*form, "BONUS", "Bonus");
    type(*form, "BONUS2", "BONUS");
    EXPECT_EQ(message(), "系统发现您新增的参数名称[BONUS]和已有的重复，请更正");
    type(*form, "DEPOSIT", "押金");
    auto rows = shown(*form);
    EXPECT_EQ(rows["Bonus"], 5);
    EXPECT_EQ(rows["押金"], 6);
    EXPECT_EQ(rows.count("BONUS"), 0u);

    TCustomEntity& inserts = entity(*form, "TMasterInsert");
    ASSERT_EQ(inserts.RecordCount(), 2);
    for (inserts.First(); !inserts.Eof(); inserts.Next()) {
        EXPECT_EQ(GetFieldString(inserts, "Type"), "TAccountItemID");
        EXPECT_EQ(GetFieldString(inserts, "AllowEdit"), "1");
        EXPECT_EQ(GetFieldString(inserts, "StatusID"), form->StatusObjID("StatusID", "Valid"));
        EXPECT_EQ(GetFieldString(inserts, "CreateDate").substr(0, 10),
                  DateTime::now().toDateString());
    }

    click(form->mbtSubmit());
    EXPECT_EQ(message(), "数据新增完成。");
    EXPECT_EQ(form->state(), ParamEditState::Browsing);
    EXPECT_EQ(inserts.RecordCount(), 0);
    auto saved = stored("TAccountItemID");
    EXPECT_EQ(saved["Bonus"], 5);
    EXPECT_EQ(saved["押金"], 6);

    // Changing: the strip shows the row, the moved rows exchange orders, the whole type
    // is sent.
    click(form->mbtUpdate());
    EXPECT_EQ(form->state(), ParamEditState::Changing);
    pick(*form, "押金");
    EXPECT_EQ(form->sedName().text().toStdString(), "押金");
    EXPECT_EQ(form->sedCode().text().toStdString(), "DEPOSIT");
    type(*form, "DEPOSIT", "保证金");
    pick(*form, "保证金");
    click(form->sbtPriorInOrder());
    rows = shown(*form);
    EXPECT_EQ(rows["保证金"], 5);
    EXPECT_EQ(rows["Bonus"], 6);
    click(form->mbtSubmit());
    EXPECT_EQ(message(), "数据修改完成。");
    TCustomEntity sent;
    sent.SetData(form->submitPacket().GetParamData(param::TMaster));
    EXPECT_EQ(sent.RecordCount(), 6) << "every value of the type";
    saved = stored("TAccountItemID");
    EXPECT_EQ(saved["保证金"], 5);
    EXPECT_EQ(saved["Bonus"], 6);
    EXPECT_EQ(saved["货款"], 1);
    EXPECT_EQ(saved.count("押金"), 0u);
}

TEST_F(OtherParamFormTest, DiscardRestoresAndSendsNothing)
{
    auto form = open<TFrmInsertOtherParam>("TOtherParam", "其他参数");
    choose(*form, "消息类型");
    const auto before = shown(*form);
    click(form->mbtInsert());
    type(*form, "A1", "甲");
    type(*form, "A2", "乙");
    EXPECT_EQ(shown(*form).size(), before.size() + 2);
    click(form->mbtCancel());
    EXPECT_EQ(message(), "您已放弃刚才预备新增的数据！");
    EXPECT_EQ(shown(*form), before);
    EXPECT_EQ(entity(*form, "TMasterInsert").RecordCount(), 0);
    EXPECT_EQ(form->state(), ParamEditState::Browsing);
    EXPECT_EQ(stored("TMessageTypeID"), before);
    // Nothing to save either way.
    click(form->mbtInsert());
    click(form->mbtSubmit());
    EXPECT_EQ(message(), "对不起，您还没有新增数据。");
}

TEST_F(OtherParamFormTest, LockedValuesKeepTheirNameAndPlace)
{
    // 店长 locked in the local copy: its neighbour cannot move past it.
    const std::string file = shell::dataDir() + "TOtherParam";
    auto original = cached("TOtherParam");
    {
        TCustomEntity locked;
        locked.CopyFrom(*original);
        locked.FilterEqual("Type", "TDutyID");
        ASSERT_TRUE(locked.FindRecord("Code", "MANAGER"));
        SetFieldString(locked, "AllowEdit", "0");
        locked.ClearFilter();
        shell::saveDataSetFile(file, locked);
    }
    auto form = open<TFrmInsertOtherParam>("TOtherParam", "其他参数");
    shell::saveDataSetFile(file, *original);
    choose(*form, "职务");
    const auto before = shown(*form);
    click(form->mbtUpdate());
    pick(*form, "营业员");
    click(form->sbtPriorInOrder());
    EXPECT_EQ(message(), "对不起，记录“”营业员”不允许修改。");
    EXPECT_EQ(shown(*form), before);
    pick(*form, "营业员");
    click(form->sbtNextInOrder());
    auto rows = shown(*form);
    EXPECT_EQ(rows["营业员"], 3);
    EXPECT_EQ(rows["采购员"], 2);
    // The locked row: the strip shows it and "确定" is off.
    pick(*form, "店长");
    EXPECT_EQ(message(), "对不起，记录“”店长”不允许修改。");
    EXPECT_FALSE(form->mbtConfirm().isEnabled());
    click(form->mbtCancel());
    EXPECT_EQ(message(), "您已放弃刚才预备修改的数据！");
    EXPECT_EQ(shown(*form), before);
}

} // namespace
} // namespace corvo::forms::test
