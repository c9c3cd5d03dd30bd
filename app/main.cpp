#include "entity/MemoryTuning.h"
#include "platform/Desktop.h"
#include "shell/Startup.h"

#include <QApplication>
#include <cstring>

int main(int argc, char** argv)
{
    corvo::configureAllocatorForLargeTables();
    if (argc > 1 && std::strcmp(argv[1], "setup") == 0) return corvo::shell::runSetup(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvo"));
    corvo::platform::applyChineseFonts(app);
    return corvo::shell::runProgram(app);
}
