#include "olap/exec/Drillthrough.h"

#include "olap/model/Cube.h"
#include "olap/model/Dimension.h"
#include "olap/model/FactTable.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Level.h"
#include "olap/model/Measure.h"
#include "olap/model/Member.h"
#include "olap/util/NameUtil.h"
#include "olap/util/OlapError.h"

#include <charconv>
#include <span>

namespace olap {

DrillthroughResult Drillthrough::Run(const Cube& cube, const std::vector<MemberSet>& filter,
    const std::vector<int>& measures, std::uint64_t maxRows, bool countAll)
{
    DrillthroughResult result;
    result.m_cube = &cube;
    for (const Hierarchy* h : cube.FactHierarchies()) {
        for (const Level* level : h->Levels()) {
            if (!level->IsAll())
                result.m_columns.push_back({level->Name(), level, -1});
        }
    }
    std::vector<int> chosen = measures;
    if (chosen.empty()) {
        for (std::size_t i = 0; i < cube.Measures().size(); ++i)
            chosen.push_back(static_cast<int>(i));
    }
    for (int m : chosen) {
        if (m < 0 || static_cast<std::size_t>(m) >= cube.Measures().size())
            throw OlapError("drill-through: no measure number " + std::to_string(m) + " in cube '" + cube.Name() + "'");
        result.m_columns.push_back({cube.Measures()[static_cast<std::size_t>(m)]->Name(), nullptr, m});
    }

    struct Filter {
        const KeyColumn* column;
        std::vector<std::uint8_t> allowed;
    };
    std::vector<Filter> filters;
    for (const MemberSet& set : filter) {
        const Hierarchy* h = set.hierarchy;
        if (!h || h->FactColumn() < 0 || static_cast<std::size_t>(h->FactColumn()) >= cube.FactHierarchies().size()
            || cube.FactHierarchies()[static_cast<std::size_t>(h->FactColumn())] != h)
            throw OlapError(
                "drill-through: a filter names a hierarchy that is not a dimension of cube '" + cube.Name() + "'");
        Filter f {&cube.Facts().keys[static_cast<std::size_t>(h->FactColumn())],
            std::vector<std::uint8_t>(h->LeafCount(), 0)};
        for (const Member* m : set.members) {
            if (!m || &m->GetHierarchy() != h)
                throw OlapError(
                    "drill-through: the filter of " + h->UniqueName() + " holds a member of another hierarchy");
            std::fill(f.allowed.begin() + m->LeafBegin(), f.allowed.begin() + m->LeafEnd(), std::uint8_t(1));
        }
        filters.push_back(std::move(f));
    }
    // Rows are tested a chunk at a time, one column after the other, so the
    // key type is resolved per chunk and not per row.
    const auto rows = static_cast<std::size_t>(cube.Facts().rowCount);
    constexpr std::size_t kChunk = 4096;
    std::vector<std::uint8_t> in(kChunk);
    for (std::size_t start = 0; start < rows; start += kChunk) {
        const std::size_t n = std::min(kChunk, rows - start);
        std::fill(in.begin(), in.begin() + static_cast<std::ptrdiff_t>(n), std::uint8_t(1));
        for (const Filter& f : filters) {
            std::visit(
                [&](const auto& keys) {
                    for (std::size_t i = 0; i < n; ++i)
                        in[i] &= f.allowed[keys[start + i]];
                },
                *f.column);
        }
        for (std::size_t i = 0; i < n; ++i) {
            if (!in[i])
                continue;
            if (result.m_rows.size() >= maxRows) {
                if (!countAll) {
                    result.m_complete = false;
                    return result;
                }
            } else {
                result.m_rows.push_back(start + i);
            }
            ++result.m_totalRows;
        }
    }
    return result;
}

const Member* DrillthroughResult::MemberAt(std::size_t row, std::size_t column) const
{
    const Column& c = m_columns.at(column);
    if (!c.level)
        return nullptr;
    const Hierarchy& h = c.level->GetHierarchy();
    const std::uint32_t leaf = KeyAt(m_cube->Facts().keys[static_cast<std::size_t>(h.FactColumn())], m_rows.at(row));
    return c.level->Members()[h.LeafToLevel(c.level->Depth())[leaf]];
}

std::optional<double> DrillthroughResult::ValueAt(std::size_t row, std::size_t column) const
{
    const Column& c = m_columns.at(column);
    if (c.level)
        return std::nullopt;
    const MeasureColumn& values = m_cube->Facts().measures[static_cast<std::size_t>(c.measure)];
    const std::uint64_t r = m_rows.at(row);
    if (values.IsNull(r))
        return std::nullopt;
    if (std::holds_alternative<std::monostate>(values.values))
        return 1.0;
    const double stored = values.ValueAt(r);
    if (m_cube->Measures()[static_cast<std::size_t>(c.measure)]->GetAggregator() == Aggregator::DistinctCount) {
        const auto id = static_cast<std::size_t>(stored);
        if (id >= values.dictionary.size())
            return std::nullopt;
        const std::string& text = values.dictionary[id];
        double number = 0;
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
        if (ec != std::errc() || end != text.data() + text.size())
            return std::nullopt;
        return number;
    }
    return stored;
}

std::string DrillthroughResult::TextAt(std::size_t row, std::size_t column) const
{
    const Column& c = m_columns.at(column);
    if (c.level)
        return MemberAt(row, column)->Name();
    const MeasureColumn& values = m_cube->Facts().measures[static_cast<std::size_t>(c.measure)];
    const std::uint64_t r = m_rows.at(row);
    if (!values.IsNull(r)
        && m_cube->Measures()[static_cast<std::size_t>(c.measure)]->GetAggregator() == Aggregator::DistinctCount) {
        const auto id = static_cast<std::size_t>(values.ValueAt(r));
        return id < values.dictionary.size() ? values.dictionary[id] : std::string();
    }
    auto value = ValueAt(row, column);
    return value ? FormatNumber(*value) : std::string();
}

std::vector<std::string> DrillthroughResult::ColumnTexts(std::size_t column) const
{
    const Column& c = m_columns.at(column);
    std::vector<std::string> texts;
    texts.reserve(m_rows.size());
    const FactTable& facts = m_cube->Facts();
    if (c.level) {
        const Hierarchy& h = c.level->GetHierarchy();
        const std::span<const std::uint32_t> toLevel = h.LeafToLevel(c.level->Depth());
        const auto& members = c.level->Members();
        std::visit(
            [&](const auto& keys) {
                for (const std::uint64_t r : m_rows)
                    texts.push_back(members[toLevel[keys[r]]]->Name());
            },
            facts.keys[static_cast<std::size_t>(h.FactColumn())]);
        return texts;
    }
    const MeasureColumn& values = facts.measures[static_cast<std::size_t>(c.measure)];
    const bool distinct
        = m_cube->Measures()[static_cast<std::size_t>(c.measure)]->GetAggregator() == Aggregator::DistinctCount;
    for (const std::uint64_t r : m_rows) {
        if (values.IsNull(r)) {
            texts.emplace_back();
        } else if (distinct) {
            const auto id = static_cast<std::size_t>(values.ValueAt(r));
            texts.push_back(id < values.dictionary.size() ? values.dictionary[id] : std::string());
        } else if (std::holds_alternative<std::monostate>(values.values)) {
            texts.push_back(FormatNumber(1.0));
        } else {
            texts.push_back(FormatNumber(values.ValueAt(r)));
        }
    }
    return texts;
}

} // namespace olap
