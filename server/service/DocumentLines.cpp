#include "DocumentLines.h"

#include "RowStore.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/Guid.h"
#include "server/schema/Ddl.h"

#include <map>

namespace corvo::server {

namespace {
constexpr int Sizes = 20;
}

void requireLinesOf(const WrittenRows& lines, const std::string& documentTable)
{
    if (!gbk::equalsIgnoreCase(lines.table, documentTable + "List"))
        throw Error("明细表[" + lines.table + "]不是单据[" + documentTable + "]的明细表");
}

std::optional<WrittenRows> sizeRowsOf(WriteCall& call, const WrittenRows& lines)
{
    const schema::DictTable* sizeTable = call.dictionary.findTable(lines.table + "Size");
    if (!sizeTable) return std::nullopt;
    WrittenRows sizes{sizeTable->code, call.dictionary.layout(sizeTable->code), {}};
    if (lines.column("Size1") < 0) return sizes;

    // The size names of every product's type, read once.
    std::vector<std::string> products;
    std::set<std::string> seen;
    for (const WrittenRow& line : lines.rows) {
        const std::string product = lines.text(line, "TProductID");
        if (!product.empty() && seen.insert(gbk::upper(product)).second)
            products.push_back(product);
    }
    std::map<std::string, std::vector<std::string>> names;
    if (!products.empty()) {
        std::string select = "SELECT p.\"ObjID\"";
        for (int n = 1; n <= Sizes; ++n)
            select += ", s.\"Size" + std::to_string(n) + "\"";
        select += " FROM \"TProduct\" p JOIN \"TProductTypeSize\" s ON s.\"TProductTypeID\" = "
                  "p.\"TProductTypeID\" WHERE p.\"ObjID\"";
        const storage::Rows rows = queryWhereIn(call.tx, select, products);
        for (const auto& row : rows.rows) {
            std::vector<std::string>& list = names[gbk::upper(textOf(row[0]))];
            for (int n = 1; n <= Sizes; ++n)
                list.push_back(textOf(row[static_cast<std::size_t>(n)]));
        }
    }
    const std::size_t width = sizes.layout->columns().size();
    for (const WrittenRow& line : lines.rows) {
        const std::string product = lines.text(line, "TProductID");
        const auto typeNames = names.find(gbk::upper(product));
        for (int n = 1; n <= Sizes; ++n) {
            const storage::Value& quantity = lines.value(line, "Size" + std::to_string(n));
            if (quantity.isNull() || quantity.toDouble() == 0) continue;
            WrittenRow row{std::vector<storage::Value>(width), std::vector<char>(width, 0),
                           std::vector<char>(width, 0)};
            sizes.set(row, "ObjID", Guid::create().toString());
            sizes.set(row, "ParentID", lines.value(line, "ObjID"));
            sizes.set(row, "TProductID", product);
            sizes.set(row, "SizeNo", static_cast<int64_t>(n));
            if (typeNames != names.end() && !typeNames->second[std::size_t(n - 1)].empty())
                sizes.set(row, "SizeName", typeNames->second[std::size_t(n - 1)]);
            sizes.set(row, "Quantity", quantity);
            sizes.rows.push_back(std::move(row));
        }
    }
    return sizes;
}

} // namespace corvo::server
