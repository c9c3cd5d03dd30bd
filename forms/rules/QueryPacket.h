#pragma once

#include "DictColumn.h"

#include <functional>
#include <string>
#include <vector>

namespace corvo {
class TClientDataSet;
class TCustomEntity;
class TCustomEntityList;
class TParamData;
class TSQLAdder;
} // namespace corvo

namespace corvo::forms {

struct QueryPaging;

/// The query packet: emptied; the clause set built from the TDictField selection for the
/// paging mode and keys, then the form's own "where" clauses (`buildWhere`, which may also add
/// rows to the packet); "AppName"; "TOwnerID" unless the form wrote one; "TMaster" = the clause
/// set; "TDetailQuery" = the structure of TDetailQuery, or else of TDetail (whose rows are
/// dropped), when the form registers one.
void FillQueryPacket(TParamData& packet, TSQLAdder& clauses, TCustomEntityList& registry,
                     const QueryPaging& paging, const std::string& owner,
                     const std::function<void()>& buildWhere);

enum class ReplyKind { Master, MasterDetail };

/// Takes a query reply: "TMaster" into TMaster; for a master/detail reply also "TDetail"
/// (the reply's "TDetailQuery" rows) into TDetail, "TDetailQuery" into TDetailQuery and
/// "TDetailListQuery" into TDetailList. Returns TMaster's row count. A reply naming "TDetail"
/// without "TDetailQuery" throws the packet's missing-parameter error.
int ReadQueryReply(TParamData& packet, TCustomEntityList& registry, ReplyKind kind);

/// The condition dialog's clauses: the clause set emptied, then "(" + table + "." + c + ")"
/// for each query column whose control gives a condition c (`conditionOf`: "" for none);
/// the owner column only when `ownerCondition`. The change log is merged.
void BuildBaseConditions(TSQLAdder& clauses, const std::vector<DictColumn>& columns,
                         const std::function<std::string(const std::string& code)>& conditionOf,
                         bool ownerCondition);

/// The table a master/detail document's lines pick from: the name of the detail field after
/// ParentID without its last two characters ("TProductID": "TProduct"); "" without one.
std::string PickedTable(TClientDataSet& detail);

/// One picked row becomes a new detail line: its same-named fields, a new ObjID, and the
/// table's ID, Code and Name fields from the row.
void AddPickedRow(TCustomEntity& detail, TClientDataSet& picked, const std::string& table);

} // namespace corvo::forms
