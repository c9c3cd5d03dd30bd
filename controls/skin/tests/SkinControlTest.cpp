#include "SkinImages.h"
#include "controls/skin/SkinArt.h"
#include "controls/skin/TQVButton.h"
#include "controls/skin/TQVCheckBox.h"
#include "controls/skin/TQVGroupBox.h"
#include "controls/skin/TQVLabel.h"
#include "controls/skin/TQVProgressBar.h"
#include "controls/skin/TQVRadioBox.h"

#include <QAccessible>
#include <QDialog>
#include <QEnterEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace corvo::skin {
namespace {

using test::distance;
using test::shot;

void enter(QWidget& widget)
{
    QEnterEvent event(QPointF(2, 2), QPointF(2, 2), widget.mapToGlobal(QPointF(2, 2)));
    QCoreApplication::sendEvent(&widget, &event);
}

void leave(QWidget& widget)
{
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(&widget, &event);
}

/// The strip frame whose top-left block (identical under the nine-part stretching) the
/// painted block matches; 0 when none does.
int shownFrame(const QImage& painted, const QString& strip, int frames, const QRect& block,
               const QPoint& glyphAt = {})
{
    int found = 0;
    for (int n = 1; n <= frames; ++n) {
        const QImage frame = SkinArt::frameImage(strip, n);
        if (distance(painted.copy(block.translated(glyphAt)), frame.copy(block)) <= 2) {
            if (found) return -1; // the block does not tell the frames apart
            found = n;
        }
    }
    return found;
}

/// A shown, active window holding the widgets under test.
struct Window {
    QWidget widget;
    QVBoxLayout* layout = new QVBoxLayout(&widget);

    void show()
    {
        widget.show();
        widget.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&widget));
    }
};

TEST(SkinButton, FrameFollowsStateFocusAndEnabled)
{
    struct Case {
        const char* what;
        bool enabled, focused, hot, down;
        int frame;
    };
    const Case cases[] = {
        {"normal", true, false, false, false, 1},
        {"pressed", true, false, true, true, 2},
        {"disabled under the mouse", false, false, true, false, 3},
        {"hot", true, false, true, false, 4},
        {"focused", true, true, false, false, 5},
        {"focused and hot", true, true, true, false, 4},
    };
    for (const Case& c : cases) {
        Window window;
        auto* other = new QLineEdit(&window.widget);
        auto* button = new TQVButton(QStringLiteral("关闭"), &window.widget);
        window.layout->addWidget(other);
        window.layout->addWidget(button);
        button->setFixedSize(75, 25);
        window.show();
        button->setEnabled(c.enabled);
        if (c.focused)
            button->setFocus();
        else
            other->setFocus();
        if (c.hot) enter(*button);
        button->setDown(c.down);
        EXPECT_EQ(shownFrame(shot(*button), QStringLiteral("XPBUTTON"), 5, QRect(0, 4, 6, 6)),
                  c.frame)
            << c.what;
        EXPECT_EQ(button->frameNumber(), c.frame) << c.what;
    }
}

// The darkest pixel of the caption: black text when enabled, grey when disabled.
int darkest(const QImage& image)
{
    int dark = 255;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            dark = std::min(dark, qGray(image.pixel(x, y)));
    return dark;
}

TEST(SkinButton, DisabledCaptionIsGrey)
{
    TQVButton button(QStringLiteral("关闭"));
    button.resize(75, 25);
    EXPECT_LT(darkest(shot(button)), 60);
    button.setEnabled(false);
    enter(button);
    const int grey = darkest(shot(button));
    EXPECT_GE(grey, 120);
    EXPECT_LE(grey, 136);
}

TEST(SkinButton, EnterAndEscapeReachDefaultAndCancel)
{
    Window window;
    auto* edit = new QLineEdit(&window.widget);
    auto* save = new TQVButton(QStringLiteral("&Save"), &window.widget);
    auto* close = new TQVButton(QStringLiteral("关闭"), &window.widget);
    auto* other = new TQVButton(QStringLiteral("其他"), &window.widget);
    for (QWidget* w : {static_cast<QWidget*>(edit), static_cast<QWidget*>(save),
                       static_cast<QWidget*>(close), static_cast<QWidget*>(other)})
        window.layout->addWidget(w);
    save->setDefault(true);
    close->setCancel(true);
    window.show();
    QSignalSpy saved(save, &QAbstractButton::clicked);
    QSignalSpy closed(close, &QAbstractButton::clicked);
    QSignalSpy others(other, &QAbstractButton::clicked);
    edit->setFocus();

    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(saved.count(), 1);
    QTest::keyClick(edit, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(saved.count(), 1) << "shifted Enter clicks nothing";
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(closed.count(), 1);
    // A focused button is the active default.
    other->setFocus();
    QTest::keyClick(other, Qt::Key_Return);
    EXPECT_EQ(others.count(), 1);
    EXPECT_EQ(saved.count(), 1);
    // The accelerator.
    QTest::keyClick(other, Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(saved.count() == 2 || saved.wait(2000)) << "the accelerator clicks (animated)";
    EXPECT_EQ(saved.count(), 2);
    // A default button that cannot take the focus does nothing.
    save->setEnabled(false);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(saved.count(), 2);
}

TEST(SkinButton, ClickHandsTheModalResultToTheDialog)
{
    QDialog dialog;
    auto* button = new TQVButton(QStringLiteral("继续"), &dialog);
    button->setModalResult(7);
    QTimer::singleShot(0, button, &QAbstractButton::click);
    EXPECT_EQ(dialog.exec(), 7);
}

TEST(SkinCheckBox, FrameFollowsCheckedMouseAndEnabled)
{
    struct Case {
        bool checked, hot, enabled;
        int frame;
    };
    const Case cases[] = {
        {false, false, true, 1}, {true, false, true, 2}, {false, false, false, 3},
        {true, true, false, 4},  {false, true, true, 5}, {true, true, true, 6},
    };
    for (const Case& c : cases) {
        TQVCheckBox box(QStringLiteral("保存登陆信息"));
        box.resize(121, 17);
        box.setChecked(c.checked);
        box.setEnabled(c.enabled);
        if (c.hot) enter(box);
        const QPoint glyph(0, (17 - 13) / 2);
        EXPECT_EQ(shownFrame(shot(box), QStringLiteral("XPCHECKBOX"), 6, QRect(2, 2, 9, 9), glyph),
                  c.frame)
            << c.checked << c.hot << c.enabled;
        if (c.hot) {
            leave(box);
            EXPECT_EQ(box.frameNumber(), c.enabled ? (c.checked ? 2 : 1) : (c.checked ? 4 : 3));
        }
    }
}

TEST(SkinCheckBox, MouseSpaceAndEnterToggleWithOneClickEach)
{
    Window window;
    auto* box = new TQVCheckBox(QStringLiteral("修改密码"), &window.widget);
    window.layout->addWidget(box);
    window.show();
    QSignalSpy clicks(box, &QAbstractButton::clicked);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 3, box->height() / 2));
    EXPECT_TRUE(box->isChecked()) << "the caption takes the click too";
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Space);
    EXPECT_FALSE(box->isChecked());
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(clicks.count(), 3);
    box->setChecked(false);
    EXPECT_EQ(clicks.count(), 3) << "setting Checked gives no click";
}

TEST(SkinRadioBox, CheckingOneOfAGroupUnchecksTheOthersWithOneClick)
{
    Window window;
    TQVRadioBox* boxes[3];
    for (auto*& b : boxes) {
        b = new TQVRadioBox(QStringLiteral("单个模块"), &window.widget);
        window.layout->addWidget(b);
    }
    auto* elsewhere = new TQVRadioBox(QStringLiteral("另一组"), &window.widget);
    elsewhere->setGroupIndex(1);
    window.layout->addWidget(elsewhere);
    window.show();
    elsewhere->setChecked(true);
    boxes[0]->setChecked(true);
    boxes[1]->setChecked(true);
    QSignalSpy third(boxes[2], &QAbstractButton::clicked);
    QSignalSpy second(boxes[1], &QAbstractButton::clicked);

    boxes[2]->setChecked(true);
    EXPECT_FALSE(boxes[0]->isChecked());
    EXPECT_FALSE(boxes[1]->isChecked());
    EXPECT_TRUE(boxes[2]->isChecked());
    EXPECT_TRUE(elsewhere->isChecked()) << "another group index is another group";
    EXPECT_EQ(third.count(), 1);
    EXPECT_EQ(second.count(), 0);

    QTest::mouseClick(boxes[1], Qt::LeftButton, {}, QPoint(3, boxes[1]->height() / 2));
    EXPECT_TRUE(boxes[1]->isChecked());
    EXPECT_FALSE(boxes[2]->isChecked());
    EXPECT_EQ(second.count(), 1);
    QTest::mouseClick(boxes[1], Qt::LeftButton, {}, QPoint(3, boxes[1]->height() / 2));
    EXPECT_TRUE(boxes[1]->isChecked()) << "a click never unchecks";
    EXPECT_EQ(third.count(), 1);
}

bool blue(QRgb p)
{
    return qBlue(p) > qRed(p) + 60;
}

TEST(SkinProgressBar, FillRunsToThePosition)
{
    TQVProgressBar bar;
    bar.resize(200, 16);
    bar.setRange(0, 100);
    bar.setValue(0);
    const QImage empty = shot(bar);
    for (int x = 3; x < 197; ++x)
        ASSERT_FALSE(blue(empty.pixel(x, 8))) << "only the gray background at the minimum, x " << x;
    bar.setValue(50);
    const QImage half = shot(bar);
    // Tiles of 8 from x 3 (each with a one-pixel gap at its right): 6 and 86 lie in tiles.
    EXPECT_TRUE(blue(half.pixel(6, 8)));
    EXPECT_TRUE(blue(half.pixel(86, 8)));
    EXPECT_FALSE(blue(half.pixel(120, 8)));
    bar.setValue(100);
    EXPECT_TRUE(blue(shot(bar).pixel(195, 8)));

    bar.setOrientation(Qt::Vertical);
    bar.resize(16, 200);
    bar.setValue(25);
    const QImage vertical = shot(bar);
    EXPECT_TRUE(blue(vertical.pixel(8, 194)));
    EXPECT_FALSE(blue(vertical.pixel(8, 100)));
}

TEST(SkinGroupBox, CaptionSitsOnAPatchAboveTheOutline)
{
    TQVGroupBox box(QStringLiteral("模块"));
    box.resize(185, 105);
    const QImage image = shot(box);
    const QColor border = box.borderColor();
    // The outline runs down the left edge and is cut by the caption patch at the top.
    const QFontMetrics metrics(box.font());
    const int top = metrics.height() / 2;
    EXPECT_LT(distance(image.copy(0, 60, 1, 1),
                       [&] {
                           QImage one(1, 1, QImage::Format_ARGB32_Premultiplied);
                           one.fill(border);
                           return one;
                       }()),
              40);
    EXPECT_EQ(QColor(image.pixel(12, top)), box.color()) << "the patch hides the outline";
    EXPECT_NE(QColor(image.pixel(150, top)), box.color());
}

TEST(SkinLabel, CaptionIsEmbossed)
{
    TQVLabel label(QStringLiteral("一"));
    label.setAlignment(Qt::AlignCenter);
    QPalette palette = label.palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::Dark, Qt::red);
    palette.setColor(QPalette::Light, Qt::green);
    palette.setColor(QPalette::WindowText, Qt::black);
    label.setPalette(palette);
    label.resize(40, 30);
    const QImage image = shot(label);
    bool red = false, green = false, black = false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c(image.pixel(x, y));
            red |= c.red() > 200 && c.green() < 60 && c.blue() < 60;
            green |= c.green() > 200 && c.red() < 60 && c.blue() < 60;
            black |= c.red() < 60 && c.green() < 60 && c.blue() < 60;
        }
    EXPECT_TRUE(red && green && black);
}

TEST(SkinAccessibility, ControlsKeepTheirRolesNamesAndStates)
{
    Window window;
    auto* button = new TQVButton(QStringLiteral("保存"), &window.widget);
    auto* check = new TQVCheckBox(QStringLiteral("修改密码"), &window.widget);
    auto* radio = new TQVRadioBox(QStringLiteral("全部"), &window.widget);
    auto* bar = new TQVProgressBar(&window.widget);
    for (QWidget* w : {static_cast<QWidget*>(button), static_cast<QWidget*>(check),
                       static_cast<QWidget*>(radio), static_cast<QWidget*>(bar)})
        window.layout->addWidget(w);
    window.show();
    check->setChecked(true);
    struct Case {
        QWidget* widget;
        QAccessible::Role role;
        QString name;
    };
    const Case cases[] = {
        {button, QAccessible::Button, QStringLiteral("保存")},
        {check, QAccessible::CheckBox, QStringLiteral("修改密码")},
        {radio, QAccessible::RadioButton, QStringLiteral("全部")},
        {bar, QAccessible::ProgressBar, QString()},
    };
    for (const Case& c : cases) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(c.widget);
        ASSERT_NE(face, nullptr);
        EXPECT_EQ(face->role(), c.role);
        if (!c.name.isEmpty()) {
            EXPECT_EQ(face->text(QAccessible::Name), c.name);
        }
    }
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(check)->state().checked);
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(button)->state().focusable);
    QAccessibleInterface* press = QAccessible::queryAccessibleInterface(button);
    QSignalSpy clicks(button, &QAbstractButton::clicked);
    press->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(clicks.count() == 1 || clicks.wait(2000)) << "the press action clicks";
}

} // namespace
} // namespace corvo::skin
