#pragma once

#include "olap/mdx/Expr.h"
#include "olap/mdx/Statement.h"

namespace olap::mdx {

//! True when two trees have the same shape and the same names, numbers and texts (names
//! compared exactly, case included). Source positions and heights are ignored. Two null
//! expressions are equal; a null and a non-null one are not.
bool StructurallyEqual(const Expr* a, const Expr* b);
bool StructurallyEqual(const SelectStatement& a, const SelectStatement& b);
bool StructurallyEqual(const Statement& a, const Statement& b);

} // namespace olap::mdx
