#pragma once

#include "olap/mdx/Expr.h"
#include "olap/mdx/ParseResult.h"
#include "olap/mdx/Statement.h"

#include <optional>
#include <string_view>
#include <vector>

namespace olap::mdx {

//! Deepest nesting of expressions (parentheses, sets, calls, operators) and subselects the
//! parser accepts; deeper input gets a syntax error instead of exhausting the stack.
inline constexpr int kMaxNestingDepth = 200;

//! Parses one SELECT or DRILLTHROUGH statement, optionally ended by ';'.
//! Never throws for bad input: a syntax error comes back in the result with its position.
//! In debug builds (NDEBUG not defined) every parsed statement is also printed, reparsed
//! and compared (CheckRoundTrip); a difference is returned as an Internal error.
ParseResult<Statement> ParseStatement(std::string_view text);

//! Parses statements separated by ';' (empty statements are skipped). Fails on the first
//! statement in error; the error's position is within the whole text.
ParseResult<std::vector<Statement>> ParseScript(std::string_view text);

//! Parses a lone MDX expression, such as the text of a calculated member.
ParseResult<Expr> ParseExpression(std::string_view text);

//! Prints `statement` as canonical MDX, parses that text again and compares the two trees.
//! Returns an Internal error when the text does not parse or parses to a different tree.
std::optional<ParseError> CheckRoundTrip(const Statement& statement);

} // namespace olap::mdx
