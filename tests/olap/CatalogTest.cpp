// The multidimensional catalog, cell sets and recordsets over a local cube connection.
#include "OlapTestSupport.h"

#include "olap/access/Connection.h"
#include "olap/adomd/Catalog.h"
#include "olap/adomd/CellSet.h"
#include "olap/query/MdxError.h"
#include "olap/storage/CubeFile.h"
#include "olap/util/OlapError.h"

#include <gtest/gtest.h>

namespace {

using olap::adomd::SchemaObjectType;

class CubeCatalog : public olaptest::TinyCubeSuite<> {
protected:
    static void SetUpTestSuite()
    {
        TinyCubeSuite::SetUpTestSuite();
        s_path = new std::string(s_dir->Path("Tiny.cub"));
        olap::CubeFile::Write(*s_cube, *s_path);
    }
    static void TearDownTestSuite()
    {
        delete s_path;
        TinyCubeSuite::TearDownTestSuite();
    }
    void SetUp() override
    {
        m_connection = std::make_shared<olap::Connection>();
        m_connection->Open("Provider=MSOLAP.2; Data Source=" + *s_path + "; Initial Catalog=Tiny");
        m_catalog.SetActiveConnection(m_connection);
    }
    const olap::adomd::CubeDef& Shop() const { return *m_catalog.FindCubeDef("SHOP"); }

    static inline std::string* s_path = nullptr;
    std::shared_ptr<olap::Connection> m_connection;
    olap::adomd::Catalog m_catalog;
};

template <typename T> std::vector<std::string> Names(const std::vector<const T*>& objects)
{
    std::vector<std::string> names;
    for (const T* object : objects)
        names.push_back(object->UniqueName());
    return names;
}

TEST_F(CubeCatalog, WalksCubesDimensionsHierarchiesLevelsAndMembers)
{
    EXPECT_EQ(m_catalog.Name(), "Tiny");
    ASSERT_EQ(m_catalog.CubeDefs().size(), 1u);
    EXPECT_EQ(m_catalog.CubeDefs()[0]->Name(), "Shop");
    EXPECT_EQ(m_catalog.FindCubeDef("Sales"), nullptr);

    EXPECT_EQ(
        Names(Shop().Dimensions()), (std::vector<std::string> {"[Measures]", "[Time]", "[Product]", "[Channel]"}));
    const auto* time = Shop().FindDimension("time");
    ASSERT_TRUE(time);
    ASSERT_EQ(time->Hierarchies().size(), 1u);
    EXPECT_EQ(Names(time->Hierarchies()[0]->Levels()),
        (std::vector<std::string> {"[Time].[(All)]", "[Time].[Year]", "[Time].[Quarter]"}));

    const auto* measures = Shop().FindDimension("Measures")->Hierarchies()[0]->Levels()[0];
    EXPECT_EQ(measures->Members().size(), 8u) << "seven stored measures and the calculated one";
    EXPECT_EQ(measures->Members().back()->UniqueName(), "[Measures].[Qty per Row]");
}

TEST_F(CubeCatalog, SchemaObjectsAreFoundByUniqueNameAndType)
{
    struct Case {
        SchemaObjectType type;
        std::string uniqueName;
        std::string name; // "" when the lookup must fail
        long children;
    };
    const Case cases[] = {
        {SchemaObjectType::Dimension, "[Product]", "Product", 0},
        {SchemaObjectType::Dimension, "[PRODUCT]", "Product", 0},
        {SchemaObjectType::Level, "[Time].[Quarter]", "Quarter", 0},
        {SchemaObjectType::Member, "[Time].[2023]", "2023", 2},
        {SchemaObjectType::Member, "[Time].[2023].[Q1]", "Q1", 0},
        {SchemaObjectType::Member, "[Product].[Snacks].[Nuts [Salted]]]", "Nuts [Salted]", 0},
        {SchemaObjectType::Member, "[Product].[All Products]", "All Products", 3},
        {SchemaObjectType::Member, "[Time].[2025]", "", 0},
        {SchemaObjectType::Level, "[Product]", "", 0},
        {SchemaObjectType::Dimension, "[Time].[Year]", "", 0},
    };
    for (const Case& c : cases) {
        if (c.name.empty()) {
            EXPECT_THROW(Shop().GetSchemaObject(c.type, c.uniqueName), olap::OlapError) << c.uniqueName;
            continue;
        }
        const olap::adomd::SchemaObject found = Shop().GetSchemaObject(c.type, c.uniqueName);
        std::string name;
        if (auto d = std::get_if<const olap::adomd::Dimension*>(&found))
            name = (*d)->Name();
        if (auto l = std::get_if<const olap::adomd::Level*>(&found))
            name = (*l)->Name();
        if (auto m = std::get_if<const olap::adomd::Member*>(&found)) {
            name = (*m)->Name();
            EXPECT_EQ((*m)->ChildCount(), c.children) << c.uniqueName;
            EXPECT_EQ((*m)->Children().size(), static_cast<std::size_t>(c.children)) << c.uniqueName;
        }
        EXPECT_EQ(name, c.name) << c.uniqueName;
    }
    const auto* year = Shop().FindMember("[Time].[2024]");
    ASSERT_TRUE(year);
    EXPECT_EQ(Names(year->Children()), (std::vector<std::string> {"[Time].[2024].[Q1]", "[Time].[2024].[Q2]"}));
    EXPECT_EQ(year->Children()[0]->Parent(), year);
    EXPECT_EQ(year->GetLevel().UniqueName(), "[Time].[Year]");
}

TEST_F(CubeCatalog, CellSetOpensGoodMdxAndFailsWithTheProvidersText)
{
    olap::adomd::CellSet cellSet;
    cellSet.Open("SELECT [Time].[Year].Members ON 0 FROM [Shop]", m_connection);
    ASSERT_TRUE(cellSet.IsOpen());
    EXPECT_EQ(cellSet.Result().axes.at(0).positions.size(), 2u);
    cellSet.Close();
    EXPECT_THROW(cellSet.Result(), olap::OlapError);

    const std::string bad = "SELECT [Time].[Nope].Members ON 0 FROM [Shop]";
    std::string expected;
    try {
        m_connection->ExecuteMdx(bad);
    } catch (const std::exception& e) {
        expected = e.what();
    }
    ASSERT_FALSE(expected.empty());
    try {
        cellSet.Open(bad, m_connection);
        ADD_FAILURE() << "a bad query opened";
    } catch (const std::exception& e) {
        EXPECT_EQ(std::string(e.what()), expected);
    }
    EXPECT_FALSE(cellSet.IsOpen());
}

TEST_F(CubeCatalog, ConnectionExecuteGivesRowsAndSchemaRowsets)
{
    // A SELECT comes flattened: the row members' captions, then one column per column position.
    olap::recordset::Recordset grid = m_connection->Execute(
        "SELECT {[Measures].[Qty], [Measures].[Rows]} ON 0, [Time].[Year].Members ON 1 FROM [Shop]");
    ASSERT_EQ(grid.FieldCount(), 3u);
    EXPECT_EQ(grid.FieldAt(0).Name(), "[Time]");
    EXPECT_EQ(grid.FieldAt(1).Name(), "[Measures].[Qty]");
    ASSERT_EQ(grid.RecordCount(), 2);
    EXPECT_EQ(grid.Fields()[0].Value().ToText(), "2023");
    EXPECT_EQ(grid.Fields()[1].Value().ToDouble(), 11.0);
    EXPECT_EQ(grid.Fields()[2].Value().ToDouble(), 4.0);

    // DRILLTHROUGH gives the detail rows, numbers typed.
    olap::recordset::Recordset detail
        = m_connection->Execute("DRILLTHROUGH MAXROWS 10 SELECT FROM [Shop] WHERE ([Time].[2023].[Q2])");
    ASSERT_EQ(detail.RecordCount(), 1);
    const olap::recordset::Field* qty = detail.FindField("Qty");
    ASSERT_TRUE(qty) << detail.FieldAt(0).Name();
    EXPECT_TRUE(olap::recordset::IsNumeric(qty->Type()));
    EXPECT_EQ(qty->Value().ToDouble(), 5.0);

    EXPECT_EQ(m_connection->OpenSchema(olap::SchemaEnum::Catalogs).Fields()[0].Value().ToText(), "Tiny");
    EXPECT_EQ(m_connection->OpenSchema(olap::SchemaEnum::Cubes).RecordCount(), 1);
    EXPECT_EQ(m_connection->OpenSchema(olap::SchemaEnum::Cubes, {"Other"}).RecordCount(), 0);
    EXPECT_EQ(m_connection->OpenSchema(olap::SchemaEnum::Levels, {"", "Shop"}).RecordCount(), 9);
    EXPECT_EQ(m_connection->OpenSchema(olap::SchemaEnum::Tables).RecordCount(), 0);
    EXPECT_THROW(m_connection->Execute("SELECT FROM [Nowhere]"), olap::MdxError);
}

} // namespace
