#include "Startup.h"

#include "LocalFiles.h"
#include "TFrmLogin.h"
#include "TFrmMain.h"
#include "TFrmQVDialog.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntity.h"
#include "platform/Modal.h"

#include <QApplication>
#include <charconv>
#include <iostream>
#include <memory>
#include <string>

namespace corvo::shell {

int runProgram(QApplication& app, ModuleForms* forms)
{
    // Declared in this order so that the main window goes before the login form.
    std::unique_ptr<TFrmLogin> login;
    std::unique_ptr<TFrmMain> main;
    try {
        login = std::make_unique<TFrmLogin>(nullptr);
        platform::execModal(*login);
        if (login->resultFlag() != 1) return 0;
        QApplication::setApplicationDisplayName(QStringLiteral("Corvo"));
        main = std::make_unique<TFrmMain>(nullptr, forms);
        main->InheritFrom(*login);
        TCustomEntity& user = login->userEntity();
        const int name = user.FieldIndexOf("Name");
        user.First();
        const std::string userName =
            name < 0 || user.IsEmpty() ? std::string() : gbk::toUtf8(user.Fields(name).AsString());
        main->setPanelText(0, "当前用户：[" + userName + "]");
        main->setPanelText(1, "核算期间");
        main->setPanelText(2, login->beginDate());
        main->setPanelText(3, login->endDate());
    } catch (const std::exception& e) {
        // The last boundary: whatever start-up could not handle is said, not crashed on.
        TFrmQVDialog dialog(nullptr);
        dialog.ApplyDialogFrame();
        dialog.showMessage("严重错误信息", e.what(), false);
        return 1;
    }
    main->show();
    return app.exec();
}

int runSetup(int argc, char** argv)
{
    const char* usage = "usage: corvo setup --server HOST:PORT [--months N]   (for example "
                        "127.0.0.1:8211; N: months the size documents look back, default 12)";
    std::string server;
    int months = 12;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--server" && i + 1 < argc) {
            server = argv[++i];
        } else if (arg == "--months" && i + 1 < argc) {
            const std::string text = argv[++i];
            const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), months);
            if (ec != std::errc{} || end != text.data() + text.size() || months <= 0) {
                std::cerr << usage << std::endl;
                return 2;
            }
        } else {
            std::cerr << usage << std::endl;
            return 2;
        }
    }
    if (server.empty() || server.find('/') != std::string::npos ||
        server.find(' ') != std::string::npos) {
        std::cerr << usage << std::endl;
        return 2;
    }
    try {
        // The settings: the look-back window of the size documents' queries.
        TCustomEntity settings;
        settings.FieldDefs().Add("IP", FieldType::Integer);
        settings.CreateDataSet();
        settings.Append();
        settings.FieldByName("IP").SetAsString(std::to_string(months));
        settings.Post();
        saveDataSetFile(dataDir() + "Set.dll", settings);

        TCustomEntity ip;
        ip.FieldDefs().Add("IP", FieldType::String, 100);
        ip.CreateDataSet();
        ip.Append();
        ip.FieldByName("IP").SetAsString(gbk::fromUtf8(server));
        ip.Post();
        saveDataSetFile(dataDir() + "IP.dll", ip);
    } catch (const std::exception& e) {
        std::cerr << "corvo setup: " << e.what() << std::endl;
        return 1;
    }
    std::cout << "wrote " << dataDir() << "Set.dll and IP.dll (server " << server << ")"
              << std::endl;
    return 0;
}

} // namespace corvo::shell
