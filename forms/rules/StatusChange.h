#pragma once

#include <string>
#include <string_view>

namespace corvo::forms {

/// What a status change form does to the documents it sends.
enum class StatusOperation { Change, Verify, Invalidate };

/// The status of a valid document as the invalidate forms name it in their query: the client
/// fixes it, so the server's data must hold exactly this ObjID.
inline constexpr std::string_view FixedValidStatus = "{A1A975D8-603E-476B-90A1-A44B77E20346}";

/// The document status column of a master table T: "Status" + T + "ID".
std::string DocumentStatusColumn(std::string_view table);

/// table + "." + column + " = " + the quoted ObjID; the texts the forms add under "where".
std::string StatusCondition(std::string_view table, std::string_view column,
                            std::string_view objId);

/// The operation button's caption of each form class; empty for a class that is no status
/// change form.
std::string StatusButtonCaption(std::string_view formClass);

/// The report after a document's successful change (UTF-8; the code is the document's code,
/// UTF-8): "单据“" + code + "”审核完成。" and the like.
std::string StatusDoneText(StatusOperation operation, std::string_view code);

/// What the invalidate form says after a query of payments or collections: settled invoices
/// must be changed first. Empty for every other table (the query's own report stands).
std::string InvalidateQueryHint(std::string_view table);

/// Whether the master/detail verify form sends the current document's lines with it (a sale
/// order's lines are reserved when it is verified).
bool VerifySendsDetailLines(std::string_view table);

} // namespace corvo::forms
