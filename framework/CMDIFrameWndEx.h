#pragma once

#include "framework/CCmdUI.h"

#include <QHash>
#include <QMainWindow>

class QAction;
class QMenu;
class QMdiArea;
class QTimer;
class CMDIChildWndEx;

//! The main window of a multiple-document program: report windows are tabs
//! of its document area. Commands go to the active report window's view
//! first and then to the window itself.
class CMDIFrameWndEx : public QMainWindow {
    Q_OBJECT
public:
    explicit CMDIFrameWndEx(QWidget* parent = nullptr);
    ~CMDIFrameWndEx() override;

    QMdiArea* MdiArea() const { return m_mdiArea; }
    //! The active report window, or null.
    CMDIChildWndEx* MDIGetActive() const;
    //! Adds a report window as a tab and shows it.
    void AddChildFrame(CMDIChildWndEx* frame);

    //! Routes command id: the active view, then OnCmdMsg; true when handled.
    bool OnCommand(int id);
    //! Whether command id is available now (a handler exists on the route).
    bool IsCommandEnabled(int id) const;

    //! The one action of command id, shared by ribbon, menus, toolbars and
    //! accelerators; triggering it routes the command.
    QAction* CommandAction(int id);
    //! Refreshes every command action from the update handlers; runs when a
    //! menu opens and when the program is idle.
    void UpdateCommandUI();
    //! Makes the command actions of menu refresh before it shows.
    void WatchMenu(QMenu* menu);

protected:
    //! The window's own command handlers; the default handles none.
    virtual bool OnCmdMsg(int id);
    virtual bool HandlesCommand(int id) const;
    //! The update handler: the default enables the commands that have a
    //! handler on the route (active view, then window).
    virtual void OnUpdateCommand(CCmdUI& ui) const;
    //! Closes every report window first (each may ask to save); when one
    //! refuses, the main window stays open.
    void closeEvent(QCloseEvent* event) override;

private:
    QMdiArea* m_mdiArea;
    QHash<int, QAction*> m_actions;
    QTimer* m_idleTimer;
};
