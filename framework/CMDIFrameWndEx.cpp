#include "framework/CMDIFrameWndEx.h"

#include "framework/CMDIChildWndEx.h"
#include "framework/CView.h"

#include <QMdiArea>
#include <QTabBar>

CMDIFrameWndEx::CMDIFrameWndEx(QWidget* parent) : QMainWindow(parent), m_mdiArea(new QMdiArea(this))
{
    m_mdiArea->setObjectName(QStringLiteral("mdiArea"));
    m_mdiArea->setViewMode(QMdiArea::TabbedView);
    m_mdiArea->setTabsClosable(true);
    m_mdiArea->setTabsMovable(true);
    m_mdiArea->setDocumentMode(true);
    setCentralWidget(m_mdiArea);
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
