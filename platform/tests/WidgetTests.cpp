#include "platform/tests/WidgetTests.h"

#include "platform/Desktop.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace corvo::test {

int runWidgetTests(int argc, char** argv, const std::function<void()>& afterTests)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    platform::applyChineseFonts(app);
    const int result = RUN_ALL_TESTS();
    if (afterTests) afterTests();
    return result;
}

} // namespace corvo::test
