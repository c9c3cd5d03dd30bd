#pragma once

#include <functional>
#include <map>
#include <string>

class QWidget;

namespace corvo::forms {

class TFrmQuery;

/// Adds the collated query forms to a registry of form classes by name:
/// "TFrmQueryCollate" and "TFrmQueryMDCollate", each made with the given owner.
void registerReportForms(
    std::map<std::string, std::function<forms::TFrmQuery*(QWidget* owner)>>& registry);

} // namespace corvo::forms
