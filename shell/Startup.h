#pragma once

#include <string_view>

class QApplication;

namespace corvo::shell {

class ModuleForms;

/// The program: the login form modally, then the main window with the login context and its
/// status bar, the message loop, and the forms freed main window first. Returns the exit code.
/// `forms` are the module forms the main window opens (nullptr: none).
int runProgram(QApplication& app, ModuleForms* forms = nullptr);

/// A server address as `corvo setup` takes it: HOST:PORT or https://HOST:PORT, several
/// separated by ";".
bool isServerAddressList(std::string_view list);

/// `corvo setup --server ADDRESS [--ca-file FILE] [--months N]`: writes Data/Set.dll and
/// Data/IP.dll under the program directory. Returns the exit code; messages go to standard error.
int runSetup(int argc, char** argv);

} // namespace corvo::shell
