#pragma once

#include "control/pivot/model/PivotConditionFilter.h"
#include "control/pivot/model/PivotField.h"
#include "control/pivot/model/PivotMemberFilter.h"
#include "control/pivot/model/PivotSort.h"
#include "control/pivot/model/PivotTextStyle.h"
#include "control/pivot/model/PivotTopFilter.h"

#include <string>
#include <vector>

namespace pivot {

//! A hierarchy placed on an axis, with its levels (fields), the members the user expanded,
//! its member filter, sort and subtotal switch. Expansion is kept by member unique name, so
//! it survives re-querying, sorting and moving the field set to another axis.
struct PivotFieldSet {
    //! The hierarchy's unique name, e.g. "[Product]".
    std::string uniqueName;
    std::string caption;
    //! The hierarchy's levels from the top, the ones not shown marked not included.
    std::vector<PivotField> fields;
    //! Members shown with their children (drill by member), by unique name.
    std::vector<std::string> expandedMembers;
    //! Members of a fully expanded field (PivotField::isExpanded) the user collapsed again.
    std::vector<std::string> collapsedMembers;
    PivotMemberFilter filter;
    PivotSort sort;
    //! Keeps only the top or bottom N members of the first shown field.
    PivotTopFilter top;
    //! Keeps only the members of the first shown field whose caption or total meets a
    //! condition (label and value filters).
    PivotConditionFilter condition;
    //! Whether each member of this field set gets a total row (column) over the field sets
    //! inside it and over its own children.
    bool subtotals = true;
    //! The look of the field set's member captions.
    PivotTextStyle style {};

    //! Index into FIELDS of the included field whose level is LEVELUNIQUENAME, or -1.
    int FieldIndex(const std::string& levelUniqueName) const;
    //! The included fields, in order.
    std::vector<const PivotField*> IncludedFields() const;
    bool IsExpanded(const std::string& memberUniqueName) const;
    //! Expands or collapses MEMBER (drill by member). Collapsing also lifts a level drill
    //! for that one member.
    void SetExpanded(const std::string& memberUniqueName, bool expanded);

    bool operator==(const PivotFieldSet&) const = default;
};

} // namespace pivot
