#pragma once

// The form's widgets and files seen through the rules' interfaces.
#include "forms/rules/LocalStore.h"
#include "forms/rules/LookupLists.h"
#include "forms/rules/MasterCollector.h"

namespace corvo::controls {
class TInputControlList;
class TVelComboBox;
} // namespace corvo::controls
namespace corvo::shell {
class TFrmBase;
}

namespace corvo::forms::internal {

/// The local data directory of a form.
class FormStore : public LocalStore {
public:
    explicit FormStore(shell::TFrmBase& form) : m_form(form) {}
    bool exists(const std::string& name) override;
    bool load(const std::string& name, TClientDataSet& dataSet) override;
    void save(const std::string& name, TClientDataSet& dataSet) override;

private:
    shell::TFrmBase& m_form;
};

/// A code/name box as the list a lookup fills.
class ComboTarget : public LookupTarget {
public:
    explicit ComboTarget(controls::TVelComboBox& box) : m_box(box) {}
    void clear() override;
    void load(TClientDataSet& rows, std::string_view key, std::string_view column1,
              std::string_view column2, std::string_view display) override;

private:
    controls::TVelComboBox& m_box;
};

/// The entry panel's input controls as the values a collected row reads.
class InputValues : public PanelValues {
public:
    explicit InputValues(controls::TInputControlList* list) : m_list(list) {}
    bool hasControl(std::string_view code) override;
    Variant value(std::string_view code) override;
    std::string shownText(std::string_view code) override;

private:
    controls::TInputControlList* m_list;
};

} // namespace corvo::forms::internal
