#pragma once

#include "olap/query/CellSetMember.h"
#include "olap/query/PositionTable.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace olap {

//! The answer to an MDX SELECT as plain data, independent of where it was computed (a
//! local cube or, later, a remote server): the axes with their positions (one member per
//! hierarchy of the axis), the slicer, and the cells. Cell ordinals run with axis 0
//! fastest: ordinal = c0 + n0 * (c1 + n1 * (c2 + ...)).
struct CellSet {
    using Member = CellSetMember;

    struct Axis {
        int ordinal = 0;
        //! Unique names of the axis' hierarchies, in tuple order.
        std::vector<std::string> hierarchies;
        //! One tuple per position.
        PositionTable positions;
        //! The DIMENSION PROPERTIES the query asked for on this axis, as written.
        std::vector<std::string> properties;
    };

    struct Cell {
        //! The numeric value; nullopt for an empty cell or a text value.
        std::optional<double> value;
        //! A text value (from a calculated member that yields a string).
        std::optional<std::string> text;
        //! The value formatted by the format string in effect ("" for an empty cell).
        std::string formatted;

        bool IsEmpty() const { return !value && !text; }
    };

    //! The properties of a cell beyond its value, filled when CELL PROPERTIES asks for them:
    //! the format string in effect, and the colours the calculated member computing the cell
    //! sets (FORE_COLOR, BACK_COLOR). Kept apart from Cell so an answer without the clause
    //! does not carry them for every cell.
    struct CellFormat {
        std::string formatString;
        std::optional<double> foreColor;
        std::optional<double> backColor;
    };

    std::string cubeName;
    std::vector<Axis> axes;
    //! The slicer: one position holding the WHERE tuple's members (empty without WHERE).
    Axis slicer;
    std::vector<Cell> cells;
    //! One per cell, in the order of cells, when CELL PROPERTIES asks for FORMAT_STRING,
    //! FORE_COLOR or BACK_COLOR; empty otherwise.
    std::vector<CellFormat> cellFormats;
    //! The CELL PROPERTIES the query asked for, in upper case (empty without the clause).
    std::vector<std::string> cellProperties;

    //! Ordinal of the cell at COORDINATES (one position index per axis).
    std::size_t CellOrdinal(std::span<const std::size_t> coordinates) const
    {
        std::size_t ordinal = 0;
        std::size_t stride = 1;
        for (std::size_t a = 0; a < axes.size(); ++a) {
            ordinal += coordinates[a] * stride;
            stride *= axes[a].positions.size();
        }
        return ordinal;
    }
};

} // namespace olap
