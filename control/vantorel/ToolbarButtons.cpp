#include "control/vantorel/ToolbarButtons.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace vantorel {

namespace {

// The colours of the program's other images.
const QColor kBlue(0x3f, 0x7f, 0xd4);
const QColor kDarkBlue(0x1f, 0x4f, 0x91);
const QColor kSlate(0x5b, 0x6b, 0x7f);
const QColor kPaper(0xff, 0xff, 0xff);
const QColor kGreen(0x3a, 0x9a, 0x4a);
const QColor kRed(0xc8, 0x3a, 0x32);
const QColor kAmber(0xe8, 0xa8, 0x30);

void Sheet(QPainter& p, const QRectF& r)
{
    p.setPen(QPen(kSlate, 1));
    p.setBrush(kPaper);
    p.drawRect(r);
}

void GridLines(QPainter& p, const QRectF& r, int rows, int columns)
{
    p.setPen(QPen(kSlate, 1));
    for (int i = 1; i < rows; ++i)
        p.drawLine(
            QPointF(r.left(), r.top() + r.height() * i / rows), QPointF(r.right(), r.top() + r.height() * i / rows));
    for (int i = 1; i < columns; ++i)
        p.drawLine(QPointF(r.left() + r.width() * i / columns, r.top()),
            QPointF(r.left() + r.width() * i / columns, r.bottom()));
}

void Arrow(QPainter& p, QPointF from, QPointF to, const QColor& colour)
{
    p.setPen(QPen(colour, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(from, to);
    const QPointF d = to - from;
    const double length = std::max(1.0, std::hypot(d.x(), d.y()));
    const QPointF u(d.x() / length, d.y() / length);
    const QPointF n(-u.y(), u.x());
    p.drawLine(to, to - u * 3.5 + n * 3.0);
    p.drawLine(to, to - u * 3.5 - n * 3.0);
}

void Letters(QPainter& p, const QRectF& r, const QString& text, const QColor& colour, int pixelSize, bool bold = true)
{
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(r, Qt::AlignCenter, text);
}

void Sigma(QPainter& p, const QColor& colour)
{
    QPainterPath path;
    path.moveTo(12, 3);
    path.lineTo(4, 3);
    path.lineTo(8.5, 8);
    path.lineTo(4, 13);
    path.lineTo(12, 13);
    p.setPen(QPen(colour, 1.8, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

void Draw(QPainter& p, const QString& name)
{
    if (name == u"Reset") {
        p.setPen(QPen(kBlue, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(3, 3, 10, 10), 60 * 16, 280 * 16);
        p.setBrush(kBlue);
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygonF({QPointF(9, 1), QPointF(13.5, 3.5), QPointF(9.5, 6.5)}));
    } else if (name == u"imgPrint") {
        Sheet(p, QRectF(4.5, 1.5, 7, 5));
        p.setPen(QPen(kDarkBlue, 1));
        p.setBrush(kSlate);
        p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1.5, 1.5);
        Sheet(p, QRectF(4.5, 10.5, 7, 4));
        p.fillRect(QRectF(12, 8, 1.5, 1.5), kGreen);
    } else if (name == u"Sum") {
        Sigma(p, kDarkBlue);
    } else if (name == u"Tabort") {
        Sigma(p, kSlate);
        p.setPen(QPen(kRed, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(9, 9), QPointF(14, 14));
        p.drawLine(QPointF(14, 9), QPointF(9, 14));
    } else if (name == u"SortAsc" || name == u"SortDesc") {
        const bool ascending = name == u"SortAsc";
        Letters(p, QRectF(0, 0, 9, 8), ascending ? QStringLiteral("A") : QStringLiteral("Z"), kDarkBlue, 8);
        Letters(p, QRectF(0, 8, 9, 8), ascending ? QStringLiteral("Z") : QStringLiteral("A"), kDarkBlue, 8);
        Arrow(p, QPointF(12, 2), QPointF(12, 14), kBlue);
    } else if (name == u"Calc") {
        p.setPen(QPen(kDarkBlue, 1));
        p.setBrush(kSlate);
        p.drawRoundedRect(QRectF(2.5, 0.5, 11, 15), 1.5, 1.5);
        p.fillRect(QRectF(4, 2, 8, 3), QColor(0xd8, 0xf0, 0xd0));
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 3; ++column)
                p.fillRect(QRectF(4 + column * 3, 7 + row * 2.8, 2, 1.8), column == 2 && row == 2 ? kAmber : kPaper);
        }
    } else if (name == u"GridMe") {
        const QRectF r(1.5, 2.5, 13, 11);
        Sheet(p, r);
        p.fillRect(QRectF(2, 3, 12, 2.7), QColor(0xc8, 0xdc, 0xf4));
        GridLines(p, r, 4, 3);
    } else if (name == u"Chart") {
        p.setPen(QPen(kSlate, 1));
        p.drawLine(QPointF(1.5, 1), QPointF(1.5, 14.5));
        p.drawLine(QPointF(1.5, 14.5), QPointF(15, 14.5));
        p.fillRect(QRectF(3, 8, 3, 6), kBlue);
        p.fillRect(QRectF(7, 3, 3, 11), kAmber);
        p.fillRect(QRectF(11, 6, 3, 8), kGreen);
    } else if (name == u"Run") {
        p.setPen(QPen(kGreen.darker(130), 1.5, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(2, 2, 12, 12), 90 * 16, 270 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(kGreen.darker(130));
        p.drawPolygon(QPolygonF({QPointF(8, 0), QPointF(11.5, 2), QPointF(8, 4.5)}));
    } else if (name == u"Properties") {
        Sheet(p, QRectF(2.5, 1.5, 11, 13));
        p.setPen(QPen(kDarkBlue, 1));
        for (int i = 0; i < 4; ++i) {
            p.fillRect(QRectF(4, 3.5 + i * 2.8, 2, 1.6), kBlue);
            p.drawLine(QPointF(7, 4.3 + i * 2.8), QPointF(12, 4.3 + i * 2.8));
        }
    } else if (name == u"FieldList") {
        Sheet(p, QRectF(1.5, 1.5, 13, 13));
        p.fillRect(QRectF(2, 2, 12, 3), kBlue);
        p.setPen(QPen(kSlate, 1));
        for (int i = 0; i < 3; ++i) {
            p.drawRect(QRectF(3.5, 6.5 + i * 2.7, 1.5, 1.5));
            p.drawLine(QPointF(6.5, 7.3 + i * 2.7), QPointF(12.5, 7.3 + i * 2.7));
        }
    } else if (name == u"imgDetails") {
        Sheet(p, QRectF(1.5, 1.5, 9, 11));
        GridLines(p, QRectF(1.5, 1.5, 9, 11), 4, 2);
        p.setPen(QPen(kDarkBlue, 1.6));
        p.setBrush(QColor(0xe9, 0xf0, 0xfa));
        p.drawEllipse(QRectF(7, 7, 6, 6));
        p.setPen(QPen(kDarkBlue, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12.5, 12.5), QPointF(15, 15));
    } else if (name == u"Toolbar") {
        p.setPen(QPen(kSlate, 1));
        p.setBrush(QColor(0xe9, 0xf0, 0xfa));
        p.drawRect(QRectF(0.5, 4.5, 15, 7));
        p.fillRect(QRectF(2, 6, 3, 4), kBlue);
        p.fillRect(QRectF(6.5, 6, 3, 4), kAmber);
        p.fillRect(QRectF(11, 6, 3, 4), kGreen);
    } else if (name == u"Export" || name == u"imgExportDat") {
        const QRectF r(0.5, 2.5, 10, 12);
        Sheet(p, r);
        p.fillRect(QRectF(1, 3, 9, 2.5), kGreen);
        if (name == u"imgExportDat")
            GridLines(p, QRectF(0.5, 5.5, 10, 9), 3, 2);
        Arrow(p, QPointF(7, 9), QPointF(15, 9), kDarkBlue);
    } else if (name == u"imgFontChange") {
        Letters(p, QRectF(0, 0, 11, 14), QStringLiteral("A"), kDarkBlue, 13);
        Letters(p, QRectF(8, 5, 8, 10), QStringLiteral("a"), kBlue, 9);
        p.fillRect(QRectF(1, 14, 14, 1.5), kRed);
    } else if (name == u"Spara") {
        p.setPen(QPen(kDarkBlue, 1));
        p.setBrush(kBlue);
        p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
        p.fillRect(QRectF(4, 2, 7, 4.5), QColor(0xe9, 0xf0, 0xfa));
        p.fillRect(QRectF(9, 2.7, 1.3, 3), kDarkBlue);
        p.fillRect(QRectF(4, 9, 8, 5), kPaper);
    } else if (name == u"Oppna") {
        p.setPen(QPen(QColor(0xa0, 0x70, 0x10), 1));
        p.setBrush(kAmber);
        p.drawPolygon(QPolygonF({QPointF(0.5, 3.5), QPointF(5.5, 3.5), QPointF(7, 5), QPointF(13.5, 5),
            QPointF(13.5, 13.5), QPointF(0.5, 13.5)}));
        p.setBrush(QColor(0xf6, 0xcc, 0x60));
        p.drawPolygon(QPolygonF({QPointF(2.5, 7.5), QPointF(15.5, 7.5), QPointF(13.5, 13.5), QPointF(0.5, 13.5)}));
    } else if (name == u"QueryBuilder") {
        Sheet(p, QRectF(1.5, 0.5, 11, 14));
        Letters(p, QRectF(1.5, 0.5, 11, 8), QStringLiteral("?"), kDarkBlue, 9);
        p.setPen(QPen(kSlate, 1));
        p.drawLine(QPointF(3.5, 10.5), QPointF(10.5, 10.5));
        p.drawLine(QPointF(3.5, 12.5), QPointF(8.5, 12.5));
        p.setPen(QPen(kAmber.darker(120), 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10, 14), QPointF(15, 9));
    } else if (name == u"Anslut") {
        p.setPen(QPen(kDarkBlue, 1));
        p.setBrush(kBlue);
        p.drawRect(QRectF(1.5, 3.5, 8, 10));
        p.setBrush(QColor(0xe9, 0xf0, 0xfa));
        p.drawEllipse(QRectF(1.5, 1.5, 8, 4));
        p.drawLine(QPointF(1.5, 7.5), QPointF(9.5, 7.5));
        p.setPen(QPen(kGreen.darker(120), 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10, 10), QPointF(15, 10));
        p.drawLine(QPointF(13, 8), QPointF(13, 12));
    } else {
        p.setPen(QPen(kSlate, 1));
        p.drawRect(QRectF(0.5, 0.5, 15, 15));
    }
}

} // namespace

const std::array<ToolbarButton, ToolbarButtons::kCount>& ToolbarButtons::All()
{
    static const std::array<ToolbarButton, kCount> kButtons {{
        {"Reset", "Reset", 0, true},
        {"imgPrint", "Print", 240, true},
        {"Sum", "Show subtotals", 720, true},
        {"Tabort", "Remove subtotals", 960, true},
        {"SortAsc", "Sort ascending", 1200, true},
        {"SortDesc", "Sort descending", 1440, true},
        {"Calc", "Calculate values", 1800, true},
        {"GridMe", "Show pivottable", 2085, true},
        {"Chart", "Show chart", 2340, true},
        {"Run", "Refresh", 2760, true},
        {"Properties", "Show properties", 3000, true},
        {"FieldList", "Show fieldlist", 3240, true},
        {"imgDetails", "Show details", 3480, true},
        {"Toolbar", "Show toolbar", 4200, true},
        {"Export", "Export to excel", 4440, true},
        {"imgExportDat", "Export data to excel", 4680, true},
        {"imgFontChange", "Change Font", 5160, true},
        {"Spara", "Save report", 6600, false},
        {"Oppna", "Open report", 6840, false},
        {"QueryBuilder", "Query builder", 7080, false},
        {"Anslut", "Connect database", 7320, false},
    }};
    return kButtons;
}

const std::array<const char*, 20>& ToolbarButtons::Switched()
{
    static const std::array<const char*, 20> kSwitched {"Calc", "Chart", "Export", "FieldList", "GridMe", "Oppna",
        "Properties", "QueryBuilder", "Reset", "Run", "SortDesc", "SortAsc", "Spara", "Tabort", "imgPrint", "Anslut",
        "Sum", "imgDetails", "Toolbar", "imgExportDat"};
    return kSwitched;
}

const ToolbarButton* ToolbarButtons::Find(const QString& name)
{
    for (const ToolbarButton& button : All()) {
        if (name == QLatin1String(button.name))
            return &button;
    }
    return nullptr;
}

QPixmap ToolbarButtons::Image(const QString& name)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    Draw(painter, name);
    return pixmap;
}

} // namespace vantorel
