#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace corvo {
class TClientDataSet;
}

namespace corvo::bench {

/// One detail line of a document; texts are GBK, amounts in hundredths.
struct DocumentRow {
    std::string objId;
    std::string parentId;
    std::string code;
    std::string name;
    int32_t qty = 0;
    int64_t amountCents = 0;
    int64_t priceCents = 0;
};

struct DocumentData {
    std::vector<DocumentRow> rows;
    std::vector<std::string> parentIds; ///< about one per ten rows
};

/// n rows with random ObjIDs, random parents, unique codes "C0000000".. in shuffled order and
/// Chinese product names; the same seed gives the same rows.
DocumentData makeDocumentRows(std::size_t n, uint64_t seed);

/// count rows for an upsert into `base`: the first half are existing rows (same ObjID, changed
/// name, quantity and amounts), the second half rows with new ObjIDs and codes.
std::vector<DocumentRow> makeUpsertRows(const DocumentData& base, std::size_t count, uint64_t seed);

/// Declares ObjID, ParentID, Code, Name, Qty, Amount, Price and creates the table.
void createDocumentTable(TClientDataSet& dataSet);
void appendDocumentRows(TClientDataSet& dataSet, const std::vector<DocumentRow>& rows);

/// The bytes of the values themselves: GUID texts, code, name, a 32-bit integer, two 64-bit
/// amounts.
double rawBytesPerRow(const std::vector<DocumentRow>& rows);

} // namespace corvo::bench
