#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace olap {

class AggregationResult;

//! Aggregation results of one cube keyed by their request, least recently
//! used dropped first once the results exceed the byte budget. Thread-safe.
//! The cube owns it so that its answers live and die with it; the engine
//! (olap/exec) computes the results and tells their size, the cache only
//! keeps them.
class ResultCache {
public:
    explicit ResultCache(std::size_t capacityBytes = std::size_t(256) << 20);

    //! The cached result for KEY, or nullptr.
    std::shared_ptr<const AggregationResult> Find(const std::string& key);
    //! Keeps RESULT, which holds about BYTES, under KEY.
    void Insert(const std::string& key, std::shared_ptr<const AggregationResult> result, std::size_t bytes);
    void Clear();
    std::size_t EntryCount() const;
    std::uint64_t Hits() const;
    std::uint64_t Misses() const;

private:
    struct Entry {
        std::shared_ptr<const AggregationResult> result;
        std::size_t bytes = 0;
        std::uint64_t lastUse = 0;
    };

    mutable std::mutex m_mutex;
    std::unordered_map<std::string, Entry> m_entries;
    std::size_t m_capacity;
    std::size_t m_bytes = 0;
    std::uint64_t m_tick = 0;
    std::uint64_t m_hits = 0;
    std::uint64_t m_misses = 0;
};

} // namespace olap
