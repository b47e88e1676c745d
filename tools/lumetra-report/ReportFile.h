#pragma once

#include <string>
#include <string_view>

namespace lumetra_report {

//! The pivot definition of a saved pivot file: the text up to and including the closing
//! "</xml>", without the SQL lines a report over a relational source carries after it.
//! Text without a closing tag is returned whole (the definition reader then says what is
//! wrong with it).
std::string DefinitionText(std::string_view fileText);

//! The query of a report over a relational source: the SQL text and the connection string
//! that follow the definition, one per line.
struct SqlLines {
    std::string sql;
    std::string connection;
};

//! The SQL lines after the closing "</xml>" of FILETEXT; false, and nothing set, when the
//! file has no closing tag or either line is missing (a report over a cube).
bool ReadSqlLines(std::string_view fileText, SqlLines& lines);

} // namespace lumetra_report
