#include "ModuleFormRegistry.h"
#include "entity/MemoryTuning.h"
#include "platform/Desktop.h"
#include "platform/QtText.h"
#include "shell/Startup.h"

#include <QApplication>
#include <QTranslator>
#include <cstring>

int main(int argc, char** argv)
{
    corvo::configureAllocatorForLargeTables();
    if (argc > 1 && std::strcmp(argv[1], "setup") == 0) return corvo::shell::runSetup(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvo"));
    corvo::platform::applyChineseFonts(app);
    // Without the translations package Qt's own buttons and menus stay English; nothing else.
    const auto qtChinese = corvo::platform::installQtChinese();
    if (!qtChinese) qWarning("Qt's Chinese translations (qtbase_zh_CN.qm) not found");
    corvo::app::ModuleFormRegistry forms;
    return corvo::shell::runProgram(app, &forms);
}
