#pragma once

#include <string>

namespace corvo {

class TClientDataSet;

/// The login request record the client sends as "MLogin": TUser, Code, PassWord, NewPassWord,
/// TOrganCode, TOrganTypeNo, TOrganName, Spec1, Spec2, LinkMan, Phone, Email, LastLogin.
void declareLoginRequest(TClientDataSet& record);

/// Empties the record and appends its one row: the empty GUID, the user code, the password
/// and (when not empty) the new password encoded with the user code, the organisation code,
/// LastLogin 1, the rest null. Texts are GBK.
void fillLoginRequest(TClientDataSet& record, const std::string& organCode,
                      const std::string& userCode, const std::string& password,
                      const std::string& newPassword);

} // namespace corvo
