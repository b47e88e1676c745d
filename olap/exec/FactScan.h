#pragma once

#include "olap/model/Aggregator.h"
#include "olap/model/FactTable.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace olap {

class SlicerMasks;

//! The pass over the fact rows behind an aggregation: each row's leaf keys are mapped to a cell
//! of a grid, rows outside the slicer go to a trash cell, and every measure is accumulated per
//! cell. Rows are taken in chunks: the key columns are mapped together in one pass over the
//! chunk, then each accumulator is fed in its own pass.
class FactScan {
public:
    //! A map entry for a leaf key whose rows no cell takes.
    static constexpr std::uint32_t kExcluded = std::uint32_t(1) << 30;
    //! Rows taken at a time; a range that does not run to the end is a multiple of it.
    static constexpr std::size_t kChunkRows = 2048;

    //! A key column taking part in the scan: leaf key -> cell offset (already multiplied by
    //! the grouping's stride) or kExcluded. A filter-only column maps to 0 or kExcluded.
    struct Column {
        const KeyColumn* column = nullptr;
        std::vector<std::uint32_t> map;
    };

    struct MeasurePlan {
        Aggregator agg = Aggregator::Sum;
        const MeasureColumn* column = nullptr;
        bool nullable = false;
        bool needValues = false;
        bool needCount = false;
        bool integerSum = false; //!< sum or avg of an integer-encoded column: exact int64 accumulators
        std::size_t words = 0; //!< distinct-count: 64-bit words per cell
    };

    //! Per slot (cell times banks plus bank, the trash cell last): rows, and per measure its
    //! values, exact integer sums, non-NULL counts or distinct-value bitmaps as it needs.
    //! While scanning, the row counts and up to three exact sums without NULLs are kept side
    //! by side in PACKED, one group of PackWidth() per slot, so that a row touches one cache
    //! line where a large grid would otherwise cost one miss per array; Finish() moves them to
    //! ROWS and INTS.
    struct Accumulators {
        std::vector<std::int64_t> packed;
        std::vector<std::uint64_t> rows;
        std::vector<std::vector<double>> values;
        std::vector<std::vector<std::int64_t>> ints;
        std::vector<std::vector<std::uint64_t>> counts;
        std::vector<std::vector<std::uint64_t>> bits;
    };

    //! A scan of a grid of CELLS cells; BANKS (1 or a power of two up to 4) slots per cell
    //! spread neighbouring rows of one cell over separate accumulators. Every map offset must
    //! be below CELLS; SLICER must outlive the scan.
    FactScan(std::vector<Column> columns, const SlicerMasks& slicer, std::vector<MeasurePlan> measures,
        std::uint64_t cells, std::uint32_t banks);

    const std::vector<MeasurePlan>& Measures() const { return m_measures; }
    std::uint32_t Banks() const { return m_banks; }

    //! Zeroed accumulators (Min and Max start at +/- infinity) for every slot.
    Accumulators MakeAccumulators() const;
    //! Adds the rows from BEGIN to END (a multiple of the chunk size apart, or up to the end).
    void Run(std::size_t begin, std::size_t end, Accumulators& acc) const;
    //! Adds FROM (accumulators of another range of rows) into INTO.
    void Merge(Accumulators& into, const Accumulators& from) const;
    //! Ends the scan: folds the bank slots of each cell into one (slot c then holds cell c,
    //! the trash cell last) and unpacks the row counts and packed sums.
    void Finish(Accumulators& acc) const;

private:
    //! Fills SLOTS[i] for the N rows from START: the accumulator slot each row adds to. Returns
    //! the number of rows kept (not in the trash cell) with COUNT, else N.
    std::size_t MapSlots(std::size_t start, std::size_t n, std::uint32_t* slots, bool count) const;
    //! Counts the N rows of the chunk at START in their slots G and adds their packed sums;
    //! SEL, when not null, lists the chunk's rows that G holds (a compacted chunk).
    void AddPackedChunk(
        std::size_t start, const std::uint32_t* g, std::size_t n, const std::uint16_t* sel, Accumulators& acc) const;
    //! AddPackedChunk for the rows ROW(0) .. ROW(N - 1) of the chunk at START.
    template <typename RowOf>
    void AddPackedRows(std::size_t start, const std::uint32_t* g, std::size_t n, RowOf row, Accumulators& acc) const;
    //! Elements per slot in Accumulators::packed: the row count, then the packed sums.
    std::size_t PackWidth() const;

    std::vector<Column> m_columns;
    const SlicerMasks& m_slicer;
    std::vector<MeasurePlan> m_measures;
    std::uint32_t m_banks = 1;
    //! The trash cell's first slot: rows excluded on any column land at or above it.
    std::uint32_t m_trashSlot = 0;
    //! Whether some row may be excluded (a slicer or a key that maps to kExcluded).
    bool m_mayExclude = false;
    //! The columns mapped in the first, fused loop.
    std::vector<std::size_t> m_fused;
    //! Filter columns (every key maps to 0 or kExcluded), taken first on chunks they mostly
    //! leave out, and the other columns; both empty when the filters do not go first.
    std::vector<std::size_t> m_filters;
    std::vector<std::size_t> m_groups;
    //! The measures whose sums are packed beside the row counts.
    std::vector<std::size_t> m_packed;
    //! Whether no measure has NULLs, so a chunk's kept rows can be gathered before accumulating.
    bool m_compactable = true;
};

} // namespace olap
