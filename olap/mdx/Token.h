#pragma once

#include "olap/mdx/SourcePosition.h"

#include <string>
#include <string_view>

namespace olap::mdx {

enum class TokenKind {
    End,
    Word, //!< unbracketed name or keyword: Sales, Members, SELECT
    BracketedName, //!< [Unit Sales]; value holds the name with "]]" undone
    KeyName, //!< &[2024]; value holds the key
    Number,
    String, //!< '...' or "..."; value holds the text with doubled quotes undone
    Plus,
    Minus,
    Star,
    Slash,
    Caret,
    Equal,
    NotEqual,
    Less,
    Greater,
    LessEqual,
    GreaterEqual,
    Concat, //!< ||
    Colon,
    Comma,
    Dot,
    Semicolon,
    LeftParen,
    RightParen,
    LeftBrace,
    RightBrace,
};

//! Words the grammar gives a meaning. Matched case-insensitively; a Word token that is no
//! keyword has Keyword::None.
enum class Keyword {
    None,
    And,
    As,
    Axis,
    Case,
    Cell,
    Chapters,
    Columns,
    Dimension,
    Drillthrough,
    Else,
    Empty,
    End,
    Firstrowset,
    From,
    Is,
    Maxrows,
    Member,
    Non,
    Not,
    Null,
    On,
    Or,
    Pages,
    Properties,
    Return,
    Rows,
    Sections,
    Select,
    Set,
    Then,
    When,
    Where,
    With,
    Xor,
};

//! One lexical unit of MDX text. `text` is the raw source text of the token (a view into
//! the text given to the lexer); `value` is the decoded name or string.
struct Token {
    TokenKind kind = TokenKind::End;
    Keyword keyword = Keyword::None;
    std::string_view text;
    std::string value;
    double number = 0;
    //! Source position of the first character; the lexer sets the offset only, the
    //! parser fills in line and column.
    SourcePosition position;
};

} // namespace olap::mdx
