#include "WriteClient.h"

#include "ServerProcess.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "entity/TSQLAdder.h"
#include "remote/AppServers.h"
#include "remote/ServerCall.h"

#include <stdexcept>

namespace corvo::server::test {

namespace app = remote::appserver;

WriteClient::WriteClient(const std::string& url, const std::string& organ, const std::string& user,
                         const std::string& password)
{
    m_conn.setURL(url);
    LoginPacket login(organ, user, password);
    if (!remote::CallServer(m_conn, app::Login, app::login::Login, login))
        throw std::runtime_error("login refused: " + organ + "/" + user);
    m_registry.LoadDictionary(login);
    TClientDataSet users;
    users.SetData(login.GetParamData("TUser"));
    for (users.First(); !users.Eof(); users.Next())
        if (users.FieldByName("Code").AsString() == gbk::fromUtf8(user)) {
            userId = users.FieldByName("ObjID").AsString();
            ownerId = users.FieldByName("TOwnerID").AsString();
        }
}

std::unique_ptr<TClientDataSet> WriteClient::blank(const std::string& table)
{
    auto rows = std::make_unique<TClientDataSet>();
    rows->SetData(m_registry.BuildEntity(table, "Blank" + table).Data());
    rows->EmptyDataSet();
    return rows;
}

bool WriteClient::call(std::string_view classGuid, int method, TParamData& packet)
{
    return remote::CallServer(m_conn, classGuid, method, packet);
}

std::unique_ptr<TClientDataSet> WriteClient::rows(const std::string& table,
                                                  const std::string& where,
                                                  const std::string& packetOwner)
{
    TSQLAdder adder;
    m_registry.SelectTableFields(table);
    adder.BuildQuery(&m_registry.EntityByName("TDictField"), "AllPage", "", "");
    if (!where.empty()) adder.AddClause("where", where);
    TParamData packet(paramkind::Data);
    packet.SetParamValue(param::AppName, Variant(param::AppNameValue));
    packet.SetParamData("TMaster", adder.Data());
    if (!packetOwner.empty()) packet.SetParamValue("TOwnerID", Variant(packetOwner));
    if (!remote::CallServer(m_conn, app::Query, app::query::SingleTable, packet))
        throw std::runtime_error("query refused: " + table);
    auto out = std::make_unique<TClientDataSet>();
    out->SetData(packet.GetParamData("TMaster"));
    return out;
}

std::unique_ptr<TParamData>
packetOf(std::initializer_list<std::pair<const char*, TClientDataSet*>> rows)
{
    auto packet = std::make_unique<TParamData>(paramkind::Data);
    packet->SetParamValue(param::AppName, Variant(param::AppNameValue));
    for (const auto& [name, data] : rows) {
        if (data->State() == DataSetState::Edit || data->State() == DataSetState::Insert)
            data->Post();
        packet->SetParamData(name, data->Data());
    }
    return packet;
}

std::unique_ptr<TParamData> copyOf(TParamData& packet)
{
    auto copy = std::make_unique<TParamData>(paramkind::Data);
    copy->SetData(packet.Data());
    return copy;
}

void setText(TClientDataSet& rows, std::string_view field, const std::string& utf8)
{
    if (rows.State() != DataSetState::Edit && rows.State() != DataSetState::Insert) rows.Edit();
    TField& f = rows.FieldByName(field);
    if (utf8.empty())
        f.Clear();
    else
        f.SetAsString(gbk::fromUtf8(utf8));
}

std::string textOf(TClientDataSet& rows, std::string_view field)
{
    return gbk::toUtf8(rows.FieldByName(field).AsString());
}

std::string scalar(storage::Database& db, const std::string& sql,
                   std::vector<storage::Value> params)
{
    auto tx = db.begin(storage::TransactionMode::Read);
    const storage::Rows rows = tx->query(sql, params);
    tx->commit();
    if (rows.rows.empty() || rows.rows[0].empty() || rows.rows[0][0].isNull()) return {};
    return rows.rows[0][0].toText();
}

int64_t count(storage::Database& db, const std::string& sql, std::vector<storage::Value> params)
{
    const std::string text = scalar(db, sql, std::move(params));
    return text.empty() ? 0 : std::stoll(text);
}

} // namespace corvo::server::test
