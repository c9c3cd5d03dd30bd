#include "ControlFixtures.h"
#include "controls/TFloatEdit.h"
#include "controls/TIntegerEdit.h"
#include "entity/Error.h"

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace corvo::controls {
namespace {

/// Keys typed one by one; "\b" is backspace, "\r" Enter.
template <typename Edit> void typeKeys(Edit& edit, const QString& keys)
{
    for (QChar key : keys) {
        if (key == u'\b')
            QTest::keyClick(&edit, Qt::Key_Backspace);
        else if (key == u'\r')
            QTest::keyClick(&edit, Qt::Key_Return);
        else
            testing::typeText(&edit, QString(key));
    }
}

/// A paste over the whole text, through the clipboard as the user's menu does it.
void pasteOver(QLineEdit& edit, const QString& text)
{
    QApplication::clipboard()->setText(text);
    edit.selectAll();
    edit.paste();
}

struct TypingCase {
    const char* keys;
    const char* shown;
    double value;
};

class IntegerTyping : public ::testing::TestWithParam<TypingCase> {};

TEST_P(IntegerTyping, FiltersKeysAndReplacesTheLoneZero)
{
    TIntegerEdit edit;
    typeKeys(edit, QString::fromUtf8(GetParam().keys));
    EXPECT_EQ(edit.text(), QString::fromUtf8(GetParam().shown));
    EXPECT_EQ(edit.Number(), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Keys, IntegerTyping,
                         ::testing::Values(TypingCase{"7", "7", 7}, TypingCase{"12", "12", 12},
                                           TypingCase{"-5", "5", 5}, TypingCase{"1.5", "15", 15},
                                           TypingCase{"1a张2 ", "12", 12},
                                           TypingCase{"7\b", "0", 0}, TypingCase{"0", "0", 0},
                                           TypingCase{"\r3", "3", 3},
                                           TypingCase{"12\b\b9", "9", 9}));

class FloatTyping : public ::testing::TestWithParam<TypingCase> {};

TEST_P(FloatTyping, FiltersKeysAllowsOnePointAndReplacesTheLoneZero)
{
    TFloatEdit edit;
    typeKeys(edit, QString::fromUtf8(GetParam().keys));
    EXPECT_EQ(edit.text(), QString::fromUtf8(GetParam().shown));
    EXPECT_EQ(edit.Value(), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Keys, FloatTyping,
                         ::testing::Values(TypingCase{"7", "7", 7}, TypingCase{"1.5", "1.5", 1.5},
                                           TypingCase{"1.5.2", "1.52", 1.52},
                                           TypingCase{"-2", "2", 2}, TypingCase{".", "0", 0},
                                           TypingCase{"x", "0", 0}, TypingCase{"7\b", "0", 0},
                                           TypingCase{"2.\b5", "25", 25}));

TEST(NumericEditTest, APasteThatIsNoNumberShowsTheLastValueAgain)
{
    TIntegerEdit integer;
    integer.SetNumber(5);
    QSignalSpy changed(&integer, &TIntegerEdit::changed);
    for (const char* pasted : {"12a", "-3", "99999999999", "1.0"}) {
        pasteOver(integer, QString::fromUtf8(pasted));
        EXPECT_EQ(integer.text(), "5") << pasted;
        EXPECT_EQ(integer.Number(), 5);
    }
    pasteOver(integer, "2147483647");
    EXPECT_EQ(integer.Number(), 2147483647);
    // Each restored text is accepted again, so every paste ends in one change.
    EXPECT_EQ(changed.count(), 5);

    TFloatEdit number;
    number.SetValue(2.5);
    for (const char* pasted : {"abc", "1,5", "inf", "1e999"}) {
        pasteOver(number, QString::fromUtf8(pasted));
        EXPECT_EQ(number.text(), "2.5") << pasted;
        EXPECT_EQ(number.Value(), 2.5);
    }
    pasteOver(number, "-0.25");
    EXPECT_EQ(number.Value(), -0.25);
}

TEST(NumericEditTest, ClearingLeavesZero)
{
    TIntegerEdit integer;
    integer.SetNumber(42);
    integer.clear();
    EXPECT_EQ(integer.text(), "0");
    EXPECT_EQ(integer.Number(), 0);

    TFloatEdit number;
    number.SetValue(4.75);
    number.clear();
    EXPECT_EQ(number.text(), "0");
    EXPECT_EQ(number.Value(), 0);
}

TEST(NumericEditTest, WritingTheValueShowsItsShortestForm)
{
    TFloatEdit number;
    number.SetValue(0.1);
    EXPECT_EQ(number.text(), "0.1");
    number.SetValue(100);
    EXPECT_EQ(number.text(), "100");
    try {
        number.SetValue(std::numeric_limits<double>::quiet_NaN());
        ADD_FAILURE() << "NaN accepted";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "数值无效，不能显示在编辑框中。");
    }
    EXPECT_EQ(number.Value(), 100);
    EXPECT_EQ(number.text(), "100");
}

TEST(NumericEditTest, ShortcutsAndCaretKeysPass)
{
    TIntegerEdit edit;
    edit.SetNumber(123);
    edit.setCursorPosition(3);
    QTest::keyClick(&edit, Qt::Key_Left);
    QTest::keyClick(&edit, Qt::Key_Delete);
    EXPECT_EQ(edit.text(), "12");
    QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(edit.selectedText(), "12");
}

} // namespace
} // namespace corvo::controls
