#include "FormBenchMain.h"

#include "forms/framework/tests/LoginSession.h"
#include "platform/Desktop.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace corvo::bench {

int runFormBenchmarks(int argc, char** argv, const std::function<void()>& release)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    platform::applyChineseFonts(app);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (release) release();
    forms::test::LoginSession::shutdown();
    return 0;
}

} // namespace corvo::bench
