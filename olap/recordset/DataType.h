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

//! The DefinedSize a field of fixed-size TYPE reports (bytes, as ADO reports them: 4 for
//! adInteger, 8 for adDouble, ...); 0 for text and binary types, whose size is their length.
long FixedSize(DataType type);

//! Whether values of TYPE are text.
bool IsText(DataType type);

} // namespace olap::recordset
