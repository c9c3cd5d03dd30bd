#pragma once

#include "ServiceObject.h"

#include <vector>

namespace corvo::server {

/// Adds the insert methods (1, 2) and the update methods (1, 2) to their classes among
/// `classes`.
void addWriteMethods(std::vector<ServiceClass>& classes);

} // namespace corvo::server
