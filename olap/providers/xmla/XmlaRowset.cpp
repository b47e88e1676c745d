#include "olap/providers/xmla/XmlaRowset.h"

#include <array>
#include <charconv>

namespace olap::providers::xmla {
namespace {

std::string ShortestNumber(const std::string& text)
{
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end)
        return text;
    std::array<char, 32> buffer {};
    const auto [out, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    if (error != std::errc())
        return text;
    return std::string(buffer.data(), out);
}

} // namespace

bool XmlaRowset::IsNumericType(const std::string& type)
{
    static constexpr std::array<std::string_view, 15> kNumeric
        = {"double", "float", "decimal", "int", "integer", "long", "short", "byte", "unsignedInt", "unsignedLong",
            "unsignedShort", "unsignedByte", "nonNegativeInteger", "positiveInteger", "negativeInteger"};
    for (const std::string_view numeric : kNumeric) {
        if (type == numeric)
            return true;
    }
    return false;
}

SchemaRowset XmlaRowset::ToSchemaRowset() const&
{
    return XmlaRowset(*this).ToSchemaRowset();
}

SchemaRowset XmlaRowset::ToSchemaRowset() &&
{
    SchemaRowset out;
    out.columns.reserve(columns.size());
    for (Column& column : columns)
        out.columns.push_back(std::move(column.name));
    out.rows.reserve(rows.size());
    for (auto& row : rows) {
        std::vector<std::string> values;
        values.reserve(row.size());
        for (auto& value : row)
            values.push_back(value ? std::move(*value) : std::string());
        out.rows.push_back(std::move(values));
    }
    rows.clear();
    columns.clear();
    return out;
}

DrillthroughTable XmlaRowset::ToDrillthroughTable() const
{
    DrillthroughTable out;
    out.columns.reserve(columns.size());
    for (const Column& column : columns)
        out.columns.push_back(column.label);
    out.rows.reserve(rows.size());
    for (const auto& row : rows) {
        std::vector<std::string> values;
        values.reserve(row.size());
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (!row[c])
                values.emplace_back();
            else if (c < columns.size() && IsNumericType(columns[c].type))
                values.push_back(ShortestNumber(*row[c]));
            else
                values.push_back(*row[c]);
        }
        out.rows.push_back(std::move(values));
    }
    return out;
}

} // namespace olap::providers::xmla
