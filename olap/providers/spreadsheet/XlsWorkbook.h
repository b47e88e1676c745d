#pragma once

#include "olap/providers/spreadsheet/Worksheet.h"

#include <string>
#include <vector>

namespace olap::providers {

//! Reads every worksheet of the Excel 97-2003 workbook (.xls, BIFF) at PATH with FreeXL.
//! Integer cells come as integers, dates and date-times as dates, times of day as text.
//! Throws RelationalError NotADatabase, naming the file, when FreeXL cannot read it or the
//! workbook is password protected.
std::vector<Worksheet> ReadXlsWorkbook(const std::string& path);

} // namespace olap::providers
