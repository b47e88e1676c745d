#include "olap/model/FactTable.h"

#include <cmath>

namespace olap {

namespace {

constexpr double kPow10[] = {1, 10, 100, 1000, 10000, 100000, 1e6, 1e7, 1e8, 1e9};

} // namespace

double MeasureColumn::ValueAt(std::size_t row) const
{
    return std::visit(
        [&](const auto& v) -> double {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::monostate>) {
                return 0.0;
            } else if constexpr (std::is_same_v<T, ColumnVector<double>>) {
                return v[row];
            } else {
                return static_cast<double>(v[row]) / kPow10[scale];
            }
        },
        values);
}

std::uint64_t FactTable::Bytes() const
{
    std::uint64_t bytes = 0;
    for (const auto& column : keys)
        std::visit([&](const auto& v) { bytes += v.size() * sizeof(v[0]); }, column);
    for (const auto& column : measures) {
        std::visit(
            [&](const auto& v) {
                if constexpr (!std::is_same_v<std::decay_t<decltype(v)>, std::monostate>)
                    bytes += v.size() * sizeof(v[0]);
            },
            column.values);
        bytes += column.nulls.size() * sizeof(std::uint64_t);
    }
    return bytes;
}

int KeyWidthFor(std::uint64_t count)
{
    if (count <= 0x100)
        return 1;
    if (count <= 0x10000)
        return 2;
    return 4;
}

KeyColumn MakeKeyColumn(int width, std::size_t rows)
{
    if (width == 1)
        return ColumnVector<std::uint8_t>(rows);
    if (width == 2)
        return ColumnVector<std::uint16_t>(rows);
    return ColumnVector<std::uint32_t>(rows);
}

std::uint32_t KeyAt(const KeyColumn& column, std::size_t row)
{
    return std::visit([&](const auto& v) -> std::uint32_t { return v[row]; }, column);
}

} // namespace olap
