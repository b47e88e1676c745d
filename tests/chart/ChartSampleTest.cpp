// Chart data from views of the sample cube: the chart follows drill and filter of the
// pivot view, and its values agree with the cube asked directly.
#include "control/chart/ChartData.h"

#include "control/pivot/model/PivotLayout.h"
#include "control/pivot/model/PivotMdxBuilder.h"

#include "olap/access/Connection.h"
#include "olap/sample/SalesSample.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <unistd.h>

namespace {

class ChartSample : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new std::filesystem::path(
            std::filesystem::temp_directory_path() / ("chart-sample-" + std::to_string(::getpid())));
        olap::SalesSample::WriteAll(s_dir->string(), 3000, 7);
        s_connection
            = olap::Connection::Connect("Provider=MSOLAP.2;Data Source=" + (*s_dir / "Sales.cub").string()).release();
    }
    static void TearDownTestSuite()
    {
        delete s_connection;
        std::error_code ec;
        std::filesystem::remove_all(*s_dir, ec);
        delete s_dir;
    }

    //! Product (Category, Subcategory) on rows, years on columns, unit sales.
    static pivot::PivotDefinition View()
    {
        pivot::PivotDefinition d;
        d.dataMember = "Sales";
        pivot::PivotFieldSet product;
        product.uniqueName = "[Product]";
        product.fields = {{"[Product].[Category]", "Category", true, false},
            {"[Product].[Subcategory]", "Subcategory", true, false}, {"[Product].[Product]", "", false, false}};
        d.rowAxis.push_back(product);
        pivot::PivotFieldSet time;
        time.uniqueName = "[Time]";
        time.fields = {{"[Time].[Year]", "Year", true, false}};
        d.columnAxis.push_back(time);
        d.totals = {{"[Measures].[Unit Sales]", "Units", "", "", true}};
        return d;
    }

    static chart::ChartData Chart(const pivot::PivotDefinition& view)
    {
        olap::QueryResult result = s_connection->ExecuteMdx(pivot::PivotMdxBuilder::Build(view));
        return chart::ChartData::FromLayout(pivot::PivotLayout(view, std::move(result.cellSet)));
    }

    static double Cube(const std::string& product, const std::string& year)
    {
        const olap::QueryResult result = s_connection->ExecuteMdx(
            "SELECT {[Measures].[Unit Sales]} ON COLUMNS FROM [Sales] WHERE (" + product + ", " + year + ")");
        return result.cellSet.cells.at(0).value.value_or(0.0);
    }

    static inline std::filesystem::path* s_dir = nullptr;
    static inline olap::Connection* s_connection = nullptr;
};

std::size_t IndexOf(const std::vector<std::string>& list, const std::string& value)
{
    return static_cast<std::size_t>(std::find(list.begin(), list.end(), value) - list.begin());
}

} // namespace

TEST_F(ChartSample, CategoriesAndSeriesFollowDrillAndFilter)
{
    pivot::PivotDefinition view = View();
    const chart::ChartData top = Chart(view);
    ASSERT_FALSE(top.IsEmpty());
    EXPECT_EQ(top.Categories().size(), 3u); // the categories without the grand total
    EXPECT_NE(IndexOf(top.Categories(), "Drink"), top.Categories().size());
    ASSERT_GE(top.Series().size(), 2u); // one per year, no grand total
    const std::string firstYear = top.Series()[0].name;

    view.rowAxis[0].SetExpanded("[Product].[Drink]", true);
    const chart::ChartData drilled = Chart(view);
    EXPECT_GT(drilled.Categories().size(), top.Categories().size());
    EXPECT_EQ(IndexOf(drilled.Categories(), "Drink"), drilled.Categories().size()); // its subtotal is left out
    const std::size_t drinkChildren = static_cast<std::size_t>(std::count_if(drilled.Categories().begin(),
        drilled.Categories().end(), [](const std::string& c) { return c.rfind("Drink - ", 0) == 0; }));
    EXPECT_GE(drinkChildren, 2u);
    EXPECT_EQ(drilled.Categories().size(), top.Categories().size() - 1 + drinkChildren);

    view.rowAxis[0].filter = {pivot::PivotMemberFilter::Mode::Include, {"[Product].[Drink]"}};
    const chart::ChartData filtered = Chart(view);
    EXPECT_EQ(filtered.Categories().size(), drinkChildren);
    for (const std::string& category : filtered.Categories())
        EXPECT_EQ(category.rfind("Drink - ", 0), 0u) << category;
    EXPECT_EQ(filtered.Series().size(), top.Series().size());
}

TEST_F(ChartSample, ValuesAgreeWithTheCube)
{
    const chart::ChartData data = Chart(View());
    const std::size_t drink = IndexOf(data.Categories(), "Drink");
    ASSERT_LT(drink, data.Categories().size());
    for (const chart::ChartSeries& series : data.Series()) {
        // A column tuple is the year and the total ("2022 - Units").
        const std::size_t separator = series.name.find(chart::ChartData::kCaptionSeparator);
        ASSERT_NE(separator, std::string::npos) << series.name;
        EXPECT_EQ(series.name.substr(separator), " - Units");
        const std::string year = "[Time].[" + series.name.substr(0, separator) + "]";
        ASSERT_TRUE(series.values[drink].has_value()) << series.name;
        EXPECT_DOUBLE_EQ(*series.values[drink], Cube("[Product].[Drink]", year)) << series.name;
        EXPECT_FALSE(series.texts[drink].empty());
    }
}
