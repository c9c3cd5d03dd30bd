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

TEST(TSafeEditTest, AQuoteTypedOrPastedInsideTheTextLeavesTheCaretJustAfterIt)
{
    struct Case {
        const char* before;
        int caret;
        const char* typed; ///< nullptr: `pasted` goes in as a paste
        const char* pasted;
        const char* after;
        int caretAfter;
    };
    for (const Case& c :
         {Case{"abc", 1, "'", nullptr, "a\"bc", 2}, Case{"abc", 1, "'x", nullptr, "a\"xbc", 3},
          Case{"abc", 3, "'", nullptr, "abc\"", 4}, Case{"张三", 1, "'", nullptr, "张\"三", 2},
          Case{"abc", 1, nullptr, "'q", "a\"qbc", 3}}) {
        TSafeEdit edit;
        edit.setText(QString::fromUtf8(c.before));
        edit.setCursorPosition(c.caret);
        if (c.typed)
            QTest::keyClicks(&edit, c.typed);
        else
            edit.insert(QString::fromUtf8(c.pasted));
        EXPECT_EQ(edit.text(), QString::fromUtf8(c.after)) << c.after;
        EXPECT_EQ(edit.cursorPosition(), c.caretAfter) << c.after;
    }
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
