#pragma once

#include "olap/access/SchemaRowset.h"
#include "olap/query/QueryResult.h"

#include <string>
#include <string_view>
#include <vector>

namespace lumetra_mdx {

enum class OutputFormat { Grid, Csv, Cells, Properties };

//! Text of RESULT in FORMAT. Cells: one line per cell, row by row and within a row column by
//! column: row captions joined by " | ", TAB, column captions joined by " | ", TAB, the
//! value (shortest round-trip decimal, "" when empty). A drill-through is CSV with a header
//! line in every format. Properties: per axis one line per position (axis name, TAB, captions,
//! then TAB NAME=value for each DIMENSION PROPERTIES name and member), then one line per cell
//! (row captions, TAB, column captions, then TAB NAME=value for each CELL PROPERTIES name).
std::string Render(const olap::QueryResult& result, OutputFormat format);
//! A schema rowset as tab-separated lines with a header line.
std::string Render(const olap::SchemaRowset& rowset);
//! Splits a script into statements: a statement ends with ';' at the end of a line (the
//! ';' is dropped); text after the last one is a statement too. Chunks holding only blanks
//! and comments are skipped.
std::vector<std::string> SplitStatements(std::string_view script);

} // namespace lumetra_mdx
