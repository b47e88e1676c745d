#include "uikit/CXContrast.h"

#include <algorithm>
#include <cmath>

namespace {

double Linear(double channel)
{
    return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

QColor Mix(const QColor& from, const QColor& to, double amount)
{
    auto blend = [amount](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * amount)); };
    return QColor(blend(from.red(), to.red()), blend(from.green(), to.green()), blend(from.blue(), to.blue()));
}

} // namespace

double CXContrast::Luminance(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return 0.2126 * Linear(rgb.redF()) + 0.7152 * Linear(rgb.greenF()) + 0.0722 * Linear(rgb.blueF());
}

double CXContrast::Ratio(const QColor& a, const QColor& b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor CXContrast::Readable(const QColor& color, const QColor& background, double minRatio)
{
    const QColor start = QColor(color.toRgb().rgb());
    if (Ratio(start, background) >= minRatio)
        return start;
    // Which end can reach the ratio at all: black on a light background,
    // white on a dark one.
    const QColor target
        = Ratio(Qt::black, background) >= Ratio(Qt::white, background) ? QColor(Qt::black) : QColor(Qt::white);
    double low = 0.0;
    double high = 1.0;
    for (int i = 0; i < 20; ++i) {
        const double middle = (low + high) / 2;
        if (Ratio(Mix(start, target, middle), background) >= minRatio)
            high = middle;
        else
            low = middle;
    }
    QColor result = Mix(start, target, high);
    // Rounding to whole channel values may fall just short.
    for (double amount = high; Ratio(result, background) < minRatio && amount < 1.0;) {
        amount = std::min(1.0, amount + 0.01);
        result = Mix(start, target, amount);
    }
    return result;
}
