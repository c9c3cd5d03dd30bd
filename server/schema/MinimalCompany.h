#pragma once

#include "server/storage/Database.h"

#include <string>
#include <vector>

namespace corvo::server::schema {

/// A user the seed created, with the password the caller stores for it (the TUser row keeps
/// no password: the server keeps password hashes elsewhere).
struct SeededUser {
    std::string objId;
    std::string code;
    std::string password;
};

/// Fills a database made by createSchema(systemDictionary()) with the smallest company a
/// client can log in to: the head office "DEMO" (its own owner), the administrator "admin",
/// two module groups with two modules each, all rights for the administrator, the validity
/// statuses and a few other parameters, a welcome message and some translations.
std::vector<SeededUser> seedMinimalCompany(storage::Transaction& tx);

} // namespace corvo::server::schema
