#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QHash>
#include <QString>

#include <array>
#include <string>

class QPaintDevice;

namespace pivot {

//! Widths of the texts a grid is full of, in one font. A text made only of digits, signs,
//! separators and spaces (a formatted number) is measured as the sum of its characters'
//! advances, kept per character and rounded up, so it is never narrower than the shaped text
//! and at most a pixel wider (numbers are not kerned in the fonts grids use); any other text
//! is shaped by the font metrics and its width remembered. Columns fitted with these widths
//! hold their numbers whole, and a painter can tell without shaping that a number fits.
class PivotTextWidths {
public:
    //! Widths in FONT as drawn on DEVICE (null: the font's default device, the screen).
    explicit PivotTextWidths(const QFont& font, QPaintDevice* device = nullptr);

    //! The width TEXT (UTF-8) takes, in pixels.
    int Advance(const std::string& text);
    int Advance(const QString& text);

    const QFont& Font() const { return m_font; }
    QPaintDevice* Device() const { return m_device; }

private:
    //! The rounded-up sum of per-character advances of TEXT, or -1 when TEXT holds a
    //! character other than those of a formatted number.
    template <typename Text> int NumberAdvance(const Text& text);
    int Shaped(const QString& text);

    QFont m_font;
    QPaintDevice* m_device;
    QFontMetrics m_metrics;
    QFontMetricsF m_metricsF;
    //! Advances of the number characters by code (0: not measured yet).
    std::array<qreal, 128> m_advances {};
    QHash<QString, int> m_shaped;
};

} // namespace pivot
