#pragma once

// What the business forms share: the first showing, buttons, a guarded save, the local
// files as a store for the rules, the tree images.
#include "forms/rules/LocalStore.h"

#include <QIcon>
#include <functional>
#include <string>

class QPushButton;
class QWidget;

namespace corvo::shell {
class TFrmBase;
}
namespace corvo::forms {
class TFrmApp;
}

namespace corvo::forms::business {

/// The first showing runs `formShow`; later ones (a tab change) do nothing. An error goes to
/// the message line.
void showFirstTime(TFrmApp& form, bool& shown, const std::function<void()>& formShow);

/// A 75 × 25 push button with a component name and a caption (UTF-8).
QPushButton* makeButton(QWidget* parent, const char* name, const char* caption);

/// Runs a save behind the hourglass: an error raised by it goes to the message line and
/// gives false; the default cursor comes back in every case.
bool runGuardedSave(TFrmApp& form, const std::function<bool()>& save);

/// The form's local data files.
class FormFiles : public LocalStore {
public:
    explicit FormFiles(shell::TFrmBase& form) : m_form(form) {}
    bool exists(const std::string& name) override;
    bool load(const std::string& name, TClientDataSet& dataSet) override;
    void save(const std::string& name, TClientDataSet& dataSet) override;

private:
    shell::TFrmBase& m_form;
};

/// The images of the trees (drawn here): 0 a group or folder, 1 the selected node, 2 a
/// single module.
QIcon treeImage(int index);

/// The master table's TDictTable flag (IsAutoCoding, IsClientTable) as text; empty when the
/// table or the flag is missing.
std::string tableFlag(TFrmApp& form, const char* flag);

} // namespace corvo::forms::business
