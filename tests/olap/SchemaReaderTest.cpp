#include "olap/schema/SchemaReader.h"
#include "olap/util/OlapError.h"

#include <gtest/gtest.h>

namespace {

std::string CubeWith(const std::string& inner)
{
    return "<Schema name='S'><Cube name='C'><Table name='f'/>" + inner + "</Cube></Schema>";
}

const std::string kGoodDimension = "<Dimension name='D' foreignKey='d_id'><Hierarchy primaryKey='id'>"
                                   "<Table name='d'/><Level name='L' column='c'/></Hierarchy></Dimension>";

TEST(SchemaReaderTest, ReadsTheSubset)
{
    const auto schema = olap::SchemaReader::Parse(R"(<?xml version="1.0"?>
<Schema name="S">
  <Dimension name="Shared"><Hierarchy hasAll="false" primaryKey="id"><Table name="s"/>
    <Level name="Top" column="t" ordinalColumn="o" nameColumn="n" captionColumn="cap" type="Integer"
           uniqueMembers="true" levelType="TimeYears"><Property name="Size" column="x" type="numeric"/><Property name="Owner" column="w"/></Level>
  </Hierarchy></Dimension>
  <Cube name="C" defaultMeasure="M2" caption="The cube">
    <Table name="facts"/>
    <DimensionUsage name="Used" source="Shared" foreignKey="s_id"/>
    <Dimension name="Degenerate"><Hierarchy hasAll="true" allMemberName="Everything"><Level name="L" column="c"/></Hierarchy></Dimension>
    <Measure name="M1" column="a" aggregator="distinct-count"/>
    <Measure name="M2" column="b" aggregator="avg" formatString="0.0"/>
    <CalculatedMember name="Calc" dimension="Measures"><Formula>[Measures].[M1] * 2</Formula>
      <CalculatedMemberProperty name="FORMAT_STRING" value="#,##0"/></CalculatedMember>
    <NamedSet name="Set" formula="{[Used].[Top].Members}"/>
  </Cube>
  <Role name="ignored"/>
</Schema>)");
    ASSERT_EQ(schema.cubes.size(), 1u);
    const olap::SchemaCube& cube = schema.cubes[0];
    EXPECT_EQ(cube.fact.name, "facts");
    ASSERT_EQ(cube.dimensions.size(), 2u);
    EXPECT_EQ(cube.dimensions[0].name, "Used");
    EXPECT_EQ(cube.dimensions[0].foreignKey, "s_id");
    EXPECT_FALSE(cube.dimensions[0].hierarchy.hasAll);
    const olap::SchemaLevel& top = cube.dimensions[0].hierarchy.levels[0];
    EXPECT_EQ(top.ordinalColumn, "o");
    EXPECT_TRUE(top.NumericKeys());
    EXPECT_TRUE(top.uniqueMembers);
    EXPECT_EQ(top.levelType, olap::LevelType::TimeYears);
    ASSERT_EQ(top.properties.size(), 2u);
    EXPECT_EQ(top.properties[0].property.name, "Size");
    EXPECT_EQ(top.properties[0].column, "x");
    EXPECT_EQ(top.properties[0].property.type, "Numeric");
    EXPECT_EQ(top.properties[1].property.type, "String");
    EXPECT_FALSE(cube.dimensions[1].hierarchy.table.has_value());
    EXPECT_EQ(cube.dimensions[1].hierarchy.allMemberName, "Everything");
    EXPECT_EQ(cube.measures[0].aggregator, olap::Aggregator::DistinctCount);
    EXPECT_EQ(cube.measures[1].formatString, "0.0");
    ASSERT_EQ(cube.calculated.size(), 2u);
    EXPECT_EQ(cube.calculated[0].formula, "[Measures].[M1] * 2");
    EXPECT_EQ(cube.calculated[0].formatString, "#,##0");
    EXPECT_EQ(cube.calculated[1].kind, olap::CalculatedDefinition::Kind::Set);
}

struct ErrorCase {
    const char* name;
    std::string xml;
    std::vector<std::string> mentions; //!< every one must appear in the message
};

class SchemaErrors : public ::testing::TestWithParam<ErrorCase> { };

TEST_P(SchemaErrors, NameTheElementAndTheFault)
{
    const ErrorCase& c = GetParam();
    try {
        olap::SchemaReader::Parse(c.xml);
        FAIL() << "no error";
    } catch (const olap::OlapError& e) {
        const std::string message = e.what();
        for (const std::string& part : c.mentions)
            EXPECT_NE(message.find(part), std::string::npos) << "'" << part << "' not in: " << message;
    }
}

const ErrorCase kErrorCases[] = {
    {"not xml", "<Schema name='S'><Cube", {"XML error", "line 1"}},
    {"wrong root", "<Catalog/>", {"<Catalog>", "<Schema>"}},
    {"schema without cube", "<Schema name='S'/>", {"<Schema> 'S'", "no <Cube>"}},
    {"cube without table", "<Schema name='S'><Cube name='C'/></Schema>", {"<Cube> 'C'", "fact <Table>"}},
    {"measure without column", CubeWith("<Measure name='M' aggregator='sum'/>"),
        {"<Measure> 'M'", "'column' is missing"}},
    {"unknown aggregator", CubeWith("<Measure name='M' column='x' aggregator='median'/>"), {"<Measure> 'M'", "median"}},
    {"level without column",
        CubeWith("<Dimension name='D' foreignKey='k'><Hierarchy primaryKey='id'><Table name='d'/><Level name='L'/>"
                 "</Hierarchy></Dimension>"),
        {"<Level> 'L'", "'column' is missing"}},
    {"bad boolean",
        CubeWith("<Dimension name='D' foreignKey='k'><Hierarchy hasAll='yes' primaryKey='id'><Table name='d'/>"
                 "<Level name='L' column='c'/></Hierarchy></Dimension>"),
        {"<Hierarchy>", "hasAll", "yes"}},
    {"bad level type",
        CubeWith("<Dimension name='D' foreignKey='k'><Hierarchy primaryKey='id'><Table name='d'/>"
                 "<Level name='L' column='c' levelType='TimeCenturies'/></Hierarchy></Dimension>"),
        {"<Level> 'L'", "TimeCenturies"}},
    {"missing foreign key",
        CubeWith("<Dimension name='D'><Hierarchy primaryKey='id'><Table name='d'/><Level name='L' column='c'/>"
                 "</Hierarchy></Dimension>"),
        {"<Dimension> 'D'", "foreignKey"}},
    {"missing primary key",
        CubeWith("<Dimension name='D' foreignKey='k'><Hierarchy><Table name='d'/><Level name='L' column='c'/>"
                 "</Hierarchy></Dimension>"),
        {"<Hierarchy>", "primaryKey"}},
    {"join", CubeWith("<Dimension name='D' foreignKey='k'><Hierarchy primaryKey='id'><Join/></Hierarchy></Dimension>"),
        {"<Join>", "not supported"}},
    {"two hierarchies",
        CubeWith("<Dimension name='D' foreignKey='k'><Hierarchy primaryKey='id'><Table name='d'/><Level name='L' "
                 "column='c'/>"
                 "</Hierarchy><Hierarchy name='H2' primaryKey='id'><Table name='d'/><Level name='L' column='c'/>"
                 "</Hierarchy></Dimension>"),
        {"<Hierarchy> 'H2'", "more than one hierarchy"}},
    {"duplicate dimension", CubeWith(kGoodDimension + kGoodDimension), {"<Dimension> 'D'", "already defined"}},
    {"duplicate level",
        CubeWith("<Dimension name='D' foreignKey='k'><Hierarchy primaryKey='id'><Table name='d'/><Level name='L' "
                 "column='c'/>"
                 "<Level name='L' column='e'/></Hierarchy></Dimension>"),
        {"<Level> 'L'", "already defined"}},
    {"property without column",
        CubeWith("<Dimension name='D' foreignKey='k'><Hierarchy primaryKey='id'><Table name='d'/><Level name='L' "
                 "column='c'><Property name='P'/></Level></Hierarchy></Dimension>"),
        {"<Property> 'P'", "'column' is missing"}},
    {"property of an unknown type",
        CubeWith("<Dimension name='D' foreignKey='k'><Hierarchy primaryKey='id'><Table name='d'/><Level name='L' "
                 "column='c'><Property name='P' column='p' type='Money'/></Level></Hierarchy></Dimension>"),
        {"<Property> 'P'", "Money"}},
    {"property defined twice",
        CubeWith("<Dimension name='D' foreignKey='k'><Hierarchy primaryKey='id'><Table name='d'/><Level name='L' "
                 "column='c'><Property name='P' column='p'/><Property name='p' column='q'/></Level></Hierarchy>"
                 "</Dimension>"),
        {"<Property> 'p'", "another property of this name"}},
    {"property formatter",
        CubeWith("<Dimension name='D' foreignKey='k'><Hierarchy primaryKey='id'><Table name='d'/><Level name='L' "
                 "column='c'><Property name='P' column='p' formatter='com.x.F'/></Level></Hierarchy></Dimension>"),
        {"<Property> 'P'", "formatter"}},
    {"unknown shared dimension", CubeWith("<DimensionUsage name='U' source='Nope' foreignKey='k'/>"),
        {"<DimensionUsage> 'U'", "Nope"}},
    {"unknown element", CubeWith("<Measures/>"), {"<Measures>", "unexpected element inside <Cube>", "line 1"}},
    {"default measure unknown",
        "<Schema name='S'><Cube name='C' defaultMeasure='Nope'><Table name='f'/></Cube></Schema>",
        {"<Cube> 'C'", "Nope"}},
    {"dimension named Measures",
        CubeWith("<Dimension name='Measures'><Hierarchy><Level name='L' column='c'/></Hierarchy></Dimension>"),
        {"'Measures'", "reserved"}},
    {"calculated member without formula", CubeWith("<CalculatedMember name='X' dimension='Measures'/>"),
        {"<CalculatedMember> 'X'", "formula"}},
    {"calculated member that does not parse",
        CubeWith("<CalculatedMember name='Broken' dimension='Measures' formula='[Measures].[M1] * (2'/>"),
        {"<CalculatedMember> 'Broken'", "does not parse", "Syntax error at line 1, column"}},
    {"calculated member in a Formula element",
        CubeWith("<CalculatedMember name='Odd' dimension='Measures'><Formula>1 +* 2</Formula></CalculatedMember>"),
        {"<CalculatedMember> 'Odd'", "does not parse", "'*'"}},
    {"named set that does not parse", CubeWith("<NamedSet name='Top' formula='{[D].[L].Members'/>"),
        {"<NamedSet> 'Top'", "does not parse", "end of input"}},
    {"line of the fault",
        "<Schema name='S'>\n<Cube name='C'>\n<Table name='f'/>\n<Measure name='M'/>\n</Cube></Schema>", {"line 4"}},
};

INSTANTIATE_TEST_SUITE_P(
    Invalid, SchemaErrors, ::testing::ValuesIn(kErrorCases), [](const ::testing::TestParamInfo<ErrorCase>& info) {
        std::string name;
        for (char ch : std::string(info.param.name))
            name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        return name;
    });

} // namespace
