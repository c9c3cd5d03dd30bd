#pragma once

#include "server/storage/Database.h"

#include <algorithm>
#include <chrono>
#include <string>

namespace corvo::server::storage::internal {

/// What one transaction's queries fetched so far against its QueryLimits.
class QueryBudget {
public:
    /// A write time in `limits` starts counting now.
    explicit QueryBudget(QueryLimits limits)
        : m_limits(limits),
          m_deadline(limits.writeTime.count() > 0 ? Clock::now() + limits.writeTime
                                                  : Clock::time_point::max())
    {
    }

    const QueryLimits& limits() const noexcept { return m_limits; }

    /// How long the next statement may run: the statement time, or what is left of the write
    /// time when that is less (0: unbounded). Throws LimitExceeded once the write time is over.
    std::chrono::milliseconds statementLimit()
    {
        const auto statement = m_limits.statementTime;
        if (m_deadline == Clock::time_point::max()) {
            m_writeBound = false;
            return statement;
        }
        const auto left = remaining();
        if (left.count() <= 0) throw LimitExceeded(writeMessage());
        m_writeBound = statement.count() <= 0 || left < statement;
        return m_writeBound ? left : statement;
    }

    /// What is left of the write time (at least 0); the maximum when there is none.
    std::chrono::milliseconds remaining() const
    {
        if (m_deadline == Clock::time_point::max()) return std::chrono::milliseconds::max();
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - Clock::now());
        return std::max(left, std::chrono::milliseconds(0));
    }

    /// Throws LimitExceeded once the write time is over (before a commit).
    void requireTimeLeft() const
    {
        if (m_deadline != Clock::time_point::max() && Clock::now() >= m_deadline)
            throw LimitExceeded(writeMessage());
    }

    /// The message of a write transaction stopped at its write time.
    std::string writeMessage() const
    {
        return "操作超过" + duration(m_limits.writeTime) +
               "仍未完成，已被中止，所做的修改都没有保存，请分批处理后重试。";
    }

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

    /// The message of a statement the backend stopped at the time bound the last
    /// statementLimit gave: the statement time's or the write time's.
    std::string timeMessage() const
    {
        if (m_writeBound) return writeMessage();
        return "查询超过" + duration(m_limits.statementTime) +
               "仍未完成，已被中止，请缩小查询范围后重试。";
    }

private:
    using Clock = std::chrono::steady_clock;

    static std::string duration(std::chrono::milliseconds time)
    {
        const auto ms = time.count();
        return ms % 1000 ? std::to_string(ms) + "毫秒" : std::to_string(ms / 1000) + "秒";
    }

    static std::string megabytes(std::size_t bytes)
    {
        const std::size_t mb = bytes / (1024 * 1024);
        return mb ? std::to_string(mb) : "1";
    }

    QueryLimits m_limits;
    Clock::time_point m_deadline;
    bool m_writeBound = false;
    std::size_t m_rows = 0;
    std::size_t m_bytes = 0;
};

/// The bounds a transaction's fetches count against: a write transaction's reads serve its own
/// work (the stored lines a verify books), which its call's row cap bounds, so only the
/// statement time and its write time apply to them; a read has no write time.
inline QueryLimits budgetOf(TransactionMode mode, QueryLimits limits)
{
    if (mode == TransactionMode::Write)
        limits.rows = limits.bytes = 0;
    else
        limits.writeTime = std::chrono::milliseconds(0);
    return limits;
}

} // namespace corvo::server::storage::internal
