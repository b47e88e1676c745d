#include "olap/recordset/ColumnTyping.h"

#include "olap/recordset/ValueCoercion.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace olap::recordset {

DataType TypeFromValues(const std::vector<std::vector<CellValue>>& rows, std::size_t column)
{
    bool anyInteger = false, anyDouble = false, anyDate = false, anyBoolean = false, anyText = false;
    bool beyondInt32 = false;
    for (const auto& row : rows) {
        const CellValue& value = row[column];
        switch (value.Kind()) {
        case ValueKind::Null:
            break;
        case ValueKind::Integer:
            anyInteger = true;
            beyondInt32 = beyondInt32 || value.Integer() < std::numeric_limits<std::int32_t>::min()
                || value.Integer() > std::numeric_limits<std::int32_t>::max();
            break;
        case ValueKind::Double:
            anyDouble = true;
            break;
        case ValueKind::Date:
            anyDate = true;
            break;
        case ValueKind::Boolean:
            anyBoolean = true;
            break;
        case ValueKind::Text:
            anyText = true;
            break;
        }
    }
    const int kinds = int(anyInteger || anyDouble) + int(anyDate) + int(anyBoolean) + int(anyText);
    if (kinds != 1 || anyText)
        return DataType::VarWChar;
    if (anyDouble)
        return DataType::Double;
    if (anyInteger)
        return beyondInt32 ? DataType::BigInt : DataType::Integer;
    return anyDate ? DataType::Date : DataType::Boolean;
}

long LongestText(const std::vector<std::vector<CellValue>>& rows, std::size_t column)
{
    long longest = 1;
    for (const auto& row : rows) {
        const std::string text = row[column].ToText();
        const long length = static_cast<long>(std::count_if(
            text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
        longest = std::max(longest, length);
    }
    return longest;
}

bool ColumnFits(const std::vector<std::vector<CellValue>>& rows, std::size_t column, DataType type)
{
    return std::all_of(
        rows.begin(), rows.end(), [&](const auto& row) { return CoerceValue(row[column], type).has_value(); });
}

namespace {

bool IsIntegerType(DataType type)
{
    return type == DataType::TinyInt || type == DataType::UnsignedTinyInt || type == DataType::SmallInt
        || type == DataType::Integer;
}

} // namespace

Recordset RecordsetFromRows(
    const std::vector<ColumnSpec>& columns, std::vector<std::vector<CellValue>> rows, std::string source)
{
    Recordset recordset;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const ColumnSpec& spec = columns[c];
        std::optional<DataType> type;
        if (spec.declared && ColumnFits(rows, c, *spec.declared))
            type = spec.declared;
        else if (spec.declared && IsIntegerType(*spec.declared) && ColumnFits(rows, c, DataType::BigInt))
            type = DataType::BigInt;
        if (!type)
            type = TypeFromValues(rows, c);
        long size = FixedSize(*type);
        if (IsText(*type))
            size = std::max(spec.declared == type ? spec.declaredSize : 0L, LongestText(rows, c));

        std::string name = spec.name.empty() ? "Expr" + std::to_string(c + 1) : spec.name;
        const std::string base = name;
        for (int n = 2; recordset.FindField(name); ++n)
            name = base + "_" + std::to_string(n);
        recordset.AppendField(name, *type, size);
    }
    recordset.SetSource(std::move(source));
    if (columns.empty())
        return recordset;
    recordset.Open();
    for (auto& row : rows)
        recordset.AppendRow(std::move(row));
    recordset.MoveFirst();
    return recordset;
}

} // namespace olap::recordset
