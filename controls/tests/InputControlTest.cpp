#include "ControlFixtures.h"
#include "controls/TFloatEdit.h"
#include "controls/TInputControl.h"
#include "controls/TIntegerEdit.h"
#include "controls/TPictureBox.h"
#include "controls/TSafeEdit.h"
#include "controls/TVelComboBox.h"

#include <QAccessible>
#include <QBuffer>
#include <QComboBox>
#include <QDateEdit>
#include <QImage>
#include <QPlainTextEdit>
#include <gtest/gtest.h>

namespace corvo::controls {
namespace {

using testing::gbkOf;
using testing::messageOf;

std::string textOf(const TInputControl& control)
{
    return control.Text().toText();
}

Bytes pngBytes()
{
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return Bytes(data.begin(), data.end());
}

struct TextCase {
    const char* name;
    TSubType subType;
    Variant written;
    std::string read; // GBK
};

class InputTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(InputTextTest, WritesAndReadsThroughTheEditor)
{
    TInputControl control(nullptr, GetParam().subType);
    control.SetText(GetParam().written);
    EXPECT_EQ(textOf(control), GetParam().read);
}

INSTANTIATE_TEST_SUITE_P(
    SubTypes, InputTextTest,
    ::testing::Values(
        TextCase{"edit", TSubType::stEdit, Variant(gbkOf("张三")), gbkOf("张三")},
        TextCase{"editInteger", TSubType::stEdit, Variant(12), "12"},
        TextCase{"safeEdit", TSubType::stSafeEdit, Variant("O'Brien"), "O\"Brien"},
        TextCase{"integer", TSubType::stIntegerEdit, Variant("12"), "12"},
        TextCase{"integerRefusesText", TSubType::stIntegerEdit, Variant("12a"), "0"},
        TextCase{"float", TSubType::stFloatEdit, Variant(2.5), "2.5"},
        TextCase{"comboFreeText", TSubType::stComboBox, Variant(gbkOf("自由")), gbkOf("自由")},
        TextCase{"memo", TSubType::stMemo, Variant("a\nb"), "a\nb"},
        TextCase{"date", TSubType::stDateTimePicker, Variant("2005-03-01"), "2005-03-01"},
        TextCase{"dateWithTime", TSubType::stDateTimePicker,
                 Variant(DateTime{DateTime::fromDate(2005, 3, 1)->days + 0.4375}), "2005-03-01"},
        TextCase{"dateAndTimeText", TSubType::stDateTimePicker, Variant("2005-03-01 10:30"),
                 "2005-03-01"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(InputControlTest, ACodeNameInputReadsAsTheInnerCode)
{
    TInputControl control(nullptr, TSubType::stVelCombobox);
    auto* box = qobject_cast<TVelComboBox*>(control.Editor());
    ASSERT_NE(box, nullptr);
    testing::People people;
    people.loadInto(*box);

    control.SetText(Variant("{B2}"));
    EXPECT_EQ(box->text(), QString::fromUtf8("李四"));
    EXPECT_EQ(textOf(control), "{B2}");

    control.SetText(Variant(""));
    EXPECT_EQ(textOf(control), "");
    EXPECT_EQ(box->text(), "");
}

TEST(InputControlTest, AnImageKeepsItsBytesAndIgnoresWrites)
{
    QWidget panel;
    TInputControl control(&panel, TSubType::stImage);
    auto* picture = qobject_cast<TPictureBox*>(control.Editor());
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->parentWidget(), &panel) << "put on the caption's parent at once";
    EXPECT_LE(picture->width(), 90);
    EXPECT_LE(picture->height(), 120);

    Variant empty = control.Text();
    ASSERT_EQ(empty.type(), Variant::Type::Bytes);
    EXPECT_TRUE(empty.asBytes().empty());

    const Bytes png = pngBytes();
    picture->LoadFromBytes(png);
    control.SetText(Variant("anything"));
    control.SetText(Variant(Bytes{1, 2, 3}));
    EXPECT_EQ(control.Text().asBytes(), png);

    EXPECT_EQ(messageOf([&] { picture->LoadFromBytes(Bytes{1, 2, 3}); }), "图片数据无法识别。");
    EXPECT_EQ(control.Text().asBytes(), png);
}

TEST(InputControlTest, BadInputIsRefusedWithAClearError)
{
    TInputControl date(nullptr, TSubType::stDateTimePicker);
    date.SetText(Variant("2005-03-01"));
    for (const char* bad : {"2005-02-30", "", "01/03/2005"})
        EXPECT_EQ(messageOf([&] { date.SetText(Variant(bad)); }),
                  std::string("'") + bad + "'不是有效的日期和时间");
    EXPECT_EQ(textOf(date), "2005-03-01");

    TInputControl edit(nullptr, TSubType::stEdit);
    static_cast<QLineEdit*>(edit.Editor())->setText(QString::fromUtf8("\xF0\x9F\x98\x80"));
    EXPECT_NE(messageOf([&] { edit.Text(); }), "");
    EXPECT_NE(messageOf([&] { edit.SetText(Variant("\xFF\xFF")); }), "");
}

TEST(InputControlTest, AnUnknownSubTypeLeavesNoEditor)
{
    EXPECT_EQ(messageOf([] { TInputControl control(nullptr, static_cast<TSubType>(42)); }),
              "未知类型：[]");

    TInputControl control;
    control.setObjectName("sedName");
    EXPECT_EQ(messageOf([&] { control.SetSubType(static_cast<TSubType>(42)); }),
              "未知类型：[sedName]");
    EXPECT_EQ(control.Editor(), nullptr);
    EXPECT_TRUE(control.Text().isNull());
    control.SetText(Variant("x"));
    control.SetSubType(TSubType::stSafeEdit);
    EXPECT_NE(qobject_cast<TSafeEdit*>(control.Editor()), nullptr);
}

TEST(InputControlTest, EditorKindsAndTextEdits)
{
    struct Case {
        TSubType subType;
        const char* className;
        bool textEdit;
    };
    for (const Case& c : {Case{TSubType::stEdit, "QLineEdit", true},
                          Case{TSubType::stSafeEdit, "corvo::controls::TSafeEdit", true},
                          Case{TSubType::stComboBox, "QComboBox", false},
                          Case{TSubType::stIntegerEdit, "corvo::controls::TIntegerEdit", false},
                          Case{TSubType::stFloatEdit, "corvo::controls::TFloatEdit", false},
                          Case{TSubType::stVelCombobox, "corvo::controls::TVelComboBox", false},
                          Case{TSubType::stDateTimePicker, "QDateEdit", false},
                          Case{TSubType::stMemo, "QPlainTextEdit", false},
                          Case{TSubType::stImage, "corvo::controls::TPictureBox", false}}) {
        TInputControl control(nullptr, c.subType);
        ASSERT_NE(control.Editor(), nullptr);
        EXPECT_STREQ(control.Editor()->metaObject()->className(), c.className);
        EXPECT_EQ(control.IsTextEdit(), c.textEdit) << c.className;
        EXPECT_EQ(control.CheckWidth(), 120);
    }
    TInputControl control;
    EXPECT_EQ(control.SubType(), TSubType::stEdit);
    EXPECT_EQ(control.CheckPosition(), TCheckPosition::lpRight);
    EXPECT_EQ(control.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);

    TInputControl date(nullptr, TSubType::stDateTimePicker);
    auto* picker = static_cast<QDateEdit*>(date.Editor());
    EXPECT_EQ(picker->date(), QDate::currentDate());
    EXPECT_EQ(picker->height(), picker->sizeHint().height() + 2);
    EXPECT_EQ(picker->displayFormat(), "yyyy-MM-dd");
}

std::string accessibleName(QWidget* widget)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name).toStdString() : "(not accessible)";
}

TEST(InputControlTest, AssistiveToolsReadEveryEditorByItsCaption)
{
    QWidget panel;
    for (TSubType subType :
         {TSubType::stEdit, TSubType::stComboBox, TSubType::stSafeEdit, TSubType::stIntegerEdit,
          TSubType::stFloatEdit, TSubType::stVelCombobox, TSubType::stDateTimePicker,
          TSubType::stMemo, TSubType::stImage}) {
        auto* control = new TInputControl(nullptr, subType);
        control->SetCaption(QString::fromUtf8("单据编号"));
        control->setParent(&panel);
        EXPECT_EQ(accessibleName(control->Editor()), "单据编号") << static_cast<int>(subType);
        EXPECT_EQ(control->buddy(), control->Editor());
        control->SetCaption(QString::fromUtf8("客户&名称"));
        EXPECT_EQ(accessibleName(control->Editor()), "客户名称") << static_cast<int>(subType);
        control->setText(QString::fromUtf8("客户简称")); // as the forms translate captions
        panel.grab();
        EXPECT_EQ(accessibleName(control->Editor()), "客户简称") << static_cast<int>(subType);
    }
    auto* remade = new TInputControl(&panel, TSubType::stEdit);
    remade->SetCaption(QString::fromUtf8("备注"));
    remade->SetSubType(TSubType::stMemo);
    EXPECT_EQ(accessibleName(remade->Editor()), "备注");
}

TEST(InputControlTest, TheEditorStandsThreePixelsFromTheCaption)
{
    struct Case {
        TCheckPosition position;
        int left;
        int top; // with the caption at (100, 50), 60 × 20, the editor 120 × h
    };
    QWidget panel;
    panel.show(); // moves of hidden widgets are reported only when they show
    TInputControl control(&panel);
    control.setGeometry(100, 50, 60, 20);
    const int h = control.Editor()->height();
    for (const Case& c :
         {Case{TCheckPosition::lpRight, 163, 50}, Case{TCheckPosition::lpLeft, 100 - 120 - 3, 50},
          Case{TCheckPosition::lpAbove, 100, 50 - h - 3}, Case{TCheckPosition::lpBelow, 100, 73}}) {
        control.SetCheckPosition(c.position);
        EXPECT_EQ(control.Editor()->pos(), QPoint(c.left, c.top)) << static_cast<int>(c.position);
    }
    control.SetCheckPosition(TCheckPosition::lpRight);
    control.move(10, 20);
    EXPECT_EQ(control.Editor()->pos(), QPoint(73, 20)) << "placed again after a move";
    control.SetCheckLeft(400);
    EXPECT_EQ(control.Editor()->pos(), QPoint(73, 20)) << "CheckPosition places it again";
}

TEST(InputControlTest, TheEditorFollowsTheCaptionsParentAndState)
{
    QWidget panel;
    TInputControl control(nullptr, TSubType::stSafeEdit);
    control.SetCheckWidth(200);
    control.SetCheckHeight(40);
    QWidget* editor = control.Editor();
    EXPECT_EQ(editor->parentWidget(), nullptr);

    control.SetCaption(QString::fromUtf8("名称"));
    control.setParent(&panel);
    EXPECT_EQ(editor->parentWidget(), &panel);
    EXPECT_FALSE(editor->isHidden());
    EXPECT_FALSE(control.isHidden());
    EXPECT_EQ(editor->size(), QSize(200, 40));
    EXPECT_EQ(editor->x(), control.x() + control.width() + 3);

    control.setEnabled(false);
    EXPECT_FALSE(editor->isEnabled());
    control.setEnabled(true);
    EXPECT_TRUE(editor->isEnabled());
    control.setVisible(false);
    EXPECT_TRUE(editor->isHidden());
    control.setVisible(true);
    EXPECT_FALSE(editor->isHidden());
    control.setLayoutDirection(Qt::RightToLeft);
    EXPECT_EQ(editor->layoutDirection(), Qt::RightToLeft);

    // The form may disable an editor itself; a change of the panel must not undo that.
    editor->setEnabled(false);
    panel.setEnabled(false);
    panel.setEnabled(true);
    EXPECT_FALSE(editor->isEnabled());
}

TEST(InputControlTest, ChangingTheSubTypeRemakesAndPlacesTheEditor)
{
    QWidget panel;
    TInputControl control(&panel, TSubType::stSafeEdit);
    control.setGeometry(30, 40, 50, 20);
    QPointer<QWidget> old = control.Editor();
    control.SetSubType(TSubType::stSafeEdit);
    EXPECT_EQ(control.Editor(), old.data()) << "unchanged sub type keeps the editor";

    control.SetSubType(TSubType::stIntegerEdit);
    EXPECT_TRUE(old.isNull());
    auto* integer = qobject_cast<TIntegerEdit*>(control.Editor());
    ASSERT_NE(integer, nullptr);
    EXPECT_EQ(integer->parentWidget(), &panel);
    EXPECT_EQ(integer->pos(), QPoint(83, 40));
    EXPECT_EQ(textOf(control), "0");
}

TEST(InputControlTest, AnEditorDestroyedFromOutsideIsForgotten)
{
    QWidget panel;
    auto* control = new TInputControl(&panel, TSubType::stFloatEdit);
    delete control->Editor();
    EXPECT_EQ(control->Editor(), nullptr);
    EXPECT_TRUE(control->Text().isNull());
    control->SetText(Variant(1.5));
    control->move(5, 5);
    control->setEnabled(false);

    // And the panel may go first: caption and editor are both its children.
    QPointer<QWidget> memo;
    {
        QWidget other;
        memo = (new TInputControl(&other, TSubType::stMemo))->Editor();
    }
    EXPECT_TRUE(memo.isNull());
}

} // namespace
} // namespace corvo::controls
