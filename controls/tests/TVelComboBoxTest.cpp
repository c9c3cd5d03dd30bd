#include "controls/TVelComboBox.h"

#include "entity/tests/TestTables.h"
#include "platform/Modal.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImage>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QInputMethodQueryEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

namespace corvo::controls {
namespace {

using test::addRow;
using test::build;
using test::G;

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

void commit(QWidget* widget, const QString& text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(widget, &event);
}

class TVelComboBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::setModalInterceptor([this](QDialog& dialog) {
            if (auto* box = qobject_cast<QMessageBox*>(&dialog))
                messages.push_back(box->text().toStdString());
            return 0;
        });
        window.resize(400, 300);
        other = new QLineEdit(&window); // first in the tab order: it takes the window's focus
        other->setGeometry(200, 20, 80, 21);
        box = new TVelComboBox(&window);
        box->setGeometry(10, 20, 110, 21);
        build(ds, {{"ObjID", FieldType::String, 38},
                   {"HelpIndex", FieldType::String, 10},
                   {"Code", FieldType::String, 10},
                   {"Name", FieldType::String, 20}});
        addRow(ds, {"{A1}", "ZS", "001", G("张三")});
        addRow(ds, {"{B2}", "LS", "002", G("李四")});
        ds.First();
        window.show();
        QApplication::setActiveWindow(&window);
    }
    void TearDown() override { platform::setModalInterceptor({}); }

    void loadTwo() { box->LoadFromDataSet(&ds, "ObjID", "HelpIndex", "Code", "Name"); }
    void enter()
    {
        box->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), box);
        ASSERT_NE(box->list(), nullptr);
    }
    std::string shown() const { return box->shownCodes().join(',').toStdString(); }
    QTableView* list() const { return box->list(); }

    QWidget window;
    TVelComboBox* box = nullptr;
    QLineEdit* other = nullptr;
    TClientDataSet ds;
    std::vector<std::string> messages;
};

TEST_F(TVelComboBoxTest, StartsWithThePublishedValues)
{
    EXPECT_FALSE(box->EnterList());
    EXPECT_FALSE(box->ShowErr());
    EXPECT_TRUE(box->Ime1Visible());
    EXPECT_TRUE(box->Ime2Visible());
    EXPECT_EQ(box->Lines(), 5);
    EXPECT_TRUE(box->Strict());
    EXPECT_TRUE(box->inputMethodHints() & Qt::ImhPreferLatin);
    EXPECT_EQ(box->list(), nullptr); // made at the first focus
    EXPECT_EQ(box->columnWidths().scrollAllowance, 30);
    EXPECT_EQ(box->ItemCount(), 0);
}

TEST_F(TVelComboBoxTest, TypingFiltersAndEnterChooses)
{
    struct Case {
        const char* preset;
        bool strict;
        const char* typed;
        bool ime;
        bool pressEnter;
        const char* shown;
        const char* innerCode;
        const char* ime1;
        const char* text;
    };
    const Case cases[] = {
        {"", true, "z", false, false, "{A1}", "", "", "z"},
        {"", true, "0", false, false, "{A1},{B2}", "", "", "0"},
        {"", true, "00", false, true, "{A1},{B2}", "", "", "00"}, // equals no column text
        {"", true, "002", false, true, "{B2}", "{B2}", "LS", "李四"},
        {"", true, "李四", true, true, "{B2}", "{B2}", "LS", "李四"},
        {"{A1}", true, "ls", false, true, "{B2}", "{B2}", "LS", "李四"},
        {"", false, "XYZ", false, true, "", "XYZ", "", "XYZ"},
        {"{A1}", true, "XYZ", false, true, "", "{A1}", "ZS", "XYZ"},
        // Unmatched free text becomes the inner code untrimmed; the column texts stay.
        {"{A1}", false, " xyz ", false, true, "", " xyz ", "ZS", " xyz "},
    };
    loadTwo();
    for (const Case& c : cases) {
        box->SetStrict(c.strict);
        box->SetInnerCode(U(c.preset));
        enter();
        if (c.ime)
            commit(box, U(c.typed));
        else
            QTest::keyClicks(box, c.typed);
        if (c.pressEnter) QTest::keyClick(box, Qt::Key_Return);
        EXPECT_EQ(shown(), c.shown) << c.typed;
        EXPECT_EQ(box->InnerCode(), U(c.innerCode)) << c.typed;
        EXPECT_EQ(box->Ime1Text(), U(c.ime1)) << c.typed;
        EXPECT_EQ(box->text(), U(c.text)) << c.typed;
        other->setFocus();
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(TVelComboBoxTest, KeysReachTheBoxEvenWithAChineseInputMethodActive)
{
    // An input method takes the keys of every focused widget that reports itself open to
    // input methods; the box reports itself closed, so mnemonics reach it as keys.
    loadTwo();
    enter();
    EXPECT_FALSE(box->testAttribute(Qt::WA_InputMethodEnabled));
    QInputMethodQueryEvent query(Qt::ImEnabled);
    QApplication::sendEvent(box, &query);
    EXPECT_FALSE(query.value(Qt::ImEnabled).toBool());
    EXPECT_FALSE(QGuiApplication::inputMethod()->queryFocusObject(Qt::ImEnabled, {}).toBool());
    QTest::keyClicks(box, "ls");
    EXPECT_EQ(shown(), "{B2}");
    other->setFocus();
    QInputMethodQueryEvent plain(Qt::ImEnabled);
    QApplication::sendEvent(other, &plain);
    EXPECT_TRUE(plain.value(Qt::ImEnabled).toBool()); // the other editors keep theirs
}

TEST_F(TVelComboBoxTest, ChineseCompositionFiltersOnlyWhenCommitted)
{
    loadTwo();
    enter();
    QInputMethodEvent composing(QStringLiteral("li"), {});
    QApplication::sendEvent(box, &composing);
    EXPECT_EQ(shown(), "{A1},{B2}");
    commit(box, U("李"));
    EXPECT_EQ(box->text(), U("李"));
    EXPECT_EQ(shown(), "{B2}");
}

TEST_F(TVelComboBoxTest, EmptyingOrBlankingTheTextClearsTheChoice)
{
    loadTwo();
    box->SetInnerCode("{A1}");
    enter();
    QTest::keyClick(box, Qt::Key_Backspace); // the whole text was selected on entering
    EXPECT_EQ(box->InnerCode(), "");         // an empty text clears at once
    EXPECT_EQ(shown(), "{A1},{B2}");

    box->SetInnerCode("{A1}");
    box->selectAll();
    QTest::keyClicks(box, "  ");
    EXPECT_EQ(box->InnerCode(), "{A1}"); // blank is not empty while typing
    QTest::keyClick(box, Qt::Key_Enter);
    EXPECT_TRUE(box->InnerCode().isEmpty() && box->Ime1Text().isEmpty());
    EXPECT_EQ(box->text(), "  ");

    box->SetInnerCode("{B2}");
    box->selectAll();
    QTest::keyClicks(box, " ");
    other->setFocus(); // leaving with a blank text
    EXPECT_EQ(box->InnerCode(), "");
    EXPECT_EQ(box->text(), "");

    box->SetInnerCode("{B2}");
    enter();
    QTest::keyClicks(box, "xyz");
    other->setFocus(); // typed but not confirmed: the choice stays
    EXPECT_EQ(box->InnerCode(), "{B2}");
    EXPECT_EQ(box->text(), "xyz");
}

TEST_F(TVelComboBoxTest, SetInnerCode)
{
    struct Case {
        bool showErr;
        bool strict;
        const char* code;
        const char* innerCode;
        const char* ime1;
        const char* ime2;
        const char* text;
        bool message;
    };
    const Case cases[] = {
        {false, true, "", "", "", "", "", false},
        {false, true, "{b2}", "{b2}", "LS", "002", "李四", false}, // letter case ignored
        {false, true, "Q9", "{A1}", "ZS", "001", "张三", false},
        {true, true, "Q9", "{A1}", "ZS", "001", "张三", true},
        {false, false, "Q9", "Q9", "Q9", "Q9", "Q9", false},
        {true, false, "Q9", "{A1}", "ZS", "001", "张三", true},
    };
    loadTwo();
    box->SetEnterList(true);
    for (const Case& c : cases) {
        box->SetShowErr(false);
        box->SetInnerCode("{A1}");
        box->SetShowErr(c.showErr);
        box->SetStrict(c.strict);
        messages.clear();
        box->SetInnerCode(U(c.code));
        EXPECT_EQ(box->InnerCode(), U(c.innerCode)) << c.code;
        EXPECT_EQ(box->Ime1Text(), U(c.ime1)) << c.code;
        EXPECT_EQ(box->Ime2Text(), U(c.ime2)) << c.code;
        EXPECT_EQ(box->text(), U(c.text)) << c.code;
        EXPECT_EQ(messages, c.message ? std::vector<std::string>{"内码转换出错!"}
                                      : std::vector<std::string>{})
            << c.code;
    }
    // Written quietly: no list made, shown or filtered.
    EXPECT_EQ(box->list(), nullptr);
    EXPECT_EQ(shown(), "");
}

TEST_F(TVelComboBoxTest, LoadFromDataSetMessagesAndColumns)
{
    loadTwo();
    box->SetInnerCode("{B2}");
    struct Case {
        const char* key;
        const char* display;
        const char* message;
    };
    for (const Case& c : {Case{"", "Name", "请指定内码字段名,或指定错误!"},
                          Case{"Nope", "Name", "请指定内码字段名,或指定错误!"},
                          Case{"ObjID", "", "请指定下拉列表要显示的字段名!"},
                          Case{"ObjID", "Nope", "请指定下拉列表要显示的字段名!"}}) {
        messages.clear();
        box->LoadFromDataSet(&ds, c.key, "HelpIndex", "Code", c.display);
        EXPECT_EQ(messages, std::vector<std::string>{c.message}) << c.key << c.display;
        EXPECT_EQ(box->ItemCount(), 0);
    }
    EXPECT_EQ(box->InnerCode(), "{B2}"); // the choice is never touched by loading

    // Empty HelpIndex on the current row: column 1 hidden for good.
    addRow(ds, {"{C3}", std::nullopt, "003", G("王五")});
    addRow(ds, {"{D4}", "ZL", "004", std::nullopt}); // no display text: not loaded
    ds.SetRecNo(3);
    messages.clear();
    loadTwo();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(box->ItemCount(), 3);
    EXPECT_FALSE(box->Ime1Visible());
    EXPECT_TRUE(box->Ime2Visible());
    ds.First();
    loadTwo();
    EXPECT_FALSE(box->Ime1Visible());
    TItemField item;
    box->GetItem(0, item);
    EXPECT_EQ(item.Ime1Text, "ZS");

    box->LoadFromDataSet(nullptr, "ObjID", "", "", "Name");
    EXPECT_EQ(box->ItemCount(), 0);
    EXPECT_TRUE(messages.empty());
}

TEST_F(TVelComboBoxTest, KeptWidthsAndScrollAllowanceFollowLoading)
{
    loadTwo();
    EXPECT_EQ(box->columnWidths().scrollAllowance, 10); // 2 entries in 5 lines
    const QFontMetrics metrics(box->font());
    EXPECT_EQ(box->columnWidths().kept[2], metrics.horizontalAdvance(U("张三")) + 22);
    for (int i = 0; i < 4; ++i)
        addRow(ds, {QString("{X%1}").arg(i).toStdString(), "W", "9", "W"});
    loadTwo();
    EXPECT_EQ(box->ItemCount(), 6);
    EXPECT_EQ(box->columnWidths().scrollAllowance, 35);
}

TEST_F(TVelComboBoxTest, GetItemAndClearItems)
{
    loadTwo();
    TItemField item;
    box->GetItem(1, item);
    EXPECT_EQ(item.InnerCode, "{B2}");
    EXPECT_EQ(item.Ime1Text, "LS");
    EXPECT_EQ(item.Ime2Text, "002");
    EXPECT_EQ(item.DisplayText, U("李四"));
    for (int i : {2, -1}) {
        messages.clear();
        box->GetItem(i, item);
        EXPECT_EQ(messages, std::vector<std::string>{"超出范围"});
        EXPECT_EQ(item.InnerCode, "{B2}"); // left as it was
    }

    box->SetInnerCode("{A1}");
    enter();
    box->ClearItems();
    EXPECT_EQ(box->ItemCount(), 0);
    EXPECT_EQ(shown(), "");
    EXPECT_EQ(box->InnerCode(), "{A1}");
    QTest::keyClicks(box, "z");
    EXPECT_EQ(shown(), "");
}

TEST_F(TVelComboBoxTest, EnteringSelectsFillsAndShowsOnlyWithEnterList)
{
    loadTwo();
    box->SetInnerCode("{A1}");
    enter();
    EXPECT_EQ(box->selectedText(), U("张三"));
    EXPECT_EQ(list()->parentWidget(), &window);
    EXPECT_FALSE(list()->isVisible());
    EXPECT_EQ(shown(), "{A1},{B2}");
    QTest::keyClicks(box, "l");
    EXPECT_FALSE(list()->isVisible());

    other->setFocus();
    box->SetEnterList(true);
    box->setFocus();
    EXPECT_TRUE(list()->isVisible());
    EXPECT_EQ(shown(), "{A1},{B2}"); // every entry again
    QTest::keyClicks(box, "l");
    EXPECT_TRUE(list()->isVisible());
    EXPECT_EQ(shown(), "{B2}");
    other->setFocus(); // leaving hides it
    EXPECT_FALSE(list()->isVisible());
}

TEST_F(TVelComboBoxTest, BoxKeys)
{
    loadTwo();
    QTest::keyClick(box, Qt::Key_Down); // no list yet: nothing happens
    EXPECT_EQ(box->list(), nullptr);

    enter();
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_TRUE(list()->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), list());

    QTest::keyClick(list(), Qt::Key_Escape);
    EXPECT_FALSE(list()->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), box);

    box->dropDownButton()->click();
    ASSERT_TRUE(list()->isVisible());
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_FALSE(list()->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), box);
}

TEST_F(TVelComboBoxTest, EnterAndEscInADialog)
{
    QDialog dialog;
    auto* comboBox = new TVelComboBox(&dialog);
    auto* plain = new QLineEdit(&dialog);
    auto* ok = new QPushButton("OK", &dialog);
    ok->setDefault(true);
    QSignalSpy clicked(ok, &QPushButton::clicked);
    comboBox->LoadFromDataSet(&ds, "ObjID", "HelpIndex", "Code", "Name");
    dialog.show();
    QApplication::setActiveWindow(&dialog);

    plain->setFocus();
    QTest::keyClick(plain, Qt::Key_Return);
    ASSERT_EQ(clicked.count(), 1); // the dialog does have a default button

    comboBox->setFocus();
    QTest::keyClicks(comboBox, "002");
    QTest::keyClick(comboBox, Qt::Key_Return);
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(comboBox->InnerCode(), "{B2}");

    QTest::keyClick(comboBox, Qt::Key_Down);
    QTest::keyClick(comboBox->list(), Qt::Key_Return);
    EXPECT_EQ(clicked.count(), 1);

    comboBox->dropDownButton()->click();
    ASSERT_TRUE(comboBox->list()->isVisible());
    QTest::keyClick(comboBox, Qt::Key_Escape); // hides the list, the dialog stays
    EXPECT_FALSE(comboBox->list()->isVisible());
    EXPECT_TRUE(dialog.isVisible());
    QTest::keyClick(comboBox, Qt::Key_Escape); // no list shown: Esc is the dialog's
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(TVelComboBoxTest, ListKeys)
{
    loadTwo();
    enter();
    QTest::keyClick(box, Qt::Key_Down);
    QTest::keyClick(list(), Qt::Key_Down);
    EXPECT_EQ(list()->currentIndex().row(), 1);
    QTest::keyClick(list(), Qt::Key_Return);
    EXPECT_EQ(box->InnerCode(), "{B2}");
    EXPECT_EQ(box->Ime2Text(), "002");
    EXPECT_EQ(box->text(), U("李四"));
    EXPECT_EQ(QApplication::focusWidget(), box);
    EXPECT_FALSE(list()->isVisible());

    // Up on the first row goes back to the box; elsewhere it moves up.
    QTest::keyClick(box, Qt::Key_Down);
    QTest::keyClick(list(), Qt::Key_Down);
    QTest::keyClick(list(), Qt::Key_Up);
    EXPECT_EQ(QApplication::focusWidget(), list());
    QTest::keyClick(list(), Qt::Key_Up);
    EXPECT_EQ(QApplication::focusWidget(), box);
    EXPECT_FALSE(list()->isVisible());

    // A letter, digit, +, - or . starts typing in the box.
    struct Case {
        Qt::Key key;
        const char* text;
        const char* shown;
    };
    for (const Case& c : {Case{Qt::Key_L, "l", "{B2}"}, Case{Qt::Key_0, "0", "{A1},{B2}"},
                          Case{Qt::Key_Period, ".", ""}}) {
        QTest::keyClick(box, Qt::Key_Down);
        QTest::keyClick(list(), c.key);
        EXPECT_EQ(QApplication::focusWidget(), box) << c.text;
        EXPECT_EQ(box->text(), c.text);
        EXPECT_EQ(box->cursorPosition(), 1);
        EXPECT_EQ(shown(), c.shown) << c.text;
    }
    EXPECT_EQ(box->InnerCode(), "{B2}");

    // Nothing shown: Enter in the list resolves the typed text instead.
    QTest::keyClick(box, Qt::Key_Down);
    QTest::keyClick(list(), Qt::Key_Return);
    EXPECT_EQ(box->InnerCode(), "{B2}");
    EXPECT_EQ(box->text(), ".");
}

TEST_F(TVelComboBoxTest, TheListTakesTheFocusBackToTheBox)
{
    loadTwo();
    enter();
    QTest::keyClick(box, Qt::Key_Down);
    ASSERT_EQ(QApplication::focusWidget(), list());
    other->setFocus();
    EXPECT_EQ(QApplication::focusWidget(), box);
    EXPECT_FALSE(list()->isVisible());
}

TEST_F(TVelComboBoxTest, TheButtonTogglesAndAClickInTheListChooses)
{
    loadTwo();
    other->setFocus();
    QTest::mouseClick(box->dropDownButton(), Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), box);
    ASSERT_NE(list(), nullptr);
    EXPECT_TRUE(list()->isVisible());
    QTest::mouseClick(box->dropDownButton(), Qt::LeftButton);
    EXPECT_FALSE(list()->isVisible());
    QTest::mouseClick(box->dropDownButton(), Qt::LeftButton);
    ASSERT_TRUE(list()->isVisible());

    const QPoint row1 = list()->visualRect(list()->model()->index(1, 2)).center();
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, row1);
    EXPECT_EQ(box->InnerCode(), "{B2}");
    EXPECT_EQ(box->text(), U("李四"));
    EXPECT_EQ(QApplication::focusWidget(), box);
    EXPECT_FALSE(list()->isVisible());
}

TEST_F(TVelComboBoxTest, ListShapeAndPlacement)
{
    auto* panel = new QWidget(&window); // the list belongs to the window, not to the panel
    panel->setGeometry(0, 200, 400, 100);
    panel->show();
    box->setParent(panel);
    box->setGeometry(10, 50, 110, 21); // 250..271 in the window
    box->show();
    loadTwo();
    enter();
    auto* cover = new QLabel("cover", &window); // made after the list
    cover->setGeometry(0, 0, 400, 300);
    cover->show();
    QTest::keyClick(box, Qt::Key_Down);

    EXPECT_EQ(list()->parentWidget(), &window);
    EXPECT_EQ(list()->height(), 100);
    EXPECT_EQ(list()->rowHeight(0), 18);
    EXPECT_TRUE(list()->horizontalHeader()->isHidden());
    EXPECT_TRUE(list()->verticalHeader()->isHidden());
    EXPECT_EQ(list()->geometry().topLeft(), QPoint(10, 271 - 21 - 100)); // no room below: above
    EXPECT_EQ(list()->columnWidth(0), std::max(32, box->columnWidths().kept[0]));
    EXPECT_EQ(list()->width(),
              list()->columnWidth(0) + list()->columnWidth(1) + list()->columnWidth(2) + 10);
    QWidget* front = window.childAt(list()->geometry().center());
    EXPECT_TRUE(front == list() || list()->isAncestorOf(front));

    box->setGeometry(350, 10, 110, 21); // the list would pass the right edge
    box->SetLines(2);
    box->SetIme1Visible(false);
    box->SetIme2Visible(false);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(list()->geometry().top(), 200 + 31); // room below again
    EXPECT_EQ(list()->height(), 40);
    EXPECT_EQ(list()->geometry().left(), 400 - list()->width() - 15);
    EXPECT_TRUE(list()->isColumnHidden(0));
    EXPECT_TRUE(list()->isColumnHidden(1));
    EXPECT_FALSE(list()->isColumnHidden(2));
}

TEST_F(TVelComboBoxTest, ButtonGeometryGlyphAndMinimumHeight)
{
    struct Case {
        bool frame;
        int width;
        int height;
        QRect button;
    };
    for (const Case& c :
         {Case{true, 110, 21, {92, 2, 16, 17}}, Case{false, 110, 21, {93, 1, 16, 19}},
          Case{true, 200, 30, {174, 2, 24, 26}}, Case{true, 80, 10, {67, 2, 11, 10}}}) {
        box->setFrame(c.frame);
        box->resize(c.width, c.height);
        EXPECT_EQ(box->height(), std::max(14, c.height));
        EXPECT_EQ(box->dropDownButton()->geometry(), c.button) << c.width << "x" << c.height;
    }

    const QImage glyph = comboDropDownGlyph();
    ASSERT_EQ(glyph.size(), QSize(12, 12));
    int black = 0;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x)
            black += glyph.pixel(x, y) == qRgb(0, 0, 0);
    EXPECT_EQ(black, 9 + 7 + 5 + 3 + 1);
    for (QPoint p : {QPoint(1, 3), QPoint(9, 3), QPoint(5, 7), QPoint(3, 5), QPoint(7, 5)})
        EXPECT_EQ(glyph.pixel(p), qRgb(0, 0, 0)) << p.x() << "," << p.y();
    for (QPoint p : {QPoint(0, 3), QPoint(10, 3), QPoint(5, 8), QPoint(2, 5), QPoint(5, 2)})
        EXPECT_EQ(qAlpha(glyph.pixel(p)), 0) << p.x() << "," << p.y();

    box->setFrame(true);
    box->resize(110, 21);
    QAbstractButton* button = box->dropDownButton();
    const QImage drawn = button->grab().toImage();
    const QPoint tip((button->width() - 12) / 2 + 5, (button->height() - 12) / 2 + 7);
    EXPECT_EQ(drawn.pixel(tip), qRgb(0, 0, 0));
}

TEST_F(TVelComboBoxTest, TextNeverRunsUnderTheButton)
{
    QLineEdit plain(&window);
    plain.setGeometry(10, 60, 110, 21);
    plain.show();
    const QString longText(40, QLatin1Char('W'));
    for (QLineEdit* edit : {static_cast<QLineEdit*>(box), &plain}) {
        edit->setText(longText);
        edit->end(false);
        edit->grab(); // the line edit scrolls its text while painting
    }
    const auto caretX = [](QLineEdit* edit) {
        return edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
    };
    const int limit = box->width() - box->dropDownButton()->width() - 2;
    EXPECT_LE(caretX(box), limit);
    EXPECT_GT(caretX(&plain), limit); // without the margin the text would run on
}

} // namespace
} // namespace corvo::controls
