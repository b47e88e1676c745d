#pragma once

#include "olap/recordset/DataType.h"

#include <optional>
#include <string_view>

namespace olap::providers {

//! A field type read from a column's declared type.
struct DeclaredType {
    recordset::DataType type;
    //! The length in parentheses for text types ("VARCHAR(40)" gives 40), else 0.
    long definedSize = 0;
};

//! Maps a SQLite column's declared type to an ADO type, following SQLite's affinity rules
//! and the common SQL type names: BIGINT adBigInt, SMALLINT adSmallInt, TINYINT
//! adUnsignedTinyInt, any other name with INT adInteger, BOOL/BIT adBoolean, DATE/TIME
//! names adDate, MONEY/CURRENCY adCurrency, DECIMAL/NUMERIC adNumeric, CHAR/TEXT adVarWChar,
//! CLOB adLongVarWChar, BLOB adLongVarBinary, REAL/FLOAT/DOUBLE adDouble. Nullopt for an empty
//! declaration or a name none of these match, so that the values decide.
std::optional<DeclaredType> TypeFromDeclaration(std::string_view declared);

} // namespace olap::providers
