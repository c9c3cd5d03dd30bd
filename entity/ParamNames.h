#pragma once

#include <string_view>

/// Names of the rows that requests and replies carry in a parameter packet. Value rows hold
/// text in `Value`; data rows a nested data packet in `Data`.
namespace corvo::param {

// Value rows
inline constexpr std::string_view AppName = "AppName"; ///< sent with every request
inline constexpr std::string_view AppDir = "AppDir";   ///< executable directory, trailing '\'
inline constexpr std::string_view TOwnerID = "TOwnerID";
inline constexpr std::string_view BeginDate = "BeginDate";
inline constexpr std::string_view EndDate = "EndDate";

// Data rows
inline constexpr std::string_view MLogin = "MLogin";
inline constexpr std::string_view TDictTable = "TDictTable";
inline constexpr std::string_view TDictField = "TDictField";
inline constexpr std::string_view TUser = "TUser";
inline constexpr std::string_view TMessage = "TMessage";
inline constexpr std::string_view TMaster = "TMaster";
inline constexpr std::string_view TDetailQuery = "TDetailQuery";
inline constexpr std::string_view TDetailListQuery = "TDetailListQuery";
inline constexpr std::string_view TDetail = "TDetail";
inline constexpr std::string_view TDetailInsert = "TDetailInsert";
inline constexpr std::string_view TDetailUpdate = "TDetailUpdate";
inline constexpr std::string_view TDetailDelete = "TDetailDelete";
inline constexpr std::string_view TMasterInsert = "TMasterInsert";
inline constexpr std::string_view TMasterDelete = "TMasterDelete";
inline constexpr std::string_view ParamDataStatusAlter = "ParamDataStatusAlter";

/// The value of the `AppName` row.
inline constexpr std::string_view AppNameValue = "Corvo";

} // namespace corvo::param
