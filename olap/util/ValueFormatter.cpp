#include "olap/util/ValueFormatter.h"

#include "olap/util/NameUtil.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iterator>
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

//! 10^N, exact for the powers a double holds exactly.
double PowerOfTen(int n)
{
    static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14,
        1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    return n >= 0 && n < static_cast<int>(std::size(kPowers)) ? kPowers[n] : std::pow(10.0, n);
}

//! |VALUE| rounded to DECIMALS places as decimal digits, at least DECIMALS + 1 of them (the
//! last DECIMALS are the fraction). Returns the digits' length in OUT (room for 400).
std::size_t Digits(double value, int decimals, char* out)
{
    const double scaled = std::round(std::fabs(value) * PowerOfTen(decimals));
    char buffer[400];
    std::size_t length = 0;
    if (scaled < 9.0e18) {
        // A whole number below 2^63 converts exactly; printf's "%.0f" is many times slower.
        const auto whole = static_cast<unsigned long long>(scaled);
        length = static_cast<std::size_t>(std::to_chars(buffer, buffer + sizeof buffer, whole).ptr - buffer);
    } else {
        const int written = std::snprintf(buffer, sizeof buffer, "%.0f", scaled);
        length = written < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(written), sizeof buffer - 1);
    }
    const std::size_t wanted = static_cast<std::size_t>(decimals) + 1;
    const std::size_t pad = length < wanted ? std::min(wanted - length, sizeof buffer - length) : 0;
    std::fill(out, out + pad, '0');
    std::copy(buffer, buffer + length, out + pad);
    return pad + length;
}

std::string Apply(const Section& s, double value)
{
    if (!s.hasDigits)
        return s.prefix + s.suffix;
    if (s.percent)
        value *= 100;
    char digits[400];
    const int decimals = std::clamp(s.maxDec, 0, 300);
    const std::size_t length = Digits(value, decimals, digits);
    const char* integer = digits;
    std::size_t integerLength = length - static_cast<std::size_t>(decimals);
    const char* fraction = digits + integerLength;
    std::size_t fractionLength = static_cast<std::size_t>(decimals);
    while (static_cast<int>(fractionLength) > s.minDec && fractionLength > 0 && fraction[fractionLength - 1] == '0')
        --fractionLength;
    while (integerLength > 0 && *integer == '0') {
        ++integer;
        --integerLength;
    }
    const std::size_t zeros
        = static_cast<int>(integerLength) < s.minInt ? static_cast<std::size_t>(s.minInt) - integerLength : 0;
    const std::size_t shown = zeros + integerLength;
    // Digit I of the integer part (leading zeros included), with group separators.
    const bool grouping = s.grouping && shown > 3;
    const std::size_t head = shown % 3;
    const std::size_t separators = grouping ? (shown - 1) / 3 : 0;
    const std::size_t size
        = s.prefix.size() + shown + separators + (fractionLength > 0 ? fractionLength + 1 : 0) + s.suffix.size();
    // Written in place: a grid formats tens of thousands of values.
    std::string text(size, '\0');
    char* out = text.data();
    out = std::copy(s.prefix.begin(), s.prefix.end(), out);
    for (std::size_t i = 0; i < shown; ++i) {
        if (grouping && i > 0 && i >= head && (i - head) % 3 == 0)
            *out++ = ',';
        *out++ = i < zeros ? '0' : integer[i - zeros];
    }
    if (fractionLength > 0) {
        *out++ = '.';
        out = std::copy(fraction, fraction + fractionLength, out);
    }
    std::copy(s.suffix.begin(), s.suffix.end(), out);
    return text;
}

bool RoundsToZero(const Section& s, double value)
{
    char digits[400];
    const std::size_t length = Digits(s.percent ? value * 100 : value, std::clamp(s.maxDec, 0, 300), digits);
    return std::all_of(digits, digits + length, [](char c) { return c == '0'; });
}

struct ParsedFormat {
    std::vector<std::string> texts;
    std::vector<Section> sections;
};

// FORMAT parsed once per thread: a grid formats thousands of cells with a few format strings,
// one per measure, taken in turn cell after cell. The last few are checked first by their text;
// the map holds every format seen.
const ParsedFormat& Parsed(std::string_view format)
{
    struct Recent {
        std::string key;
        const ParsedFormat* parsed = nullptr;
    };
    struct Cache {
        std::unordered_map<std::string, ParsedFormat> parsed;
        std::array<Recent, 4> recent;
        std::size_t next = 0;
    };
    thread_local Cache cache;
    for (const Recent& r : cache.recent) {
        if (r.parsed && format == r.key)
            return *r.parsed;
    }
    std::string key(format);
    auto it = cache.parsed.find(key);
    if (it == cache.parsed.end()) {
        if (cache.parsed.size() >= 256) {
            cache.parsed.clear();
            cache.recent = {};
        }
        ParsedFormat parsed;
        parsed.texts = SplitSections(Named(format));
        parsed.sections.reserve(parsed.texts.size());
        for (const std::string& text : parsed.texts)
            parsed.sections.push_back(Parse(text));
        it = cache.parsed.emplace(key, std::move(parsed)).first;
    }
    Recent& slot = cache.recent[cache.next];
    cache.next = (cache.next + 1) % cache.recent.size();
    slot.key = std::move(key);
    slot.parsed = &it->second;
    return it->second;
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
