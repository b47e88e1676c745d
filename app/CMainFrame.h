#pragma once

#include "framework/CMDIFrameWndEx.h"
#include "platform/messages/MessageTarget.h"

//! The program's main window: the report windows as tabs, the command
//! surface and the status bar.
class CMainFrame : public CMDIFrameWndEx, public platform::MessageTarget {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);

    //! Builds the window's bars and commands; false when that failed.
    bool LoadFrame();

    std::intptr_t OnMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam) override;

protected:
    bool OnCmdMsg(int id) override;
    bool HandlesCommand(int id) const override;

private:
    void OnManagePath();
};
