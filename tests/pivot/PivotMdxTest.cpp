// MDX generation details the view cases do not show: name checks, quoting, and the
// definitions that cannot become a query.
#include "control/pivot/model/MdxNames.h"
#include "control/pivot/model/PivotError.h"
#include "control/pivot/model/PivotMdxBuilder.h"

#include <gtest/gtest.h>

using pivot::MdxNames;
using pivot::PivotDefinition;
using pivot::PivotMdxBuilder;

TEST(MdxNames, UniqueNames)
{
    struct Row {
        const char* text;
        bool valid;
    };
    const Row rows[] = {{"[Product]", true}, {"[Product].[Drink].[Juice]", true}, {"[Store].&[17]", true},
        {"[A]]B].[C]", true}, {"", false}, {"Product", false}, {"[Product].", false}, {"[Product]x", false},
        {"[Product].[Drink]} ON 0", false}, {"[A].[B", false}, {"[A]]", false}, {"&[1]", true}};
    for (const Row& row : rows)
        EXPECT_EQ(MdxNames::IsUniqueName(row.text), row.valid) << row.text;
    EXPECT_EQ(MdxNames::Quote("Sales [EU]"), "[Sales [EU]]]");
    EXPECT_EQ(MdxNames::LastSegment("[A].[B]]x]"), "B]x");
    EXPECT_EQ(MdxNames::LastSegment("plain"), "plain");
}

namespace {

PivotDefinition Minimal()
{
    PivotDefinition d;
    d.dataMember = "Sales";
    d.totals = {{"[Measures].[Unit Sales]", "", "", "", true}};
    return d;
}

} // namespace

TEST(PivotMdxBuilder, CalculatedTotalIsQuotedWholeIntoItsFormula)
{
    PivotDefinition d = Minimal();
    d.totals.push_back({"Share 'x'", "", "[Measures].[Unit Sales] / 2 + Len('a')", "0.0 'pct'", true});
    EXPECT_EQ(PivotMdxBuilder::Build(d),
        "WITH\n"
        "  MEMBER [Measures].[Share 'x'] AS '[Measures].[Unit Sales] / 2 + Len(''a'')', FORMAT_STRING = '0.0 ''pct'''\n"
        "SELECT\n"
        "  NON EMPTY {[Measures].[Unit Sales], [Measures].[Share 'x']} ON COLUMNS\n"
        "FROM [Sales]");
}

TEST(PivotMdxBuilder, HiddenLevelsAreDrilledThroughAndLeftOut)
{
    PivotDefinition d = Minimal();
    d.nonEmpty = false;
    d.rowGrandTotals = false;
    pivot::PivotFieldSet product;
    product.uniqueName = "[Product]";
    product.fields = {{"[Product].[Category]", "", true, false}, {"[Product].[Subcategory]", "", false, false},
        {"[Product].[Product]", "", true, false}};
    product.expandedMembers = {"[Product].[Drink]"};
    d.rowAxis.push_back(product);
    EXPECT_EQ(PivotMdxBuilder::Build(d),
        "WITH\n"
        "  MEMBER [Product].[Pivot Total] AS 'Aggregate([Product].[Category].Members)'\n"
        "SELECT\n"
        "  {[Measures].[Unit Sales]} ON COLUMNS,\n"
        "  Hierarchize(Except(DrilldownMember([Product].[Category].Members, {[Product].[Drink], "
        "[Product].[Subcategory].Members}, RECURSIVE), {[Product].[Subcategory].Members})) ON ROWS\n"
        "FROM [Sales]");
}

TEST(PivotMdxBuilder, DefinitionsThatCannotBeAsked)
{
    PivotDefinition noCube = Minimal();
    noCube.dataMember.clear();
    EXPECT_THROW(PivotMdxBuilder::Build(noCube), pivot::PivotError);

    PivotDefinition badMember = Minimal();
    pivot::PivotFieldSet product;
    product.uniqueName = "[Product]";
    product.fields = {{"[Product].[Category]", "", true, false}};
    product.expandedMembers = {"[Product].[Drink]}) ON 0 FROM [Other] --"};
    badMember.rowAxis.push_back(product);
    try {
        PivotMdxBuilder::Build(badMember);
        FAIL() << "no error";
    } catch (const pivot::PivotError& e) {
        EXPECT_EQ(std::string(e.what()),
            "expanded member of field set [Product] '[Product].[Drink]}) ON 0 FROM "
            "[Other] --' is not a unique name such as [Dimension].[Member]");
    }

    PivotDefinition unnamed = Minimal();
    unnamed.totals.push_back({"", "", "1", "", true});
    EXPECT_THROW(PivotMdxBuilder::Build(unnamed), pivot::PivotError);
}

TEST(PivotMdxBuilder, EmptyViewAsksForTheWholeCube)
{
    PivotDefinition d;
    d.dataMember = "Sales";
    EXPECT_EQ(PivotMdxBuilder::Build(d), "SELECT\nFROM [Sales]");
}
