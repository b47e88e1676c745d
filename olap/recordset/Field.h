#pragma once

#include "olap/recordset/CellValue.h"
#include "olap/recordset/DataType.h"

#include <string>

namespace olap::recordset {

//! Field attribute bits, as ADO numbers them.
inline constexpr long kFieldUpdatable = 0x4;
inline constexpr long kFieldFixed = 0x10;
inline constexpr long kFieldIsNullable = 0x20;
inline constexpr long kFieldMayBeNull = 0x40;
inline constexpr long kFieldLong = 0x80;

class Recordset;

//! One column of a recordset: its definition and, through the recordset that owns it, the
//! value of the current row (null when the recordset is at its end or has no rows).
class Field {
public:
    Field(std::string name, DataType type, long definedSize, long attributes)
        : m_name(std::move(name)), m_type(type), m_definedSize(definedSize), m_attributes(attributes)
    {
    }

    const std::string& Name() const { return m_name; }
    DataType Type() const { return m_type; }
    //! Maximum length in characters for text, bytes for other types (0 when not limited).
    long DefinedSize() const { return m_definedSize; }
    long Attributes() const { return m_attributes; }
    //! The value of this field in the current row.
    const CellValue& Value() const { return m_value; }

private:
    friend class Recordset;

    std::string m_name;
    DataType m_type;
    long m_definedSize;
    long m_attributes;
    CellValue m_value;
};

} // namespace olap::recordset
