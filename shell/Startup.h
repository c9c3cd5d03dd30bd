#pragma once

class QApplication;

namespace corvo::shell {

class ModuleForms;

/// The program: the login form modally, then the main window with the login context and its
/// status bar, the message loop, and the forms freed main window first. Returns the exit code.
/// `forms` are the module forms the main window opens (nullptr: none).
int runProgram(QApplication& app, ModuleForms* forms = nullptr);

/// `corvo setup --server HOST:PORT`: writes Data/Set.dll and Data/IP.dll under the program
/// directory. Returns the exit code; messages go to standard error.
int runSetup(int argc, char** argv);

} // namespace corvo::shell
