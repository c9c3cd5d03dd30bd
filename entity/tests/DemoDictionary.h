#pragma once

// A small but realistic data dictionary for tests: an organisation table (TOrgan, a client
// table), a product table (TProduct, auto-coded, client table) and a sales document
// (TSale with its lines TSaleDetail). It has joined columns, other-parameter columns, status
// columns, sort columns, hidden key columns and captions in Name, NameEn and NameJP. The
// first column of every table is named like the table. TSale's columns are stored in
// descending ColOrder, so code that forgets to sort shows it.
#include "DictionaryFixture.h"

#include <string_view>
#include <vector>

namespace corvo {
class TParamData;
}

namespace corvo::test::demo {

inline constexpr const char* OrganID = "{D1C7A000-0000-0000-0000-0000000000A1}";
inline constexpr const char* ProductID = "{D1C7A000-0000-0000-0000-0000000000A2}";
inline constexpr const char* SaleID = "{D1C7A000-0000-0000-0000-0000000000A3}";
inline constexpr const char* SaleDetailID = "{D1C7A000-0000-0000-0000-0000000000A4}";

/// The TDictTable rows (texts GBK).
const std::vector<DictTable>& tables();
/// The TDictField rows in the order they are stored (texts GBK).
const std::vector<DictField>& fields();
/// The rows of one table (by ObjID), in ascending ColOrder.
std::vector<DictField> columnsOf(std::string_view tableObjId);

/// Declares both tables and fills them with the demo rows.
void fillDictionary(TClientDataSet& dictTable, TClientDataSet& dictField);
/// Adds the rows "TDictTable" and "TDictField" (nested data packets) to a kind "Data" packet,
/// as a login reply carries them.
void addDictionaryRows(TParamData& packet);

} // namespace corvo::test::demo
