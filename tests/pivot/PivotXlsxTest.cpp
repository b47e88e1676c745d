// The xlsx export read back: merged headers, numbers with their formats, bold totals, frozen
// headers, and a target file left alone when the export fails.
#include "control/pivot/model/PivotError.h"
#include "control/pivot/model/PivotXlsxWriter.h"

#include <gtest/gtest.h>
#include <unzip.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <unistd.h>

using olap::CellSet;

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

CellSet::Member M(const std::string& uniqueName, const std::string& level, std::size_t children = 0)
{
    CellSet::Member m;
    m.uniqueName = uniqueName;
    m.caption = uniqueName.substr(uniqueName.rfind('[') + 1, uniqueName.size() - uniqueName.rfind('[') - 2);
    m.levelUniqueName = level;
    m.childCount = children;
    return m;
}

pivot::PivotLayout SmallLayout(const std::string& title)
{
    pivot::PivotDefinition d;
    d.dataMember = "Sales";
    d.titleCaption = title;
    pivot::PivotFieldSet product;
    product.uniqueName = "[Product]";
    product.fields
        = {{"[Product].[Category]", "Category", true, false}, {"[Product].[Subcategory]", "Sub", true, false}};
    d.rowAxis.push_back(product);
    d.totals = {{"[Measures].[Sales]", "", "", "", true}, {"[Measures].[Share]", "", "", "", true}};
    CellSet result;
    result.axes.resize(2);
    result.axes[0].positions = {{M("[Measures].[Sales]", "[Measures].[MeasuresLevel]")},
        {M("[Measures].[Share]", "[Measures].[MeasuresLevel]")}};
    result.axes[1].positions = {{M("[Product].[Drink]", "[Product].[Category]", 2)},
        {M("[Product].[Drink].[Juice]", "[Product].[Subcategory]")},
        {M("[Product].[Drink].[Beer]", "[Product].[Subcategory]")},
        {M("[Product].[Pivot Total]", "[Product].[Category]")}};
    const char* sales[] = {"1,234.50", "1,000.25", "234.25", "1,234.50"};
    const char* shares[] = {"100.0%", "75.0%", "25.0%", "100.0%"};
    for (int r = 0; r < 4; ++r) {
        CellSet::Cell a;
        std::string digits = sales[r];
        digits.erase(std::remove(digits.begin(), digits.end(), ','), digits.end());
        a.value = std::stod(digits);
        a.formatted = sales[r];
        CellSet::Cell b;
        b.value = r == 1 ? 0.75 : r == 2 ? 0.25 : 1.0;
        b.formatted = shares[r];
        result.cells.push_back(a);
        result.cells.push_back(b);
    }
    return pivot::PivotLayout(d, std::move(result));
}

class PivotXlsx : public testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() / ("pivot-xlsx-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::string Path(const std::string& name) const { return (m_dir / name).string(); }
    std::filesystem::path m_dir;
};

} // namespace

TEST(PivotXlsxFormats, NumberFormatFollowsTheShownText)
{
    const std::pair<const char*, const char*> rows[] = {{"1,234.50", "#,##0.00"}, {"12.5%", "0.0%"}, {"-7", "0"},
        {"(1,000)", "#,##0"}, {"$7.1", "\"$\"0.0"}, {"3 kg", "0\" kg\""}, {"", ""}, {"n/a", ""}};
    for (const auto& [shown, expected] : rows)
        EXPECT_EQ(pivot::PivotXlsxWriter::NumberFormatFor(shown), expected) << shown;
}

TEST_F(PivotXlsx, WorkbookKeepsMergedHeadersNumbersAndFormats)
{
    const std::string path = Path("view.xlsx");
    pivot::PivotXlsxWriter::Write(SmallLayout("Sales & share"), path);
    const std::string sheet = ZipEntry(path, "xl/worksheets/sheet1.xml");
    // Title in A1, grid from row 3: headers, Drink over its total line and two children.
    EXPECT_NE(sheet.find("<mergeCell ref=\"A4:A6\"/>"), std::string::npos) << sheet;
    EXPECT_NE(sheet.find("<mergeCell ref=\"A7:B7\"/>"), std::string::npos) << sheet;
    EXPECT_NE(sheet.find("<c r=\"C5\" s=\""), std::string::npos) << sheet;
    EXPECT_NE(sheet.find("<v>1000.25</v>"), std::string::npos);
    EXPECT_NE(sheet.find("<v>0.75</v>"), std::string::npos) << sheet;
    EXPECT_NE(sheet.find("<pane xSplit=\"2\" ySplit=\"3\""), std::string::npos) << sheet;
    const std::string styles = ZipEntry(path, "xl/styles.xml");
    EXPECT_NE(styles.find("formatCode=\"#,##0.00\""), std::string::npos) << styles;
    EXPECT_NE(styles.find("formatCode=\"0.0%\""), std::string::npos);
    EXPECT_NE(ZipEntry(path, "xl/sharedStrings.xml").find("Sales &amp; share"), std::string::npos);
    // Nothing is left beside the workbook.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir), {}), 1);
}

TEST_F(PivotXlsx, FailedExportLeavesTheTargetAlone)
{
    const std::string path = Path("missing-folder/view.xlsx");
    EXPECT_THROW(pivot::PivotXlsxWriter::Write(SmallLayout(""), path), pivot::PivotError);
    EXPECT_FALSE(std::filesystem::exists(path));

    const std::string existing = Path("kept.xlsx");
    std::ofstream(existing) << "old";
    std::filesystem::permissions(m_dir, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    if (::access(m_dir.c_str(), W_OK) != 0) { // root writes anyway
        EXPECT_THROW(pivot::PivotXlsxWriter::Write(SmallLayout(""), existing), pivot::PivotError);
        std::ifstream in(existing);
        std::string text;
        in >> text;
        EXPECT_EQ(text, "old");
    }
    std::filesystem::permissions(m_dir, std::filesystem::perms::owner_all);
}
