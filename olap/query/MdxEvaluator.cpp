#include "olap/query/MdxEvaluator.h"

#include "olap/mdx/Parser.h"
#include "olap/query/MdxError.h"
#include "olap/query/eval/Evaluator.h"

namespace olap {

QueryResult MdxEvaluator::Execute(const Cube& cube, const mdx::Statement& statement, const QueryOptions& options)
{
    eval::Evaluator evaluator(cube, options);
    return evaluator.Run(statement);
}

QueryResult MdxEvaluator::Execute(const Cube& cube, std::string_view text, const QueryOptions& options)
{
    mdx::ParseResult<mdx::Statement> parsed = mdx::ParseStatement(text);
    if (!parsed.Ok())
        throw MdxError(parsed.error.message, parsed.error.position, parsed.error.token);
    return Execute(cube, *parsed.value, options);
}

} // namespace olap
