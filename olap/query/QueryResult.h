#pragma once

#include "olap/query/CellSet.h"
#include "olap/query/DrillthroughTable.h"

namespace olap {

//! The answer to one MDX statement: a cell set for SELECT, a table for DRILLTHROUGH.
struct QueryResult {
    enum class Kind { CellSet, Drillthrough };
    Kind kind = Kind::CellSet;
    CellSet cellSet;
    DrillthroughTable drillthrough;
};

} // namespace olap
