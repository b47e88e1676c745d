#pragma once

#include "olap/mdx/Expr.h"
#include "olap/mdx/SelectStatement.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace olap::mdx {
struct Statement;
}

namespace pivot {

//! A SELECT statement as the engine's MDX parser reads it, with what the pivot needs to read
//! its own statements back: the cube's name, the text of quoted WITH definitions, and a
//! comparison of two statements that ignores white space, comments and keyword case.
class MdxStatement {
public:
    //! Parses TEXT (one SELECT statement, optionally ended by ';'). Throws PivotError with the
    //! parser's message (line and column) when TEXT is not valid MDX or not a SELECT.
    static MdxStatement Parse(std::string_view text);

    //! Whether A and B are the same statement up to white space, comments, quoting of WITH
    //! definitions and the case of keywords, functions, properties and plain words. Bracketed
    //! names and strings compare exactly. False when either does not parse.
    static bool SameText(std::string_view a, std::string_view b);
    //! Whether TEXT is this statement in the sense of SameText.
    bool SameAs(std::string_view text) const;

    //! The statement's tree (never a DRILLTHROUGH).
    const olap::mdx::SelectStatement& Select() const;
    //! The text of the Nth WITH definition as written between quotes (AS '...'), or empty
    //! when that definition was not quoted.
    const std::string& QuotedDefinition(std::size_t n) const;

    //! A compound name as MDX text: bracketed and key segments quoted, plain ones as written
    //! ("[Product].[Drink]", "[Time].&[1997]"). Empty for a node that is not an Identifier.
    static std::string NameText(const olap::mdx::Expr& name);
    //! Whether two expressions are the same in the sense of SameText.
    static bool SameExpr(const olap::mdx::Expr* a, const olap::mdx::Expr* b);

    //! The cube's name as written ("[Sales]"); empty when FROM is a sub-select.
    std::string cube;

private:
    std::shared_ptr<const olap::mdx::Statement> m_statement;
    std::vector<std::string> m_quoted;
};

} // namespace pivot
