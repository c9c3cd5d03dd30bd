#include "ControlFixtures.h"
#include "controls/TFloatSpan.h"
#include "controls/TIntegerSpan.h"
#include "controls/TQueryControl.h"
#include "controls/TSafeEdit.h"
#include "controls/TTimeSpan.h"
#include "controls/TVelComboBox.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

namespace corvo::controls {
namespace {

using testing::gbkOf;
using testing::messageOf;

class QueryControlTest : public ::testing::Test {
protected:
    TQueryControl& make(TQuSubType subType,
                        TQuCheckFieldType fieldType = TQuCheckFieldType::ctString,
                        TOpChar opChar = TOpChar::opEqual, std::string field = "Name",
                        const char* caption = "名称")
    {
        auto* control = new TQueryControl(&panel, std::move(field), fieldType, subType, opChar);
        control->SetCaption(QString::fromUtf8(caption));
        control->move(30, 10);
        return *control;
    }
    template <typename Editor> Editor& editorOf(TQueryControl& control)
    {
        auto* editor = dynamic_cast<Editor*>(control.Editor());
        EXPECT_NE(editor, nullptr);
        return *editor;
    }
    static QDate date(int y, int m, int d) { return QDate(y, m, d); }

    void SetUp() override { panel.show(); }

    QWidget panel;
};

TEST_F(QueryControlTest, StartsUntickedAndAnUntickedControlYieldsNothing)
{
    for (TQuSubType subType :
         {TQuSubType::stQuEdit, TQuSubType::stQuComboBox, TQuSubType::stQuSafeEdit,
          TQuSubType::stQuIntegerEdit, TQuSubType::stQuFloatEdit, TQuSubType::stQuVelCombobox,
          TQuSubType::stQuDateTimePicker}) {
        TQueryControl& control = make(subType);
        ASSERT_NE(control.Editor(), nullptr);
        EXPECT_FALSE(control.isChecked());
        EXPECT_FALSE(control.Editor()->isEnabled());
        EXPECT_EQ(control.CheckLength(), control.IsRange() ? 240 : 120);
        if (auto* edit = qobject_cast<QLineEdit*>(control.Editor())) edit->setText("abc'");
        EXPECT_EQ(control.GetCondition(), "") << static_cast<int>(subType);
    }
}

TEST_F(QueryControlTest, TickedControlsComposeTheirConditions)
{
    TQueryControl& name =
        make(TQuSubType::stQuSafeEdit, TQuCheckFieldType::ctString, TOpChar::opLike);
    name.setChecked(true);
    EXPECT_TRUE(name.Editor()->isEnabled());
    testing::typeText(name.Editor(), QString::fromUtf8("张"));
    EXPECT_EQ(name.GetCondition(), gbkOf("Name like '%张%'"));

    // A typed quote never reaches a condition through a safe edit.
    editorOf<TSafeEdit>(name).clear();
    QTest::keyClicks(name.Editor(), "O'Brien");
    EXPECT_EQ(name.GetCondition(), "Name like '%O\"Brien%'");

    TQueryControl& quantity = make(TQuSubType::stQuIntegerEdit, TQuCheckFieldType::ctNumber,
                                   TOpChar::opEqual, "Quantity");
    quantity.setChecked(true);
    auto& integers = editorOf<TIntegerSpan>(quantity);
    QTest::keyClicks(&integers, "1");
    QTest::keyClicks(integers.UpperEdit(), "5");
    EXPECT_EQ(quantity.GetCondition(), "Quantity  between '1' and '5'");

    TQueryControl& amount =
        make(TQuSubType::stQuFloatEdit, TQuCheckFieldType::ctNumber, TOpChar::opEqual, "Amount");
    amount.setChecked(true);
    editorOf<TFloatSpan>(amount).SetValue(1.5);
    editorOf<TFloatSpan>(amount).UpperEdit()->SetValue(20);
    EXPECT_EQ(amount.GetCondition(), "Amount  between '1.5' and '20'");

    TQueryControl& happen = make(TQuSubType::stQuDateTimePicker, TQuCheckFieldType::ctDateTime,
                                 TOpChar::opEqual, "HappenDate");
    happen.setChecked(true);
    editorOf<TTimeSpan>(happen).setDate(date(2005, 2, 1));
    editorOf<TTimeSpan>(happen).EndPicker()->setDate(date(2005, 3, 1));
    EXPECT_EQ(happen.GetCondition(), "HappenDate  between '2005-02-01' and '2005-03-01'");

    TQueryControl& price =
        make(TQuSubType::stQuEdit, TQuCheckFieldType::ctNumber, TOpChar::opLike, "Price");
    price.setChecked(true);
    editorOf<QLineEdit>(price).setText("2.5");
    EXPECT_EQ(price.GetCondition(), "Price = '2.5'");

    TQueryControl& kind = make(TQuSubType::stQuComboBox);
    kind.setChecked(true);
    editorOf<QComboBox>(kind).setEditText(QString::fromUtf8("零售"));
    EXPECT_EQ(kind.GetCondition(), gbkOf("Name = '零售'"));
}

TEST_F(QueryControlTest, ACodeNameConditionUsesTheChosenInnerCode)
{
    TQueryControl& organ = make(TQuSubType::stQuVelCombobox, TQuCheckFieldType::ctString,
                                TOpChar::opEqual, "TOrganID");
    auto& box = editorOf<TVelComboBox>(organ);
    testing::People people;
    people.loadInto(box);
    organ.setChecked(true);
    box.SetInnerCode("{B2}");
    EXPECT_EQ(organ.GetCondition(), "TOrganID = '{B2}'");

    // A name typed afterwards, never confirmed, is not the choice.
    box.selectAll();
    testing::typeText(&box, QString::fromUtf8("张三"));
    EXPECT_EQ(box.text(), QString::fromUtf8("张三"));
    EXPECT_EQ(organ.GetCondition(), "TOrganID = '{B2}'");

    organ.setChecked(false);
    EXPECT_EQ(box.InnerCode(), "");
    EXPECT_EQ(box.text(), "");
}

TEST_F(QueryControlTest, RefusedConditionsCarryTheUsersMessage)
{
    TQueryControl& safe =
        make(TQuSubType::stQuSafeEdit, TQuCheckFieldType::ctString, TOpChar::opLike);
    safe.setChecked(true);
    EXPECT_EQ(messageOf([&] { safe.GetCondition(); }), "请填入[名称]对应的条件或者不选中该条件！");

    TQueryControl& number =
        make(TQuSubType::stQuEdit, TQuCheckFieldType::ctNumber, TOpChar::opEqual, "Qty", "数量");
    number.setChecked(true);
    editorOf<QLineEdit>(number).setText("abc");
    EXPECT_EQ(messageOf([&] { number.GetCondition(); }), "[数量]:[abc] 不是一个数值！");

    TQueryControl& plain = make(TQuSubType::stQuEdit);
    plain.setChecked(true);
    editorOf<QLineEdit>(plain).setText("O'Brien");
    EXPECT_EQ(messageOf([&] { plain.GetCondition(); }), "条件中不准输入'字符！");

    TQueryControl& nameless =
        make(TQuSubType::stQuEdit, TQuCheckFieldType::ctString, TOpChar::opEqual, "", "备注");
    nameless.setChecked(true);
    editorOf<QLineEdit>(nameless).setText("x");
    EXPECT_EQ(messageOf([&] { nameless.GetCondition(); }), "备注：请填入FieldName属性。");
    nameless.BeforeGetCondition = [](std::string& field, std::string& value) {
        field = "Remark";
        value = "y";
    };
    EXPECT_EQ(nameless.GetCondition(), "Remark = 'y'");

    TQueryControl& quantity = make(TQuSubType::stQuIntegerEdit, TQuCheckFieldType::ctNumber,
                                   TOpChar::opEqual, "Quantity");
    quantity.setChecked(true);
    auto& integers = editorOf<TIntegerSpan>(quantity);
    integers.SetNumber(5);
    integers.UpperEdit()->SetNumber(3);
    EXPECT_EQ(messageOf([&] { quantity.GetCondition(); }), "数值上限应该比数值下限大，请改正。");
    integers.SetNumber(3);
    EXPECT_EQ(quantity.GetCondition(), "Quantity  between '3' and '3'");

    TQueryControl& happen = make(TQuSubType::stQuDateTimePicker, TQuCheckFieldType::ctDateTime,
                                 TOpChar::opEqual, "HappenDate");
    happen.setChecked(true);
    auto& dates = editorOf<TTimeSpan>(happen);
    dates.setDate(date(2005, 3, 2));
    dates.EndPicker()->setDate(date(2005, 3, 1));
    EXPECT_EQ(messageOf([&] { happen.GetCondition(); }), "结束时间应该比开始的时间晚，请改正。");
    dates.setDate(date(2005, 3, 1));
    EXPECT_EQ(happen.GetCondition(), "HappenDate  between '2005-03-01' and '2005-03-01'");

    EXPECT_EQ(messageOf([] {
                  TQueryControl control(nullptr, "F", TQuCheckFieldType::ctString,
                                        static_cast<TQuSubType>(42), TOpChar::opEqual);
              }),
              "不认识该类型");
}

TEST_F(QueryControlTest, UntickingClearsValuesButKeepsDates)
{
    TQueryControl& name = make(TQuSubType::stQuEdit);
    name.setChecked(true);
    editorOf<QLineEdit>(name).setText("abc");
    name.setChecked(false);
    EXPECT_EQ(editorOf<QLineEdit>(name).text(), "");
    EXPECT_FALSE(name.Editor()->isEnabled());

    TQueryControl& kind = make(TQuSubType::stQuComboBox);
    kind.setChecked(true);
    editorOf<QComboBox>(kind).setEditText("abc");
    kind.setChecked(false);
    EXPECT_EQ(editorOf<QComboBox>(kind).currentText(), "");

    TQueryControl& quantity = make(TQuSubType::stQuIntegerEdit, TQuCheckFieldType::ctNumber);
    quantity.setChecked(true);
    auto& integers = editorOf<TIntegerSpan>(quantity);
    integers.SetNumber(4);
    integers.UpperEdit()->SetNumber(9);
    quantity.setChecked(false);
    EXPECT_EQ(integers.text(), "0");
    EXPECT_EQ(integers.UpperEdit()->text(), "0");

    TQueryControl& amount = make(TQuSubType::stQuFloatEdit, TQuCheckFieldType::ctNumber);
    amount.setChecked(true);
    editorOf<TFloatSpan>(amount).UpperEdit()->SetValue(2.5);
    amount.setChecked(false);
    EXPECT_EQ(editorOf<TFloatSpan>(amount).UpperEdit()->Value(), 0);

    TQueryControl& happen = make(TQuSubType::stQuDateTimePicker, TQuCheckFieldType::ctDateTime);
    happen.setChecked(true);
    auto& dates = editorOf<TTimeSpan>(happen);
    dates.SetLastMonth(date(2005, 3, 1));
    happen.setChecked(false);
    EXPECT_EQ(dates.date(), date(2005, 2, 1));
    EXPECT_EQ(dates.EndPicker()->date(), date(2005, 3, 1));
    EXPECT_FALSE(dates.EndPicker()->isEnabled());
}

TEST_F(QueryControlTest, AHiddenEditorIsNeitherTickedOnNorRequired)
{
    TQueryControl& name = make(TQuSubType::stQuEdit);
    name.Editor()->hide();
    name.setChecked(true);
    EXPECT_FALSE(name.Editor()->isEnabled()) << "the click does nothing";
    EXPECT_EQ(name.GetCondition(), "Name = ''");
}

TEST_F(QueryControlTest, RangesBesideTheCheckBox)
{
    TQueryControl& quantity = make(TQuSubType::stQuIntegerEdit, TQuCheckFieldType::ctNumber);
    auto& span = editorOf<TIntegerSpan>(quantity);
    auto* label = qobject_cast<QLabel*>(span.RangeLabel());
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QString::fromUtf8("到"));
    EXPECT_EQ(label->parentWidget(), &panel);
    EXPECT_EQ(span.UpperEdit()->parentWidget(), &panel);

    // (240 − 43) div 2 for each editor; label and second editor beside the first.
    EXPECT_EQ(span.width(), 98);
    EXPECT_EQ(span.UpperEdit()->width(), 98);
    const int right = span.x() + span.width();
    EXPECT_EQ(label->x(), right + 3);
    EXPECT_EQ(label->width(), 37);
    EXPECT_EQ(span.UpperEdit()->x(), right + 43);
    EXPECT_EQ(span.UpperEdit()->y(), span.y() + (span.height() - span.UpperEdit()->height()) / 2);
    EXPECT_EQ(span.x(), quantity.x() + quantity.width() + 3);
    EXPECT_EQ(span.y(), quantity.y() + (quantity.height() - span.height()) / 2);

    EXPECT_FALSE(label->isEnabled());
    quantity.setChecked(true);
    EXPECT_TRUE(label->isEnabled());
    EXPECT_TRUE(span.UpperEdit()->isEnabled());

    quantity.SetCheckLength(300);
    EXPECT_EQ(span.width(), 128);
    EXPECT_EQ(span.UpperEdit()->x(), span.x() + 128 + 43);

    quantity.setVisible(false);
    EXPECT_TRUE(label->isHidden());
    EXPECT_TRUE(span.UpperEdit()->isHidden());

    TQueryControl& name = make(TQuSubType::stQuSafeEdit);
    name.SetCheckLength(200);
    EXPECT_EQ(name.Editor()->width(), 200);
    name.SetCheckPosition(TQuCheckPosition::lpBelow);
    EXPECT_EQ(name.Editor()->pos(), QPoint(name.x(), name.y() + name.height() + 3));
}

TEST_F(QueryControlTest, AssistiveToolsReadEveryEditorByItsCaption)
{
    auto nameOf = [](QWidget* widget) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
        return face ? face->text(QAccessible::Name).toStdString() : "(not accessible)";
    };
    for (TQuSubType subType : {TQuSubType::stQuEdit, TQuSubType::stQuComboBox,
                               TQuSubType::stQuSafeEdit, TQuSubType::stQuVelCombobox})
        EXPECT_EQ(nameOf(make(subType).Editor()), "名称") << static_cast<int>(subType);

    TQueryControl& quantity = make(TQuSubType::stQuIntegerEdit, TQuCheckFieldType::ctNumber,
                                   TOpChar::opEqual, "Quantity", "数量");
    EXPECT_EQ(nameOf(quantity.Editor()), "数量");
    EXPECT_EQ(nameOf(editorOf<TIntegerSpan>(quantity).UpperEdit()), "数量 到");
    TQueryControl& price = make(TQuSubType::stQuFloatEdit, TQuCheckFieldType::ctNumber,
                                TOpChar::opEqual, "Price", "单价");
    EXPECT_EQ(nameOf(editorOf<TFloatSpan>(price).UpperEdit()), "单价 到");
    TQueryControl& day = make(TQuSubType::stQuDateTimePicker, TQuCheckFieldType::ctDateTime,
                              TOpChar::opEqual, "BillDate", "日期");
    EXPECT_EQ(nameOf(day.Editor()), "日期");
    EXPECT_EQ(nameOf(editorOf<TTimeSpan>(day).EndPicker()), "日期 到");
    day.setText(QString::fromUtf8("开单日期")); // as the forms translate captions
    panel.grab();
    EXPECT_EQ(nameOf(day.Editor()), "开单日期");
    EXPECT_EQ(nameOf(editorOf<TTimeSpan>(day).EndPicker()), "开单日期 到");
}

TEST_F(QueryControlTest, ChangingTheSubTypeRemakesTheEditor)
{
    TQueryControl& control = make(TQuSubType::stQuEdit);
    control.SetCheckLength(150);
    QPointer<QWidget> old = control.Editor();
    control.SetSubType(TQuSubType::stQuEdit);
    EXPECT_EQ(control.Editor(), old.data());
    EXPECT_EQ(control.CheckLength(), 150);

    control.SetSubType(TQuSubType::stQuIntegerEdit);
    EXPECT_TRUE(old.isNull());
    auto& span = editorOf<TIntegerSpan>(control);
    EXPECT_EQ(control.CheckLength(), 240);
    EXPECT_EQ(span.parentWidget(), &panel);
    EXPECT_FALSE(span.isEnabled()) << "unticked";
    EXPECT_EQ(span.x(), control.x() + control.width() + 3);
    EXPECT_EQ(span.width(), 98);

    EXPECT_EQ(messageOf([&] { control.SetSubType(static_cast<TQuSubType>(42)); }), "不认识该类型");
    EXPECT_EQ(control.Editor(), nullptr);
    control.setChecked(true);
    EXPECT_EQ(control.GetCondition(), "");
}

TEST_F(QueryControlTest, ARangeGivenAParentBeforeItsWidthSplitsItsOwnWidth)
{
    TTimeSpan span;
    span.resize(140, span.height());
    span.setParent(&panel);
    EXPECT_EQ(span.EndPicker()->parentWidget(), &panel);
    EXPECT_EQ(span.EndPicker()->width(), 50);
    EXPECT_TRUE(span.RangeLabel()->isEnabled()) << "a date range's label starts enabled";
    EXPECT_FALSE(span.EndPicker()->isEnabled());
}

TEST_F(QueryControlTest, DateRangeOperations)
{
    TTimeSpan span;
    EXPECT_EQ(span.EndPicker()->date(), QDate::currentDate());
    EXPECT_EQ(span.date(), QDate::currentDate().addMonths(-1));

    span.SetLastMonth(date(2005, 3, 31));
    EXPECT_EQ(span.StartText(), "2005-02-28");
    EXPECT_EQ(span.EndText(), "2005-03-31");
    span.SetLastYear(date(2004, 2, 29));
    EXPECT_EQ(span.StartText(), "2003-02-28");
    EXPECT_EQ(span.EndText(), "2004-02-29");

    span.setTime(QTime(9, 30));
    EXPECT_EQ(span.StartText(), "2003-02-28 09:30:00");
    EXPECT_EQ(span.GetRangeCondition(), " between '2003-02-28' and '2004-02-29'");
    span.ClearTimes();
    EXPECT_EQ(span.StartText(), "2003-02-28");
}

} // namespace
} // namespace corvo::controls
