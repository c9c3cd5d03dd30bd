#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace corvo {
class TClientDataSet;
}

namespace corvo::forms {

/// The width of one column of the master block, in GBK bytes.
inline constexpr std::size_t MasterColumnWidth = 31;

/// The master record printed above its detail lines, in three columns of 31 bytes of GBK text
/// (a Chinese character counts 2). Each item is padded with blanks to its column's end; the
/// third column ends the line. An item of 31 bytes or more at the start of a line takes the
/// first two columns (padded to 62 bytes when shorter than that) and the next item goes in
/// the third; one in the second or third column ends the line at once. The extra text follows
/// the last item as it is. All text GBK.
std::string masterBlock(const std::vector<std::string>& items, std::string_view extraText);

/// The items of a master row: for each visible field in field order, its caption + "："
/// + its current value as text (GBK).
std::vector<std::string> masterItems(const TClientDataSet& master);

} // namespace corvo::forms
