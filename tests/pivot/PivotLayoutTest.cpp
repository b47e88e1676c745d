// Result layout over hand-made cell sets: header spans, subtotal and grand total lines,
// parents without subtotals, the corner captions, format overrides, and the text writers.
#include "control/pivot/model/PivotLayout.h"
#include "control/pivot/model/PivotError.h"
#include "control/pivot/model/PivotMdxBuilder.h"
#include "control/pivot/model/PivotTextWriter.h"

#include <gtest/gtest.h>

using olap::CellSet;
using pivot::PivotDefinition;
using pivot::PivotLayout;

namespace {

const std::string kTotal = "[Product].[Pivot Total]";

CellSet::Member M(
    const std::string& uniqueName, const std::string& caption, const std::string& level, std::size_t children = 0)
{
    CellSet::Member m;
    m.uniqueName = uniqueName;
    m.caption = caption;
    m.levelUniqueName = level;
    m.childCount = children;
    return m;
}

CellSet::Member Category(const std::string& name)
{
    return M("[Product].[" + name + "]", name, "[Product].[Category]", 2);
}
CellSet::Member Sub(const std::string& parent, const std::string& name)
{
    return M("[Product].[" + parent + "].[" + name + "]", name, "[Product].[Subcategory]");
}
CellSet::Member Measure(const std::string& name)
{
    return M("[Measures].[" + name + "]", name, "[Measures].[MeasuresLevel]");
}
CellSet::Member Total()
{
    return M(kTotal, "Pivot Total", "[Product].[Category]");
}

//! Product (Category, Subcategory) on rows, measures on columns.
PivotDefinition ProductByMeasures(bool subtotals)
{
    PivotDefinition d;
    d.dataMember = "Sales";
    pivot::PivotFieldSet product;
    product.uniqueName = "[Product]";
    product.fields
        = {{"[Product].[Category]", "Category", true, false}, {"[Product].[Subcategory]", "Sub", true, false}};
    product.subtotals = subtotals;
    d.rowAxis.push_back(product);
    d.totals = {{"[Measures].[Units]", "", "", "", true}, {"[Measures].[Sales]", "Revenue", "", "0.0", true}};
    return d;
}

CellSet ProductResult()
{
    CellSet result;
    result.axes.resize(2);
    result.axes[0].positions = {{Measure("Units")}, {Measure("Sales")}};
    // Drink expanded into Juice and Beer, Food collapsed, then the grand total.
    result.axes[1].positions
        = {{Category("Drink")}, {Sub("Drink", "Juice")}, {Sub("Drink", "Beer")}, {Category("Food")}, {Total()}};
    for (int r = 0; r < 5; ++r) {
        for (int c = 0; c < 2; ++c) {
            CellSet::Cell cell;
            cell.value = (r + 1) * 10 + c + 0.25;
            cell.formatted = "v" + std::to_string(r) + std::to_string(c);
            result.cells.push_back(cell);
        }
    }
    return result;
}

} // namespace

TEST(PivotLayout, RowHeadersMergeParentsAndMarkTotals)
{
    const PivotLayout layout(ProductByMeasures(true), ProductResult());
    EXPECT_EQ(layout.HeaderRows(), 1);
    EXPECT_EQ(layout.HeaderColumns(), 2);
    EXPECT_EQ(layout.RowCount(), 6);
    EXPECT_EQ(layout.ColumnCount(), 4);
    EXPECT_EQ(pivot::PivotTextWriter::Csv(layout),
        "Category,Sub,Units,Revenue\r\n"
        "Drink,Total,v00,11.3\r\n"
        "Drink,Juice,v10,21.3\r\n"
        "Drink,Beer,v20,31.3\r\n"
        "Food,Food,v30,41.3\r\n"
        "Grand Total,Grand Total,v40,51.3\r\n");

    // Drink spans its own (subtotal) line and its two children; Food spans both bands.
    const pivot::PivotGridCell drink = layout.Cell(3, 0);
    EXPECT_EQ(drink.text, "Drink");
    EXPECT_EQ(drink.anchorRow, 1);
    EXPECT_EQ(drink.rowSpan, 3);
    EXPECT_EQ(drink.columnSpan, 1);
    ASSERT_NE(drink.header, nullptr);
    EXPECT_TRUE(drink.header->isExpanded);
    EXPECT_TRUE(drink.header->hasChildren);
    const pivot::PivotGridCell food = layout.Cell(4, 1);
    EXPECT_EQ(food.anchorColumn, 0);
    EXPECT_EQ(food.columnSpan, 2);
    EXPECT_FALSE(food.header->isExpanded);
    EXPECT_TRUE(food.header->hasChildren);

    EXPECT_TRUE(layout.Cell(1, 1).isTotal);
    EXPECT_TRUE(layout.Cell(1, 2).isTotal);
    EXPECT_FALSE(layout.Cell(2, 2).isTotal);
    EXPECT_TRUE(layout.Cell(5, 3).isGrandTotal);
    EXPECT_EQ(layout.Cell(5, 0).columnSpan, 2);
    EXPECT_EQ(layout.Cell(2, 3).value, 21.25);
}

TEST(PivotLayout, ParentLineDropsWhenTheFieldSetShowsNoSubtotals)
{
    const PivotLayout layout(ProductByMeasures(false), ProductResult());
    EXPECT_EQ(pivot::PivotTextWriter::Csv(layout),
        "Category,Sub,Units,Revenue\r\n"
        "Drink,Juice,v10,21.3\r\n"
        "Drink,Beer,v20,31.3\r\n"
        "Food,Food,v30,41.3\r\n"
        "Grand Total,Grand Total,v40,51.3\r\n");
    EXPECT_EQ(layout.Cell(1, 0).rowSpan, 2);
    EXPECT_EQ(layout.Rows().SourcePosition(0), 1);

    // Value coordinates skip the dropped parent line: the first value row is Juice.
    const auto tuple = layout.ValueTuple(0, 1);
    ASSERT_EQ(tuple.size(), 2u);
    EXPECT_EQ(tuple[0].uniqueName, "[Product].[Drink].[Juice]");
    EXPECT_EQ(tuple[1].uniqueName, "[Measures].[Sales]");
}

TEST(PivotLayout, HtmlKeepsMergedHeadersAndEscapes)
{
    PivotDefinition d = ProductByMeasures(true);
    d.titleCaption = "A & <B>";
    const PivotLayout layout(d, ProductResult());
    const std::string html = pivot::PivotTextWriter::Html(layout);
    EXPECT_NE(html.find("<caption>A &amp; &lt;B&gt;</caption>"), std::string::npos);
    EXPECT_NE(html.find("<tr><th rowspan=\"3\">Drink</th><th class=\"total\"><b>Total</b></th>"), std::string::npos);
    EXPECT_NE(html.find("<th colspan=\"2\">Food</th>"), std::string::npos);
    EXPECT_NE(html.find("<th colspan=\"2\" class=\"total\"><b>Grand Total</b></th>"), std::string::npos);
}

TEST(PivotLayout, TabSeparatedTextCarriesRawNumbers)
{
    const PivotLayout layout(ProductByMeasures(true), ProductResult());
    const std::string text = pivot::PivotTextWriter::TabSeparated(layout);
    EXPECT_EQ(text.substr(0, text.find("\r\n", text.find("\r\n") + 2)),
        "Category\tSub\tUnits\tRevenue\r\nDrink\tTotal\t10.25\t11.25");
}

TEST(PivotLayout, CrossedFieldSetsNestColumnHeaders)
{
    PivotDefinition d;
    d.dataMember = "Sales";
    pivot::PivotFieldSet year;
    year.uniqueName = "[Time]";
    year.fields = {{"[Time].[Year]", "Year", true, false}};
    pivot::PivotFieldSet gender;
    gender.uniqueName = "[Customer]";
    gender.fields = {{"[Customer].[Gender]", "Gender", true, false}};
    d.columnAxis = {year, gender};
    CellSet result;
    result.axes.resize(1);
    auto y = [](const char* n) { return M(std::string("[Time].[") + n + "]", n, "[Time].[Year]"); };
    auto g = [](const char* n) { return M(std::string("[Customer].[") + n + "]", n, "[Customer].[Gender]"); };
    const auto yt = M("[Time].[Pivot Total]", "", "[Time].[Year]");
    const auto gt = M("[Customer].[Pivot Total]", "", "[Customer].[Gender]");
    result.axes[0].positions
        = {{y("2023"), gt}, {y("2023"), g("F")}, {y("2023"), g("M")}, {y("2024"), gt}, {y("2024"), g("F")}, {yt, gt}};
    result.cells.resize(6);
    const PivotLayout layout(d, std::move(result));
    EXPECT_EQ(layout.HeaderRows(), 2);
    EXPECT_EQ(layout.HeaderColumns(), 0);
    EXPECT_EQ(pivot::PivotTextWriter::Csv(layout),
        "2023,2023,2023,2024,2024,Grand Total\r\n"
        "Total,F,M,Total,F,Grand Total\r\n"
        ",,,,,\r\n");
    EXPECT_EQ(layout.Cell(0, 1).columnSpan, 3);
    EXPECT_EQ(layout.Cell(1, 5).anchorRow, 0);
    EXPECT_EQ(layout.Cell(1, 5).rowSpan, 2);
    EXPECT_TRUE(layout.Cell(1, 3).isTotal);
    EXPECT_FALSE(layout.Cell(1, 4).isTotal);
}

TEST(PivotLayout, ResultThatDoesNotMatchTheViewIsRefused)
{
    CellSet result = ProductResult();
    // The third row position gets a member more than the others.
    olap::PositionTable uneven;
    for (std::size_t i = 0; i < result.axes[1].positions.size(); ++i) {
        std::vector<CellSet::Member> position = result.axes[1].positions[i].ToVector();
        if (i == 2)
            position.push_back(Measure("Units"));
        uneven.push_back(position);
    }
    result.axes[1].positions = std::move(uneven);
    EXPECT_THROW(PivotLayout(ProductByMeasures(true), result), pivot::PivotError);
    result = ProductResult();
    result.axes.pop_back();
    EXPECT_THROW(PivotLayout(ProductByMeasures(true), result), pivot::PivotError);
}
