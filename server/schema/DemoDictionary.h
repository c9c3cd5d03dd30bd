#pragma once

#include "Dictionary.h"

namespace corvo::server::schema {

/// The system dictionary plus the business tables of the demo company: warehouses,
/// employees, partner roles, materials, stock, the size documents (stock out and stock in,
/// each with its lines and their sizes), sale and purchase orders, invoices, payments,
/// receivables and payables and statements. The system tables keep their columns; the
/// added tables' ObjIDs never change.
Dictionary demoDictionary();

} // namespace corvo::server::schema
