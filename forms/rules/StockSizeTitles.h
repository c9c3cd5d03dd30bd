#pragma once

#include <array>
#include <string>
#include <vector>

namespace corvo {
class TClientDataSet;
}

namespace corvo::forms {

constexpr int StockSizeColumns = 20;

/// The size labels of one size type, Size1 … Size20 in column order (GBK), empty after the
/// last.
using SizeLabels = std::array<std::string, StockSizeColumns>;

/// The size labels of every row of a TProductTypeSize dataset, in row order; a missing
/// SizeN column reads as empty. The cursor ends after the last row.
std::vector<SizeLabels> ReadSizeLabels(TClientDataSet& productTypeSizes);

/// The titles of the stock grid's columns Size1 … Size20: per column the non-empty labels of
/// the size types joined by "|" in row order, one stacked title line per distinct set of
/// labels. Size types with exactly the same 20 labels count once; types that only share a
/// beginning (S…XL and S…XXL) both stay, so no size is lost. An empty title: the column is
/// hidden.
std::array<std::string, StockSizeColumns> StockSizeTitles(const std::vector<SizeLabels>& types);

} // namespace corvo::forms
