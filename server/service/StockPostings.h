#pragma once

#include "Postings.h"

#include <string>
#include <string_view>

namespace corvo::server {

/// +1 for a document table whose verified documents bring goods into their warehouse
/// (TStockIn), -1 for one whose documents take them out (TStockOut), 0 for any other.
int stockDirection(std::string_view table);

/// Moves the stock of the document's warehouse (`TWarehouseID`) by its lines: per product the
/// line's `Quantity`, per size the line's `…ListSize` rows (`SizeNo`, `Quantity`) or, for a
/// line without them, its `Size1` … `Size20`; times stockDirection(table) times `sign` (+1
/// posts, -1 takes a posting back). A `TStock` row of the warehouse and product is made when
/// missing and removed when nothing is left in it; its `TotalAmount` is always `Quantity` ×
/// the product's purchase price (`TProduct.InPrice`). Throws corvo::Error for a document or a
/// product that does not exist.
void postStock(PostingScope& scope, std::string_view table, const std::string& objId, int sign);

} // namespace corvo::server
