#include "control/chart/ChartDefinition.h"

namespace chart {

std::array<std::string, ChartDefinition::kPaletteSize> ChartDefinition::DefaultPalette()
{
    std::array<std::string, kPaletteSize> palette;
    for (int i = 0; i < 24; ++i)
        palette[static_cast<std::size_t>(i)] = "#000000";
    const char* const tail[] = {"#8080FF", "#802060", "#FFFFA0", "#A0E0E0", "#600080", "#FF8080", "#008080", "#C0C0FF",
        "#000080", "#FF00FF", "#80FFFF", "#0080FF", "#FF8080", "#C0FF80", "#FFC0FF", "#FF80FF"};
    for (int i = 0; i < 16; ++i)
        palette[std::size_t {24} + static_cast<std::size_t>(i)] = tail[i];
    return palette;
}

} // namespace chart
