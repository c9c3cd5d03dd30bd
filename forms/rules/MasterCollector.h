#pragma once

#include "entity/Variant.h"

#include <functional>
#include <string>
#include <string_view>

namespace corvo {
class TCustomEntityList;
}

namespace corvo::forms {

/// The values of an entry panel, by dictionary field code (the form's input controls).
class PanelValues {
public:
    virtual ~PanelValues() = default;
    virtual bool hasControl(std::string_view code) = 0;
    /// The control's value as its Text reads it (a code/name box: its inner code).
    virtual Variant value(std::string_view code) = 0;
    /// The text the control's editor shows (a code/name box: the chosen name).
    virtual std::string shownText(std::string_view code) = 0;
};

/// What a collected row takes from the form besides the panel.
struct CollectContext {
    std::string owner;     ///< the form's owner organisation
    std::string userObjID; ///< the logged-in user
    /// The form's EncodeUserPassword hook: (user code, password) -> stored text.
    std::function<std::string(const std::string&, const std::string&)> encodeUserPassword;
    /// StatusObjID(column, state) of the form.
    std::function<std::string(const std::string&, const std::string&)> statusObjID;
};

/// One new TMaster row from the entry panel, as a data packet: entry columns validated, the
/// code left empty for auto-coded tables, keys, owner, user, status, table type and time
/// stamps filled by the status rules, joined names from the shown texts. Selects the
/// master's columns in TDictField when another table is selected. Throws corvo::Error with
/// the first value's message; TMaster is not touched.
Variant CollectNewMaster(TCustomEntityList& registry, PanelValues& panel,
                         const CollectContext& context);

/// The edited TMaster row as a data packet: the current TMaster row (or a new one when it is
/// empty) with the panel's values; status columns keep TMaster's values.
Variant CollectMasterUpdate(TCustomEntityList& registry, PanelValues& panel,
                            const CollectContext& context);

} // namespace corvo::forms
