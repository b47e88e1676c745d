#include "control/pivot/PivotPendingNote.h"

#include "control/pivot/PivotSession.h"

namespace pivot {

PivotPendingNote::PivotPendingNote(PivotSession* session, QWidget* parent) : QLabel(parent), m_session(session)
{
    setObjectName(QStringLiteral("pendingLayoutNote"));
    setText(tr("The layout in the areas is not applied yet. <a href=\"update\">Update</a>"));
    setTextFormat(Qt::RichText);
    setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    // A tooltip-like strip from palette roles, so it reads in dark and high-contrast looks.
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::ToolTipBase);
    setForegroundRole(QPalette::ToolTipText);
    setFrameShape(QFrame::StyledPanel);
    setContentsMargins(4, 2, 4, 2);
    connect(this, &QLabel::linkActivated, m_session, [this] { m_session->Update(); });
    connect(m_session, &PivotSession::definitionChanged, this, &PivotPendingNote::Sync);
    connect(m_session, &PivotSession::layoutChanged, this, &PivotPendingNote::Sync);
    connect(m_session, &PivotSession::workingChanged, this, &PivotPendingNote::Sync);
    Sync();
}

void PivotPendingNote::Sync()
{
    setVisible(m_session->IsPending());
}

} // namespace pivot
