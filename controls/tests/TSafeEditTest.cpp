#include "controls/TSafeEdit.h"

#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <gtest/gtest.h>

namespace corvo::controls {
namespace {

TEST(TSafeEditTest, QuotesBecomeDoubleQuotesWithTheCaretAtTheEnd)
{
    struct Case {
        const char* typedOrPasted;
        const char* shown;
    };
    for (const Case& c : {Case{"O'Brien", "O\"Brien"}, Case{"''", "\"\""}, Case{"张'三", "张\"三"},
                          Case{"plain", "plain"}}) {
        TSafeEdit edit;
        QSignalSpy changed(&edit, &TSafeEdit::changed);
        edit.setText(QString::fromUtf8(c.typedOrPasted)); // a paste
        EXPECT_EQ(edit.text(), QString::fromUtf8(c.shown));
        EXPECT_EQ(edit.cursorPosition(), edit.text().size());
        EXPECT_EQ(changed.count(), 1) << c.typedOrPasted;
    }
    TSafeEdit typed;
    QTest::keyClicks(&typed, "it's");
    EXPECT_EQ(typed.text(), "it\"s");
}

TEST(TSafeEditTest, UpperCaseAndMask)
{
    TSafeEdit organ;
    organ.setUpperCase(true);
    QTest::keyClicks(&organ, "ls01");
    EXPECT_EQ(organ.text(), "LS01");

    TSafeEdit password;
    password.setMasked(true);
    EXPECT_EQ(password.echoMode(), QLineEdit::Password);
    EXPECT_EQ(
        password.style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, &password),
        '*');
}

} // namespace
} // namespace corvo::controls
