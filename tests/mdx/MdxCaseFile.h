#pragma once

#include <string>
#include <vector>

//! One case of an MDX case file.
//!
//! File format: lines starting with '#' are comments. A case starts with "=== name",
//! followed by the input text (one or more lines) and a separator line "--- MODE", then
//! the expected text up to the next "===" line (trailing blank lines dropped). Modes:
//!   (none)      the input is a statement; expected: its canonical text
//!   same        the input is a statement already in canonical form; no expected text
//!   error       the input is a statement; expected: the error message
//!   expr        the input is an expression; expected: its canonical text
//!   tree        the input is an expression; expected: its prefix form (ToSExpression)
//!   expr-error  the input is an expression; expected: the error message
struct MdxCase {
    std::string file;
    int line = 0; //!< line of the "===" header
    std::string name;
    std::string input;
    std::string mode;
    std::string expected;
};

//! Reads the cases of one file; a malformed file gives an error text in `error`.
std::vector<MdxCase> ReadMdxCases(const std::string& path, std::string& error);
