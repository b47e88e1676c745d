#pragma once

#include "control/chart/ChartDefinition.h"

#include <string>
#include <string_view>

namespace chart {

//! The chart definition text: root `xml` binding a prefix to the excel namespace, one
//! `x:ChartSpace` with `x:OWCVersion`, `x:Width`, `x:Height`, `x:Palette` (40 `x:Entry`),
//! `x:DefaultFont`, and when they differ from a new chart `x:FontSize`, `x:Title`,
//! `x:ChartType` (a type name), `x:HasLegend`, `x:Sort` (Ascending|Descending) and
//! `x:AxisFont` (`x:Axis` Category|Value, `x:Name`, `x:Size`).
//! Elements it does not know are kept and written back. Writing is canonical, so a text
//! this class wrote reads and writes back byte for byte.
class ChartXml {
public:
    static constexpr const char* kNamespace = "urn:schemas-microsoft-com:office:excel";

    //! Reads TEXT. Throws ChartError saying what is wrong and where (line, column).
    static ChartDefinition Read(std::string_view text);
    //! Writes DEFINITION (one-space indentation, no declaration).
    static std::string Write(const ChartDefinition& definition);
    //! The text of a new chart.
    static std::string DefaultText();
};

} // namespace chart
