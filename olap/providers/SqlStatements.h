#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace olap::providers {

//! The statements of an SQL text, split at the semicolons that lie outside string literals
//! ('...'), quoted identifiers ("...", `...`, [...]), dollar-quoted strings ($$...$$,
//! $tag$...$tag$) and comments (-- to the end of the line, /* ... */). Pieces that hold only
//! blanks, comments or nothing are left out, so a trailing ';' adds no statement. Each piece is
//! a view into SQL without its ';' and without blanks at either end. An unterminated literal
//! or comment runs to the end of the text (the database reports it). Never throws.
std::vector<std::string_view> SplitSqlStatements(std::string_view sql);

//! The one statement SQL holds (SplitSqlStatements), or an empty view for a text with none.
//! Throws RelationalError Unsupported, saying how many statements the text holds, when it
//! holds more than one: a report runs exactly one statement and none of them is run.
std::string_view SingleSqlStatement(std::string_view sql);

//! The first word of STATEMENT in capitals ("SELECT", "WITH", "DELETE"), past blanks, comments,
//! opening parentheses and the brace of an ODBC escape ("{call p}" gives "CALL"); empty when
//! the statement does not start with a word.
std::string FirstSqlKeyword(std::string_view statement);

} // namespace olap::providers
