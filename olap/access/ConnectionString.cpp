#include "olap/access/ConnectionString.h"

#include "olap/util/MessageText.h"
#include "olap/util/NameUtil.h"
#include "olap/util/OlapError.h"

namespace olap {
namespace {

std::string_view Trim(std::string_view text)
{
    while (
        !text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r' || text.front() == '\n'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n'))
        text.remove_suffix(1);
    return text;
}

bool IsPasswordKey(std::string_view key)
{
    return EqualsNoCase(key, "Password") || EqualsNoCase(key, "PWD");
}

// Text without '=' where a pair should start. After a password it is most likely the rest of
// a password holding ';', so it is not shown.
[[noreturn]] void ThrowStray(std::string_view stray, std::string_view previousKey)
{
    if (IsPasswordKey(previousKey))
        throw OlapError("Connection string: the text after the password has no '=' (expected Key=Value); a password "
                        "holding ';' must be written in braces {...} or quotes");
    throw OlapError("Connection string: '" + ShortForMessage(stray) + "' has no '=' (expected Key=Value)");
}

} // namespace

ConnectionString ConnectionString::Parse(std::string_view text)
{
    ConnectionString result;
    std::string previousKey;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t equals = text.find('=', i);
        std::size_t semicolon = text.find(';', i);
        if (semicolon != std::string_view::npos && (equals == std::string_view::npos || semicolon < equals)) {
            std::string_view stray = Trim(text.substr(i, semicolon - i));
            if (!stray.empty())
                ThrowStray(stray, previousKey);
            i = semicolon + 1;
            continue;
        }
        if (equals == std::string_view::npos) {
            std::string_view stray = Trim(text.substr(i));
            if (!stray.empty())
                ThrowStray(stray, previousKey);
            break;
        }
        std::string key(Trim(text.substr(i, equals - i)));
        if (key.empty())
            throw OlapError("Connection string: a value without a key at character " + std::to_string(equals + 1));
        std::size_t j = equals + 1;
        while (j < text.size() && (text[j] == ' ' || text[j] == '\t'))
            ++j;
        std::string value;
        if (j < text.size() && (text[j] == '"' || text[j] == '\'')) {
            char quote = text[j++];
            bool closed = false;
            while (j < text.size()) {
                if (text[j] == quote) {
                    if (j + 1 < text.size() && text[j + 1] == quote) {
                        value += quote;
                        j += 2;
                        continue;
                    }
                    closed = true;
                    ++j;
                    break;
                }
                value += text[j++];
            }
            if (!closed)
                throw OlapError("Connection string: the value of '" + ShortForMessage(key) + "' has no closing quote");
            std::size_t end = text.find(';', j);
            std::string_view rest
                = Trim(text.substr(j, end == std::string_view::npos ? std::string_view::npos : end - j));
            if (!rest.empty())
                throw OlapError(
                    "Connection string: unexpected text after the quoted value of '" + ShortForMessage(key) + "'");
            i = end == std::string_view::npos ? text.size() : end + 1;
        } else if (j < text.size() && text[j] == '{') {
            // An ODBC braced value runs to its closing brace ("}}" stands for '}' inside) and
            // may hold ';'. It is kept with its braces, as ODBC drivers take it.
            std::size_t close = j + 1;
            bool closed = false;
            while (close < text.size()) {
                if (text[close] == '}') {
                    if (close + 1 < text.size() && text[close + 1] == '}') {
                        close += 2;
                        continue;
                    }
                    closed = true;
                    break;
                }
                ++close;
            }
            if (!closed)
                throw OlapError(
                    "Connection string: the value of '" + ShortForMessage(key) + "' has no closing brace '}'");
            std::size_t end = text.find(';', close);
            value = std::string(Trim(text.substr(j, end == std::string_view::npos ? std::string_view::npos : end - j)));
            i = end == std::string_view::npos ? text.size() : end + 1;
        } else {
            std::size_t end = text.find(';', j);
            value = std::string(Trim(text.substr(j, end == std::string_view::npos ? std::string_view::npos : end - j)));
            i = end == std::string_view::npos ? text.size() : end + 1;
        }
        previousKey = key;
        bool replaced = false;
        for (auto& pair : result.m_pairs) {
            if (EqualsNoCase(pair.first, key)) {
                pair.second = value;
                replaced = true;
            }
        }
        if (!replaced)
            result.m_pairs.emplace_back(std::move(key), std::move(value));
    }
    return result;
}

std::optional<std::string> ConnectionString::Get(std::string_view key) const
{
    for (const auto& pair : m_pairs) {
        if (EqualsNoCase(pair.first, key))
            return pair.second;
    }
    return std::nullopt;
}

std::string ConnectionString::GetOr(std::string_view key, std::string_view fallback) const
{
    auto value = Get(key);
    return value ? *value : std::string(fallback);
}

} // namespace olap
