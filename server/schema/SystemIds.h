#pragma once

#include <string_view>

/// ObjIDs that never change: the system tables' dictionary rows and the rows of the minimal
/// company that code and the client refer to.
namespace corvo::server::schema::ids {

// Tables
inline constexpr std::string_view TDictTable = "{C0B5D1C7-0000-4000-8000-000000000001}";
inline constexpr std::string_view TDictField = "{C0B5D1C7-0000-4000-8000-000000000002}";
inline constexpr std::string_view TUser = "{C0B5D1C7-0000-4000-8000-000000000003}";
inline constexpr std::string_view TOrgan = "{C0B5D1C7-0000-4000-8000-000000000004}";
inline constexpr std::string_view TModule = "{C0B5D1C7-0000-4000-8000-000000000005}";
inline constexpr std::string_view TModuleGroup = "{C0B5D1C7-0000-4000-8000-000000000006}";
inline constexpr std::string_view TUserModule = "{C0B5D1C7-0000-4000-8000-000000000007}";
inline constexpr std::string_view TOtherParam = "{C0B5D1C7-0000-4000-8000-000000000008}";
inline constexpr std::string_view TMessage = "{C0B5D1C7-0000-4000-8000-000000000009}";
inline constexpr std::string_view TMultiLang = "{C0B5D1C7-0000-4000-8000-00000000000A}";
inline constexpr std::string_view THelp = "{C0B5D1C7-0000-4000-8000-00000000000B}";
inline constexpr std::string_view TOrganLink = "{C0B5D1C7-0000-4000-8000-00000000000C}";
inline constexpr std::string_view TProductType = "{C0B5D1C7-0000-4000-8000-00000000000D}";
inline constexpr std::string_view TProduct = "{C0B5D1C7-0000-4000-8000-00000000000E}";
inline constexpr std::string_view TProductTypeSize = "{C0B5D1C7-0000-4000-8000-00000000000F}";

// Other parameters. The client's invalidate queries name the valid status by this GUID.
inline constexpr std::string_view StatusValid = "{A1A975D8-603E-476B-90A1-A44B77E20346}";
inline constexpr std::string_view StatusInvalid = "{C0B50A00-0000-4000-8000-000000000002}";

// The minimal company
inline constexpr std::string_view DemoOrgan = "{C0B50B00-0000-4000-8000-000000000001}";
inline constexpr std::string_view AdminUser = "{C0B50C00-0000-4000-8000-000000000001}";

} // namespace corvo::server::schema::ids
