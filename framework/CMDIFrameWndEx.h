#pragma once

#include <QMainWindow>

class QMdiArea;
class CMDIChildWndEx;

//! The main window of a multiple-document program: report windows are tabs
//! of its document area. Commands go to the active report window's view
//! first and then to the window itself.
class CMDIFrameWndEx : public QMainWindow {
    Q_OBJECT
public:
    explicit CMDIFrameWndEx(QWidget* parent = nullptr);

    QMdiArea* MdiArea() const { return m_mdiArea; }
    //! The active report window, or null.
    CMDIChildWndEx* MDIGetActive() const;
    //! Adds a report window as a tab and shows it.
    void AddChildFrame(CMDIChildWndEx* frame);

    //! Routes command id: the active view, then OnCmdMsg; true when handled.
    bool OnCommand(int id);
    //! Whether command id is available now (a handler exists on the route).
    bool IsCommandEnabled(int id) const;

protected:
    //! The window's own command handlers; the default handles none.
    virtual bool OnCmdMsg(int id);
    virtual bool HandlesCommand(int id) const;

private:
    QMdiArea* m_mdiArea;
};
