#include "olap/mdx/Parser.h"

#include "olap/mdx/AstEquality.h"
#include "olap/mdx/Lexer.h"
#include "olap/mdx/MdxPrinter.h"
#include "olap/mdx/PropertyNames.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <utility>

namespace olap::mdx {

namespace {

//! Carries a ParseError out of the recursive descent; caught at the entry points.
struct ParseFailure {
    ParseError error;
};

constexpr std::size_t kMaxTokenTextInMessage = 40;

std::string FormatMessage(const ParseError& error)
{
    if (error.kind == ParseErrorKind::Internal)
        return "Internal error: " + error.description;
    return "Syntax error at line " + std::to_string(error.position.line) + ", column "
        + std::to_string(error.position.column) + ": " + error.description;
}

ParseFailure MakeFailure(ParseErrorKind kind, SourcePosition position, std::string_view token, std::string description)
{
    ParseError error;
    error.kind = kind;
    error.position = position;
    error.token = std::string(token);
    error.description = std::move(description);
    error.message = FormatMessage(error);
    return ParseFailure {std::move(error)};
}

//! Turns byte offsets into lines and columns, moving forward only, so that positioning all
//! tokens of a text costs one pass over it.
class PositionTracker {
public:
    PositionTracker(std::string_view text, SourcePosition start) : m_text(text), m_current(start) { }

    SourcePosition At(std::uint32_t offset)
    {
        while (m_current.offset < offset && m_current.offset < m_text.size()) {
            const unsigned char c = static_cast<unsigned char>(m_text[m_current.offset]);
            const bool crBeforeLf
                = c == '\r' && m_current.offset + 1 < m_text.size() && m_text[m_current.offset + 1] == '\n';
            if (c == '\n' || (c == '\r' && !crBeforeLf)) {
                ++m_current.line;
                m_current.column = 1;
            } else if ((c & 0xC0) != 0x80 && !crBeforeLf) {
                ++m_current.column;
            }
            ++m_current.offset;
        }
        SourcePosition result = m_current;
        result.offset = offset;
        return result;
    }

private:
    std::string_view m_text;
    SourcePosition m_current;
};

bool IsReserved(Keyword keyword)
{
    switch (keyword) {
    case Keyword::And:
    case Keyword::As:
    case Keyword::Case:
    case Keyword::Drillthrough:
    case Keyword::Else:
    case Keyword::End:
    case Keyword::From:
    case Keyword::Is:
    case Keyword::Member:
    case Keyword::Non:
    case Keyword::Not:
    case Keyword::Null:
    case Keyword::On:
    case Keyword::Or:
    case Keyword::Return:
    case Keyword::Select:
    case Keyword::Set:
    case Keyword::Then:
    case Keyword::When:
    case Keyword::Where:
    case Keyword::With:
    case Keyword::Xor:
        return true;
    default:
        return false;
    }
}

const char* AxisName(int ordinal)
{
    static constexpr const char* kNames[] = {"COLUMNS", "ROWS", "PAGES", "SECTIONS", "CHAPTERS"};
    return ordinal >= 0 && ordinal < 5 ? kNames[ordinal] : nullptr;
}

constexpr int kMaxAxisOrdinal = 127;

//! Recursive-descent parser over a token list. Operator precedence, loosest first:
//! OR XOR; AND; NOT; = <> < > <= >= IS; ||; + -; * /; unary - +; ^ (right-associative);
//! : (range); postfix .name and .name(args).
class Parser {
public:
    //! `outerSource` is the whole statement text (positions refer to it, also inside quoted
    //! definitions); `depth` the nesting already used by an enclosing parser.
    Parser(const std::vector<Token>& tokens, std::string_view outerSource, int depth)
        : m_tokens(tokens), m_outerSource(outerSource), m_depth(depth)
    {
    }

    Statement ParseOneStatement()
    {
        Statement statement = ParseStatementBody();
        if (Peek().kind == TokenKind::Semicolon)
            Advance();
        ExpectEnd();
        return statement;
    }

    std::vector<Statement> ParseStatements()
    {
        std::vector<Statement> statements;
        for (;;) {
            while (Peek().kind == TokenKind::Semicolon)
                Advance();
            if (Peek().kind == TokenKind::End)
                break;
            statements.push_back(ParseStatementBody());
            if (Peek().kind != TokenKind::Semicolon && Peek().kind != TokenKind::End)
                throw Unexpected("';' or the end of the input");
        }
        return statements;
    }

    ExprPtr ParseLoneExpression()
    {
        ExprPtr expr = ParseExpressionNode();
        ExpectEnd();
        return expr;
    }

private:
    class DepthGuard {
    public:
        DepthGuard(Parser& parser) : m_parser(parser)
        {
            if (++m_parser.m_depth > kMaxNestingDepth)
                throw m_parser.TooDeep();
        }
        ~DepthGuard() { --m_parser.m_depth; }
        DepthGuard(const DepthGuard&) = delete;
        DepthGuard& operator=(const DepthGuard&) = delete;

    private:
        Parser& m_parser;
    };

    // ----- tokens -----

    const Token& Peek(std::size_t ahead = 0) const
    {
        const std::size_t index = std::min(m_pos + ahead, m_tokens.size() - 1);
        return m_tokens[index];
    }

    const Token& Advance()
    {
        const Token& token = m_tokens[m_pos];
        if (m_pos + 1 < m_tokens.size())
            ++m_pos;
        return token;
    }

    bool IsKeyword(Keyword keyword, std::size_t ahead = 0) const
    {
        const Token& token = Peek(ahead);
        return token.kind == TokenKind::Word && token.keyword == keyword;
    }

    bool AcceptKeyword(Keyword keyword)
    {
        if (!IsKeyword(keyword))
            return false;
        Advance();
        return true;
    }

    bool Accept(TokenKind kind)
    {
        if (Peek().kind != kind)
            return false;
        Advance();
        return true;
    }

    const Token& ExpectKeyword(Keyword keyword, const char* spelling)
    {
        if (!IsKeyword(keyword))
            throw Unexpected(spelling);
        return Advance();
    }

    const Token& Expect(TokenKind kind, const char* spelling)
    {
        if (Peek().kind != kind)
            throw Unexpected(spelling);
        return Advance();
    }

    void ExpectEnd()
    {
        if (Peek().kind != TokenKind::End)
            throw Unexpected("the end of the input");
    }

    // ----- errors -----

    ParseFailure Unexpected(const char* expected) const
    {
        const Token& token = Peek();
        std::string description;
        if (token.kind == TokenKind::End) {
            description = "unexpected end of input";
        } else {
            std::string_view text = token.text;
            description = "unexpected '";
            if (text.size() > kMaxTokenTextInMessage) {
                description += text.substr(0, kMaxTokenTextInMessage);
                description += "...";
            } else {
                description += text;
            }
            description += "'";
        }
        if (expected) {
            description += ", expected ";
            description += expected;
        }
        return MakeFailure(ParseErrorKind::Syntax, token.position, token.text, std::move(description));
    }

    ParseFailure ErrorAt(const Token& token, std::string description) const
    {
        return MakeFailure(ParseErrorKind::Syntax, token.position, token.text, std::move(description));
    }

    ParseFailure TooDeep() const
    {
        return ErrorAt(Peek(), "nesting deeper than " + std::to_string(kMaxNestingDepth) + " levels");
    }

    // ----- nodes -----

    ExprPtr NewNode(ExprKind kind, SourcePosition position) const
    {
        auto node = std::make_unique<Expr>();
        node->kind = kind;
        node->position = position;
        return node;
    }

    //! Sets the node's height from its children and refuses trees that grow too deep
    //! (long operator chains grow without recursion in the parser).
    ExprPtr Finish(ExprPtr node) const
    {
        int height = 0;
        for (const ExprPtr& operand : node->operands)
            height = std::max(height, operand->height);
        if (node->object)
            height = std::max(height, node->object->height);
        if (node->elseValue)
            height = std::max(height, node->elseValue->height);
        node->height = height + 1;
        if (node->height > kMaxNestingDepth)
            throw TooDeep();
        return node;
    }

    ExprPtr MakeBinary(BinaryOperator op, SourcePosition position, ExprPtr left, ExprPtr right) const
    {
        ExprPtr node = NewNode(ExprKind::Binary, position);
        node->binaryOperator = op;
        node->operands.push_back(std::move(left));
        node->operands.push_back(std::move(right));
        return Finish(std::move(node));
    }

    ExprPtr MakeUnary(UnaryOperator op, SourcePosition position, ExprPtr operand) const
    {
        ExprPtr node = NewNode(ExprKind::Unary, position);
        node->unaryOperator = op;
        node->operands.push_back(std::move(operand));
        return Finish(std::move(node));
    }

    // ----- statements -----

    Statement ParseStatementBody()
    {
        Statement statement;
        statement.position = Peek().position;
        if (AcceptKeyword(Keyword::Drillthrough)) {
            statement.kind = StatementKind::Drillthrough;
            for (;;) {
                if (IsKeyword(Keyword::Maxrows) && !statement.maxRows) {
                    Advance();
                    statement.maxRows = ParseCount("MAXROWS");
                } else if (IsKeyword(Keyword::Firstrowset) && !statement.firstRowset) {
                    Advance();
                    statement.firstRowset = ParseCount("FIRSTROWSET");
                } else {
                    break;
                }
            }
            if (!IsKeyword(Keyword::Select) && !IsKeyword(Keyword::With))
                throw Unexpected(
                    statement.maxRows || statement.firstRowset ? "SELECT" : "MAXROWS, FIRSTROWSET or SELECT");
            statement.select = ParseSelect();
            if (AcceptKeyword(Keyword::Return)) {
                do {
                    statement.returnColumns.push_back(ParseExpressionNode());
                } while (Accept(TokenKind::Comma));
            }
            return statement;
        }
        if (!IsKeyword(Keyword::Select) && !IsKeyword(Keyword::With))
            throw Unexpected("SELECT, WITH or DRILLTHROUGH");
        statement.select = ParseSelect();
        return statement;
    }

    std::uint64_t ParseCount(const char* clause)
    {
        const Token& token = Peek();
        std::uint64_t value = 0;
        bool valid = token.kind == TokenKind::Number && !token.text.empty();
        for (char c : token.text) {
            if (!valid)
                break;
            const auto digit = static_cast<std::uint64_t>(c - '0');
            if (c < '0' || c > '9' || value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) {
                valid = false;
                break;
            }
            value = value * 10 + digit;
        }
        if (!valid) {
            if (token.kind == TokenKind::Number)
                throw ErrorAt(
                    token, std::string(clause) + " needs a whole number, not '" + std::string(token.text) + "'");
            throw Unexpected("a whole number");
        }
        Advance();
        return value;
    }

    SelectStatement ParseSelect()
    {
        DepthGuard guard(*this);
        SelectStatement select;
        select.position = Peek().position;
        if (AcceptKeyword(Keyword::With)) {
            if (!IsKeyword(Keyword::Member) && !IsKeyword(Keyword::Set))
                throw Unexpected("MEMBER or SET");
            while (IsKeyword(Keyword::Member) || IsKeyword(Keyword::Set))
                select.formulas.push_back(ParseFormula());
        }
        ExpectKeyword(Keyword::Select, "SELECT");
        if (!IsKeyword(Keyword::From)) {
            do {
                ParseAxis(select);
            } while (Accept(TokenKind::Comma));
        }
        ExpectKeyword(Keyword::From, select.axes.empty() ? "an axis or FROM" : "',' or FROM");
        if (Peek().kind == TokenKind::LeftParen && (IsKeyword(Keyword::Select, 1) || IsKeyword(Keyword::With, 1))) {
            Advance();
            select.subselect = std::make_unique<SelectStatement>(ParseSelect());
            Expect(TokenKind::RightParen, "')'");
        } else {
            select.cube = ParseCompoundName("a cube name");
        }
        if (AcceptKeyword(Keyword::Where))
            select.slicer = ParseExpressionNode();
        if (IsKeyword(Keyword::Cell)) {
            Advance();
            ExpectKeyword(Keyword::Properties, "PROPERTIES");
            do {
                select.cellProperties.push_back(ParseCompoundName("a property name"));
            } while (Accept(TokenKind::Comma));
        }
        return select;
    }

    Formula ParseFormula()
    {
        Formula formula;
        formula.position = Peek().position;
        formula.isSet = IsKeyword(Keyword::Set);
        Advance();
        formula.name = ParseCompoundName(formula.isSet ? "a set name" : "a member name");
        ExpectKeyword(Keyword::As, "AS");
        const Token& definition = Peek();
        if (definition.kind == TokenKind::String && !definition.text.empty() && definition.text.front() == '\'') {
            Advance();
            formula.expression = ParseQuoted(definition);
        } else {
            formula.expression = ParseExpressionNode();
        }
        while (Peek().kind == TokenKind::Comma) {
            // A comma before the next definition is tolerated.
            if (IsKeyword(Keyword::Member, 1) || IsKeyword(Keyword::Set, 1)) {
                Advance();
                break;
            }
            Advance();
            const Token& nameToken = Peek();
            if (nameToken.kind != TokenKind::Word)
                throw Unexpected("a property name such as SOLVE_ORDER");
            Formula::Property property;
            property.name = nameToken.value;
            property.position = nameToken.position;
            Advance();
            Expect(TokenKind::Equal, "'='");
            property.value = ParseExpressionNode();
            formula.properties.push_back(std::move(property));
        }
        return formula;
    }

    //! Parses the text of a quoted definition (AS '...') as an expression; positions in it
    //! refer to the whole statement.
    ExprPtr ParseQuoted(const Token& token)
    {
        const std::string_view raw = token.text;
        const char quote = raw.front();
        // Offset in the outer text of each character of the unquoted value (plus its end).
        std::vector<std::uint32_t> outerOffsets;
        outerOffsets.reserve(token.value.size() + 1);
        std::size_t i = 1;
        while (i + 1 < raw.size()) {
            outerOffsets.push_back(token.position.offset + static_cast<std::uint32_t>(i));
            i += raw[i] == quote ? 2 : 1;
        }
        outerOffsets.push_back(token.position.offset + static_cast<std::uint32_t>(raw.size() - 1));

        std::vector<Token> tokens;
        Lexer::Error lexError;
        const bool lexed = Lexer::Tokenize(token.value, tokens, lexError);
        PositionTracker tracker(m_outerSource, token.position);
        auto map = [&](std::uint32_t local) {
            return tracker.At(outerOffsets[std::min<std::size_t>(local, outerOffsets.size() - 1)]);
        };
        for (Token& inner : tokens)
            inner.position = map(inner.position.offset);
        if (!lexed)
            throw MakeFailure(ParseErrorKind::Syntax, map(lexError.offset), lexError.text, lexError.description);
        Parser inner(tokens, m_outerSource, m_depth);
        return inner.ParseLoneExpression();
    }

    void ParseAxis(SelectStatement& select)
    {
        AxisSpec axis;
        axis.position = Peek().position;
        if (AcceptKeyword(Keyword::Non)) {
            ExpectKeyword(Keyword::Empty, "EMPTY");
            axis.nonEmpty = true;
        }
        axis.set = ParseExpressionNode();
        if (AcceptKeyword(Keyword::Dimension)) {
            ExpectKeyword(Keyword::Properties, "PROPERTIES");
            ParsePropertyList(axis.dimensionProperties);
        } else if (AcceptKeyword(Keyword::Properties)) {
            ParsePropertyList(axis.dimensionProperties);
        }
        ExpectKeyword(Keyword::On, "ON");
        const Token& axisToken = Peek();
        int ordinal = -1;
        switch (axisToken.kind == TokenKind::Word ? axisToken.keyword : Keyword::None) {
        case Keyword::Columns:
            ordinal = 0;
            break;
        case Keyword::Rows:
            ordinal = 1;
            break;
        case Keyword::Pages:
            ordinal = 2;
            break;
        case Keyword::Sections:
            ordinal = 3;
            break;
        case Keyword::Chapters:
            ordinal = 4;
            break;
        case Keyword::Axis: {
            Advance();
            Expect(TokenKind::LeftParen, "'('");
            ordinal = ParseAxisNumber();
            Expect(TokenKind::RightParen, "')'");
            break;
        }
        default:
            if (axisToken.kind != TokenKind::Number)
                throw Unexpected("COLUMNS, ROWS, PAGES, SECTIONS, CHAPTERS, AXIS(n) or a number");
            ordinal = ParseAxisNumber();
            break;
        }
        if (axisToken.kind == TokenKind::Word && axisToken.keyword != Keyword::Axis)
            Advance();
        for (const AxisSpec& other : select.axes) {
            if (other.ordinal == ordinal) {
                const char* name = AxisName(ordinal);
                throw ErrorAt(axisToken,
                    "axis " + (name ? std::string(name) : "AXIS(" + std::to_string(ordinal) + ")") + " is used twice");
            }
        }
        axis.ordinal = ordinal;
        axis.namePosition = axisToken.position;
        select.axes.push_back(std::move(axis));
    }

    int ParseAxisNumber()
    {
        const Token& token = Peek();
        if (token.kind != TokenKind::Number)
            throw Unexpected("an axis number");
        const double number = token.number;
        if (!(number >= 0 && number <= kMaxAxisOrdinal && number == std::floor(number)))
            throw ErrorAt(token, "axis number must be a whole number from 0 to " + std::to_string(kMaxAxisOrdinal));
        Advance();
        return static_cast<int>(token.number);
    }

    void ParsePropertyList(std::vector<ExprPtr>& list)
    {
        do {
            list.push_back(ParseCompoundName("a property name"));
        } while (Accept(TokenKind::Comma));
    }

    // ----- names -----

    bool IsNameToken(const Token& token) const
    {
        return token.kind == TokenKind::Word || token.kind == TokenKind::BracketedName
            || token.kind == TokenKind::KeyName;
    }

    //! Reads one segment at the current token, which must be a name token.
    IdentifierSegment ParseSegment()
    {
        const Token& token = Advance();
        IdentifierSegment segment;
        if (token.kind == TokenKind::KeyName) {
            segment.quoting = SegmentQuoting::Key;
            segment.keys.push_back(token.value);
            while (Peek().kind == TokenKind::KeyName)
                segment.keys.push_back(Advance().value);
        } else {
            segment.quoting
                = token.kind == TokenKind::BracketedName ? SegmentQuoting::Bracketed : SegmentQuoting::Plain;
            segment.name = token.value;
        }
        return segment;
    }

    //! A dotted name where no expression may stand: cube, formula or property names.
    ExprPtr ParseCompoundName(const char* what)
    {
        const Token& first = Peek();
        if (!IsNameToken(first) || (first.kind == TokenKind::Word && IsReserved(first.keyword)))
            throw Unexpected(what);
        ExprPtr node = NewNode(ExprKind::Identifier, first.position);
        node->segments.push_back(ParseSegment());
        while (Peek().kind == TokenKind::Dot && IsNameToken(Peek(1))) {
            Advance();
            node->segments.push_back(ParseSegment());
        }
        return node;
    }

    // ----- expressions -----

    ExprPtr ParseExpressionNode()
    {
        DepthGuard guard(*this);
        return ParseOr();
    }

    ExprPtr ParseOr()
    {
        ExprPtr left = ParseAnd();
        while (IsKeyword(Keyword::Or) || IsKeyword(Keyword::Xor)) {
            const Token& op = Advance();
            ExprPtr right = ParseAnd();
            left = MakeBinary(op.keyword == Keyword::Or ? BinaryOperator::Or : BinaryOperator::Xor, op.position,
                std::move(left), std::move(right));
        }
        return left;
    }

    ExprPtr ParseAnd()
    {
        ExprPtr left = ParseNot();
        while (IsKeyword(Keyword::And)) {
            const Token& op = Advance();
            ExprPtr right = ParseNot();
            left = MakeBinary(BinaryOperator::And, op.position, std::move(left), std::move(right));
        }
        return left;
    }

    ExprPtr ParseNot()
    {
        if (!IsKeyword(Keyword::Not))
            return ParseComparison();
        DepthGuard guard(*this);
        const Token& op = Advance();
        ExprPtr operand = ParseNot();
        return MakeUnary(UnaryOperator::Not, op.position, std::move(operand));
    }

    static bool ComparisonOperator(TokenKind kind, BinaryOperator& op)
    {
        switch (kind) {
        case TokenKind::Equal:
            op = BinaryOperator::Equal;
            return true;
        case TokenKind::NotEqual:
            op = BinaryOperator::NotEqual;
            return true;
        case TokenKind::Less:
            op = BinaryOperator::Less;
            return true;
        case TokenKind::Greater:
            op = BinaryOperator::Greater;
            return true;
        case TokenKind::LessEqual:
            op = BinaryOperator::LessEqual;
            return true;
        case TokenKind::GreaterEqual:
            op = BinaryOperator::GreaterEqual;
            return true;
        default:
            return false;
        }
    }

    ExprPtr ParseComparison()
    {
        ExprPtr left = ParseConcat();
        for (;;) {
            BinaryOperator op = BinaryOperator::Equal;
            if (ComparisonOperator(Peek().kind, op)) {
                const Token& opToken = Advance();
                ExprPtr right = ParseConcat();
                left = MakeBinary(op, opToken.position, std::move(left), std::move(right));
            } else if (IsKeyword(Keyword::Is)) {
                const Token& opToken = Advance();
                ExprPtr right;
                if (IsKeyword(Keyword::Empty))
                    right = Finish(NewNode(ExprKind::Empty, Advance().position));
                else
                    right = ParseConcat();
                left = MakeBinary(BinaryOperator::Is, opToken.position, std::move(left), std::move(right));
            } else {
                return left;
            }
        }
    }

    ExprPtr ParseConcat()
    {
        ExprPtr left = ParseAdditive();
        while (Peek().kind == TokenKind::Concat) {
            const Token& op = Advance();
            ExprPtr right = ParseAdditive();
            left = MakeBinary(BinaryOperator::Concat, op.position, std::move(left), std::move(right));
        }
        return left;
    }

    ExprPtr ParseAdditive()
    {
        ExprPtr left = ParseMultiplicative();
        while (Peek().kind == TokenKind::Plus || Peek().kind == TokenKind::Minus) {
            const Token& op = Advance();
            ExprPtr right = ParseMultiplicative();
            left = MakeBinary(op.kind == TokenKind::Plus ? BinaryOperator::Add : BinaryOperator::Subtract, op.position,
                std::move(left), std::move(right));
        }
        return left;
    }

    ExprPtr ParseMultiplicative()
    {
        ExprPtr left = ParseUnary();
        while (Peek().kind == TokenKind::Star || Peek().kind == TokenKind::Slash) {
            const Token& op = Advance();
            ExprPtr right = ParseUnary();
            left = MakeBinary(op.kind == TokenKind::Star ? BinaryOperator::Multiply : BinaryOperator::Divide,
                op.position, std::move(left), std::move(right));
        }
        return left;
    }

    ExprPtr ParseUnary()
    {
        if (Peek().kind != TokenKind::Minus && Peek().kind != TokenKind::Plus)
            return ParsePower();
        DepthGuard guard(*this);
        const Token& op = Advance();
        ExprPtr operand = ParseUnary();
        return MakeUnary(
            op.kind == TokenKind::Minus ? UnaryOperator::Negate : UnaryOperator::Plus, op.position, std::move(operand));
    }

    ExprPtr ParsePower()
    {
        ExprPtr base = ParseRange();
        if (Peek().kind != TokenKind::Caret)
            return base;
        DepthGuard guard(*this);
        const Token& op = Advance();
        ExprPtr exponent = ParseUnary();
        return MakeBinary(BinaryOperator::Power, op.position, std::move(base), std::move(exponent));
    }

    ExprPtr ParseRange()
    {
        ExprPtr left = ParsePostfix();
        while (Peek().kind == TokenKind::Colon) {
            const Token& op = Advance();
            ExprPtr right = ParsePostfix();
            left = MakeBinary(BinaryOperator::Range, op.position, std::move(left), std::move(right));
        }
        return left;
    }

    ExprPtr ParsePostfix()
    {
        ExprPtr expr = ParsePrimary();
        while (Peek().kind == TokenKind::Dot) {
            Advance();
            const Token& nameToken = Peek();
            if (!IsNameToken(nameToken))
                throw Unexpected("a name after '.'");
            if (nameToken.kind == TokenKind::Word && Peek(1).kind == TokenKind::LeftParen) {
                Advance();
                ExprPtr call = NewNode(ExprKind::MethodCall, nameToken.position);
                call->name = nameToken.value;
                call->object = std::move(expr);
                ParseArguments(call->operands);
                expr = Finish(std::move(call));
            } else if (nameToken.kind == TokenKind::Word && IsPropertyName(nameToken.value)) {
                ExprPtr property = NewNode(ExprKind::Property, nameToken.position);
                property->segments.push_back(ParseSegment());
                property->object = std::move(expr);
                expr = Finish(std::move(property));
            } else if (expr->kind == ExprKind::Identifier) {
                expr->segments.push_back(ParseSegment());
            } else {
                ExprPtr property = NewNode(ExprKind::Property, nameToken.position);
                property->segments.push_back(ParseSegment());
                property->object = std::move(expr);
                expr = Finish(std::move(property));
            }
        }
        return expr;
    }

    void ParseArguments(std::vector<ExprPtr>& arguments)
    {
        Expect(TokenKind::LeftParen, "'('");
        if (Accept(TokenKind::RightParen))
            return;
        for (;;) {
            const Token& token = Peek();
            if (token.kind == TokenKind::Comma || token.kind == TokenKind::RightParen)
                arguments.push_back(Finish(NewNode(ExprKind::EmptyArgument, token.position)));
            else
                arguments.push_back(ParseExpressionNode());
            if (Accept(TokenKind::Comma))
                continue;
            if (Accept(TokenKind::RightParen))
                return;
            throw Unexpected("',' or ')'");
        }
    }

    ExprPtr ParsePrimary()
    {
        const Token& token = Peek();
        switch (token.kind) {
        case TokenKind::Number: {
            ExprPtr node = NewNode(ExprKind::Number, token.position);
            node->number = token.number;
            Advance();
            return node;
        }
        case TokenKind::String: {
            ExprPtr node = NewNode(ExprKind::String, token.position);
            node->text = token.value;
            Advance();
            return node;
        }
        case TokenKind::BracketedName:
        case TokenKind::KeyName: {
            ExprPtr node = NewNode(ExprKind::Identifier, token.position);
            node->segments.push_back(ParseSegment());
            return node;
        }
        case TokenKind::Word: {
            if (token.keyword == Keyword::Null) {
                Advance();
                return NewNode(ExprKind::Null, token.position);
            }
            if (token.keyword == Keyword::Case)
                return ParseCase();
            if (IsReserved(token.keyword))
                throw Unexpected("an expression");
            if (Peek(1).kind == TokenKind::LeftParen) {
                ExprPtr call = NewNode(ExprKind::Call, token.position);
                call->name = token.value;
                Advance();
                ParseArguments(call->operands);
                return Finish(std::move(call));
            }
            ExprPtr node = NewNode(ExprKind::Identifier, token.position);
            node->segments.push_back(ParseSegment());
            return node;
        }
        case TokenKind::LeftParen: {
            Advance();
            if (Peek().kind == TokenKind::RightParen) {
                Advance();
                return NewNode(ExprKind::Tuple, token.position);
            }
            ExprPtr first = ParseExpressionNode();
            if (Accept(TokenKind::RightParen))
                return first;
            ExprPtr tuple = NewNode(ExprKind::Tuple, token.position);
            tuple->operands.push_back(std::move(first));
            while (Accept(TokenKind::Comma))
                tuple->operands.push_back(ParseExpressionNode());
            Expect(TokenKind::RightParen, "',' or ')'");
            return Finish(std::move(tuple));
        }
        case TokenKind::LeftBrace: {
            Advance();
            ExprPtr set = NewNode(ExprKind::Set, token.position);
            if (!Accept(TokenKind::RightBrace)) {
                do {
                    set->operands.push_back(ParseExpressionNode());
                } while (Accept(TokenKind::Comma));
                Expect(TokenKind::RightBrace, "',' or '}'");
            }
            return Finish(std::move(set));
        }
        default:
            throw Unexpected("an expression");
        }
    }

    ExprPtr ParseCase()
    {
        ExprPtr node = NewNode(ExprKind::Case, Advance().position);
        if (!IsKeyword(Keyword::When))
            node->object = ParseExpressionNode();
        if (!IsKeyword(Keyword::When))
            throw Unexpected("WHEN");
        while (AcceptKeyword(Keyword::When)) {
            node->operands.push_back(ParseExpressionNode());
            ExpectKeyword(Keyword::Then, "THEN");
            node->operands.push_back(ParseExpressionNode());
        }
        if (AcceptKeyword(Keyword::Else))
            node->elseValue = ParseExpressionNode();
        ExpectKeyword(Keyword::End, "WHEN, ELSE or END");
        return Finish(std::move(node));
    }

    const std::vector<Token>& m_tokens;
    std::string_view m_outerSource;
    int m_depth = 0;
    std::size_t m_pos = 0;
};

//! Tokenizes `text` and gives every token its line and column; throws ParseFailure on a
//! lexical error.
std::vector<Token> TokenizeWithPositions(std::string_view text)
{
    std::vector<Token> tokens;
    Lexer::Error lexError;
    const bool lexed = Lexer::Tokenize(text, tokens, lexError);
    PositionTracker tracker(text, SourcePosition {});
    for (Token& token : tokens)
        token.position = tracker.At(token.position.offset);
    if (!lexed)
        throw MakeFailure(ParseErrorKind::Syntax, tracker.At(lexError.offset), lexError.text, lexError.description);
    return tokens;
}

template <typename T, typename Body> ParseResult<T> Run(Body body)
{
    ParseResult<T> result;
    try {
        result.value = body();
    } catch (ParseFailure& failure) {
        result.value.reset();
        result.error = std::move(failure.error);
    }
    return result;
}

ParseResult<Statement> ParseStatementUnchecked(std::string_view text)
{
    return Run<Statement>([&] {
        const std::vector<Token> tokens = TokenizeWithPositions(text);
        Parser parser(tokens, text, 0);
        return std::make_unique<Statement>(parser.ParseOneStatement());
    });
}

ParseError InternalError(std::string description)
{
    return MakeFailure(ParseErrorKind::Internal, SourcePosition {}, {}, std::move(description)).error;
}

} // namespace

ParseResult<Statement> ParseStatement(std::string_view text)
{
    ParseResult<Statement> result = ParseStatementUnchecked(text);
#ifndef NDEBUG
    if (result.Ok()) {
        if (std::optional<ParseError> error = CheckRoundTrip(*result.value)) {
            result.value.reset();
            result.error = std::move(*error);
        }
    }
#endif
    return result;
}

ParseResult<std::vector<Statement>> ParseScript(std::string_view text)
{
    ParseResult<std::vector<Statement>> result = Run<std::vector<Statement>>([&] {
        const std::vector<Token> tokens = TokenizeWithPositions(text);
        Parser parser(tokens, text, 0);
        return std::make_unique<std::vector<Statement>>(parser.ParseStatements());
    });
#ifndef NDEBUG
    if (result.Ok()) {
        for (const Statement& statement : *result.value) {
            if (std::optional<ParseError> error = CheckRoundTrip(statement)) {
                result.value.reset();
                result.error = std::move(*error);
                break;
            }
        }
    }
#endif
    return result;
}

ParseResult<Expr> ParseExpression(std::string_view text)
{
    return Run<Expr>([&] {
        const std::vector<Token> tokens = TokenizeWithPositions(text);
        Parser parser(tokens, text, 0);
        return parser.ParseLoneExpression();
    });
}

std::optional<ParseError> CheckRoundTrip(const Statement& statement)
{
    const std::string text = ToMdx(statement);
    ParseResult<Statement> reparsed = ParseStatementUnchecked(text);
    if (!reparsed.Ok())
        return InternalError("canonical text does not parse (" + reparsed.error.message + "): " + text);
    if (!StructurallyEqual(statement, *reparsed.value))
        return InternalError("canonical text parses to a different statement: " + text);
    return std::nullopt;
}

} // namespace olap::mdx
