#pragma once

#include "server/storage/Database.h"

#include <string>

namespace corvo::server::storage::internal {

/// What one transaction's queries fetched so far against its QueryLimits.
class QueryBudget {
public:
    explicit QueryBudget(QueryLimits limits) : m_limits(limits) {}

    const QueryLimits& limits() const noexcept { return m_limits; }

    /// Counts one fetched row; throws LimitExceeded once the rows or bytes pass their bound.
    void addRow(const std::vector<Value>& row)
    {
        std::size_t bytes = 0;
        for (const Value& v : row)
            bytes += v.type() == Value::Type::String  ? v.asString().size()
                     : v.type() == Value::Type::Bytes ? v.asBytes().size()
                                                      : 8;
        addRow(bytes);
    }
    void addRow(std::size_t bytes)
    {
        ++m_rows;
        m_bytes += bytes;
        if (m_limits.rows && m_rows > m_limits.rows)
            throw LimitExceeded("查询结果超过" + std::to_string(m_limits.rows) +
                                "行，请缩小查询范围后重试。");
        if (m_limits.bytes && m_bytes > m_limits.bytes)
            throw LimitExceeded("查询结果超过" + megabytes(m_limits.bytes) +
                                "MB，请缩小查询范围后重试。");
    }

    /// The message of a statement the backend stopped at the time bound.
    std::string timeMessage() const
    {
        const auto ms = m_limits.statementTime.count();
        const std::string time =
            ms % 1000 ? std::to_string(ms) + "毫秒" : std::to_string(ms / 1000) + "秒";
        return "查询超过" + time + "仍未完成，已被中止，请缩小查询范围后重试。";
    }

private:
    static std::string megabytes(std::size_t bytes)
    {
        const std::size_t mb = bytes / (1024 * 1024);
        return mb ? std::to_string(mb) : "1";
    }

    QueryLimits m_limits;
    std::size_t m_rows = 0;
    std::size_t m_bytes = 0;
};

/// The bounds a transaction's fetches count against: a write transaction's reads serve its own
/// work (the stored lines a verify books), which its call's row cap bounds, so only the
/// statement time applies to them.
inline QueryLimits budgetOf(TransactionMode mode, QueryLimits limits)
{
    if (mode == TransactionMode::Write) limits.rows = limits.bytes = 0;
    return limits;
}

} // namespace corvo::server::storage::internal
