// The main of the small-screen tests: one 1024 × 768 screen and no window frames, as Xvfb
// shows the program without a window manager.
#include "forms/framework/tests/LoginSession.h"
#include "platform/tests/WidgetTests.h"

#include <QByteArray>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + CORVO_SMALL_SCREEN);
    return corvo::test::runWidgetTests(argc, argv, &corvo::forms::test::LoginSession::shutdown);
}
