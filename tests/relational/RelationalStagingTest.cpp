// Cubes built through a relational connection (SQLite, ODBC, workbooks) answer as the cube
// built from the same tables in a SQLite file.
#include "OdbcFixture.h"
#include "PropertiesFromText.h"
#include "TempFolder.h"

#include "olap/model/Cube.h"
#include "olap/providers/RelationalSources.h"
#include "olap/query/MdxEvaluator.h"
#include "olap/schema/SchemaReader.h"
#include "olap/storage/CubeBuilder.h"
#include "olap/storage/RelationalStaging.h"
#include "olap/util/NameUtil.h"
#include "olap/util/OlapError.h"
#include "olap/util/SqliteDb.h"

#include <gtest/gtest.h>
#include <xlsxwriter.h>

#include <fstream>

namespace olap {
namespace {

using recordset::CellValue;
using recordset::DateTime;

struct Table {
    std::string name;
    std::vector<std::string> columns;
    std::vector<std::vector<CellValue>> rows;
};

//! A star schema: facts with a NULL measure, a NULL degenerate member and a boolean, a
//! product table and a period table with dates.
std::vector<Table> StarTables(const std::string& facts, const std::string& products, const std::string& periods)
{
    return {
        {facts, {"time_id", "product_id", "channel", "promo", "qty", "price"},
            {{1, 1, "Web", true, 2, 1.5}, {1, 2, "Shop", false, 1, 2.25}, {2, 1, "Shop", {}, 3, {}},
                {2, 3, "Web", true, 5, 0.99}, {1, 3, {}, false, 4, 1.1}}},
        {products, {"product_id", "name", "category"},
            {{1, "Apple", "Fruit"}, {2, "Pear", "Fruit"}, {3, "Milk", "Dairy"}}},
        {periods, {"time_id", "day", "year"}, {{1, DateTime {2024, 1, 15}, 2024}, {2, DateTime {2023, 12, 31}, 2023}}},
    };
}

std::string StarSchema(const std::string& facts, const std::string& products, const std::string& periods)
{
    return "<Schema name='S'><Cube name='Shop'><Table name='" + facts
        + "'/>"
          "<Dimension name='Time' foreignKey='time_id'><Hierarchy primaryKey='time_id'><Table name='"
        + periods
        + "'/><Level name='Year' column='year' type='Numeric'/><Level name='Day' column='day'/></Hierarchy>"
          "</Dimension><Dimension name='Product' foreignKey='product_id'><Hierarchy primaryKey='product_id'>"
          "<Table name='"
        + products
        + "'/><Level name='Category' column='category'/><Level name='Name' column='name'/></Hierarchy>"
          "</Dimension><Dimension name='Channel'><Hierarchy><Level name='Channel' column='channel'/></Hierarchy>"
          "</Dimension><Dimension name='Promo'><Hierarchy><Level name='Promo' column='promo'/></Hierarchy>"
          "</Dimension><Measure name='Qty' column='qty' aggregator='sum'/>"
          "<Measure name='Price' column='price' aggregator='sum'/>"
          "<Measure name='Priced' column='price' aggregator='count'/></Cube></Schema>";
}

//! TABLES in a SQLite file as a database would hold them: dates as text, booleans as 1 and 0.
void WriteSqlite(const std::string& path, const std::vector<Table>& tables)
{
    SqliteDb db(path, SqliteDb::Mode::ReadWriteCreate);
    for (const Table& table : tables) {
        std::string columns;
        std::string marks;
        for (const std::string& column : table.columns) {
            columns += (columns.empty() ? "" : ", ") + QuoteIdentifier(column);
            marks += marks.empty() ? "?" : ", ?";
        }
        db.Exec("CREATE TABLE " + QuoteIdentifier(table.name) + " (" + columns + ")");
        auto insert = db.Prepare("INSERT INTO " + QuoteIdentifier(table.name) + " VALUES (" + marks + ")");
        for (const auto& row : table.rows) {
            for (std::size_t c = 0; c < row.size(); ++c) {
                const int i = static_cast<int>(c) + 1;
                const CellValue& v = row[c];
                if (v.IsNull())
                    insert.BindNull(i);
                else if (v.Kind() == recordset::ValueKind::Double)
                    insert.Bind(i, v.Double());
                else if (v.Kind() == recordset::ValueKind::Text || v.Kind() == recordset::ValueKind::Date)
                    insert.Bind(i, std::string_view(v.ToText()));
                else
                    insert.Bind(i, *v.ToInteger());
            }
            insert.Step();
            insert.Reset();
        }
    }
}

//! TABLES as sheets of an .xlsx workbook, each sheet named after its table without the "$".
void WriteXlsx(const std::string& path, const std::vector<Table>& tables)
{
    lxw_workbook* workbook = workbook_new(path.c_str());
    lxw_format* dateFormat = workbook_add_format(workbook);
    format_set_num_format(dateFormat, "yyyy-mm-dd");
    for (const Table& table : tables) {
        lxw_worksheet* sheet = workbook_add_worksheet(workbook, table.name.substr(0, table.name.size() - 1).c_str());
        for (std::size_t c = 0; c < table.columns.size(); ++c)
            worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c), table.columns[c].c_str(), nullptr);
        for (std::size_t r = 0; r < table.rows.size(); ++r) {
            const auto row = static_cast<lxw_row_t>(r + 1);
            for (std::size_t c = 0; c < table.rows[r].size(); ++c) {
                const auto col = static_cast<lxw_col_t>(c);
                const CellValue& v = table.rows[r][c];
                if (v.Kind() == recordset::ValueKind::Text)
                    worksheet_write_string(sheet, row, col, v.Text().c_str(), nullptr);
                else if (v.Kind() == recordset::ValueKind::Boolean)
                    worksheet_write_boolean(sheet, row, col, v.Boolean(), nullptr);
                else if (v.Kind() == recordset::ValueKind::Date) {
                    lxw_datetime date {v.Date().year, v.Date().month, v.Date().day, 0, 0, 0};
                    worksheet_write_datetime(sheet, row, col, &date, dateFormat);
                } else if (!v.IsNull())
                    worksheet_write_number(sheet, row, col, *v.ToDouble(), nullptr);
            }
        }
    }
    if (workbook_close(workbook) != LXW_NO_ERROR)
        throw std::runtime_error("cannot write " + path);
}

//! The answers of CUBE to queries that touch every level and measure, one line per cell:
//! the unique names of its members (axis 0 first), then the value.
std::string Answers(const Cube& cube)
{
    static const char* const kQueries[] = {
        "SELECT {[Measures].[Qty], [Measures].[Price], [Measures].[Priced]} ON 0, "
        "CrossJoin([Time].[Day].Members, [Product].[Name].Members) ON 1 FROM [Shop]",
        "SELECT [Product].[Category].Members ON 0, CrossJoin([Channel].[Channel].Members, [Promo].[Promo].Members) "
        "ON 1 FROM [Shop]",
        "SELECT [Time].[Year].Members ON 0 FROM [Shop] WHERE [Measures].[Price]",
    };
    std::string out;
    for (const char* mdx : kQueries) {
        const CellSet cs = MdxEvaluator::Execute(cube, mdx).cellSet;
        std::vector<std::string> captions {""};
        for (const CellSet::Axis& axis : cs.axes) {
            std::vector<std::string> next;
            for (const std::string& prefix : captions)
                for (const auto& position : axis.positions) {
                    std::string text = prefix;
                    for (const CellSet::Member& m : position)
                        text += m.uniqueName + " ";
                    next.push_back(text);
                }
            captions = std::move(next);
        }
        // Axis 0 runs fastest in cell ordinals; the loop above made it run slowest.
        const std::size_t columns = cs.axes.empty() ? 1 : cs.axes[0].positions.size();
        for (std::size_t i = 0; i < cs.cells.size(); ++i) {
            const std::size_t c = i % columns;
            const std::size_t rest = i / columns;
            const std::string& label = captions[c * (captions.size() / columns) + rest];
            const CellSet::Cell& cell = cs.cells[i];
            out += label + "= " + (cell.value ? FormatNumber(*cell.value) : std::string("(empty)")) + "\n";
        }
    }
    return out;
}

std::unique_ptr<Cube> BuildFromFile(const std::string& path, const std::string& schemaText)
{
    const SchemaDefinition schema = SchemaReader::Parse(schemaText);
    SqliteDb db(path, SqliteDb::Mode::ReadOnly);
    return CubeBuilder::Build(schema.name, schema.cubes.front(), db);
}

std::unique_ptr<Cube> BuildThrough(const std::string& connection, const std::string& schemaText)
{
    const SchemaDefinition schema = SchemaReader::Parse(schemaText);
    auto source = providers::OpenRelationalSource(PropertiesFromText(connection), {});
    return RelationalStaging::BuildCube(schema.name, schema.cubes.front(), *source);
}

class RelationalCubeTest : public testing::Test {
protected:
    void SetUp() override { m_odbc = OdbcTestEnvironment::Get(); }

    const OdbcTestEnvironment* m_odbc = nullptr;
    TempFolder m_folder;
};

TEST_F(RelationalCubeTest, SqliteAndOdbcConnectionsBuildTheCubeTheFileBuilds)
{
    // A dimension table whose name needs quoting, with a quote inside.
    const std::string schema = StarSchema("facts", "Product \"List\"", "period");
    const std::string path = m_folder.File("star.db");
    WriteSqlite(path, StarTables("facts", "Product \"List\"", "period"));
    auto reference = BuildFromFile(path, schema);
    const std::string expected = Answers(*reference);
    EXPECT_NE(
        expected.find("[Measures].[Qty] [Time].[2024].[2024-01-15] [Product].[Fruit].[Apple] = 2\n"), std::string::npos)
        << expected;
    EXPECT_NE(expected.find("[Product].[Dairy] [Channel].[#null] [Promo].[0] = 4\n"), std::string::npos) << expected;

    EXPECT_EQ(Answers(*BuildThrough("Data Source=" + path, schema)), expected) << "SQLite";
    if (!m_odbc)
        GTEST_SKIP() << "the SQLite ODBC driver (libsqliteodbc) is not installed";
    EXPECT_EQ(Answers(*BuildThrough("Driver={SQLite3 Test}; Database=" + path, schema)), expected) << "ODBC";
}

TEST_F(RelationalCubeTest, WorkbookSheetsAreTheTables)
{
    const std::vector<Table> tables = StarTables("Sales Facts$", "Products$", "Days$");
    const std::string schema = StarSchema("Sales Facts$", "Products$", "Days$");
    WriteSqlite(m_folder.File("sheets.db"), tables);
    WriteXlsx(m_folder.File("sheets.xlsx"), tables);
    const std::string expected = Answers(*BuildFromFile(m_folder.File("sheets.db"), schema));
    EXPECT_EQ(Answers(*BuildThrough("Data Source=" + m_folder.File("sheets.xlsx"), schema)), expected);
}

TEST_F(RelationalCubeTest, FailuresNameTheTableAndKeepTheSourceMessage)
{
    const std::string path = m_folder.File("errors.db");
    WriteSqlite(path, StarTables("facts", "product", "period"));
    struct Case {
        const char* name;
        std::string schema;
        std::vector<std::string> words;
    };
    const std::string good = StarSchema("facts", "product", "period");
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    const Case cases[] = {
        {"missing fact table", StarSchema("sales", "product", "period"),
            {"cannot read table 'sales' (fact table of cube 'Shop')", "no such table"}},
        {"missing dimension table", StarSchema("facts", "goods", "period"),
            {"cannot read table 'goods' (table of dimension 'Product')", "goods"}},
        {"unknown schema", replaced("<Table name='facts'/>", "<Table name='facts' schema='archive'/>"),
            {"cannot read table 'archive.facts'", "archive"}},
        {"one name in two schemas", replaced("<Table name='period'/>", "<Table name='FACTS' schema='x'/>"),
            {"'facts' and 'x.FACTS' have the same name in different schemas"}},
        {"missing column", replaced("column='category'", "column='kind'"),
            {"table 'product' has no column 'kind'", "tables read through the SQLite connection"}},
    };
    for (const Case& c : cases) {
        try {
            BuildThrough("Data Source=" + path, c.schema);
            ADD_FAILURE() << c.name << ": built";
        } catch (const OlapError& e) {
            for (const std::string& word : c.words)
                EXPECT_NE(std::string(e.what()).find(word), std::string::npos) << c.name << ": " << e.what();
        }
    }
}

TEST(RelationalStaging, TablesOfListEachTableOnceFactFirst)
{
    const SchemaDefinition schema = SchemaReader::Parse(
        "<Schema name='S'><Cube name='C'><Table name='f'/>"
        "<Dimension name='A' foreignKey='a'><Hierarchy primaryKey='id'><Table name='d' schema='s'/>"
        "<Level name='L' column='x'/></Hierarchy></Dimension>"
        "<Dimension name='B' foreignKey='b'><Hierarchy primaryKey='id'><Table name='D' schema='S'/>"
        "<Level name='L' column='y'/></Hierarchy></Dimension>"
        "<Dimension name='C'><Hierarchy><Level name='L' column='z'/></Hierarchy></Dimension>"
        "<Measure name='M' column='m' aggregator='sum'/></Cube></Schema>");
    const auto tables = RelationalStaging::TablesOf(schema.cubes.front());
    ASSERT_EQ(tables.size(), 2u);
    EXPECT_EQ(tables[0].name, "f");
    EXPECT_EQ(tables[1].schema + "." + tables[1].name, "s.d");
}

} // namespace
} // namespace olap
