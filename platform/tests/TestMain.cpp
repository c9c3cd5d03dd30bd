// The widgets need an application object; tests draw off screen unless told otherwise.
#include "platform/Desktop.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    corvo::platform::applyChineseFonts(app);
    return RUN_ALL_TESTS();
}
