#pragma once

#include "control/chart/ChartAxisFont.h"
#include "control/chart/ChartSort.h"
#include "control/chart/ChartType.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace chart {

//! The look of a chart as plain data: what its definition text holds (ChartXml). A
//! default-constructed definition is the state a new chart starts with.
struct ChartDefinition {
    static constexpr int kPaletteSize = 40;
    //! The palette of a new chart, "#RRGGBB" each.
    static std::array<std::string, kPaletteSize> DefaultPalette();

    std::optional<std::string> owcVersion = std::string("12.0.0.6211") + std::string(9, ' ');
    int width = 13361;
    int height = 6800;
    std::array<std::string, kPaletteSize> palette = DefaultPalette();
    std::string defaultFont = "Arial";
    //! Whether the stored palette was written by a user rather than being the default: the
    //! default one is not readable for colour-blind users, so the drawing uses its own
    //! series colours unless the palette differs from the default.
    bool HasCustomPalette() const { return palette != DefaultPalette(); }
    //! The point size of the chart's text (title, legend, axes); 0 keeps the program's.
    double fontSize = 0;
    std::string title;
    ChartType type = ChartType::ColumnClustered;
    bool hasLegend = false;
    //! The order of the categories (the sort commands).
    ChartSort sort = ChartSort::None;
    //! Axis fonts set by the font command; at most one per axis.
    std::vector<ChartAxisFont> axisFonts;
    //! Elements of the chart space this version does not know, as XML text, written back.
    std::vector<std::string> unknownElements;

    bool operator==(const ChartDefinition&) const = default;
};

} // namespace chart
