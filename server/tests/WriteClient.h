#pragma once

#include "entity/TClientDataSet.h"
#include "entity/TCustomEntityList.h"
#include "entity/TParamData.h"
#include "remote/Tvelwebconnection.h"
#include "server/storage/Database.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace corvo::server::test {

/// A user logged in to a real server, saving as the client's forms do: rows built in the
/// structure the client builds for a table, packets sent to any method.
class WriteClient {
public:
    WriteClient(const std::string& url, const std::string& organ = "DEMO",
                const std::string& user = "admin", const std::string& password = "admin");

    /// A new, empty dataset with the client's structure of the table (texts GBK).
    std::unique_ptr<TClientDataSet> blank(const std::string& table);
    /// Calls a method; true/false as the server answered; an error reply raises.
    bool call(std::string_view classGuid, int method, TParamData& packet);
    /// The rows of the table matching a condition (every column), through query method 1;
    /// `packetOwner` goes in the packet's TOwnerID, as a partner-side form sends its partner.
    std::unique_ptr<TClientDataSet> rows(const std::string& table, const std::string& where,
                                         const std::string& packetOwner = {});

    std::string userId;
    std::string ownerId;

private:
    remote::TIntellegentWebconn m_conn{"Writes"};
    TCustomEntityList m_registry;
};

/// A packet with "AppName" and the data rows given by name.
std::unique_ptr<TParamData>
packetOf(std::initializer_list<std::pair<const char*, TClientDataSet*>> rows);
/// Another packet holding the same rows (what a client sends again after a lost reply).
std::unique_ptr<TParamData> copyOf(TParamData& packet);

/// Sets a field of the current row from UTF-8 text (GBK for text fields); an empty text
/// clears it.
void setText(TClientDataSet& rows, std::string_view field, const std::string& utf8);

/// The field's text of the current row in UTF-8.
std::string textOf(TClientDataSet& rows, std::string_view field);

/// One value of a statement run directly on the database ("" when no row or Null).
std::string scalar(storage::Database& db, const std::string& sql,
                   std::vector<storage::Value> params = {});
int64_t count(storage::Database& db, const std::string& sql,
              std::vector<storage::Value> params = {});

} // namespace corvo::server::test
