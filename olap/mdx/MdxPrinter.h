#pragma once

#include "olap/mdx/Expr.h"
#include "olap/mdx/Statement.h"

#include <string>

namespace olap::mdx {

//! Canonical MDX text of a statement, on one line: keywords in upper case, axes named
//! COLUMNS, ROWS, PAGES, SECTIONS, CHAPTERS or AXIS(n), calculated definitions unquoted,
//! strings in double quotes, numbers in their shortest exact form, parentheses only where
//! precedence needs them. Parsing the text gives a structurally equal tree.
std::string ToMdx(const Statement& statement);
std::string ToMdx(const SelectStatement& select);
std::string ToMdx(const Expr& expr);

//! The tree of an expression as a fully parenthesised prefix form, for tests and debugging:
//! `(+ 1 (* 2 3))`, `(call Filter (prop Members [Store]) (> [Measures].[Unit Sales] 1000))`.
std::string ToSExpression(const Expr& expr);

} // namespace olap::mdx
