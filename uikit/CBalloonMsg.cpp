#include "uikit/CBalloonMsg.h"

#include "platform/COXRegistryItem.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>
#include <QTextLayout>
#include <QTimer>

namespace {

constexpr int kPadding = 9;
constexpr int kStem = 14;
constexpr int kIconSize = 16;

const char* const kBalloonSetting
    = "\\CurrentUser\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced\\EnableBalloonTips";

QStyle::StandardPixmap IconPixmap(int icon)
{
    switch (icon) {
    case CBalloonMsg::kIconInfo:
        return QStyle::SP_MessageBoxInformation;
    case CBalloonMsg::kIconError:
        return QStyle::SP_MessageBoxCritical;
    default:
        return QStyle::SP_MessageBoxWarning;
    }
}

void ShowAsMessageBox(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox::warning(parent, title, text);
}

} // namespace

bool CBalloonMsg::FocusSnapshot::operator==(const FocusSnapshot& other) const
{
    return active == other.active && focus == other.focus && grabber == other.grabber && state == other.state;
}

bool CBalloonMsg::BalloonTipsEnabled()
{
    COXRegistryItem item {QString::fromLatin1(kBalloonSetting)};
    const std::uint32_t value = item.GetNumberValue(1);
    return value != 0;
}

CBalloonMsg* CBalloonMsg::Show(QWidget* window, const QString& title, const QString& text, int icon)
{
    QWidget* owner = window ? window : QApplication::activeWindow();
    if (!BalloonTipsEnabled() || !owner) {
        ShowAsMessageBox(owner, title, text);
        return nullptr;
    }
    const QPoint anchor = owner->mapToGlobal(owner->rect().center());
    auto* balloon = new CBalloonMsg(title, text, icon, anchor);
    balloon->FollowWindow(owner->window());
    balloon->show();
    return balloon;
}

void CBalloonMsg::FollowWindow(QWidget* window)
{
    m_window = window;
    if (window) {
        window->installEventFilter(this);
        connect(window, &QObject::destroyed, this, &QWidget::close);
    }
}

bool CBalloonMsg::eventFilter(QObject* watched, QEvent* event)
{
    // A balloon outliving its dialog would point at nothing.
    if (watched == m_window && (event->type() == QEvent::Hide || event->type() == QEvent::Close))
        close();
    return QWidget::eventFilter(watched, event);
}

CBalloonMsg::CBalloonMsg(const QString& title, const QString& text, int icon, const QPoint& anchor)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus), m_title(title),
      m_text(text), m_icon(icon), m_anchor(anchor), m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("balloonMessage"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    Layout();
    m_timer->setInterval(kTickMs);
    connect(m_timer, &QTimer::timeout, this, &CBalloonMsg::OnTick);
    m_timer->start();
}

void CBalloonMsg::Layout()
{
    QFont bold = font();
    bold.setBold(true);
    const QFontMetrics titleMetrics(bold);
    const QFontMetrics textMetrics(font());
    const QRect textRect = textMetrics.boundingRect(QRect(0, 0, kMaxTipWidth, 1000), Qt::TextWordWrap, m_text);
    const int titleWidth = (m_icon ? kIconSize + 6 : 0) + titleMetrics.horizontalAdvance(m_title);
    const int width = std::max(textRect.width(), titleWidth) + 2 * kPadding;
    const int height = std::max(titleMetrics.height(), kIconSize) + 6 + textRect.height() + 2 * kPadding;

    // Below the field when there is room, else above it; the stem near the left.
    const QScreen* screen = QGuiApplication::screenAt(m_anchor);
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 4096, 4096);
    m_stemUp = m_anchor.y() + kStem + height <= available.bottom();
    const int left
        = std::clamp(m_anchor.x() - 24, available.left(), std::max(available.left(), available.right() - width));
    const int top = m_stemUp ? m_anchor.y() : m_anchor.y() - kStem - height;
    setGeometry(left, top, width + 1, height + kStem + 1);
    m_bubble = QRect(0, m_stemUp ? kStem : 0, width, height);
}

void CBalloonMsg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int stemX = std::clamp(m_anchor.x() - x(), 12, m_bubble.width() - 12);
    QPainterPath path;
    path.addRoundedRect(QRectF(m_bubble).adjusted(0.5, 0.5, -0.5, -0.5), 7, 7);
    QPainterPath stem;
    if (m_stemUp) {
        stem.moveTo(stemX, 0.5);
        stem.lineTo(stemX + 4, kStem + 1);
        stem.lineTo(stemX + 18, kStem + 1);
    } else {
        stem.moveTo(stemX, height() - 0.5);
        stem.lineTo(stemX + 4, m_bubble.bottom() - 1);
        stem.lineTo(stemX + 18, m_bubble.bottom() - 1);
    }
    stem.closeSubpath();
    path = path.united(stem);
    painter.setPen(QPen(QColor(0x76, 0x76, 0x76), 1));
    painter.setBrush(QColor(0xff, 0xff, 0xe1));
    painter.drawPath(path);

    int x = m_bubble.left() + kPadding;
    const int y = m_bubble.top() + kPadding;
    if (m_icon) {
        const QIcon icon = style()->standardIcon(IconPixmap(m_icon));
        icon.paint(&painter, QRect(x, y, kIconSize, kIconSize));
        x += kIconSize + 6;
    }
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(Qt::black);
    const int titleHeight = std::max(QFontMetrics(bold).height(), kIconSize);
    painter.drawText(QRect(x, y, m_bubble.width(), titleHeight), Qt::AlignLeft | Qt::AlignVCenter, m_title);
    painter.setFont(font());
    painter.drawText(QRect(m_bubble.left() + kPadding, y + titleHeight + 6, kMaxTipWidth, m_bubble.height()),
        Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, m_text);
}

void CBalloonMsg::mousePressEvent(QMouseEvent*)
{
    close();
}

CBalloonMsg::FocusSnapshot CBalloonMsg::TakeSnapshot()
{
    return FocusSnapshot {QApplication::activeWindow(), QApplication::focusWidget(), QWidget::mouseGrabber(),
        static_cast<int>(QGuiApplication::applicationState())};
}

void CBalloonMsg::OnTick()
{
    ++m_ticks;
    if (m_ticks * kTickMs >= kLifetimeMs) {
        close();
        return;
    }
    const FocusSnapshot now = TakeSnapshot();
    if (!m_haveSnapshot) {
        if (now.focus) {
            m_snapshot = now;
            m_haveSnapshot = true;
        }
        return;
    }
    if (!(now == m_snapshot))
        close();
}
