#include "StatusService.h"

#include "AccountPostings.h"
#include "DocumentStatus.h"
#include "QueryService.h"
#include "ReadRights.h"
#include "WriteCall.h"
#include "WriteRights.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/Guid.h"
#include "entity/TClientDataSet.h"
#include "entity/TParamData.h"
#include "remote/AppServers.h"
#include "server/schema/SystemIds.h"
#include "server/schema/TableLayout.h"
#include "server/schema/TableReader.h"
#include "server/schema/TableWriter.h"
#include "server/sql/Condition.h"
#include "server/sql/StatementBuilder.h"

#include <array>
#include <cmath>
#include <optional>

namespace corvo::server {
namespace {

using storage::Value;

// Whichever form verifies or invalidates a document, the move and its postings are the same:
// a module of either kind on the table allows the call.
constexpr std::array<std::string_view, 3> Verifiers = {"TFrmVerify", "TFrmVerifySize",
                                                       "TFrmVerifyMD"};
constexpr std::array<std::string_view, 3> Invalidators = {"TFrmInvalidate", "TFrmInvalidateSize",
                                                          "TFrmInvalidateMD"};

void requireRow(TParamData& packet, std::string_view name)
{
    if (!packet.ParamExists(name))
        throw Error("参数[" + std::string(name) + "]不存在,请确定该参数已经在参数对象中!");
}

/// Runs `work` as one write call: one write transaction, committed only when it returns.
template <class Work> bool inWriteCall(ServiceCall& call, Work&& work)
{
    if (!call.session) throw Error(LoginAgain);
    auto tx = call.server.db.begin(storage::TransactionMode::Write);
    const auto dictionary = call.server.dictionaries->get(*tx);
    WriteCall write{call, *call.session, *dictionary, *tx, DateTime::now()};
    work(write);
    tx->commit();
    return true;
}

/// The documents of the packet's TMaster rows: the table its first field names, their ObjIDs.
struct SentDocuments {
    std::string table;
    std::vector<std::string> ids;
};

SentDocuments sentDocuments(TParamData& packet)
{
    requireRow(packet, "TMaster");
    TClientDataSet rows;
    rows.SetData(packet.GetParamData("TMaster"));
    if (rows.FieldCount() == 0) throw Error("单据[TMaster]没有字段");
    SentDocuments sent;
    sent.table = gbk::toUtf8(rows.Fields(0).FieldName());
    const int objId = rows.FieldIndexOf("ObjID");
    if (objId < 0) throw Error("单据[TMaster]没有ObjID字段，无法确定要修改的单据");
    for (rows.First(); !rows.Eof(); rows.Next())
        if (!rows.Fields(objId).IsNull())
            sent.ids.push_back(gbk::toUtf8(rows.Fields(objId).AsString()));
    return sent;
}

const schema::DictTable& tableOf(const WriteCall& call, const std::string& table)
{
    const schema::DictTable* t = call.dictionary.findTable(table);
    if (!t) throw Error("表名[" + table + "]在表字典中不存在 ！");
    return *t;
}

bool verify(ServiceCall& call, TParamData& packet, std::span<const std::string_view> callers)
{
    const SentDocuments sent = sentDocuments(packet);
    return inWriteCall(call, [&](WriteCall& write) {
        const schema::DictTable& table = tableOf(write, sent.table);
        requireWritable(write.tx, write.dictionary, write.session.userId, table.code, callers);
        const std::string field = "Status" + table.code + "ID";
        if (write.dictionary.layout(table.code)->columnIndex(field) < 0)
            throw Error(table.name + "没有单据状态，不能审核");
        const std::vector<StatusStep> steps = statusSteps(write.tx, field);
        if (steps.size() < 2)
            throw Error("其他参数中[" + field + "]的状态不足两个，不能审核，请与系统管理员联系");
        // Verifying moves a new document to the status after the first, and no further.
        changeStatus(write, table.code, sent.ids, field, steps[1].objId);
    });
}

/// The partner and the period the statement's conditions name.
struct Period {
    std::string organ;
    std::optional<DateTime> from;
    std::optional<DateTime> to;
};

std::optional<DateTime> dayOfLiteral(const sql::Operand& operand)
{
    if (operand.isColumn) return std::nullopt;
    return DateTime::parse(std::string_view(operand.literal.text).substr(0, 10));
}

void collect(const sql::Condition& c, Period& period)
{
    using Kind = sql::Condition::Kind;
    if (c.kind == Kind::And) {
        for (const sql::Condition& term : c.terms)
            collect(term, period);
        return;
    }
    const bool organ = gbk::equalsIgnoreCase(c.column.name, "TOrganID");
    const bool date = gbk::equalsIgnoreCase(c.column.name, "HappenDate");
    if (c.kind == Kind::Between && !c.negated && date && c.operands.size() == 2) {
        period.from = dayOfLiteral(c.operands[0]);
        period.to = dayOfLiteral(c.operands[1]);
        return;
    }
    if (c.kind != Kind::Compare || c.operands.size() != 1) return;
    if (organ && c.op == "=" && !c.operands[0].isColumn) {
        const auto guid = Guid::parse(c.operands[0].literal.text);
        period.organ = guid ? guid->toString() : c.operands[0].literal.text;
        return;
    }
    if (!date) return;
    const auto day = dayOfLiteral(c.operands[0]);
    if (!day) return;
    if (c.op == "=" || c.op == ">=") period.from = *day;
    if (c.op == "=" || c.op == "<=") period.to = *day;
    if (c.op == ">") period.from = DateTime{day->days + 1};
    if (c.op == "<") period.to = DateTime{day->days - 1};
}

Period periodOf(std::span<const sql::Clause> clauses)
{
    Period period;
    for (const sql::Clause& clause : clauses)
        if (gbk::equalsIgnoreCase(clause.kind, "where"))
            collect(sql::parseCondition(clause.text), period);
    return period;
}

std::string organName(storage::Transaction& tx, const std::string& organ)
{
    const storage::Rows rows = tx.query("SELECT \"Name\" FROM \"TOrgan\" WHERE \"ObjID\" = ?",
                                        std::vector<Value>{Value(organ)});
    return rows.rows.empty() ? std::string() : stringOf(rows.rows[0][0]);
}

} // namespace

bool verifyDocuments(ServiceCall& call, TParamData& packet)
{
    return verify(call, packet, Verifiers);
}

bool verifySizeDocuments(ServiceCall& call, TParamData& packet)
{
    return verify(call, packet, Verifiers);
}

bool invalidateDocuments(ServiceCall& call, TParamData& packet)
{
    const SentDocuments sent = sentDocuments(packet);
    return inWriteCall(call, [&](WriteCall& write) {
        const schema::DictTable& table = tableOf(write, sent.table);
        requireWritable(write.tx, write.dictionary, write.session.userId, table.code, Invalidators);
        changeStatus(write, table.code, sent.ids, "StatusID",
                     std::string(schema::ids::StatusInvalid));
    });
}

bool invalidateProductsWithoutStock(ServiceCall& call, TParamData& packet)
{
    const std::string other = partnerNamedIn(call, packet);
    if (!other.empty()) throw Error("只能作废本机构的商品，请重新登录本机构后再自动作废");
    return inWriteCall(call, [&](WriteCall& write) {
        requireWritable(write.tx, write.dictionary, write.session.userId, "TProduct", Invalidators);
        write.tx.execute(
            "UPDATE \"TProduct\" SET \"StatusID\" = ? WHERE \"TOwnerID\" = ? AND \"StatusID\" = ? "
            "AND NOT EXISTS (SELECT 1 FROM \"TStock\" s WHERE s.\"TProductID\" = "
            "\"TProduct\".\"ObjID\" AND s.\"Quantity\" <> 0)",
            std::vector<Value>{Value(std::string(schema::ids::StatusInvalid)),
                               Value(write.session.ownerId),
                               Value(std::string(schema::ids::StatusValid))});
    });
}

bool accountStatement(ServiceCall& call, TParamData& packet)
{
    requireRow(packet, "TMaster");
    TClientDataSet clauseSet;
    clauseSet.SetData(packet.GetParamData("TMaster"));
    const std::vector<sql::Clause> clauses = sql::clausesOf(clauseSet);
    const std::string named = partnerNamedIn(call, packet);
    return inWriteCall(call, [&](WriteCall& write) {
        // The partner's side only for a partner-side module, and only of a partner the
        // company keeps: another company's organisation is never locked, read or rewritten.
        const std::string partner =
            partnerSideOf(write.service, write.tx, write.dictionary, packet, "TCheckAccount");
        if (!named.empty() && partner.empty())
            throw Error("只能生成本机构往来单位的对帐单，请重新选择对帐企业");
        const sql::Statement statement = sql::buildStatement(
            write.dictionary, clauses,
            {write.service.server.db.dialect(), write.session.ownerId, partner});
        if (!gbk::equalsIgnoreCase(statement.table, "TCheckAccount"))
            throw Error("对帐单只能由对帐单表[TCheckAccount]生成");
        requireReadable(write.tx, write.dictionary, write.session.userId, statement.tables);
        const Period period = periodOf(clauses);
        if (period.organ.empty()) throw Error("请先选择对帐企业");
        // A partner-side statement is the partner's account of the company.
        const std::string owner = partner.empty() ? write.session.ownerId : partner;
        const std::string organ = period.organ;
        if (partner.empty() && !isPartnerOfCompany(write.tx, organ, write.session.ownerId))
            throw Error("只能生成本机构往来单位的对帐单，请重新选择对帐企业");
        if (!partner.empty() && !gbk::equalsIgnoreCase(organ, write.session.ownerId))
            throw Error("供应商对帐单的对帐单位只能是本机构");

        // One statement of a partner at a time: the next waits and then replaces this one.
        write.tx.query(std::string("SELECT \"ObjID\" FROM \"TOrgan\" WHERE \"ObjID\" = ?") +
                           (write.service.server.db.dialect() == storage::Dialect::Postgres
                                ? " FOR UPDATE"
                                : ""),
                       std::vector<Value>{Value(owner)});
        std::vector<StatementLine> lines =
            statementOf(write.tx, owner, organ, period.from, period.to);
        if (lines[0].date.days == 0) lines[0].date = DateTime{std::floor(write.now.days)};

        const schema::DictTable& table = tableOf(write, "TCheckAccount");
        const auto layout = write.dictionary.layout(table.code);
        write.tx.execute(
            "DELETE FROM \"TCheckAccount\" WHERE \"TOwnerID\" = ? AND \"TOrganID\" = ?",
            std::vector<Value>{Value(owner), Value(organ)});
        const std::string organText = organName(write.tx, organ);
        const std::string ownerText = organName(write.tx, owner);
        storage::Rows reply;
        reply.columns = statement.columns;
        for (std::size_t n = 0; n < lines.size(); ++n) {
            const StatementLine& line = lines[n];
            const std::string id = Guid::create().toString();
            const schema::Record stored = {
                {"ObjID", id},
                {"DispOrder", static_cast<int64_t>(n)},
                {"HappenDate", line.date},
                {"TOrganID", organ},
                {"BillType", line.billType},
                {"Code", line.code},
                {"Summary", line.summary},
                {"DebitAmount", Decimal{line.debit, 2}},
                {"CreditAmount", Decimal{line.credit, 2}},
                {"Balance", Decimal{line.balance, 2}},
                {"TOwnerID", owner},
            };
            schema::insertRecord(write.tx, *layout, stored);
            std::vector<Value> row;
            for (const std::string& column : reply.columns) {
                Value v;
                if (gbk::equalsIgnoreCase(column, table.code)) v = Value(table.objId);
                if (gbk::equalsIgnoreCase(column, "TOrganName")) v = Value(organText);
                if (gbk::equalsIgnoreCase(column, "TOwnerName")) v = Value(ownerText);
                for (const schema::ColumnValue& c : stored)
                    if (gbk::equalsIgnoreCase(column, c.column)) v = c.value;
                row.push_back(std::move(v));
            }
            reply.rows.push_back(std::move(row));
        }
        packet.SetParamData("TMaster", schema::rowsToPacket(*layout, reply.columns, reply));
    });
}

void addStatusMethods(std::vector<ServiceClass>& classes)
{
    namespace app = remote::appserver;
    for (ServiceClass& c : classes) {
        if (c.classId == *Guid::parse(app::VerifyAccount)) {
            c.methods[app::verify::Verify] = {"Verify", &verifyDocuments};
            c.methods[app::verify::AccountStatement] = {"AccountStatement", &accountStatement};
        } else if (c.classId == *Guid::parse(app::SizeVerify)) {
            c.methods[app::sizeverify::Verify] = {"SizeVerify", &verifySizeDocuments};
        } else if (c.classId == *Guid::parse(app::Update)) {
            c.methods[app::update::Invalidate] = {"Invalidate", &invalidateDocuments};
            c.methods[app::update::InvalidateZeroStock] = {"InvalidateZeroStock",
                                                           &invalidateProductsWithoutStock};
        }
    }
}

} // namespace corvo::server
