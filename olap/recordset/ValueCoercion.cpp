#include "olap/recordset/ValueCoercion.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace olap::recordset {

namespace {

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

std::optional<std::int64_t> ParseInteger(std::string_view text)
{
    text = Trim(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    std::int64_t value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<double> ParseDouble(std::string_view text)
{
    text = Trim(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

std::optional<CellValue> ToIntegerIn(const CellValue& value, std::int64_t low, std::int64_t high)
{
    std::optional<std::int64_t> integer;
    if (value.Kind() == ValueKind::Text)
        integer = ParseInteger(value.Text());
    else if (value.Kind() != ValueKind::Date)
        integer = value.ToInteger();
    if (!integer || *integer < low || *integer > high)
        return std::nullopt;
    return CellValue(*integer);
}

} // namespace

std::optional<CellValue> CoerceValue(const CellValue& value, DataType type)
{
    if (value.IsNull())
        return value;
    switch (type) {
    case DataType::TinyInt:
        return ToIntegerIn(value, -128, 127);
    case DataType::UnsignedTinyInt:
        return ToIntegerIn(value, 0, 255);
    case DataType::SmallInt:
        return ToIntegerIn(value, -32768, 32767);
    case DataType::Integer:
        return ToIntegerIn(value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
    case DataType::BigInt:
        return ToIntegerIn(value, std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max());
    case DataType::Single:
    case DataType::Double:
    case DataType::Currency:
    case DataType::Numeric: {
        std::optional<double> number;
        if (value.Kind() == ValueKind::Text)
            number = ParseDouble(value.Text());
        else
            number = value.ToDouble();
        if (!number)
            return std::nullopt;
        if (type == DataType::Single && std::fabs(*number) > std::numeric_limits<float>::max())
            return std::nullopt;
        return CellValue(*number);
    }
    case DataType::Date: {
        if (value.Kind() == ValueKind::Date)
            return value;
        if (value.Kind() == ValueKind::Text) {
            if (const auto date = DateTime::Parse(Trim(value.Text())))
                return CellValue(*date);
            return std::nullopt;
        }
        if (value.Kind() == ValueKind::Integer || value.Kind() == ValueKind::Double) {
            if (const auto date = DateTime::FromSerial(*value.ToDouble()))
                return CellValue(*date);
        }
        return std::nullopt;
    }
    case DataType::Boolean: {
        if (value.Kind() == ValueKind::Boolean)
            return value;
        if (value.Kind() == ValueKind::Integer)
            return CellValue(value.Integer() != 0);
        if (value.Kind() == ValueKind::Text) {
            const std::string_view text = Trim(value.Text());
            if (EqualsNoCase(text, "true") || EqualsNoCase(text, "yes") || text == "1" || text == "-1")
                return CellValue(true);
            if (EqualsNoCase(text, "false") || EqualsNoCase(text, "no") || text == "0")
                return CellValue(false);
        }
        return std::nullopt;
    }
    case DataType::VarChar:
    case DataType::LongVarChar:
    case DataType::VarWChar:
    case DataType::LongVarWChar:
        return value.Kind() == ValueKind::Text ? value : CellValue(value.ToText());
    case DataType::VarBinary:
    case DataType::LongVarBinary:
        return value.Kind() == ValueKind::Text ? std::optional<CellValue>(value) : std::nullopt;
    case DataType::Empty:
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace olap::recordset
