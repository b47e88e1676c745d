#pragma once

#include <mutex>
#include <utility>

namespace olap {

//! A value that any thread may replace or copy, for process-wide settings such as the
//! provider tables connections consult.
template <typename T> class GuardedValue {
public:
    void Set(T value)
    {
        std::lock_guard lock(m_mutex);
        m_value = std::move(value);
    }
    T Get() const
    {
        std::lock_guard lock(m_mutex);
        return m_value;
    }

private:
    mutable std::mutex m_mutex;
    T m_value {};
};

} // namespace olap
