#pragma once

#include "olap/providers/spreadsheet/Worksheet.h"

#include <string>
#include <vector>

namespace olap::providers {

//! Reads every worksheet of the Office Open XML workbook (.xlsx) at PATH, in workbook
//! order: shared and inline strings, numbers (as doubles), booleans, formula results, ISO
//! date cells, and numbers in date formats (as dates); error cells are null. Throws
//! RelationalError NotADatabase, naming the file and the damaged part, for anything that is
//! not a readable workbook (not a zip archive, a missing or malformed part, a bad checksum,
//! a cell reference out of Excel's range, a part larger than 256 MB unpacked).
std::vector<Worksheet> ReadXlsxWorkbook(const std::string& path);

} // namespace olap::providers
