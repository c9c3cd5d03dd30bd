#pragma once

#include "TInputControl.h"
#include "internal/ControlList.h"

#include <string_view>

namespace corvo::controls {

/// The input controls of an entry panel, found by dictionary field code (letter case
/// ignored, codes cut to 30 bytes). Controls get no object name: the list is the only way
/// to find them by field.
class TInputControlList : public internal::ControlList<TInputControl> {
public:
    explicit TInputControlList(Ownership ownership = Ownership::OwnsItems) : ControlList(ownership)
    {
    }

    /// Makes a parentless input control of that sub type under the name unless the name is
    /// registered (then nothing changes and the index stays on the first one's row). False,
    /// and the name unregistered, when a step failed.
    bool AddControl(std::string_view name, TSubType subType);
};

} // namespace corvo::controls
