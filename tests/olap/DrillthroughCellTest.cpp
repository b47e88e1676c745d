// DRILLTHROUGH returns exactly the fact rows behind a cell: over every cell of the tiny cube
// (each hierarchy left out or at any of its members, some members on an axis and the rest in
// the slicer), the stored measures aggregated over the drill-through rows equal the cell.
#include "OlapTestSupport.h"

#include "olap/model/Dimension.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Level.h"
#include "olap/model/Measure.h"
#include "olap/model/Member.h"
#include "olap/query/MdxEvaluator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <set>

namespace {

// The value a measure's aggregator gives over the drill-through column TEXTS ("" for NULL).
std::optional<double> AggregateColumn(olap::Aggregator aggregator, const std::vector<std::string>& texts)
{
    std::vector<double> numbers;
    std::set<std::string> distinct;
    for (const std::string& t : texts) {
        if (t.empty())
            continue;
        numbers.push_back(std::stod(t));
        distinct.insert(t);
    }
    if (numbers.empty())
        return std::nullopt;
    double sum = 0;
    for (double v : numbers)
        sum += v;
    switch (aggregator) {
    case olap::Aggregator::Sum:
        return sum;
    case olap::Aggregator::Count:
        return static_cast<double>(numbers.size());
    case olap::Aggregator::Min:
        return *std::min_element(numbers.begin(), numbers.end());
    case olap::Aggregator::Max:
        return *std::max_element(numbers.begin(), numbers.end());
    case olap::Aggregator::Avg:
        return sum / static_cast<double>(numbers.size());
    case olap::Aggregator::DistinctCount:
        return static_cast<double>(distinct.size());
    }
    return std::nullopt;
}

std::string Joined(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& n : names)
        text += (text.empty() ? "" : ", ") + n;
    return text;
}

class DrillthroughCell : public ::testing::TestWithParam<const char*> { };

TEST_P(DrillthroughCell, RowsAddUpToTheCell)
{
    olaptest::TempDir dir;
    auto cube = olaptest::BuildTinyCube(dir, GetParam());
    std::vector<std::string> measureNames;
    for (const olap::Measure* m : cube->Measures())
        measureNames.push_back(m->UniqueName());
    // Per hierarchy: "" (not named, so its default member holds) or one of its members.
    std::vector<std::vector<std::string>> choices;
    for (const olap::Hierarchy* h : cube->FactHierarchies()) {
        std::vector<std::string> names {""};
        for (const olap::Level* l : h->Levels()) {
            for (const olap::Member* m : l->Members())
                names.push_back(m->UniqueName());
        }
        choices.push_back(std::move(names));
    }
    std::vector<std::size_t> pick(choices.size(), 0);
    int cellsWithRows = 0;
    int checked = 0;
    for (bool done = false; !done; ++checked) {
        std::vector<std::string> named;
        for (std::size_t i = 0; i < choices.size(); ++i) {
            if (!choices[i][pick[i]].empty())
                named.push_back(choices[i][pick[i]]);
        }
        const std::string where = named.empty() ? "" : " WHERE (" + Joined(named) + ")";
        const auto cell
            = olap::MdxEvaluator::Execute(*cube, "SELECT {" + Joined(measureNames) + "} ON 0 FROM [Shop]" + where);
        // Every other cell puts its first member on an axis instead of the slicer.
        std::string drill = "DRILLTHROUGH SELECT FROM [Shop]" + where;
        if (checked % 2 == 1 && !named.empty()) {
            std::vector<std::string> rest(named.begin() + 1, named.end());
            drill = "DRILLTHROUGH SELECT {" + named[0] + "} ON 0 FROM [Shop]"
                + (rest.empty() ? "" : " WHERE (" + Joined(rest) + ")");
        }
        const auto rows = olap::MdxEvaluator::Execute(*cube, drill).drillthrough;
        ASSERT_EQ(cell.cellSet.cells.size(), measureNames.size());
        const std::size_t firstMeasure = rows.columns.size() - measureNames.size();
        cellsWithRows += rows.rows.empty() ? 0 : 1;
        for (std::size_t m = 0; m < measureNames.size(); ++m) {
            std::vector<std::string> texts;
            for (const auto& row : rows.rows)
                texts.push_back(row[firstMeasure + m]);
            const std::optional<double> expected = cell.cellSet.cells[m].value;
            const std::optional<double> actual = AggregateColumn(cube->Measures()[m]->GetAggregator(), texts);
            ASSERT_EQ(expected.has_value(), actual.has_value()) << drill << " " << measureNames[m];
            if (expected) {
                ASSERT_NEAR(*expected, *actual, 1e-9) << drill << " " << measureNames[m];
            }
        }
        done = true;
        for (std::size_t i = 0; i < pick.size() && done; ++i) {
            if (++pick[i] < choices[i].size())
                done = false;
            else
                pick[i] = 0;
        }
    }
    EXPECT_GT(checked, 100);
    EXPECT_GT(cellsWithRows, 20);
}

INSTANTIATE_TEST_SUITE_P(Cubes, DrillthroughCell, ::testing::Values("tiny.xml", "tiny_noall.xml"),
    [](const ::testing::TestParamInfo<const char*>& info) {
        return std::string(info.param) == "tiny.xml" ? std::string("AllMembers") : std::string("NoAllMembers");
    });

} // namespace
