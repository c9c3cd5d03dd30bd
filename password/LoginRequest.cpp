#include "password/LoginRequest.h"

#include "entity/Guid.h"
#include "entity/TClientDataSet.h"
#include "password/EncodePassword.h"

namespace corvo {

void declareLoginRequest(TClientDataSet& record)
{
    auto& d = record.FieldDefs();
    d.Clear();
    d.Add("TUser", FieldType::Guid, 38);
    d.Add("Code", FieldType::String, 30);
    d.Add("PassWord", FieldType::String, 20);
    d.Add("NewPassWord", FieldType::String, 20);
    d.Add("TOrganCode", FieldType::String, 30);
    d.Add("TOrganTypeNo", FieldType::Integer);
    d.Add("TOrganName", FieldType::String, 100);
    d.Add("Spec1", FieldType::String, 50);
    d.Add("Spec2", FieldType::String, 50);
    d.Add("LinkMan", FieldType::String, 20);
    d.Add("Phone", FieldType::String, 50);
    d.Add("Email", FieldType::String, 100);
    d.Add("LastLogin", FieldType::Integer);
    record.CreateDataSet();
}

void fillLoginRequest(TClientDataSet& record, const std::string& organCode,
                      const std::string& userCode, const std::string& password,
                      const std::string& newPassword)
{
    record.EmptyDataSet();
    record.Append();
    record.FieldByName("TUser").SetAsString(std::string(EmptyGuidText));
    record.FieldByName("Code").SetAsString(userCode);
    record.FieldByName("PassWord").SetAsString(EncodePassword(userCode, password));
    record.FieldByName("NewPassWord")
        .SetAsString(newPassword.empty() ? std::string() : EncodePassword(userCode, newPassword));
    record.FieldByName("TOrganCode").SetAsString(organCode);
    record.FieldByName("LastLogin").SetAsString("1");
    record.Post();
}

} // namespace corvo
