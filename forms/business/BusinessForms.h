#pragma once

#include <functional>
#include <map>
#include <string>

class QWidget;

namespace corvo::forms {

class TFrmQuery;

/// Adds the business forms (user rights, other parameters, help texts, batch entry) to a
/// registry of form classes by name, each made with the given owner.
void registerBusinessForms(
    std::map<std::string, std::function<forms::TFrmQuery*(QWidget* owner)>>& registry);

} // namespace corvo::forms
