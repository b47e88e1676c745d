#include "OlapTestSupport.h"

#include "olap/model/Hierarchy.h"
#include "olap/model/Level.h"
#include "olap/model/Member.h"
#include "olap/schema/SchemaReader.h"
#include "olap/storage/CubeBuilder.h"
#include "olap/util/OlapError.h"

#include <gtest/gtest.h>

namespace {

struct BuildErrorCase {
    const char* name;
    std::string sqlChange; //!< run after tiny.sql
    std::vector<std::string> mentions;
};

class BuildErrors : public ::testing::TestWithParam<BuildErrorCase> { };

TEST_P(BuildErrors, SayWhatIsMissingOrWrong)
{
    const BuildErrorCase& c = GetParam();
    olaptest::TempDir dir;
    auto db = olaptest::MakeDatabase(dir.Path("db.sqlite"), olaptest::ReadText(olaptest::DataPath("tiny.sql")));
    db->Exec(c.sqlChange);
    const auto schema = olap::SchemaReader::ReadFile(olaptest::DataPath("tiny.xml"));
    try {
        olap::CubeBuilder::Build(schema.name, schema.cubes.front(), *db);
        FAIL() << "no error";
    } catch (const olap::OlapError& e) {
        const std::string message = e.what();
        for (const std::string& part : c.mentions)
            EXPECT_NE(message.find(part), std::string::npos) << "'" << part << "' not in: " << message;
    }
}

const BuildErrorCase kBuildErrors[] = {
    {"missing fact table", "DROP TABLE facts", {"table 'facts'", "fact table of cube 'Shop'", "does not exist"}},
    {"missing dimension table", "DROP TABLE period", {"table 'period'", "dimension 'Time'"}},
    {"missing level column", "ALTER TABLE product RENAME COLUMN category TO kind",
        {"table 'product' has no column 'category'", "Level 'Category'"}},
    {"missing member property column", "ALTER TABLE product RENAME COLUMN colour TO tint",
        {"table 'product' has no column 'colour'", "Property 'Colour' of level 'Product'"}},
    {"missing measure column", "ALTER TABLE facts RENAME COLUMN price TO cost", {"'price'", "Measure 'Price Sum'"}},
    {"missing foreign key column", "ALTER TABLE facts RENAME COLUMN time_id TO tid", {"'time_id'", "foreignKey"}},
    {"unmatched foreign key", "INSERT INTO facts VALUES (9, 1, 'Web', 1, 1.0, 1)",
        {"row 9", "time_id = 9", "no match in period.time_id", "dimension 'Time'"}},
    {"null foreign key", "INSERT INTO facts VALUES (1, NULL, 'Web', 1, 1.0, 1)", {"row 9", "NULL product_id"}},
    {"duplicate primary key", "INSERT INTO period VALUES (2, 2025, 'Q4')", {"time_id = 2", "not unique", "'period'"}},
};

INSTANTIATE_TEST_SUITE_P(
    Source, BuildErrors, ::testing::ValuesIn(kBuildErrors), [](const ::testing::TestParamInfo<BuildErrorCase>& info) {
        std::string name;
        for (char ch : std::string(info.param.name))
            name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        return name;
    });

TEST(CubeBuild, OrdinalColumnOrdersMembersAndTextKeysCompareAsNumbersWhenNumeric)
{
    olaptest::TempDir dir;
    auto db = olaptest::MakeDatabase(dir.Path("db.sqlite"),
        "CREATE TABLE d(id INTEGER, k TEXT, o INTEGER);"
        "INSERT INTO d VALUES (1, '10', 3), (2, '9', 1), (3, '100', 2);"
        "CREATE TABLE f(d_id INTEGER, v REAL);"
        "INSERT INTO f VALUES (1, 1), (2, 2), (3, 3);");
    for (const auto& [attributes, order] : {std::pair<std::string, std::string> {"type='Numeric'", "9,10,100"},
             {"", "10,100,9"}, {"ordinalColumn='o'", "9,100,10"}}) {
        const auto schema = olap::SchemaReader::Parse(
            "<Schema name='S'><Cube name='C'><Table name='f'/><Dimension name='D' foreignKey='d_id'>"
            "<Hierarchy primaryKey='id'><Table name='d'/><Level name='L' column='k' "
            + attributes + "/></Hierarchy></Dimension><Measure name='V' column='v' aggregator='sum'/></Cube></Schema>");
        auto cube = olap::CubeBuilder::Build(schema.name, schema.cubes.front(), *db);
        std::string names;
        for (const olap::Member* m : cube->FindLevel("[D].[L]")->Members())
            names += (names.empty() ? "" : ",") + m->Name();
        EXPECT_EQ(names, order) << attributes;
    }
}

} // namespace

namespace {

TEST(CubeBuild, NamedHierarchyAndDegenerateDimension)
{
    olaptest::TempDir dir;
    auto db = olaptest::MakeDatabase(dir.Path("db.sqlite"),
        "CREATE TABLE d(id INTEGER, y INTEGER);"
        "INSERT INTO d VALUES (1, 2023), (2, 2024);"
        "CREATE TABLE f(d_id INTEGER, kind TEXT, v INTEGER);"
        "INSERT INTO f VALUES (1, 'a]b', 1), (2, NULL, 2), (2, 'a]b', 3);");
    const auto schema = olap::SchemaReader::Parse(
        "<Schema name='S'><Cube name='C'><Table name='f'/><Dimension name='Time' foreignKey='d_id'>"
        "<Hierarchy name='Fiscal' hasAll='false' primaryKey='id'><Table name='d'/><Level name='Year' column='y'/>"
        "</Hierarchy></Dimension><Dimension name='Kind'><Hierarchy><Level name='Kind' column='kind'/></Hierarchy>"
        "</Dimension><Measure name='V' column='v' aggregator='max'/></Cube></Schema>");
    auto cube = olap::CubeBuilder::Build(schema.name, schema.cubes.front(), *db);
    ASSERT_NE(cube->FindHierarchy("[Time.Fiscal]"), nullptr);
    const olap::Member* y2024 = cube->FindMember("[Time.Fiscal].[2024]");
    ASSERT_NE(y2024, nullptr);
    EXPECT_EQ(cube->FindMember("[Time].[Fiscal].[2024]"), y2024);
    EXPECT_EQ(cube->FindHierarchy("[Time.Fiscal]")->DefaultMember()->Name(), "2023");
    // NULL keys become "#null" and sort first; "]" is doubled in unique names.
    const olap::Member* kind = cube->FindMember("[Kind].[a]]b]");
    ASSERT_NE(kind, nullptr);
    EXPECT_EQ(cube->FindLevel("[Kind].[Kind]")->Members()[0]->Name(), "#null");
    EXPECT_EQ(cube->FindMember("[Kind].[All Kinds]")->Children().size(), 2u);
}

} // namespace
