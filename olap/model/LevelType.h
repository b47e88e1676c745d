#pragma once

#include <optional>
#include <string_view>

namespace olap {

//! The role of a level; the time types drive the MDX time functions.
enum class LevelType {
    Regular,
    All,
    TimeYears,
    TimeHalfYears,
    TimeQuarters,
    TimeMonths,
    TimeWeeks,
    TimeDays,
    Measures,
};

//! Parses a schema `levelType` ("Regular", "TimeYears", ...; case-insensitive).
std::optional<LevelType> ParseLevelType(std::string_view text);
//! The schema spelling of TYPE.
std::string_view LevelTypeName(LevelType type);
//! True for the Time* types.
bool IsTimeLevelType(LevelType type);

} // namespace olap
