#include "StatusClient.h"

#include "ServerProcess.h"
#include "entity/DateTime.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "entity/TSQLAdder.h"
#include "remote/ServerCall.h"

#include <cmath>
#include <stdexcept>

namespace corvo::server::test {

namespace app = remote::appserver;

StatusClient::StatusClient(const std::string& url, const std::string& organ,
                           const std::string& user)
{
    m_conn.setURL(url);
    LoginPacket login(organ, user, user);
    if (!remote::CallServer(m_conn, app::Login, app::login::Login, login))
        throw std::runtime_error("login refused: " + organ + "/" + user);
    registry.LoadDictionary(login);
    registry.LoadOtherEntities(login);
    TClientDataSet users;
    users.SetData(login.GetParamData("TUser"));
    for (users.First(); !users.Eof(); users.Next())
        if (users.FieldByName("Code").AsString() == user)
            owner = users.FieldByName("TOwnerID").AsString();
    today = DateTime{std::floor(DateTime::now().days)}.toDateString();
    Rows employees = query("TEmployee");
    if (employees->RecordCount() > 0) employee = employees->FieldByName("ObjID").AsString();
}

Rows StatusClient::query(const std::string& table, const std::vector<std::string>& where)
{
    TSQLAdder adder;
    registry.SelectTableFields(table);
    adder.BuildQuery(&registry.EntityByName("TDictField"), "AllPage", "", "");
    for (const std::string& w : where)
        adder.AddClause("where", gbk::fromUtf8(w));
    TParamData packet(paramkind::Data);
    packet.SetParamValue(param::AppName, Variant(param::AppNameValue));
    packet.SetParamValue("TOwnerID", Variant(owner));
    packet.SetParamData("TMaster", adder.Data());
    if (!remote::CallServer(m_conn, app::Query, app::query::SingleTable, packet))
        throw std::runtime_error("query refused: " + table);
    auto rows = std::make_unique<TClientDataSet>();
    rows->SetData(packet.GetParamData("TMaster"));
    return rows;
}

std::string StatusClient::send(std::string_view cls, int method, const std::string& table,
                               const std::vector<std::string>& objIds)
{
    std::string in;
    for (const std::string& id : objIds)
        in += (in.empty() ? "'" : ", '") + id + "'";
    Rows rows = query(table, {table + ".ObjID in (" + in + ")"});
    TParamData packet(paramkind::Data);
    packet.SetParamValue(param::AppName, Variant(param::AppNameValue));
    packet.SetParamData("TMaster", rows->Data());
    return call(cls, method, packet);
}

std::string StatusClient::call(std::string_view cls, int method, TParamData& packet)
{
    bool answer = false;
    const std::string error =
        errorOf([&] { answer = remote::CallServer(m_conn, cls, method, packet); });
    return error == "(no error)" && !answer ? "(false)" : error;
}

Rows StatusClient::statement(const std::string& partner, const std::string& from,
                             const std::string& to, bool partnerSide)
{
    TSQLAdder adder;
    registry.SelectTableFields("TCheckAccount");
    adder.BuildQuery(&registry.EntityByName("TDictField"), "AllPage", "", "");
    const std::string organ = organId(partner);
    adder.AddClause("where", "(TCheckAccount.TOrganID = '" + (partnerSide ? owner : organ) + "')");
    adder.AddClause("where", "(TCheckAccount.HappenDate  between '" + from + "' and '" + to + "')");
    TParamData packet(paramkind::Data);
    packet.SetParamValue(param::AppName, Variant(param::AppNameValue));
    packet.SetParamValue("TOwnerID", Variant(partnerSide ? organ : owner));
    packet.SetParamData("TMaster", adder.Data());
    const std::string error = call(app::VerifyAccount, app::verify::AccountStatement, packet);
    if (error != "(no error)") throw std::runtime_error("statement: " + error);
    auto rows = std::make_unique<TClientDataSet>();
    rows->SetData(packet.GetParamData("TMaster"));
    return rows;
}

std::string StatusClient::organId(const std::string& code)
{
    TCustomEntity& organs = registry.EntityByName("TOrgan");
    if (!organs.FindRecord("Code", code)) throw std::runtime_error("no organ " + code);
    return organs.FieldByName("ObjID").AsString();
}

std::string StatusClient::param(const std::string& code)
{
    // Statuses are coded "Type_State"; the other lists' codes are plain, under their Type.
    TCustomEntity& params = registry.EntityByName("TOtherParam");
    params.ClearFilter();
    if (params.FindRecord("Code", code)) return params.FieldByName("ObjID").AsString();
    const std::size_t cut = code.find('_');
    if (cut != std::string::npos)
        for (params.First(); !params.Eof(); params.Next())
            if (params.FieldByName("Type").AsString() == code.substr(0, cut) &&
                params.FieldByName("Code").AsString() == code.substr(cut + 1))
                return params.FieldByName("ObjID").AsString();
    throw std::runtime_error("no parameter " + code);
}

} // namespace corvo::server::test
