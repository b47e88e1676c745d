#include "olap/model/ResultCache.h"

namespace olap {

ResultCache::ResultCache(std::size_t capacityBytes) : m_capacity(capacityBytes)
{
}

std::shared_ptr<const AggregationResult> ResultCache::Find(const std::string& key)
{
    std::lock_guard lock(m_mutex);
    auto it = m_entries.find(key);
    if (it == m_entries.end()) {
        ++m_misses;
        return nullptr;
    }
    ++m_hits;
    it->second.lastUse = ++m_tick;
    return it->second.result;
}

void ResultCache::Insert(
    const std::string& key, std::shared_ptr<const AggregationResult> result, std::size_t resultBytes)
{
    const std::size_t bytes = resultBytes + key.size();
    std::lock_guard lock(m_mutex);
    if (bytes > m_capacity)
        return;
    auto [it, inserted] = m_entries.try_emplace(key);
    if (!inserted)
        m_bytes -= it->second.bytes;
    it->second = Entry {std::move(result), bytes, ++m_tick};
    m_bytes += bytes;
    while (m_bytes > m_capacity) {
        auto oldest = m_entries.end();
        for (auto e = m_entries.begin(); e != m_entries.end(); ++e) {
            if (oldest == m_entries.end() || e->second.lastUse < oldest->second.lastUse)
                oldest = e;
        }
        m_bytes -= oldest->second.bytes;
        m_entries.erase(oldest);
    }
}

void ResultCache::Clear()
{
    std::lock_guard lock(m_mutex);
    m_entries.clear();
    m_bytes = 0;
}

std::size_t ResultCache::EntryCount() const
{
    std::lock_guard lock(m_mutex);
    return m_entries.size();
}

std::uint64_t ResultCache::Hits() const
{
    std::lock_guard lock(m_mutex);
    return m_hits;
}

std::uint64_t ResultCache::Misses() const
{
    std::lock_guard lock(m_mutex);
    return m_misses;
}

} // namespace olap
