#include "PropertiesFromText.h"
#include "TempFolder.h"
#include "TinyXlsWriter.h"

#include "olap/providers/RelationalError.h"
#include "olap/providers/RelationalSources.h"
#include "olap/providers/spreadsheet/SheetQuery.h"
#include "olap/providers/spreadsheet/SpreadsheetSource.h"

#include <gtest/gtest.h>
#include <xlsxwriter.h>
#include <zip.h>

#include <fstream>
#include <iterator>

namespace olap::providers {
namespace {

using recordset::CellValue;
using recordset::DataType;
using recordset::DateTime;

// A workbook with a typed sales sheet, a sheet with a gap in its header, and an empty sheet.
void WriteSampleWorkbook(const std::string& path)
{
    lxw_workbook* workbook = workbook_new(path.c_str());
    lxw_format* dateFormat = workbook_add_format(workbook);
    format_set_num_format(dateFormat, "yyyy-mm-dd");
    lxw_worksheet* sales = workbook_add_worksheet(workbook, "Sales");
    worksheet_write_string(sales, 0, 0, "Region", nullptr);
    worksheet_write_string(sales, 0, 1, "Units", nullptr);
    worksheet_write_string(sales, 0, 2, "Sold", nullptr);
    worksheet_write_string(sales, 0, 3, "Paid", nullptr);
    worksheet_write_string(sales, 0, 4, "Code", nullptr);
    const lxw_datetime dates[] = {{2024, 1, 15, 0, 0, 0}, {2024, 2, 29, 0, 0, 0}};
    const char* regions[] = {"North", "S\xC3\xB6\x64\x65r, \"far\""};
    for (int r = 0; r < 2; ++r) {
        worksheet_write_string(sales, static_cast<lxw_row_t>(r + 1), 0, regions[r], nullptr);
        worksheet_write_number(sales, static_cast<lxw_row_t>(r + 1), 1, 3.5 * (r + 1), nullptr);
        worksheet_write_datetime(
            sales, static_cast<lxw_row_t>(r + 1), 2, const_cast<lxw_datetime*>(&dates[r]), dateFormat);
        worksheet_write_boolean(sales, static_cast<lxw_row_t>(r + 1), 3, r == 0, nullptr);
    }
    worksheet_write_number(sales, 1, 4, 7, nullptr);
    worksheet_write_string(sales, 2, 4, "B7", nullptr);
    // A row further down after empty rows.
    worksheet_write_string(sales, 6, 0, "East", nullptr);
    lxw_worksheet* gaps = workbook_add_worksheet(workbook, "Gap Sheet");
    worksheet_write_string(gaps, 0, 0, "A", nullptr);
    worksheet_write_string(gaps, 0, 2, "C", nullptr);
    worksheet_write_number(gaps, 1, 1, 1, nullptr);
    workbook_add_worksheet(workbook, "Empty");
    if (workbook_close(workbook) != LXW_NO_ERROR)
        throw std::runtime_error("cannot write " + path);
}

// Writes a zip archive holding PARTS (name, content).
void WriteZip(const std::string& path, const std::vector<std::pair<std::string, std::string>>& parts)
{
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    for (const auto& [name, content] : parts) {
        zipOpenNewFileInZip64(zip, name.c_str(), nullptr, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 6, 0);
        zipWriteInFileInZip(zip, content.data(), static_cast<unsigned>(content.size()));
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
}

const char* kWorkbookXml = R"(<workbook xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">
<sheets><sheet name="S" sheetId="1" r:id="rId1"/></sheets></workbook>)";

std::string SheetXml(const std::string& cells)
{
    return "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>H</t></is></c></row>" + cells
        + "</sheetData></worksheet>";
}

class SpreadsheetSourceTest : public testing::Test {
protected:
    void SetUp() override
    {
        WriteSampleWorkbook(m_folder.File("sales.xlsx"));
        m_source = SpreadsheetSource::Open(m_folder.File("sales.xlsx"));
    }
    TempFolder m_folder;
    std::unique_ptr<SpreadsheetSource> m_source;
};

TEST_F(SpreadsheetSourceTest, SheetsAreTablesWithDollarNames)
{
    EXPECT_EQ(m_source->Tables(), (std::vector<std::string> {"Sales$", "Gap Sheet$", "Empty$"}));
    EXPECT_EQ(m_source->Catalogs(), std::vector<std::string> {m_folder.File("sales.xlsx")});
}

TEST_F(SpreadsheetSourceTest, SelectStarGivesTypedColumns)
{
    auto rs = m_source->Execute("Select * from [Sales$]");
    ASSERT_EQ(rs.RecordCount(), 3) << "empty rows are left out";
    const std::pair<const char*, DataType> fields[] = {{"Region", DataType::VarWChar}, {"Units", DataType::Double},
        {"Sold", DataType::Date}, {"Paid", DataType::Boolean}, {"Code", DataType::VarWChar}};
    ASSERT_EQ(rs.FieldCount(), std::size(fields));
    for (size_t i = 0; i < std::size(fields); ++i) {
        EXPECT_EQ(rs.FieldAt(i).Name(), fields[i].first);
        EXPECT_EQ(rs.FieldAt(i).Type(), fields[i].second) << fields[i].first;
    }
    EXPECT_EQ(rs.Fields()[2].Value(), CellValue(DateTime {2024, 1, 15}));
    EXPECT_EQ(rs.Fields()[3].Value(), CellValue(true));
    EXPECT_EQ(rs.Fields()[4].Value(), CellValue("7"));
    rs.MoveNext();
    EXPECT_EQ(rs.Fields()[0].Value(), CellValue("S\xC3\xB6\x64\x65r, \"far\""));
    EXPECT_EQ(rs.Fields()[1].Value(), CellValue(7.0));
    rs.MoveNext();
    EXPECT_EQ(rs.Fields()[0].Value(), CellValue("East"));
    EXPECT_TRUE(rs.Fields()[1].Value().IsNull());
}

TEST_F(SpreadsheetSourceTest, QueryFormsAndNames)
{
    auto picked = m_source->Execute("SELECT [Units], region FROM sales;");
    ASSERT_EQ(picked.FieldCount(), 2u);
    EXPECT_EQ(picked.FieldAt(0).Name(), "Units");
    EXPECT_EQ(picked.FieldAt(1).Name(), "Region");
    auto gaps = m_source->Execute("select * from `Gap Sheet$`");
    ASSERT_EQ(gaps.FieldCount(), 3u);
    EXPECT_EQ(gaps.FieldAt(1).Name(), "F2");
    EXPECT_EQ(gaps.Fields()[1].Value(), CellValue(1.0));
    auto empty = m_source->Execute("SELECT * FROM [Empty$]");
    EXPECT_EQ(empty.RecordCount(), 0);
    EXPECT_TRUE(empty.Eof());

    struct Case {
        const char* sql;
        RelationalFailure failure;
        const char* words;
    };
    const Case failures[] = {
        {"SELECT * FROM [Nope$]", RelationalFailure::BadStatement, "Sales$, Gap Sheet$, Empty$"},
        {"SELECT Price FROM [Sales$]", RelationalFailure::BadStatement, "'Price'"},
        {"SELECT * FROM [Sales$] WHERE Units > 3", RelationalFailure::Unsupported, "not supported"},
        {"DROP TABLE [Sales$]", RelationalFailure::Unsupported, "Select * from [Sheet1$]"},
    };
    for (const auto& c : failures) {
        try {
            m_source->Execute(c.sql);
            ADD_FAILURE() << c.sql;
        } catch (const RelationalError& error) {
            EXPECT_EQ(error.Failure(), c.failure) << c.sql;
            EXPECT_NE(std::string(error.what()).find(c.words), std::string::npos) << error.what();
        }
    }
}

TEST(SpreadsheetXlsTest, Excel97WorkbookIsReadThroughFreeXl)
{
    TempFolder folder;
    const std::string path = folder.File("old.xls");
    TinyXlsWriter::Write(path, "Data",
        {{std::string("Name"), std::string("Amount"), std::string("Flag")}, {std::string("alpha"), 1.5, true},
            {std::string("beta"), 2.0, false}});
    auto source = OpenRelationalSource(
        PropertiesFromText("Provider=Microsoft.Jet.OLEDB.4.0; Data Source=" + path + ";Extended Properties=Excel 8.0;"),
        {});
    EXPECT_EQ(source->Tables(), std::vector<std::string> {"Data$"});
    auto rs = source->Execute("Select * from [Data$]");
    ASSERT_EQ(rs.RecordCount(), 2);
    ASSERT_EQ(rs.FieldCount(), 3u);
    EXPECT_EQ(rs.FieldAt(0).Name(), "Name");
    EXPECT_EQ(rs.FieldAt(1).Type(), DataType::Double);
    EXPECT_EQ(rs.Fields()[0].Value(), CellValue("alpha"));
    EXPECT_EQ(rs.Fields()[1].Value(), CellValue(1.5));
    rs.MoveNext();
    EXPECT_EQ(rs.Fields()[0].Value(), CellValue("beta"));

    // A cut-off copy is refused with the file's name.
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const size_t length : {size_t {600}, size_t {1100}, bytes.size() - 700}) {
        std::ofstream(folder.File("cut.xls"), std::ios::binary | std::ios::trunc) << bytes.substr(0, length);
        try {
            SpreadsheetSource::Open(folder.File("cut.xls"))->Execute("SELECT * FROM [Data$]");
        } catch (const RelationalError& error) {
            EXPECT_NE(std::string(error.what()).find("cut.xls"), std::string::npos) << error.what();
        }
    }
}

TEST(SheetQueryTest, ReadsTheSupportedForms)
{
    struct Case {
        const char* sql;
        std::optional<std::vector<std::string>> columns;
        const char* table;
    };
    const Case cases[] = {
        {"Select * from [Sheet1$]", std::vector<std::string> {}, "Sheet1$"},
        {"  SELECT  a , [b c], \"d\" FROM 'My Sheet$' ; ", std::vector<std::string> {"a", "b c", "d"}, "My Sheet$"},
        {"select * from Sheet1$", std::vector<std::string> {}, "Sheet1$"},
        {"SELECT FROM x", std::nullopt, ""},
        {"SELECT * FROM", std::nullopt, ""},
        {"SELECT * FROM [unclosed", std::nullopt, ""},
        {"SELECT * FROM a, b", std::nullopt, ""},
        {"SELECTa * FROM b", std::nullopt, ""},
        {"", std::nullopt, ""},
    };
    for (const auto& c : cases) {
        const auto query = ParseSheetQuery(c.sql);
        ASSERT_EQ(query.has_value(), c.columns.has_value()) << c.sql;
        if (query) {
            EXPECT_EQ(query->columns, *c.columns) << c.sql;
            EXPECT_EQ(query->table, c.table) << c.sql;
        }
    }
}

TEST(SpreadsheetOpenTest, DamagedWorkbooksGiveClearErrors)
{
    TempFolder folder;
    const std::string rels
        = R"(<Relationships><Relationship Id="rId1" Target="worksheets/sheet1.xml"/></Relationships>)";
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> parts;
        const char* words;
    };
    const Case cases[] = {
        {"no workbook part", {{"xl/other.xml", "<x/>"}}, "xl/workbook.xml is missing"},
        {"workbook not XML", {{"xl/workbook.xml", "<workbook><sheets>"}}, "not well-formed"},
        {"no sheets", {{"xl/workbook.xml", "<workbook/>"}}, "no worksheets"},
        {"sheet part missing", {{"xl/workbook.xml", kWorkbookXml}, {"xl/_rels/workbook.xml.rels", rels}},
            "worksheets/sheet1.xml is missing"},
        {"cell beyond the last column",
            {{"xl/workbook.xml", kWorkbookXml},
                {"xl/worksheets/sheet1.xml", SheetXml("<row><c r=\"XFE2\"><v>1</v></c></row>")}},
            "XFE2"},
        {"row number zero",
            {{"xl/workbook.xml", kWorkbookXml}, {"xl/worksheets/sheet1.xml", SheetXml("<row r=\"0\"/>")}},
            "row numbered"},
        {"shared string out of range",
            {{"xl/workbook.xml", kWorkbookXml},
                {"xl/worksheets/sheet1.xml", SheetXml("<row r=\"2\"><c r=\"A2\" t=\"s\"><v>5</v></c></row>")}},
            "shared string 5"},
        {"number that is not one",
            {{"xl/workbook.xml", kWorkbookXml},
                {"xl/worksheets/sheet1.xml", SheetXml("<row r=\"2\"><c r=\"A2\"><v>1e999</v></c></row>")}},
            "not a number"},
    };
    int index = 0;
    for (const auto& c : cases) {
        const std::string path = folder.File("case" + std::to_string(index++) + ".xlsx");
        WriteZip(path, c.parts);
        try {
            SpreadsheetSource::Open(path);
            ADD_FAILURE() << c.name << " opened";
        } catch (const RelationalError& error) {
            EXPECT_EQ(error.Failure(), RelationalFailure::NotADatabase) << c.name;
            EXPECT_NE(std::string(error.what()).find(c.words), std::string::npos) << c.name << ": " << error.what();
        }
    }
    std::ofstream(folder.File("text.xls")) << "just some text";
    EXPECT_THROW(SpreadsheetSource::Open(folder.File("text.xls")), RelationalError);
    EXPECT_THROW(SpreadsheetSource::Open(folder.File("missing.xlsx")), RelationalError);
    // Sheet without cell references: positions run on.
    WriteZip(folder.File("plain.xlsx"),
        {{"xl/workbook.xml", kWorkbookXml},
            {"xl/worksheets/sheet1.xml",
                "<worksheet><sheetData><row><c t=\"inlineStr\"><is><t>A</t></is></c>"
                "<c t=\"inlineStr\"><is><t>B</t></is></c></row>"
                "<row><c><v>1</v></c><c t=\"e\"><v>#N/A</v></c></row>"
                "</sheetData></worksheet>"}});
    auto rs = SpreadsheetSource::Open(folder.File("plain.xlsx"))->Execute("SELECT B, A FROM [S$]");
    EXPECT_EQ(rs.RecordCount(), 1);
    EXPECT_TRUE(rs.Fields()[0].Value().IsNull());
    EXPECT_EQ(rs.Fields()[1].Value(), CellValue(1.0));
}

TEST(SpreadsheetOpenTest, TruncatedOrFlippedWorkbookNeverCrashes)
{
    TempFolder folder;
    WriteSampleWorkbook(folder.File("good.xlsx"));
    std::ifstream in(folder.File("good.xlsx"), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 1000u);
    int failures = 0;
    for (size_t step = 0; step < 60; ++step) {
        std::string damaged = bytes;
        const size_t at = step * bytes.size() / 60;
        if (step % 2)
            damaged.resize(at);
        else
            damaged[at] = static_cast<char>(damaged[at] ^ 0x5A);
        const std::string path = folder.File("damaged.xlsx");
        std::ofstream(path, std::ios::binary | std::ios::trunc) << damaged;
        try {
            auto source = SpreadsheetSource::Open(path);
            for (const auto& table : source->Tables())
                source->Execute("SELECT * FROM [" + table + "]");
        } catch (const RelationalError&) {
            ++failures;
        }
    }
    EXPECT_GT(failures, 0);
}

TEST(RelationalSourcesTest, ConnectionStringsPickTheirSource)
{
    struct Case {
        const char* connection;
        std::optional<RelationalKind> kind;
    };
    const Case cases[] = {
        {"Provider=MSOLAP.2; Data Source=C:/sales.xls;Extended Properties=Excel 8.0;", RelationalKind::Spreadsheet},
        {"Provider=Microsoft.Jet.OLEDB.4.0; Data Source=/d/book.XLSX", RelationalKind::Spreadsheet},
        {"Provider=SQLite; Data Source=/d/sales", RelationalKind::Sqlite},
        {"Provider=MSOLAP.2; Data Source=/d/sales.sqlite3; Initial Catalog=;Trusted_Connection=Yes;",
            RelationalKind::Sqlite},
        {"Data Source=/d/sales.db", RelationalKind::Sqlite},
        {"Provider=MSDASQL; Data Source=/d/sales.db", RelationalKind::Odbc},
        {"Provider=MSDASQL.1; DSN=Sales", RelationalKind::Odbc},
        {"Driver={SQLite3}; Database=/d/x.db", RelationalKind::Odbc},
        {"Provider=SQLNCLI10; Server=db; Database=Sales;Trusted_Connection=Yes;", RelationalKind::Odbc},
        {"Provider=PostgreSQL OLE DB Provider; Data Source=pg", RelationalKind::Odbc},
        {"Provider=Custom.Provider; Data Source=x", RelationalKind::Odbc},
        {"Provider=MSOLAP.2; Data Source=olap1; Initial Catalog=Sales", std::nullopt},
        {"Provider=MSOLAP; Data Source=/d/sales.cub", std::nullopt},
        {"Data Source=/d/sales.cub", std::nullopt},
        {"Provider=Unknown; Data Source=x", std::nullopt},
    };
    const ProviderDriverLookup lookup = [](std::string_view name) -> std::optional<std::string> {
        if (name == "Custom.Provider" || name == "MSOLAP.2")
            return "Some driver";
        return std::nullopt;
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClassifyRelational(PropertiesFromText(c.connection), lookup), c.kind) << c.connection;
}

TEST(RelationalSourcesTest, OpensEachKindAndNamesWhatFailed)
{
    TempFolder folder;
    WriteSampleWorkbook(folder.File("book.xlsx"));
    auto workbook = OpenRelationalSource(PropertiesFromText("Provider=MSOLAP.2; Data Source=" + folder.File("book.xlsx")
                                             + ";Extended Properties=Excel 8.0;"),
        {});
    EXPECT_EQ(workbook->Kind(), "Spreadsheet");
    EXPECT_EQ(workbook->Execute("Select * from [Sales$]").RecordCount(), 3);

    struct Case {
        std::string connection;
        RelationalFailure failure;
    };
    const Case cases[] = {
        {"Data Source=" + folder.File("none.db"), RelationalFailure::FileMissing},
        {"Data Source=" + folder.File("none.xls") + ";Extended Properties=Excel 8.0;", RelationalFailure::FileMissing},
        {"Provider=IBMDADB2; Data Source=db2; Initial Catalog=S", RelationalFailure::ProviderNotMapped},
        {"Provider=MSOLAP.2; Data Source=olap1", RelationalFailure::Unsupported},
    };
    for (const auto& c : cases) {
        try {
            OpenRelationalSource(PropertiesFromText(c.connection), {});
            ADD_FAILURE() << c.connection;
        } catch (const RelationalError& error) {
            EXPECT_EQ(error.Failure(), c.failure) << c.connection << ": " << error.what();
        }
    }
}

} // namespace
} // namespace olap::providers
