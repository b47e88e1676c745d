#pragma once

#include "olap/mdx/Token.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace olap::mdx {

//! Splits MDX text into tokens. Names: unbracketed words (letters, digits, '_', and any
//! non-ASCII character), `[bracketed names]` with "]]" for a closing bracket, keys `&[...]`.
//! Numbers: digits with an optional fraction and exponent. Strings: '...' or "..." with the
//! quote doubled inside. Comments: `--` and `//` to the end of the line, `/* ... */`.
//! Keywords are recognised without regard to case. White space is space, tab, CR, LF, FF,
//! VT and U+FEFF (so a byte order mark anywhere is ignored).
class Lexer {
public:
    //! Where and why lexing failed.
    struct Error {
        std::uint32_t offset = 0; //!< byte offset of the offending text
        std::string description; //!< e.g. "unterminated string"
        std::string_view text; //!< the offending text (may be empty)
    };

    //! Tokenizes the whole of `text` into `tokens`, which ends with one End token.
    //! On failure returns false and fills `error`; `tokens` then holds what came before.
    //! The tokens' `text` views point into `text`, which must outlive them.
    static bool Tokenize(std::string_view text, std::vector<Token>& tokens, Error& error);

    //! The keyword `word` spells (any case), or Keyword::None.
    static Keyword LookupKeyword(std::string_view word);
};

} // namespace olap::mdx
