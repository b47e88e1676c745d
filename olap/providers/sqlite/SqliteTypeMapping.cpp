#include "olap/providers/sqlite/SqliteTypeMapping.h"

#include <cctype>
#include <string>

namespace olap::providers {

using recordset::DataType;

std::optional<DeclaredType> TypeFromDeclaration(std::string_view declared)
{
    std::string upper;
    for (const char c : declared)
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const auto has = [&](std::string_view word) { return upper.find(word) != std::string::npos; };

    long size = 0;
    if (const auto open = upper.find('('); open != std::string::npos) {
        for (size_t i = open + 1; i < upper.size() && std::isdigit(static_cast<unsigned char>(upper[i])); ++i) {
            size = size * 10 + (upper[i] - '0');
            if (size > 1'000'000'000)
                break;
        }
    }

    if (upper.find_first_not_of(" \t") == std::string::npos)
        return std::nullopt;
    if (has("BIGINT") || has("INT8"))
        return DeclaredType {DataType::BigInt};
    if (has("SMALLINT") || has("INT2"))
        return DeclaredType {DataType::SmallInt};
    if (has("TINYINT"))
        return DeclaredType {DataType::UnsignedTinyInt};
    if (has("BOOL") || upper == "BIT")
        return DeclaredType {DataType::Boolean};
    if (has("INT"))
        return DeclaredType {DataType::Integer};
    if (has("CLOB"))
        return DeclaredType {DataType::LongVarWChar};
    if (has("CHAR") || has("TEXT"))
        return DeclaredType {DataType::VarWChar, size};
    if (has("BLOB"))
        return DeclaredType {DataType::LongVarBinary};
    if (has("DATE") || has("TIME"))
        return DeclaredType {DataType::Date};
    if (has("MONEY") || has("CURRENCY"))
        return DeclaredType {DataType::Currency};
    if (has("DEC") || has("NUMERIC"))
        return DeclaredType {DataType::Numeric};
    if (has("REAL") || has("FLOA") || has("DOUB"))
        return DeclaredType {DataType::Double};
    return std::nullopt;
}

} // namespace olap::providers
