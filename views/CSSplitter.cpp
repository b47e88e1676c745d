#include "views/CSSplitter.h"

#include "framework/CWinAppEx.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

namespace {

//! A rectangle from its edges, right and bottom exclusive.
QRect Edges(int left, int top, int right, int bottom)
{
    return QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
}

} // namespace

CSSplitter::CSSplitter(int id, QWidget* parent) : QFrame(parent), m_id(id), m_tracker(new QWidget(this))
{
    setObjectName(QStringLiteral("splitter"));
    setProperty("controlId", id);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setMouseTracking(true);
    // The focus is taken by hand when a drag starts, after noting who had it.
    setFocusPolicy(Qt::NoFocus);
    m_tracker->setObjectName(QStringLiteral("splitterTracker"));
    m_tracker->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_tracker->setAutoFillBackground(true);
    QPalette palette = m_tracker->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Highlight));
    m_tracker->setPalette(palette);
    m_tracker->hide();
}

CSSplitter::~CSSplitter()
{
    if (m_dragging)
        qApp->removeEventFilter(this);
    if (m_bottomRect.isEmpty())
        return;
    if (auto* app = CWinAppEx::Instance()) {
        if (!app->WriteProfileInt(ProfileSection(), QLatin1String(kPositionEntry), m_bottomRect.height()))
            qWarning("CSSplitter: the pane height could not be stored in %s", qPrintable(ProfileSection()));
    }
}

QString CSSplitter::ProfileSection() const
{
    return QLatin1String(kSectionPrefix) + QString::number(m_id);
}

void CSSplitter::Create(const QRect& rect, QWidget* view, QWidget* top, QWidget* bottom)
{
    setParent(view);
    setGeometry(rect);
    show();
    if (top)
        top->setParent(this);
    if (bottom)
        bottom->setParent(this);
    SetPanes(top, bottom);
    m_tracker->raise();
}

QRect CSSplitter::Client() const
{
    const QRect contents = contentsRect();
    return QRect(0, 0, contents.width(), contents.height());
}

void CSSplitter::SetPanes(QWidget* top, QWidget* bottom)
{
    m_horizontal = true;
    m_top = top;
    m_bottom = bottom;
    int stored = kDefaultBottomHeight;
    if (auto* app = CWinAppEx::Instance())
        stored = app->GetProfileInt(ProfileSection(), QLatin1String(kPositionEntry), kDefaultBottomHeight);
    m_bottomHeight = stored;
    if (m_top)
        m_top->show();
    if (m_bottom)
        m_bottom->show();
    // A stored height from a bigger window still leaves the top pane its minimum.
    PlaceBar(Clamp(Client().height() - kBarWidth / 2 - m_bottomHeight));
    if (m_bottomHidden) {
        if (m_bottom)
            m_bottom->hide();
        MovePane(m_top, Client());
    }
}

void CSSplitter::HideBottomPane()
{
    if (!m_horizontal || m_bottomHidden || !m_bottom)
        return;
    m_bottomHidden = true;
    m_barRect = QRect();
    m_bottom->hide();
    MovePane(m_top, Client());
}

int CSSplitter::Clamp(int y) const
{
    const QRect client = Client();
    y = std::min(y, client.bottom() + 1 - kMinBottomHeight);
    return std::max(y, client.top() + kMinTopHeight);
}

void CSSplitter::MovePane(QWidget* pane, const QRect& rect)
{
    if (pane)
        pane->setGeometry(rect.translated(contentsRect().topLeft()));
}

void CSSplitter::PlaceBar(int y)
{
    const QRect client = Client();
    const int w = kBarWidth;
    m_barRect = Edges(0, y - w, client.width(), y + w);
    m_bottomRect = Edges(client.left(), y + w / 2, client.right() + 1, client.bottom() + 1);
    MovePane(m_bottom, m_bottomRect);
    m_topRect = Edges(client.left(), client.top(), client.right() + 1, m_bottomRect.top() - w);
    MovePane(m_top, m_topRect);
}

void CSSplitter::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    if (!m_horizontal)
        return;
    if (m_bottomHidden) {
        MovePane(m_top, Client());
        return;
    }
    PlaceBar(Clamp(Client().height() - kBarWidth / 2 - m_bottomHeight));
}

void CSSplitter::DrawTracker(int y)
{
    const QRect band = Edges(0, y - kBarWidth, Client().width(), y + kBarWidth);
    m_tracker->setGeometry(band.translated(contentsRect().topLeft()));
    m_tracker->show();
    m_tracker->raise();
}

void CSSplitter::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint() - contentsRect().topLeft();
    if (event->button() != Qt::LeftButton || !m_horizontal || m_bottomHidden || !m_barRect.contains(pos)) {
        QFrame::mousePressEvent(event);
        return;
    }
    m_windowAtDragStart = geometry();
    m_dragStart = pos.y();
    m_trackedY = pos.y();
    DrawTracker(m_trackedY);
    m_focusBeforeDrag = QApplication::focusWidget();
    setFocus(Qt::MouseFocusReason);
    setCursor(Qt::SizeVerCursor);
    // Escape is taken before any widget sees it, wherever the focus went.
    qApp->installEventFilter(this);
    m_dragging = true;
    event->accept();
}

void CSSplitter::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint() - contentsRect().topLeft();
    if (m_dragging) {
        m_trackedY = Clamp(pos.y());
        DrawTracker(m_trackedY);
        event->accept();
        return;
    }
    if (m_horizontal && !m_bottomHidden && m_barRect.contains(pos))
        setCursor(Qt::SizeVerCursor);
    else
        unsetCursor();
    QFrame::mouseMoveEvent(event);
}

void CSSplitter::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_dragging || event->button() != Qt::LeftButton) {
        QFrame::mouseReleaseEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint() - contentsRect().topLeft();
    const int y = Clamp(pos.y());
    m_tracker->hide();
    PlaceBar(y);
    m_bottomHeight = m_bottomRect.height();
    EndDrag();
    event->accept();
}

void CSSplitter::EndDrag()
{
    qApp->removeEventFilter(this);
    m_dragging = false;
    unsetCursor();
}

void CSSplitter::CancelDrag()
{
    m_tracker->hide();
    EndDrag();
    if (m_focusBeforeDrag)
        m_focusBeforeDrag->setFocus(Qt::OtherFocusReason);
}

bool CSSplitter::eventFilter(QObject* watched, QEvent* event)
{
    if (m_dragging && event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        CancelDrag();
        return true;
    }
    return QFrame::eventFilter(watched, event);
}
