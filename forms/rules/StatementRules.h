#pragma once

#include "DictColumn.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace corvo {
class TClientDataSet;
class TCustomEntity;
} // namespace corvo

namespace corvo::forms {

/// The module named `moduleName` (GBK, the caption of the form's page) works from the
/// partner's side: its TModule row has TypeNo 2.
bool IsPartnerSideModule(TClientDataSet& modules, std::string_view moduleName);

/// What a statement or bill query sends beside the form's paging: its "where" clauses (GBK)
/// and, from the partner's side, the packet's TOwnerID (the partner; empty: the user's
/// owner stays).
struct PartnerQuery {
    std::vector<std::string> where;
    std::string packetOwner;
};

/// The clauses of a statement or bill query. `partner` is the chosen partner's ObjID;
/// without one (blank) the query stops with `missingPartner` (UTF-8) as a corvo::Error. Per
/// query column with a condition c: "(" + T + "." + c + ")"; from the partner's side the
/// partner column is left out and "(" + T + ".TOrganID = " + quoted(owner) + ")" comes last
/// when the table has a TOrganID field (`hasOrganField`), the partner travelling as the
/// packet's TOwnerID. No owner clause: the server keeps the company's rows.
PartnerQuery PartnerClauses(const std::vector<DictColumn>& columns,
                            const std::function<std::string(const std::string& code)>& conditionOf,
                            bool partnerSide, bool hasOrganField, const std::string& owner,
                            const std::string& partner, const std::string& missingPartner);

/// The message of a missing partner (UTF-8): "请先选择对帐企业" for the statement, "请先选择"
/// + the partner condition's caption for the bills.
std::string MissingPartnerMessage(bool statement, const std::string& caption);

/// The statement's reply in the message line (UTF-8): "对账单生成完成" for more than one
/// row; one row is only the opening balance, so "当前条件下没有单据".
const char* StatementReplyMessage(int rows);

/// An organisation offered in the partner box: its inner code and its role, the DispOrder of
/// its organisation type (0 when unknown).
struct PartnerEntry {
    std::string id;
    int role = 0;
};

/// The role a partner box of a customer-side module offers first, and of a partner-side one.
inline constexpr int CustomerRole = 4;
inline constexpr int SupplierRole = 3;

/// The entry a statement or bill query opens with: the first of `wantedRole`, else the first
/// that is not the user's own organisation `ownId` (a statement with oneself says nothing);
/// -1 when the list holds no other organisation.
int PresetPartner(const std::vector<PartnerEntry>& entries, std::string_view ownId, int wantedRole);

/// The message of a locked condition the user tried to untick (UTF-8).
std::string LockedConditionMessage(const std::string& caption);

/// From the partner's side an account record is stored with the partner as owner:
/// TOrganID and TOwnerID of the current row are exchanged. False when a field is missing.
bool ExchangeOwnerAndPartner(TCustomEntity& master);

/// The title of one of the ten discount columns: hidden past the number of sale types,
/// otherwise shown with the sale type's name (GBK); an empty title leaves the column's own.
struct DiscountColumn {
    bool visible = false;
    std::string title;
};

/// The discount columns Discount1 … Discount10 from the sale types of `otherParams`, which
/// stays filtered to Type "TSaleTypeID" and sorted by DispOrder. Column n is titled by the
/// type whose DispOrder is n; when there is none, the column keeps its title.
std::array<DiscountColumn, 10> DiscountTitles(TCustomEntity& otherParams);

} // namespace corvo::forms
