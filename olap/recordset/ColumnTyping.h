#pragma once

#include "olap/recordset/CellValue.h"
#include "olap/recordset/DataType.h"
#include "olap/recordset/Recordset.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace olap::recordset {

//! The type a field gets from its values alone, for sources without declared types: only
//! integers give adInteger (adBigInt when one leaves the 32-bit range), integers and doubles
//! adDouble, only dates adDate, only booleans adBoolean; anything else, mixed kinds, and a
//! column of nulls only give adVarWChar. Nulls are ignored.
DataType TypeFromValues(const std::vector<std::vector<CellValue>>& rows, std::size_t column);

//! The longest text of COLUMN in characters (as CellValue::ToText renders each value), at
//! least 1, for the DefinedSize of a text field.
long LongestText(const std::vector<std::vector<CellValue>>& rows, std::size_t column);

//! Whether every value of COLUMN converts to TYPE (CoerceValue).
bool ColumnFits(const std::vector<std::vector<CellValue>>& rows, std::size_t column, DataType type);

//! A column as a source describes it before its values are seen.
struct ColumnSpec {
    std::string name;
    //! The type the source declares, if any, and its declared length for text.
    std::optional<DataType> declared;
    long declaredSize = 0;
};

//! Builds an open recordset from raw ROWS (each as wide as COLUMNS) with SOURCE as its
//! Source. A column keeps its declared type when every value converts to it (an integer type
//! too narrow for the values widens to adBigInt); otherwise, and without a declaration, its
//! values decide (TypeFromValues), so values never fail to load. Text fields get the longer of
//! the declared length and the longest value. Empty names become "Expr<n>" and repeated names
//! get "_2", "_3" ... so every field can be found by name.
Recordset RecordsetFromRows(
    const std::vector<ColumnSpec>& columns, std::vector<std::vector<CellValue>> rows, std::string source);

} // namespace olap::recordset
