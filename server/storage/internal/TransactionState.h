#pragma once

#include "entity/Error.h"
#include "server/storage/Database.h"

#include <utility>

namespace corvo::server::storage::internal {

/// The life of a transaction, the same on every backend: after commit nothing more runs, and
/// after a failed statement only the rollback remains (PostgreSQL works this way, so SQLite is
/// made to as well, and a service cannot depend on the lenient one).
class TransactionState {
public:
    template <class Step> decltype(auto) run(Step&& step)
    {
        checkUsable();
        try {
            return std::forward<Step>(step)();
        } catch (...) {
            m_failed = true;
            throw;
        }
    }

    template <class Step> void commit(Step&& step)
    {
        run(std::forward<Step>(step));
        m_committed = true;
    }

    bool committed() const noexcept { return m_committed; }

private:
    void checkUsable() const
    {
        if (m_committed) throw StorageError("The transaction is already committed");
        if (m_failed)
            throw StorageError(
                "The transaction failed at an earlier statement and can only be rolled "
                "back");
    }

    bool m_committed = false;
    bool m_failed = false;
};

} // namespace corvo::server::storage::internal
