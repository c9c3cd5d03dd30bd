#include "DocumentForms.h"

namespace corvo::forms {

void registerDocumentForms(
    std::map<std::string, std::function<forms::TFrmQuery*(QWidget* owner)>>& registry)
{
    // Insert and update forms.
    // Status change forms.
    (void)registry;
}

} // namespace corvo::forms
