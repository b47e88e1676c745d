#pragma once

#include "olap/recordset/DateTime.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace olap::recordset {

//! What a cell value holds.
enum class ValueKind { Null, Integer, Double, Text, Date, Boolean };

//! One value of a recordset: null, a 64-bit integer, a double, UTF-8 text, a date and time,
//! or a boolean. Plain value type; comparing two values compares kind and content.
class CellValue {
public:
    //! The null value (a database NULL, an empty spreadsheet cell, a field not yet set).
    CellValue() = default;
    CellValue(std::int64_t value) : m_data(value) { }
    CellValue(int value) : m_data(static_cast<std::int64_t>(value)) { }
    CellValue(double value) : m_data(value) { }
    CellValue(std::string value) : m_data(std::move(value)) { }
    CellValue(const char* value) : m_data(std::string(value)) { }
    CellValue(DateTime value) : m_data(value) { }
    CellValue(bool value) : m_data(value) { }

    ValueKind Kind() const { return static_cast<ValueKind>(m_data.index()); }
    bool IsNull() const { return Kind() == ValueKind::Null; }

    //! The integer held; for a double, its value when it is whole and fits; for a boolean
    //! 1 or 0 (ADO's True is -1, but callers here count). Nullopt otherwise.
    std::optional<std::int64_t> ToInteger() const;
    //! The number held (integer, double, boolean as 1/0); nullopt for null, text, dates.
    std::optional<double> ToDouble() const;
    //! The value as text: integers in decimal, doubles in their shortest exact form, dates by
    //! DateTime::ToString, booleans "True"/"False", null as the empty string.
    std::string ToText() const;

    //! Direct access; each throws std::bad_variant_access when the kind differs.
    std::int64_t Integer() const { return std::get<std::int64_t>(m_data); }
    double Double() const { return std::get<double>(m_data); }
    const std::string& Text() const { return std::get<std::string>(m_data); }
    DateTime Date() const { return std::get<DateTime>(m_data); }
    bool Boolean() const { return std::get<bool>(m_data); }

    bool operator==(const CellValue&) const = default;

private:
    std::variant<std::monostate, std::int64_t, double, std::string, DateTime, bool> m_data;
};

} // namespace olap::recordset
