#include "olap/util/ValueFormatter.h"

#include "olap/util/NameUtil.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

namespace olap {

namespace {

struct Section {
    std::string prefix;
    std::string suffix;
    int minInt = 0;
    int minDec = 0;
    int maxDec = 0;
    bool grouping = false;
    bool percent = false;
    bool hasDigits = false;
};

std::vector<std::string> SplitSections(std::string_view format)
{
    std::vector<std::string> sections(1);
    bool quoted = false;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c == '"')
            quoted = !quoted;
        if (c == '\\' && i + 1 < format.size()) {
            sections.back() += c;
            sections.back() += format[++i];
            continue;
        }
        if (c == ';' && !quoted) {
            sections.emplace_back();
            continue;
        }
        sections.back() += c;
    }
    return sections;
}

Section Parse(const std::string& text)
{
    Section s;
    bool seenDigit = false;
    bool afterDigits = false;
    bool inDecimals = false;
    std::string pendingLiteral;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        std::string literal;
        if (c == '"') {
            const std::size_t end = text.find('"', i + 1);
            literal = text.substr(i + 1, (end == std::string::npos ? text.size() : end) - i - 1);
            i = end == std::string::npos ? text.size() : end;
        } else if (c == '\\' && i + 1 < text.size()) {
            literal = std::string(1, text[++i]);
        } else if (c == '0' || c == '#') {
            if (afterDigits) {
                // Text between placeholders is kept after the number.
                s.suffix += pendingLiteral;
            }
            pendingLiteral.clear();
            seenDigit = true;
            s.hasDigits = true;
            if (inDecimals) {
                ++s.maxDec;
                if (c == '0')
                    s.minDec = s.maxDec;
            } else if (c == '0') {
                ++s.minInt;
            }
            continue;
        } else if (c == '.' && !inDecimals) {
            inDecimals = true;
            seenDigit = true;
            s.hasDigits = true;
            continue;
        } else if (c == ',' && seenDigit && !inDecimals) {
            s.grouping = true;
            continue;
        } else {
            if (c == '%')
                s.percent = true;
            literal = std::string(1, c);
        }
        if (!seenDigit)
            s.prefix += literal;
        else {
            afterDigits = true;
            pendingLiteral += literal;
        }
    }
    s.suffix += pendingLiteral;
    return s;
}

std::string Named(std::string_view format)
{
    struct Entry {
        std::string_view name;
        std::string_view pattern;
    };
    static constexpr Entry kNamed[] = {{"Standard", "#,##0"}, {"Currency", "$#,##0.00;($#,##0.00)"},
        {"Percent", "0.00%"}, {"Fixed", "0"}, {"General Number", "#,##0.###"}, {"", "#,##0.###"}};
    for (const Entry& e : kNamed) {
        if (EqualsNoCase(e.name, format))
            return std::string(e.pattern);
    }
    return std::string(format);
}

//! |VALUE| rounded to DECIMALS places, as digits with a decimal point.
std::string Digits(double value, int decimals, std::string& integer, std::string& fraction)
{
    const double scaled = std::round(std::fabs(value) * std::pow(10.0, decimals));
    char buffer[400];
    std::string digits;
    if (scaled < 9.0e18) {
        // A whole number below 2^63 converts exactly; printf's "%.0f" is many times slower.
        const auto whole = static_cast<unsigned long long>(scaled);
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, whole).ptr;
        digits.assign(buffer, end);
    } else {
        std::snprintf(buffer, sizeof buffer, "%.0f", scaled);
        digits = buffer;
    }
    if (static_cast<int>(digits.size()) <= decimals)
        digits.insert(0, static_cast<std::size_t>(decimals) - digits.size() + 1, '0');
    integer = digits.substr(0, digits.size() - static_cast<std::size_t>(decimals));
    fraction = digits.substr(digits.size() - static_cast<std::size_t>(decimals));
    return digits;
}

std::string Apply(const Section& s, double value)
{
    if (!s.hasDigits)
        return s.prefix + s.suffix;
    if (s.percent)
        value *= 100;
    std::string integer;
    std::string fraction;
    Digits(value, s.maxDec, integer, fraction);
    while (static_cast<int>(fraction.size()) > s.minDec && !fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    integer.erase(0, std::min(integer.find_first_not_of('0'), integer.size()));
    if (static_cast<int>(integer.size()) < s.minInt)
        integer.insert(0, static_cast<std::size_t>(s.minInt) - integer.size(), '0');
    if (s.grouping && integer.size() > 3) {
        std::string grouped;
        const std::size_t head = integer.size() % 3;
        for (std::size_t i = 0; i < integer.size(); ++i) {
            if (i > 0 && i >= head && (i - head) % 3 == 0)
                grouped += ',';
            grouped += integer[i];
        }
        integer = grouped;
    }
    std::string number = integer;
    if (!fraction.empty()) {
        number += '.';
        number += fraction;
    }
    return s.prefix + number + s.suffix;
}

bool RoundsToZero(const Section& s, double value)
{
    std::string integer;
    std::string fraction;
    Digits(s.percent ? value * 100 : value, s.maxDec, integer, fraction);
    return integer.find_first_not_of('0') == std::string::npos && fraction.find_first_not_of('0') == std::string::npos;
}

struct ParsedFormat {
    std::vector<std::string> texts;
    std::vector<Section> sections;
};

// FORMAT parsed once per thread: a grid formats thousands of cells with a few format strings.
const ParsedFormat& Parsed(std::string_view format)
{
    thread_local std::unordered_map<std::string, ParsedFormat> cache;
    std::string key(format);
    if (auto it = cache.find(key); it != cache.end())
        return it->second;
    if (cache.size() >= 256)
        cache.clear();
    ParsedFormat parsed;
    parsed.texts = SplitSections(Named(format));
    parsed.sections.reserve(parsed.texts.size());
    for (const std::string& text : parsed.texts)
        parsed.sections.push_back(Parse(text));
    return cache.emplace(std::move(key), std::move(parsed)).first->second;
}

} // namespace

std::string ValueFormatter::Format(double value, std::string_view formatString)
{
    if (std::isnan(value) || std::isinf(value))
        return FormatNumber(value);
    const ParsedFormat& parsed = Parsed(formatString);
    const std::vector<std::string>& texts = parsed.texts;
    const std::vector<Section>& sections = parsed.sections;
    const Section& positive = sections[0];
    if (sections.size() >= 3 && !texts[2].empty() && RoundsToZero(positive, value))
        return Apply(sections[2], 0.0);
    if (value < 0 && sections.size() >= 2 && !texts[1].empty())
        return Apply(sections[1], -value);
    if (value < 0 && !RoundsToZero(positive, value)) {
        std::string text(1, '-');
        text += Apply(positive, -value);
        return text;
    }
    return Apply(positive, value);
}

} // namespace olap
