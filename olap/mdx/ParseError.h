#pragma once

#include "olap/mdx/SourcePosition.h"

#include <string>

namespace olap::mdx {

enum class ParseErrorKind {
    Syntax, //!< the text is not valid MDX (also: nesting too deep, duplicate axis)
    Internal, //!< the parser failed its own check; a fault of the parser, not of the text
};

//! Why a text could not be parsed. `message` is the full text to show:
//!   "Syntax error at line L, column C: DESCRIPTION"
//! where DESCRIPTION is for example "unexpected 'FROM', expected ON" or
//! "unexpected end of input, expected ')'" or "unterminated string". Internal errors read
//! "Internal error: ...".
struct ParseError {
    ParseErrorKind kind = ParseErrorKind::Syntax;
    SourcePosition position;
    std::string token; //!< the offending token as written; empty at the end of the input
    std::string description;
    std::string message;
};

} // namespace olap::mdx
