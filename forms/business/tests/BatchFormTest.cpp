// Batch entry against the real servers: the limit of 100, repeats refused, the messages with
// and without a code, and every batch record sent in one save.
#include "BusinessFixture.h"
#include "controls/TInputControl.h"
#include "controls/TInputControlList.h"
#include "entity/ParamNames.h"
#include "entity/TParamData.h"
#include "forms/business/TFrmInsertBatch.h"
#include "platform/DataGrid.h"
#include "server/tests/WriteClient.h"

#include <QPushButton>

namespace corvo::forms::test {
namespace {

class BatchFormTest : public BusinessTest {
protected:
    static void enter(TFrmApp& form, const char* code, const std::string& value)
    {
        form.inputControls()->ControlByName(code).SetText(Variant(gbk::fromUtf8(value)));
    }
    /// A unit chosen, as the list of the TUnitID input offers it.
    static void chooseUnit(TFrmApp& form)
    {
        auto params = cached("TOtherParam");
        params->FilterEqual("Type", "TUnitID");
        ASSERT_TRUE(params->FindRecord("Code", "PCS"));
        form.inputControls()->ControlByName("TUnitID").SetText(Variant(GetObjID(*params)));
    }
    static int batchCount(TFrmInsertBatch& form)
    {
        return entity(form, "TMasterBatch").RecordCount();
    }
};

TEST_F(BatchFormTest, HundredRecordsInOneSave)
{
    auto form = open<TFrmInsertBatch>("TMaterial", "新增物料");
    EXPECT_FALSE(form->mbtSubmit().isEnabled());
    for (int i = 1; i <= 100; ++i) {
        enter(*form, "Name", "批量物料" + std::to_string(i));
        chooseUnit(*form);
        click(form->mbtBatch());
    }
    EXPECT_EQ(batchCount(*form), 100);
    EXPECT_EQ(message(), "数据被暂时保存在本地，请稍后一起保存") << "auto-coded: no code";
    enter(*form, "Name", "批量物料101");
    click(form->mbtBatch());
    EXPECT_EQ(message(), "已达到连续录入的100条记录上限，请按[保存]按钮进行保存");
    EXPECT_EQ(batchCount(*form), 100);

    // The panel still holds the 101st: it is not sent.
    click(form->mbtSubmit());
    EXPECT_EQ(message(), "数据批量新增完成。");
    TCustomEntity sent;
    sent.SetData(form->submitPacket().GetParamData(param::TMaster));
    EXPECT_EQ(sent.RecordCount(), 100);
    EXPECT_EQ(form->submitPacket().RecordCount(), 2) << "AppName and TMaster";
    server::test::WriteClient admin(LoginSession::instance().serverUrl());
    for (const char* name : {"批量物料1", "批量物料50", "批量物料100"})
        EXPECT_EQ(
            admin.rows("TMaterial", gbk::fromUtf8(std::string("TMaterial.Name = '") + name + "'"))
                ->RecordCount(),
            1)
            << name;

    // Saved: nothing more until "清空新建".
    EXPECT_FALSE(form->mbtBatch().isEnabled());
    EXPECT_FALSE(form->mbtSubmit().isEnabled());
    EXPECT_FALSE(form->mbtDelete().isEnabled());
    click(form->mbtInsert());
    EXPECT_FALSE(form->mbtSubmit().isEnabled());
    click(form->mbtClear());
    EXPECT_TRUE(form->mbtBatch().isEnabled());
    EXPECT_EQ(batchCount(*form), 0);
}

TEST_F(BatchFormTest, ARepeatOfTheUniqueColumnIsRefused)
{
    auto form = open<TFrmInsertBatch>("TMaterial", "新增物料");
    chooseUnit(*form);
    enter(*form, "Name", "包装纸箱");
    enter(*form, "Spec", "大");
    click(form->mbtBatch());
    chooseUnit(*form);
    enter(*form, "Name", "包装纸箱");
    enter(*form, "Spec", "小");
    click(form->mbtBatch());
    EXPECT_EQ(message(), "本次要新增的数据中存在相同数据，不能新增该记录");
    EXPECT_EQ(batchCount(*form), 1);
    chooseUnit(*form);
    enter(*form, "Name", "封箱胶带");
    click(form->mbtBatch());
    EXPECT_EQ(batchCount(*form), 2);

    // A click on a batch record shows it; deleting every record turns "保存" off.
    clickRow(form->dgeMaster(), 0);
    EXPECT_EQ(gbk::toUtf8(form->inputControls()->ControlByName("Name").Text().toText()),
              "包装纸箱");
    EXPECT_TRUE(form->mbtSubmit().isEnabled());
    click(form->mbtDelete());
    EXPECT_TRUE(form->mbtSubmit().isEnabled());
    click(form->mbtDelete());
    EXPECT_EQ(batchCount(*form), 0);
    EXPECT_FALSE(form->mbtSubmit().isEnabled());
}

TEST_F(BatchFormTest, ATypedCodeIsNamedInTheMessage)
{
    auto form = open<TFrmInsertBatch>("TProductType", "新增商品类别");
    enter(*form, "Code", "CK99");
    enter(*form, "Name", "临时类别");
    click(form->mbtBatch());
    EXPECT_EQ(message(), "代码为CK99的数据被暂时保存在本地，请稍后一起保存");
    EXPECT_EQ(batchCount(*form), 1);
}

} // namespace
} // namespace corvo::forms::test
