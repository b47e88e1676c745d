// Views over the sample cube as data: a view definition, the MDX it asks, and the grid it
// shows (as lumetra-report's CSV, without the CR). Format of cases/*.cases:
//   # comment (outside cases)
//   === title
//   the children of x:PivotView (the case runner wraps them into a definition of cube Sales)
//   --- mdx
//   the expected MDX statement
//   --- grid
//   the expected grid, one line per grid row
// PIVOT_CASES_UPDATE=1 rewrites the expectations with what the code gives (review the diff).
#include "control/pivot/model/PivotLayout.h"
#include "control/pivot/model/PivotMdxBuilder.h"
#include "control/pivot/model/PivotTextWriter.h"
#include "control/pivot/model/PivotXml.h"

#include "olap/access/Connection.h"
#include "olap/sample/SalesSample.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

struct PivotCase {
    std::string title;
    std::string view;
    std::string mdx;
    std::string grid;
};

struct CaseFile {
    std::string preamble;
    std::vector<PivotCase> cases;
};

std::string TrimNewlines(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

CaseFile ReadCases(const std::string& path)
{
    std::ifstream in(path);
    CaseFile file;
    std::string line;
    std::string* target = &file.preamble;
    while (std::getline(in, line)) {
        if (line.rfind("=== ", 0) == 0) {
            file.cases.push_back({line.substr(4), {}, {}, {}});
            target = &file.cases.back().view;
        } else if (!file.cases.empty() && line == "--- mdx") {
            target = &file.cases.back().mdx;
        } else if (!file.cases.empty() && line == "--- grid") {
            target = &file.cases.back().grid;
        } else {
            *target += line + "\n";
        }
    }
    for (PivotCase& c : file.cases) {
        c.mdx = TrimNewlines(c.mdx);
        c.grid = TrimNewlines(c.grid);
    }
    return file;
}

void WriteCases(const std::string& path, const CaseFile& file)
{
    std::ofstream out(path);
    out << file.preamble;
    for (const PivotCase& c : file.cases) {
        out << "=== " << c.title << "\n" << c.view << "--- mdx\n" << c.mdx << "\n--- grid\n" << c.grid << "\n\n";
    }
}

std::string Wrap(const std::string& view)
{
    return "<xml xmlns:x=\"urn:schemas-microsoft-com:office:excel\"><x:PivotTable><x:DataMember>Sales</x:DataMember>"
           "<x:PivotView>"
        + view + "</x:PivotView></x:PivotTable></xml>";
}

std::string Grid(const pivot::PivotLayout& layout)
{
    std::string csv = pivot::PivotTextWriter::Csv(layout);
    std::string grid;
    for (char c : csv) {
        if (c != '\r')
            grid += c;
    }
    return TrimNewlines(grid);
}

class PivotCases : public testing::TestWithParam<std::string> {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new std::filesystem::path(
            std::filesystem::temp_directory_path() / ("pivot-cases-" + std::to_string(::getpid())));
        olap::SalesSample::WriteAll(s_dir->string(), 3000, 7);
        s_connection
            = olap::Connection::Connect("Provider=MSOLAP.2;Data Source=" + (*s_dir / "Sales.cub").string()).release();
    }
    static void TearDownTestSuite()
    {
        delete s_connection;
        std::error_code ec;
        std::filesystem::remove_all(*s_dir, ec);
        delete s_dir;
    }
    static inline std::filesystem::path* s_dir = nullptr;
    static inline olap::Connection* s_connection = nullptr;
};

TEST_P(PivotCases, ViewGivesItsQueryAndGrid)
{
    const std::string path = std::string(PIVOT_TEST_DATA) + "/cases/" + GetParam();
    CaseFile file = ReadCases(path);
    ASSERT_FALSE(file.cases.empty()) << path;
    const bool update = std::getenv("PIVOT_CASES_UPDATE") != nullptr;
    for (PivotCase& c : file.cases) {
        SCOPED_TRACE(GetParam() + ": " + c.title);
        std::string mdx;
        std::string grid;
        try {
            const pivot::PivotDefinition definition = pivot::PivotXml::Read(Wrap(c.view));
            mdx = pivot::PivotMdxBuilder::Build(definition);
            olap::QueryResult result = s_connection->ExecuteMdx(mdx);
            grid = Grid(pivot::PivotLayout(definition, std::move(result.cellSet)));
        } catch (const std::exception& e) {
            grid = std::string("error: ") + e.what();
        }
        if (update) {
            c.mdx = mdx;
            c.grid = grid;
            continue;
        }
        EXPECT_EQ(mdx, c.mdx);
        EXPECT_EQ(grid, c.grid);
    }
    if (update)
        WriteCases(path, file);
}

std::vector<std::string> CaseFiles()
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(PIVOT_TEST_DATA) + "/cases")) {
        if (entry.path().extension() == ".cases")
            names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

INSTANTIATE_TEST_SUITE_P(Files, PivotCases, testing::ValuesIn(CaseFiles()), [](const auto& info) {
    std::string name = info.param.substr(0, info.param.find('.'));
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    }
    return name;
});

} // namespace
