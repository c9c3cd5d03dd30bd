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
/// The status change list of update method 2: to a later document status, or to invalid.
inline constexpr std::array<std::string_view, 1> VerifyMasterDetail = {"TFrmVerifyMD"};
inline constexpr std::array<std::string_view, 2> InvalidateMasterDetail = {"TFrmInvalidateMD",
                                                                           "TFrmInvalidateSize"};
/// The rights editor's granted and revoked rows.
inline constexpr std::array<std::string_view, 1> UserRights = {"TFrmInsertUserModule"};
inline constexpr std::array<std::string_view, 1> Invalidate = {"TFrmInvalidate"};
inline constexpr std::array<std::string_view, 1> Verify = {"TFrmVerify"};
inline constexpr std::array<std::string_view, 1> SizeVerify = {"TFrmVerifySize"};

} // namespace corvo::server::writecallers
