// Runs the MDX case files in cases/: each case is parsed and its canonical text, tree or
// error compared with the expected text. Every successful parse is also checked to print
// to text that reparses to an equal tree and prints the same again.

#include "MdxCaseFile.h"

#include "olap/mdx/AstEquality.h"
#include "olap/mdx/MdxPrinter.h"
#include "olap/mdx/Parser.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace olap::mdx;

void CheckStatement(const MdxCase& c)
{
    const ParseResult<Statement> result = ParseStatement(c.input);
    if (c.mode == "error") {
        ASSERT_FALSE(result.Ok()) << "expected an error, got: " << ToMdx(*result.value);
        EXPECT_EQ(result.error.kind, ParseErrorKind::Syntax);
        EXPECT_EQ(result.error.message, c.expected);
        return;
    }
    ASSERT_TRUE(result.Ok()) << result.error.message;
    const std::string text = ToMdx(*result.value);
    EXPECT_EQ(text, c.mode == "same" ? c.input : c.expected);
    const std::optional<ParseError> roundTrip = CheckRoundTrip(*result.value);
    EXPECT_FALSE(roundTrip) << roundTrip->message;
    const ParseResult<Statement> again = ParseStatement(text);
    ASSERT_TRUE(again.Ok()) << again.error.message;
    EXPECT_EQ(ToMdx(*again.value), text);
}

void CheckExpression(const MdxCase& c)
{
    const ParseResult<Expr> result = ParseExpression(c.input);
    if (c.mode == "expr-error") {
        ASSERT_FALSE(result.Ok()) << "expected an error, got: " << ToMdx(*result.value);
        EXPECT_EQ(result.error.message, c.expected);
        return;
    }
    ASSERT_TRUE(result.Ok()) << result.error.message;
    EXPECT_EQ(c.mode == "tree" ? ToSExpression(*result.value) : ToMdx(*result.value), c.expected);
    const std::string text = ToMdx(*result.value);
    const ParseResult<Expr> again = ParseExpression(text);
    ASSERT_TRUE(again.Ok()) << again.error.message << " in " << text;
    EXPECT_TRUE(StructurallyEqual(result.value.get(), again.value.get()))
        << ToSExpression(*result.value) << " printed as " << text << " reparses as " << ToSExpression(*again.value);
}

class MdxCaseFileTest : public testing::TestWithParam<std::string> { };

TEST_P(MdxCaseFileTest, CasesPass)
{
    const std::string path = std::string(MDX_CASES_DIR) + "/" + GetParam();
    std::string error;
    const std::vector<MdxCase> cases = ReadMdxCases(path, error);
    ASSERT_TRUE(error.empty()) << error;
    ASSERT_FALSE(cases.empty()) << path;
    for (const MdxCase& c : cases) {
        SCOPED_TRACE(c.file + ":" + std::to_string(c.line) + ": " + c.name);
        if (c.mode.empty() || c.mode == "same" || c.mode == "error")
            CheckStatement(c);
        else if (c.mode == "expr" || c.mode == "tree" || c.mode == "expr-error")
            CheckExpression(c);
        else
            ADD_FAILURE() << "unknown mode '" << c.mode << "'";
    }
}

std::vector<std::string> CaseFiles()
{
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(MDX_CASES_DIR)) {
        if (entry.path().extension() == ".cases")
            files.push_back(entry.path().filename().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

INSTANTIATE_TEST_SUITE_P(
    Files, MdxCaseFileTest, testing::ValuesIn(CaseFiles()), [](const testing::TestParamInfo<std::string>& info) {
        std::string name = info.param.substr(0, info.param.find('.'));
        for (char& c : name) {
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        }
        return name;
    });

} // namespace
