#include "LoginService.h"

#include "InternalTables.h"
#include "QueryService.h"
#include "StatusService.h"
#include "Values.h"
#include "WriteServices.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "entity/TClientDataSet.h"
#include "entity/TParamData.h"
#include "remote/AppServers.h"
#include "server/schema/Schema.h"
#include "server/schema/SystemIds.h"
#include "server/schema/TableLayout.h"
#include "server/schema/TableReader.h"

#include <algorithm>
#include <ctime>

namespace corvo::server {

namespace {

/// How many logins of a process pass between two prunings of the old records.
constexpr uint64_t PruneEveryLogins = 256;

using storage::Value;

struct LoginRequest {
    std::string organCode; ///< UTF-8
    std::string userCode;  ///< UTF-8
    std::string password;  ///< encoded text, ASCII
    std::string newPassword;
};

std::string fieldText(TClientDataSet& ds, std::string_view name)
{
    const int i = ds.FieldIndexOf(name);
    return i < 0 ? std::string() : gbk::toUtf8(ds.Fields(i).AsString());
}

std::optional<LoginRequest> readRequest(TParamData& packet)
{
    if (!packet.ParamExists("MLogin")) return std::nullopt;
    TClientDataSet login;
    login.SetData(packet.GetParamData("MLogin"));
    if (login.IsEmpty()) return std::nullopt;
    login.First();
    LoginRequest r{fieldText(login, "TOrganCode"), fieldText(login, "Code"),
                   fieldText(login, "PassWord"), fieldText(login, "NewPassWord")};
    if (r.organCode.empty() || r.userCode.empty()) return std::nullopt;
    return r;
}

/// Moves to the user whose code is the typed one: exactly, or when no code is, ignoring letter
/// case (then only when one user matches so). False when there is none.
bool locateUser(TClientDataSet& users, const std::string& code)
{
    for (const bool exact : {true, false}) {
        int matches = 0, at = 0;
        for (users.First(); !users.Eof(); users.Next()) {
            const std::string stored = fieldText(users, "Code");
            if (exact ? stored == code : gbk::equalsIgnoreCase(stored, code)) {
                ++matches;
                at = users.RecNo();
            }
        }
        if (matches == 1) {
            users.SetRecNo(at);
            return true;
        }
        if (matches > 1) return false;
    }
    return false;
}

/// Rows of a table, limited to the company when the table has an owner column.
void readScoped(storage::Transaction& tx, const schema::Dictionary& dict, std::string_view table,
                const std::string& ownerId, TClientDataSet& out, std::string where = {},
                std::vector<Value> params = {})
{
    schema::readTable(
        tx, dict, table,
        {std::move(where), std::move(params), schema::scopedRead(dict, table, ownerId)}, out);
}

/// Rows as sorted lines of name=value pairs: equal content, whatever the order or encoding.
std::vector<std::string> contentOf(TClientDataSet& ds)
{
    std::vector<int> order(static_cast<std::size_t>(ds.FieldCount()));
    for (int i = 0; i < ds.FieldCount(); ++i)
        order[static_cast<std::size_t>(i)] = i;
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return gbk::upper(ds.Fields(a).FieldName()) < gbk::upper(ds.Fields(b).FieldName());
    });
    std::vector<std::string> rows;
    for (ds.First(); !ds.Eof(); ds.Next()) {
        std::string line;
        for (int i : order) {
            line += gbk::upper(ds.Fields(i).FieldName());
            line += '\x1F';
            line += ds.Fields(i).AsString();
            line += '\x1E';
        }
        rows.push_back(std::move(line));
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool clientCopyIsCurrent(TParamData& sent, std::string_view name, TClientDataSet& server)
{
    if (!sent.ParamExists(name)) return false;
    try {
        TClientDataSet copy;
        copy.SetData(sent.GetParamData(name));
        return contentOf(copy) == contentOf(server);
    } catch (const Error&) {
        return false; // an unreadable copy is simply replaced
    }
}

std::string isoDate(int year, const char* monthDay)
{
    return std::to_string(year) + "-" + monthDay;
}

/// The user code as the log shows it: printable, one line, at most 30 characters (what a
/// packet carries there is anybody's).
std::string loggable(const std::string& code)
{
    std::string out;
    std::size_t i = 0;
    for (int characters = 0; i < code.size() && characters < 30; ++characters) {
        const unsigned char c = static_cast<unsigned char>(code[i]);
        const std::size_t length = c < 0x80 ? 1 : c >= 0xf0 ? 4 : c >= 0xe0 ? 3 : c >= 0xc0 ? 2 : 0;
        bool whole = length > 0 && i + length <= code.size();
        for (std::size_t k = 1; whole && k < length; ++k)
            whole = (static_cast<unsigned char>(code[i + k]) & 0xc0) == 0x80;
        if (!whole || (length == 1 && (c <= 0x20 || c == 0x7f || c == '='))) {
            out += '?';
            ++i;
            continue;
        }
        out += code.substr(i, length);
        i += length;
    }
    return i < code.size() ? out + "…" : out;
}

void addData(TParamData& reply, std::string_view name, TClientDataSet& rows)
{
    reply.SetParamData(name, rows.Data());
}

} // namespace

bool loginMethod(ServiceCall& call, TParamData& packet)
{
    const std::optional<LoginRequest> request = readRequest(packet);
    if (!request) return false;
    call.call.user = loggable(request->userCode);
    storage::Database& db = call.server.db;

    // Look-ups in a read transaction; the slow hash runs outside any transaction so it never
    // holds a lock. Whatever is missing, the same statements and the same hash work run, so an
    // unknown organisation or user answers as slowly as a wrong password.
    std::shared_ptr<const schema::Dictionary> dictionary;
    TClientDataSet organ, user;
    std::optional<Credential> credential;
    {
        auto tx = db.begin(storage::TransactionMode::Read);
        dictionary = call.server.dictionaries->get(*tx);
        schema::readTable(*tx, *dictionary, "TOrgan", {"\"Code\" = ?", {Value(request->organCode)}},
                          organ);
        const bool oneOrgan = organ.RecordCount() == 1;
        organ.First();
        const std::string organId = oneOrgan ? fieldText(organ, "ObjID") : std::string();
        schema::readTable(*tx, *dictionary, "TUser", {"\"TOrganID\" = ?", {Value(organId)}}, user);
        const bool found = oneOrgan && locateUser(user, request->userCode) &&
                           fieldText(user, "StatusID") != schema::ids::StatusInvalid;
        credential =
            call.server.credentials.find(*tx, found ? fieldText(user, "ObjID") : std::string());
        tx->commit();
    }
    const int64_t now = unixNow();
    const std::string userId = credential ? fieldText(user, "ObjID") : std::string();
    const std::string& address = call.call.peerAddress;
    bool mayTry = false;
    {
        // The back-off is checked and the attempt counted in one step, before the hash.
        auto tx = db.begin(storage::TransactionMode::Write);
        if (!call.server.credentials.claimAddress(*tx, address, now)) {
            tx->commit();
            return false;
        }
        mayTry = call.server.credentials.claimAttempt(*tx, userId, now);
        tx->commit();
    }
    if (!mayTry) return call.server.credentials.checkAgainstNothing(request->password);
    if (!verifyPassword(request->password, credential->hash)) return false;
    const schema::Dictionary& dict = *dictionary;

    Session session{userId, fieldText(user, "Code"), fieldText(user, "TOwnerID"),
                    fieldText(user, "TOrganID")};
    if (session.ownerId.empty()) session.ownerId = fieldText(organ, "TOwnerID");

    // The session and the outcome in one short write; the reply is only read, so logins do
    // not queue behind each other's replies on a single-writer database.
    const std::string newHash = request->newPassword.empty()
                                    ? std::string()
                                    : call.server.credentials.hash(request->newPassword);
    std::string token;
    {
        auto write = db.begin(storage::TransactionMode::Write);
        Credentials::recordSuccess(*write, userId);
        Credentials::releaseAddress(*write, address);
        if (!newHash.empty()) {
            Credentials::storeHash(*write, userId, newHash);
            call.server.sessions.endSessionsOf(*write, userId);
        }
        token = call.server.sessions.create(*write, session, now);
        // Now and then the records nobody needs any more go: saves too old to be retried,
        // addresses whose failures no longer count.
        if (call.server.logins->fetch_add(1) % PruneEveryLogins == 0) pruneOldRecords(*write, now);
        write->commit();
    }
    auto tx = db.begin(storage::TransactionMode::Read);

    TParamData reply(paramkind::Data);
    const std::time_t t = static_cast<std::time_t>(now);
    std::tm local{};
    localtime_r(&t, &local);
    reply.SetParamValue("BeginDate", Variant(isoDate(local.tm_year + 1900, "01-01")));
    reply.SetParamValue("EndDate", Variant(isoDate(local.tm_year + 1900, "12-31")));

    TClientDataSet users;
    readScoped(*tx, dict, "TUser", session.ownerId, users);
    // The stored hashes live elsewhere; whatever the column holds never leaves the server.
    if (const int pw = users.FieldIndexOf("PassWord"); pw >= 0)
        for (users.First(); !users.Eof(); users.Next()) {
            users.Edit();
            users.Fields(pw).SetAsString("");
            users.Post();
        }
    users.MergeChangeLog();
    addData(reply, "TUser", users);

    TClientDataSet messages;
    readScoped(*tx, dict, "TMessage", session.ownerId, messages, "\"StatusID\" = ?",
               {Value(std::string(schema::ids::StatusValid))});
    addData(reply, "TMessage", messages);

    for (const char* name : {"TDictTable", "TDictField"}) {
        TClientDataSet rows;
        schema::readTable(*tx, dict, name, {}, rows);
        if (!clientCopyIsCurrent(packet, name, rows)) addData(reply, name, rows);
    }

    std::vector<std::string> cached = {"TModule", "TModuleGroup", "TOtherParam", "TOrgan",
                                       "TMultiLang"};
    for (const schema::DictTable& t : dict.tables)
        if (t.isClientTable == 1 && t.code != "TDictTable" && t.code != "TDictField" &&
            t.code != "TUser" && t.code != "TUserModule" &&
            std::find(cached.begin(), cached.end(), t.code) == cached.end())
            cached.push_back(t.code);
    for (const std::string& name : cached) {
        TClientDataSet rows;
        readScoped(*tx, dict, name, session.ownerId, rows);
        addData(reply, name, rows);
    }
    TClientDataSet rights;
    readScoped(*tx, dict, "TUserModule", session.ownerId, rights, "\"TUserID\" = ?",
               {Value(userId)});
    addData(reply, "TUserModule", rights);
    tx->commit();

    call.call.setCookie = SessionStore::cookieFor(token, call.server.secureCookies);
    packet.SetData(reply.Data());
    return true;
}

std::vector<ServiceClass> applicationServerClasses()
{
    namespace app = remote::appserver;
    auto make = [](std::string_view guid, const char* progId, const char* logName,
                   bool needsSession) {
        ServiceClass c;
        c.classId = *Guid::parse(guid);
        c.progId = progId;
        c.logName = logName;
        c.needsSession = needsSession;
        return c;
    };
    std::vector<ServiceClass> classes;
    classes.push_back(make(app::Login, "Corvo.Login", "login", false));
    classes.back().methods[app::login::Login] = {"Login", &loginMethod};
    classes.push_back(make(app::Query, "Corvo.Query", "query", true));
    classes.back().methods[app::query::SingleTable] = {"SingleTableQuery", &singleTableQuery};
    classes.back().methods[app::query::MasterDetail] = {"MasterDetailQuery", &masterDetailQuery};
    classes.back().methods[app::query::Summary] = {"SummaryQuery", &summaryQuery};
    classes.back().methods[app::query::SizeSummary] = {"SizeSummaryQuery", &sizeSummaryQuery};
    classes.push_back(make(app::Insert, "Corvo.Insert", "insert", true));
    classes.push_back(make(app::Update, "Corvo.Update", "update", true));
    classes.push_back(make(app::VerifyAccount, "Corvo.VerifyAccount", "verify", true));
    classes.push_back(make(app::SizeVerify, "Corvo.SizeVerify", "sizeverify", true));
    addWriteMethods(classes);
    addStatusMethods(classes);
    return classes;
}

} // namespace corvo::server
