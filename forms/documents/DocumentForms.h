#pragma once

#include <functional>
#include <map>
#include <string>

class QWidget;

namespace corvo::forms {

class TFrmQuery;

/// Adds the document forms (insert, update and status change) to a registry of form classes
/// by name, each made with the given owner.
void registerDocumentForms(
    std::map<std::string, std::function<forms::TFrmQuery*(QWidget* owner)>>& registry);

} // namespace corvo::forms
