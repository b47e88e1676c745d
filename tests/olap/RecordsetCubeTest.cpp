// Recordsets become in-memory cubes that answer MDX like cube files do.
#include "olap/access/RecordsetCube.h"
#include "../../tools/lumetra-mdx/MdxOutput.h"
#include "olap/access/Connection.h"
#include "olap/access/LocalCubeProvider.h"
#include "olap/model/Cube.h"
#include "olap/model/Dimension.h"
#include "olap/model/Measure.h"
#include "olap/query/MdxEvaluator.h"
#include "olap/recordset/Recordset.h"
#include "olap/util/OlapError.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using olap::recordset::CellValue;
using olap::recordset::DataType;
using olap::recordset::DateTime;
using olap::recordset::Recordset;

Recordset MakeRecordset(
    const std::vector<std::pair<std::string, DataType>>& fields, const std::vector<std::vector<CellValue>>& rows)
{
    Recordset rs;
    for (const auto& [name, type] : fields)
        rs.AppendField(name, type, type == DataType::VarWChar ? 40 : 0);
    rs.Open();
    for (const auto& row : rows)
        rs.AppendRow(row);
    return rs;
}

//! Region, Sold, Paid, Units, Amount; NULLs in every field but Sold.
Recordset SalesRows()
{
    return MakeRecordset({{"Region", DataType::VarWChar}, {"Sold", DataType::Date}, {"Paid", DataType::Boolean},
                             {"Units", DataType::Integer}, {"Amount", DataType::Double}},
        {
            {"North", DateTime {2024, 1, 15}, true, 3, 10.5},
            {"South", DateTime {2024, 2, 29, 13, 45, 0}, false, 4, 20.0},
            {"North", DateTime {2024, 1, 15}, {}, {}, 7.25},
            {{}, DateTime {2023, 12, 31}, true, 2, {}},
        });
}

std::string Cells(const olap::Cube& cube, const std::string& mdx)
{
    return lumetra_mdx::Render(olap::MdxEvaluator::Execute(cube, mdx), lumetra_mdx::OutputFormat::Cells);
}

struct QueryCase {
    const char* name;
    const char* mdx;
    const char* expected;
};

class RecordsetCubeQueries : public ::testing::TestWithParam<QueryCase> {
protected:
    static void SetUpTestSuite() { s_cube = olap::RecordsetCube::Build(SalesRows(), "Sales").release(); }
    static void TearDownTestSuite()
    {
        delete s_cube;
        s_cube = nullptr;
    }
    static inline olap::Cube* s_cube = nullptr;
};

TEST_P(RecordsetCubeQueries, Answer)
{
    EXPECT_EQ(Cells(*s_cube, GetParam().mdx), GetParam().expected);
}

const QueryCase kQueries[] = {
    {"sums and count by text member, null first",
        "SELECT {[Measures].[Units], [Measures].[Amount], [Measures].[Count]} ON COLUMNS, "
        "[Region].[Region].Members ON ROWS FROM [Sales]",
        "#null\tUnits\t2\n#null\tAmount\t\n#null\tCount\t1\n"
        "North\tUnits\t3\nNorth\tAmount\t17.75\nNorth\tCount\t2\n"
        "South\tUnits\t4\nSouth\tAmount\t20\nSouth\tCount\t1\n"},
    {"dates are members in date order",
        "SELECT [Measures].[Count] ON COLUMNS, [Sold].[Sold].Members ON ROWS FROM [Sales]",
        "2023-12-31\tCount\t1\n2024-01-15\tCount\t2\n2024-02-29 13:45:00\tCount\t1\n"},
    {"booleans are True and False, a sum over NULLs only is empty",
        "SELECT [Measures].[Units] ON COLUMNS, [Paid].[Paid].Members ON ROWS FROM [Sales]",
        "#null\tUnits\t\nFalse\tUnits\t4\nTrue\tUnits\t5\n"},
    {"the first numeric field is the default measure", "SELECT FROM [Sales]", "\t\t9\n"},
    {"members by name across dimensions",
        "SELECT {[Region].[North], [Region].[All Regions]} ON COLUMNS FROM [Sales] WHERE ([Paid].[True], "
        "[Measures].[Amount])",
        "\tNorth\t10.5\n\tAll Regions\t10.5\n"},
    {"the all member counts every row", "SELECT [Measures].[Count] ON 0 FROM [Sales]", "\tCount\t4\n"},
};

INSTANTIATE_TEST_SUITE_P(
    Sales, RecordsetCubeQueries, ::testing::ValuesIn(kQueries), [](const ::testing::TestParamInfo<QueryCase>& info) {
        std::string name;
        for (char ch : std::string(info.param.name))
            name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        return name;
    });

TEST(RecordsetCube, NamesThatClashOrNeedQuotingStillWork)
{
    const Recordset rs = MakeRecordset({{"Measures", DataType::VarWChar}, {"Count", DataType::Double},
                                           {"Row Count", DataType::Integer}, {"a]b", DataType::VarWChar}},
        {{"m1", 1.5, 10, "x]y"}, {"m2", 2.0, 20, "x]y"}, {"m1", 4.0, 30, "z"}});
    auto cube = olap::RecordsetCube::Build(rs, "Odd]Cube");
    // The Measures field became "Measures 2"; the count, clashing with both "Count" and
    // "Row Count", became "Row Count 2".
    EXPECT_EQ(Cells(*cube,
                  "SELECT {[Measures].[Count], [Measures].[Row Count], [Measures].[Row Count 2]} ON 0, "
                  "[Measures 2].[Measures 2].Members ON 1 FROM [Odd]]Cube]"),
        "m1\tCount\t5.5\nm1\tRow Count\t40\nm1\tRow Count 2\t2\n"
        "m2\tCount\t2\nm2\tRow Count\t20\nm2\tRow Count 2\t1\n");
    EXPECT_EQ(Cells(*cube, "SELECT [Measures].[Row Count 2] ON 0 FROM [Odd]]Cube] WHERE [a]]b].[a]]b].[x]]y]"),
        "\tRow Count 2\t2\n");
    const olap::Dimension* renamed = cube->FindDimension("Measures 2");
    ASSERT_NE(renamed, nullptr);
    EXPECT_EQ(renamed->Caption(), "Measures");
    EXPECT_EQ(cube->DefaultMeasure()->Name(), "Count");
}

TEST(RecordsetCube, WithoutNumbersTheCountIsTheDefaultMeasure)
{
    const Recordset rs = MakeRecordset({{"Name", DataType::VarWChar}}, {{"a"}, {"b"}, {"a"}});
    auto cube = olap::RecordsetCube::Build(rs, "Names");
    EXPECT_EQ(cube->DefaultMeasure()->Name(), "Count");
    EXPECT_EQ(Cells(*cube, "SELECT [Name].[Name].Members ON 0 FROM [Names]"), "\ta\t2\n\tb\t1\n");
}

TEST(RecordsetCube, AnEmptyRecordsetAnswersWithEmptyCells)
{
    const Recordset rs = MakeRecordset({{"Region", DataType::VarWChar}, {"Amount", DataType::Double}}, {});
    auto cube = olap::RecordsetCube::Build(rs, "Empty");
    EXPECT_EQ(Cells(*cube, "SELECT FROM [Empty]"), "\t\t\n");
    EXPECT_EQ(Cells(*cube, "SELECT [Measures].[Count] ON 0, [Region].[Region].Members ON 1 FROM [Empty]"), "");
    EXPECT_EQ(Cells(*cube, "SELECT [Measures].[Count] ON 0, [Region].[All Regions] ON 1 FROM [Empty]"),
        "All Regions\tCount\t\n");
}

TEST(RecordsetCube, RefusesWhatCannotBeACube)
{
    struct Case {
        const char* name;
        Recordset rs;
        std::string cubeName;
        const char* words;
    };
    const Case cases[] = {
        {"no fields", Recordset(), "Sales", "without fields"},
        {"no cube name", SalesRows(), "", "needs a name"},
        {"not a number", MakeRecordset({{"V", DataType::Double}}, {{1.0}, {std::nan("")}}), "Sales",
            "row 2 has a value of 'V' that is not a finite number"},
    };
    for (const Case& c : cases) {
        try {
            olap::RecordsetCube::Build(c.rs, c.cubeName);
            ADD_FAILURE() << c.name << ": built";
        } catch (const olap::OlapError& e) {
            EXPECT_NE(std::string(e.what()).find(c.words), std::string::npos) << c.name << ": " << e.what();
        }
    }
}

TEST(RecordsetCube, AConnectionRunsMdxOverARecordsetAndLeavesItsCursor)
{
    Recordset rs = SalesRows();
    rs.MoveNext();
    olap::Connection connection(std::make_unique<olap::LocalCubeProvider>(olap::RecordsetCube::Build(rs, "Sales")));
    EXPECT_EQ(rs.Position(), 1u);
    const olap::QueryResult result
        = connection.ExecuteMdx("SELECT [Measures].[Amount] ON 0, [Region].[Region].[South] ON 1 FROM [Sales]");
    ASSERT_EQ(result.cellSet.cells.size(), 1u);
    EXPECT_EQ(result.cellSet.cells[0].value, 20.0);
    EXPECT_EQ(result.cellSet.axes[1].positions[0][0].uniqueName, "[Region].[South]");
    const olap::SchemaRowset cubes = connection.Discover(olap::SchemaRowsetKind::Cubes);
    ASSERT_EQ(cubes.rows.size(), 1u);
    EXPECT_EQ(cubes.rows[0][0], "Sales");
    EXPECT_EQ(cubes.rows[0][1], "Sales");
    EXPECT_THROW(olap::LocalCubeProvider(std::unique_ptr<olap::Cube>()), olap::OlapError);
}

} // namespace
