#include "control/pivot/model/MdxNames.h"

namespace pivot {

std::string MdxNames::Quote(std::string_view name)
{
    std::string result = "[";
    for (char c : name) {
        result += c;
        if (c == ']')
            result += ']';
    }
    result += ']';
    return result;
}

namespace {

//! Reads one bracketed segment starting at POS ('[' expected); returns the position after
//! it and its unescaped text, or npos when the segment is malformed.
std::size_t ReadSegment(std::string_view text, std::size_t pos, std::string* value)
{
    if (pos < text.size() && text[pos] == '&')
        ++pos;
    if (pos >= text.size() || text[pos] != '[')
        return std::string_view::npos;
    ++pos;
    std::string segment;
    while (pos < text.size()) {
        if (text[pos] == ']') {
            if (pos + 1 < text.size() && text[pos + 1] == ']') {
                segment += ']';
                pos += 2;
                continue;
            }
            if (value)
                *value = std::move(segment);
            return pos + 1;
        }
        segment += text[pos++];
    }
    return std::string_view::npos;
}

} // namespace

bool MdxNames::IsUniqueName(std::string_view text)
{
    std::size_t pos = 0;
    while (true) {
        pos = ReadSegment(text, pos, nullptr);
        if (pos == std::string_view::npos)
            return false;
        if (pos == text.size())
            return true;
        if (text[pos] != '.')
            return false;
        ++pos;
    }
}

std::string MdxNames::LastSegment(std::string_view text)
{
    if (!IsUniqueName(text))
        return std::string(text);
    std::string last;
    std::size_t pos = 0;
    while (pos < text.size()) {
        pos = ReadSegment(text, pos, &last);
        if (pos < text.size())
            ++pos;
    }
    return last;
}

} // namespace pivot
