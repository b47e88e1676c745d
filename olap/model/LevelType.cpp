#include "olap/model/LevelType.h"

#include "olap/util/NameUtil.h"

namespace olap {

namespace {

struct Entry {
    std::string_view name;
    LevelType type;
};

constexpr Entry kEntries[] = {{"Regular", LevelType::Regular}, {"All", LevelType::All},
    {"TimeYears", LevelType::TimeYears}, {"TimeHalfYears", LevelType::TimeHalfYears},
    {"TimeQuarters", LevelType::TimeQuarters}, {"TimeMonths", LevelType::TimeMonths},
    {"TimeWeeks", LevelType::TimeWeeks}, {"TimeDays", LevelType::TimeDays}, {"Measures", LevelType::Measures}};

} // namespace

std::optional<LevelType> ParseLevelType(std::string_view text)
{
    for (const auto& entry : kEntries) {
        if (EqualsNoCase(entry.name, text))
            return entry.type;
    }
    return std::nullopt;
}

std::string_view LevelTypeName(LevelType type)
{
    for (const auto& entry : kEntries) {
        if (entry.type == type)
            return entry.name;
    }
    return "Regular";
}

bool IsTimeLevelType(LevelType type)
{
    return type >= LevelType::TimeYears && type <= LevelType::TimeDays;
}

} // namespace olap
