#include "SampleDatabase.h"
#include "TempFolder.h"

#include "olap/providers/RelationalError.h"
#include "olap/providers/sqlite/SqliteSource.h"
#include "olap/providers/sqlite/SqliteTypeMapping.h"

#include <gtest/gtest.h>

#include <fstream>

namespace olap::providers {
namespace {

using recordset::CellValue;
using recordset::DataType;
using recordset::DateTime;

TEST(SqliteTypeMappingTest, DeclaredTypesMapToAdoTypes)
{
    struct Case {
        const char* declared;
        std::optional<DataType> type;
        long size;
    };
    const Case cases[] = {
        {"INTEGER", DataType::Integer, 0},
        {"int", DataType::Integer, 0},
        {"BIGINT", DataType::BigInt, 0},
        {"smallint", DataType::SmallInt, 0},
        {"TINYINT", DataType::UnsignedTinyInt, 0},
        {"BOOLEAN", DataType::Boolean, 0},
        {"BIT", DataType::Boolean, 0},
        {"VARCHAR(40)", DataType::VarWChar, 40},
        {"NVARCHAR (12)", DataType::VarWChar, 12},
        {"TEXT", DataType::VarWChar, 0},
        {"CLOB", DataType::LongVarWChar, 0},
        {"BLOB", DataType::LongVarBinary, 0},
        {"DATE", DataType::Date, 0},
        {"DATETIME", DataType::Date, 0},
        {"TIMESTAMP", DataType::Date, 0},
        {"MONEY", DataType::Currency, 0},
        {"DECIMAL(10,2)", DataType::Numeric, 0},
        {"NUMERIC", DataType::Numeric, 0},
        {"REAL", DataType::Double, 0},
        {"DOUBLE PRECISION", DataType::Double, 0},
        {"FLOAT", DataType::Double, 0},
        {"", std::nullopt, 0},
        {"JSON", std::nullopt, 0},
    };
    for (const auto& c : cases) {
        const auto mapped = TypeFromDeclaration(c.declared);
        ASSERT_EQ(mapped.has_value(), c.type.has_value()) << c.declared;
        if (mapped) {
            EXPECT_EQ(mapped->type, *c.type) << c.declared;
            EXPECT_EQ(mapped->definedSize, c.size) << c.declared;
        }
    }
}

class SqliteSourceTest : public testing::Test {
protected:
    void SetUp() override
    {
        WriteSampleDatabase(m_folder.File("sales.db"));
        m_source = SqliteSource::Open(m_folder.File("sales.db"));
    }

    TempFolder m_folder;
    std::unique_ptr<SqliteSource> m_source;
};

TEST_F(SqliteSourceTest, QueryGivesTypedFieldsAndValues)
{
    auto rs = m_source->Execute("SELECT * FROM Sales ORDER BY Id");
    EXPECT_EQ(rs.Source(), "SELECT * FROM Sales ORDER BY Id");
    ASSERT_EQ(rs.RecordCount(), 3);
    struct Expected {
        const char* name;
        DataType type;
        long size;
    };
    const Expected fields[] = {
        {"Id", DataType::Integer, 4}, {"Region", DataType::VarWChar, 10}, {"Units", DataType::SmallInt, 2},
        {"Amount", DataType::Double, 8}, {"Price", DataType::Currency, 8},
        {"Sold", DataType::VarWChar, 19}, // 'someday' is no date: the column falls back to text
        {"Paid", DataType::Boolean, 2}, {"Note", DataType::VarWChar, 6},
        {"Big", DataType::BigInt, 8}, // INT declared, but 5000000000 needs 64 bits
        {"Loose", DataType::VarWChar, 5}, // no declared type, mixed values
    };
    ASSERT_EQ(rs.FieldCount(), std::size(fields));
    for (size_t i = 0; i < std::size(fields); ++i) {
        EXPECT_EQ(rs.FieldAt(i).Name(), fields[i].name);
        EXPECT_EQ(rs.FieldAt(i).Type(), fields[i].type) << fields[i].name;
        EXPECT_EQ(rs.FieldAt(i).DefinedSize(), fields[i].size) << fields[i].name;
    }
    EXPECT_EQ(rs.Fields()[6].Value(), CellValue(true));
    rs.MoveNext();
    EXPECT_EQ(rs.Fields()[5].Value(), CellValue("2024-02-29 13:45:00"));
    EXPECT_EQ(rs.Fields()[8].Value(), CellValue(std::int64_t {5000000000}));
    EXPECT_TRUE(rs.Fields()[7].Value().IsNull());
}

TEST_F(SqliteSourceTest, DateColumnOfDatesGivesDates)
{
    auto rs
        = m_source->Execute("SELECT Sold, count(*) AS N, sum(Amount) AS Total FROM Sales WHERE Id < 3 GROUP BY Sold");
    EXPECT_EQ(rs.FieldAt(0).Type(), DataType::Date);
    EXPECT_EQ(rs.Fields()[0].Value(), CellValue(DateTime {2024, 1, 15}));
    EXPECT_EQ(rs.FieldAt(1).Type(), DataType::Integer);
    EXPECT_EQ(rs.FieldAt(2).Type(), DataType::Double);
}

TEST_F(SqliteSourceTest, RepeatedAndEmptyColumnNamesStayDistinct)
{
    auto rs = m_source->Execute("SELECT Region, Region, 1 AS \"\" FROM Sales");
    EXPECT_EQ(rs.FieldAt(0).Name(), "Region");
    EXPECT_EQ(rs.FieldAt(1).Name(), "Region_2");
    EXPECT_EQ(rs.FieldAt(2).Name(), "Expr3");
}

TEST_F(SqliteSourceTest, TextWithoutStatementAndFailingStatements)
{
    auto rs = m_source->Execute("-- nothing to run\n");
    EXPECT_FALSE(rs.IsOpen());
    EXPECT_EQ(rs.FieldCount(), 0u);
    auto empty = m_source->Execute("SELECT * FROM Empty");
    EXPECT_TRUE(empty.Eof());
    EXPECT_EQ(empty.FieldCount(), 1u);
    try {
        m_source->Execute("SELECT * FROM Nowhere");
        FAIL() << "no error";
    } catch (const RelationalError& error) {
        EXPECT_EQ(error.Failure(), RelationalFailure::BadStatement);
        EXPECT_NE(std::string(error.what()).find("Nowhere"), std::string::npos) << error.what();
    }
    // The source stays usable after a failed statement.
    EXPECT_EQ(m_source->Execute("SELECT count(*) FROM Sales").Fields()[0].Value(), CellValue(3));
}

TEST_F(SqliteSourceTest, StatementsThatWriteOrComeSeveralAtATimeRunNone)
{
    const struct {
        const char* name;
        const char* sql;
        const char* words;
    } cases[] = {
        {"select, delete and drop", "SELECT count(*) FROM Sales; DELETE FROM Sales; DROP TABLE Empty", "3 statements"},
        {"delete hidden after a string", "SELECT ';' FROM Sales; DELETE FROM Sales", "2 statements"},
        {"update", "UPDATE Sales SET Units = 5 WHERE Id = 3", "would change the database"},
        {"drop", "DROP TABLE Empty;", "would change the database"},
        {"create", "CREATE TABLE Extra (A)", "would change the database"},
    };
    for (const auto& c : cases) {
        try {
            m_source->Execute(c.sql);
            ADD_FAILURE() << c.name << ": no error";
        } catch (const RelationalError& error) {
            EXPECT_EQ(error.Failure(), RelationalFailure::Unsupported) << c.name;
            EXPECT_NE(std::string(error.what()).find(c.words), std::string::npos) << c.name << ": " << error.what();
        }
    }
    // Attaching cannot make a file either: the connection opens nothing for writing.
    const std::string other = m_folder.File("other.db");
    EXPECT_THROW(m_source->Execute("ATTACH DATABASE '" + other + "' AS other"), RelationalError);
    EXPECT_FALSE(std::filesystem::exists(other));
    EXPECT_EQ(m_source->Execute("SELECT count(*) FROM Sales;").Fields()[0].Value(), CellValue(3));
    EXPECT_EQ(m_source->Tables(), (std::vector<std::string> {"Empty", "Sales"}));
}

TEST_F(SqliteSourceTest, DatabaseIsOpenedReadOnly)
{
    // Even a statement SQLite counts as reading cannot write through this connection.
    try {
        m_source->Execute("PRAGMA user_version = 7");
    } catch (const RelationalError&) {
    }
    m_source.reset();
    auto again = SqliteSource::Open(m_folder.File("sales.db"));
    EXPECT_EQ(again->Execute("PRAGMA user_version").Fields()[0].Value(), CellValue(0));
}

TEST_F(SqliteSourceTest, LongStatementStopsAtItsTimeOut)
{
    const char* endless = "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n) SELECT count(*) FROM n";
    try {
        m_source->Execute(endless, 1);
        FAIL() << "no time-out";
    } catch (const RelationalError& error) {
        EXPECT_NE(std::string(error.what()).find("time-out"), std::string::npos) << error.what();
    }
}

TEST_F(SqliteSourceTest, CatalogsAndTablesLeaveOutViewsAndSystemTables)
{
    EXPECT_EQ(m_source->Catalogs(), std::vector<std::string> {"main"});
    EXPECT_EQ(m_source->Tables(), (std::vector<std::string> {"Empty", "Sales"}));
    m_source->Close();
    EXPECT_THROW(m_source->Tables(), RelationalError);
}

TEST(SqliteSourceOpenTest, FailuresSayWhatFailed)
{
    TempFolder folder;
    std::ofstream(folder.File("notes.db")) << "These are notes, not a database. Some more text to fill a page.";
    struct Case {
        std::string path;
        RelationalFailure failure;
        const char* words;
    };
    const Case cases[] = {
        {folder.File("missing.db"), RelationalFailure::FileMissing, "does not exist"},
        {folder.File("notes.db"), RelationalFailure::NotADatabase, "is not a SQLite database"},
        {folder.Path().string(), RelationalFailure::NotADatabase, "folder"},
        {"", RelationalFailure::FileMissing, "does not exist"},
    };
    for (const auto& c : cases) {
        try {
            SqliteSource::Open(c.path);
            ADD_FAILURE() << c.path << " opened";
        } catch (const RelationalError& error) {
            EXPECT_EQ(error.Failure(), c.failure) << c.path;
            EXPECT_NE(std::string(error.what()).find(c.words), std::string::npos) << error.what();
        }
    }
    EXPECT_FALSE(std::filesystem::exists(folder.File("missing.db"))) << "opening must not create a file";
}

} // namespace
} // namespace olap::providers
