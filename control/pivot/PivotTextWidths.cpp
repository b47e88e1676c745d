#include "control/pivot/PivotTextWidths.h"

#include <cmath>

namespace pivot {

namespace {

//! Texts kept shaped before the memory starts afresh (a view's captions fit many times over).
constexpr qsizetype kMaxShaped = 8192;

constexpr bool IsNumberCharacter(unsigned code)
{
    return (code >= '0' && code <= '9') || code == '.' || code == ',' || code == '-' || code == '+' || code == '%'
        || code == '(' || code == ')' || code == ' ';
}

unsigned Code(char character)
{
    return static_cast<unsigned char>(character);
}

unsigned Code(char16_t character)
{
    return character;
}

QFontMetrics MetricsOn(const QFont& font, QPaintDevice* device)
{
    return device ? QFontMetrics(font, device) : QFontMetrics(font);
}

QFontMetricsF MetricsFOn(const QFont& font, QPaintDevice* device)
{
    return device ? QFontMetricsF(font, device) : QFontMetricsF(font);
}

} // namespace

PivotTextWidths::PivotTextWidths(const QFont& font, QPaintDevice* device)
    : m_font(font), m_device(device), m_metrics(MetricsOn(font, device)), m_metricsF(MetricsFOn(font, device))
{
}

template <typename Text> int PivotTextWidths::NumberAdvance(const Text& text)
{
    qreal sum = 0;
    for (const auto character : text) {
        const unsigned code = Code(character);
        if (!IsNumberCharacter(code))
            return -1;
        qreal& advance = m_advances[code];
        if (advance == 0)
            advance = m_metricsF.horizontalAdvance(QChar(static_cast<char16_t>(code)));
        sum += advance;
    }
    // A hair below a whole pixel is that pixel: the shaped text adds its advances in 1/64 px.
    return static_cast<int>(std::ceil(sum - 1.0 / 128));
}

int PivotTextWidths::Shaped(const QString& text)
{
    if (const auto it = m_shaped.constFind(text); it != m_shaped.cend())
        return *it;
    if (m_shaped.size() >= kMaxShaped)
        m_shaped.clear();
    const int width = m_metrics.horizontalAdvance(text);
    m_shaped.insert(text, width);
    return width;
}

int PivotTextWidths::Advance(const std::string& text)
{
    const int number = NumberAdvance(text);
    return number >= 0 ? number : Shaped(QString::fromStdString(text));
}

int PivotTextWidths::Advance(const QString& text)
{
    std::u16string_view view(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size()));
    const int number = NumberAdvance(view);
    return number >= 0 ? number : Shaped(text);
}

} // namespace pivot
