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
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

namespace corvo::shell {

bool isServerAddressList(std::string_view list)
{
    if (list.empty() || list.size() > 200) return false;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(';', start), list.size());
        std::string_view one = list.substr(start, end - start);
        if (one.rfind("https://", 0) == 0) one.remove_prefix(8);
        const std::size_t colon = one.rfind(':');
        if (one.empty() || colon == 0 || colon == std::string_view::npos || colon + 1 == one.size())
            return false;
        for (char ch : one)
            if (ch == '/' || ch == ' ' || ch == '\\') return false;
        for (char ch : one.substr(colon + 1))
            if (ch < '0' || ch > '9') return false;
        start = end + 1;
    }
    return true;
}

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
    const char* usage =
        "usage: corvo setup --server ADDRESS [--ca-file FILE] [--months N]   (ADDRESS: HOST:PORT "
        "or https://HOST:PORT, several separated by \";\", for example 127.0.0.1:8211; FILE: the "
        "CA that signed an https server's certificate; N: months the size documents look back, "
        "default 12)";
    std::string server;
    std::string caFile;
    int months = 12;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--server" && i + 1 < argc) {
            server = argv[++i];
        } else if (arg == "--ca-file" && i + 1 < argc) {
            std::error_code ec;
            caFile = std::filesystem::absolute(argv[++i], ec).string();
            if (ec || !std::filesystem::is_regular_file(caFile, ec)) {
                std::cerr << "corvo setup: no such CA file: " << argv[i] << std::endl;
                return 2;
            }
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
    if (!isServerAddressList(server)) {
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
        ip.FieldDefs().Add("IP", FieldType::String, 200);
        if (!caFile.empty()) ip.FieldDefs().Add("CAFile", FieldType::String, 250);
        ip.CreateDataSet();
        ip.Append();
        ip.FieldByName("IP").SetAsString(gbk::fromUtf8(server));
        if (!caFile.empty()) ip.FieldByName("CAFile").SetAsString(gbk::fromUtf8(caFile));
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
