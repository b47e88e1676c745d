#include "framework/CMDIFrameWndEx.h"

#include "framework/CMDIChildWndEx.h"
#include "framework/CView.h"
#include "framework/CommandIds.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTabBar>
#include <QTimer>

CMDIFrameWndEx::CMDIFrameWndEx(QWidget* parent)
    : QMainWindow(parent), m_mdiArea(new QMdiArea(this)), m_idleTimer(new QTimer(this))
{
    m_mdiArea->setObjectName(QStringLiteral("mdiArea"));
    m_mdiArea->setViewMode(QMdiArea::TabbedView);
    m_mdiArea->setTabsClosable(true);
    m_mdiArea->setTabsMovable(true);
    m_mdiArea->setDocumentMode(true);
    // Tabs as wide as their titles, not stretched over the whole row.
    for (QTabBar* tabs : m_mdiArea->findChildren<QTabBar*>())
        tabs->setExpanding(false);
    setCentralWidget(m_mdiArea);
    // Update handlers run when the program is idle, as they do after each message.
    m_idleTimer->setInterval(250);
    connect(m_idleTimer, &QTimer::timeout, this, &CMDIFrameWndEx::UpdateCommandUI);
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &CMDIFrameWndEx::UpdateCommandUI);
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &CMDIFrameWndEx::UpdateFrameTitle);
    m_idleTimer->start();
}

CMDIFrameWndEx::~CMDIFrameWndEx()
{
    // The document area closes its windows after this part of the object is gone.
    m_idleTimer->stop();
    disconnect(m_mdiArea, nullptr, this, nullptr);
}

CMDIChildWndEx* CMDIFrameWndEx::MDIGetActive() const
{
    return qobject_cast<CMDIChildWndEx*>(m_mdiArea->activeSubWindow());
}

void CMDIFrameWndEx::AddChildFrame(CMDIChildWndEx* frame)
{
    // A report window that gets its name after it was shown renames the caption too.
    connect(frame, &QWidget::windowTitleChanged, this, &CMDIFrameWndEx::UpdateFrameTitle);
    m_mdiArea->addSubWindow(frame);
    frame->showMaximized();
    m_mdiArea->setActiveSubWindow(frame);
}

bool CMDIFrameWndEx::OnCommand(int id)
{
    if (CMDIChildWndEx* child = MDIGetActive()) {
        if (CView* view = child->GetActiveView(); view && view->HandlesCommand(id) && view->OnCmdMsg(id))
            return true;
    }
    return HandlesCommand(id) && OnCmdMsg(id);
}

bool CMDIFrameWndEx::IsCommandEnabled(int id) const
{
    if (CMDIChildWndEx* child = MDIGetActive()) {
        if (CView* view = child->GetActiveView(); view && view->HandlesCommand(id))
            return true;
    }
    return HandlesCommand(id);
}

bool CMDIFrameWndEx::OnCmdMsg(int id)
{
    if (id == cmd::kNextPane || id == cmd::kPrevPane) {
        CyclePane(id == cmd::kNextPane);
        return true;
    }
    return false;
}

bool CMDIFrameWndEx::HandlesCommand(int id) const
{
    return id == cmd::kNextPane || id == cmd::kPrevPane;
}

QList<QWidget*> CMDIFrameWndEx::FocusPanes() const
{
    QList<QWidget*> panes;
    if (CMDIChildWndEx* child = MDIGetActive())
        panes.append(child->GetActiveView() ? static_cast<QWidget*>(child->GetActiveView()) : child);
    return panes;
}

void CMDIFrameWndEx::CyclePane(bool forward)
{
    QList<QWidget*> panes = FocusPanes();
    panes.removeAll(nullptr);
    if (panes.isEmpty())
        return;
    const QWidget* focus = QApplication::focusWidget();
    qsizetype current = -1;
    for (qsizetype i = 0; i < panes.size() && focus; ++i) {
        if (panes[i] == focus || panes[i]->isAncestorOf(focus)) {
            current = i;
            break;
        }
    }
    const qsizetype count = panes.size();
    qsizetype next = 0;
    if (current < 0)
        next = forward ? 0 : count - 1;
    else
        next = (current + (forward ? 1 : count - 1)) % count;
    QWidget* pane = panes[next];
    // A pane that takes no focus itself hands it to its first child that does.
    QWidget* target = pane;
    if (!(pane->focusPolicy() & Qt::TabFocus)) {
        for (QWidget* w = pane->nextInFocusChain(); w && w != pane; w = w->nextInFocusChain()) {
            if (pane->isAncestorOf(w) && w->isVisibleTo(pane) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
                target = w;
                break;
            }
        }
    }
    // A pane in a floating window of its own needs that window active first.
    if (pane->window() != window())
        pane->window()->activateWindow();
    target->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

void CMDIFrameWndEx::SetFrameTitle(const QString& title)
{
    m_frameTitle = title;
    UpdateFrameTitle();
}

void CMDIFrameWndEx::UpdateFrameTitle()
{
    const QMdiSubWindow* active = m_mdiArea->activeSubWindow();
    const QString report = active ? active->windowTitle() : QString();
    setWindowTitle(report.isEmpty() ? m_frameTitle : report + QStringLiteral(" - ") + m_frameTitle);
}

void CMDIFrameWndEx::OnUpdateCommand(CCmdUI& ui) const
{
    ui.enabled = IsCommandEnabled(ui.id);
}

QAction* CMDIFrameWndEx::CommandAction(int id)
{
    if (QAction* action = m_actions.value(id))
        return action;
    auto* action = new QAction(this);
    action->setObjectName(QStringLiteral("command%1").arg(id));
    action->setData(id);
    connect(action, &QAction::triggered, this, [this, id] {
        OnCommand(id);
        UpdateCommandUI();
    });
    m_actions.insert(id, action);
    addAction(action); // shortcuts work wherever the focus is in the window
    return action;
}

void CMDIFrameWndEx::UpdateCommandUI()
{
    for (auto it = m_actions.constBegin(); it != m_actions.constEnd(); ++it) {
        CCmdUI ui;
        ui.id = it.key();
        OnUpdateCommand(ui);
        QAction* action = it.value();
        action->setEnabled(ui.enabled);
        action->setCheckable(ui.checked || ui.radio || action->isCheckable());
        action->setChecked(ui.checked);
    }
}

void CMDIFrameWndEx::WatchMenu(QMenu* menu)
{
    connect(menu, &QMenu::aboutToShow, this, &CMDIFrameWndEx::UpdateCommandUI);
}

void CMDIFrameWndEx::closeEvent(QCloseEvent* event)
{
    m_mdiArea->closeAllSubWindows();
    // Windows close on a deferred delete; one that refused is still visible.
    for (QMdiSubWindow* window : m_mdiArea->subWindowList()) {
        if (window->isVisible()) {
            event->ignore();
            return;
        }
    }
    QMainWindow::closeEvent(event);
}
