// Totals shown as something else: the stored setting (round trip, refusals), the shown
// measure's name, the query's rewrite and the edit that switches a total's mode. The
// numbers the queries give are in cases/showas.cases.
#include "control/pivot/model/PivotError.h"
#include "control/pivot/model/PivotMdxBuilder.h"
#include "control/pivot/model/PivotShowAsEdit.h"
#include "control/pivot/model/PivotShowAsMdx.h"
#include "control/pivot/model/PivotXml.h"

#include <gtest/gtest.h>

using pivot::PivotDefinition;
using pivot::PivotMdxBuilder;
using pivot::PivotShowAs;
using pivot::PivotXml;
using Mode = pivot::PivotShowAs::Mode;

namespace {

std::string View(const std::string& totals)
{
    return "<xml xmlns:x=\"urn:schemas-microsoft-com:office:excel\"><x:PivotTable><x:DataMember>Sales</x:DataMember>"
           "<x:PivotView><x:FieldSet><x:Name>[Product]</x:Name><x:Orientation>Row</x:Orientation><x:Field><x:Name>"
           "[Product].[Category]</x:Name></x:Field></x:FieldSet><x:FieldSet><x:Name>[Time]</x:Name><x:Orientation>"
           "Column</x:Orientation><x:Field><x:Name>[Time].[Year]</x:Name></x:Field></x:FieldSet>"
        + totals + "</x:PivotView></x:PivotTable></xml>";
}

PivotDefinition Sample()
{
    PivotDefinition d = PivotXml::Read(View("<x:Total><x:Name>[Measures].[Unit Sales]</x:Name></x:Total>"
                                            "<x:Total><x:Name>Margin</x:Name><x:Expression>[Measures].[Store Sales] - "
                                            "[Measures].[Store Cost]</x:Expression></x:Total>"));
    return d;
}

PivotShowAs Make(Mode mode, const std::string& field = {}, PivotShowAs::Item item = PivotShowAs::Item::Previous,
    const std::string& member = {})
{
    PivotShowAs showAs;
    showAs.mode = mode;
    showAs.baseFieldSet = field;
    showAs.item = item;
    showAs.baseMember = member;
    return showAs;
}

TEST(PivotShowAs, EveryModeRoundTripsThroughTheDefinitionText)
{
    for (Mode mode : PivotShowAs::Modes()) {
        for (auto item : {PivotShowAs::Item::Previous, PivotShowAs::Item::Next, PivotShowAs::Item::Named}) {
            PivotShowAs showAs = Make(mode);
            if (showAs.NeedsBaseField())
                showAs.baseFieldSet = "[Time]";
            if (showAs.NeedsBaseItem()) {
                showAs.item = item;
                if (item == PivotShowAs::Item::Named)
                    showAs.baseMember = "[Time].[2023]";
            } else if (item != PivotShowAs::Item::Previous) {
                continue;
            }
            SCOPED_TRACE(PivotShowAs::ModeName(mode) + " " + showAs.ItemText());
            PivotDefinition d = Sample();
            d.totals[0].showAs = showAs;
            const std::string text = PivotXml::Write(d);
            const PivotDefinition back = PivotXml::Read(text);
            EXPECT_EQ(back, d);
            EXPECT_EQ(PivotXml::Write(back), text);
            EXPECT_EQ(text.find("ShowAs") != std::string::npos, showAs.IsActive());
        }
    }
}

TEST(PivotShowAs, FilesWithoutTheSettingShowValuesAsTheyAre)
{
    const PivotDefinition d = Sample();
    for (const auto& total : d.totals)
        EXPECT_FALSE(total.showAs.IsActive());
    EXPECT_EQ(PivotMdxBuilder::Build(d).find("% of"), std::string::npos);
}

TEST(PivotShowAs, BadSettingsAreRefusedWithTheReason)
{
    const struct {
        const char* elements;
        const char* message;
    } cases[] = {
        {"<x:ShowAs>PercentOfEverything</x:ShowAs>",
            "show-as mode 'PercentOfEverything' is not one this version knows"},
        {"<x:ShowAs></x:ShowAs>", "show-as mode '' is not one"},
        {"<x:ShowAs>Rank</x:ShowAs>", "needs a base field"},
        {"<x:ShowAs>DifferenceFrom</x:ShowAs><x:ShowAsBaseField>Time</x:ShowAsBaseField>",
            "show-as base field 'Time' is not a unique name"},
        {"<x:ShowAs>DifferenceFrom</x:ShowAs><x:ShowAsBaseField>[Time]</x:ShowAsBaseField>"
         "<x:ShowAsBaseItem>last year</x:ShowAsBaseItem>",
            "show-as base item 'last year' is not Previous, Next or a member's unique name"},
        {"<x:ShowAs>DifferenceFrom</x:ShowAs><x:ShowAsBaseField>[Time]</x:ShowAsBaseField>"
         "<x:ShowAsBaseItem>[Time].[2023]'); DROP</x:ShowAsBaseItem>",
            "is not Previous, Next"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.elements);
        try {
            PivotXml::Read(
                View(std::string("<x:Total><x:Name>[Measures].[Unit Sales]</x:Name>") + c.elements + "</x:Total>"));
            ADD_FAILURE() << "read";
        } catch (const pivot::PivotError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("pivot definition, line"), std::string::npos) << e.what();
        }
    }
}

TEST(PivotShowAs, TheShownMeasureIsNamedAfterTheTotalAndTheMode)
{
    PivotDefinition d = Sample();
    d.totals[0].showAs = Make(Mode::PercentOfRowTotal);
    d.totals[1].showAs = Make(Mode::Rank, "[Product]");
    EXPECT_EQ(d.totals[0].UniqueName(), "[Measures].[Unit Sales (% of row total)]");
    EXPECT_EQ(d.totals[0].BaseUniqueName(), "[Measures].[Unit Sales]");
    EXPECT_EQ(d.totals[1].UniqueName(), "[Measures].[Margin (rank)]");
    EXPECT_EQ(d.totals[1].BaseUniqueName(), "[Measures].[Margin]");
    // Every name finds the total: the grid's header, the stored name and the own values.
    for (const char* name : {"[Measures].[Unit Sales (% of row total)]", "[Measures].[Unit Sales]"})
        EXPECT_EQ(d.FindTotal(name), &d.totals[0]) << name;
    for (const char* name : {"Margin", "[Measures].[Margin]", "[Measures].[Margin (rank)]"})
        EXPECT_EQ(d.FindTotal(name), &d.totals[1]) << name;
}

TEST(PivotShowAs, NumberFormatsFollowTheMode)
{
    const struct {
        Mode mode;
        const char* own;
        const char* expected;
    } cases[] = {
        {Mode::PercentOfColumnTotal, "", "0.00%"},
        {Mode::PercentDifferenceFrom, "", "0.00%"},
        {Mode::PercentRunningTotal, "0.0%", "0.0%"},
        {Mode::Rank, "", "#,##0"},
        {Mode::Index, "", "0.00"},
        {Mode::DifferenceFrom, "", ""},
        {Mode::RunningTotal, "#,##0.00", "#,##0.00"},
        {Mode::Normal, "", ""},
    };
    for (const auto& c : cases) {
        pivot::PivotTotal total;
        total.name = "[Measures].[Unit Sales]";
        total.numberFormat = c.own;
        total.showAs = Make(c.mode, "[Time]");
        EXPECT_EQ(pivot::PivotShowAsMdx::NumberFormat(total), c.expected) << PivotShowAs::ModeName(c.mode);
    }
}

TEST(PivotShowAs, SortsAndFiltersReadTheShownValues)
{
    PivotDefinition d = Sample();
    d.totals[0].showAs = Make(Mode::PercentOfColumnTotal);
    d.rowAxis[0].sort = {pivot::SortDirection::Descending, "[Measures].[Unit Sales]"};
    d.columnAxis[0].top = {pivot::PivotTopFilter::Mode::Top, 2, "[Measures].[Unit Sales]"};
    PivotDefinition expanded = pivot::PivotShowAsMdx::Expand(d);
    EXPECT_EQ(expanded.rowAxis[0].sort.byTotal, "[Measures].[Unit Sales (% of column total)]");
    // The years' shares of a column's total do not depend on which years are kept.
    EXPECT_EQ(expanded.columnAxis[0].top.byTotal, "[Measures].[Unit Sales (% of column total)]");
    // Only the shown totals are on the axis; the calculated total's own formula is not.
    EXPECT_EQ(expanded.IncludedTotals().size(), 2u);

    // The categories' shares do: a filter on them reads shares of all categories, and so does
    // the years' filter now, since the categories' total depends on the categories' filter.
    d.rowAxis[0].condition
        = {pivot::PivotConditionFilter::Kind::ValueGreater, "", "[Measures].[Unit Sales (% of column total)]", 0.2, 0};
    expanded = pivot::PivotShowAsMdx::Expand(d);
    EXPECT_EQ(expanded.rowAxis[0].condition.byTotal, "[Measures].[Unit Sales (% of column total), filter of Product]");
    EXPECT_EQ(expanded.columnAxis[0].top.byTotal, "[Measures].[Unit Sales (% of column total), filter of Time]");
    const pivot::PivotTotal* variant = expanded.FindTotal(expanded.rowAxis[0].condition.byTotal);
    ASSERT_NE(variant, nullptr);
    EXPECT_FALSE(variant->isIncluded);
    EXPECT_EQ(variant->expression,
        "IIf(Aggregate([Product].[Category].Members, [Measures].[Unit Sales]) = 0, NULL, ([Measures].[Unit Sales]) / "
        "Aggregate([Product].[Category].Members, [Measures].[Unit Sales]))");
    for (const auto& total : expanded.totals)
        EXPECT_EQ(total.expression.find("[Product].[Pivot Total]") != std::string::npos && !total.isIncluded, false)
            << total.name << " reads the total its own filter makes";
}

TEST(PivotShowAs, AShownNameAnotherTotalHasIsRefused)
{
    PivotDefinition d = Sample();
    d.totals[1].name = "Unit Sales (% of row total)";
    d.totals[0].showAs = Make(Mode::PercentOfRowTotal);
    EXPECT_THROW(PivotMdxBuilder::Build(d), pivot::PivotError);
    d.totals[0].showAs = Make(Mode::PercentOfColumnTotal);
    EXPECT_NO_THROW(PivotMdxBuilder::Build(d));
}

TEST(PivotShowAs, TheEditSwitchesTheModeAndKeepsWhatNamesTheTotal)
{
    PivotDefinition d = Sample();
    ASSERT_TRUE(pivot::PivotShowAsEdit::Apply(d, "[Measures].[Unit Sales]", Make(Mode::PercentOfRowTotal)));
    // A sort chosen on the shown values' header names the shown measure ...
    d.rowAxis[0].sort = {pivot::SortDirection::Ascending, d.totals[0].UniqueName()};
    d.colorRules.push_back({d.totals[0].UniqueName()});
    // ... and follows the total to its next mode, or back to its own values.
    ASSERT_TRUE(pivot::PivotShowAsEdit::Apply(d, d.totals[0].UniqueName(), Make(Mode::Rank, "[Product]")));
    EXPECT_EQ(d.totals[0].showAs.mode, Mode::Rank);
    EXPECT_EQ(d.rowAxis[0].sort.byTotal, "[Measures].[Unit Sales]");
    EXPECT_EQ(d.colorRules[0].total, "[Measures].[Unit Sales]");
    ASSERT_TRUE(pivot::PivotShowAsEdit::Apply(d, "[Measures].[Unit Sales (rank)]", {}));
    EXPECT_FALSE(d.totals[0].showAs.IsActive());

    const PivotDefinition before = d;
    const struct {
        const char* total;
        PivotShowAs showAs;
    } refused[] = {
        {"[Measures].[Nothing]", Make(Mode::Index)},
        {"Margin", Make(Mode::RunningTotal)},
        {"Margin", Make(Mode::DifferenceFrom, "[Time]", PivotShowAs::Item::Named, "2023")},
        {"Margin", {}},
    };
    for (const auto& c : refused) {
        EXPECT_FALSE(pivot::PivotShowAsEdit::Apply(d, c.total, c.showAs)) << c.total;
        EXPECT_EQ(d, before);
    }
    // What the mode does not use is not kept, so the same choice again changes nothing.
    ASSERT_TRUE(pivot::PivotShowAsEdit::Apply(d, "Margin", Make(Mode::PercentOfGrandTotal, "[Time]")));
    EXPECT_EQ(d.totals[1].showAs.baseFieldSet, "");
    EXPECT_FALSE(pivot::PivotShowAsEdit::Apply(d, "Margin", Make(Mode::PercentOfGrandTotal)));
}

} // namespace
