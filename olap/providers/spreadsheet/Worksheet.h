#pragma once

#include "olap/recordset/CellValue.h"

#include <string>
#include <vector>

namespace olap::providers {

//! The used cells of one worksheet: rows without a single value are left out, and every
//! row is as wide as the widest (missing cells null). Numbers are doubles, cells formatted
//! as dates are dates, text is UTF-8.
struct Worksheet {
    std::string name;
    std::vector<std::vector<recordset::CellValue>> rows;
};

//! Largest number of cells (rows times columns) a worksheet may have when read.
inline constexpr std::size_t kMaxWorksheetCells = 20'000'000;

} // namespace olap::providers
