#include "Startup.h"

#include "LocalFiles.h"
#include "TFrmLogin.h"
#include "TFrmMain.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntity.h"
#include "platform/Modal.h"

#include <QApplication>
#include <iostream>
#include <string>

namespace corvo::shell {

int runProgram(QApplication& app)
{
    auto* login = new TFrmLogin(nullptr);
    platform::execModal(*login);
    if (login->resultFlag() != 1) {
        delete login;
        return 0;
    }
    QApplication::setApplicationDisplayName(QStringLiteral("Corvo"));
    auto* main = new TFrmMain(nullptr);
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
    main->show();
    const int code = app.exec();
    delete main;
    delete login;
    return code;
}

int runSetup(int argc, char** argv)
{
    std::string server;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--server" && i + 1 < argc) {
            server = argv[++i];
        } else {
            std::cerr << "usage: corvo setup --server HOST:PORT" << std::endl;
            return 2;
        }
    }
    if (server.empty() || server.find('/') != std::string::npos ||
        server.find(' ') != std::string::npos) {
        std::cerr << "usage: corvo setup --server HOST:PORT (for example 127.0.0.1:8211)"
                  << std::endl;
        return 2;
    }
    try {
        TParamData settings(paramkind::Map);
        settings.SetParamValue("Language", Variant("Name"));
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
