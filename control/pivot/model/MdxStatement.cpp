#include "control/pivot/model/MdxStatement.h"

#include "control/pivot/model/PivotError.h"

#include <algorithm>
#include <cctype>

namespace pivot {

namespace {

constexpr int kMaxDepth = 200;

bool IsWordStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == '$' || static_cast<unsigned char>(c) >= 0x80;
}

bool IsWordChar(char c)
{
    return IsWordStart(c) || std::isdigit(static_cast<unsigned char>(c));
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
    });
}

[[noreturn]] void Fail(std::size_t offset, const std::string& message)
{
    throw PivotError("MDX, offset " + std::to_string(offset) + ": " + message);
}

class Parser {
public:
    explicit Parser(std::string_view text) : m_tokens(MdxStatement::Tokenize(text)), m_size(text.size()) { }

    MdxStatement Statement()
    {
        MdxStatement statement;
        if (Keyword("WITH")) {
            while (Peek("MEMBER") || Peek("SET")) {
                MdxStatement::Member member;
                member.isSet = Keyword("SET");
                if (!member.isSet)
                    Keyword("MEMBER");
                member.name = NameText();
                Expect("AS");
                member.expression = Expression(0);
                while (AtPunct(",") && m_pos + 2 < m_tokens.size() && m_tokens[m_pos + 2].text == "=") {
                    ++m_pos;
                    std::string property = NameText();
                    ExpectPunct("=");
                    member.properties.emplace_back(std::move(property), Expression(0));
                }
                statement.with.push_back(std::move(member));
            }
            if (statement.with.empty())
                Fail(Offset(), "WITH names no MEMBER or SET");
        }
        Expect("SELECT");
        if (!Peek("FROM")) {
            for (;;) {
                MdxStatement::Axis axis;
                if (Keyword("NON")) {
                    Expect("EMPTY");
                    axis.nonEmpty = true;
                }
                axis.set = Expression(0);
                Expect("ON");
                axis.ordinal = AxisOrdinal();
                statement.axes.push_back(std::move(axis));
                if (!AtPunct(","))
                    break;
                ++m_pos;
            }
        }
        Expect("FROM");
        statement.cube = NameText();
        if (Keyword("WHERE"))
            statement.slicer = Expression(0);
        if (m_pos < m_tokens.size())
            Fail(Offset(), "unexpected '" + m_tokens[m_pos].text + "' after the statement");
        return statement;
    }

private:
    std::size_t Offset() const { return m_pos < m_tokens.size() ? m_tokens[m_pos].offset : m_size; }

    bool Peek(std::string_view word) const
    {
        return m_pos < m_tokens.size() && m_tokens[m_pos].kind == MdxToken::Kind::Word
            && EqualNoCase(m_tokens[m_pos].text, word);
    }
    bool Keyword(std::string_view word)
    {
        if (!Peek(word))
            return false;
        ++m_pos;
        return true;
    }
    void Expect(std::string_view word)
    {
        if (!Keyword(word))
            Fail(Offset(), "expected " + std::string(word));
    }
    bool AtPunct(std::string_view punct) const
    {
        return m_pos < m_tokens.size() && m_tokens[m_pos].kind == MdxToken::Kind::Punct
            && m_tokens[m_pos].text == punct;
    }
    void ExpectPunct(std::string_view punct)
    {
        if (!AtPunct(punct))
            Fail(Offset(), "expected '" + std::string(punct) + "'");
        ++m_pos;
    }

    int AxisOrdinal()
    {
        static constexpr const char* kNames[] = {"COLUMNS", "ROWS", "PAGES", "SECTIONS", "CHAPTERS"};
        for (int i = 0; i < 5; ++i) {
            if (Keyword(kNames[i]))
                return i;
        }
        if (Keyword("AXIS")) {
            ExpectPunct("(");
            const int ordinal = Number();
            ExpectPunct(")");
            return ordinal;
        }
        return Number();
    }

    int Number()
    {
        if (m_pos >= m_tokens.size() || m_tokens[m_pos].kind != MdxToken::Kind::Number)
            Fail(Offset(), "expected an axis");
        const std::string& text = m_tokens[m_pos++].text;
        if (text.size() > 3 || text.find('.') != std::string::npos)
            Fail(Offset(), "axis " + text + " is not a small whole number");
        return std::stoi(text);
    }

    //! A dotted name as written.
    std::string NameText()
    {
        std::string name;
        for (;;) {
            if (m_pos >= m_tokens.size()
                || (m_tokens[m_pos].kind != MdxToken::Kind::Word && m_tokens[m_pos].kind != MdxToken::Kind::Bracket))
                Fail(Offset(), "expected a name");
            name += m_tokens[m_pos++].text;
            if (!AtPunct(".") || m_pos + 1 >= m_tokens.size()
                || (m_tokens[m_pos + 1].kind != MdxToken::Kind::Word
                    && m_tokens[m_pos + 1].kind != MdxToken::Kind::Bracket))
                return name;
            ++m_pos;
            name += '.';
        }
    }

    std::vector<MdxExpr> List(std::string_view close, int depth)
    {
        std::vector<MdxExpr> items;
        if (AtPunct(close)) {
            ++m_pos;
            return items;
        }
        for (;;) {
            if (AtPunct(",") || AtPunct(close))
                items.push_back(MdxExpr {});
            else
                items.push_back(Expression(depth + 1));
            if (AtPunct(close)) {
                ++m_pos;
                return items;
            }
            ExpectPunct(",");
        }
    }

    static int Precedence(const MdxToken& token)
    {
        if (token.kind == MdxToken::Kind::Word) {
            if (EqualNoCase(token.text, "OR") || EqualNoCase(token.text, "XOR"))
                return 1;
            if (EqualNoCase(token.text, "AND"))
                return 2;
            return 0;
        }
        if (token.kind != MdxToken::Kind::Punct)
            return 0;
        const std::string& t = token.text;
        if (t == "=" || t == "<" || t == ">" || t == "<=" || t == ">=" || t == "<>")
            return 3;
        if (t == "+" || t == "-" || t == "||")
            return 4;
        if (t == "*" || t == "/")
            return 5;
        if (t == ":" || t == "^")
            return 6;
        return 0;
    }

    MdxExpr Expression(int depth) { return Binary(depth, 1); }

    MdxExpr Binary(int depth, int minimum)
    {
        if (depth > kMaxDepth)
            Fail(Offset(), "the expression nests too deeply");
        MdxExpr left = Unary(depth + 1);
        while (m_pos < m_tokens.size()) {
            const int precedence = Precedence(m_tokens[m_pos]);
            if (precedence < minimum || precedence == 0)
                break;
            MdxExpr op;
            op.kind = MdxExpr::Kind::Operator;
            op.text = m_tokens[m_pos++].text;
            op.args.push_back(std::move(left));
            op.args.push_back(Binary(depth + 1, precedence + 1));
            left = std::move(op);
        }
        return left;
    }

    MdxExpr Unary(int depth)
    {
        if (depth > kMaxDepth)
            Fail(Offset(), "the expression nests too deeply");
        if (AtPunct("-") || AtPunct("+") || Peek("NOT")) {
            MdxExpr op;
            op.kind = MdxExpr::Kind::Operator;
            op.text = m_tokens[m_pos++].text;
            op.args.push_back(Unary(depth + 1));
            return op;
        }
        return Primary(depth);
    }

    MdxExpr Primary(int depth)
    {
        if (m_pos >= m_tokens.size())
            Fail(Offset(), "the statement ends inside an expression");
        const MdxToken& token = m_tokens[m_pos];
        MdxExpr expr;
        switch (token.kind) {
        case MdxToken::Kind::String:
            expr.kind = MdxExpr::Kind::String;
            expr.text = token.text;
            ++m_pos;
            return expr;
        case MdxToken::Kind::Number:
            expr.kind = MdxExpr::Kind::Number;
            expr.text = token.text;
            ++m_pos;
            return expr;
        case MdxToken::Kind::Punct:
            if (token.text == "{" || token.text == "(") {
                const bool set = token.text == "{";
                ++m_pos;
                expr.kind = set ? MdxExpr::Kind::Set : MdxExpr::Kind::Tuple;
                expr.args = List(set ? "}" : ")", depth);
                return Postfix(std::move(expr), depth);
            }
            Fail(token.offset, "unexpected '" + token.text + "'");
        case MdxToken::Kind::Word:
        case MdxToken::Kind::Bracket:
            break;
        }
        expr.kind = MdxExpr::Kind::Name;
        expr.text = NameText();
        if (AtPunct("(")) {
            ++m_pos;
            expr.kind = MdxExpr::Kind::Call;
            expr.args = List(")", depth);
        }
        return Postfix(std::move(expr), depth);
    }

    //! Member functions after an expression: (set).Item(0), [A].Children.Count.
    MdxExpr Postfix(MdxExpr expr, int depth)
    {
        while (AtPunct(".")) {
            ++m_pos;
            MdxExpr call;
            call.kind = MdxExpr::Kind::Call;
            call.text = NameText();
            call.args.push_back(std::move(expr));
            if (AtPunct("(")) {
                ++m_pos;
                for (MdxExpr& arg : List(")", depth))
                    call.args.push_back(std::move(arg));
            }
            expr = std::move(call);
        }
        return expr;
    }

    std::vector<MdxToken> m_tokens;
    std::size_t m_size = 0;
    std::size_t m_pos = 0;
};

} // namespace

bool MdxToken::SameAs(const MdxToken& other) const
{
    if (kind != other.kind)
        return false;
    return kind == Kind::Word ? EqualNoCase(text, other.text) : text == other.text;
}

bool MdxExpr::IsCall(std::string_view function) const
{
    return kind == Kind::Call && EqualNoCase(text, function);
}

bool MdxExpr::EndsWith(std::string_view segment) const
{
    if (kind != Kind::Name || text.size() <= segment.size() + 1)
        return false;
    const std::size_t start = text.size() - segment.size();
    return text[start - 1] == '.' && EqualNoCase(std::string_view(text).substr(start), segment);
}

std::string MdxExpr::Head() const
{
    // The last dot outside brackets.
    std::size_t cut = std::string::npos;
    bool inside = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '[' && !inside) {
            inside = true;
        } else if (text[i] == ']' && inside) {
            if (i + 1 < text.size() && text[i + 1] == ']')
                ++i;
            else
                inside = false;
        } else if (text[i] == '.' && !inside) {
            cut = i;
        }
    }
    return cut == std::string::npos ? std::string() : text.substr(0, cut);
}

std::vector<MdxToken> MdxStatement::Tokenize(std::string_view text)
{
    std::vector<MdxToken> tokens;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        const char c = text[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        if ((c == '-' && i + 1 < n && text[i + 1] == '-') || (c == '/' && i + 1 < n && text[i + 1] == '/')) {
            while (i < n && text[i] != '\n')
                ++i;
            continue;
        }
        if (c == '/' && i + 1 < n && text[i + 1] == '*') {
            const std::size_t end = text.find("*/", i + 2);
            if (end == std::string_view::npos)
                Fail(i, "a comment is not closed");
            i = end + 2;
            continue;
        }
        MdxToken token;
        token.offset = i;
        if (c == '[') {
            std::size_t j = i + 1;
            for (;; ++j) {
                if (j >= n)
                    Fail(i, "a bracketed name is not closed");
                if (text[j] == ']') {
                    if (j + 1 < n && text[j + 1] == ']') {
                        ++j;
                        continue;
                    }
                    break;
                }
            }
            token.kind = MdxToken::Kind::Bracket;
            token.text = std::string(text.substr(i, j + 1 - i));
            i = j + 1;
        } else if (c == '&' && i + 1 < n && text[i + 1] == '[') {
            // A key segment: &[1997].
            std::size_t j = i + 2;
            while (j < n && text[j] != ']')
                ++j;
            if (j >= n)
                Fail(i, "a key name is not closed");
            token.kind = MdxToken::Kind::Bracket;
            token.text = std::string(text.substr(i, j + 1 - i));
            i = j + 1;
        } else if (c == '\'' || c == '"') {
            std::string value;
            std::size_t j = i + 1;
            for (;; ++j) {
                if (j >= n)
                    Fail(i, "a string is not closed");
                if (text[j] == c) {
                    if (j + 1 < n && text[j + 1] == c) {
                        value += c;
                        ++j;
                        continue;
                    }
                    break;
                }
                value += text[j];
            }
            token.kind = MdxToken::Kind::String;
            token.text = std::move(value);
            i = j + 1;
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            std::size_t j = i;
            while (j < n && (std::isdigit(static_cast<unsigned char>(text[j])) || text[j] == '.'))
                ++j;
            token.kind = MdxToken::Kind::Number;
            token.text = std::string(text.substr(i, j - i));
            i = j;
        } else if (IsWordStart(c)) {
            std::size_t j = i;
            while (j < n && IsWordChar(text[j]))
                ++j;
            token.kind = MdxToken::Kind::Word;
            token.text = std::string(text.substr(i, j - i));
            i = j;
        } else {
            static constexpr std::string_view kTwo[] = {"<=", ">=", "<>", "||"};
            token.kind = MdxToken::Kind::Punct;
            for (std::string_view two : kTwo) {
                if (text.substr(i, 2) == two)
                    token.text = std::string(two);
            }
            if (token.text.empty()) {
                if (std::string_view("(){},.=+-*/<>:;^").find(c) == std::string_view::npos)
                    Fail(i, std::string("the character '") + c + "' has no place in MDX");
                token.text = std::string(1, c);
            }
            i += token.text.size();
        }
        tokens.push_back(std::move(token));
    }
    // A statement may end with a semicolon.
    if (!tokens.empty() && tokens.back().kind == MdxToken::Kind::Punct && tokens.back().text == ";")
        tokens.pop_back();
    return tokens;
}

MdxStatement MdxStatement::Parse(std::string_view text)
{
    return Parser(text).Statement();
}

bool MdxStatement::SameText(std::string_view a, std::string_view b)
{
    const std::vector<MdxToken> left = Tokenize(a);
    const std::vector<MdxToken> right = Tokenize(b);
    return std::equal(left.begin(), left.end(), right.begin(), right.end(),
        [](const MdxToken& x, const MdxToken& y) { return x.SameAs(y); });
}

} // namespace pivot
