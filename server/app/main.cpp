#include "Commands.h"

#include <exception>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    using namespace corvo::server;
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        std::cout << UsageText;
        return args.empty() ? 2 : 0;
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    try {
        if (args[0] == "serve") return serveCommand(rest);
        if (args[0] == "init-demo") return initDemoCommand(rest);
        if (args[0] == "init") return initCommand(rest);
        if (args[0] == "backup") return backupCommand(rest);
        if (args[0] == "restore") return restoreCommand(rest);
        if (args[0] == "user") return userCommand(rest);
        if (args[0] == "encode-password") return encodePasswordCommand(rest);
        std::cerr << "corvo-server: unknown command " << args[0] << "\n\n" << UsageText;
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "corvo-server: " << e.what() << std::endl;
        return 1;
    }
}
