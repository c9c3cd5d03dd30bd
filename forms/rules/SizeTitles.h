#pragma once

#include <array>
#include <string>

namespace corvo {
class TClientDataSet;
}

namespace corvo::forms {

constexpr int SizeCount = 20;

/// The size column titles of one product type: entry N - 1 is the trimmed text of the current
/// `TProductTypeSize` row's SizeN (GBK), empty when the type has no such size (blank text,
/// missing field, or no current row). An empty title hides the detail column SizeN.
std::array<std::string, SizeCount> SizeTitles(TClientDataSet& typeSizes);

/// SizeTitles of the row whose `TProductTypeID` is `typeId`; every title empty when no row has
/// that type. The cursor ends on the found row (or where it was).
std::array<std::string, SizeCount> SizeTitlesOfType(TClientDataSet& typeSizes,
                                                    const std::string& typeId);

/// "Size1" … "Size20".
std::string SizeFieldName(int number);

} // namespace corvo::forms
