#pragma once

#include <string>
#include <vector>

class QLabel;

namespace corvo {
class TClientDataSet;
}

namespace corvo::shell {

class TFrmBase;
class TFrmMain;

/// What the main window needs of the module forms, which stand above the shell: the program
/// hands it over (the registry of form classes by name and the close dialog).
class ModuleForms {
public:
    virtual ~ModuleForms() = default;

    /// Whether a class of that name is registered.
    virtual bool isRegistered(const std::string& className) const = 0;
    /// A new form of the class, owned by the window (it takes over the window's login
    /// context); nullptr for a name not registered or a class not built yet.
    virtual TFrmBase* create(const std::string& className, TFrmMain& window) = 0;
    /// Makes a created form ready for its page: the module's caption (GBK), TMaster from the
    /// module's table (GBK), the title (UTF-8, none when empty), the window's message line and
    /// status label.
    virtual void prepare(TFrmBase& form, const std::string& caption, const std::string& table,
                         const std::string& title, QLabel* messageLine, QLabel* statusLabel) = 0;
    /// The close dialog over the open modules' rows: true when confirmed, with the captions
    /// (GBK) of the modules to close (the current one when none was marked).
    virtual bool chooseModulesToClose(TFrmMain& window, TClientDataSet& openModules,
                                      std::vector<std::string>& toClose) = 0;
};

} // namespace corvo::shell
