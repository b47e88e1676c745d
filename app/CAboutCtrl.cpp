#include "app/CAboutCtrl.h"

#include <QFont>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QSvgRenderer>

CAboutCtrl::CAboutCtrl(const QString& credits, QWidget* parent)
    : QWidget(parent), m_text(kTextWidth, kTextHeight, QImage::Format_RGB32)
{
    setObjectName(QStringLiteral("aboutCtrl"));
    setProperty("controlId", 1002);
    DrawText(credits);
    m_timer.setInterval(40);
    connect(&m_timer, &QTimer::timeout, this, &CAboutCtrl::Tick);
    m_timer.start();
}

void CAboutCtrl::DrawText(const QString& credits)
{
    m_text.fill(Qt::white);
    QPainter painter(&m_text);
    int y = 0;
    for (QString line : credits.split(QLatin1Char('\n'))) {
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(14);
        QColor color = Qt::black;
        if (line.startsWith(QLatin1Char('\t'))) {
            font.setPixelSize(20);
            font.setBold(true);
            color = QColor(16, 138, 231);
            line.remove(0, 1);
        } else if (line.startsWith(QLatin1Char('\r'))) {
            font.setBold(true);
            line.remove(0, 1);
        }
        painter.setFont(font);
        painter.setPen(color);
        const QFontMetrics metrics(font);
        painter.drawText(QRect(0, y, kTextWidth, metrics.height()), Qt::AlignLeft | Qt::TextSingleLine, line);
        y += metrics.height();
    }
}

void CAboutCtrl::DrawBackground()
{
    // The picture behind the credits: the program's mark on a blue field at
    // the left, a light page where the text rises.
    m_background = QImage(size(), QImage::Format_RGB32);
    QPainter painter(&m_background);
    QLinearGradient page(0, 0, 0, height());
    page.setColorAt(0, QColor(0xfdfeff));
    page.setColorAt(1, QColor(0xe6eef8));
    painter.fillRect(rect(), page);
    QLinearGradient field(0, 0, 0, height());
    field.setColorAt(0, QColor(0x3a7bd5));
    field.setColorAt(1, QColor(0x1e3c72));
    painter.fillRect(QRect(0, 0, kTextX - 14, height()), field);
    QSvgRenderer logo(QStringLiteral(":/images/lumetra.svg"));
    const int side = 96;
    logo.render(&painter, QRectF((kTextX - 14 - side) / 2.0, height() / 2.0 - side / 2.0 - 14, side, side));
    painter.setPen(Qt::white);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(18);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(
        QRect(0, height() / 2 + side / 2 - 6, kTextX - 14, 28), Qt::AlignCenter, QStringLiteral("Lumetra"));
}

void CAboutCtrl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    DrawBackground();
    m_frame = m_background;
    m_scroll = height();
}

void CAboutCtrl::Tick()
{
    if (m_background.isNull())
        return;
    m_frame = m_background;
    const int visible = kTextHeight - m_scroll - 100;
    if (visible > 0) {
        QPainter painter(&m_frame);
        // White text background leaves the picture as it is; the text darkens it.
        painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        painter.drawImage(QRect(kTextX, m_scroll, kTextWidth, visible), m_text, QRect(0, 0, kTextWidth, visible));
    }
    if (--m_scroll < -kTextHeight)
        m_scroll = height();
    update();
}

void CAboutCtrl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_frame.isNull() ? m_background : m_frame);
}
