#pragma once

#include "ServiceObject.h"

namespace corvo::server {

/// The login server's one method. Reads "MLogin" (organisation code, user code, encoded
/// password, optional new password); on success opens a session (the cookie goes back with the
/// answer) and replaces the packet with what the client caches: the accounting period, users,
/// messages, the dictionary unless the client's copy is current, modules, rights, other
/// parameters, organisations, translations and every client table. Wrong or throttled
/// credentials give false.
bool loginMethod(ServiceCall& call, TParamData& packet);

/// The login class (no session needed) and the five others with the methods built so far.
std::vector<ServiceClass> applicationServerClasses();

} // namespace corvo::server
