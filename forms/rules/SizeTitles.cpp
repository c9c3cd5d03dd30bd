#include "SizeTitles.h"

#include "entity/Gbk.h"
#include "entity/TClientDataSet.h"
#include "entity/TField.h"

namespace corvo::forms {

std::string SizeFieldName(int number)
{
    return "Size" + std::to_string(number);
}

std::array<std::string, SizeCount> SizeTitles(TClientDataSet& typeSizes)
{
    std::array<std::string, SizeCount> titles;
    if (!typeSizes.Active() || typeSizes.IsEmpty()) return titles;
    for (int n = 1; n <= SizeCount; ++n)
        if (TField* field = typeSizes.FindField(SizeFieldName(n)))
            titles[static_cast<std::size_t>(n - 1)] = std::string(gbk::trim(field->AsString()));
    return titles;
}

std::array<std::string, SizeCount> SizeTitlesOfType(TClientDataSet& typeSizes,
                                                    const std::string& typeId)
{
    if (!typeSizes.Active() || typeSizes.IsEmpty() || !typeSizes.FindField("TProductTypeID"))
        return {};
    const Variant key(typeId);
    if (!typeSizes.Locate("TProductTypeID", key)) return {};
    return SizeTitles(typeSizes);
}

} // namespace corvo::forms
