#include "uikit/CXHtmlStatic.h"

#include "uikit/CXContrast.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

CXHtmlStatic::CXHtmlStatic(QWidget* parent) : QWidget(parent)
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

CXHtmlStatic::CXHtmlStatic(const QString& markup, QWidget* parent) : CXHtmlStatic(parent)
{
    SetWindowText(markup);
}

void CXHtmlStatic::SetWindowText(const QString& markup)
{
    m_markup = markup;
    m_runs = CXHtmlMarkup::Parse(markup);
    setAccessibleName(PlainText());
    updateGeometry();
    update();
}

QFont CXHtmlStatic::FontOf(const CXHtmlMarkup::Run& run) const
{
    QFont f = font();
    if (!run.face.isEmpty())
        f.setFamilies({run.face, f.family()});
    f.setBold(run.bold);
    f.setItalic(run.italic);
    f.setUnderline(run.underline);
    return f;
}

QList<CXHtmlStatic::Piece> CXHtmlStatic::Layout(int width, int* height) const
{
    QList<Piece> pieces;
    int x = 0;
    int y = 0;
    int lineHeight = QFontMetrics(font()).height();
    QList<int> lineStart {0};
    auto newLine = [&] {
        y += lineHeight;
        x = 0;
        lineHeight = QFontMetrics(font()).height();
        lineStart.append(static_cast<int>(pieces.size()));
    };
    for (int i = 0; i < m_runs.size(); ++i) {
        const CXHtmlMarkup::Run& run = m_runs[i];
        if (run.lineBreak) {
            newLine();
            continue;
        }
        const QFontMetrics metrics(FontOf(run));
        // Words keep the spaces that follow them, so runs join as written.
        QString word;
        auto place = [&](const QString& text) {
            if (text.isEmpty())
                return;
            const int w = metrics.horizontalAdvance(text);
            const bool onlySpace = text.trimmed().isEmpty();
            if (x > 0 && x + metrics.horizontalAdvance(text.trimmed()) > width && !onlySpace)
                newLine();
            if (x == 0 && onlySpace)
                return;
            lineHeight = std::max(lineHeight, metrics.height());
            pieces.append(Piece {text, i, QRect(x, y, w, metrics.height())});
            x += w;
        };
        for (const QChar c : run.text) {
            word += c;
            if (c == QLatin1Char(' ')) {
                place(word);
                word.clear();
            }
        }
        place(word);
    }
    if (height)
        *height = pieces.isEmpty() && m_runs.isEmpty() ? 0 : y + lineHeight;
    return pieces;
}

int CXHtmlStatic::heightForWidth(int width) const
{
    int height = 0;
    Layout(std::max(width, 1), &height);
    return height;
}

QSize CXHtmlStatic::sizeHint() const
{
    const int width = 360;
    return QSize(width, heightForWidth(width));
}

QSize CXHtmlStatic::minimumSizeHint() const
{
    return QSize(120, QFontMetrics(font()).height());
}

void CXHtmlStatic::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QList<Piece> pieces = Layout(width(), nullptr);
    const QColor text = palette().color(foregroundRole());
    const QColor background = palette().color(backgroundRole());
    for (const Piece& piece : pieces) {
        const CXHtmlMarkup::Run& run = m_runs[piece.run];
        painter.setFont(FontOf(run));
        // A colour of the markup stays readable on every look's background.
        painter.setPen(run.color.isValid() ? CXContrast::Readable(run.color, background) : text);
        painter.drawText(piece.rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, piece.text);
    }
}

void CXHtmlStatic::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange)
        updateGeometry();
}
