#include "TInputControlList.h"

namespace corvo::controls {

bool TInputControlList::AddControl(std::string_view name, TSubType subType)
{
    return addControl(name,
                      [subType] { return std::make_unique<TInputControl>(nullptr, subType); });
}

} // namespace corvo::controls
