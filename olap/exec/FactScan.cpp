#include "olap/exec/FactScan.h"

#include "olap/exec/SlicerMasks.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <type_traits>
#include <variant>

namespace olap {

namespace {

constexpr std::size_t kChunk = FactScan::kChunkRows;

bool IsNullAt(const std::vector<std::uint64_t>& nulls, std::size_t row)
{
    return (nulls[row >> 6] >> (row & 63)) & 1u;
}

//! A key column's keys from the chunk's first row, with its map.
template <typename K> struct Keyed {
    const K* keys;
    const std::uint32_t* map;
};
template <typename K> Keyed(const K*, const std::uint32_t*) -> Keyed<K>;

//! The rows of a chunk in order: row I is the chunk's I-th.
struct EveryRow {
    std::size_t operator()(std::size_t i) const { return i; }
};
//! The rows a list of selected rows names: row J is the chunk's SEL[J]-th.
struct SelectedRows {
    const std::uint16_t* sel;
    std::size_t operator()(std::size_t j) const { return sel[j]; }
};

//! Maps N rows (ROW picks each one in the chunk) through up to three key columns in one pass:
//! the sum of their offsets, capped at CAP, plus the row's bank. Each offset is at most
//! kExcluded (2^30), so three of them cannot overflow, and a row excluded on any column ends at
//! CAP or above. With COUNT, returns the number of rows below CAP (kept), else 0.
template <bool Count, typename RowOf, typename... K>
std::size_t MapColumns(std::uint32_t* __restrict slots, std::size_t n, std::uint32_t cap, std::uint32_t bankMask,
    RowOf row, Keyed<K>... columns)
{
    std::size_t kept = 0;
    for (std::size_t i = 0; i < n; ++i) {
        [[maybe_unused]] const std::size_t r = row(i);
        const std::uint32_t slot = std::min((0u + ... + columns.map[columns.keys[r]]), cap);
        // Kept rows are below CAP (at most 2^30): the difference's sign bit, free of branches.
        if constexpr (Count)
            kept += (slot - cap) >> 31;
        slots[i] = slot + (static_cast<std::uint32_t>(i) & bankMask);
    }
    return kept;
}

//! Adds one more key column to slots that hold at most kExcluded.
template <typename K>
void AddColumn(const K* __restrict keys, const std::uint32_t* __restrict map, std::uint32_t* __restrict slots,
    std::size_t n, std::uint32_t cap, std::uint32_t bankMask)
{
    for (std::size_t i = 0; i < n; ++i)
        slots[i] = std::min(slots[i] + map[keys[i]], cap) + (static_cast<std::uint32_t>(i) & bankMask);
}

//! Lists in SEL the rows of the chunk that pass every filter column (each maps a key to 0 or
//! kExcluded) and returns how many do.
template <typename... K> std::size_t SelectRows(std::uint16_t* __restrict sel, std::size_t n, Keyed<K>... filters)
{
    std::size_t kept = 0;
    for (std::size_t i = 0; i < n; ++i) {
        sel[kept] = static_cast<std::uint16_t>(i);
        kept += static_cast<std::size_t>((0u + ... + filters.map[filters.keys[i]]) == 0);
    }
    return kept;
}

//! At most this many key columns are mapped in one loop.
constexpr std::size_t kFused = 3;
//! Chunks taken the plain way after filters that kept most of a chunk.
constexpr std::size_t kFiltersRest = 16;

//! Calls F with the keys from row START and the maps of the columns of ALL numbered in WHICH
//! (at most kFused), one instance of F per combination of key widths.
template <typename F>
std::size_t WithKeyed(
    const std::vector<FactScan::Column>& all, const std::vector<std::size_t>& which, std::size_t start, F&& f)
{
    auto keyed = [&](std::size_t c, const auto& keys) { return Keyed {keys.data() + start, all[which[c]].map.data()}; };
    switch (which.size()) {
    case 0:
        return f();
    case 1:
        return std::visit([&](const auto& a) { return f(keyed(0, a)); }, *all[which[0]].column);
    case 2:
        return std::visit([&](const auto& a, const auto& b) { return f(keyed(0, a), keyed(1, b)); },
            *all[which[0]].column, *all[which[1]].column);
    default:
        return std::visit(
            [&](const auto& a, const auto& b, const auto& c) { return f(keyed(0, a), keyed(1, b), keyed(2, c)); },
            *all[which[0]].column, *all[which[1]].column, *all[which[2]].column);
    }
}

//! At most this many exact sums are packed beside the row counts.
constexpr std::size_t kMaxPacked = 3;

//! Counts each of the N rows (ROW picks each one in the chunk, VALUES start at the chunk) in
//! its slot's group of PACKED and adds the row's value of each packed measure beside the count.
template <typename RowOf, typename... V>
void AddPacked(
    const std::uint32_t* __restrict g, std::size_t n, std::int64_t* __restrict packed, RowOf row, const V*... values)
{
    constexpr std::size_t kWidth = std::bit_ceil(sizeof...(V) + 1);
    for (std::size_t i = 0; i < n; ++i) {
        std::int64_t* slot = packed + static_cast<std::size_t>(g[i]) * kWidth;
        ++slot[0];
        [[maybe_unused]] const std::size_t r = row(i);
        std::size_t k = 1;
        ((slot[k++] += values[r]), ...);
    }
}

//! Calls F with the values of an integer-encoded COLUMN.
template <typename F> void WithIntegers(const ValueColumn& column, F&& f)
{
    std::visit(
        [&](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (!std::is_same_v<T, std::monostate> && !std::is_same_v<T, ColumnVector<double>>)
                f(v.data());
        },
        column);
}

//! Keeps per slot the value PICK prefers (the smaller or the larger), counting non-NULL rows
//! where the column has NULLs.
template <typename T, typename Pick>
void Extreme(const FactScan::MeasurePlan& plan, const T* v, const std::uint32_t* g, std::size_t n, std::size_t base,
    double* a, std::vector<std::uint64_t>& cnt, Pick pick)
{
    for (std::size_t i = 0; i < n; ++i) {
        if (plan.nullable && IsNullAt(plan.column->nulls, base + i))
            continue;
        a[g[i]] = pick(a[g[i]], static_cast<double>(v[i]));
        if (plan.nullable)
            ++cnt[g[i]];
    }
}

template <typename T>
void ScanValues(const FactScan::MeasurePlan& plan, const T* v, const std::uint32_t* g, std::size_t n, std::size_t base,
    FactScan::Accumulators& accumulators, std::size_t m)
{
    const auto& nulls = plan.column->nulls;
    double* a = accumulators.values[m].data();
    auto& cnt = accumulators.counts[m];
    auto& bits = accumulators.bits[m];
    switch (plan.agg) {
    case Aggregator::Sum:
    case Aggregator::Avg:
        if constexpr (!std::is_same_v<T, double>) {
            std::int64_t* s = accumulators.ints[m].data();
            if (!plan.nullable) {
                for (std::size_t i = 0; i < n; ++i)
                    s[g[i]] += v[i];
            } else {
                for (std::size_t i = 0; i < n; ++i) {
                    if (!IsNullAt(nulls, base + i)) {
                        s[g[i]] += v[i];
                        ++cnt[g[i]];
                    }
                }
            }
            break;
        }
        if (!plan.nullable) {
            for (std::size_t i = 0; i < n; ++i)
                a[g[i]] += static_cast<double>(v[i]);
        } else {
            for (std::size_t i = 0; i < n; ++i) {
                if (!IsNullAt(nulls, base + i)) {
                    a[g[i]] += static_cast<double>(v[i]);
                    ++cnt[g[i]];
                }
            }
        }
        break;
    case Aggregator::Min:
        Extreme(plan, v, g, n, base, a, cnt, [](double x, double y) { return std::min(x, y); });
        break;
    case Aggregator::Max:
        Extreme(plan, v, g, n, base, a, cnt, [](double x, double y) { return std::max(x, y); });
        break;
    case Aggregator::DistinctCount:
        if constexpr (!std::is_same_v<T, double>) {
            std::uint64_t* b = bits.data();
            for (std::size_t i = 0; i < n; ++i) {
                if (plan.nullable && IsNullAt(nulls, base + i))
                    continue;
                const std::uint64_t bit
                    = static_cast<std::uint64_t>(g[i]) * plan.words * 64 + static_cast<std::uint32_t>(v[i]);
                b[bit >> 6] |= std::uint64_t(1) << (bit & 63);
            }
        }
        break;
    case Aggregator::Count:
        break;
    }
}

} // namespace

FactScan::FactScan(std::vector<Column> columns, const SlicerMasks& slicer, std::vector<MeasurePlan> measures,
    std::uint64_t cells, std::uint32_t banks)
    : m_columns(std::move(columns)), m_slicer(slicer), m_measures(std::move(measures)), m_banks(banks),
      m_trashSlot(static_cast<std::uint32_t>(cells) * banks)
{
    m_mayExclude = slicer.HasTuples();
    // Offsets count slots from here on: a cell's first slot is its offset times the banks.
    for (Column& column : m_columns) {
        for (std::uint32_t& offset : column.map) {
            if (offset == kExcluded)
                m_mayExclude = true;
            else
                offset *= banks;
        }
    }
    // Rows with a NULL value are read by their row number, so only chunks without them can
    // be compacted.
    m_compactable = std::none_of(m_measures.begin(), m_measures.end(), [](const MeasurePlan& p) { return p.nullable; });
    std::vector<std::size_t> groups;
    for (std::size_t c = 0; c < m_columns.size(); ++c) {
        if (c < kFused)
            m_fused.push_back(c);
        const auto& map = m_columns[c].map;
        const bool filter
            = std::all_of(map.begin(), map.end(), [](std::uint32_t o) { return o == 0 || o == kExcluded; });
        (filter ? m_filters : groups).push_back(c);
    }
    // Filters go first when a chunk can be compacted and each side fits one loop.
    if (m_compactable && !slicer.HasTuples() && !m_filters.empty() && m_filters.size() <= kFused
        && groups.size() <= kFused)
        m_groups = std::move(groups);
    else
        m_filters.clear();
    for (std::size_t m = 0; m < m_measures.size() && m_packed.size() < kMaxPacked; ++m) {
        const MeasurePlan& plan = m_measures[m];
        if (plan.integerSum && plan.needValues && !plan.nullable)
            m_packed.push_back(m);
    }
}

std::size_t FactScan::PackWidth() const
{
    return std::bit_ceil(m_packed.size() + 1);
}

std::size_t FactScan::MapSlots(std::size_t start, std::size_t n, std::uint32_t* slots, bool count) const
{
    const std::uint32_t bankMask = m_banks - 1;
    const bool more = m_columns.size() > kFused;
    // The fused pass leaves the bank and the trash cap to the last column when more follow.
    const std::uint32_t cap = more ? kExcluded : m_trashSlot;
    const std::uint32_t mask = more ? 0u : bankMask;
    // The fused pass counts the kept rows when no later step can still exclude one.
    const bool countFused = count && !more && !m_slicer.HasTuples();
    std::size_t kept = WithKeyed(m_columns, m_fused, start, [&](auto... columns) {
        return countFused ? MapColumns<true>(slots, n, cap, mask, EveryRow {}, columns...)
                          : MapColumns<false>(slots, n, cap, mask, EveryRow {}, columns...);
    });
    for (std::size_t c = kFused; c < m_columns.size(); ++c) {
        const bool last = c + 1 == m_columns.size();
        std::visit(
            [&](const auto& keys) {
                AddColumn(keys.data() + start, m_columns[c].map.data(), slots, n, last ? m_trashSlot : kExcluded,
                    last ? bankMask : 0u);
            },
            *m_columns[c].column);
    }
    if (m_slicer.HasTuples()) {
        std::uint8_t pass[kChunk];
        m_slicer.TuplePass(start, n, pass);
        for (std::size_t i = 0; i < n; ++i)
            slots[i] = pass[i] ? slots[i] : m_trashSlot + (static_cast<std::uint32_t>(i) & bankMask);
    }
    if (count && !countFused) {
        kept = 0;
        for (std::size_t i = 0; i < n; ++i)
            kept += slots[i] < m_trashSlot ? 1 : 0;
    }
    return count ? kept : n;
}

void FactScan::AddPackedChunk(
    std::size_t start, const std::uint32_t* g, std::size_t n, const std::uint16_t* sel, Accumulators& acc) const
{
    if (sel)
        AddPackedRows(start, g, n, SelectedRows {sel}, acc);
    else
        AddPackedRows(start, g, n, EveryRow {}, acc);
}

template <typename RowOf>
void FactScan::AddPackedRows(
    std::size_t start, const std::uint32_t* g, std::size_t n, RowOf row, Accumulators& acc) const
{
    std::int64_t* packed = acc.packed.data();
    auto column = [&](std::size_t k) -> const ValueColumn& { return m_measures[m_packed[k]].column->values; };
    switch (m_packed.size()) {
    case 0:
        AddPacked(g, n, packed, row);
        break;
    case 1:
        WithIntegers(column(0), [&](const auto* a) { AddPacked(g, n, packed, row, a + start); });
        break;
    case 2:
        WithIntegers(column(0), [&](const auto* a) {
            WithIntegers(column(1), [&](const auto* b) { AddPacked(g, n, packed, row, a + start, b + start); });
        });
        break;
    default:
        WithIntegers(column(0), [&](const auto* a) {
            WithIntegers(column(1), [&](const auto* b) {
                WithIntegers(
                    column(2), [&](const auto* c) { AddPacked(g, n, packed, row, a + start, b + start, c + start); });
            });
        });
        break;
    }
}

void FactScan::Run(std::size_t begin, std::size_t end, Accumulators& acc) const
{
    std::uint32_t mapped[kChunk];
    std::uint32_t compacted[kChunk];
    std::uint16_t sel[kChunk];
    const bool compact = m_compactable && m_mayExclude;
    const std::uint32_t bankMask = m_banks - 1;
    // Chunks left before the filters are tried first again, after a chunk they mostly kept.
    std::size_t filtersResting = 0;
    for (std::size_t start = begin; start < end; start += kChunk) {
        const std::size_t n = std::min(kChunk, end - start);
        const std::uint32_t* g = mapped;
        std::size_t kept = n;
        bool selected = false;
        // When the slicer's filter columns leave out half of the chunk or more, only the rows
        // they keep (SEL) are mapped through the grouping columns and touch the accumulators.
        std::size_t k = 0;
        if (!m_filters.empty() && filtersResting == 0) {
            k = WithKeyed(m_columns, m_filters, start, [&](auto... filters) { return SelectRows(sel, n, filters...); });
            if (k * 2 <= n) {
                WithKeyed(m_columns, m_groups, start, [&](auto... columns) {
                    return MapColumns<false>(compacted, k, m_trashSlot, bankMask, SelectedRows {sel}, columns...);
                });
                g = compacted;
                kept = k;
                selected = true;
            } else {
                filtersResting = kFiltersRest;
            }
        } else if (filtersResting > 0) {
            --filtersResting;
        }
        if (!selected)
            k = MapSlots(start, n, mapped, compact);
        // When the slicer leaves out half of the chunk or more, the rows it keeps (SEL) are
        // gathered first and only they touch the accumulators.
        if (!selected && compact && k * 2 <= n) {
            std::size_t j = 0;
            for (std::size_t i = 0; i < n; ++i) {
                sel[j] = static_cast<std::uint16_t>(i);
                compacted[j] = mapped[i];
                j += mapped[i] < m_trashSlot ? 1 : 0;
            }
            g = compacted;
            kept = k;
            selected = true;
        }
        AddPackedChunk(start, g, kept, selected ? sel : nullptr, acc);
        for (std::size_t m = 0; m < m_measures.size(); ++m) {
            const MeasurePlan& plan = m_measures[m];
            if (std::find(m_packed.begin(), m_packed.end(), m) != m_packed.end())
                continue;
            if (!plan.needValues) {
                if (plan.needCount) {
                    const auto& nulls = plan.column->nulls;
                    auto& cnt = acc.counts[m];
                    for (std::size_t i = 0; i < n; ++i)
                        cnt[g[i]] += IsNullAt(nulls, start + i) ? 0u : 1u;
                }
                continue;
            }
            std::visit(
                [&](const auto& v) {
                    using T = std::decay_t<decltype(v)>;
                    if constexpr (!std::is_same_v<T, std::monostate>) {
                        if (!selected) {
                            ScanValues(plan, v.data() + start, g, n, start, acc, m);
                        } else {
                            typename T::value_type gathered[kChunk];
                            for (std::size_t j = 0; j < kept; ++j)
                                gathered[j] = v[start + sel[j]];
                            ScanValues(plan, gathered, g, kept, start, acc, m);
                        }
                    }
                },
                plan.column->values);
        }
    }
}

FactScan::Accumulators FactScan::MakeAccumulators() const
{
    Accumulators acc;
    const std::size_t slots = static_cast<std::size_t>(m_trashSlot) + m_banks;
    acc.packed.assign(slots * PackWidth(), 0);
    acc.values.resize(m_measures.size());
    acc.ints.resize(m_measures.size());
    acc.counts.resize(m_measures.size());
    acc.bits.resize(m_measures.size());
    for (std::size_t m = 0; m < m_measures.size(); ++m) {
        const MeasurePlan& plan = m_measures[m];
        if (plan.agg == Aggregator::DistinctCount) {
            acc.bits[m].assign(slots * plan.words, 0);
            continue;
        }
        if (plan.integerSum) {
            if (std::find(m_packed.begin(), m_packed.end(), m) == m_packed.end())
                acc.ints[m].assign(slots, 0);
        } else if (plan.needValues) {
            double init = 0.0;
            if (plan.agg == Aggregator::Min)
                init = std::numeric_limits<double>::infinity();
            else if (plan.agg == Aggregator::Max)
                init = -std::numeric_limits<double>::infinity();
            acc.values[m].assign(slots, init);
        }
        if (plan.needCount)
            acc.counts[m].assign(slots, 0);
    }
    return acc;
}

void FactScan::Merge(Accumulators& into, const Accumulators& from) const
{
    for (std::size_t i = 0; i < into.packed.size(); ++i)
        into.packed[i] += from.packed[i];
    for (std::size_t m = 0; m < m_measures.size(); ++m) {
        auto& a = into.values[m];
        const auto& b = from.values[m];
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (m_measures[m].agg == Aggregator::Min)
                a[i] = std::min(a[i], b[i]);
            else if (m_measures[m].agg == Aggregator::Max)
                a[i] = std::max(a[i], b[i]);
            else
                a[i] += b[i];
        }
        for (std::size_t i = 0; i < into.ints[m].size(); ++i)
            into.ints[m][i] += from.ints[m][i];
        for (std::size_t i = 0; i < into.counts[m].size(); ++i)
            into.counts[m][i] += from.counts[m][i];
        for (std::size_t i = 0; i < into.bits[m].size(); ++i)
            into.bits[m][i] |= from.bits[m][i];
    }
}

void FactScan::Finish(Accumulators& acc) const
{
    const std::uint32_t banks = m_banks;
    auto fold = [&](auto& v, std::size_t width, auto combine) {
        if (v.empty() || banks == 1)
            return;
        const std::size_t cells = v.size() / width / banks;
        for (std::size_t c = 0; c < cells; ++c) {
            for (std::size_t k = 0; k < width; ++k) {
                auto value = v[(c * banks) * width + k];
                for (std::size_t b = 1; b < banks; ++b)
                    value = combine(value, v[(c * banks + b) * width + k]);
                v[c * width + k] = value;
            }
        }
        v.resize(cells * width);
    };
    auto add = [](auto a, auto b) { return a + b; };
    const std::size_t width = PackWidth();
    fold(acc.packed, width, add);
    for (std::size_t m = 0; m < m_measures.size(); ++m) {
        if (m_measures[m].agg == Aggregator::Min)
            fold(acc.values[m], 1, [](double a, double b) { return std::min(a, b); });
        else if (m_measures[m].agg == Aggregator::Max)
            fold(acc.values[m], 1, [](double a, double b) { return std::max(a, b); });
        else
            fold(acc.values[m], 1, add);
        fold(acc.ints[m], 1, add);
        fold(acc.counts[m], 1, add);
        fold(acc.bits[m], m_measures[m].words, [](std::uint64_t a, std::uint64_t b) { return a | b; });
    }
    const std::size_t slots = acc.packed.size() / width;
    acc.rows.resize(slots);
    for (std::size_t c = 0; c < slots; ++c)
        acc.rows[c] = static_cast<std::uint64_t>(acc.packed[c * width]);
    for (std::size_t k = 0; k < m_packed.size(); ++k) {
        auto& sums = acc.ints[m_packed[k]];
        sums.resize(slots);
        for (std::size_t c = 0; c < slots; ++c)
            sums[c] = acc.packed[c * width + 1 + k];
    }
    std::vector<std::int64_t>().swap(acc.packed);
}

} // namespace olap
