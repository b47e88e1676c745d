// Fuzzes the MDX parser. Findings are crashes, sanitizer reports and internal errors:
// a statement or expression whose canonical text does not reparse to an equal tree, whose
// printing is not stable, or an error with an impossible position.

#include "olap/mdx/AstEquality.h"
#include "olap/mdx/MdxPrinter.h"
#include "olap/mdx/Parser.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace olap::mdx;

[[noreturn]] void Finding(const char* what, std::string_view detail)
{
    std::fprintf(stderr, "FINDING: %s\n%.*s\n", what, static_cast<int>(detail.size()), detail.data());
    std::abort();
}

void CheckError(const ParseError& error, std::string_view text)
{
    if (error.kind == ParseErrorKind::Internal)
        Finding("internal error", error.message);
    if (error.position.line < 1 || error.position.column < 1 || error.position.offset > text.size())
        Finding("error position outside the text", error.message);
    if (error.message.rfind("Syntax error at line ", 0) != 0)
        Finding("badly formed message", error.message);
}

void CheckStatement(std::string_view text)
{
    const ParseResult<Statement> result = ParseStatement(text);
    if (!result.Ok()) {
        CheckError(result.error, text);
        return;
    }
    if (std::optional<ParseError> error = CheckRoundTrip(*result.value))
        Finding("statement round trip", error->message);
    const std::string printed = ToMdx(*result.value);
    const ParseResult<Statement> again = ParseStatement(printed);
    if (!again.Ok() || ToMdx(*again.value) != printed)
        Finding("statement printing is not stable", printed);
}

void CheckExpression(std::string_view text)
{
    const ParseResult<Expr> result = ParseExpression(text);
    if (!result.Ok()) {
        CheckError(result.error, text);
        return;
    }
    const std::string printed = ToMdx(*result.value);
    const ParseResult<Expr> again = ParseExpression(printed);
    if (!again.Ok())
        Finding("expression text does not reparse", printed + "\n" + again.error.message);
    if (!StructurallyEqual(result.value.get(), again.value.get()))
        Finding("expression round trip", ToSExpression(*result.value) + "\n" + printed);
    if (ToMdx(*again.value) != printed)
        Finding("expression printing is not stable", printed);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckStatement(text);
    CheckExpression(text);
    const ParseResult<std::vector<Statement>> script = ParseScript(text);
    if (!script.Ok())
        CheckError(script.error, text);
    return 0;
}
