#pragma once

#include "entity/DateTime.h"

#include <string>
#include <string_view>

namespace corvo {
class TClientDataSet;
class TCustomEntity;
} // namespace corvo

namespace corvo::forms {

/// The size-document forms, for what their module caption decides.
enum class SizeForm { Entry, Update, Query, Verify, Invalidate, Summary };

/// Whether a GBK module caption contains a UTF-8 word, comparing whole GBK characters (a
/// trailing byte followed by a leading byte never forms a match).
bool CaptionHasWord(std::string_view captionGbk, std::string_view wordUtf8);

/// Whether the form relabels its dictionary: the summary when its caption has "销售商品",
/// every other form when it has "日报".
bool RelabelsDailyReport(SizeForm form, std::string_view captionGbk);

/// The daily-report relabelling of the master table's dictionary rows (`dictField` filtered to
/// that table): the captions of Code, TWarehouseID, TEmployeeID and HappenDate, TOrganID
/// without an input control, and the query flags the form asks for. A row is changed only when
/// it was found; a missing row changes nothing else. The captions are written into `Name` and,
/// when it is another column, the language column.
void RelabelDailyReport(TClientDataSet& dictField, SizeForm form,
                        const std::string& languageColumn = "Name");

/// The price and cost of an added product, by the module caption: "销售" sale price and
/// purchase price as cost with quantity 1; else "采购" purchase price and cost 0; else 0, 0.
enum class PriceRule { Sale, Purchase, None };
PriceRule PriceRuleFor(std::string_view captionGbk);

/// The first day of the query window: `today` moved back `months` months (the day of the
/// month kept, or the last day of a shorter month), as "yyyy-mm-dd".
std::string QueryWindowStart(DateTime today, int months);

/// "(" + table + ".HappenDate >= '" + QueryWindowStart + "')".
std::string QueryWindowClause(std::string_view table, DateTime today, int months);

/// T + ".Status" + T + "ID = '<ObjID>'" with the other parameter of type "Status" + T + "ID"
/// whose DispOrder is 1: only documents in their first status. Without such a parameter the
/// empty GUID, so nothing is listed rather than every status. `otherParams` ends unfiltered.
std::string FirstStatusClause(TCustomEntity& otherParams, const std::string& table);

} // namespace corvo::forms
