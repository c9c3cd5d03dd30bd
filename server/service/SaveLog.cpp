#include "SaveLog.h"

#include "Hex.h"
#include "RowStore.h"
#include "WriteRules.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/Guid.h"

#include <algorithm>
#include <openssl/sha.h>
#include <set>

namespace corvo::server {

void SaveDigest::add(WriteCall& call, const WrittenRows& rows, const WrittenRow& row)
{
    const std::vector<char> decided = serverDecidedColumns(call, rows);
    const int owner = rows.column("TOwnerID");
    m_text += rows.table;
    m_text += '\x1e';
    for (std::size_t i = 0; i < row.values.size(); ++i) {
        if (!row.sent[i] || decided[i]) continue;
        // The company as owner is the server's to set; a partner named as owner is content.
        if (static_cast<int>(i) == owner) {
            const std::string text = textOf(row.values[i]);
            if (text.empty() || gbk::equalsIgnoreCase(text, EmptyGuidText) ||
                gbk::equalsIgnoreCase(text, call.session.ownerId))
                continue;
        }
        m_text += rows.layout->columns()[i].code();
        m_text += '=';
        // The type tag keeps a Null apart from an empty or a "0" text.
        m_text += static_cast<char>('a' + static_cast<int>(row.values[i].type()));
        m_text += textOf(row.values[i]);
        m_text += '\x1f';
    }
}

void SaveDigest::addAll(WriteCall& call, const WrittenRows& rows)
{
    for (const WrittenRow& row : rows.rows)
        add(call, rows, row);
}

std::string SaveDigest::hex() const
{
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char*>(m_text.data()), m_text.size(), digest);
    return toHex(digest, sizeof digest);
}

std::optional<std::string> claimSave(WriteCall& call, const std::string& objId,
                                     const std::string& table, const std::string& digest)
{
    const std::string key = idKey(objId);
    // On PostgreSQL the insert waits while another transaction holds the same key
    // uncommitted, then either stores nothing (that one committed) or ours (it rolled back).
    if (call.tx.execute("INSERT INTO \"TSaveLog\" (\"OwnerID\", \"ObjID\", \"TableName\", "
                        "\"Digest\", \"Saved\") VALUES (?, ?, ?, ?, ?) ON CONFLICT DO NOTHING",
                        std::vector<storage::Value>{storage::Value(idKey(call.session.ownerId)),
                                                    storage::Value(key), storage::Value(table),
                                                    storage::Value(digest),
                                                    storage::Value(unixNow())}) == 1)
        return std::nullopt;
    const storage::Rows rows =
        call.tx.query("SELECT \"Digest\" FROM \"TSaveLog\" WHERE \"OwnerID\" = ? AND \"ObjID\" = ?",
                      std::vector<storage::Value>{storage::Value(idKey(call.session.ownerId)),
                                                  storage::Value(key)});
    if (rows.rows.empty()) throw Error("保存记录不能读取，请重试。");
    return textOf(rows.rows[0][0]);
}

void recordSave(WriteCall& call, const std::string& objId, const std::string& table,
                const std::string& digest)
{
    call.tx.execute("INSERT INTO \"TSaveLog\" (\"OwnerID\", \"ObjID\", \"TableName\", \"Digest\", "
                    "\"Saved\") VALUES (?, ?, ?, ?, ?)",
                    std::vector<storage::Value>{storage::Value(idKey(call.session.ownerId)),
                                                storage::Value(idKey(objId)), storage::Value(table),
                                                storage::Value(digest), storage::Value(unixNow())});
}

FreshRows claimFreshRows(WriteCall& call, WrittenRows& rows)
{
    std::vector<std::string> keys;
    std::vector<std::string> digests;
    std::vector<std::size_t> order;
    std::set<std::string> seen;
    for (std::size_t i = 0; i < rows.rows.size(); ++i) {
        SaveDigest digest;
        digest.add(call, rows, rows.rows[i]);
        digests.push_back(digest.hex());
        const std::string id = rows.text(rows.rows[i], "ObjID");
        keys.push_back(idKey(id));
        if (id.empty()) continue;
        if (!seen.insert(keys.back()).second)
            throw Error("表[" + rows.table + "]的新行ObjID重复：" + id);
        order.push_back(i);
    }
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    std::vector<char> fresh(rows.rows.size(), 1);
    std::vector<char> claimed(rows.rows.size(), 0);
    for (std::size_t i : order) {
        const auto before = claimSave(call, keys[i], rows.table, digests[i]);
        if (!before) {
            claimed[i] = 1;
            continue;
        }
        if (*before != digests[i]) refuseOtherContent();
        fresh[i] = 0;
    }
    FreshRows out{{rows.table, rows.layout, {}}, {}, {}};
    for (std::size_t i = 0; i < rows.rows.size(); ++i) {
        if (!fresh[i]) continue;
        out.rows.rows.push_back(std::move(rows.rows[i]));
        out.digests.push_back(digests[i]);
        out.claimed.push_back(claimed[i]);
    }
    return out;
}

void recordUnclaimed(WriteCall& call, const FreshRows& fresh)
{
    for (std::size_t i = 0; i < fresh.rows.rows.size(); ++i)
        if (!fresh.claimed[i])
            recordSave(call, fresh.rows.text(fresh.rows.rows[i], "ObjID"), fresh.rows.table,
                       fresh.digests[i]);
}

void refuseOtherContent()
{
    throw Error("这张单据已经保存过，内容与本次不同，不能再次保存。请新建单据后重新录入。");
}

} // namespace corvo::server
