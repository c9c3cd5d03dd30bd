#pragma once

#include "entity/DateTime.h"

#include <string>
#include <string_view>

namespace corvo::forms {

/// prefix + ".CreateDate between '<first of this month>' and '<first of next month>'".
std::string CreateDateThisMonth(std::string_view prefix, DateTime today = DateTime::now());
/// prefix + ".HappenDate between '<first of this month>' and '<last of this month>'".
std::string HappenDateThisMonth(std::string_view prefix, DateTime today = DateTime::now());

} // namespace corvo::forms
