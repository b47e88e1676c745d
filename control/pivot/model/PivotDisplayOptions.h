#pragma once

#include <optional>
#include <string>

namespace pivot {

//! The component settings a definition carries besides the view: version stamp, toolbar and
//! tip switches, sizes and the cube provider. Each is kept as stored, a missing one as
//! missing, so a definition read and written again keeps exactly what it had. A
//! default-constructed value holds the settings of a new, empty pivot table.
struct PivotDisplayOptions {
    //! The version stamp exactly as stored (a new table pads it with spaces).
    std::optional<std::string> owcVersion = std::string("12.0.0.6211") + std::string(9, ' ');
    bool noDisplayToolbar = true;
    bool displayScreenTips = true;
    bool noAutoFit = true;
    std::optional<int> maxHeight = 700;
    std::optional<int> maxWidth = 500;
    std::optional<int> height = 384;
    std::optional<int> width = 541;
    std::optional<std::string> cubeProvider = std::string("msolap.2");
    bool cacheDetails = true;

    //! Settings with nothing stored (what a definition without them reads as).
    static PivotDisplayOptions None()
    {
        PivotDisplayOptions none;
        none.owcVersion.reset();
        none.noDisplayToolbar = false;
        none.displayScreenTips = false;
        none.noAutoFit = false;
        none.maxHeight.reset();
        none.maxWidth.reset();
        none.height.reset();
        none.width.reset();
        none.cubeProvider.reset();
        none.cacheDetails = false;
        return none;
    }

    bool operator==(const PivotDisplayOptions&) const = default;
};

} // namespace pivot
