#pragma once

#include <atomic>

namespace olap {

//! Lets one thread stop a query that another runs: the caller keeps the token, passes it in
//! QueryOptions, and calls Cancel() (from any thread) to make the running query throw
//! QueryCancelled at its next check. The evaluator checks at every expression and cell, so a
//! query stops within milliseconds; a token can be shared by several queries.
class CancellationToken {
public:
    void Cancel() noexcept { m_cancelled.store(true, std::memory_order_relaxed); }
    bool IsCancelled() const noexcept { return m_cancelled.load(std::memory_order_relaxed); }
    //! Makes the token usable for a new query.
    void Reset() noexcept { m_cancelled.store(false, std::memory_order_relaxed); }

private:
    std::atomic<bool> m_cancelled {false};
};

} // namespace olap
