#pragma once

#include "entity/TClientDataSet.h"
#include "entity/TCustomEntityList.h"
#include "entity/TParamData.h"
#include "remote/AppServers.h"
#include "remote/Tvelwebconnection.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace corvo::server::test {

/// One logged-in user calling the servers as the client's forms do: queries, the status
/// methods with the documents as queried, statements. Throws std::runtime_error when a call
/// that has to succeed does not.
using Rows = std::unique_ptr<TClientDataSet>;

class StatusClient {
public:
    StatusClient(const std::string& url, const std::string& organ, const std::string& user);

    /// The rows of a table the conditions (UTF-8, joined with "and") let through, all fields.
    Rows query(const std::string& table, const std::vector<std::string>& where = {});

    /// Calls a method with `TMaster` holding the documents as queried. Returns the error
    /// text, "(no error)" for true, "(false)" for false.
    std::string send(std::string_view cls, int method, const std::string& table,
                     const std::vector<std::string>& objIds);
    /// Calls a method with the packet; answers as send().
    std::string call(std::string_view cls, int method, TParamData& packet);

    /// The statement of the partner (its organisation code) from `from` to `to` (yyyy-mm-dd);
    /// a partner-side one names the partner in TOwnerID and the company as TOrganID.
    Rows statement(const std::string& partner, const std::string& from, const std::string& to,
                   bool partnerSide = false);

    std::string organId(const std::string& code);
    /// The ObjID of the other parameter with that Code, or of Code B under Type A for "A_B".
    std::string param(const std::string& code);

    TCustomEntityList registry;
    std::string owner;    ///< the user's company
    std::string employee; ///< the company's first employee
    std::string today;    ///< yyyy-mm-dd

private:
    remote::TIntellegentWebconn m_conn{"Status"};
};

} // namespace corvo::server::test
