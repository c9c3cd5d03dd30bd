#include "AutoCoding.h"

#include "Values.h"
#include "entity/Error.h"
#include "entity/Gbk.h"

#include <charconv>
#include <cstdio>

namespace corvo::server {

namespace {

struct Stem {
    std::string text;
    int digits = 4;     ///< width of the number after the stem; 0: none for the first code
    bool daily = false; ///< "-n" from the second code on
};

struct Prefix {
    std::string_view table;
    std::string_view prefix;
    bool monthly;
};

constexpr Prefix Prefixes[] = {
    {"TStockOut", "CK", true},      {"TStockIn", "RK", true},         {"TSaleOrder", "XD", true},
    {"TPurchaseOrder", "CD", true}, {"TPurchaseInvoice", "JF", true}, {"TSaleInvoice", "XF", true},
    {"TPaymentOrder", "FK", true},  {"TCollectionOrder", "SK", true}, {"TAccount", "WL", true},
    {"TMaterial", "WL", false},
};

std::string single(WriteCall& call, const std::string& sql, const std::string& id)
{
    if (id.empty()) return {};
    const storage::Rows rows = call.tx.query(sql, std::vector<storage::Value>{storage::Value(id)});
    return rows.rows.empty() ? std::string() : textOf(rows.rows[0][0]);
}

/// The store of a daily report: the organisation of its warehouse.
std::string storeCode(WriteCall& call, const std::string& warehouse)
{
    return single(call,
                  "SELECT o.\"Code\" FROM \"TWarehouse\" w JOIN \"TOrgan\" o ON o.\"ObjID\" = "
                  "w.\"TOrganID\" WHERE w.\"ObjID\" = ?",
                  warehouse);
}

Stem stemOf(WriteCall& call, const WrittenRows& rows, const WrittenRow& row)
{
    const storage::Value& happened = rows.value(row, "HappenDate");
    const DateTime date =
        happened.type() == Variant::Type::DateTime ? happened.asDateTime() : call.now;
    const std::string day = date.toDateString(); // yyyy-mm-dd
    const std::string month = day.substr(0, 4) + day.substr(5, 2);
    if (rows.table == "TStockOut") {
        const std::string kind =
            single(call, "SELECT \"Code\" FROM \"TOtherParam\" WHERE \"ObjID\" = ?",
                   rows.text(row, "TStockOutTypeID"));
        if (kind == "DAILY") {
            const std::string store = storeCode(call, rows.text(row, "TWarehouseID"));
            if (!store.empty()) return {"RB" + month + day.substr(8, 2) + "-" + store, 0, true};
        }
    }
    for (const Prefix& p : Prefixes)
        if (rows.table == p.table)
            return {std::string(p.prefix) + (p.monthly ? month + "-" : ""), 4, false};
    // A table of another dictionary: its name without the leading T.
    std::string name =
        rows.table.size() > 1 && rows.table[0] == 'T' ? rows.table.substr(1) : rows.table;
    return {gbk::upper(name.substr(0, 4)) + month + "-", 4, false};
}

std::string codeOf(const Stem& stem, int64_t n)
{
    if (stem.daily) return n <= 1 ? stem.text : stem.text + "-" + std::to_string(n);
    char number[24];
    std::snprintf(number, sizeof number, "%0*lld", stem.digits, static_cast<long long>(n));
    return stem.text + number;
}

/// The number of a stored code under the stem; 0 when it is none of the stem's.
int64_t numberOf(const Stem& stem, std::string_view code)
{
    if (code.substr(0, stem.text.size()) != stem.text) return 0;
    std::string_view rest = code.substr(stem.text.size());
    if (stem.daily) {
        if (rest.empty()) return 1;
        if (rest[0] != '-') return 0;
        rest.remove_prefix(1);
    }
    int64_t n = 0;
    auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), n);
    return ec == std::errc() && end == rest.data() + rest.size() ? n : 0;
}

int64_t nextNumber(WriteCall& call, const WrittenRows& rows, const Stem& stem)
{
    // Counters per company: one company's saves neither move nor show another's numbering.
    const std::string& table = rows.table;
    const std::string owner = gbk::upper(call.session.ownerId);
    const std::vector<storage::Value> key = {storage::Value(owner), storage::Value(table),
                                             storage::Value(stem.text)};
    for (int attempt = 0; attempt < 2; ++attempt) {
        // The update holds the counter's row until the call commits: a concurrent save of
        // the same stem waits here and then counts on from our number.
        if (call.tx.execute("UPDATE \"TCodeCounter\" SET \"LastNumber\" = \"LastNumber\" + 1 "
                            "WHERE \"OwnerID\" = ? AND \"TableName\" = ? AND \"CodeKey\" = ?",
                            key) == 1) {
            const storage::Rows found =
                call.tx.query("SELECT \"LastNumber\" FROM \"TCodeCounter\" WHERE "
                              "\"OwnerID\" = ? AND \"TableName\" = ? AND \"CodeKey\" = ?",
                              key);
            return integerOf(found.rows.at(0).at(0));
        }
        // A stem seen for the first time starts after the company's codes stored under it.
        const bool owned = rows.column("TOwnerID") >= 0;
        std::vector<storage::Value> params = {
            storage::Value(static_cast<int64_t>(stem.text.size())), storage::Value(stem.text)};
        if (owned) params.emplace_back(call.session.ownerId);
        const storage::Rows stored = call.tx.query(
            "SELECT \"Code\" FROM \"" + table + "\" WHERE substr(\"Code\", 1, ?) = ?" +
                (owned ? std::string(" AND \"TOwnerID\" = ?") : std::string()),
            params);
        int64_t highest = 0;
        for (const auto& row : stored.rows)
            highest = std::max(highest, numberOf(stem, textOf(row[0])));
        call.tx.execute(
            "INSERT INTO \"TCodeCounter\" (\"OwnerID\", \"TableName\", \"CodeKey\", "
            "\"LastNumber\") VALUES (?, ?, ?, ?) ON CONFLICT DO NOTHING",
            std::vector<storage::Value>{key[0], key[1], key[2], storage::Value(highest)});
    }
    throw Error("表[" + table + "]的单据编号计数器不能使用");
}

} // namespace

void assignCodes(WriteCall& call, WrittenRows& rows)
{
    if (rows.layout->table().isAutoCoding == 0 || rows.column("Code") < 0) return;
    for (WrittenRow& row : rows.rows) {
        const Stem stem = stemOf(call, rows, row);
        rows.set(row, "Code", codeOf(stem, nextNumber(call, rows, stem)));
    }
}

} // namespace corvo::server
