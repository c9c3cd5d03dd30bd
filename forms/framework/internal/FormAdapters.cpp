#include "FormAdapters.h"

#include "controls/TInputControlList.h"
#include "controls/TVelComboBox.h"
#include "platform/QtText.h"
#include "shell/TFrmBase.h"

namespace corvo::forms::internal {

bool FormStore::exists(const std::string& name)
{
    return m_form.LocalFileExists(name);
}

bool FormStore::load(const std::string& name, TClientDataSet& dataSet)
{
    return m_form.LoadLocalFile(name, dataSet);
}

void FormStore::save(const std::string& name, TClientDataSet& dataSet)
{
    m_form.SaveLocalFile(name, dataSet);
}

void ComboTarget::clear()
{
    m_box.ClearItems();
}

void ComboTarget::load(TClientDataSet& rows, std::string_view key, std::string_view column1,
                       std::string_view column2, std::string_view display)
{
    m_box.LoadFromDataSet(&rows, key, column1, column2, display);
}

bool InputValues::hasControl(std::string_view code)
{
    return m_list && m_list->HasControl(code);
}

Variant InputValues::value(std::string_view code)
{
    return m_list->ControlByName(code).Text();
}

std::string InputValues::shownText(std::string_view code)
{
    controls::TInputControl& control = m_list->ControlByName(code);
    if (auto* box = qobject_cast<controls::TVelComboBox*>(control.Editor()))
        return platform::toGbk(box->text());
    return control.Text().toText();
}

} // namespace corvo::forms::internal
