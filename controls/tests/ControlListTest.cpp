#include "ControlFixtures.h"
#include "controls/TInputControlList.h"
#include "controls/TIntegerEdit.h"
#include "controls/TQueryControlList.h"

#include <QPointer>
#include <gtest/gtest.h>

namespace corvo::controls {
namespace {

using testing::gbkOf;
using testing::messageOf;

TEST(ControlListTest, AddingANameTwiceInAnyCaseKeepsTheFirst)
{
    TInputControlList list(Ownership::OwnsItems);
    EXPECT_FALSE(list.HasControls());
    ASSERT_TRUE(list.AddControl("Quantity", TSubType::stIntegerEdit));
    TInputControl* first = list.CurrentControl();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->SubType(), TSubType::stIntegerEdit);

    ASSERT_TRUE(list.AddControl("Name", TSubType::stSafeEdit));
    EXPECT_EQ(list.CurrentControl()->SubType(), TSubType::stSafeEdit);

    EXPECT_TRUE(list.AddControl("QUANTITY", TSubType::stMemo));
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.CurrentControl(), first);
    EXPECT_EQ(&list.ControlByName("quantity"), first);
    EXPECT_EQ(list.First(), first);
    EXPECT_EQ(list.Items(1)->SubType(), TSubType::stSafeEdit);
    EXPECT_EQ(list.Items(2), nullptr);
    EXPECT_TRUE(list.HasControls());
    EXPECT_EQ(first->parentWidget(), nullptr) << "made without an owner";
}

TEST(ControlListTest, AnUnknownNameIsReportedVerbatim)
{
    TQueryControlList list;
    list.AddControl("Name", TQuCheckFieldType::ctString, TQuSubType::stQuSafeEdit, TOpChar::opLike);
    EXPECT_FALSE(list.HasControl("Code"));
    EXPECT_EQ(messageOf([&] { list.ControlByName("Code"); }),
              "控件对象列表中不存在控件[Code]，请检查！");
    EXPECT_EQ(messageOf([&] { list.ControlByName(gbkOf("名称")); }),
              "控件对象列表中不存在控件[名称]，请检查！");
    EXPECT_EQ(messageOf([&] { list.ControlByName(""); }), "控件对象列表中不存在控件[]，请检查！");
}

TEST(ControlListTest, CodesAgreeingInTheirFirst30BytesCollide)
{
    const std::string stem(30, 'F');
    TInputControlList list;
    ASSERT_TRUE(list.AddControl(stem + "One", TSubType::stEdit));
    ASSERT_TRUE(list.AddControl(stem + "Two", TSubType::stMemo));
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(&list.ControlByName(stem + "Two"), list.First());
    EXPECT_EQ(list.First()->SubType(), TSubType::stEdit);

    // A cut never splits a double-byte character: the 15th would end at byte 31, so the
    // stored code is "A" and 14 characters.
    std::string chinese;
    for (int i = 0; i < 15; ++i)
        chinese += gbkOf("码");
    ASSERT_TRUE(list.AddControl("A" + chinese, TSubType::stEdit));
    EXPECT_TRUE(list.HasControl("A" + chinese.substr(0, 28) + gbkOf("名")));
    EXPECT_FALSE(list.HasControl("A" + chinese.substr(0, 26) + gbkOf("名")));
}

TEST(ControlListTest, AFailedAddLeavesTheNameUnregistered)
{
    TInputControlList inputs;
    EXPECT_FALSE(inputs.AddControl("Bad", static_cast<TSubType>(42)));
    EXPECT_FALSE(inputs.HasControl("Bad"));
    EXPECT_EQ(inputs.Count(), 0);
    EXPECT_FALSE(inputs.AddControl("", TSubType::stEdit));
    EXPECT_TRUE(inputs.AddControl("Bad", TSubType::stEdit));
    EXPECT_EQ(inputs.Count(), 1);

    TQueryControlList queries;
    EXPECT_FALSE(queries.AddControl("Bad", TQuCheckFieldType::ctString, static_cast<TQuSubType>(42),
                                    TOpChar::opEqual));
    EXPECT_FALSE(queries.HasControls());
}

TEST(ControlListTest, QueryControlsCarryTheirField)
{
    TQueryControlList list;
    ASSERT_TRUE(list.AddControl("Quantity", TQuCheckFieldType::ctNumber,
                                TQuSubType::stQuIntegerEdit, TOpChar::opEqual));
    TQueryControl* control = list.CurrentControl();
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->FieldName(), "Quantity");
    EXPECT_EQ(control->FieldType(), TQuCheckFieldType::ctNumber);
    EXPECT_EQ(control->SubType(), TQuSubType::stQuIntegerEdit);
    EXPECT_EQ(control->OpChar(), TOpChar::opEqual);
    EXPECT_FALSE(control->isChecked());
}

TEST(ControlListTest, OwnershipAndControlsDestroyedWithTheirPanel)
{
    QPointer<TInputControl> owned;
    QPointer<QWidget> ownedEditor;
    {
        TInputControlList list(Ownership::OwnsItems);
        list.AddControl("Name", TSubType::stEdit);
        owned = list.CurrentControl();
        ownedEditor = owned->Editor();
    }
    EXPECT_TRUE(owned.isNull());
    EXPECT_TRUE(ownedEditor.isNull());

    QPointer<TInputControl> borrowed;
    {
        TInputControlList list(Ownership::BorrowsItems);
        list.AddControl("Name", TSubType::stEdit);
        borrowed = list.CurrentControl();
    }
    ASSERT_FALSE(borrowed.isNull());
    delete borrowed.data();

    TQueryControlList list;
    {
        QWidget panel;
        list.AddControl("Name", TQuCheckFieldType::ctString, TQuSubType::stQuEdit,
                        TOpChar::opEqual);
        list.CurrentControl()->setParent(&panel);
    }
    EXPECT_EQ(list.First(), nullptr);
    EXPECT_TRUE(list.HasControl("Name"));
    EXPECT_EQ(messageOf([&] { list.ControlByName("Name"); }),
              "控件对象列表中不存在控件[Name]，请检查！");
}

} // namespace
} // namespace corvo::controls
