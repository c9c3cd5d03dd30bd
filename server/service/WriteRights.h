#pragma once

#include "server/schema/Dictionary.h"
#include "server/storage/Database.h"

#include <span>
#include <string>
#include <string_view>

namespace corvo::server {

/// Refuses a write unless the user holds (directly or through a granted group, expanded
/// twice as ReadRights does) a module on `table` (its document table: documentOf) whose
/// form class (TModule.Code) is one of `formClasses`. Throws corvo::Error
/// "您没有修改[caption]的权限，请与系统管理员联系！" with the table's caption.
void requireWritable(storage::Transaction& tx, const schema::Dictionary& dictionary,
                     const std::string& userId, std::string_view table,
                     std::span<const std::string_view> formClasses);

/// What requireWritable finds, read once: whether the user may write, and whether one of those
/// held modules works from the partner's side (TypeNo 2), whose rows are stored with the
/// partner as owner and the company as TOrganID.
struct WriteAccess {
    bool allowed = false;
    bool partnerSide = false;
};
WriteAccess writeAccess(storage::Transaction& tx, const schema::Dictionary& dictionary,
                        const std::string& userId, std::string_view table,
                        std::span<const std::string_view> formClasses);
/// requireWritable and writeAccess in one: refuses as requireWritable, else tells partnerSide.
bool requireWritablePartnerSide(storage::Transaction& tx, const schema::Dictionary& dictionary,
                                const std::string& userId, std::string_view table,
                                std::span<const std::string_view> formClasses);

/// Whether one of those held modules works from the partner's side.
bool holdsPartnerSide(storage::Transaction& tx, const schema::Dictionary& dictionary,
                      const std::string& userId, std::string_view table,
                      std::span<const std::string_view> formClasses);

} // namespace corvo::server
