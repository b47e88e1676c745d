#include "olap/mdx/Lexer.h"

#include <array>
#include <charconv>
#include <system_error>

namespace olap::mdx {

namespace {

struct KeywordEntry {
    std::string_view upper;
    Keyword keyword;
};

constexpr std::array kKeywords {
    KeywordEntry {"AND", Keyword::And},
    KeywordEntry {"AS", Keyword::As},
    KeywordEntry {"AXIS", Keyword::Axis},
    KeywordEntry {"CASE", Keyword::Case},
    KeywordEntry {"CELL", Keyword::Cell},
    KeywordEntry {"CHAPTERS", Keyword::Chapters},
    KeywordEntry {"COLUMNS", Keyword::Columns},
    KeywordEntry {"DIMENSION", Keyword::Dimension},
    KeywordEntry {"DRILLTHROUGH", Keyword::Drillthrough},
    KeywordEntry {"ELSE", Keyword::Else},
    KeywordEntry {"EMPTY", Keyword::Empty},
    KeywordEntry {"END", Keyword::End},
    KeywordEntry {"FIRSTROWSET", Keyword::Firstrowset},
    KeywordEntry {"FROM", Keyword::From},
    KeywordEntry {"IS", Keyword::Is},
    KeywordEntry {"MAXROWS", Keyword::Maxrows},
    KeywordEntry {"MEMBER", Keyword::Member},
    KeywordEntry {"NON", Keyword::Non},
    KeywordEntry {"NOT", Keyword::Not},
    KeywordEntry {"NULL", Keyword::Null},
    KeywordEntry {"ON", Keyword::On},
    KeywordEntry {"OR", Keyword::Or},
    KeywordEntry {"PAGES", Keyword::Pages},
    KeywordEntry {"PROPERTIES", Keyword::Properties},
    KeywordEntry {"RETURN", Keyword::Return},
    KeywordEntry {"ROWS", Keyword::Rows},
    KeywordEntry {"SECTIONS", Keyword::Sections},
    KeywordEntry {"SELECT", Keyword::Select},
    KeywordEntry {"SET", Keyword::Set},
    KeywordEntry {"THEN", Keyword::Then},
    KeywordEntry {"WHEN", Keyword::When},
    KeywordEntry {"WHERE", Keyword::Where},
    KeywordEntry {"WITH", Keyword::With},
    KeywordEntry {"XOR", Keyword::Xor},
};

constexpr bool IsDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

constexpr bool IsWordStart(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80;
}

constexpr bool IsWordChar(unsigned char c)
{
    return IsWordStart(c) || IsDigit(c);
}

constexpr unsigned char ToUpper(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c;
}

//! Scans one text of the input; the position is a byte offset into it.
class Scanner {
public:
    Scanner(std::string_view text, std::vector<Token>& tokens, Lexer::Error& error)
        : m_text(text), m_tokens(tokens), m_error(error)
    {
    }

    bool Run()
    {
        for (;;) {
            if (!SkipSpaceAndComments())
                return false;
            if (m_pos >= m_text.size()) {
                Token& end = Add(TokenKind::End, m_pos);
                end.text = m_text.substr(m_pos, 0);
                return true;
            }
            if (!ScanToken())
                return false;
        }
    }

private:
    unsigned char At(std::size_t i) const { return i < m_text.size() ? static_cast<unsigned char>(m_text[i]) : 0; }

    bool IsByteOrderMark(std::size_t i) const { return At(i) == 0xEF && At(i + 1) == 0xBB && At(i + 2) == 0xBF; }

    Token& Add(TokenKind kind, std::size_t start)
    {
        Token& token = m_tokens.emplace_back();
        token.kind = kind;
        token.position.offset = static_cast<std::uint32_t>(start);
        return token;
    }

    bool Fail(std::size_t start, std::size_t length, std::string description)
    {
        m_error.offset = static_cast<std::uint32_t>(start);
        m_error.description = std::move(description);
        m_error.text = m_text.substr(start, length);
        return false;
    }

    bool SkipSpaceAndComments()
    {
        while (m_pos < m_text.size()) {
            const unsigned char c = At(m_pos);
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
                ++m_pos;
            } else if (IsByteOrderMark(m_pos)) {
                // U+FEFF (a byte order mark, or a zero-width no-break space) is invisible;
                // it separates tokens like a space.
                m_pos += 3;
            } else if ((c == '-' && At(m_pos + 1) == '-') || (c == '/' && At(m_pos + 1) == '/')) {
                while (m_pos < m_text.size() && At(m_pos) != '\n' && At(m_pos) != '\r')
                    ++m_pos;
            } else if (c == '/' && At(m_pos + 1) == '*') {
                const std::size_t close = m_text.find("*/", m_pos + 2);
                if (close == std::string_view::npos)
                    return Fail(m_pos, 2, "unterminated comment");
                m_pos = close + 2;
            } else {
                break;
            }
        }
        return true;
    }

    bool ScanToken()
    {
        const std::size_t start = m_pos;
        const unsigned char c = At(m_pos);
        if (IsWordStart(c))
            return ScanWord(start);
        if (IsDigit(c))
            return ScanNumber(start);
        if (c == '[')
            return ScanBracketed(start, start, TokenKind::BracketedName);
        if (c == '&') {
            if (At(m_pos + 1) != '[')
                return Fail(start, 1, "'&' must be followed by a bracketed key");
            return ScanBracketed(start, start + 1, TokenKind::KeyName);
        }
        if (c == '\'' || c == '"')
            return ScanString(start, static_cast<char>(c));
        return ScanOperator(start, c);
    }

    bool ScanWord(std::size_t start)
    {
        while (IsWordChar(At(m_pos)) && !IsByteOrderMark(m_pos))
            ++m_pos;
        Token& token = Add(TokenKind::Word, start);
        token.text = m_text.substr(start, m_pos - start);
        token.value = std::string(token.text);
        token.keyword = Lexer::LookupKeyword(token.text);
        return true;
    }

    bool ScanNumber(std::size_t start)
    {
        while (IsDigit(At(m_pos)))
            ++m_pos;
        if (At(m_pos) == '.' && IsDigit(At(m_pos + 1))) {
            m_pos += 2;
            while (IsDigit(At(m_pos)))
                ++m_pos;
        }
        if (At(m_pos) == 'e' || At(m_pos) == 'E') {
            std::size_t p = m_pos + 1;
            if (At(p) == '+' || At(p) == '-')
                ++p;
            if (IsDigit(At(p))) {
                m_pos = p;
                while (IsDigit(At(m_pos)))
                    ++m_pos;
            }
        }
        const std::string_view text = m_text.substr(start, m_pos - start);
        double value = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec != std::errc() || end != text.data() + text.size())
            return Fail(start, text.size(), "number out of range");
        Token& token = Add(TokenKind::Number, start);
        token.text = text;
        token.number = value;
        return true;
    }

    //! `open` is the offset of '['; `start` the offset of the token ('&' for a key).
    bool ScanBracketed(std::size_t start, std::size_t open, TokenKind kind)
    {
        std::string value;
        std::size_t p = open + 1;
        for (;;) {
            if (p >= m_text.size())
                return Fail(start, open + 1 - start, "unterminated bracketed name");
            const char ch = m_text[p];
            if (ch == ']') {
                if (At(p + 1) == ']') {
                    value += ']';
                    p += 2;
                    continue;
                }
                ++p;
                break;
            }
            value += ch;
            ++p;
        }
        m_pos = p;
        Token& token = Add(kind, start);
        token.text = m_text.substr(start, p - start);
        token.value = std::move(value);
        return true;
    }

    bool ScanString(std::size_t start, char quote)
    {
        std::string value;
        std::size_t p = start + 1;
        for (;;) {
            if (p >= m_text.size())
                return Fail(start, 1, "unterminated string");
            const char ch = m_text[p];
            if (ch == quote) {
                if (p + 1 < m_text.size() && m_text[p + 1] == quote) {
                    value += quote;
                    p += 2;
                    continue;
                }
                ++p;
                break;
            }
            value += ch;
            ++p;
        }
        m_pos = p;
        Token& token = Add(TokenKind::String, start);
        token.text = m_text.substr(start, p - start);
        token.value = std::move(value);
        return true;
    }

    bool ScanOperator(std::size_t start, unsigned char c)
    {
        TokenKind kind = TokenKind::End;
        std::size_t length = 1;
        const unsigned char next = At(m_pos + 1);
        switch (c) {
        case '+':
            kind = TokenKind::Plus;
            break;
        case '-':
            kind = TokenKind::Minus;
            break;
        case '*':
            kind = TokenKind::Star;
            break;
        case '/':
            kind = TokenKind::Slash;
            break;
        case '^':
            kind = TokenKind::Caret;
            break;
        case '=':
            kind = TokenKind::Equal;
            break;
        case ':':
            kind = TokenKind::Colon;
            break;
        case ',':
            kind = TokenKind::Comma;
            break;
        case '.':
            kind = TokenKind::Dot;
            break;
        case ';':
            kind = TokenKind::Semicolon;
            break;
        case '(':
            kind = TokenKind::LeftParen;
            break;
        case ')':
            kind = TokenKind::RightParen;
            break;
        case '{':
            kind = TokenKind::LeftBrace;
            break;
        case '}':
            kind = TokenKind::RightBrace;
            break;
        case '<':
            if (next == '>') {
                kind = TokenKind::NotEqual;
                length = 2;
            } else if (next == '=') {
                kind = TokenKind::LessEqual;
                length = 2;
            } else {
                kind = TokenKind::Less;
            }
            break;
        case '>':
            if (next == '=') {
                kind = TokenKind::GreaterEqual;
                length = 2;
            } else {
                kind = TokenKind::Greater;
            }
            break;
        case '|':
            if (next != '|')
                return Fail(start, 1, "unexpected character '|'");
            kind = TokenKind::Concat;
            length = 2;
            break;
        default: {
            std::string description = "unexpected character ";
            if (c >= 0x20 && c < 0x7F) {
                description += '\'';
                description += static_cast<char>(c);
                description += '\'';
            } else {
                static constexpr char kHex[] = "0123456789ABCDEF";
                description += "0x";
                description += kHex[c >> 4];
                description += kHex[c & 0xF];
            }
            return Fail(start, 1, std::move(description));
        }
        }
        m_pos += length;
        Token& token = Add(kind, start);
        token.text = m_text.substr(start, length);
        return true;
    }

    std::string_view m_text;
    std::vector<Token>& m_tokens;
    Lexer::Error& m_error;
    std::size_t m_pos = 0;
};

} // namespace

bool Lexer::Tokenize(std::string_view text, std::vector<Token>& tokens, Error& error)
{
    tokens.clear();
    return Scanner(text, tokens, error).Run();
}

Keyword Lexer::LookupKeyword(std::string_view word)
{
    if (word.size() < 2 || word.size() > 12)
        return Keyword::None;
    for (const KeywordEntry& entry : kKeywords) {
        if (entry.upper.size() != word.size()
            || static_cast<unsigned char>(entry.upper[0]) != ToUpper(static_cast<unsigned char>(word[0])))
            continue;
        bool same = true;
        for (std::size_t i = 1; i < word.size() && same; ++i)
            same = static_cast<unsigned char>(entry.upper[i]) == ToUpper(static_cast<unsigned char>(word[i]));
        if (same)
            return entry.keyword;
    }
    return Keyword::None;
}

} // namespace olap::mdx
