#include "SkinImages.h"
#include "controls/skin/TQVForm.h"

#include <QMouseEvent>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace corvo::skin {
namespace {

using test::distance;
using test::over;
using test::shot;

void mouse(QWidget& target, QEvent::Type type, QPoint at, Qt::MouseButtons buttons = {},
           Qt::MouseButton button = Qt::NoButton)
{
    QMouseEvent event(type, QPointF(at), QPointF(target.mapToGlobal(at)), button, buttons,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &event);
}

void press(QWidget& target, QPoint at)
{
    mouse(target, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
}

void release(QWidget& target, QPoint at)
{
    mouse(target, QEvent::MouseButtonRelease, at, {}, Qt::LeftButton);
}

/// A 400 × 300 window wearing the frame, with a client panel.
struct Framed {
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    TQVForm* frame = new TQVForm(window.get());
    QWidget* client = new QWidget(window.get());

    explicit Framed(TQVForm::TXPStyle style = TQVForm::xsLuna)
    {
        frame->setSkinStyle(style);
        frame->setClientPanel(client);
        window->setWindowTitle(QStringLiteral("T"));
        window->setGeometry(100, 100, 400, 300);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    /// What the frame shows inside `r`, and that part of the caption band with a strip's
    /// frame over it (the band's colour taken from its middle, far from text and buttons).
    QImage part(const QRect& r) const { return shot(*frame).copy(r); }
    QImage band(const QRect& r) const
    {
        const QImage image = shot(*frame);
        QImage ground(r.size(), QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < r.height(); ++y)
            for (int x = 0; x < r.width(); ++x)
                ground.setPixel(x, y, image.pixel(image.width() / 2, r.y() + y));
        return ground;
    }
};

TEST(SkinForm, ClientPanelSitsInsideTheEdgesAndTheWindowStaysAtLeast100)
{
    Framed f;
    EXPECT_EQ(f.frame->captionHeight(), 30);
    EXPECT_EQ(f.client->geometry(),
              QRect(f.frame->leftWidth(), 30, 400 - f.frame->leftWidth() - f.frame->rightWidth(),
                    300 - 30 - f.frame->bottomHeight()));
    EXPECT_TRUE(f.window->windowFlags() & Qt::FramelessWindowHint);
    f.window->resize(50, 60);
    EXPECT_EQ(f.window->size(), QSize(100, 100));
    EXPECT_EQ(f.frame->geometry(), f.window->rect());
}

TEST(SkinForm, OutlineRoundsTheTopCornersAndSquaresTheBottomOnes)
{
    Framed f;
    const QRegion mask = f.window->mask();
    EXPECT_FALSE(mask.contains(QPoint(0, 0)));
    EXPECT_FALSE(mask.contains(QPoint(399, 0)));
    EXPECT_TRUE(mask.contains(QPoint(0, 299)));
    EXPECT_TRUE(mask.contains(QPoint(399, 299)));
    EXPECT_TRUE(mask.contains(QPoint(200, 150)));
    EXPECT_TRUE(mask.contains(QPoint(8, 0)));
}

TEST(SkinForm, CaptionButtonsShowTheirFrames)
{
    struct Case {
        TQVForm::TXPStyle style;
        bool active;
        int frame;
    };
    const Case cases[] = {
        {TQVForm::xsLuna, true, 1},
        {TQVForm::xsLuna, false, 4},
        {TQVForm::xsDefault, false, 1}, // the xp set has no inactive frame
    };
    for (const Case& c : cases) {
        Framed f(c.style);
        if (!c.active) {
            QEvent deactivate(QEvent::WindowDeactivate);
            QCoreApplication::sendEvent(f.window.get(), &deactivate);
        }
        EXPECT_EQ(f.frame->isActive(), c.active);
        const QString strip = c.style == TQVForm::xsLuna ? QStringLiteral("luna_close")
                                                         : QStringLiteral("xpform_close");
        const QRect close = toQRect(f.frame->captionButtons().close);
        const int frames = c.style == TQVForm::xsLuna ? 4 : 3;
        for (int n = 1; n <= frames; ++n) {
            const int d = distance(f.part(close), over(f.band(close), strip, n));
            if (n == c.frame)
                EXPECT_LE(d, 3) << "frame " << n;
            else
                EXPECT_GT(d, 3) << "frame " << n;
        }
    }
}

TEST(SkinForm, HotAndPressedCaptionButton)
{
    Framed f;
    const QRect min = toQRect(f.frame->captionButtons().min);
    mouse(*f.frame, QEvent::MouseMove, min.center());
    EXPECT_LE(distance(f.part(min), over(f.band(min), QStringLiteral("luna_min"), 3)), 3);
    press(*f.frame, min.center());
    EXPECT_LE(distance(f.part(min), over(f.band(min), QStringLiteral("luna_min"), 2)), 3);
}

TEST(SkinForm, CaptionTextTurnsToTheInactiveColour)
{
    Framed f;
    f.window->setWindowTitle(QStringLiteral("IIIIIIII HHHH"));
    const auto hasColour = [&](const QColor& colour) {
        const QImage image = shot(*f.frame).copy(0, 0, 200, 30);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (QColor(image.pixel(x, y)) == colour) return true;
        return false;
    };
    const QColor inactive(212, 208, 200);
    EXPECT_TRUE(hasColour(Qt::white));
    EXPECT_FALSE(hasColour(inactive));
    QEvent deactivate(QEvent::WindowDeactivate);
    QCoreApplication::sendEvent(f.window.get(), &deactivate);
    EXPECT_FALSE(hasColour(Qt::white));
    EXPECT_TRUE(hasColour(inactive));
}

TEST(SkinForm, MaximisedShowsRestoreAndHasNoGripNorResizeZones)
{
    Framed f;
    mouse(*f.frame, QEvent::MouseMove, QPoint(2, 150));
    EXPECT_EQ(f.frame->cursor().shape(), Qt::SizeHorCursor);
    const QImage sizeable = shot(*f.frame);
    f.frame->setBorderStyle(TQVForm::bsSingle);
    EXPECT_NE(shot(*f.frame), sizeable) << "the sizeable frame draws a grip";
    f.frame->setBorderStyle(TQVForm::bsSizeable);

    f.window->showMaximized();
    QTest::qWait(0);
    ASSERT_TRUE(f.window->isMaximized());
    const QRect max = toQRect(f.frame->captionButtons().max);
    EXPECT_LE(distance(f.part(max), over(f.band(max), QStringLiteral("luna_restore"), 1)), 3);
    EXPECT_GT(distance(f.part(max), over(f.band(max), QStringLiteral("luna_max"), 1)), 3);

    const QImage maximised = shot(*f.frame);
    f.frame->setBorderStyle(TQVForm::bsSingle);
    EXPECT_EQ(shot(*f.frame), maximised) << "no grip while maximised";
    f.frame->setBorderStyle(TQVForm::bsSizeable);
    mouse(*f.frame, QEvent::MouseMove, QPoint(2, 150));
    EXPECT_EQ(f.frame->cursor().shape(), Qt::ArrowCursor);
}

TEST(SkinForm, DoubleClickOnTheCaptionNeedsTheMaximiseButton)
{
    for (const bool withMax : {true, false}) {
        Framed f;
        f.frame->setBtnMax(withMax);
        mouse(*f.frame, QEvent::MouseButtonDblClick, QPoint(200, 15), Qt::LeftButton,
              Qt::LeftButton);
        QTest::qWait(0);
        EXPECT_EQ(f.window->isMaximized(), withMax);
    }
}

TEST(SkinForm, ButtonsCloseAndHelp)
{
    Framed f;
    f.frame->setBtnHelp(true);
    QSignalSpy help(f.frame, &TQVForm::OnHelp);
    const CaptionButtons buttons = f.frame->captionButtons();
    const QPoint helpAt = toQRect(buttons.help).center();
    press(*f.frame, helpAt);
    release(*f.frame, QPoint(200, 15));
    EXPECT_EQ(help.count(), 0) << "released away from the button";
    press(*f.frame, helpAt);
    release(*f.frame, helpAt);
    EXPECT_EQ(help.count(), 1);
    const QPoint closeAt = toQRect(buttons.close).center();
    press(*f.frame, closeAt);
    release(*f.frame, closeAt);
    EXPECT_FALSE(f.window->isVisible());
}

TEST(SkinForm, MagnetSnapsADraggedWindowToTheScreenEdge)
{
    Framed f;
    f.frame->setMagnet(20);
    const QPoint start = f.window->pos();
    const QPoint grab(200, 15);
    press(*f.frame, grab);
    // Dragged to 5, 10 from the screen's corner: within the magnet of both edges.
    const QRect screen = f.window->screen()->geometry();
    const QPoint delta = screen.topLeft() + QPoint(5, 10) - start;
    mouse(*f.frame, QEvent::MouseMove, grab + delta, Qt::LeftButton);
    EXPECT_EQ(f.window->pos(), screen.topLeft() + QPoint(5, 10));
    release(*f.frame, grab + delta);
    EXPECT_EQ(f.window->pos(), screen.topLeft());
}

TEST(SkinForm, ActivationFiresTheEvents)
{
    Framed f;
    QSignalSpy active(f.frame, &TQVForm::OnActive);
    QSignalSpy inactive(f.frame, &TQVForm::OnDeActive);
    QEvent deactivate(QEvent::WindowDeactivate);
    QCoreApplication::sendEvent(f.window.get(), &deactivate);
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(f.window.get(), &activate);
    EXPECT_EQ(inactive.count(), 1);
    EXPECT_EQ(active.count(), 1);
    EXPECT_TRUE(f.frame->isActive());
}

} // namespace
} // namespace corvo::skin
