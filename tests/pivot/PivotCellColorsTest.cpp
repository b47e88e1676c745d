// Colour rules measured over a laid-out result: the scale ends and the median, data bars
// with an axis for negative values, totals left out unless the rule takes them in, rules of
// totals not shown, colours that do not read.
#include "control/pivot/model/PivotCellColors.h"

#include <gtest/gtest.h>

using olap::CellSet;
using pivot::PivotCellColors;
using pivot::PivotColorRule;
using pivot::PivotDefinition;

namespace {

CellSet::Member M(const std::string& uniqueName, const std::string& level, std::size_t children = 0)
{
    CellSet::Member m;
    m.uniqueName = uniqueName;
    m.caption = uniqueName;
    m.levelUniqueName = level;
    m.childCount = children;
    return m;
}

//! Product categories down (A..E and the grand total), two measures across; Units take
//! VALUES, Sales 1000 everywhere.
struct View {
    PivotDefinition definition;
    pivot::PivotLayout layout;
};

View MakeView(const std::vector<double>& values, const std::vector<PivotColorRule>& rules)
{
    View view;
    PivotDefinition& d = view.definition;
    d.dataMember = "Sales";
    pivot::PivotFieldSet product;
    product.uniqueName = "[Product]";
    product.fields = {{"[Product].[Category]", "Category", true, false}};
    d.rowAxis.push_back(product);
    d.totals = {{"[Measures].[Units]", "", "", "", true}, {"[Measures].[Sales]", "", "", "", true},
        {"Hidden", "", "1", "", false}};
    d.colorRules = rules;
    CellSet result;
    result.axes.resize(2);
    result.axes[0].positions = {{M("[Measures].[Units]", "[Measures].[MeasuresLevel]")},
        {M("[Measures].[Sales]", "[Measures].[MeasuresLevel]")}};
    for (std::size_t i = 0; i < values.size(); ++i)
        result.axes[1].positions.push_back({M("[Product].[C" + std::to_string(i) + "]", "[Product].[Category]")});
    result.axes[1].positions.push_back({M("[Product].[Pivot Total]", "[Product].[Category]")});
    double sum = 0;
    for (double v : values)
        sum += v;
    std::vector<double> rows = values;
    rows.push_back(sum);
    for (double v : rows) {
        CellSet::Cell units;
        units.value = v;
        units.formatted = std::to_string(v);
        CellSet::Cell sales;
        sales.value = 1000;
        sales.formatted = "1000";
        result.cells.push_back(units);
        result.cells.push_back(sales);
    }
    view.layout = pivot::PivotLayout(d, std::move(result));
    return view;
}

PivotColorRule Rule(PivotColorRule::Kind kind, const std::string& total = "[Measures].[Units]")
{
    PivotColorRule rule;
    rule.total = total;
    rule.kind = kind;
    rule.lowColor = "#000000";
    rule.midColor = "#0000FF";
    rule.highColor = "#FFFFFF";
    rule.barColor = "#00ff00";
    return rule;
}

} // namespace

TEST(PivotCellColors, ParseAndBlend)
{
    EXPECT_EQ(PivotColorRule::ParseColor("#63BE7B"), 0x63BE7Bu);
    EXPECT_EQ(PivotColorRule::ParseColor("#63be7b"), 0x63BE7Bu);
    for (const char* bad : {"", "63BE7B", "#63BE7", "#63BE7BB", "#63BG7B", "red"})
        EXPECT_FALSE(PivotColorRule::ParseColor(bad).has_value()) << bad;
    EXPECT_EQ(PivotCellColors::Blend(0x000000, 0xFFFFFF, 0.5), 0x808080u);
    EXPECT_EQ(PivotCellColors::Blend(0x102030, 0x405060, 0), 0x102030u);
    EXPECT_EQ(PivotCellColors::Blend(0x102030, 0x405060, 7), 0x405060u);
}

TEST(PivotCellColors, ScalesAndBarsByKind)
{
    struct Case {
        const char* name;
        PivotColorRule::Kind kind;
        std::vector<double> values;
        int row; //!< the value row looked at
        std::optional<std::uint32_t> fill;
        std::optional<double> barFrom;
        double barTo;
    };
    using K = PivotColorRule::Kind;
    const Case cases[] = {
        {"two colours: lowest", K::ColorScale2, {10, 20, 30, 40, 50}, 0, 0x000000u, {}, 0},
        {"two colours: highest", K::ColorScale2, {10, 20, 30, 40, 50}, 4, 0xFFFFFFu, {}, 0},
        {"two colours: a quarter", K::ColorScale2, {10, 20, 30, 40, 50}, 1, 0x404040u, {}, 0},
        {"three colours: the median", K::ColorScale3, {10, 20, 30, 40, 50}, 2, 0x0000FFu, {}, 0},
        {"three colours: halfway up", K::ColorScale3, {10, 20, 30, 40, 50}, 3, 0x8080FFu, {}, 0},
        {"three colours: median of an even count", K::ColorScale3, {10, 20, 40, 50}, 1, 0x000080u, {}, 0},
        {"all equal: the middle", K::ColorScale2, {7, 7, 7}, 1, 0x808080u, {}, 0},
        {"bar: positive values start at the left", K::DataBar, {10, 20, 40}, 1, {}, 0.0, 0.5},
        {"bar: a negative value runs left of the axis", K::DataBar, {-20, 20, 60}, 0, {}, 0.0, 0.25},
        {"bar: a positive value right of it", K::DataBar, {-20, 20, 60}, 2, {}, 0.25, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const View view = MakeView(c.values, {Rule(c.kind)});
        const PivotCellColors colors(view.definition, view.layout);
        ASSERT_FALSE(colors.IsEmpty());
        const PivotCellColors::Style style = colors.StyleAt(view.layout, c.row, 0);
        EXPECT_EQ(style.fill, c.fill);
        ASSERT_EQ(style.barFrom.has_value(), c.barFrom.has_value());
        if (c.barFrom) {
            EXPECT_DOUBLE_EQ(*style.barFrom, *c.barFrom);
            EXPECT_DOUBLE_EQ(style.barTo, c.barTo);
            EXPECT_EQ(style.barColor, 0x00FF00u);
        }
        // The other total has no rule.
        EXPECT_FALSE(colors.StyleAt(view.layout, c.row, 1).fill.has_value());
    }
}

TEST(PivotCellColors, TotalsTakePartOnlyWhenAsked)
{
    const std::vector<double> values {10, 20, 30};
    View view = MakeView(values, {Rule(PivotColorRule::Kind::ColorScale2)});
    PivotCellColors colors(view.definition, view.layout);
    const int grand = static_cast<int>(values.size());
    EXPECT_FALSE(colors.StyleAt(view.layout, grand, 0).fill.has_value());
    // Left out of the scale too: the highest category is the top.
    EXPECT_EQ(colors.StyleAt(view.layout, 2, 0).fill, 0xFFFFFFu);

    PivotColorRule withTotals = Rule(PivotColorRule::Kind::ColorScale2);
    withTotals.includeTotals = true;
    view = MakeView(values, {withTotals});
    colors = PivotCellColors(view.definition, view.layout);
    EXPECT_EQ(colors.StyleAt(view.layout, grand, 0).fill, 0xFFFFFFu);
    EXPECT_NE(colors.StyleAt(view.layout, 2, 0).fill, 0xFFFFFFu);
}

TEST(PivotCellColors, RulesThatApplyToNothing)
{
    // A rule of a hidden or unknown total, or no rule: nothing to paint.
    for (const std::string& total : {std::string("Hidden"), std::string("[Measures].[Nothing]")}) {
        const View view = MakeView({1, 2}, {Rule(PivotColorRule::Kind::ColorScale2, total)});
        EXPECT_TRUE(PivotCellColors(view.definition, view.layout).IsEmpty()) << total;
    }
    const View none = MakeView({1, 2}, {});
    EXPECT_TRUE(PivotCellColors(none.definition, none.layout).IsEmpty());
    // A colour that does not read falls back to the default of its place.
    PivotColorRule broken = Rule(PivotColorRule::Kind::ColorScale2);
    broken.lowColor = "reddish";
    const View view = MakeView({1, 2}, {broken});
    const PivotCellColors colors(view.definition, view.layout);
    EXPECT_EQ(colors.StyleAt(view.layout, 0, 0).fill, *PivotColorRule::ParseColor(PivotColorRule().lowColor));
}
