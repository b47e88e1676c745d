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
    if (!app.InitInstance())
        return 1;
    // A termination request closes the main window as the user would.
    platform::InstallTerminationHandler([&app] {
        if (QWidget* window = app.GetMainWnd())
            window->close();
        else
            app.quit();
    });
    app.exec();
    return app.ExitInstance();
}
