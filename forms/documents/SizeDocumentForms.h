#pragma once

#include <functional>
#include <map>
#include <string>

class QWidget;

namespace corvo::forms {

class TFrmQuery;

/// Registers the size-matrix document forms by class name.
void registerSizeDocumentForms(
    std::map<std::string, std::function<forms::TFrmQuery*(QWidget* owner)>>& registry);

} // namespace corvo::forms
