#include "control/export/SheetPainter.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

namespace exporting {

namespace {

const QColor kHeaderFill(0xE7, 0xEC, 0xF2);
const QColor kTotalFill(0xF2, 0xF2, 0xF2);
const QColor kGridLine(0xBF, 0xBF, 0xBF);
//! Column widths are measured on the first rows only, as a spreadsheet's autofit would
//! take far too long on a large view.
constexpr int kMeasuredRows = 2000;

struct Span {
    int first = 0;
    int end = 0; // one past the last
};

//! Where every row and column of a sheet goes on the printed pages.
class Pagination {
public:
    //! Measures text on DEVICE: the printer, or the device a painter on it really draws on
    //! (a print preview records through a device of its own).
    Pagination(const PrintSheet& sheet, QPrinter& printer, QPaintDevice* device)
    {
        m_font = QApplication::font();
        m_font.setPointSizeF(9);
        m_bold = m_font;
        m_bold.setBold(true);
        m_title = m_bold;
        m_title.setPointSizeF(14);
        const QFontMetricsF metrics(m_font, device);
        const QFontMetricsF boldMetrics(m_bold, device);
        const QFontMetricsF titleMetrics(m_title, device);
        m_padding = metrics.averageCharWidth() * 0.6;
        m_rowHeight = metrics.height() * 1.35;
        m_titleHeight = titleMetrics.height() * 1.2;
        m_band = metrics.height() * 2.2;
        m_page = QRectF(QPointF(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size());
        const double minWidth = metrics.averageCharWidth() * 8 + 2 * m_padding;
        const double maxWidth = metrics.averageCharWidth() * 60 + 2 * m_padding;

        const int rows = sheet.RowCount();
        const int columns = sheet.ColumnCount();
        m_widths.assign(static_cast<std::size_t>(columns), minWidth);
        for (int r = 0; r < std::min(rows, kMeasuredRows); ++r) {
            for (int c = 0; c < columns; ++c) {
                const PrintSheet::Cell cell = sheet.At(r, c);
                if (!cell.IsAnchor(r, c) || cell.columnSpan != 1 || cell.text.empty()
                    || cell.kind == PrintSheet::Cell::Kind::Title)
                    continue;
                const QFontMetricsF& used
                    = cell.kind == PrintSheet::Cell::Kind::Value && !cell.isTotal ? metrics : boldMetrics;
                // Half a character more than the text, so rounding never elides the widest one.
                const double width = used.horizontalAdvance(QString::fromStdString(cell.text)) + 2 * m_padding
                    + metrics.averageCharWidth() / 2;
                double& column = m_widths[static_cast<std::size_t>(c)];
                column = std::max(column, std::min(width, maxWidth));
            }
        }
        m_heights.assign(static_cast<std::size_t>(rows), m_rowHeight);
        for (int r = 0; r < rows; ++r) {
            if (columns > 0 && sheet.At(r, 0).kind == PrintSheet::Cell::Kind::Title)
                m_heights[static_cast<std::size_t>(r)] = std::max(m_rowHeight, m_titleHeight);
        }

        const QRectF body = Body();
        // Titles that would leave less than half a page for the rest are not repeated.
        m_titleRows = std::min(sheet.TitleRows(), rows);
        if (Extent(m_heights, 0, m_titleRows) > body.height() / 2)
            m_titleRows = 0;
        m_titleColumns = std::min(sheet.TitleColumns(), columns);
        if (Extent(m_widths, 0, m_titleColumns) > body.width() / 2)
            m_titleColumns = 0;
        m_rowPages = Split(m_heights, m_titleRows, body.height() - Extent(m_heights, 0, m_titleRows));
        m_columnPages = Split(m_widths, m_titleColumns, body.width() - Extent(m_widths, 0, m_titleColumns));
    }

    int PageCount() const { return static_cast<int>(m_rowPages.size() * m_columnPages.size()); }
    //! Page INDEX (from 0): down the sheet first, then across.
    std::pair<Span, Span> Page(int index) const
    {
        const auto rowPages = static_cast<int>(m_rowPages.size());
        return {m_rowPages[static_cast<std::size_t>(index % rowPages)],
            m_columnPages[static_cast<std::size_t>(index / rowPages)]};
    }
    Span TitleRows() const { return {0, m_titleRows}; }
    Span TitleColumns() const { return {0, m_titleColumns}; }
    QRectF PageRect() const { return m_page; }
    QRectF Body() const { return m_page.adjusted(0, m_band, 0, -m_band); }
    double Band() const { return m_band; }
    double Padding() const { return m_padding; }
    double Width(int column) const { return m_widths[static_cast<std::size_t>(column)]; }
    double Height(int row) const { return m_heights[static_cast<std::size_t>(row)]; }
    double Widths(Span span) const { return Extent(m_widths, span.first, span.end); }
    double Heights(Span span) const { return Extent(m_heights, span.first, span.end); }
    const QFont& Font() const { return m_font; }
    const QFont& Bold() const { return m_bold; }
    const QFont& Title() const { return m_title; }

private:
    static double Extent(const std::vector<double>& sizes, int first, int end)
    {
        double sum = 0;
        for (int i = first; i < end; ++i)
            sum += sizes[static_cast<std::size_t>(i)];
        return sum;
    }

    //! SIZES from FIRST cut into runs that fit ROOM, each at least one long.
    static std::vector<Span> Split(const std::vector<double>& sizes, int first, double room)
    {
        std::vector<Span> spans;
        const int count = static_cast<int>(sizes.size());
        int start = first;
        while (start < count) {
            int end = start + 1;
            double used = sizes[static_cast<std::size_t>(start)];
            while (end < count && used + sizes[static_cast<std::size_t>(end)] <= room)
                used += sizes[static_cast<std::size_t>(end++)];
            spans.push_back({start, end});
            start = end;
        }
        if (spans.empty())
            spans.push_back({first, first});
        return spans;
    }

    QFont m_font;
    QFont m_bold;
    QFont m_title;
    double m_padding = 0;
    double m_rowHeight = 0;
    double m_titleHeight = 0;
    double m_band = 0;
    QRectF m_page;
    std::vector<double> m_widths;
    std::vector<double> m_heights;
    int m_titleRows = 0;
    int m_titleColumns = 0;
    std::vector<Span> m_rowPages;
    std::vector<Span> m_columnPages;
};

void PaintBand(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font)
{
    if (text.isEmpty())
        return;
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QString shown = QFontMetricsF(font, painter.device()).elidedText(text, Qt::ElideRight, rect.width());
    painter.drawText(rect, Qt::AlignCenter, shown);
}

//! Draws the cells of ROWS x COLUMNS with their top left at ORIGIN. A merged area cut by the
//! ranges is drawn once, as the part inside them.
void PaintCells(
    QPainter& painter, const PrintSheet& sheet, const Pagination& pages, Span rows, Span columns, QPointF origin)
{
    if (rows.first >= rows.end || columns.first >= columns.end)
        return;
    const QRectF area(origin, QSizeF(pages.Widths(columns), pages.Heights(rows)));
    painter.save();
    painter.setClipRect(area);
    std::vector<double> x {origin.x()};
    for (int c = columns.first; c < columns.end; ++c)
        x.push_back(x.back() + pages.Width(c));
    std::vector<double> y {origin.y()};
    for (int r = rows.first; r < rows.end; ++r)
        y.push_back(y.back() + pages.Height(r));
    auto left
        = [&](int c) { return x[static_cast<std::size_t>(std::clamp(c, columns.first, columns.end) - columns.first)]; };
    auto top = [&](int r) { return y[static_cast<std::size_t>(std::clamp(r, rows.first, rows.end) - rows.first)]; };

    // Fills and grid lines first, then the text, so a caption running on over empty cells
    // is not crossed by their lines.
    struct Area {
        PrintSheet::Cell cell;
        QRectF rect;
    };
    std::vector<Area> areas;
    std::set<std::pair<int, int>> seen;
    for (int r = rows.first; r < rows.end; ++r) {
        for (int c = columns.first; c < columns.end; ++c) {
            PrintSheet::Cell cell = sheet.At(r, c);
            if (!seen.insert({cell.anchorRow, cell.anchorColumn}).second)
                continue;
            const QRectF rect(QPointF(left(cell.anchorColumn), top(cell.anchorRow)),
                QPointF(left(cell.anchorColumn + cell.columnSpan), top(cell.anchorRow + cell.rowSpan)));
            areas.push_back({std::move(cell), rect});
        }
    }
    QPen grid(kGridLine);
    grid.setWidthF(std::max(1.0, painter.device()->logicalDpiX() / 150.0));
    for (const Area& area : areas) {
        if (area.cell.kind == PrintSheet::Cell::Kind::Header || area.cell.isTotal)
            painter.fillRect(area.rect, area.cell.isTotal ? kTotalFill : kHeaderFill);
        painter.setPen(grid);
        painter.drawRect(area.rect);
    }
    painter.setPen(Qt::black);
    for (const Area& entry : areas) {
        const PrintSheet::Cell& cell = entry.cell;
        if (cell.text.empty())
            continue;
        const QString text = QString::fromStdString(cell.text);
        const QRectF inner = entry.rect.adjusted(pages.Padding(), 0, -pages.Padding(), 0);
        switch (cell.kind) {
        case PrintSheet::Cell::Kind::Title:
        case PrintSheet::Cell::Kind::Caption: {
            // Like a spreadsheet, a caption runs on over the empty cells beside it, hiding
            // their grid lines.
            painter.setFont(cell.kind == PrintSheet::Cell::Kind::Title ? pages.Title() : pages.Bold());
            const QRectF room(inner.topLeft(), QSizeF(area.right() - inner.left(), inner.height()));
            const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
            const QRectF used = painter.boundingRect(room, flags, text).intersected(room);
            painter.fillRect(used.adjusted(0, 1, 0, -1), Qt::white);
            painter.drawText(room, flags, text);
            break;
        }
        case PrintSheet::Cell::Kind::Header: {
            painter.setFont(pages.Bold());
            const QString shown
                = QFontMetricsF(pages.Bold(), painter.device()).elidedText(text, Qt::ElideRight, inner.width());
            painter.drawText(QRectF(inner.left(), inner.top(), inner.width(), pages.Height(cell.anchorRow)),
                Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
            break;
        }
        case PrintSheet::Cell::Kind::Value:
            painter.setFont(cell.isTotal ? pages.Bold() : pages.Font());
            painter.drawText(inner, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, text);
            break;
        case PrintSheet::Cell::Kind::Empty:
            break;
        }
    }
    painter.restore();
}

bool Begin(QPainter& painter, QPrinter& printer, std::string& error)
{
    if (painter.begin(&printer))
        return true;
    const QString name = printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
    error = name.isEmpty() ? std::string("cannot start printing: no printer is set up")
                           : "cannot start printing on " + name.toStdString();
    return false;
}

} // namespace

QString SheetPainter::ExpandCodes(const std::string& code, int page, int pages)
{
    const QString text = QString::fromStdString(code);
    QString expanded;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'&' || i + 1 == text.size()) {
            expanded += text[i];
            continue;
        }
        const QChar next = text[++i];
        if (next == u'P' || next == u'p')
            expanded += QString::number(page);
        else if (next == u'N' || next == u'n')
            expanded += QString::number(pages);
        else if (next == u'&')
            expanded += u'&';
        else
            expanded += QStringLiteral("&") + next;
    }
    return expanded;
}

int SheetPainter::PageCount(const PrintSheet& sheet, QPrinter& printer)
{
    return Pagination(sheet, printer, &printer).PageCount();
}

bool SheetPainter::PaintSheet(const PrintSheet& sheet, QPrinter& printer, std::string& error)
{
    QPainter painter;
    if (!Begin(painter, printer, error))
        return false;
    const Pagination pages(sheet, printer, painter.device());
    const std::string header = PrintSheet::EscapeCodes(sheet.Caption());
    const int count = pages.PageCount();
    const QRectF body = pages.Body();
    const Span titleRows = pages.TitleRows();
    const Span titleColumns = pages.TitleColumns();
    const double titleWidth = pages.Widths(titleColumns);
    const double titleHeight = pages.Heights(titleRows);
    for (int index = 0; index < count; ++index) {
        if (index > 0 && !printer.newPage()) {
            error = "cannot start page " + std::to_string(index + 1) + " of the printout";
            painter.end();
            return false;
        }
        const auto [rows, columns] = pages.Page(index);
        const QPointF origin = body.topLeft();
        PaintCells(painter, sheet, pages, titleRows, titleColumns, origin);
        PaintCells(painter, sheet, pages, titleRows, columns, origin + QPointF(titleWidth, 0));
        PaintCells(painter, sheet, pages, rows, titleColumns, origin + QPointF(0, titleHeight));
        PaintCells(painter, sheet, pages, rows, columns, origin + QPointF(titleWidth, titleHeight));
        const QRectF page = pages.PageRect();
        PaintBand(painter, QRectF(page.left(), page.top(), page.width(), pages.Band() * 0.8),
            ExpandCodes(header, index + 1, count), pages.Font());
        PaintBand(painter, QRectF(page.left(), page.bottom() - pages.Band() * 0.8, page.width(), pages.Band() * 0.8),
            ExpandCodes(PrintSheet::kFooter, index + 1, count), pages.Font());
    }
    if (!painter.end()) {
        error = "the printout could not be finished";
        return false;
    }
    return true;
}

bool SheetPainter::PaintPicture(
    const QImage& picture, const std::string& header, const std::string& footer, QPrinter& printer, std::string& error)
{
    QFont font = QApplication::font();
    font.setPointSizeF(9);
    const double band = QFontMetricsF(font, &printer).height() * 2.2;
    const QRectF page(QPointF(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size());
    const QRectF body = page.adjusted(0, band, 0, -band);
    QPainter painter;
    if (!Begin(painter, printer, error))
        return false;
    if (!picture.isNull() && !body.isEmpty()) {
        // The picture keeps the size it has on a 96 dpi screen unless the page is smaller.
        const double screen = printer.resolution() / 96.0;
        QSizeF size = QSizeF(picture.size()) * screen;
        if (size.width() > body.width() || size.height() > body.height())
            size.scale(body.size(), Qt::KeepAspectRatio);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(body.topLeft(), size), picture);
    }
    PaintBand(painter, QRectF(page.left(), page.top(), page.width(), band * 0.8), ExpandCodes(header, 1, 1), font);
    PaintBand(painter, QRectF(page.left(), page.bottom() - band * 0.8, page.width(), band * 0.8),
        ExpandCodes(footer, 1, 1), font);
    if (!painter.end()) {
        error = "the printout could not be finished";
        return false;
    }
    return true;
}

} // namespace exporting
