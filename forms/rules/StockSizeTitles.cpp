#include "StockSizeTitles.h"

#include "entity/TClientDataSet.h"

#include <algorithm>

namespace corvo::forms {
namespace {

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

} // namespace

std::vector<SizeLabels> ReadSizeLabels(TClientDataSet& productTypeSizes)
{
    std::vector<SizeLabels> types;
    if (!productTypeSizes.Active()) return types;
    std::array<TField*, StockSizeColumns> fields{};
    for (int n = 0; n < StockSizeColumns; ++n)
        fields[n] = productTypeSizes.FindField("Size" + std::to_string(n + 1));
    for (productTypeSizes.First(); !productTypeSizes.Eof(); productTypeSizes.Next()) {
        SizeLabels labels;
        for (int n = 0; n < StockSizeColumns; ++n)
            if (fields[n]) labels[n] = fields[n]->AsString();
        types.push_back(std::move(labels));
    }
    return types;
}

std::array<std::string, StockSizeColumns> StockSizeTitles(const std::vector<SizeLabels>& types)
{
    std::vector<SizeLabels> distinct;
    for (const SizeLabels& type : types) {
        SizeLabels clean;
        std::transform(type.begin(), type.end(), clean.begin(), trimmed);
        if (std::find(distinct.begin(), distinct.end(), clean) == distinct.end())
            distinct.push_back(std::move(clean));
    }
    std::array<std::string, StockSizeColumns> titles;
    for (int n = 0; n < StockSizeColumns; ++n)
        for (const SizeLabels& type : distinct) {
            if (type[n].empty()) continue;
            if (!titles[n].empty()) titles[n] += "|";
            titles[n] += type[n];
        }
    return titles;
}

} // namespace corvo::forms
