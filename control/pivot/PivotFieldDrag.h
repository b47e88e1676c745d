#pragma once

#include "control/pivot/model/AxisKind.h"

#include <optional>
#include <string>

namespace pivot {

//! What is being dragged between the field list, the area bars and the grid: a cube field
//! from the field list (a hierarchy, one of its levels, a measure), or a chip already on an
//! area (a field set, a shown total, or the Σ Values chip).
struct PivotFieldDrag {
    enum class Kind {
        Hierarchy,
        Level,
        Measure,
        FieldSet,
        Total,
        Values //!< the "Σ Values" chip: where the totals lie among the row or column field sets
    };
    //! The name the Σ Values chip carries (no unique name looks like it).
    static constexpr const char* kValuesName = "#Values";

    Kind kind = Kind::Hierarchy;
    //! The hierarchy's, level's, measure's or field set's unique name, or the total's name.
    std::string uniqueName;
    std::string caption;
    //! The area a chip comes from; empty for a field from the field list.
    std::optional<AxisKind> sourceArea;

    //! Whether the drag carries a value of the data area (only the data area takes these).
    bool IsMeasure() const { return kind == Kind::Measure || kind == Kind::Total; }
    //! Whether it is a chip taken off an area (dropping it outside every area removes it).
    bool IsChip() const { return sourceArea.has_value(); }
};

} // namespace pivot
