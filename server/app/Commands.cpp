#include "Commands.h"

#include "Options.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/Guid.h"
#include "entity/TClientDataSet.h"
#include "password/EncodePassword.h"
#include "server/http/HttpServer.h"
#include "server/schema/DemoCompany.h"
#include "server/schema/DemoDictionary.h"
#include "server/schema/Schema.h"
#include "server/schema/SystemDictionary.h"
#include "server/schema/SystemIds.h"
#include "server/schema/TableLayout.h"
#include "server/schema/TableReader.h"
#include "server/schema/TableWriter.h"
#include "server/service/InternalTables.h"
#include "server/service/LoginService.h"
#include "server/service/ServiceHost.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <strings.h>
#include <thread>

namespace corvo::server {

const char* const UsageText = R"(corvo-server: the Corvo application server

usage:
  corvo-server serve [--config FILE] --listen HOST:PORT --db URL [--threads N]
                     [--session-idle-minutes M] [--session-max-hours H] [--max-connections N]
                     [--read-timeout SECONDS] [--login-backoff SECONDS]
                     [--statement-timeout SECONDS] [--write-timeout SECONDS]
                     [--max-reply-rows N] [--max-reply-mb N]
                     [--tls-cert FILE --tls-key FILE] [--log-level info|error]
      Serves the application server classes over HTTP/1.1 at
      http://HOST:PORT/scripts/Velmarwebsvr.dll until SIGINT or SIGTERM (port 0 picks a
      free port; the line "listening on URL" tells which). Defaults: 4 threads, sessions
      expire after 480 idle minutes or 24 hours after the login, 512 connections, 30 seconds to deliver a request; from
      the third failed login in a row a user waits 1, 2, 4 ... (at most 60) times the
      login back-off (default 1 second) before a password is checked again. A statement
      stops after 30 seconds, a write call (its transaction, waiting for the writer
      included) after 30 seconds, one call's reads after 100,000 rows or 64 MB (the options
      change these); the call then answers a message saying so, and a write keeps nothing. With --tls-cert and
      --tls-key (PEM files: the certificate chain and its private key) it serves https only.
      --config FILE reads "name = value" lines for the same names (listen = 127.0.0.1:8211);
      the command line wins. One line per event on standard error: every service call
      (--log-level info, the default) or the failed ones only (error). GET /health answers
      200 while the database answers, 503 otherwise.
  corvo-server init --db URL --company CODE --admin-password TEXT [--name NAME]
      Creates a company to start work with: its head office CODE (named NAME), the user
      admin with that password and every module, the system's parameters; no demo data.
      An empty database gets the schema first; otherwise the company is added beside the
      others.
  corvo-server init-demo --db URL [--force] [--large | --sales-lines N]
      Creates the schema and the demo company; refuses a database that already holds tables
      unless --force is given (which drops them first). --large adds 1,000,000 sales lines
      for benchmarks (--sales-lines N: N of them).
  corvo-server init-demo --db URL --company CODE
      Adds another company, separate from the others, to a database made by init-demo: the
      demo's data under new ids, its head office coded CODE, its stores and partners CODE-LS,
      CODE-GY001 ..., the same users and passwords.
  corvo-server user add --db URL --org CODE --code CODE --name NAME --password TEXT
      Adds a user to an organisation, with its password.
  corvo-server backup --db sqlite:PATH --out FILE
      Copies the database into the new file FILE, consistent while servers keep writing.
  corvo-server restore --in FILE --db sqlite:PATH
      Brings a backup back into a database that does not exist yet or holds no tables.
      (PostgreSQL: pg_dump and pg_restore; see docs/operations.md.)
  corvo-server encode-password USER PASSWORD
      Prints the password as the client encodes it before sending (a support aid).
  corvo-server --help

database URLs:
  sqlite:PATH                           one file (WAL journal)
  postgresql://USER@HOST:PORT/NAME      PostgreSQL through libpq
)";

namespace {

std::string gbkOf(const std::string& utf8)
{
    return gbk::fromUtf8(utf8);
}

std::string encodedPassword(const std::string& userCode, const std::string& password)
{
    // What the client sends: the encoded text as its 20-character PassWord field holds it.
    return EncodePassword(gbkOf(userCode), gbkOf(password)).substr(0, LoginPasswordFieldSize);
}

int positiveNumber(const std::string& text, const char* what)
{
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || value <= 0)
        throw Error(std::string("--") + what + " must be a positive number, not \"" + text + "\"");
    return value;
}

void splitListen(const std::string& listen, HttpServerOptions& options)
{
    const std::size_t colon = listen.rfind(':');
    if (colon == std::string::npos || colon == 0)
        throw Error("--listen must be HOST:PORT, for example 127.0.0.1:8211");
    options.host = listen.substr(0, colon);
    if (options.host.size() > 2 && options.host.front() == '[' && options.host.back() == ']')
        options.host = options.host.substr(1, options.host.size() - 2);
    const std::string port = listen.substr(colon + 1);
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
    if (ec != std::errc{} || end != port.data() + port.size() || value > 65535)
        throw Error("--listen must be HOST:PORT, for example 127.0.0.1:8211");
    options.port = static_cast<uint16_t>(value);
}

bool hasTable(storage::Database& db, std::string_view name)
{
    for (const std::string& t : db.tableNames())
        if (gbk::equalsIgnoreCase(t, name)) return true;
    return false;
}

void checkCompanyCode(const std::string& code)
{
    const bool plain = code.size() <= 20 && std::all_of(code.begin(), code.end(), [](char c) {
                           return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
                       });
    if (code.empty() || !plain)
        throw Error("--company must be 1 to 20 letters, digits or _, not \"" + code + "\"");
}

/// Codes of the organisations CODE and CODE-… stay unique across companies, so a login names
/// one company.
void refuseTakenCode(storage::Transaction& tx, const std::string& code)
{
    const storage::Rows taken =
        tx.query("SELECT \"Code\" FROM \"TOrgan\" WHERE upper(\"Code\") = ? OR upper(\"Code\") "
                 "LIKE ?",
                 std::vector<storage::Value>{storage::Value(gbk::upper(code)),
                                             storage::Value(gbk::upper(code) + "-%")});
    if (!taken.rows.empty())
        throw Error("the database already holds the organisation " +
                    taken.rows.front().front().asString());
}

bool isHealthPath(std::string_view target)
{
    const std::string_view path = target.substr(0, target.find('?'));
    return path.size() == 7 && strncasecmp(path.data(), "/health", 7) == 0;
}

HttpAnswer plainAnswer(int status, std::string reason, const std::string& text)
{
    HttpAnswer answer{status, std::move(reason), "text/plain; charset=utf-8", {}, {}};
    answer.body.assign(text.begin(), text.end());
    return answer;
}

} // namespace

int serveCommand(const std::vector<std::string>& args)
{
    const Options opts(args, {"config", "listen", "db", "threads", "session-idle-minutes",
                              "max-connections", "read-timeout", "login-backoff",
                              "statement-timeout", "max-reply-rows", "max-reply-mb", "tls-cert",
                              "tls-key", "log-level", "session-max-hours", "write-timeout"});
    const std::string level = opts.get("log-level").value_or("info");
    if (level != "info" && level != "error")
        throw Error("--log-level must be info or error, not \"" + level + "\"");
    const bool callsToo = level == "info";
    // Under systemd the journal takes a line's priority from a "<N>" in front of it.
    const bool journal = std::getenv("JOURNAL_STREAM") != nullptr;
    HttpServerOptions http;
    splitListen(opts.require("listen"), http);
    http.tlsCertFile = opts.get("tls-cert").value_or("");
    http.tlsKeyFile = opts.get("tls-key").value_or("");
    if (http.tlsCertFile.empty() != http.tlsKeyFile.empty())
        throw Error("--tls-cert and --tls-key go together");
    if (auto t = opts.get("threads")) http.threads = positiveNumber(*t, "threads");
    if (auto n = opts.get("max-connections"))
        http.maxConnections = static_cast<std::size_t>(positiveNumber(*n, "max-connections"));
    if (auto t = opts.get("read-timeout"))
        http.readTimeout = std::chrono::seconds(positiveNumber(*t, "read-timeout"));
    int64_t backoff = 1;
    if (auto b = opts.get("login-backoff")) backoff = positiveNumber(*b, "login-backoff");
    std::chrono::minutes idle{8 * 60};
    if (auto m = opts.get("session-idle-minutes"))
        idle = std::chrono::minutes(positiveNumber(*m, "session-idle-minutes"));
    std::chrono::hours lifetime{24};
    if (auto h = opts.get("session-max-hours"))
        lifetime = std::chrono::hours(positiveNumber(*h, "session-max-hours"));

    storage::QueryLimits limits;
    limits.statementTime = std::chrono::seconds(30);
    limits.rows = 100'000;
    limits.bytes = std::size_t{64} * 1024 * 1024;
    limits.writeTime = std::chrono::seconds(30);
    if (auto t = opts.get("statement-timeout"))
        limits.statementTime = std::chrono::seconds(positiveNumber(*t, "statement-timeout"));
    if (auto t = opts.get("write-timeout"))
        limits.writeTime = std::chrono::seconds(positiveNumber(*t, "write-timeout"));
    if (auto n = opts.get("max-reply-rows"))
        limits.rows = static_cast<std::size_t>(positiveNumber(*n, "max-reply-rows"));
    if (auto n = opts.get("max-reply-mb"))
        limits.bytes = static_cast<std::size_t>(positiveNumber(*n, "max-reply-mb")) * 1024 * 1024;

    auto db = storage::Database::open(opts.require("db"), storage::OpenMode::MustExist, limits);
    if (!hasTable(*db, "TSession") || !hasTable(*db, "TDictTable"))
        throw Error("the database holds no Corvo schema; create it with corvo-server init-demo");

    std::mutex logLock;
    auto log = [&](const std::string& line, bool failure) {
        if (!failure && !callsToo) return;
        std::lock_guard guard(logLock);
        std::cerr << (journal ? (failure ? "<3>" : "<6>") : "") << line << std::endl;
    };
    ServerContext context{*db, SessionStore(idle, lifetime),
                          Credentials(DefaultPasswordIterations, backoff),
                          [&](const std::string& line) {
                              // A call's line ends in its result: true, false or the error.
                              log(line, !line.ends_with(" true") && !line.ends_with(" false"));
                          }};
    context.secureCookies = !http.tlsCertFile.empty();
    ServiceHost host(context, applicationServerClasses());
    HttpServer server(http, [&](const HttpExchange& e) {
        if (!isHealthPath(e.target)) return host.handle(e);
        if (e.method != "GET" && e.method != "HEAD")
            return plainAnswer(405, "Method Not Allowed", "GET only\n");
        try {
            db->checkReachable();
            return plainAnswer(200, "OK", "ok\n");
        } catch (const std::exception& error) {
            log(std::string("health: the database cannot be reached: ") + error.what(), true);
            return plainAnswer(503, "Service Unavailable", "the database cannot be reached\n");
        }
    });
    {
        const std::vector<std::string> existing = db->tableNames();
        auto tx = db->begin(storage::TransactionMode::Write);
        createInternalTables(*tx, existing); // a database made by an earlier version may lack one
        createUniqueIndexes(*tx);
        // A database of an earlier version: the demo company made it first, if it is there.
        if (installationOwner(*tx).empty() &&
            !tx->query(
                   "SELECT 1 FROM \"TOrgan\" WHERE \"ObjID\" = ?",
                   std::vector<storage::Value>{storage::Value(std::string(schema::ids::DemoOrgan))})
                 .rows.empty())
            markInstallationOwner(*tx, std::string(schema::ids::DemoOrgan));
        context.sessions.removeExpired(*tx, unixNow());
        pruneOldRecords(*tx, unixNow());
        tx->commit();
    }
    const bool v6 = http.host.find(':') != std::string::npos;
    std::cout << "listening on " << (server.secure() ? "https" : "http") << "://"
              << (v6 ? "[" + http.host + "]" : http.host) << ":" << server.port()
              << "/scripts/Velmarwebsvr.dll" << std::endl;
    log("serving " + std::to_string(http.threads) + " threads", false);
    server.run(true);
    log("stopped", false);
    return 0;
}

namespace {

/// Another company beside the ones the database holds: same schema, its own rows.
int addCompany(const std::string& url, schema::DemoOptions demo)
{
    const std::string& code = demo.company;
    checkCompanyCode(code);
    auto db = storage::Database::open(url);
    if (!hasTable(*db, "TSession") || !hasTable(*db, "TDictTable"))
        throw Error("the database holds no Corvo schema; create it with corvo-server init-demo");
    auto tx = db->begin(storage::TransactionMode::Write);
    refuseTakenCode(*tx, code);
    const Credentials credentials;
    const auto users = schema::seedDemoCompany(*tx, demo);
    for (const auto& user : users)
        credentials.store(*tx, user.objId, encodedPassword(user.code, user.password));
    tx->commit();
    std::cout << "created the company " << code << " (organisations " << code << " and " << code
              << "-LS ...); users:";
    for (const auto& user : users)
        std::cout << " " << user.code << "/" << user.password;
    std::cout << std::endl;
    return 0;
}

} // namespace

int initDemoCommand(const std::vector<std::string>& args)
{
    const Options opts(args, {"db", "sales-lines", "company"}, {"force", "large"});
    schema::DemoOptions demo;
    demo.large = opts.flag("large");
    if (auto n = opts.get("sales-lines")) {
        demo.large = true;
        demo.largeSalesLines = positiveNumber(*n, "sales-lines");
    }
    const std::string url = opts.require("db");
    if (auto company = opts.get("company")) {
        if (opts.flag("force")) throw Error("--company adds to a database; it takes no --force");
        demo.company = *company;
        return addCompany(url, demo);
    }
    auto db = storage::Database::open(url, storage::OpenMode::CreateIfMissing);
    const std::vector<std::string> existing = db->tableNames();
    if (!existing.empty() && !opts.flag("force"))
        throw Error("the database already holds " + std::to_string(existing.size()) +
                    " tables; add --force to replace them");
    auto tx = db->begin(storage::TransactionMode::Write);
    const bool postgres = db->dialect() == storage::Dialect::Postgres;
    for (const std::string& table : existing) {
        std::string quoted = "\"";
        for (char c : table)
            quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        tx->executeScript("DROP TABLE IF EXISTS " + quoted + "\"" + (postgres ? " CASCADE" : ""));
    }
    schema::createSchema(*tx, db->dialect(), schema::demoDictionary());
    createInternalTables(*tx);
    createUniqueIndexes(*tx);
    markInstallationOwner(*tx, std::string(schema::ids::DemoOrgan));
    const Credentials credentials;
    const auto users = schema::seedDemoCompany(*tx, demo);
    for (const auto& user : users)
        credentials.store(*tx, user.objId, encodedPassword(user.code, user.password));
    tx->commit();
    std::cout << "created the demo company (organisation DEMO; see docs/demo-company.md); users:";
    for (const auto& user : users)
        std::cout << " " << user.code << "/" << user.password;
    std::cout << std::endl;
    return 0;
}

int initCommand(const std::vector<std::string>& args)
{
    const Options opts(args, {"db", "company", "admin-password", "name"});
    const std::string code = opts.require("company");
    checkCompanyCode(code);
    const std::string password = opts.require("admin-password");
    if (password.empty()) throw Error("--admin-password must not be empty");
    auto db = storage::Database::open(opts.require("db"), storage::OpenMode::CreateIfMissing);
    const bool empty = db->tableNames().empty();
    if (!empty && (!hasTable(*db, "TSession") || !hasTable(*db, "TDictTable")))
        throw Error("the database holds tables but no Corvo schema");
    auto tx = db->begin(storage::TransactionMode::Write);
    if (empty) {
        schema::createSchema(*tx, db->dialect(), schema::demoDictionary());
        createInternalTables(*tx);
    } else {
        refuseTakenCode(*tx, code);
    }
    const schema::SeededUser admin =
        schema::seedEmptyCompany(*tx, code, opts.get("name").value_or(""), empty);
    Credentials().store(*tx, admin.objId, encodedPassword(admin.code, password));
    if (empty) {
        createUniqueIndexes(*tx);
        // The first company of the database owns the installation.
        const storage::Rows owner =
            tx->query("SELECT \"TOwnerID\" FROM \"TUser\" WHERE \"ObjID\" = ?",
                      std::vector<storage::Value>{storage::Value(admin.objId)});
        if (!owner.rows.empty()) markInstallationOwner(*tx, owner.rows[0][0].toText());
    }
    tx->commit();
    std::cout << "created the company " << code << "; log in to organisation " << code
              << " as admin" << std::endl;
    return 0;
}

int backupCommand(const std::vector<std::string>& args)
{
    const Options opts(args, {"db", "out"});
    const std::string out = opts.require("out");
    storage::backup(opts.require("db"), out);
    std::cout << "backed up into " << out << std::endl;
    return 0;
}

int restoreCommand(const std::vector<std::string>& args)
{
    const Options opts(args, {"in", "db"});
    storage::restore(opts.require("in"), opts.require("db"));
    std::cout << "restored " << opts.require("in") << std::endl;
    return 0;
}

int userCommand(const std::vector<std::string>& args)
{
    const Options opts(args, {"db", "org", "code", "name", "password"});
    if (opts.words() != std::vector<std::string>{"add"})
        throw Error("usage: corvo-server user add --db URL --org CODE --code CODE --name NAME "
                    "--password TEXT");
    const std::string code = opts.require("code");
    const std::string password = opts.require("password");
    auto db = storage::Database::open(opts.require("db"));
    auto tx = db->begin(storage::TransactionMode::Write);
    const schema::Dictionary dict = schema::loadDictionary(*tx);

    TClientDataSet organ;
    schema::readTable(*tx, dict, "TOrgan", {"\"Code\" = ?", {storage::Value(opts.require("org"))}},
                      organ);
    if (organ.RecordCount() != 1) throw Error("no organisation with code " + opts.require("org"));
    organ.First();
    const std::string organId = gbk::toUtf8(organ.FieldByName("ObjID").AsString());
    std::string ownerId = gbk::toUtf8(organ.FieldByName("TOwnerID").AsString());
    if (ownerId.empty()) ownerId = organId;

    TClientDataSet existing;
    schema::readTable(
        *tx, dict, "TUser",
        {"\"Code\" = ? and \"TOrganID\" = ?", {storage::Value(code), storage::Value(organId)}},
        existing);
    if (!existing.IsEmpty()) throw Error("the organisation already has a user with code " + code);

    const std::string userId = Guid::create().toString();
    schema::insertRecord(*tx, schema::TableLayout::resolve(dict, "TUser"),
                         {{"ObjID", storage::Value(userId)},
                          {"Code", storage::Value(code)},
                          {"Name", storage::Value(opts.require("name"))},
                          {"TOrganID", storage::Value(organId)},
                          {"TOwnerID", storage::Value(ownerId)},
                          {"StatusID", storage::Value(std::string(schema::ids::StatusValid))}});
    Credentials().store(*tx, userId, encodedPassword(code, password));
    tx->commit();
    std::cout << "added user " << code << " " << userId << std::endl;
    return 0;
}

int encodePasswordCommand(const std::vector<std::string>& args)
{
    if (args.size() != 2) throw Error("usage: corvo-server encode-password USER PASSWORD");
    std::cout << encodedPassword(args[0], args[1]) << std::endl;
    return 0;
}

} // namespace corvo::server
