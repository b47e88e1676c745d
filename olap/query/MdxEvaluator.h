#pragma once

#include "olap/mdx/Statement.h"
#include "olap/query/QueryOptions.h"
#include "olap/query/QueryResult.h"

#include <cstddef>
#include <string_view>

namespace olap {

class Cube;

//! Answers MDX statements over one cube.
//!
//! Names resolve against the cube (members by unique name or name path, `&[key]`
//! segments, levels, hierarchies, dimensions, measures), the query's WITH MEMBER / WITH SET
//! definitions and the cube's own calculated members and sets. Cells are computed through
//! the aggregation engine: the stored cells a grid needs are collected first and fetched
//! with one request per combination of levels, so a grid costs a few scans, not one per
//! cell. Empty cells stay empty (a count over no rows too); NON EMPTY drops positions whose
//! cells are all empty.
class MdxEvaluator {
public:
    //! The stack a thread that runs queries should have: the deepest query the evaluator
    //! accepts fits in it, sanitizer builds included. On a smaller stack a deep query fails
    //! with an error ("nests too deeply for the stack") instead of overflowing it.
    static constexpr std::size_t kStackBytes = std::size_t(8) << 20;

    //! Runs STATEMENT (SELECT or DRILLTHROUGH) against CUBE within OPTIONS' memory budget.
    //! Throws MdxError for a name or semantic error (with its position and offending text),
    //! QueryCancelled when OPTIONS' token is cancelled, and OlapError when the engine cannot
    //! answer (the memory budget exceeded included: the message names it).
    static QueryResult Execute(const Cube& cube, const mdx::Statement& statement, const QueryOptions& options = {});
    //! Parses TEXT (one statement) and runs it. A syntax error throws MdxError with the
    //! parser's message.
    static QueryResult Execute(const Cube& cube, std::string_view text, const QueryOptions& options = {});
};

} // namespace olap
