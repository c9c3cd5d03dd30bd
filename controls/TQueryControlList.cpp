#include "TQueryControlList.h"

#include <string>

namespace corvo::controls {

bool TQueryControlList::AddControl(std::string_view name, TQuCheckFieldType fieldType,
                                   TQuSubType subType, TOpChar opChar)
{
    return addControl(name, [&] {
        return std::make_unique<TQueryControl>(nullptr, std::string(name), fieldType, subType,
                                               opChar);
    });
}

} // namespace corvo::controls
