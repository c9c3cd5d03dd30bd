#pragma once

#include <functional>

namespace corvo::test {

/// Runs the program's GoogleTest cases inside a QApplication with the Chinese fonts, drawing
/// off screen unless QT_QPA_PLATFORM says otherwise; `afterTests` runs before the
/// application object goes (a login session to end, a server to stop).
int runWidgetTests(int argc, char** argv, const std::function<void()>& afterTests = {});

} // namespace corvo::test
