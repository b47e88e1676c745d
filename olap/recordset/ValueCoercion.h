#pragma once

#include "olap/recordset/CellValue.h"
#include "olap/recordset/DataType.h"

#include <optional>

namespace olap::recordset {

//! Converts VALUE to the kind a field of TYPE holds: integer types take integers, whole
//! doubles and integer text within their range; floating, currency and numeric types take
//! numbers and numeric text; text types take anything (as CellValue::ToText); dates take
//! dates, date text and serial numbers; booleans take booleans, integers and
//! "True"/"False"/"Yes"/"No"/"1"/"0" text. Null stays null. Returns nullopt when the value
//! does not fit, so that nothing is silently truncated.
std::optional<CellValue> CoerceValue(const CellValue& value, DataType type);

} // namespace olap::recordset
