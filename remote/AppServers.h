#pragma once

#include <cstdint>
#include <string_view>

/// The application servers the client calls: class GUIDs and the methods (DispIDs) of each.
/// Every method takes the parameter packet by reference and returns a boolean.
namespace corvo::remote::appserver {

inline constexpr std::string_view Login = "{3B14D4AA-94E8-4378-880B-F2ED3F574D73}";
inline constexpr std::string_view Query = "{2293DEA1-F9B5-4990-94D0-7ABF92A31561}";
inline constexpr std::string_view Insert = "{0EBB443E-B2F2-4D47-8B83-6B89E085B829}";
inline constexpr std::string_view Update = "{E4AF293C-5E9E-4AC2-B4AB-B460BA0E5F5F}";
inline constexpr std::string_view VerifyAccount = "{C0F21D08-2DD6-489F-B2EC-019F7F4DFE95}";
inline constexpr std::string_view SizeVerify = "{559ABB56-5E18-44D2-B794-2DF235F32826}";

namespace login {
inline constexpr int32_t Login = 1;
}
namespace query {
inline constexpr int32_t SingleTable = 1; ///< also the product list of the size documents
inline constexpr int32_t MasterDetail = 3;
inline constexpr int32_t Summary = 4;
inline constexpr int32_t SizeSummary = 5;
} // namespace query
namespace insert {
inline constexpr int32_t Single = 1;       ///< also batch entry and other-parameter additions
inline constexpr int32_t MasterDetail = 2; ///< also bills
} // namespace insert
namespace update {
inline constexpr int32_t Single = 1;       ///< also simple status updates, other-parameter changes
inline constexpr int32_t MasterDetail = 2; ///< also status changes, size invalidation, rights
inline constexpr int32_t Invalidate = 3;
inline constexpr int32_t InvalidateZeroStock = 4;
} // namespace update
namespace verify {
inline constexpr int32_t Verify = 1;
inline constexpr int32_t AccountStatement = 2;
} // namespace verify
namespace sizeverify {
inline constexpr int32_t Verify = 1;
}

} // namespace corvo::remote::appserver
