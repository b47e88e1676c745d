#include "olap/providers/SqlStatements.h"

#include "olap/providers/RelationalError.h"

#include <cctype>
#include <string>

namespace olap::providers {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool IsTagChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Scans one statement piece from POS; returns where its ';' is (or the text's end) and tells
// whether anything other than blanks and comments was seen.
std::size_t ScanPiece(std::string_view sql, std::size_t pos, bool& hasContent)
{
    hasContent = false;
    const std::size_t n = sql.size();
    while (pos < n) {
        const char c = sql[pos];
        if (c == ';')
            return pos;
        if (IsBlank(c)) {
            ++pos;
            continue;
        }
        if (c == '-' && pos + 1 < n && sql[pos + 1] == '-') {
            const std::size_t end = sql.find('\n', pos);
            pos = end == std::string_view::npos ? n : end + 1;
            continue;
        }
        if (c == '/' && pos + 1 < n && sql[pos + 1] == '*') {
            const std::size_t end = sql.find("*/", pos + 2);
            pos = end == std::string_view::npos ? n : end + 2;
            continue;
        }
        hasContent = true;
        if (c == '\'' || c == '"' || c == '`' || c == '[') {
            const char close = c == '[' ? ']' : c;
            ++pos;
            while (pos < n) {
                if (sql[pos] != close) {
                    ++pos;
                    continue;
                }
                // A doubled quote stands for one quote inside the literal.
                if (close != ']' && pos + 1 < n && sql[pos + 1] == close) {
                    pos += 2;
                    continue;
                }
                break;
            }
            pos = pos < n ? pos + 1 : n;
            continue;
        }
        if (c == '$') {
            std::size_t tagEnd = pos + 1;
            while (tagEnd < n && IsTagChar(sql[tagEnd]))
                ++tagEnd;
            const bool startsWithDigit
                = tagEnd > pos + 1 && std::isdigit(static_cast<unsigned char>(sql[pos + 1])) != 0;
            if (tagEnd < n && sql[tagEnd] == '$' && !startsWithDigit) {
                const std::string_view tag = sql.substr(pos, tagEnd + 1 - pos);
                const std::size_t end = sql.find(tag, tagEnd + 1);
                pos = end == std::string_view::npos ? n : end + tag.size();
                continue;
            }
        }
        ++pos;
    }
    return n;
}

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::vector<std::string_view> SplitSqlStatements(std::string_view sql)
{
    std::vector<std::string_view> statements;
    std::size_t pos = 0;
    while (pos < sql.size()) {
        bool hasContent = false;
        const std::size_t end = ScanPiece(sql, pos, hasContent);
        if (hasContent)
            statements.push_back(TrimBlanks(sql.substr(pos, end - pos)));
        pos = end + 1;
    }
    return statements;
}

std::string_view SingleSqlStatement(std::string_view sql)
{
    const std::vector<std::string_view> statements = SplitSqlStatements(sql);
    if (statements.size() > 1)
        throw RelationalError(RelationalFailure::Unsupported,
            "The SQL text holds " + std::to_string(statements.size())
                + " statements; only one statement is run at a time, so none of them was run");
    return statements.empty() ? std::string_view() : statements.front();
}

std::string FirstSqlKeyword(std::string_view statement)
{
    std::size_t pos = 0;
    const std::size_t n = statement.size();
    while (pos < n) {
        const char c = statement[pos];
        if (IsBlank(c) || c == '(' || c == '{') {
            ++pos;
        } else if (c == '-' && pos + 1 < n && statement[pos + 1] == '-') {
            const std::size_t end = statement.find('\n', pos);
            pos = end == std::string_view::npos ? n : end + 1;
        } else if (c == '/' && pos + 1 < n && statement[pos + 1] == '*') {
            const std::size_t end = statement.find("*/", pos + 2);
            pos = end == std::string_view::npos ? n : end + 2;
        } else {
            break;
        }
    }
    std::string word;
    while (pos < n && std::isalpha(static_cast<unsigned char>(statement[pos])))
        word += static_cast<char>(std::toupper(static_cast<unsigned char>(statement[pos++])));
    return word;
}

} // namespace olap::providers
