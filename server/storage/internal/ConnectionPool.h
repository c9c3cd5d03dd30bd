#pragma once

#include "entity/Error.h"
#include "server/storage/Database.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace corvo::server::storage::internal {

struct PoolLimits {
    std::size_t size = 8;
    /// How long begin() waits for a free connection before it gives up.
    std::chrono::milliseconds wait{30'000};
};

/// At most `size` connections; a lease hands one out and gives it back (or drops it when it
/// was found broken) when it ends. The pool outlives its database while leases remain.
template <class Connection>
class ConnectionPool : public std::enable_shared_from_this<ConnectionPool<Connection>> {
public:
    using Factory = std::function<std::unique_ptr<Connection>()>;

    class Lease {
    public:
        Lease(Lease&&) noexcept = default;
        Lease& operator=(Lease&&) = delete;
        ~Lease()
        {
            if (m_pool) m_pool->giveBack(std::move(m_connection), m_broken);
        }

        Connection& operator*() const { return *m_connection; }
        Connection* operator->() const { return m_connection.get(); }

        /// The connection is not put back into the pool.
        void markBroken() noexcept { m_broken = true; }
        /// Replaces a connection found dead by a new one in the same slot.
        void renew()
        {
            m_connection.reset();
            m_broken = false;
            m_connection = m_pool->m_factory();
        }

    private:
        friend class ConnectionPool;
        Lease(std::shared_ptr<ConnectionPool> pool, std::unique_ptr<Connection> connection)
            : m_pool(std::move(pool)), m_connection(std::move(connection))
        {
        }

        std::shared_ptr<ConnectionPool> m_pool;
        std::unique_ptr<Connection> m_connection;
        bool m_broken = false;
    };

    ConnectionPool(Factory factory, PoolLimits limits)
        : m_factory(std::move(factory)), m_limits(limits)
    {
        if (m_limits.size == 0) m_limits.size = 1;
    }

    /// Waits for an idle connection or a free slot; throws corvo::Error when none comes in time
    /// or a new connection cannot be made.
    Lease acquire()
    {
        std::unique_lock lock(m_mutex);
        if (!m_available.wait_for(lock, m_limits.wait,
                                  [&] { return !m_idle.empty() || m_open < m_limits.size; }))
            throw StorageError("All " + std::to_string(m_limits.size) +
                               " database connections are busy; try again later");
        if (!m_idle.empty()) {
            // The most recently used connection first: it is the least likely to have gone stale.
            std::unique_ptr<Connection> connection = std::move(m_idle.back());
            m_idle.pop_back();
            return Lease(this->shared_from_this(), std::move(connection));
        }
        ++m_open;
        lock.unlock();
        try {
            return Lease(this->shared_from_this(), m_factory());
        } catch (...) {
            lock.lock();
            --m_open;
            m_available.notify_one();
            throw;
        }
    }

private:
    void giveBack(std::unique_ptr<Connection> connection, bool broken) noexcept
    {
        std::unique_ptr<Connection> dropped;
        {
            std::lock_guard lock(m_mutex);
            if (connection && !broken) {
                m_idle.push_back(std::move(connection));
            } else {
                dropped = std::move(connection);
                --m_open;
            }
        }
        m_available.notify_one();
    }

    Factory m_factory;
    PoolLimits m_limits;
    std::mutex m_mutex;
    std::condition_variable m_available;
    std::vector<std::unique_ptr<Connection>> m_idle;
    std::size_t m_open = 0;
};

} // namespace corvo::server::storage::internal
