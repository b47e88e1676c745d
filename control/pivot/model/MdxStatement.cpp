#include "control/pivot/model/MdxStatement.h"

#include "control/pivot/model/MdxNames.h"
#include "control/pivot/model/PivotError.h"

#include "olap/mdx/Lexer.h"
#include "olap/mdx/Parser.h"
#include "olap/mdx/Statement.h"

#include <algorithm>

namespace pivot {

namespace {

using olap::mdx::Expr;
using olap::mdx::SelectStatement;

bool EqualNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
        auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
        return upper(x) == upper(y);
    });
}

bool SameSegments(
    const std::vector<olap::mdx::IdentifierSegment>& a, const std::vector<olap::mdx::IdentifierSegment>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        if (x.quoting != y.quoting || x.keys != y.keys)
            return false;
        return x.quoting == olap::mdx::SegmentQuoting::Plain ? EqualNoCase(x.name, y.name) : x.name == y.name;
    });
}

bool SameList(const std::vector<olap::mdx::ExprPtr>& a, const std::vector<olap::mdx::ExprPtr>& b)
{
    return std::equal(
        a.begin(), a.end(), b.begin(), b.end(), [](const olap::mdx::ExprPtr& x, const olap::mdx::ExprPtr& y) {
            return MdxStatement::SameExpr(x.get(), y.get());
        });
}

bool SameSelect(const SelectStatement& a, const SelectStatement& b)
{
    if (a.formulas.size() != b.formulas.size() || a.axes.size() != b.axes.size()
        || !MdxStatement::SameExpr(a.cube.get(), b.cube.get())
        || !MdxStatement::SameExpr(a.slicer.get(), b.slicer.get()) || !SameList(a.cellProperties, b.cellProperties)
        || (a.subselect == nullptr) != (b.subselect == nullptr))
        return false;
    if (a.subselect && !SameSelect(*a.subselect, *b.subselect))
        return false;
    for (std::size_t i = 0; i < a.formulas.size(); ++i) {
        const auto& x = a.formulas[i];
        const auto& y = b.formulas[i];
        if (x.isSet != y.isSet || !MdxStatement::SameExpr(x.name.get(), y.name.get())
            || !MdxStatement::SameExpr(x.expression.get(), y.expression.get())
            || x.properties.size() != y.properties.size())
            return false;
        for (std::size_t p = 0; p < x.properties.size(); ++p) {
            if (!EqualNoCase(x.properties[p].name, y.properties[p].name)
                || !MdxStatement::SameExpr(x.properties[p].value.get(), y.properties[p].value.get()))
                return false;
        }
    }
    for (std::size_t i = 0; i < a.axes.size(); ++i) {
        const auto& x = a.axes[i];
        const auto& y = b.axes[i];
        if (x.ordinal != y.ordinal || x.nonEmpty != y.nonEmpty || !MdxStatement::SameExpr(x.set.get(), y.set.get())
            || !SameList(x.dimensionProperties, y.dimensionProperties))
            return false;
    }
    return true;
}

std::shared_ptr<const olap::mdx::Statement> ParseSelect(std::string_view text)
{
    olap::mdx::ParseResult<olap::mdx::Statement> result = olap::mdx::ParseStatement(text);
    if (!result.Ok())
        throw PivotError("MDX: " + result.error.message);
    if (result.value->kind != olap::mdx::StatementKind::Select)
        throw PivotError("MDX: the statement is not a SELECT");
    return std::shared_ptr<const olap::mdx::Statement>(std::move(result.value));
}

} // namespace

MdxStatement MdxStatement::Parse(std::string_view text)
{
    MdxStatement statement;
    statement.m_statement = ParseSelect(text);
    const SelectStatement& select = statement.Select();
    if (select.cube)
        statement.cube = NameText(*select.cube);

    // The text of each definition quoted as '...' (the parser reads it as an expression).
    std::vector<olap::mdx::Token> tokens;
    olap::mdx::Lexer::Error error;
    olap::mdx::Lexer::Tokenize(text, tokens, error);
    for (const olap::mdx::Formula& formula : select.formulas) {
        std::string quoted;
        auto at = std::find_if(tokens.begin(), tokens.end(),
            [&](const olap::mdx::Token& t) { return t.position.offset >= formula.position.offset; });
        at = std::find_if(
            at, tokens.end(), [](const olap::mdx::Token& t) { return t.keyword == olap::mdx::Keyword::As; });
        if (at != tokens.end() && std::next(at) != tokens.end()) {
            const olap::mdx::Token& definition = *std::next(at);
            if (definition.kind == olap::mdx::TokenKind::String && definition.text.starts_with('\''))
                quoted = definition.value;
        }
        statement.m_quoted.push_back(std::move(quoted));
    }
    return statement;
}

const SelectStatement& MdxStatement::Select() const
{
    return m_statement->select;
}

const std::string& MdxStatement::QuotedDefinition(std::size_t n) const
{
    static const std::string kNone;
    return n < m_quoted.size() ? m_quoted[n] : kNone;
}

bool MdxStatement::SameAs(std::string_view text) const
{
    try {
        return m_statement && SameSelect(Select(), ParseSelect(text)->select);
    } catch (const PivotError&) {
        return false;
    }
}

bool MdxStatement::SameText(std::string_view a, std::string_view b)
{
    try {
        return Parse(a).SameAs(b);
    } catch (const PivotError&) {
        return false;
    }
}

std::string MdxStatement::NameText(const Expr& name)
{
    if (name.kind != olap::mdx::ExprKind::Identifier)
        return {};
    std::string text;
    for (const olap::mdx::IdentifierSegment& segment : name.segments) {
        if (!text.empty())
            text += '.';
        switch (segment.quoting) {
        case olap::mdx::SegmentQuoting::Plain:
            text += segment.name;
            break;
        case olap::mdx::SegmentQuoting::Bracketed:
            text += MdxNames::Quote(segment.name);
            break;
        case olap::mdx::SegmentQuoting::Key:
            for (const std::string& key : segment.keys)
                text += '&' + MdxNames::Quote(key);
            break;
        }
    }
    return text;
}

bool MdxStatement::SameExpr(const Expr* a, const Expr* b)
{
    if (!a || !b)
        return a == b;
    if (a->kind != b->kind || !SameSegments(a->segments, b->segments) || !EqualNoCase(a->name, b->name)
        || a->text != b->text || a->number != b->number || a->unaryOperator != b->unaryOperator
        || a->binaryOperator != b->binaryOperator)
        return false;
    return SameExpr(a->object.get(), b->object.get()) && SameExpr(a->elseValue.get(), b->elseValue.get())
        && SameList(a->operands, b->operands);
}

} // namespace pivot
