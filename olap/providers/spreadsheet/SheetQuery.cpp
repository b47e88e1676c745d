#include "olap/providers/spreadsheet/SheetQuery.h"

#include <cctype>

namespace olap::providers {

namespace {

class Scanner {
public:
    explicit Scanner(std::string_view text) : m_text(text) { }

    void SkipBlanks()
    {
        while (m_pos < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_pos])))
            ++m_pos;
    }
    bool AtEnd()
    {
        SkipBlanks();
        return m_pos >= m_text.size();
    }
    bool Symbol(char symbol)
    {
        SkipBlanks();
        if (m_pos < m_text.size() && m_text[m_pos] == symbol) {
            ++m_pos;
            return true;
        }
        return false;
    }
    bool Keyword(std::string_view word)
    {
        SkipBlanks();
        if (m_text.size() - m_pos < word.size())
            return false;
        for (std::size_t i = 0; i < word.size(); ++i)
            if (std::toupper(static_cast<unsigned char>(m_text[m_pos + i])) != word[i])
                return false;
        const std::size_t after = m_pos + word.size();
        if (after < m_text.size() && (std::isalnum(static_cast<unsigned char>(m_text[after])) || m_text[after] == '_'))
            return false;
        m_pos = after;
        return true;
    }
    //! A name in brackets, back quotes, double or single quotes, or a bare word.
    std::optional<std::string> Name()
    {
        SkipBlanks();
        if (m_pos >= m_text.size())
            return std::nullopt;
        const char open = m_text[m_pos];
        const char close = open == '[' ? ']' : open;
        if (open == '[' || open == '`' || open == '"' || open == '\'') {
            const std::size_t end = m_text.find(close, m_pos + 1);
            if (end == std::string_view::npos || end == m_pos + 1)
                return std::nullopt;
            std::string name(m_text.substr(m_pos + 1, end - m_pos - 1));
            m_pos = end + 1;
            return name;
        }
        const std::size_t start = m_pos;
        while (m_pos < m_text.size()
            && (std::isalnum(static_cast<unsigned char>(m_text[m_pos])) || m_text[m_pos] == '_' || m_text[m_pos] == '$'
                || static_cast<unsigned char>(m_text[m_pos]) >= 0x80))
            ++m_pos;
        if (m_pos == start)
            return std::nullopt;
        return std::string(m_text.substr(start, m_pos - start));
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

} // namespace

std::optional<SheetQuery> ParseSheetQuery(std::string_view sql)
{
    Scanner scanner(sql);
    SheetQuery query;
    if (!scanner.Keyword("SELECT"))
        return std::nullopt;
    if (!scanner.Symbol('*')) {
        do {
            if (scanner.Keyword("FROM"))
                return std::nullopt;
            auto name = scanner.Name();
            if (!name)
                return std::nullopt;
            query.columns.push_back(std::move(*name));
        } while (scanner.Symbol(','));
    }
    if (!scanner.Keyword("FROM"))
        return std::nullopt;
    auto table = scanner.Name();
    if (!table)
        return std::nullopt;
    query.table = std::move(*table);
    scanner.Symbol(';');
    if (!scanner.AtEnd())
        return std::nullopt;
    return query;
}

} // namespace olap::providers
