#include "MasterBlock.h"

#include "entity/TClientDataSet.h"
#include "entity/TField.h"

namespace corvo::forms {

std::string masterBlock(const std::vector<std::string>& items, std::string_view extraText)
{
    constexpr std::size_t Column = MasterColumnWidth;
    std::string out;
    std::size_t at = 0; // the column the next item starts in: 0, 31 or 62
    for (const std::string& item : items) {
        const std::size_t w = item.size();
        out += item;
        if (w < Column) {
            out.append(Column - w, ' ');
            if (at == 2 * Column) {
                out += '\n';
                at = 0;
            } else {
                at += Column;
            }
        } else if (at == 0) {
            if (w < 2 * Column) out.append(2 * Column - w, ' ');
            at = 2 * Column;
        } else {
            out += '\n';
            at = 0;
        }
    }
    out += extraText;
    return out;
}

std::vector<std::string> masterItems(const TClientDataSet& master)
{
    const std::string colon = "\xA3\xBA"; // "：" in GBK
    std::vector<std::string> items;
    for (int i = 0; i < master.FieldCount(); ++i) {
        const TField& field = master.Fields(i);
        if (field.Visible()) items.push_back(field.DisplayLabel() + colon + field.AsString());
    }
    return items;
}

} // namespace corvo::forms
