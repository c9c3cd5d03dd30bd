#include "AccountPostings.h"

#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/Guid.h"
#include "server/schema/SystemIds.h"
#include "server/schema/TableLayout.h"
#include "server/schema/TableWriter.h"

#include <array>

namespace corvo::server {
namespace {

using storage::Value;

constexpr std::array<BillKind, 4> Kinds = {{
    {"TSaleInvoice", +1, false, false},
    {"TPurchaseInvoice", +1, true, false},
    {"TCollectionOrder", -1, false, true},
    {"TPaymentOrder", -1, true, true},
}};

std::string quoted(std::string_view name)
{
    return "\"" + std::string(name) + "\"";
}

/// A UTF-8 text cut to what a column of `bytes` GBK bytes holds.
std::string fitting(const std::string& utf8, std::size_t bytes)
{
    const std::string gbk = gbk::fromUtf8(utf8);
    return gbk::toUtf8(gbk::cut(gbk, bytes));
}

struct Bill {
    std::string code;
    Value date;
    std::string owner; ///< of the entry
    std::string organ; ///< of the entry
    std::string company;
    int64_t total = 0; ///< cents, signed as the entry
    std::string caption;
};

Bill billOf(PostingScope& scope, const BillKind& kind, const std::string& objId)
{
    const schema::DictTable* table = scope.dictionary.findTable(kind.table);
    if (!table) throw Error("表名[" + std::string(kind.table) + "]在表字典中不存在 ！");
    const storage::Rows rows =
        scope.tx.query("SELECT \"Code\", \"HappenDate\", \"TOwnerID\", \"TOrganID\", "
                       "\"TotalAmount\" FROM " +
                           quoted(table->code) + " WHERE \"ObjID\" = ?",
                       std::vector<Value>{Value(objId)});
    if (rows.rows.empty()) throw Error("单据[" + objId + "]不存在");
    const auto& r = rows.rows[0];
    Bill b;
    b.code = stringOf(r[0]);
    b.date = r[1];
    const std::string company = stringOf(r[2]);
    const std::string partner = stringOf(r[3]);
    if (partner.empty()) throw Error("单据“" + b.code + "”没有往来单位，不能记往来帐");
    b.company = company;
    b.owner = kind.partnerOwns ? partner : company;
    b.organ = kind.partnerOwns ? company : partner;
    b.total = kind.sign * centsOf(r[4]);
    b.caption = table->name;
    return b;
}

/// The valid entries of the bill: same bill code, same kind (its table's caption as remark),
/// the document's company on either side (a changed partner leaves the entry found).
storage::Rows entriesOf(PostingScope& scope, const Bill& b)
{
    return scope.tx.query(
        std::string("SELECT \"ObjID\" FROM \"TAccount\" WHERE \"BillCode\" = ? AND \"Remark\" = ? "
                    "AND (\"TOwnerID\" = ? OR \"TOrganID\" = ?) AND \"StatusID\" = ? "
                    "ORDER BY \"ObjID\"") +
            forUpdate(scope),
        std::vector<Value>{Value(b.code), Value(b.caption), Value(b.company), Value(b.company),
                           Value(std::string(schema::ids::StatusValid))});
}

/// The first account item (goods) in the list's order.
std::string firstAccountItem(PostingScope& scope, const std::string& company)
{
    const storage::Rows rows = scope.tx.query(
        "SELECT \"ObjID\" FROM \"TOtherParam\" WHERE \"Type\" = 'TAccountItemID' AND "
        "(\"TOwnerID\" = ? OR \"TOwnerID\" IS NULL OR \"TOwnerID\" = '' OR \"TOwnerID\" = ?) "
        "ORDER BY \"DispOrder\", \"ObjID\"",
        std::vector<Value>{Value(company), Value(Guid{}.toString())});
    if (rows.rows.empty()) throw Error("其他参数中没有款项[TAccountItemID]，不能记往来帐");
    return stringOf(rows.rows[0][0]);
}

} // namespace

const BillKind* billKind(std::string_view table)
{
    for (const BillKind& k : Kinds)
        if (gbk::equalsIgnoreCase(k.table, table)) return &k;
    return nullptr;
}

void postAccount(PostingScope& scope, const BillKind& kind, const std::string& objId)
{
    const Bill b = billOf(scope, kind, objId);
    if (!entriesOf(scope, b).rows.empty()) return;
    const auto day = dayOf(b.date);
    const DateTime date = day ? *day : DateTime{scope.now.days};
    schema::Record record = {
        {"ObjID", Guid::create().toString()},
        {"Code", scope.nextCode("TAccount", date)},
        {"HappenDate", b.date.isNull() ? Value(date) : b.date},
        {"TOrganID", b.organ},
        {"TAccountItemID", firstAccountItem(scope, kind.partnerOwns ? b.organ : b.owner)},
        {"TotalAmount", Decimal{b.total, 2}},
        {"BillCode", b.code},
        {"Remark", b.caption},
        {"TUserID", scope.userId},
        {"CreateDate", scope.now},
        {"TOwnerID", b.owner},
        {"StatusID", std::string(schema::ids::StatusValid)},
    };
    schema::insertRecord(scope.tx, *scope.dictionary.layout("TAccount"), record);
}

void reverseAccount(PostingScope& scope, const BillKind& kind, const std::string& objId)
{
    const Bill b = billOf(scope, kind, objId);
    for (const auto& row : entriesOf(scope, b).rows)
        scope.tx.execute(
            "UPDATE \"TAccount\" SET \"StatusID\" = ? WHERE \"ObjID\" = ?",
            std::vector<Value>{Value(std::string(schema::ids::StatusInvalid)), row[0]});
}

void repostAccount(PostingScope& scope, const BillKind& kind, const std::string& objId)
{
    const Bill b = billOf(scope, kind, objId);
    const storage::Rows entries = entriesOf(scope, b);
    if (entries.rows.empty()) {
        postAccount(scope, kind, objId);
        return;
    }
    const auto day = dayOf(b.date);
    scope.tx.execute(
        "UPDATE \"TAccount\" SET \"HappenDate\" = ?, \"TOrganID\" = ?, \"TOwnerID\" = ?, "
        "\"TotalAmount\" = ? WHERE \"ObjID\" = ?",
        std::vector<Value>{b.date.isNull() ? Value(day ? *day : scope.now) : b.date, Value(b.organ),
                           Value(b.owner), Decimal{b.total, 2}, entries.rows[0][0]});
    for (std::size_t i = 1; i < entries.rows.size(); ++i)
        scope.tx.execute(
            "UPDATE \"TAccount\" SET \"StatusID\" = ? WHERE \"ObjID\" = ?",
            std::vector<Value>{Value(std::string(schema::ids::StatusInvalid)), entries.rows[i][0]});
}

std::vector<StatementLine> statementOf(storage::Transaction& tx, const std::string& owner,
                                       const std::string& organ, std::optional<DateTime> from,
                                       std::optional<DateTime> to)
{
    const storage::Rows rows =
        tx.query("SELECT \"HappenDate\", \"Code\", \"BillCode\", \"Remark\", \"TotalAmount\" FROM "
                 "\"TAccount\" WHERE \"TOwnerID\" = ? AND \"TOrganID\" = ? AND \"StatusID\" = ? "
                 "ORDER BY \"HappenDate\", \"Code\", \"ObjID\"",
                 std::vector<Value>{Value(owner), Value(organ),
                                    Value(std::string(schema::ids::StatusValid))});
    StatementLine opening;
    opening.billType = "期初";
    opening.summary = "期初余额";
    std::vector<StatementLine> entries;
    int64_t balance = 0;
    for (const auto& r : rows.rows) {
        const auto day = dayOf(r[0]);
        if (!day) continue;
        if (!from) from = *day;
        const int64_t amount = centsOf(r[4]);
        balance += amount;
        if (*day < *from) {
            opening.balance = balance;
            continue;
        }
        if (to && *day > *to) break;
        StatementLine line;
        line.date = *day;
        const std::string kind = stringOf(r[3]).empty() ? "往来帐" : stringOf(r[3]);
        line.billType = fitting(kind, 20);
        line.code = stringOf(r[2]).empty() ? stringOf(r[1]) : stringOf(r[2]);
        line.summary = fitting(line.billType + " " + line.code, 100);
        line.debit = amount > 0 ? amount : 0;
        line.credit = amount < 0 ? -amount : 0;
        line.balance = balance;
        entries.push_back(std::move(line));
    }
    opening.date = from ? *from : DateTime{0};
    std::vector<StatementLine> out = {opening};
    out.insert(out.end(), entries.begin(), entries.end());
    return out;
}

} // namespace corvo::server
