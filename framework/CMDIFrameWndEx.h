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

    //! Moves the keyboard focus to the next (or previous) pane of FocusPanes(),
    //! after the one that holds the focus now; from outside every pane to the
    //! first (or last). Nothing happens when there is no pane.
    void CyclePane(bool forward);
    //! The panes F6 and Shift+F6 move among, in order; the default is the
    //! active report window's view.
    virtual QList<QWidget*> FocusPanes() const;

    //! The program title; the caption shows "report - title" while a report
    //! window is active, else the title alone.
    void SetFrameTitle(const QString& title);
    QString FrameTitle() const { return m_frameTitle; }

protected:
    //! The window's own command handlers; the default handles next pane and
    //! previous pane (57680, 57681).
    virtual bool OnCmdMsg(int id);
    virtual bool HandlesCommand(int id) const;
    //! The update handler: the default enables the commands that have a
    //! handler on the route (active view, then window).
    virtual void OnUpdateCommand(CCmdUI& ui) const;
    //! Closes every report window first (each may ask to save); when one
    //! refuses, the main window stays open.
    void closeEvent(QCloseEvent* event) override;

private:
    void UpdateFrameTitle();

    QMdiArea* m_mdiArea;
    QString m_frameTitle;
    QHash<int, QAction*> m_actions;
    QTimer* m_idleTimer;
};
