// The widgets need an application object; the login session ends with the program.
#include "LoginSession.h"
#include "platform/Desktop.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    corvo::platform::applyChineseFonts(app);
    const int result = RUN_ALL_TESTS();
    corvo::forms::test::LoginSession::shutdown();
    return result;
}
