#include "olap/recordset/DataType.h"

namespace olap::recordset {

std::string_view DataTypeName(DataType type)
{
    switch (type) {
    case DataType::Empty:
        return "adEmpty";
    case DataType::SmallInt:
        return "adSmallInt";
    case DataType::Integer:
        return "adInteger";
    case DataType::Single:
        return "adSingle";
    case DataType::Double:
        return "adDouble";
    case DataType::Currency:
        return "adCurrency";
    case DataType::Date:
        return "adDate";
    case DataType::Boolean:
        return "adBoolean";
    case DataType::TinyInt:
        return "adTinyInt";
    case DataType::UnsignedTinyInt:
        return "adUnsignedTinyInt";
    case DataType::BigInt:
        return "adBigInt";
    case DataType::Numeric:
        return "adNumeric";
    case DataType::VarChar:
        return "adVarChar";
    case DataType::LongVarChar:
        return "adLongVarChar";
    case DataType::VarWChar:
        return "adVarWChar";
    case DataType::LongVarWChar:
        return "adLongVarWChar";
    case DataType::VarBinary:
        return "adVarBinary";
    case DataType::LongVarBinary:
        return "adLongVarBinary";
    }
    return "adEmpty";
}

bool IsNumeric(DataType type)
{
    switch (type) {
    case DataType::SmallInt:
    case DataType::Integer:
    case DataType::Single:
    case DataType::Double:
    case DataType::Currency:
    case DataType::TinyInt:
    case DataType::UnsignedTinyInt:
    case DataType::BigInt:
    case DataType::Numeric:
        return true;
    default:
        return false;
    }
}

long FixedSize(DataType type)
{
    switch (type) {
    case DataType::TinyInt:
    case DataType::UnsignedTinyInt:
        return 1;
    case DataType::SmallInt:
    case DataType::Boolean:
        return 2;
    case DataType::Integer:
    case DataType::Single:
        return 4;
    case DataType::Double:
    case DataType::Currency:
    case DataType::Date:
    case DataType::BigInt:
        return 8;
    case DataType::Numeric:
        return 19;
    default:
        return 0;
    }
}

bool IsText(DataType type)
{
    return type == DataType::VarChar || type == DataType::LongVarChar || type == DataType::VarWChar
        || type == DataType::LongVarWChar;
}

} // namespace olap::recordset
