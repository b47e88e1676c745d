#pragma once

#include <string_view>

namespace olap::recordset {

//! Field types, numbered as ADO numbers them, so that callers written against ADO compare
//! `Type` with the numbers they know (adInteger 3, adVarWChar 202, ...).
enum class DataType : int {
    Empty = 0,
    SmallInt = 2,
    Integer = 3,
    Single = 4,
    Double = 5,
    Currency = 6,
    Date = 7,
    Boolean = 11,
    TinyInt = 16,
    UnsignedTinyInt = 17,
    BigInt = 20,
    Numeric = 131,
    VarChar = 200,
    LongVarChar = 201,
    VarWChar = 202,
    LongVarWChar = 203,
    VarBinary = 204,
    LongVarBinary = 205,
};

//! The ADO name of TYPE ("adInteger"), or "adEmpty" for a number this list does not hold.
std::string_view DataTypeName(DataType type);

//! Whether values of TYPE are numbers (integers, floating point, currency, numeric).
bool IsNumeric(DataType type);

//! Whether values of TYPE are text.
bool IsText(DataType type);

} // namespace olap::recordset
