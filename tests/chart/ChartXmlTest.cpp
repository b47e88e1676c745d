// The chart definition text: the default shape, byte-stable round trips, unknown elements
// kept, other prefixes read, and damaged texts refused with a message saying where.
#include "control/chart/ChartXml.h"
#include "control/chart/ChartError.h"

#include <gtest/gtest.h>

using chart::ChartDefinition;
using chart::ChartXml;

namespace {

std::string Space(const std::string& inner, const std::string& prefix = "x")
{
    return "<xml xmlns:" + prefix + "=\"urn:schemas-microsoft-com:office:excel\"><" + prefix + ":ChartSpace>" + inner
        + "</" + prefix + ":ChartSpace></xml>";
}

} // namespace

TEST(ChartXml, DefaultTextHasTheShapeOfANewChart)
{
    const std::string text = ChartXml::DefaultText();
    EXPECT_NE(text.find("<xml xmlns:x=\"urn:schemas-microsoft-com:office:excel\">"), std::string::npos);
    EXPECT_NE(text.find("<x:OWCVersion>12.0.0.6211         </x:OWCVersion>"), std::string::npos);
    EXPECT_NE(text.find("<x:Width>13361</x:Width>"), std::string::npos);
    EXPECT_NE(text.find("<x:Height>6800</x:Height>"), std::string::npos);
    EXPECT_NE(text.find("<x:DefaultFont>Arial</x:DefaultFont>"), std::string::npos);
    std::size_t entries = 0;
    for (std::size_t at = text.find("<x:Entry>"); at != std::string::npos; at = text.find("<x:Entry>", at + 1))
        ++entries;
    EXPECT_EQ(entries, 40u);
    EXPECT_NE(text.find("<x:Entry>#000000</x:Entry>\n   <x:Entry>#8080FF</x:Entry>"), std::string::npos);
    EXPECT_EQ(ChartXml::Read(text), ChartDefinition());
}

TEST(ChartXml, RoundTripIsByteStable)
{
    ChartDefinition d;
    d.width = 800;
    d.title = "Sales <by> \"region\" & year";
    d.type = chart::ChartType::PieExploded;
    d.hasLegend = true;
    d.palette[3] = "#12AbEf";
    d.axisFonts
        = {{chart::ChartAxisFont::Axis::Value, "DejaVu Sans", 9.5}, {chart::ChartAxisFont::Axis::Category, "", 0}};
    d.unknownElements = {"<x:Future a=\"1\"><x:Inner>t</x:Inner></x:Future>"};
    const std::string text = ChartXml::Write(d);
    const ChartDefinition back = ChartXml::Read(text);
    EXPECT_EQ(back, d);
    EXPECT_EQ(ChartXml::Write(back), text);

    // A combination, a whole-chart font size and a category order.
    d.type = chart::ChartType::ColumnStackedLine;
    d.fontSize = 10.5;
    d.sort = chart::ChartSort::Descending;
    const std::string more = ChartXml::Write(d);
    EXPECT_NE(more.find("<x:Sort>Descending</x:Sort>"), std::string::npos);
    EXPECT_EQ(ChartXml::Read(more), d);
    EXPECT_EQ(ChartXml::Write(ChartXml::Read(more)), more);
}

TEST(ChartXml, OtherPrefixIsReadAndWrittenAsX)
{
    std::string palette = "<o:Palette>";
    for (int i = 0; i < 40; ++i)
        palette += "<o:Entry>#FFFFFF</o:Entry>";
    palette += "</o:Palette>";
    const ChartDefinition d
        = ChartXml::Read(Space("<o:Width>10</o:Width>" + palette + "<o:HasLegend/><o:Odd>k</o:Odd>", "o"));
    EXPECT_EQ(d.width, 10);
    EXPECT_TRUE(d.hasLegend);
    EXPECT_EQ(d.palette[39], "#FFFFFF");
    EXPECT_FALSE(d.owcVersion.has_value());
    EXPECT_EQ(d.unknownElements, (std::vector<std::string> {"<x:Odd>k</x:Odd>"}));
}

TEST(ChartXml, DamagedTextsAreRefused)
{
    struct Row {
        const char* label;
        std::string text;
        const char* message;
    };
    const Row rows[] = {
        {"not XML", "<xml><x:Chart", "line 1"},
        {"empty", "", "No document element"},
        {"foreign root", "<chart/>", "root element is 'chart'"},
        {"no namespace", "<xml><x:ChartSpace/></xml>", "binds no prefix"},
        {"a pivot table", "<xml xmlns:x=\"urn:schemas-microsoft-com:office:excel\"><x:PivotTable/></xml>",
            "pivot table"},
        {"no chart space", "<xml xmlns:x=\"urn:schemas-microsoft-com:office:excel\"/>", "no x:ChartSpace"},
        {"width not a number", Space("<x:Width>wide</x:Width>"), "'wide' in x:Width"},
        {"zero height", Space("<x:Height>0</x:Height>"), "x:Height"},
        {"short palette", Space("<x:Palette><x:Entry>#000000</x:Entry></x:Palette>"), "1 entries, 40 expected"},
        {"bad colour", Space("<x:Palette><x:Entry>red</x:Entry></x:Palette>"), "'red' is not a colour"},
        {"unknown type", Space("<x:ChartType>Radar</x:ChartType>"), "'Radar' is not a chart type"},
        {"bad sort", Space("<x:Sort>Sideways</x:Sort>"), "neither Ascending nor Descending"},
        {"bad chart font size", Space("<x:FontSize>big</x:FontSize>"), "font size"},
        {"bad axis", Space("<x:AxisFont><x:Axis>Z</x:Axis></x:AxisFont>"), "neither Category nor Value"},
        {"bad font size", Space("<x:AxisFont><x:Axis>Value</x:Axis><x:Size>-3</x:Size></x:AxisFont>"), "font size"},
        {"two value fonts",
            Space("<x:AxisFont><x:Axis>Value</x:Axis></x:AxisFont><x:AxisFont><x:Axis>Value</x:Axis></x:AxisFont>"),
            "second font"},
    };
    for (const Row& row : rows) {
        try {
            (void)ChartXml::Read(row.text);
            ADD_FAILURE() << row.label << ": accepted";
        } catch (const chart::ChartError& error) {
            EXPECT_NE(std::string(error.what()).find(row.message), std::string::npos)
                << row.label << ": " << error.what();
        }
    }
}
