// Chart data from hand-made pivot layouts: categories from row tuples (captions joined, totals
// left out), series from column tuples, gaps for empty cells, the pivot's formatted texts.
#include "control/chart/ChartData.h"

#include "control/pivot/model/PivotLayout.h"

#include <gtest/gtest.h>

using olap::CellSet;
using pivot::PivotDefinition;

namespace {

CellSet::Member M(const std::string& uniqueName, const std::string& caption, const std::string& level,
    std::size_t children = 0, const std::string& parent = {})
{
    CellSet::Member m;
    m.uniqueName = uniqueName;
    m.caption = caption;
    m.levelUniqueName = level;
    m.childCount = children;
    m.parentUniqueName = parent;
    return m;
}

CellSet::Member Category(const std::string& name)
{
    return M("[Product].[" + name + "]", name, "[Product].[Category]", 2);
}
CellSet::Member Sub(const std::string& parent, const std::string& name)
{
    return M(
        "[Product].[" + parent + "].[" + name + "]", name, "[Product].[Subcategory]", 0, "[Product].[" + parent + "]");
}
CellSet::Member Measure(const std::string& name)
{
    return M("[Measures].[" + name + "]", name, "[Measures].[MeasuresLevel]");
}
CellSet::Member Total()
{
    return M("[Product].[Pivot Total]", "Pivot Total", "[Product].[Category]");
}

//! Product (Category, Subcategory) on rows with subtotals, two totals on columns.
PivotDefinition ProductByMeasures()
{
    PivotDefinition d;
    d.dataMember = "Sales";
    pivot::PivotFieldSet product;
    product.uniqueName = "[Product]";
    product.fields
        = {{"[Product].[Category]", "Category", true, false}, {"[Product].[Subcategory]", "Sub", true, false}};
    product.subtotals = true;
    d.rowAxis.push_back(product);
    d.totals = {{"[Measures].[Units]", "", "", "", true}, {"[Measures].[Sales]", "Revenue", "", "", true}};
    return d;
}

//! Drink expanded into Juice and Beer, Food collapsed, the grand total; cell (row r, column
//! c) holds 10 * (r + 1) + c, formatted "v<r><c>"; Beer's revenue is empty.
CellSet ProductResult()
{
    CellSet result;
    result.axes.resize(2);
    result.axes[0].positions = {{Measure("Units")}, {Measure("Sales")}};
    result.axes[1].positions
        = {{Category("Drink")}, {Sub("Drink", "Juice")}, {Sub("Drink", "Beer")}, {Category("Food")}, {Total()}};
    for (int r = 0; r < 5; ++r) {
        for (int c = 0; c < 2; ++c) {
            CellSet::Cell cell;
            if (!(r == 2 && c == 1)) {
                cell.value = 10.0 * (r + 1) + c;
                cell.formatted = "v" + std::to_string(r) + std::to_string(c);
            }
            result.cells.push_back(cell);
        }
    }
    return result;
}

} // namespace

TEST(ChartData, RowTuplesBecomeCategoriesWithoutTotals)
{
    const pivot::PivotLayout layout(ProductByMeasures(), ProductResult());
    const chart::ChartData data = chart::ChartData::FromLayout(layout);
    EXPECT_EQ(data.Categories(), (std::vector<std::string> {"Drink - Juice", "Drink - Beer", "Food"}));
    EXPECT_EQ(data.CategoryAxisCaption(), "Category - Sub");
}

TEST(ChartData, ColumnTuplesBecomeSeriesWithGapsAndFormattedTexts)
{
    const pivot::PivotLayout layout(ProductByMeasures(), ProductResult());
    const chart::ChartData data = chart::ChartData::FromLayout(layout);
    ASSERT_EQ(data.Series().size(), 2u);
    const chart::ChartSeries& units = data.Series()[0];
    const chart::ChartSeries& revenue = data.Series()[1];
    EXPECT_EQ(units.name, "Units");
    EXPECT_EQ(revenue.name, "Revenue"); // the total's own caption
    EXPECT_EQ(units.values, (std::vector<std::optional<double>> {20.0, 30.0, 40.0}));
    EXPECT_EQ(units.texts, (std::vector<std::string> {"v10", "v20", "v30"}));
    EXPECT_EQ(revenue.values, (std::vector<std::optional<double>> {21.0, std::nullopt, 41.0}));
    EXPECT_EQ(revenue.texts[1], "");
}

TEST(ChartData, AxisOfOnlyTotalsKeepsItsLine)
{
    // Nothing on rows: the one row is the grand total and must stay as the only category.
    PivotDefinition d = ProductByMeasures();
    d.rowAxis.clear();
    CellSet result;
    result.axes.resize(1);
    result.axes[0].positions = {{Measure("Units")}, {Measure("Sales")}};
    for (int c = 0; c < 2; ++c) {
        CellSet::Cell cell;
        cell.value = 5.0 + c;
        cell.formatted = std::to_string(5 + c);
        result.cells.push_back(cell);
    }
    const chart::ChartData data = chart::ChartData::FromLayout(pivot::PivotLayout(d, result));
    ASSERT_EQ(data.Categories().size(), 1u);
    ASSERT_EQ(data.Series().size(), 2u);
    EXPECT_EQ(data.Series()[1].values[0], 6.0);
}

TEST(ChartData, EmptyLayoutGivesNoData)
{
    EXPECT_TRUE(chart::ChartData::FromLayout(pivot::PivotLayout()).IsEmpty());
}

TEST(ChartData, HandMadeSeriesArePaddedToTheCategories)
{
    const chart::ChartData data({"a", "b", "c"}, {{"s", {1.0}, {"1"}}});
    EXPECT_EQ(data.Series()[0].values.size(), 3u);
    EXPECT_FALSE(data.Series()[0].values[2].has_value());
}
