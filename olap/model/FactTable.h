#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace olap {

//! Allocates without value-initialising: column arrays are filled right
//! after they are sized (from a file or a build), so zeroing them first
//! would only cost time.
template <typename T> struct DefaultInitAllocator : std::allocator<T> {
    template <typename U> struct rebind {
        using other = DefaultInitAllocator<U>;
    };
    DefaultInitAllocator() = default;
    template <typename U> DefaultInitAllocator(const DefaultInitAllocator<U>&) noexcept { }
    template <typename U> void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>)
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args> void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

//! The array type of every fact column.
template <typename T> using ColumnVector = std::vector<T, DefaultInitAllocator<T>>;

//! Dictionary-encoded leaf keys of one hierarchy, one per fact row; the
//! narrowest width that holds the hierarchy's leaf count.
using KeyColumn = std::variant<ColumnVector<std::uint8_t>, ColumnVector<std::uint16_t>, ColumnVector<std::uint32_t>>;

//! Values of one measure, one per fact row. Integer alternatives hold the
//! value times 10^scale (exact decimals); a distinct-count measure holds the
//! dictionary id of each value; a count measure may hold no values at all
//! (std::monostate) when only its null mask matters.
using ValueColumn = std::variant<std::monostate, ColumnVector<double>, ColumnVector<std::int32_t>,
    ColumnVector<std::int16_t>, ColumnVector<std::int8_t>>;

//! The encoded value column of one measure.
struct MeasureColumn {
    ValueColumn values;
    //! Decimal places of integer-encoded values: value = stored / 10^scale.
    int scale = 0;
    //! Bit r set = row r is NULL. Empty when the column has no NULLs.
    std::vector<std::uint64_t> nulls;
    //! Distinct-count measures: number of distinct values (ids are 0..distinct-1).
    std::uint32_t distinct = 0;
    //! Distinct-count measures: the source value of each id, as text.
    std::vector<std::string> dictionary;

    bool IsNull(std::size_t row) const { return !nulls.empty() && ((nulls[row >> 6] >> (row & 63)) & 1u); }
    //! The stored value of ROW as a double (scaled back); 0 for a value-less column.
    double ValueAt(std::size_t row) const;
};

//! The fact table in columns: one key column per hierarchy (in the order of
//! Hierarchy::FactColumn()) and one value column per measure.
struct FactTable {
    std::uint64_t rowCount = 0;
    std::vector<KeyColumn> keys;
    std::vector<MeasureColumn> measures;

    //! Bytes held by the encoded columns.
    std::uint64_t Bytes() const;
};

//! Width in bytes of the narrowest key type for COUNT distinct keys.
int KeyWidthFor(std::uint64_t count);
//! A key column of WIDTH (1, 2 or 4) bytes with ROWS entries, not initialised.
KeyColumn MakeKeyColumn(int width, std::size_t rows);
//! Key of ROW in COLUMN.
std::uint32_t KeyAt(const KeyColumn& column, std::size_t row);

} // namespace olap
