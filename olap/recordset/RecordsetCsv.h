#pragma once

#include "olap/recordset/Recordset.h"

#include <ostream>
#include <string>
#include <string_view>

namespace olap::recordset {

//! Writes RECORDSET as CSV to OUT: a header line of field names, then one line per row
//! (all rows, whatever the cursor position; the cursor does not move). Values are written as
//! CellValue::ToText writes them, null as an empty field. A field holding a comma, a double
//! quote, a line break or a leading or trailing blank is quoted, with quotes doubled.
//! Lines end with "\n".
void WriteCsv(const Recordset& recordset, std::ostream& out);

//! One CSV field, quoted when it needs to be (see WriteCsv).
std::string CsvField(std::string_view text);

} // namespace olap::recordset
