// MDX statements over the hand-computed cube "Shop" (data/tiny.xml, data/tiny.sql), one case
// file per family in data/mdx/. Format of a case file:
//   # comment (outside cases)
//   === title
//   MDX statement (any number of lines)
//   --- cells            expected output of `lumetra-mdx --format cells` follows
//   --- properties       expected output of `lumetra-mdx --format properties` follows
//   --- error            the expected error message follows (one line)
// Cases end at the next "===" or at the end of the file; trailing blank lines are ignored.
// MDX_CASES_UPDATE=1 rewrites the expectations with the actual output (review the diff!).
#include "OlapTestSupport.h"

#include "../../tools/lumetra-mdx/MdxOutput.h"
#include "olap/query/MdxError.h"
#include "olap/query/MdxEvaluator.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

struct MdxCase {
    std::string title;
    std::string query;
    std::string kind; // "cells" or "error"
    std::string expected;
    int line = 0;
};

std::string TrimTrailingNewlines(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

std::vector<MdxCase> ReadCases(const std::string& path, std::vector<std::string>* preamble)
{
    std::vector<MdxCase> cases;
    std::istringstream in(olaptest::ReadText(path));
    std::string line;
    int number = 0;
    bool inExpected = false;
    while (std::getline(in, line)) {
        ++number;
        if (line.rfind("=== ", 0) == 0) {
            cases.push_back({line.substr(4), {}, {}, {}, number});
            inExpected = false;
        } else if (cases.empty()) {
            if (preamble)
                preamble->push_back(line);
        } else if (line.rfind("--- ", 0) == 0 && !inExpected) {
            cases.back().kind = line.substr(4);
            inExpected = true;
        } else if (inExpected) {
            cases.back().expected += line + "\n";
        } else {
            cases.back().query += line + "\n";
        }
    }
    for (MdxCase& c : cases)
        c.expected = TrimTrailingNewlines(c.expected);
    return cases;
}

std::pair<std::string, std::string> RunCase(const olap::Cube& cube, const std::string& query, const std::string& kind)
{
    try {
        auto result = olap::MdxEvaluator::Execute(cube, query);
        if (kind == "properties")
            return {kind, TrimTrailingNewlines(lumetra_mdx::Render(result, lumetra_mdx::OutputFormat::Properties))};
        return {"cells", TrimTrailingNewlines(lumetra_mdx::Render(result, lumetra_mdx::OutputFormat::Cells))};
    } catch (const olap::OlapError& e) {
        return {"error", e.what()};
    }
}

class MdxCases : public olaptest::TinyCubeSuite<::testing::TestWithParam<std::string>> { };

TEST_P(MdxCases, MatchExpectations)
{
    const std::string path = olaptest::DataPath("mdx/" + GetParam());
    std::vector<std::string> preamble;
    std::vector<MdxCase> cases = ReadCases(path, &preamble);
    ASSERT_FALSE(cases.empty()) << path;
    const bool update = std::getenv("MDX_CASES_UPDATE") != nullptr;
    std::string rewritten;
    for (const std::string& line : preamble)
        rewritten += line + "\n";
    for (const MdxCase& c : cases) {
        auto [kind, actual] = RunCase(*s_cube, c.query, c.kind);
        if (update) {
            rewritten += "=== " + c.title + "\n" + c.query + "--- " + kind + "\n" + actual + "\n\n";
            continue;
        }
        EXPECT_EQ(kind, c.kind) << GetParam() << ":" << c.line << " " << c.title << "\n" << actual;
        EXPECT_EQ(actual, c.expected) << GetParam() << ":" << c.line << " " << c.title;
    }
    if (update) {
        std::ofstream out(path, std::ios::binary);
        out << TrimTrailingNewlines(rewritten) << "\n";
    }
}

std::vector<std::string> CaseFiles()
{
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(olaptest::DataPath("mdx"))) {
        if (entry.path().extension() == ".cases")
            files.push_back(entry.path().filename().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

INSTANTIATE_TEST_SUITE_P(
    Files, MdxCases, ::testing::ValuesIn(CaseFiles()), [](const ::testing::TestParamInfo<std::string>& info) {
        std::string name = info.param.substr(0, info.param.find('.'));
        for (char& c : name) {
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        }
        return name;
    });

} // namespace
