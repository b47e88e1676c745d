#include "app/CMainFrame.h"

#include "app/CCorvaneConfig.h"
#include "app/ResourceStrings.h"
#include "framework/CommandIds.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QStatusBar>

CMainFrame::CMainFrame(QWidget* parent) : CMDIFrameWndEx(parent)
{
    setObjectName(QStringLiteral("mainFrame"));
}

bool CMainFrame::LoadFrame()
{
    setWindowTitle(LoadResourceString(128));
    setWindowIcon(QIcon(QStringLiteral(":/images/lumetra.svg")));
    resize(1200, 800);

    auto addCommand = [this](QMenu* menu, const QString& text, int id, const QKeySequence& shortcut = {}) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QStringLiteral("command%1").arg(id));
        action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        return action;
    };
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->setObjectName(QStringLiteral("fileMenu"));
    addCommand(file, tr("E&xit"), cmd::kAppExit);
    QMenu* sources = menuBar()->addMenu(tr("Cubes/&Sources"));
    sources->setObjectName(QStringLiteral("sourcesMenu"));
    addCommand(sources, LoadResourceString(326), cmd::kManagePath);

    statusBar()->setObjectName(QStringLiteral("statusBar"));
    statusBar()->showMessage(tr("Ready"));
    return true;
}

std::intptr_t CMainFrame::OnMessage(unsigned, std::uintptr_t, std::intptr_t)
{
    return 0;
}

bool CMainFrame::HandlesCommand(int id) const
{
    return id == cmd::kManagePath || id == cmd::kAppExit;
}

bool CMainFrame::OnCmdMsg(int id)
{
    switch (id) {
    case cmd::kManagePath:
        OnManagePath();
        return true;
    case cmd::kAppExit:
        close();
        return true;
    default:
        return false;
    }
}

void CMainFrame::OnManagePath()
{
    CCorvaneConfig dialog(this);
    dialog.exec();
}
