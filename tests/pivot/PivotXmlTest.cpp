// The definition text: the default definition, round trips, kept unknown elements, and the
// errors of damaged or foreign definitions.
#include "control/pivot/model/PivotXml.h"
#include "control/pivot/model/PivotError.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using pivot::PivotDefinition;
using pivot::PivotXml;

namespace {

std::string ReadData(const std::string& name)
{
    std::ifstream in(std::string(PIVOT_TEST_DATA) + "/data/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

PivotDefinition FullDefinition()
{
    PivotDefinition d;
    d.connectionString = "Provider=MSOLAP.2;Data Source=/srv/cubes/Sales.cub;Initial Catalog=Sales";
    d.dataMember = "Sales";
    d.titleCaption = "Sales <by> \"product\" &\r\n store";
    d.nonEmpty = false;
    d.rowGrandTotals = false;
    d.totalsAxis = pivot::AxisKind::Row;
    d.totalsPosition = 0;
    d.isNotFiltered = false;
    pivot::PivotFieldSet product;
    product.uniqueName = "[Product]";
    product.caption = "Product";
    product.fields = {{"[Product].[Category]", "Category", true, true}, {"[Product].[Subcategory]", "", false, false},
        {"[Product].[Product]", "Product", true, false}};
    product.expandedMembers = {"[Product].[Drink]"};
    product.collapsedMembers = {"[Product].[Food]"};
    product.filter = {pivot::PivotMemberFilter::Mode::Exclude, {"[Product].[Drink].[Juice]"}};
    product.sort = {pivot::SortDirection::Descending, "[Measures].[Unit Sales]"};
    product.subtotals = false;
    product.top = {pivot::PivotTopFilter::Mode::Bottom, 5, "Margin"};
    d.rowAxis.push_back(product);
    pivot::PivotFieldSet time;
    time.uniqueName = "[Time]";
    time.fields = {{"[Time].[Year]", "Year", true, false}};
    time.sort = {pivot::SortDirection::Ascending, ""};
    time.condition = {pivot::PivotConditionFilter::Kind::ValueNotBetween, "", "Margin", 0.1, -2.5e-7};
    d.columnAxis.push_back(time);
    pivot::PivotFieldSet store;
    store.uniqueName = "[Store]";
    store.fields = {{"[Store].[Country]", "", true, false}};
    store.filter = {pivot::PivotMemberFilter::Mode::Include, {"[Store].[Germany]", "[Store].[France]"}};
    store.condition = {pivot::PivotConditionFilter::Kind::CaptionNotContains, "<&'x'>", "", 0, 0};
    d.filterAxis.push_back(store);
    d.totals = {{"[Measures].[Unit Sales]", "Units", "", "#,##0", true},
        {"Margin", "", "[Measures].[Store Sales] - [Measures].[Store Cost]", "0.0%", false}};
    d.display.width = 900;
    d.display.noAutoFit = false;
    return d;
}

} // namespace

TEST(PivotXml, DefaultDefinitionMatchesTheStoredFile)
{
    EXPECT_EQ(PivotXml::DefaultText(), ReadData("default.xml"));
    const PivotDefinition read = PivotXml::Read(ReadData("default.xml"));
    EXPECT_EQ(read, PivotDefinition());
    EXPECT_EQ(read.display.owcVersion, "12.0.0.6211         ");
    EXPECT_EQ(read.display.maxHeight, 700);
    EXPECT_EQ(read.display.width, 541);
    EXPECT_EQ(read.display.cubeProvider, "msolap.2");
    EXPECT_TRUE(read.isNotFiltered);
}

TEST(PivotXml, PutThenGetGivesTheSameText)
{
    for (const char* name : {"default.xml", "sales-view.xml", "unknown-elements.xml"}) {
        SCOPED_TRACE(name);
        const std::string text = ReadData(name);
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(PivotXml::Write(PivotXml::Read(text)), text);
    }
}

TEST(PivotXml, EveryPartOfTheViewSurvivesARoundTrip)
{
    const PivotDefinition d = FullDefinition();
    const std::string text = PivotXml::Write(d);
    EXPECT_EQ(PivotXml::Read(text), d);
    EXPECT_EQ(PivotXml::Write(PivotXml::Read(text)), text);
    // The markers other code searches the stored text for stay readable.
    EXPECT_NE(text.find("Data Source=/srv/cubes/Sales.cub;Initial Catalog"), std::string::npos);
}

TEST(PivotXml, EveryLabelAndValueFilterKindSurvivesARoundTrip)
{
    using Kind = pivot::PivotConditionFilter::Kind;
    const pivot::PivotConditionFilter conditions[] = {
        {Kind::CaptionBeginsWith, "Dr", "", 0, 0},
        {Kind::CaptionNotBeginsWith, "", "", 0, 0},
        {Kind::CaptionContains, "in", "", 0, 0},
        {Kind::CaptionNotContains, "x y", "", 0, 0},
        {Kind::CaptionEquals, "Food", "", 0, 0},
        {Kind::CaptionNotEquals, "Food", "", 0, 0},
        {Kind::ValueGreater, "", "[Measures].[Unit Sales]", 1e300, 0},
        {Kind::ValueLess, "", "Margin", -0.1, 0},
        {Kind::ValueBetween, "", "[Measures].[Unit Sales]", 5, 1.0 / 3},
        {Kind::ValueNotBetween, "", "[Measures].[Unit Sales]", -1, 1},
    };
    for (const auto& condition : conditions) {
        PivotDefinition d;
        pivot::PivotFieldSet fieldSet;
        fieldSet.uniqueName = "[Product]";
        fieldSet.fields = {{"[Product].[Category]", "", true, false}};
        fieldSet.condition = condition;
        d.rowAxis.push_back(fieldSet);
        const std::string text = PivotXml::Write(d);
        SCOPED_TRACE(text);
        EXPECT_EQ(PivotXml::Read(text), d);
    }
    // A view of a given statement keeps it; a view with fields of its own does not.
    PivotDefinition raw;
    raw.commandText = "SELECT [Measures].[Unit Sales] ON 0 FROM [Sales]";
    EXPECT_EQ(PivotXml::Read(PivotXml::Write(raw)), raw);
    PivotDefinition edited = FullDefinition();
    edited.commandText = raw.commandText;
    EXPECT_EQ(PivotXml::Write(edited), PivotXml::Write(FullDefinition()));
}

TEST(PivotXml, ElementsOfALaterVersionAreKept)
{
    const std::string text = "<xml xmlns:o=\"urn:schemas-microsoft-com:office:excel\"><o:PivotTable>"
                             "<o:Future a=\"1\"><o:Inner>v</o:Inner></o:Future><o:DataMember>Sales</o:DataMember>"
                             "<o:PivotView><o:Later/></o:PivotView></o:PivotTable></xml>";
    const PivotDefinition d = PivotXml::Read(text);
    EXPECT_EQ(d.dataMember, "Sales");
    ASSERT_EQ(d.unknownTableElements.size(), 1u);
    EXPECT_EQ(d.unknownTableElements[0], "<x:Future a=\"1\"><x:Inner>v</x:Inner></x:Future>");
    ASSERT_EQ(d.unknownViewElements.size(), 1u);
    const std::string written = PivotXml::Write(d);
    EXPECT_EQ(PivotXml::Read(written), d);
    EXPECT_NE(written.find("<x:Inner>v</x:Inner>"), std::string::npos);
}

TEST(PivotXml, TrailingLineEndOfAnOpenedFileIsAccepted)
{
    const std::string text = PivotXml::DefaultText() + "\r\n";
    EXPECT_EQ(PivotXml::Read(text), PivotDefinition());
}

struct BadDefinition {
    const char* name;
    const char* text;
    const char* message;
};

class PivotXmlErrors : public testing::TestWithParam<BadDefinition> { };

TEST_P(PivotXmlErrors, ReadFailsWithAClearMessage)
{
    try {
        PivotXml::Read(GetParam().text);
        FAIL() << "no error";
    } catch (const pivot::PivotError& e) {
        EXPECT_EQ(std::string(e.what()), GetParam().message);
    }
}

#define NS "xmlns:x=\"urn:schemas-microsoft-com:office:excel\""
INSTANTIATE_TEST_SUITE_P(Cases, PivotXmlErrors,
    testing::Values(BadDefinition {"empty", "", "pivot definition, line 1, column 1: No document element found"},
        BadDefinition {"not closed", "<xml " NS "><x:PivotTable>\n<x:Width>1</x:Width>",
            "pivot definition, line 2, column 20: Start-end tags mismatch"},
        BadDefinition {
            "foreign root", "<Workbook/>", "not a pivot table definition: the root element is 'Workbook', not 'xml'"},
        BadDefinition {"namespace not bound", "<xml xmlns:x=\"urn:other\"><x:PivotTable/></xml>",
            "not a pivot table definition: the root element binds no prefix to "
            "urn:schemas-microsoft-com:office:excel"},
        BadDefinition {"chart", "<xml " NS "><x:ChartSpace/></xml>",
            "pivot definition, line 1, column 56: the definition holds a chart, not a pivot table"},
        BadDefinition {
            "no pivot table", "<xml " NS "/>", "not a pivot table definition: no x:PivotTable element under 'xml'"},
        BadDefinition {"size not a number", "<xml " NS "><x:PivotTable><x:Width>5x</x:Width></x:PivotTable></xml>",
            "pivot definition, line 1, column 70: '5x' in x:Width is not a whole number"},
        BadDefinition {"size too large",
            "<xml " NS "><x:PivotTable><x:Width>99999999999</x:Width></x:PivotTable></xml>",
            "pivot definition, line 1, column 70: '99999999999' in x:Width is not a whole number"},
        BadDefinition {"bad orientation",
            "<xml " NS "><x:PivotTable><x:PivotView><x:FieldSet><x:Name>[A]</x:Name>"
            "<x:Orientation>Up</x:Orientation></x:FieldSet></x:PivotView></x:PivotTable></xml>",
            "pivot definition, line 1, column 115: orientation 'Up' is not Row, Column or Filter"},
        BadDefinition {"member name that would change the query",
            "<xml " NS "><x:PivotTable><x:PivotView><x:FieldSet><x:Name>[A]</x:Name>"
            "<x:ExpandedMember>[A].[B]} ON 0 FROM "
            "[X]</x:ExpandedMember></x:FieldSet></x:PivotView></x:PivotTable></xml>",
            "pivot definition, line 1, column 115: '[A].[B]} ON 0 FROM [X]' in x:ExpandedMember is not a unique "
            "name such as [Dimension].[Member]"},
        BadDefinition {"field set twice",
            "<xml " NS "><x:PivotTable><x:PivotView>"
            "<x:FieldSet><x:Name>[A]</x:Name><x:Orientation>Row</x:Orientation></x:FieldSet>"
            "<x:FieldSet><x:Name>[A]</x:Name><x:Orientation>Column</x:Orientation></x:FieldSet>"
            "</x:PivotView></x:PivotTable></xml>",
            "pivot definition, line 1, column 162: field set [A] is placed twice"},
        BadDefinition {"filter members without a mode",
            "<xml " NS "><x:PivotTable><x:PivotView><x:FieldSet><x:Name>[A]</x:Name>"
            "<x:Orientation>Filter</x:Orientation><x:FilterMember>[A].[b]</x:FilterMember>"
            "</x:FieldSet></x:PivotView></x:PivotTable></xml>",
            "pivot definition, line 1, column 83: field set [A] lists filter members without x:FilterMode"},
        BadDefinition {"top filter keeping nothing",
            "<xml " NS "><x:PivotTable><x:PivotView><x:FieldSet><x:Name>[A]</x:Name>"
            "<x:Orientation>Row</x:Orientation><x:TopBottom>Top</x:TopBottom><x:TopBottomCount>0</x:TopBottomCount>"
            "</x:FieldSet></x:PivotView></x:PivotTable></xml>",
            "pivot definition, line 1, column 179: a top or bottom filter keeps at least one member"},
        BadDefinition {"top filter by no total",
            "<xml " NS "><x:PivotTable><x:PivotView><x:FieldSet><x:Name>[A]</x:Name>"
            "<x:Orientation>Row</x:Orientation><x:TopBottom>Bottom</x:TopBottom>"
            "</x:FieldSet></x:PivotView></x:PivotTable></xml>",
            "pivot definition, line 1, column 83: field set [A] has a top or bottom filter without x:TopBottomBy"},
        BadDefinition {"top filter mode unknown",
            "<xml " NS "><x:PivotTable><x:PivotView><x:FieldSet><x:Name>[A]</x:Name>"
            "<x:Orientation>Row</x:Orientation><x:TopBottom>Middle</x:TopBottom>"
            "</x:FieldSet></x:PivotView></x:PivotTable></xml>",
            "pivot definition, line 1, column 149: top filter 'Middle' is not Top or Bottom"},
        BadDefinition {"value filter by no total",
            "<xml " NS "><x:PivotTable><x:PivotView><x:FieldSet><x:Name>[A]</x:Name>"
            "<x:Orientation>Row</x:Orientation><x:ValueFilter>LessThan</x:ValueFilter>"
            "</x:FieldSet></x:PivotView></x:PivotTable></xml>",
            "pivot definition, line 1, column 83: field set [A] has a value filter without x:ValueFilterBy"},
        BadDefinition {"label filter kind given as a value filter",
            "<xml " NS "><x:PivotTable><x:PivotView><x:FieldSet><x:Name>[A]</x:Name>"
            "<x:Orientation>Row</x:Orientation><x:ValueFilter>Contains</x:ValueFilter>"
            "</x:FieldSet></x:PivotView></x:PivotTable></xml>",
            "pivot definition, line 1, column 149: value filter 'Contains' is not GreaterThan, LessThan, Between or "
            "NotBetween"},
        BadDefinition {"value filter bound not a number",
            "<xml " NS "><x:PivotTable><x:PivotView><x:FieldSet><x:Name>[A]</x:Name>"
            "<x:Orientation>Row</x:Orientation><x:ValueFilter>LessThan</x:ValueFilter>"
            "<x:ValueFilterBy>[M].[X]</x:ValueFilterBy><x:ValueFilterValue>nan</x:ValueFilterValue>"
            "</x:FieldSet></x:PivotView></x:PivotTable></xml>",
            "pivot definition, line 1, column 230: 'nan' in x:ValueFilterValue is not a number"},
        BadDefinition {"two label or value filters",
            "<xml " NS "><x:PivotTable><x:PivotView><x:FieldSet><x:Name>[A]</x:Name>"
            "<x:Orientation>Row</x:Orientation><x:LabelFilter>Equals</x:LabelFilter>"
            "<x:ValueFilter>LessThan</x:ValueFilter>"
            "</x:FieldSet></x:PivotView></x:PivotTable></xml>",
            "pivot definition, line 1, column 186: field set [A] has a second label or value filter"}),
    [](const testing::TestParamInfo<BadDefinition>& info) {
        std::string name;
        for (const char* c = info.param.name; *c; ++c)
            name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        return name;
    });
