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

#include <cmath>
#include <sstream>

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

//! Every cell the peer recorded for the plain (no calculated member)
//! queries of its smoke test: blocks of "# slicer:" comments, header lines
//! (column tuples, one line per column hierarchy) and rows (row tuple, values).
TEST_F(PeerCube, EveryRecordedSmokeCellMatches)
{
    std::istringstream file(olaptest::ReadText(olaptest::DataPath("peer/smoke.raw.tsv")));
    auto split = [](const std::string& line) {
        std::vector<std::string> fields;
        std::string field;
        std::istringstream stream(line);
        while (std::getline(stream, field, '\t'))
            fields.push_back(field);
        if (!line.empty() && line.back() == '\t')
            fields.emplace_back();
        return fields;
    };
    std::vector<std::string> block;
    int checked = 0;
    auto runBlock = [&] {
        std::vector<const olap::Member*> slicer;
        std::vector<std::vector<std::string>> headers;
        std::vector<std::vector<std::string>> rows;
        bool usable = true;
        for (const std::string& line : block) {
            if (line.rfind("# WITH", 0) == 0 || line.rfind("# DRILLTHROUGH", 0) == 0)
                usable = false;
            if (line.rfind("# slicer: ", 0) == 0) {
                std::string rest = line.substr(10);
                std::size_t pos = 0;
                while ((pos = rest.find("] [")) != std::string::npos) {
                    slicer.push_back(s_cube->FindMember(rest.substr(0, pos + 1)));
                    rest = rest.substr(pos + 2);
                }
                slicer.push_back(s_cube->FindMember(rest));
            } else if (line.rfind("#", 0) == 0) {
                continue;
            } else if (!line.empty() && line[0] == '\t') {
                headers.push_back(split(line));
            } else if (!line.empty()) {
                rows.push_back(split(line));
            }
        }
        if (!usable || headers.empty())
            return;
        for (const auto& row : rows) {
            std::size_t rowMembers = 0;
            while (rowMembers < row.size() && !row[rowMembers].empty() && row[rowMembers][0] == '[')
                ++rowMembers;
            for (std::size_t c = rowMembers; c < headers[0].size(); ++c) {
                std::vector<const olap::Member*> tuple = slicer;
                for (std::size_t r = 0; r < rowMembers; ++r)
                    tuple.push_back(s_cube->FindMember(row[r]));
                for (const auto& header : headers)
                    tuple.push_back(s_cube->FindMember(header[c]));
                for (const olap::Member* m : tuple)
                    ASSERT_NE(m, nullptr) << "unknown member in " << row[0];
                const std::string expected = c < row.size() ? row[c] : "";
                auto value = olap::AggregationEngine::CellValue(*s_cube, tuple);
                if (expected.empty()) {
                    EXPECT_FALSE(value.has_value()) << row[0] << " column " << c;
                } else {
                    ASSERT_TRUE(value.has_value()) << row[0] << " column " << c;
                    const double want = std::stod(expected);
                    EXPECT_NEAR(*value, want, 1e-9 * std::max(1.0, std::fabs(want))) << row[0] << " column " << c;
                }
                ++checked;
            }
        }
    };
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty()) {
            runBlock();
            block.clear();
        } else {
            block.push_back(line);
        }
    }
    runBlock();
    EXPECT_GE(checked, 80);
}

} // namespace
