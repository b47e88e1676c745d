#pragma once

#include "olap/mdx/IdentifierSegment.h"
#include "olap/mdx/SourcePosition.h"

#include <memory>
#include <string>
#include <vector>

namespace olap::mdx {

enum class ExprKind {
    Identifier, //!< compound name: `segments`
    Number, //!< `number`
    String, //!< `text` (quotes undone)
    Null, //!< NULL
    Empty, //!< EMPTY, only as the right side of IS
    EmptyArgument, //!< an argument left out, as in `Descendants(m, , LEAVES)`
    Unary, //!< `unaryOperator` applied to operands[0]
    Binary, //!< operands[0] `binaryOperator` operands[1]
    Tuple, //!< `(a, b, ...)`: operands are the elements; `()` has none
    Set, //!< `{a, b, ...}`: operands are the elements
    Call, //!< `name(operands...)`
    MethodCall, //!< `object.name(operands...)`
    Property, //!< `object.segments[0]` without parentheses, e.g. `.Members`, `.CurrentMember`
    Case, //!< CASE [object] WHEN operands[2i] THEN operands[2i+1] ... [ELSE elseValue] END
};

enum class UnaryOperator {
    Negate, //!< -x
    Plus, //!< +x
    Not, //!< NOT x
};

//! `Multiply` stands for both `*` forms: multiplication of numbers and the crossjoin of sets;
//! which one applies is decided when the operands' types are known.
//! Likewise `Add` and `Subtract` also serve as set union and set difference.
enum class BinaryOperator {
    Or,
    Xor,
    And,
    Equal,
    NotEqual,
    Less,
    Greater,
    LessEqual,
    GreaterEqual,
    Is, //!< right side may be NULL, EMPTY or any expression
    Concat, //!< ||
    Add,
    Subtract,
    Multiply,
    Divide,
    Power, //!< ^
    Range, //!< m1:m2
};

//! One node of an MDX expression. Which members are used depends on `kind` (see ExprKind);
//! the rest stay empty. `position` is where the node's text starts (for a binary node: its
//! operator; for a property or method: the name after the dot).
struct Expr {
    ExprKind kind = ExprKind::Identifier;
    SourcePosition position;
    std::vector<IdentifierSegment> segments;
    std::string name; //!< function or method name as written
    std::string text;
    double number = 0;
    UnaryOperator unaryOperator = UnaryOperator::Negate;
    BinaryOperator binaryOperator = BinaryOperator::Add;
    std::unique_ptr<Expr> object; //!< MethodCall/Property target, simple CASE operand (or null)
    std::vector<std::unique_ptr<Expr>> operands;
    std::unique_ptr<Expr> elseValue; //!< CASE ... ELSE (or null)
    //! Nodes on the longest path down from this one, as the parser counted them (it keeps
    //! trees shallow enough to walk recursively). Not part of the tree's meaning.
    int height = 1;

    //! True for a one-segment plain name such as the flag `SELF_AND_AFTER` or `BDESC`.
    bool IsPlainWord() const
    {
        return kind == ExprKind::Identifier && segments.size() == 1 && segments[0].quoting == SegmentQuoting::Plain;
    }
};

using ExprPtr = std::unique_ptr<Expr>;

} // namespace olap::mdx
