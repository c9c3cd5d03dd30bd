#pragma once

#include <array>
#include <string_view>

/// Which module form classes (TModule.Code) call which write method. A write is allowed when
/// the user holds a module of one of its callers on the written table.
namespace corvo::server::writecallers {

inline constexpr std::array<std::string_view, 3> InsertSingle = {"TFrmInsert", "TFrmInsertBatch",
                                                                 "TFrmInsertOtherParam"};
inline constexpr std::array<std::string_view, 4> InsertMasterDetail = {
    "TFrmInsertMD", "TFrmInsertSize", "TFrmInsertBill", "TFrmInsertAccount"};
inline constexpr std::array<std::string_view, 4> UpdateSingle = {
    "TFrmUpdate", "TFrmUpdateHelp", "TFrmSimpleUpdate", "TFrmInsertOtherParam"};
/// Change sets and first-status changes of a document.
inline constexpr std::array<std::string_view, 3> UpdateMasterDetail = {
    "TFrmUpdateMD", "TFrmUpdateSize", "TFrmSimpleUpdateMD"};
/// A status right is a right of its kind on the table, whichever form uses it: the size
/// documents' verify form verifies a delivery as the plain verify form would.
inline constexpr std::array<std::string_view, 3> VerifyKind = {"TFrmVerify", "TFrmVerifyMD",
                                                               "TFrmVerifySize"};
inline constexpr std::array<std::string_view, 3> InvalidateKind = {
    "TFrmInvalidate", "TFrmInvalidateMD", "TFrmInvalidateSize"};
/// The status change list of update method 2: to a later document status, or to invalid.
inline constexpr auto VerifyMasterDetail = VerifyKind;
inline constexpr auto InvalidateMasterDetail = InvalidateKind;
/// The rights editor's granted and revoked rows.
inline constexpr std::array<std::string_view, 1> UserRights = {"TFrmInsertUserModule"};
inline constexpr auto Invalidate = InvalidateKind;
inline constexpr auto Verify = VerifyKind;
inline constexpr auto SizeVerify = VerifyKind;

} // namespace corvo::server::writecallers
