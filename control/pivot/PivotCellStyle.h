#pragma once

#include "control/pivot/model/PivotGridCell.h"

#include <QColor>
#include <QFont>
#include <QString>

namespace pivot {

struct PivotDefinition;
struct PivotTextStyle;
class PivotLayout;

//! The look the user gave the total or field set behind a grid cell: a value and its
//! total's caption take the total's, a member header (subtotals too) its field set's.
class PivotCellStyle {
public:
    //! The style behind CELL (a cell of LAYOUT, laid out from SHOWN), or null when it has
    //! none or only defaults.
    static const PivotTextStyle* For(
        const PivotDefinition& shown, const PivotLayout& layout, const PivotGridCell& cell);
    //! BASE with the style's font name, size, bold and italic put on it.
    static QFont Font(const QFont& base, const PivotTextStyle& style);
    //! Whether value CELL is one the source could not compute: a number that is not finite
    //! (a division by zero) or a text value such as "#N/A" or "#Error: ...". Such cells are
    //! drawn apart from empty cells (blank) and zeros, and say why in their tooltip.
    static bool IsError(const PivotGridCell& cell);
    //! Why CELL is an error ("" for a cell that is none).
    static QString ErrorText(const PivotGridCell& cell);
    //! The colour "#RRGGBB", or an invalid colour for an empty text.
    static QColor Color(const std::string& text);
};

} // namespace pivot
