#include "SaveLog.h"

#include "Hex.h"
#include "RowStore.h"
#include "WriteRules.h"
#include "entity/Error.h"

#include <openssl/sha.h>

namespace corvo::server {

void SaveDigest::add(const WrittenRows& rows, const WrittenRow& row)
{
    m_text += rows.table;
    m_text += '\x1e';
    for (std::size_t i = 0; i < row.values.size(); ++i) {
        if (!row.sent[i]) continue;
        m_text += rows.layout->columns()[i].code();
        m_text += '=';
        // The type tag keeps a Null apart from an empty or a "0" text.
        m_text += static_cast<char>('a' + static_cast<int>(row.values[i].type()));
        m_text += textOf(row.values[i]);
        m_text += '\x1f';
    }
}

void SaveDigest::addAll(const WrittenRows& rows)
{
    for (const WrittenRow& row : rows.rows)
        add(rows, row);
}

std::string SaveDigest::hex() const
{
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char*>(m_text.data()), m_text.size(), digest);
    return toHex(digest, sizeof digest);
}

std::map<std::string, std::string> savedDigests(storage::Transaction& tx,
                                                std::span<const std::string> objIds)
{
    std::map<std::string, std::string> out;
    const storage::Rows rows =
        queryWhereIn(tx, "SELECT \"ObjID\", \"Digest\" FROM \"TSaveLog\" WHERE \"ObjID\"", objIds);
    for (const auto& row : rows.rows)
        out.emplace(idKey(textOf(row[0])), textOf(row[1]));
    return out;
}

void recordSave(storage::Transaction& tx, const std::string& objId, const std::string& table,
                const std::string& digest, int64_t now)
{
    tx.execute("INSERT INTO \"TSaveLog\" (\"ObjID\", \"TableName\", \"Digest\", \"Saved\") "
               "VALUES (?, ?, ?, ?)",
               std::vector<storage::Value>{storage::Value(idKey(objId)), storage::Value(table),
                                           storage::Value(digest), storage::Value(now)});
}

void refuseOtherContent()
{
    throw Error("这张单据已经保存过，内容与本次不同，不能再次保存。请新建单据后重新录入。");
}

} // namespace corvo::server
