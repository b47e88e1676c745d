// The Mondrian peer's schema and data (copied to data/peer), with totals
// recorded from the peer's answers.
#include "OlapTestSupport.h"

#include "olap/exec/AggregationEngine.h"
#include "olap/exec/AggregationResult.h"
#include "olap/exec/Drillthrough.h"
#include "olap/model/Measure.h"
#include "olap/model/Member.h"
#include "olap/schema/SchemaReader.h"
#include "olap/storage/CubeBuilder.h"

#include <gtest/gtest.h>

namespace {

class PeerCube : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new olaptest::TempDir();
        olap::SqliteDb db(s_dir->Path("peer.sqlite"), olap::SqliteDb::Mode::ReadWriteCreate);
        for (const char* table : {"time_dim", "product", "store", "sales"})
            olaptest::LoadCsvTable(db, table, olaptest::DataPath(std::string("peer/") + table + ".csv"));
        const auto schema = olap::SchemaReader::ReadFile(olaptest::DataPath("peer/sales.xml"));
        s_cube = olap::CubeBuilder::Build(schema.name, schema.cubes.front(), db).release();
    }
    static void TearDownTestSuite()
    {
        delete s_cube;
        delete s_dir;
    }

    static std::string Cell(std::initializer_list<const char*> tuple)
    {
        std::vector<const olap::Member*> members;
        for (const char* name : tuple) {
            members.push_back(s_cube->FindMember(name));
            if (!members.back())
                return std::string("no member ") + name;
        }
        auto v = olap::AggregationEngine::CellValue(*s_cube, members);
        return v ? olap::FormatNumber(*v) : "";
    }

    static olaptest::TempDir* s_dir;
    static olap::Cube* s_cube;
};

olaptest::TempDir* PeerCube::s_dir = nullptr;
olap::Cube* PeerCube::s_cube = nullptr;

TEST_F(PeerCube, CellsMatchThePeer)
{
    struct Case {
        std::initializer_list<const char*> tuple;
        const char* value;
    };
    const Case cases[] = {
        {{"[Time].[2023]"}, "2088"},
        {{"[Time].[2024]"}, "2852"},
        {{"[Product].[All Products]"}, "4940"},
        {{"[Product].[Drink]"}, "1490"},
        {{"[Time].[2023]", "[Product].[Drink].[Cola]", "[Measures].[Store Sales]"}, "363"},
        {{"[Time].[2023]", "[Product].[Drink].[Juice]", "[Measures].[Sales Count]"}, "46"},
        {{"[Time].[2024]", "[Product].[Non-Consumable].[Candles]", "[Measures].[Store Sales]"}, "1218.01"},
        {{"[Time].[2023]", "[Product].[Non-Consumable].[Candles]"}, ""},
        {{"[Time].[2024]", "[Store].[North]", "[Product].[Food]", "[Measures].[Store Sales]"}, "1744.25"},
        {{"[Time].[2024]", "[Store].[North]", "[Product].[Non-Consumable]", "[Measures].[Store Sales]"}, "1740.83"},
        {{"[Time].[2023].[Q2]", "[Store].[North]"}, "434"},
        {{"[Time].[2023].[Q1]", "[Store].[West]"}, ""},
        {{"[Time].[2024].[Q3]", "[Measures].[Store Sales]"}, "1992.09"},
        {{"[Product].[Non-Consumable].[Batteries]", "[Measures].[Store Sales]"}, "2719.46"},
        {{"[Store].[North].[Store North B]"}, "1487"},
    };
    for (const Case& c : cases) {
        std::string label;
        for (const char* name : c.tuple)
            label += std::string(name) + " ";
        EXPECT_EQ(Cell(c.tuple), c.value) << label;
    }
}

TEST_F(PeerCube, DrillthroughColumnsAndRowCount)
{
    const olap::Member* q1 = s_cube->FindMember("[Time].[2024].[Q1]");
    auto rows
        = olap::Drillthrough::Run(*s_cube, {olap::MemberSet::Of(*q1)}, {s_cube->DefaultMeasure()->Index()}, 10, true);
    std::string header;
    for (const auto& column : rows.Columns())
        header += (header.empty() ? "" : "\t") + column.name;
    EXPECT_EQ(header, "Year\tQuarter\tProduct Category\tProduct\tRegion\tStore\tUnit Sales");
    EXPECT_EQ(rows.RowCount(), 10u);
    const olap::Member* tuple[] = {q1, s_cube->FindMember("[Measures].[Sales Count]")};
    EXPECT_EQ(static_cast<double>(rows.TotalRows()), olap::AggregationEngine::CellValue(*s_cube, tuple));
    for (std::size_t r = 0; r < rows.RowCount(); ++r) {
        EXPECT_EQ(rows.TextAt(r, 0), "2024");
        EXPECT_EQ(rows.TextAt(r, 1), "Q1");
    }
}

} // namespace
