#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pivot {

//! One token of an MDX text.
struct MdxToken {
    enum class Kind { Word, Bracket, String, Number, Punct };
    Kind kind = Kind::Word;
    //! A word or number as written, a bracketed segment with its brackets, a string's value
    //! without quotes, or the punctuation.
    std::string text;
    std::size_t offset = 0;

    //! Same token; words (keywords, functions) compare without regard to case.
    bool SameAs(const MdxToken& other) const;
};

//! An expression of an MDX statement as a tree: enough structure to recognise the
//! statements the pivot writes, not an evaluator.
struct MdxExpr {
    enum class Kind {
        Name, //!< a dotted name: [Product].[Category].Members, ASC, x
        Call, //!< a function call: TEXT is the function's name
        Set, //!< { ... }
        Tuple, //!< ( ... )
        String,
        Number,
        Operator, //!< a unary or binary operator applied to ARGS
        Empty //!< a left-out argument (", ,")
    };
    Kind kind = Kind::Empty;
    std::string text;
    std::vector<MdxExpr> args;

    bool IsName() const { return kind == Kind::Name; }
    bool IsCall(std::string_view function) const;
    //! Whether this is a name ending in the unbracketed segment SEGMENT (e.g. "Members").
    bool EndsWith(std::string_view segment) const;
    //! The name before its last segment ("[A].[B].Members" -> "[A].[B]").
    std::string Head() const;
};

//! A parsed SELECT statement.
struct MdxStatement {
    struct Member {
        bool isSet = false;
        std::string name;
        MdxExpr expression;
        //! Properties after the expression (FORMAT_STRING = '...'), name and value.
        std::vector<std::pair<std::string, MdxExpr>> properties;
    };
    struct Axis {
        bool nonEmpty = false;
        MdxExpr set;
        //! 0 columns, 1 rows, 2 pages, ...
        int ordinal = 0;
    };

    std::vector<Member> with;
    std::vector<Axis> axes;
    //! The cube's name as written ("[Sales]").
    std::string cube;
    //! The WHERE expression; Kind::Empty without WHERE.
    MdxExpr slicer;

    //! Splits TEXT into tokens; comments (--, //, /* */) are dropped. Throws PivotError for an
    //! unterminated name, string or comment, or a character MDX does not use.
    static std::vector<MdxToken> Tokenize(std::string_view text);
    //! Parses TEXT. Throws PivotError (with the offset) when TEXT is not a SELECT statement of
    //! the forms this parser knows, or nests deeper than 200 levels.
    static MdxStatement Parse(std::string_view text);
    //! Whether A and B are the same statement up to white space, comments and keyword case.
    static bool SameText(std::string_view a, std::string_view b);
};

} // namespace pivot
