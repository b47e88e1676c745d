#pragma once

#include "olap/mdx/SourcePosition.h"
#include "olap/util/OlapError.h"

#include <string>

namespace olap {

//! An MDX statement that cannot be answered: a syntax error from the parser, a name that
//! does not resolve, or a semantic error (wrong argument type, unknown function). The
//! message reads like the parser's:
//!   "Name error at line 1, column 31: unknown name '[Time].[2099]'"
//!   "Error at line 2, column 8: TopCount expects a number as argument 2"
//! `position` and `token` give the place and the offending text separately.
class MdxError : public OlapError {
public:
    MdxError(const std::string& message, mdx::SourcePosition position, std::string token)
        : OlapError(message), m_position(position), m_token(std::move(token))
    {
    }

    const mdx::SourcePosition& Position() const { return m_position; }
    const std::string& Token() const { return m_token; }

private:
    mdx::SourcePosition m_position;
    std::string m_token;
};

} // namespace olap
