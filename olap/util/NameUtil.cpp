#include "olap/util/NameUtil.h"

#include <charconv>
#include <cmath>

namespace olap {

std::string BracketName(std::string_view name)
{
    std::string out;
    out.reserve(name.size() + 2);
    out += '[';
    for (char c : name) {
        out += c;
        if (c == ']')
            out += ']';
    }
    out += ']';
    return out;
}

bool SplitUniqueName(std::string_view text, std::vector<NameSegment>& segments)
{
    segments.clear();
    std::size_t i = 0;
    const std::size_t n = text.size();
    auto skipSpace = [&] {
        while (i < n && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n'))
            ++i;
    };
    skipSpace();
    if (i == n)
        return false;
    while (true) {
        NameSegment segment;
        if (text[i] == '&') {
            segment.isKey = true;
            ++i;
        }
        if (i < n && text[i] == '[') {
            ++i;
            bool closed = false;
            while (i < n) {
                if (text[i] == ']') {
                    if (i + 1 < n && text[i + 1] == ']') {
                        segment.text += ']';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                segment.text += text[i++];
            }
            if (!closed)
                return false;
        } else {
            while (i < n && text[i] != '.' && text[i] != ' ' && text[i] != '\t' && text[i] != '[' && text[i] != ']')
                segment.text += text[i++];
            if (segment.text.empty())
                return false;
        }
        segments.push_back(std::move(segment));
        skipSpace();
        if (i == n)
            return true;
        if (text[i] != '.')
            return false;
        ++i;
        skipSpace();
        if (i == n)
            return false;
    }
}

std::string FormatNumber(double value)
{
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value > 0 ? "Infinity" : "-Infinity";
    if (value == 0)
        return "0";
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

std::string ToLowerAscii(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

} // namespace olap
