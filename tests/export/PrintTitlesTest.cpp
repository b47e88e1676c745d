// Print titles of a view (rows repeated down to the headers, columns of the row headers),
// the sheet arranged for printing, and the workbook read back with its page set-up.
#include "ExportTestView.h"

#include "control/export/PrintSheet.h"
#include "control/export/PrintTitles.h"
#include "control/pivot/model/PivotError.h"
#include "control/pivot/model/PivotXlsxWriter.h"

#include <gtest/gtest.h>
#include <unzip.h>

#include <filesystem>
#include <unistd.h>

using exporting::PrintSheet;
using exporting::PrintTitles;
using exporting::PrintViewShape;

namespace {

std::string ZipEntry(const std::string& zip, const std::string& name)
{
    unzFile file = unzOpen(zip.c_str());
    if (!file)
        return "(not a zip file)";
    std::string text;
    if (unzLocateFile(file, name.c_str(), 0) == UNZ_OK && unzOpenCurrentFile(file) == UNZ_OK) {
        char buffer[4096];
        int n = 0;
        while ((n = unzReadCurrentFile(file, buffer, sizeof buffer)) > 0)
            text.append(buffer, static_cast<std::size_t>(n));
        unzCloseCurrentFile(file);
    }
    unzClose(file);
    return text;
}

bool Has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

class ExportWorkbook : public testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() / ("export-xlsx-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::string Path(const std::string& name) const { return (m_dir / name).string(); }
    std::filesystem::path m_dir;
};

} // namespace

TEST(PrintTitles, RowsAndColumnsFollowTheView)
{
    struct Row {
        const char* name;
        PrintViewShape shape;
        const char* rows;
        const char* columns;
    };
    // Fields: column fields, row fields, filter field sets, title bar, column label, row label.
    const Row rows[] = {
        {"two column fields, title bar, one filter", {2, 1, 1, true, true, true}, "$1:$7", "$A:$A"},
        {"empty view with every label", {0, 0, 0, true, true, true}, "$1:$4", "$A:$A"},
        {"empty view, labels hidden", {0, 0, 0, false, false, false}, "$1:$2", ""},
        {"no row fields, hidden row label", {1, 0, 0, false, true, false}, "$1:$4", ""},
        {"column label hidden with column fields", {3, 2, 0, false, false, true}, "$1:$6", "$A:$B"},
        {"several filters count two rows", {1, 1, 4, false, true, true}, "$1:$5", "$A:$A"},
        {"26 row fields end at Z", {0, 26, 0, true, true, true}, "$1:$4", "$A:$Z"},
        {"27 row fields go on to AA", {0, 27, 0, true, true, true}, "$1:$4", "$A:$AA"},
        {"28 row fields", {0, 28, 0, true, true, true}, "$1:$4", "$A:$AB"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(PrintTitles::RowRange(PrintTitles::RowCount(row.shape)), row.rows) << row.name;
        EXPECT_EQ(PrintTitles::ColumnRange(PrintTitles::ColumnCount(row.shape)), row.columns) << row.name;
    }
}

TEST(PrintTitles, ColumnNamesHaveNoZeroDigit)
{
    const std::pair<int, const char*> names[] = {{1, "A"}, {26, "Z"}, {27, "AA"}, {52, "AZ"}, {53, "BA"}, {702, "ZZ"},
        {703, "AAA"}, {16384, "XFD"}, {20000, "XFD"}, {0, "A"}};
    for (const auto& [number, name] : names)
        EXPECT_EQ(PrintTitles::ColumnName(number), name) << number;
}

TEST(PrintTitles, ShapeCountsIncludedFieldsOnly)
{
    ExportTestView view = ExportTestView::Make(1, "t");
    view.definition.rowAxis[0].fields[1].isIncluded = false;
    const PrintViewShape shape = PrintViewShape::Of(view.definition, true, false, true);
    EXPECT_EQ(shape.includedRowFields, 1);
    EXPECT_EQ(shape.includedColumnFields, 1);
    EXPECT_EQ(shape.filterFieldSets, 1);
}

TEST(PrintSheet, TitleRowsEndWithTheColumnHeaders)
{
    const ExportTestView view = ExportTestView::Make(2, "Sales by year");
    struct Row {
        const char* name;
        bool titleBar;
        bool columnLabel;
        bool rowLabel;
        int titleRows;
        int firstGridRow;
    };
    const Row rows[] = {
        {"every label", true, true, true, 6, 4},
        {"no title bar", false, true, true, 5, 3},
    };
    for (const Row& row : rows) {
        const PrintSheet sheet(view.layout, view.definition,
            PrintViewShape::Of(view.definition, row.titleBar, row.columnLabel, row.rowLabel), "Sales by year");
        EXPECT_EQ(sheet.TitleRows(), row.titleRows) << row.name;
        EXPECT_EQ(sheet.TitleRows(), row.firstGridRow + view.layout.HeaderRows()) << row.name;
        EXPECT_EQ(sheet.At(row.firstGridRow + view.layout.HeaderRows(), 0).text, "Cat1") << row.name;
        EXPECT_EQ(sheet.RowCount(), row.firstGridRow + view.layout.RowCount()) << row.name;
    }
    const PrintSheet sheet(view.layout, view.definition, PrintViewShape::Of(view.definition, true, true, true), "S");
    EXPECT_EQ(sheet.At(0, 0).kind, PrintSheet::Cell::Kind::Title);
    EXPECT_EQ(sheet.At(1, 0).text, "Store: North");
    EXPECT_EQ(sheet.At(3, 2).text, "Time");
    EXPECT_EQ(sheet.TitleColumns(), 2);
}

TEST(PrintSheet, EmptyRowLabelColumnStandsBeforeAGridWithoutRowHeaders)
{
    ExportTestView view = ExportTestView::Make(1, "");
    // A view with nothing on rows: the label column is a column of its own on paper.
    pivot::PivotDefinition columnsOnly = view.definition;
    columnsOnly.rowAxis.clear();
    olap::CellSet result = view.layout.Result();
    result.axes.resize(1);
    result.cells.resize(result.axes[0].positions.size());
    const pivot::PivotLayout layout(columnsOnly, result);
    const PrintSheet sheet(layout, columnsOnly, PrintViewShape::Of(columnsOnly, false, true, true), "");
    EXPECT_EQ(sheet.TitleColumns(), 1);
    EXPECT_EQ(sheet.ColumnCount(), layout.ColumnCount() + 1);
    EXPECT_EQ(sheet.At(sheet.TitleRows() - 1, 0).kind, PrintSheet::Cell::Kind::Empty);
    EXPECT_EQ(sheet.At(sheet.TitleRows() - 2, 1).text, "2008");
}

TEST_F(ExportWorkbook, PageSetUpIsReadBack)
{
    const ExportTestView view = ExportTestView::Make(2, "Sales & margin");
    const PrintSheet sheet(
        view.layout, view.definition, PrintViewShape::Of(view.definition, true, true, true), "Sales & margin");
    const std::string path = Path("print.xlsx");
    pivot::PivotXlsxWriter::Write(
        view.layout, path, sheet.SheetOptions(pivot::PivotSheetOptions::Orientation::Landscape));

    const std::string workbook = ZipEntry(path, "xl/workbook.xml");
    EXPECT_TRUE(Has(workbook, "name=\"_xlnm.Print_Titles\" localSheetId=\"0\">Pivot!$A:$B,Pivot!$1:$6<")) << workbook;
    const std::string page = ZipEntry(path, "xl/worksheets/sheet1.xml");
    EXPECT_TRUE(Has(page, "<oddHeader>&amp;CSales &amp;&amp; margin</oddHeader>")) << page;
    EXPECT_TRUE(Has(page, "<oddFooter>&amp;CPage &amp;P of &amp;N</oddFooter>")) << page;
    EXPECT_TRUE(Has(page, "orientation=\"landscape\"")) << page;
    EXPECT_TRUE(Has(page, "<printOptions gridLines=\"1\"/>")) << page;
    // Cat1 over its own line and its two subcategories, below four lead rows and two header rows.
    EXPECT_TRUE(Has(page, "<mergeCell ref=\"A7:A9\"/>")) << page;
    EXPECT_TRUE(Has(page, "<v>1000.5</v>")) << page;
    EXPECT_TRUE(Has(ZipEntry(path, "xl/styles.xml"), "formatCode=\"#,##0.00\""));
    const std::string strings = ZipEntry(path, "xl/sharedStrings.xml");
    EXPECT_TRUE(Has(strings, "Store: North"));
    EXPECT_TRUE(Has(strings, "Sales &amp; margin"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir), {}), 1);
}

TEST_F(ExportWorkbook, DefaultOrientationAndLongCaptionsAreKeptValid)
{
    const std::string caption(300, '&');
    const ExportTestView view = ExportTestView::Make(1, caption);
    const PrintSheet sheet(
        view.layout, view.definition, PrintViewShape::Of(view.definition, false, true, true), caption);
    const std::string path = Path("long.xlsx");
    pivot::PivotXlsxWriter::Write(
        view.layout, path, sheet.SheetOptions(pivot::PivotSheetOptions::Orientation::Default));
    const std::string page = ZipEntry(path, "xl/worksheets/sheet1.xml");
    EXPECT_FALSE(Has(page, "orientation=")) << page;
    // The header is cut to what a sheet stores, between two escaped ampersands.
    const auto start = page.find("<oddHeader>");
    const auto end = page.find("</oddHeader>");
    ASSERT_NE(start, std::string::npos);
    const std::string header = page.substr(start + 11, end - start - 11);
    EXPECT_EQ(
        header, "&amp;C" + [] {
            std::string s;
            for (int i = 0; i < 252; ++i)
                s += "&amp;";
            return s;
        }());
}

TEST_F(ExportWorkbook, PictureWorkbookCarriesThePageSetUp)
{
    // A 1x1 PNG.
    const unsigned char png[]
        = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
            0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 0x1F, 0x15, 0xC4, 0x89, 0x00, 0x00, 0x00,
            0x0D, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0xF8, 0xCF, 0xC0, 0xF0, 0x1F, 0x00, 0x05, 0x00, 0x01, 0xFF,
            0x89, 0x99, 0x3D, 0x1D, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
    const std::string picture = Path("chart.png");
    FILE* file = std::fopen(picture.c_str(), "wb");
    ASSERT_TRUE(file);
    std::fwrite(png, 1, sizeof png, file);
    std::fclose(file);
    pivot::PivotSheetOptions options;
    options.orientation = pivot::PivotSheetOptions::Orientation::Portrait;
    options.printGridlines = true;
    options.centerFooter = PrintSheet::kFooter;
    const std::string path = Path("chart.xlsx");
    pivot::PivotXlsxWriter::WritePicture(picture, path, options);
    EXPECT_FALSE(ZipEntry(path, "xl/media/image1.png").empty());
    const std::string page = ZipEntry(path, "xl/worksheets/sheet1.xml");
    EXPECT_TRUE(Has(page, "orientation=\"portrait\"")) << page;
    EXPECT_TRUE(Has(page, "<oddFooter>&amp;CPage &amp;P of &amp;N</oddFooter>")) << page;
    EXPECT_FALSE(Has(ZipEntry(path, "xl/workbook.xml"), "Print_Titles"));

    EXPECT_THROW(
        pivot::PivotXlsxWriter::WritePicture(Path("missing.png"), Path("none.xlsx"), options), pivot::PivotError);
    EXPECT_FALSE(std::filesystem::exists(Path("none.xlsx")));
}
