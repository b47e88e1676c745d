#pragma once

#include <QColor>

//! Contrast between two colours as the accessibility guidelines measure it:
//! the ratio of the lighter colour's relative luminance plus 0.05 to the
//! darker one's, from 1 (same luminance) to 21 (black on white). Ordinary
//! text needs 4.5 or more to be readable.
class CXContrast {
public:
    static constexpr double kMinimumTextRatio = 4.5;

    //! Relative luminance of an sRGB colour, 0 (black) to 1 (white).
    static double Luminance(const QColor& color);
    //! The contrast ratio of two colours; the order does not matter.
    static double Ratio(const QColor& a, const QColor& b);
    //! color when it reaches minRatio against background; otherwise the same
    //! hue mixed towards black (on a light background) or white (on a dark
    //! one) just far enough to reach it. Alpha is ignored.
    static QColor Readable(const QColor& color, const QColor& background, double minRatio = kMinimumTextRatio);
};
