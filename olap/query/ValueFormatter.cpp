#include "olap/query/ValueFormatter.h"

#include "olap/util/NameUtil.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace olap {
namespace {

// One section of a pattern: literal text around one number part.
struct Section {
    std::string prefix;
    std::string suffix;
    int minInteger = 0;
    int minDecimals = 0;
    int maxDecimals = 0;
    bool grouping = false;
    bool percent = false;
    bool hasNumber = false;
};

std::vector<std::string> SplitSections(std::string_view format)
{
    std::vector<std::string> sections(1);
    bool quoted = false;
    for (std::size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
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

Section ParseSection(const std::string& text)
{
    Section s;
    bool inNumber = false;
    bool afterNumber = false;
    bool afterPoint = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        std::string& literal = afterNumber || (s.hasNumber && !inNumber) ? s.suffix : s.prefix;
        if (c == '"') {
            std::size_t end = text.find('"', i + 1);
            if (end == std::string::npos)
                end = text.size();
            literal += text.substr(i + 1, end - i - 1);
            i = end;
            if (inNumber) {
                inNumber = false;
                afterNumber = true;
            }
            continue;
        }
        if (c == '\\' && i + 1 < text.size()) {
            literal += text[++i];
            if (inNumber) {
                inNumber = false;
                afterNumber = true;
            }
            continue;
        }
        bool numberChar = c == '0' || c == '#' || (inNumber && (c == ',' || c == '.')) || (!afterNumber && c == '.');
        if (numberChar && !afterNumber) {
            inNumber = true;
            s.hasNumber = true;
            if (c == '.') {
                afterPoint = true;
            } else if (c == ',') {
                if (!afterPoint)
                    s.grouping = true;
            } else if (afterPoint) {
                ++s.maxDecimals;
                if (c == '0')
                    s.minDecimals = s.maxDecimals;
            } else if (c == '0') {
                ++s.minInteger;
            }
            continue;
        }
        if (inNumber) {
            inNumber = false;
            afterNumber = true;
        }
        if (c == '%')
            s.percent = true;
        (afterNumber || s.hasNumber ? s.suffix : s.prefix) += c;
    }
    return s;
}

std::string FormatSection(double value, const Section& s)
{
    if (!s.hasNumber)
        return s.prefix + s.suffix;
    if (s.percent)
        value *= 100;
    // Halves round away from zero, as format strings do (printf would round to even).
    double scale = std::pow(10.0, s.maxDecimals);
    double magnitude = std::fabs(value);
    if (magnitude * scale < 1e15)
        magnitude = std::round(magnitude * scale) / scale;
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%.*f", s.maxDecimals, magnitude);
    std::string digits(buffer);
    std::string integer = digits;
    std::string fraction;
    if (std::size_t point = digits.find('.'); point != std::string::npos) {
        integer = digits.substr(0, point);
        fraction = digits.substr(point + 1);
    }
    while (static_cast<int>(fraction.size()) > s.minDecimals && !fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    if (integer == "0" && s.minInteger == 0)
        integer.clear();
    while (static_cast<int>(integer.size()) < s.minInteger)
        integer.insert(integer.begin(), '0');
    if (s.grouping) {
        std::string grouped;
        for (std::size_t i = 0; i < integer.size(); ++i) {
            if (i > 0 && (integer.size() - i) % 3 == 0)
                grouped += ',';
            grouped += integer[i];
        }
        integer = grouped;
    }
    std::string number = integer;
    if (!fraction.empty())
        number += "." + fraction;
    if (number.empty())
        number.push_back('0');
    return s.prefix + number + s.suffix;
}

bool IsZeroAfterRounding(double value, const Section& s)
{
    double scaled = std::fabs(value) * (s.percent ? 100 : 1) * std::pow(10.0, s.maxDecimals);
    return std::round(scaled) == 0;
}

} // namespace

std::string ValueFormatter::Format(double value, std::string_view format)
{
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value > 0 ? "Infinity" : "-Infinity";
    std::string_view pattern = format;
    if (format.empty() || EqualsNoCase(format, "General Number") || EqualsNoCase(format, "General"))
        return FormatNumber(value);
    if (EqualsNoCase(format, "Standard"))
        pattern = "#,##0.##";
    else if (EqualsNoCase(format, "Currency"))
        pattern = "$#,##0.00;($#,##0.00)";
    else if (EqualsNoCase(format, "Fixed"))
        pattern = "0.00";
    else if (EqualsNoCase(format, "Percent"))
        pattern = "0.00%";
    std::vector<std::string> texts = SplitSections(pattern);
    std::vector<Section> sections;
    for (const std::string& text : texts)
        sections.push_back(ParseSection(text));
    const Section& positive = sections[0];
    if (sections.size() >= 3 && !texts[2].empty() && IsZeroAfterRounding(value, positive))
        return FormatSection(0, sections[2]);
    if (value < 0) {
        if (sections.size() >= 2 && !texts[1].empty())
            return FormatSection(-value, sections[1]);
        if (IsZeroAfterRounding(value, positive))
            return FormatSection(0, positive);
        std::string negative(1, '-');
        negative += FormatSection(-value, positive);
        return negative;
    }
    return FormatSection(value, positive);
}

} // namespace olap
