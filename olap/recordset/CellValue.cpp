#include "olap/recordset/CellValue.h"

#include <charconv>
#include <cmath>

namespace olap::recordset {

std::optional<std::int64_t> CellValue::ToInteger() const
{
    switch (Kind()) {
    case ValueKind::Integer:
        return Integer();
    case ValueKind::Double: {
        const double d = Double();
        // 2^63 is exactly representable; anything at or above it does not fit.
        if (std::isfinite(d) && d == std::trunc(d) && d >= -9223372036854775808.0 && d < 9223372036854775808.0)
            return static_cast<std::int64_t>(d);
        return std::nullopt;
    }
    case ValueKind::Boolean:
        return Boolean() ? 1 : 0;
    default:
        return std::nullopt;
    }
}

std::optional<double> CellValue::ToDouble() const
{
    switch (Kind()) {
    case ValueKind::Integer:
        return static_cast<double>(Integer());
    case ValueKind::Double:
        return Double();
    case ValueKind::Boolean:
        return Boolean() ? 1.0 : 0.0;
    default:
        return std::nullopt;
    }
}

std::string CellValue::ToText() const
{
    switch (Kind()) {
    case ValueKind::Null:
        return {};
    case ValueKind::Integer:
        return std::to_string(Integer());
    case ValueKind::Double: {
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, Double());
        return std::string(buffer, result.ptr);
    }
    case ValueKind::Text:
        return Text();
    case ValueKind::Date:
        return Date().ToString();
    case ValueKind::Boolean:
        return Boolean() ? "True" : "False";
    }
    return {};
}

} // namespace olap::recordset
