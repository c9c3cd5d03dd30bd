#pragma once

#include "shell/ModuleForms.h"

#include <functional>
#include <map>
#include <string>

class QWidget;

namespace corvo::forms {
class TFrmQuery;
}

namespace corvo::app {

/// The module form classes by name, as the module table names them. A name whose class is
/// not built yet is registered without a maker and opens nothing.
class ModuleFormRegistry : public shell::ModuleForms {
public:
    using Maker = std::function<forms::TFrmQuery*(QWidget* owner)>;

    ModuleFormRegistry();

    bool isRegistered(const std::string& className) const override;
    shell::TFrmBase* create(const std::string& className, shell::TFrmMain& window) override;
    void prepare(shell::TFrmBase& form, const std::string& caption, const std::string& table,
                 const std::string& title, QLabel* messageLine, QLabel* statusLabel) override;
    bool chooseModulesToClose(shell::TFrmMain& window, TClientDataSet& openModules,
                              std::vector<std::string>& toClose) override;

    /// Gives a class its maker (registering the name when new).
    void registerClass(const std::string& className, Maker maker)
    {
        m_classes[className] = std::move(maker);
    }
    /// Every registered name and whether it has a maker.
    const std::map<std::string, Maker>& classes() const noexcept { return m_classes; }

private:
    std::map<std::string, Maker> m_classes;
};

} // namespace corvo::app
