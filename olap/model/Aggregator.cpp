#include "olap/model/Aggregator.h"

#include "olap/util/NameUtil.h"

namespace olap {

std::optional<Aggregator> ParseAggregator(std::string_view text)
{
    struct Entry {
        std::string_view name;
        Aggregator agg;
    };
    static constexpr Entry kEntries[] = {{"sum", Aggregator::Sum}, {"count", Aggregator::Count},
        {"min", Aggregator::Min}, {"max", Aggregator::Max}, {"avg", Aggregator::Avg},
        {"distinct-count", Aggregator::DistinctCount}, {"distinct count", Aggregator::DistinctCount}};
    for (const auto& entry : kEntries) {
        if (EqualsNoCase(entry.name, text))
            return entry.agg;
    }
    return std::nullopt;
}

std::string_view AggregatorName(Aggregator agg)
{
    switch (agg) {
    case Aggregator::Sum:
        return "sum";
    case Aggregator::Count:
        return "count";
    case Aggregator::Min:
        return "min";
    case Aggregator::Max:
        return "max";
    case Aggregator::Avg:
        return "avg";
    case Aggregator::DistinctCount:
        return "distinct-count";
    }
    return "sum";
}

} // namespace olap
