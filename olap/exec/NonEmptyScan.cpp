#include "olap/exec/NonEmptyScan.h"

#include "olap/exec/SlicerMasks.h"
#include "olap/model/Cube.h"
#include "olap/model/FactTable.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Member.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <limits>
#include <thread>
#include <variant>

namespace olap {

namespace {

constexpr std::uint64_t kOut = std::numeric_limits<std::uint64_t>::max();
constexpr std::size_t kChunk = 2048;
constexpr std::size_t kMorselRows = 32 * kChunk;
constexpr std::uint64_t kParallelRows = std::uint64_t(1) << 18;
//! Products up to this many combinations are marked in a bitmap (16 MiB); larger ones are
//! collected as keys.
constexpr std::uint64_t kMaxBitmapBits = std::uint64_t(1) << 27;
//! Collected keys are sorted and made unique whenever this many have piled up.
constexpr std::size_t kKeyBatch = std::size_t(1) << 20;

//! A key column taking part: leaf -> offset of its combination (kOut: row left out).
struct KeyMap {
    const KeyColumn* column = nullptr;
    std::vector<std::uint64_t> map;
};

bool IsFactHierarchy(const Cube& cube, const Hierarchy* h)
{
    return h && h->FactColumn() >= 0 && static_cast<std::size_t>(h->FactColumn()) < cube.FactHierarchies().size()
        && cube.FactHierarchies()[static_cast<std::size_t>(h->FactColumn())] == h;
}

void MarkOut(std::uint64_t* keys, const std::uint8_t* pass, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        keys[i] = pass[i] ? keys[i] : kOut;
}

//! The combination key of each of the N rows from START (kOut for rows left out).
void RowKeys(
    const std::vector<KeyMap>& maps, const SlicerMasks& slicer, std::size_t start, std::size_t n, std::uint64_t* keys)
{
    std::fill(keys, keys + n, std::uint64_t(0));
    for (const KeyMap& m : maps) {
        const std::uint64_t* map = m.map.data();
        std::visit(
            [&](const auto& column) {
                const auto* k = column.data() + start;
                for (std::size_t i = 0; i < n; ++i) {
                    const std::uint64_t v = map[k[i]];
                    keys[i] = (keys[i] == kOut || v == kOut) ? kOut : keys[i] + v;
                }
            },
            *m.column);
    }
    if (!slicer.HasTuples())
        return;
    std::uint8_t pass[kChunk];
    slicer.TuplePass(start, n, pass);
    MarkOut(keys, pass, n);
}

void SortUnique(std::vector<std::uint64_t>& keys)
{
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
}

//! What one scanning thread found: a bitmap of combinations, or their keys.
struct Found {
    std::vector<std::uint64_t> bits;
    std::vector<std::uint64_t> keys;
};

void ScanRows(const std::vector<KeyMap>& maps, const SlicerMasks& slicer, bool bitmap, std::size_t begin,
    std::size_t end, Found& found)
{
    std::uint64_t keys[kChunk];
    for (std::size_t start = begin; start < end; start += kChunk) {
        const std::size_t n = std::min(kChunk, end - start);
        RowKeys(maps, slicer, start, n, keys);
        if (bitmap) {
            std::uint64_t* bits = found.bits.data();
            for (std::size_t i = 0; i < n; ++i) {
                if (keys[i] != kOut)
                    bits[keys[i] >> 6] |= std::uint64_t(1) << (keys[i] & 63);
            }
            continue;
        }
        std::uint64_t last = kOut;
        for (std::size_t i = 0; i < n; ++i) {
            if (keys[i] != kOut && keys[i] != last) {
                found.keys.push_back(keys[i]);
                last = keys[i];
            }
        }
        if (found.keys.size() >= kKeyBatch)
            SortUnique(found.keys);
    }
}

} // namespace

std::optional<std::vector<std::uint32_t>> NonEmptyScan::Positions(const Cube& cube, const AggregationRequest& request)
{
    const FactTable& facts = cube.Facts();
    const std::size_t hierarchyCount = cube.FactHierarchies().size();

    // The slicer must lie in the fact hierarchies; anything else is left to the full product.
    for (const MemberSet& set : request.slicer) {
        if (!IsFactHierarchy(cube, set.hierarchy))
            return std::nullopt;
        for (const Member* m : set.members) {
            if (!m || &m->GetHierarchy() != set.hierarchy)
                return std::nullopt;
        }
    }
    for (const auto& tuple : request.tupleSlicer) {
        for (const Member* m : tuple) {
            if (!m || !IsFactHierarchy(cube, &m->GetHierarchy()))
                return std::nullopt;
        }
    }
    const SlicerMasks slicer(cube, request);

    // Groupings: leaf -> position times the grouping's stride (last grouping fastest).
    const std::size_t width = request.groupings.size();
    std::vector<std::uint64_t> strides(width, 1);
    std::uint64_t product = 1;
    for (std::size_t g = width; g-- > 0;) {
        const std::uint64_t size = request.groupings[g].members.size();
        if (size == 0)
            return std::vector<std::uint32_t> {};
        strides[g] = product;
        if (product > std::numeric_limits<std::uint64_t>::max() / 2 / size)
            return std::nullopt;
        product *= size;
    }
    std::vector<KeyMap> maps;
    std::vector<bool> grouped(hierarchyCount, false);
    for (std::size_t g = 0; g < width; ++g) {
        const MemberSet& set = request.groupings[g];
        if (!IsFactHierarchy(cube, set.hierarchy))
            return std::nullopt;
        const auto column = static_cast<std::size_t>(set.hierarchy->FactColumn());
        if (grouped[column])
            return std::nullopt;
        grouped[column] = true;
        KeyMap map;
        map.column = &facts.keys[column];
        map.map.assign(set.hierarchy->LeafCount(), kOut);
        for (std::size_t p = 0; p < set.members.size(); ++p) {
            const Member* m = set.members[p];
            if (!m || &m->GetHierarchy() != set.hierarchy)
                return std::nullopt;
            for (std::uint32_t leaf = m->LeafBegin(); leaf < m->LeafEnd(); ++leaf) {
                if (map.map[leaf] != kOut)
                    return std::nullopt;
                map.map[leaf] = p * strides[g];
            }
        }
        if (const auto& mask = slicer.Allowed(column); !mask.empty()) {
            for (std::size_t leaf = 0; leaf < mask.size(); ++leaf)
                map.map[leaf] = mask[leaf] ? map.map[leaf] : kOut;
        }
        maps.push_back(std::move(map));
    }
    // Slicer-only columns keep or leave out a row (offset 0 or kOut).
    for (std::size_t c = 0; c < hierarchyCount; ++c) {
        const auto& mask = slicer.Allowed(c);
        if (grouped[c] || mask.empty() || std::all_of(mask.begin(), mask.end(), [](std::uint8_t b) { return b; }))
            continue;
        KeyMap map;
        map.column = &facts.keys[c];
        map.map.resize(mask.size());
        for (std::size_t leaf = 0; leaf < mask.size(); ++leaf)
            map.map[leaf] = mask[leaf] ? 0 : kOut;
        maps.push_back(std::move(map));
    }

    const bool bitmap = product <= kMaxBitmapBits;
    const std::size_t rows = static_cast<std::size_t>(facts.rowCount);
    const int threads = rows >= kParallelRows ? 2 : 1;
    std::vector<Found> found(static_cast<std::size_t>(threads));
    for (Found& f : found) {
        if (bitmap)
            f.bits.assign(static_cast<std::size_t>((product + 63) / 64), 0);
    }
    if (threads == 1) {
        ScanRows(maps, slicer, bitmap, 0, rows, found[0]);
    } else {
        // Morsels taken as the threads go: a thread that gets less time on a busy machine
        // does less. The answer does not depend on who scanned what.
        std::atomic<std::size_t> next {0};
        auto scan = [&](Found& into) {
            for (;;) {
                const std::size_t begin = next.fetch_add(kMorselRows, std::memory_order_relaxed);
                if (begin >= rows)
                    break;
                ScanRows(maps, slicer, bitmap, begin, std::min(rows, begin + kMorselRows), into);
            }
        };
        std::thread worker([&] { scan(found[1]); });
        scan(found[0]);
        worker.join();
    }

    std::vector<std::uint64_t> keys;
    if (bitmap) {
        std::vector<std::uint64_t>& bits = found[0].bits;
        for (std::size_t t = 1; t < found.size(); ++t) {
            for (std::size_t w = 0; w < bits.size(); ++w)
                bits[w] |= found[t].bits[w];
        }
        for (std::size_t w = 0; w < bits.size(); ++w) {
            for (std::uint64_t word = bits[w]; word != 0; word &= word - 1)
                keys.push_back(w * 64 + static_cast<std::uint64_t>(std::countr_zero(word)));
        }
    } else {
        keys = std::move(found[0].keys);
        for (std::size_t t = 1; t < found.size(); ++t)
            keys.insert(keys.end(), found[t].keys.begin(), found[t].keys.end());
        SortUnique(keys);
    }

    std::vector<std::uint32_t> positions;
    positions.reserve(keys.size() * width);
    for (const std::uint64_t key : keys) {
        std::uint64_t rest = key;
        for (std::size_t g = 0; g < width; ++g) {
            positions.push_back(static_cast<std::uint32_t>(rest / strides[g]));
            rest %= strides[g];
        }
    }
    return positions;
}

} // namespace olap
