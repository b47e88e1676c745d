#include "olap/exec/AggregationEngine.h"

#include "olap/exec/AggregationResult.h"
#include "olap/exec/AggregationTooLarge.h"
#include "olap/exec/FactScan.h"
#include "olap/exec/SlicerMasks.h"
#include "olap/model/Cube.h"
#include "olap/model/Dimension.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Level.h"
#include "olap/model/Measure.h"
#include "olap/model/Member.h"
#include "olap/model/ResultCache.h"
#include "olap/util/OlapError.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <limits>
#include <thread>

namespace olap {

namespace {

constexpr std::uint32_t kExcluded = FactScan::kExcluded;
constexpr std::size_t kChunk = FactScan::kChunkRows;
constexpr std::uint64_t kMaxCells = std::uint64_t(1) << 24;
//! Above this many cells a second thread's accumulators cost more than it saves.
constexpr std::uint64_t kMaxParallelCells = std::uint64_t(1) << 20;
constexpr std::uint64_t kMaxDistinctWords = std::uint64_t(1) << 25;
//! Distinct-count bitmaps up to this many words may be copied for banks and threads.
constexpr std::uint64_t kSmallDistinctWords = std::uint64_t(1) << 20;
//! Grids smaller than this get four accumulator banks.
constexpr std::uint64_t kBankedCells = 4096;
constexpr std::uint64_t kParallelRows = std::uint64_t(1) << 18;
//! Rows a scanning thread takes at a time (a multiple of kChunk).
constexpr std::size_t kMorselRows = 32 * kChunk;
constexpr double kPow10[] = {1, 10, 100, 1000, 10000, 100000, 1e6, 1e7, 1e8, 1e9};
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

using ColumnMap = FactScan::Column;
using MeasurePlan = FactScan::MeasurePlan;
using Accumulators = FactScan::Accumulators;

using Range = std::pair<std::uint32_t, std::uint32_t>;

struct GroupingPlan {
    std::size_t finestCount = 0;
    //! Per position (requested member, then union): the disjoint ranges of finest positions
    //! it covers, in order.
    std::vector<std::vector<Range>> ranges;
    bool identity = true;
};

//! Rolls one axis of a row-major grid from FIN positions to RANGES.size()
//! positions; WIDTH elements per cell, COMBINE folds an element into another.
template <typename T, typename Combine>
std::vector<T> RollAxis(const std::vector<T>& in, std::size_t outer, std::size_t fin, std::size_t inner,
    std::size_t width, const std::vector<std::vector<Range>>& ranges, T init, Combine combine)
{
    const std::size_t rout = ranges.size();
    std::vector<T> out(outer * rout * inner * width, init);
    const std::size_t rowIn = inner * width;
    for (std::size_t o = 0; o < outer; ++o) {
        for (std::size_t r = 0; r < rout; ++r) {
            T* dst = out.data() + (o * rout + r) * rowIn;
            for (const Range& range : ranges[r]) {
                for (std::uint32_t f = range.first; f < range.second; ++f) {
                    const T* src = in.data() + (o * fin + f) * rowIn;
                    for (std::size_t k = 0; k < rowIn; ++k)
                        dst[k] = combine(dst[k], src[k]);
                }
            }
        }
    }
    return out;
}

std::string MemberKey(const Member* m)
{
    return std::to_string(m->Depth()) + "." + std::to_string(m->Ordinal()) + ",";
}

const Hierarchy& CheckSet(const Cube& cube, const MemberSet& set, const char* what)
{
    if (!set.hierarchy || set.hierarchy->FactColumn() < 0
        || static_cast<std::size_t>(set.hierarchy->FactColumn()) >= cube.FactHierarchies().size()
        || cube.FactHierarchies()[static_cast<std::size_t>(set.hierarchy->FactColumn())] != set.hierarchy)
        throw OlapError(std::string("aggregation request: ") + what
            + " names a hierarchy that is not a dimension of cube '" + cube.Name() + "'");
    for (const Member* m : set.members) {
        if (!m || &m->GetHierarchy() != set.hierarchy)
            throw OlapError(std::string("aggregation request: ") + what + " of " + set.hierarchy->UniqueName()
                + " holds a member of another hierarchy");
    }
    return *set.hierarchy;
}

} // namespace

std::string AggregationRequest::CacheKey() const
{
    std::string key;
    for (const MemberSet& set : groupings) {
        key += 'G';
        key += set.hierarchy ? std::to_string(set.hierarchy->FactColumn()) : "?";
        key += ':';
        for (const Member* m : set.members)
            key += MemberKey(m);
        const auto g = static_cast<std::size_t>(&set - groupings.data());
        if (g < unions.size()) {
            for (const auto& list : unions[g]) {
                key += 'U';
                for (const Member* m : list)
                    key += m ? MemberKey(m) : "?";
            }
        }
    }
    for (const MemberSet& set : slicer) {
        key += 'S';
        key += set.hierarchy ? std::to_string(set.hierarchy->FactColumn()) : "?";
        key += ':';
        for (const Member* m : set.members)
            key += MemberKey(m);
    }
    for (const auto& tuple : tupleSlicer) {
        key += 'T';
        for (const Member* m : tuple) {
            key += m ? std::to_string(m->GetHierarchy().FactColumn()) : "?";
            key += ':';
            key += m ? MemberKey(m) : "?";
        }
    }
    key += 'M';
    for (int m : measures)
        key += std::to_string(m) + ",";
    return key;
}

std::shared_ptr<const AggregationResult> AggregationEngine::Aggregate(
    const Cube& cube, const AggregationRequest& request, const Options& options)
{
    const std::string cacheKey = options.useCache ? request.CacheKey() : std::string();
    if (options.useCache) {
        if (auto cached = cube.Cache().Find(cacheKey))
            return cached;
    }
    const FactTable& facts = cube.Facts();
    for (int m : request.measures) {
        if (m < 0 || static_cast<std::size_t>(m) >= cube.Measures().size())
            throw OlapError(
                "aggregation request: no measure number " + std::to_string(m) + " in cube '" + cube.Name() + "'");
    }

    if (request.unions.size() > request.groupings.size())
        throw OlapError("aggregation request: more lists of unions than groupings");
    // The slicer's members are checked here; SlicerMasks expects them valid.
    for (const MemberSet& set : request.slicer)
        CheckSet(cube, set, "a slicer set");
    for (const auto& tuple : request.tupleSlicer) {
        for (const Member* m : tuple) {
            MemberSet one;
            one.hierarchy = m ? &m->GetHierarchy() : nullptr;
            one.members.push_back(m);
            CheckSet(cube, one, "a slicer tuple");
        }
    }
    const std::size_t hierarchyCount = cube.FactHierarchies().size();
    const SlicerMasks slicer(cube, request);
    bool noRows = false;
    auto result = std::make_shared<AggregationResult>();
    result->m_measures = request.measures;
    std::vector<GroupingPlan> plans(request.groupings.size());
    std::vector<ColumnMap> columns;
    std::vector<bool> used(hierarchyCount, false);
    std::uint64_t cells = 1;
    std::vector<std::size_t> finestSizes;
    for (std::size_t gi = 0; gi < request.groupings.size(); ++gi) {
        const MemberSet& set = request.groupings[gi];
        const Hierarchy& h = CheckSet(cube, set, "a grouping");
        const auto column = static_cast<std::size_t>(h.FactColumn());
        if (used[column])
            throw OlapError("aggregation request: hierarchy " + h.UniqueName() + " is grouped twice");
        used[column] = true;
        static const std::vector<std::vector<const Member*>> kNoUnions;
        const auto& unions = gi < request.unions.size() ? request.unions[gi] : kNoUnions;
        for (const auto& list : unions) {
            for (const Member* m : list) {
                if (!m || &m->GetHierarchy() != &h)
                    throw OlapError(
                        "aggregation request: a union of " + h.UniqueName() + " holds a member of another hierarchy");
            }
        }
        result->m_members.push_back(set.members);
        result->m_sizes.push_back(set.members.size() + unions.size());
        std::unordered_map<const Member*, std::uint32_t> positions;
        for (std::size_t i = 0; i < set.members.size(); ++i)
            positions.emplace(set.members[i], static_cast<std::uint32_t>(i));
        result->m_positions.push_back(std::move(positions));

        int finest = 0;
        for (const Member* m : set.members)
            finest = std::max(finest, m->Depth());
        for (const auto& list : unions) {
            for (const Member* m : list)
                finest = std::max(finest, m->Depth());
        }
        const Level& level = *h.Levels()[static_cast<std::size_t>(finest)];
        const auto toLevel = h.LeafToLevel(finest);
        std::vector<std::uint8_t> included(level.Members().size(), 0);
        auto include = [&](const Member* m) {
            if (m->LeafBegin() >= m->LeafEnd())
                return;
            std::fill(included.begin() + toLevel[m->LeafBegin()], included.begin() + toLevel[m->LeafEnd() - 1] + 1,
                std::uint8_t(1));
        };
        for (const Member* m : set.members)
            include(m);
        for (const auto& list : unions) {
            for (const Member* m : list)
                include(m);
        }
        std::vector<std::uint32_t> compact(included.size() + 1, 0);
        std::uint32_t count = 0;
        for (std::size_t i = 0; i < included.size(); ++i) {
            compact[i] = count;
            count += included[i];
        }
        compact[included.size()] = count;
        GroupingPlan& plan = plans[gi];
        plan.finestCount = count;
        auto rangeOf = [&](const Member* m) {
            if (m->LeafBegin() >= m->LeafEnd())
                return Range {0, 0};
            return Range {compact[toLevel[m->LeafBegin()]], compact[toLevel[m->LeafEnd() - 1]] + 1};
        };
        for (std::size_t i = 0; i < set.members.size(); ++i) {
            const Range range = rangeOf(set.members[i]);
            plan.ranges.push_back({range});
            if (range.first != i || range.second != i + 1)
                plan.identity = false;
        }
        // A union covers the finest positions under any of its members: their ranges sorted
        // and merged, so a position under two of them (a member listed twice, a parent with
        // its child) is counted once.
        for (const auto& list : unions) {
            std::vector<Range> covered;
            for (const Member* m : list) {
                if (const Range range = rangeOf(m); range.first < range.second)
                    covered.push_back(range);
            }
            std::sort(covered.begin(), covered.end());
            std::vector<Range> merged;
            for (const Range& range : covered) {
                if (!merged.empty() && range.first <= merged.back().second)
                    merged.back().second = std::max(merged.back().second, range.second);
                else
                    merged.push_back(range);
            }
            plan.ranges.push_back(std::move(merged));
            plan.identity = false;
        }
        if (plan.ranges.size() != count)
            plan.identity = false;
        finestSizes.push_back(count);
        cells *= std::max<std::uint64_t>(count, 1);
        if (count == 0)
            noRows = true;
        if (cells > kMaxCells)
            throw AggregationTooLarge("aggregation request over cube '" + cube.Name() + "' needs more than "
                + std::to_string(kMaxCells) + " cells; narrow the axes or add a slicer");

        ColumnMap map;
        map.column = &facts.keys[column];
        map.map.resize(h.LeafCount());
        const auto& mask = slicer.Allowed(column);
        for (std::uint32_t leaf = 0; leaf < h.LeafCount(); ++leaf) {
            const std::uint32_t o = toLevel[leaf];
            const bool in = included[o] && (mask.empty() || mask[leaf]);
            map.map[leaf] = in ? compact[o] : kExcluded;
        }
        columns.push_back(std::move(map));
    }
    // Multiply the grouping columns' offsets by their strides (last grouping fastest).
    {
        std::uint64_t stride = 1;
        for (std::size_t gi = columns.size(); gi-- > 0;) {
            for (auto& v : columns[gi].map) {
                if (v != kExcluded)
                    v *= stride;
            }
            stride *= std::max<std::size_t>(finestSizes[gi], 1);
        }
    }
    // Slicer-only hierarchies become filters (offset 0) unless they allow every leaf.
    for (std::size_t c = 0; c < hierarchyCount; ++c) {
        if (used[c] || slicer.Allowed(c).empty())
            continue;
        const auto& mask = slicer.Allowed(c);
        if (std::all_of(mask.begin(), mask.end(), [](std::uint8_t b) { return b != 0; }))
            continue;
        if (std::none_of(mask.begin(), mask.end(), [](std::uint8_t b) { return b != 0; }))
            noRows = true;
        ColumnMap map;
        map.column = &facts.keys[c];
        map.map.resize(mask.size());
        for (std::size_t leaf = 0; leaf < mask.size(); ++leaf)
            map.map[leaf] = mask[leaf] ? 0 : kExcluded;
        columns.push_back(std::move(map));
    }

    std::vector<MeasurePlan> measurePlans;
    for (int m : request.measures) {
        const Measure& measure = *cube.Measures()[static_cast<std::size_t>(m)];
        MeasurePlan plan;
        plan.agg = measure.GetAggregator();
        plan.column = &facts.measures[static_cast<std::size_t>(m)];
        plan.nullable = !plan.column->nulls.empty();
        plan.needValues = plan.agg != Aggregator::Count;
        plan.needCount = plan.nullable && plan.agg != Aggregator::DistinctCount;
        plan.integerSum = (plan.agg == Aggregator::Sum || plan.agg == Aggregator::Avg)
            && !std::holds_alternative<ColumnVector<double>>(plan.column->values);
        if (plan.agg == Aggregator::DistinctCount) {
            plan.words = (plan.column->distinct + 63) / 64;
            if ((cells + 1) * plan.words > kMaxDistinctWords)
                throw AggregationTooLarge("aggregation request over cube '" + cube.Name()
                    + "': too many cells for the distinct count of '" + measure.Name()
                    + "'; narrow the axes or add a slicer");
        }
        measurePlans.push_back(plan);
    }

    // Distinct-count bitmaps are copied per bank and per thread only while small.
    std::uint64_t distinctWords = 0;
    for (const MeasurePlan& plan : measurePlans)
        distinctWords += (cells + 1) * plan.words;
    const std::size_t rows = noRows ? 0 : static_cast<std::size_t>(facts.rowCount);
    int threads = options.threads > 0 ? options.threads : (rows >= kParallelRows ? 2 : 1);
    threads = std::clamp(threads, 1, 2);
    if (rows < 2 * kChunk || cells > kMaxParallelCells || distinctWords > kSmallDistinctWords)
        threads = 1;
    const std::uint32_t banks = cells < kBankedCells && distinctWords * 4 <= kSmallDistinctWords ? 4 : 1;
    const FactScan scan(std::move(columns), slicer, measurePlans, cells, banks);
    Accumulators acc = scan.MakeAccumulators();
    if (threads == 1) {
        scan.Run(0, rows, acc);
    } else {
        // The threads take morsels of rows as they go rather than a fixed half each: on a
        // busy machine a thread that gets less time does less, and the other is not left
        // waiting for it. Sums of floating-point values depend on the order they are added
        // in, so they keep fixed halves and the same answer every time.
        const bool orderFree = std::none_of(measurePlans.begin(), measurePlans.end(), [](const MeasurePlan& p) {
            return (p.agg == Aggregator::Sum || p.agg == Aggregator::Avg) && !p.integerSum;
        });
        const std::size_t half = (rows / 2 / kChunk) * kChunk;
        std::atomic<std::size_t> next {0};
        auto run = [&](Accumulators& into, bool first) {
            if (!orderFree) {
                scan.Run(first ? 0 : half, first ? half : rows, into);
                return;
            }
            for (;;) {
                const std::size_t begin = next.fetch_add(kMorselRows, std::memory_order_relaxed);
                if (begin >= rows)
                    break;
                scan.Run(begin, std::min(rows, begin + kMorselRows), into);
            }
        };
        Accumulators second = scan.MakeAccumulators();
        std::thread worker([&] { run(second, false); });
        run(acc, true);
        worker.join();
        scan.Merge(acc, second);
    }
    scan.Finish(acc);
    // Integer sums become doubles (exact below 2^53) for the roll-up; drop the trash slot.
    for (std::size_t m = 0; m < measurePlans.size(); ++m) {
        if (measurePlans[m].integerSum) {
            acc.values[m].assign(acc.ints[m].begin(), acc.ints[m].end());
            std::vector<std::int64_t>().swap(acc.ints[m]);
        }
    }
    acc.rows.resize(static_cast<std::size_t>(cells));
    for (std::size_t m = 0; m < measurePlans.size(); ++m) {
        if (!acc.values[m].empty())
            acc.values[m].resize(static_cast<std::size_t>(cells));
        if (!acc.counts[m].empty())
            acc.counts[m].resize(static_cast<std::size_t>(cells));
        if (!acc.bits[m].empty())
            acc.bits[m].resize(static_cast<std::size_t>(cells) * measurePlans[m].words);
    }

    // Roll the finest grid up to the requested members, one grouping at a time.
    std::vector<std::size_t> sizes;
    sizes.reserve(finestSizes.size());
    for (std::size_t s : finestSizes)
        sizes.push_back(std::max<std::size_t>(s, 1));
    for (std::size_t gi = 0; gi < plans.size(); ++gi) {
        if (plans[gi].identity)
            continue;
        std::size_t outer = 1;
        std::size_t inner = 1;
        for (std::size_t k = 0; k < gi; ++k)
            outer *= sizes[k];
        for (std::size_t k = gi + 1; k < sizes.size(); ++k)
            inner *= sizes[k];
        const std::size_t fin = sizes[gi];
        const auto& ranges = plans[gi].ranges;
        auto add = [](auto a, auto b) { return a + b; };
        acc.rows = RollAxis<std::uint64_t>(acc.rows, outer, fin, inner, 1, ranges, 0, add);
        for (std::size_t m = 0; m < measurePlans.size(); ++m) {
            const MeasurePlan& plan = measurePlans[m];
            if (!acc.values[m].empty()) {
                if (plan.agg == Aggregator::Min)
                    acc.values[m] = RollAxis<double>(acc.values[m], outer, fin, inner, 1, ranges,
                        std::numeric_limits<double>::infinity(), [](double a, double b) { return std::min(a, b); });
                else if (plan.agg == Aggregator::Max)
                    acc.values[m] = RollAxis<double>(acc.values[m], outer, fin, inner, 1, ranges,
                        -std::numeric_limits<double>::infinity(), [](double a, double b) { return std::max(a, b); });
                else
                    acc.values[m] = RollAxis<double>(acc.values[m], outer, fin, inner, 1, ranges, 0.0, add);
            }
            if (!acc.counts[m].empty())
                acc.counts[m] = RollAxis<std::uint64_t>(acc.counts[m], outer, fin, inner, 1, ranges, 0, add);
            if (!acc.bits[m].empty())
                acc.bits[m] = RollAxis<std::uint64_t>(acc.bits[m], outer, fin, inner, plan.words, ranges, 0,
                    [](std::uint64_t a, std::uint64_t b) { return a | b; });
        }
        sizes[gi] = ranges.size();
    }

    std::size_t outCells = 1;
    for (std::size_t s : sizes)
        outCells *= s;
    if (noRows) {
        outCells = 1;
        for (const std::size_t size : result->m_sizes)
            outCells *= size;
        acc.rows.assign(outCells, 0);
    }
    result->m_strides.assign(result->m_sizes.size(), 1);
    for (std::size_t gi = result->m_sizes.size(); gi-- > 1;)
        result->m_strides[gi - 1] = result->m_strides[gi] * result->m_sizes[gi];
    result->m_rows = std::move(acc.rows);
    const std::size_t slots = measurePlans.size();
    result->m_values.assign(outCells * slots, kNaN);
    for (std::size_t c = 0; c < outCells && !noRows; ++c) {
        if (result->m_rows[c] == 0)
            continue;
        for (std::size_t m = 0; m < slots; ++m) {
            const MeasurePlan& plan = measurePlans[m];
            const double scale = kPow10[plan.column->scale];
            const std::uint64_t n = plan.needCount ? acc.counts[m][c] : result->m_rows[c];
            double value = kNaN;
            switch (plan.agg) {
            case Aggregator::Sum:
                if (n > 0)
                    value = acc.values[m][c] / scale;
                break;
            case Aggregator::Count:
                value = static_cast<double>(n);
                break;
            case Aggregator::Avg:
                if (n > 0)
                    value = acc.values[m][c] / (static_cast<double>(n) * scale);
                break;
            case Aggregator::Min:
            case Aggregator::Max:
                if (n > 0)
                    value = acc.values[m][c] / scale;
                break;
            case Aggregator::DistinctCount: {
                std::uint64_t bits = 0;
                const std::uint64_t* w = acc.bits[m].data() + c * plan.words;
                for (std::size_t k = 0; k < plan.words; ++k)
                    bits += static_cast<std::uint64_t>(std::popcount(w[k]));
                value = static_cast<double>(bits);
                break;
            }
            }
            result->m_values[c * slots + m] = value;
        }
    }
    if (options.useCache)
        cube.Cache().Insert(cacheKey, result, result->Bytes());
    return result;
}

std::optional<double> AggregationEngine::CellValue(const Cube& cube, std::span<const Member* const> tuple)
{
    AggregationRequest request;
    const Measure* measure = cube.DefaultMeasure();
    for (const Member* m : tuple) {
        if (m->MeasureIndex() >= 0) {
            measure = cube.Measures()[static_cast<std::size_t>(m->MeasureIndex())];
            continue;
        }
        if (m->IsAll())
            continue;
        request.slicer.push_back(MemberSet::Of(*m));
    }
    if (!measure)
        return std::nullopt;
    request.measures.push_back(measure->Index());
    auto result = Aggregate(cube, request);
    return result->Value(0, 0);
}

} // namespace olap
