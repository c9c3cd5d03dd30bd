#pragma once

#include "TQueryControl.h"
#include "internal/ControlList.h"

#include <string_view>

namespace corvo::controls {

/// The query controls of a condition panel, found by dictionary field code (letter case
/// ignored, codes cut to 30 bytes).
class TQueryControlList : public internal::ControlList<TQueryControl> {
public:
    explicit TQueryControlList(Ownership ownership = Ownership::OwnsItems) : ControlList(ownership)
    {
    }

    /// Makes a parentless query control with FieldName = name and the given kinds unless the
    /// name is registered (then nothing changes and the index stays on the first one's row).
    /// False, and the name unregistered, when a step failed.
    bool AddControl(std::string_view name, TQuCheckFieldType fieldType, TQuSubType subType,
                    TOpChar opChar);
};

} // namespace corvo::controls
