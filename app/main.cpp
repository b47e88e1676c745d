#include "app/CLumetraApp.h"
#include "app/InstanceMessages.h"
#include "framework/CMDIFrameWndEx.h"
#include "platform/TerminationSignals.h"

#include <QWidget>

int main(int argc, char** argv)
{
    // The registered messages exist before the application starts up.
    InstanceMessages::Get();

    CLumetraApp app(argc, argv);
    // A termination request closes the main window as the user would; one
    // that arrives during start-up is handled once the event loop runs.
    platform::InstallTerminationHandler([&app] {
        if (QWidget* window = app.GetMainWnd())
            window->close();
        else
            app.quit();
    });
    if (!app.InitInstance())
        return 1;
    app.exec();
    return app.ExitInstance();
}
