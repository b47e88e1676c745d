#pragma once

#include "control/pivot/model/PivotDefinition.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace olap {
struct SchemaRowset;
}

namespace pivot {

//! Turns an MDX statement back into a pivot definition when the statement has the shape
//! PivotMdxBuilder writes, so a query the pivot wrote (saved, mailed, pasted back) opens as
//! an editable view instead of a read-only result.
//!
//! The statement is read structurally (field set member sets, drills, filters, sorts, top
//! filters, totals, slicer); flags the text cannot show directly (subtotals, grand totals)
//! are tried, and a candidate counts only when PivotMdxBuilder::Build gives the same
//! statement back (up to white space and keyword case). So a definition returned always asks
//! exactly the query it was read from.
class PivotMdxReader {
public:
    //! The field set (hierarchy unique name, caption and every level as a field, all
    //! included) that holds the hierarchy or level NAME, or nothing when the cube has none.
    using FieldSetLookup = std::function<std::optional<PivotFieldSet>(const std::string& name)>;

    //! The definition whose query is MDX, or nothing when MDX is not a statement of the
    //! pivot's shape (or names a hierarchy LOOKUP does not know). CONNECTIONSTRING goes into
    //! the definition as it is; the cube is the statement's. Never throws.
    static std::optional<PivotDefinition> Read(
        const std::string& mdx, const FieldSetLookup& lookup, const std::string& connectionString = {});

    //! The field sets of a cube from its hierarchies and levels schema rowsets (All levels
    //! left out, hierarchies without another level too).
    static std::vector<PivotFieldSet> CubeFieldSets(
        const olap::SchemaRowset& hierarchies, const olap::SchemaRowset& levels);
    //! A lookup over FIELDSETS: the one whose hierarchy or one of whose levels is NAME.
    static FieldSetLookup LookupIn(std::vector<PivotFieldSet> fieldSets);
};

} // namespace pivot
