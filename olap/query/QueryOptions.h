#pragma once

#include <cstdint>

namespace olap {

class CancellationToken;

//! How one query may run: how much memory it may take and how it is stopped.
struct QueryOptions {
    //! The default memory budget: 1 GiB.
    static constexpr std::uint64_t kDefaultMemoryBudget = std::uint64_t(1) << 30;

    //! Bytes the query's sets, cells and remembered values may take (estimated before they
    //! are built). A query that needs more fails with an error naming the budget; raise it
    //! to run such a query.
    std::uint64_t memoryBudget = kDefaultMemoryBudget;
    //! Checked while the query runs; nullptr: the query cannot be cancelled.
    const CancellationToken* cancel = nullptr;
    //! A NON EMPTY crossjoin of stored members whose full product has at least this many
    //! tuples (and no fewer than the fact rows / 32) is built from the combinations the fact
    //! rows hold; a smaller product is built in full, which costs less than the extra scan.
    std::uint64_t sparseCrossjoinTuples = 65536;
};

} // namespace olap
