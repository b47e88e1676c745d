#include "control/chart/ChartValueFormat.h"

#include "olap/util/ValueFormatter.h"

#include <cmath>
#include <optional>

namespace chart {

namespace {

// Enough points to tell the format; a large chart does not need every one checked twice.
constexpr std::size_t kSample = 64;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

//! Literal text for a format string: quoted, with '%' left outside the quotes so that it
//! scales the value as the pivot's percent formats do.
std::string Literal(const std::string& text)
{
    std::string out;
    std::string quoted;
    const auto flush = [&]() {
        if (!quoted.empty())
            out += "\"" + quoted + "\"";
        quoted.clear();
    };
    for (char c : text) {
        if (c == '%') {
            flush();
            out += '%';
        } else if (c == '"') {
            flush();
            out += "\\\"";
        } else {
            quoted += c;
        }
    }
    flush();
    return out;
}

//! What one text shows of its format: literal text around the number, grouping (seen only
//! in numbers of four digits or more) and decimals.
struct Shape {
    std::string prefix;
    std::string suffix;
    bool grouping = false;
    int decimals = 0;
    int integerDigits = 0;

    std::string Format() const
    {
        std::string format = Literal(prefix) + (grouping ? "#,##0" : "0");
        if (decimals > 0)
            format += "." + std::string(static_cast<std::size_t>(decimals), '0');
        return format + Literal(suffix);
    }
};

std::optional<Shape> ShapeOf(const std::string& text)
{
    std::size_t first = 0;
    while (first < text.size() && !IsDigit(text[first]))
        ++first;
    if (first == text.size())
        return std::nullopt;
    std::size_t last = text.size() - 1;
    while (!IsDigit(text[last]))
        --last;
    Shape shape;
    bool inDecimals = false;
    for (std::size_t i = first; i <= last; ++i) {
        const char c = text[i];
        if (c == ',' && !inDecimals)
            shape.grouping = true;
        else if (c == '.' && !inDecimals)
            inDecimals = true;
        else if (IsDigit(c) && inDecimals)
            ++shape.decimals;
        else if (IsDigit(c))
            ++shape.integerDigits;
        else if (!IsDigit(c))
            return std::nullopt;
    }
    shape.prefix = text.substr(0, first);
    shape.suffix = text.substr(last + 1);
    return shape;
}

} // namespace

std::string ChartValueFormat::Infer(const std::vector<ChartSeries>& series)
{
    std::optional<Shape> format;
    std::vector<std::pair<double, const std::string*>> sampled;
    bool grouped = false;
    bool ungrouped = false;
    for (const ChartSeries& one : series) {
        for (std::size_t c = 0; c < one.values.size() && c < one.texts.size() && sampled.size() < kSample; ++c) {
            // Negative values may have a section of their own; the positive one is the format.
            if (!one.values[c] || *one.values[c] < 0)
                continue;
            const std::optional<Shape> shape = ShapeOf(one.texts[c]);
            if (!shape)
                return {};
            if (!format) {
                format = shape;
            } else if (shape->prefix != format->prefix || shape->suffix != format->suffix
                || shape->decimals != format->decimals) {
                return {};
            }
            if (shape->integerDigits >= 4)
                (shape->grouping ? grouped : ungrouped) = true;
            sampled.emplace_back(*one.values[c], &one.texts[c]);
        }
    }
    if (!format)
        return {};
    // Only numbers of four digits show grouping; without one, business figures are
    // taken as grouped (the labels of a larger axis step then read like the pivot's).
    format->grouping = grouped || !ungrouped;
    // The shape is only a guess until it gives back every text it was read from.
    std::string text = format->Format();
    for (const auto& [value, shown] : sampled) {
        if (olap::ValueFormatter::Format(value, text) != *shown)
            return {};
    }
    return text;
}

std::string ChartValueFormat::ForStep(const std::string& format, double step)
{
    if (format.empty() || !(step > 0) || !std::isfinite(step))
        return format;
    const bool percent = format.find('%') != std::string::npos;
    const double shown = percent ? step * 100 : step;
    int needed = 0;
    while (needed < 9 && std::fabs(shown * std::pow(10.0, needed) - std::round(shown * std::pow(10.0, needed))) > 1e-6)
        ++needed;
    // The number part: the first run of placeholders outside quoted text, its decimals
    // the zeros after its point.
    std::size_t begin = std::string::npos;
    bool quoted = false;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '"')
            quoted = !quoted;
        else if (format[i] == '\\')
            ++i;
        else if (!quoted && (format[i] == '0' || format[i] == '#')) {
            begin = i;
            break;
        }
    }
    if (begin == std::string::npos)
        return format;
    std::size_t end = begin;
    while (end < format.size() && (format[end] == '0' || format[end] == '#' || format[end] == ','))
        ++end;
    int has = 0;
    std::size_t insertAt = end;
    std::string extra;
    if (end < format.size() && format[end] == '.') {
        insertAt = end + 1;
        while (insertAt < format.size() && format[insertAt] == '0') {
            ++insertAt;
            ++has;
        }
    } else {
        extra = ".";
    }
    if (needed <= has)
        return format;
    extra += std::string(static_cast<std::size_t>(needed - has), '0');
    return format.substr(0, insertAt) + extra + format.substr(insertAt);
}

ChartValueFormat::Ticks ChartValueFormat::NiceTicks(double min, double max, int target)
{
    if (!std::isfinite(min) || !std::isfinite(max))
        return {};
    if (min > max)
        std::swap(min, max);
    if (max - min < 1e-12 * std::max(1.0, std::fabs(max))) {
        const double pad = std::fabs(max) > 0 ? std::fabs(max) * 0.1 : 1.0;
        min -= pad;
        max += pad;
    }
    const double raw = (max - min) / std::max(1, target);
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double fraction = raw / magnitude;
    // The round step nearest the raw one, so the axis gets about TARGET steps.
    double nice = 10;
    if (fraction < 1.5)
        nice = 1;
    else if (fraction < 2.25)
        nice = 2;
    else if (fraction < 3.5)
        nice = 2.5;
    else if (fraction < 7.5)
        nice = 5;
    Ticks ticks;
    ticks.step = nice * magnitude;
    ticks.first = std::floor(min / ticks.step) * ticks.step;
    ticks.last = std::ceil(max / ticks.step) * ticks.step;
    return ticks;
}

} // namespace chart
