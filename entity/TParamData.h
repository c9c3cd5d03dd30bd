#pragma once

#include "TCustomEntity.h"

#include <string>
#include <string_view>

namespace corvo {

/// Kind texts of a parameter packet; they fix its fields and its order.
namespace paramkind {
inline constexpr std::string_view Int = "Int";     ///< Name, Value (Integer)
inline constexpr std::string_view Query = "Query"; ///< Int + AllPage, AllCount, MinID, MaxID
inline constexpr std::string_view Data = "Data";   ///< Name, Value, Data (Blob); ordered by Name
inline constexpr std::string_view Field = "Field"; ///< Name, Value, Field
inline constexpr std::string_view Link =
    "Link";                                 ///< + QueryOrder, LinkTable, LinkField; by QueryOrder
inline constexpr std::string_view Map = ""; ///< Name, Value; ordered by the text of Value
} // namespace paramkind

/// Named parameters: the one argument of every server call (kind "Data": short values in
/// `Value`, nested tables as data packets in `Data`) and the small name-to-value maps of the
/// client (kind ""). Names are GBK, at most 30 bytes, unique in the packet and matched
/// without regard to letter case: a lookup tries the current row first (trimmed), then a
/// case-insensitive Locate. An operation on a field the kind lacks throws the dataset's
/// unknown-field error.
class TParamData : public TCustomEntity {
public:
    /// Declares the fields of the kind (kind compared ignoring case), creates the empty table
    /// and activates one ascending index: exactly "Link" on QueryOrder, exactly "Data" on
    /// Name, any other spelling on Value.
    explicit TParamData(std::string_view kind, EntityRegistry* entityList = nullptr);

    /// Edits the row of that name or appends one; Name := name (the new spelling), Value :=
    /// value (text cut to 200 bytes on a character boundary). Returns RecNo after the post.
    int SetParamValue(std::string_view name, const Variant& value);
    /// As SetParamValue, and Field := field in the same row (kind "Field").
    int SetParamValueField(std::string_view name, const Variant& value, std::string_view field);
    /// Stores a nested data packet (a byte array) in the row of that name, found from the
    /// first row or appended with an empty Value. Throws corvo::Error before touching any row
    /// when the value is not a byte array.
    int SetParamData(std::string_view name, const Variant& packet);

    /// The Value of the row of that name (Null when empty); throws corvo::Error when absent.
    Variant GetParamValue(std::string_view name);
    /// The Data bytes of the row of that name (empty when never set); throws when absent.
    Variant GetParamData(std::string_view name);
    /// The Data bytes of the current row (empty when Null); for walking a reply's rows.
    Variant CurrentParamData();

    /// Case-insensitive Locate on Name; true leaves the cursor on the row.
    bool ParamExists(std::string_view name);
    /// The Name of the row whose Value reads as the value's text; throws when absent.
    std::string ParamNameOf(const Variant& value);
    /// Deletes the current row when its Name equals the name exactly, otherwise the row a
    /// case-insensitive Locate finds. False, and nothing changed, when there is none.
    bool DeleteParam(std::string_view name);

private:
    /// Positions on the row of that name, or appends one; in either case ready to write.
    void editOrAppend(std::string_view name);
};

} // namespace corvo
