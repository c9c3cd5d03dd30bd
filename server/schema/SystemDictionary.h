#pragma once

#include "Dictionary.h"

namespace corvo::server::schema {

/// The dictionary of the tables the client reads at login and in the system modules: the
/// dictionary itself (TDictTable, TDictField), users, organisations, modules, module groups,
/// user rights, other parameters, messages, translations, help texts, organisation links,
/// product types, products and size types. Table ObjIDs are those of ids::; column ObjIDs
/// follow from them, so every build gives the same dictionary.
Dictionary systemDictionary();

} // namespace corvo::server::schema
