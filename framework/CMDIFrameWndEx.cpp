#include "framework/CMDIFrameWndEx.h"

#include "framework/CMDIChildWndEx.h"
#include "framework/CView.h"

#include <QAction>
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

bool CMDIFrameWndEx::OnCmdMsg(int)
{
    return false;
}

bool CMDIFrameWndEx::HandlesCommand(int) const
{
    return false;
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
