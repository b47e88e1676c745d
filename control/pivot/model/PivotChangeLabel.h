#pragma once

#include <string>

namespace pivot {

struct PivotDefinition;

//! Names the change between two definitions of a view the way the user made it ("Move
//! Product to Columns", "Filter Store", "Expand Canada"), for the undo and redo commands.
//! Every edit of the view goes through one place that knows only the definitions before and
//! after, so the label is read off their difference: field sets and totals added, removed
//! and moved first, then what changed on one of them (filter, sort, subtotals, levels,
//! expansion, format), then the view's own switches. A difference it cannot name is
//! "Change Layout".
class PivotChangeLabel {
public:
    static std::string Describe(const PivotDefinition& before, const PivotDefinition& after);
};

} // namespace pivot
