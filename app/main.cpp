#include "app/CLumetraApp.h"
#include "app/TerminationRequest.h"
#include "framework/CMDIFrameWndEx.h"
#include "platform/TerminationSignals.h"
#include "platform/messages/InstanceMessages.h"

#include <QWidget>

int main(int argc, char** argv)
{
    // The registered messages exist before the application starts up.
    InstanceMessages::Get();

    CLumetraApp app(argc, argv);
    // A termination request closes the main window as the user would (see
    // HandleTerminationRequest); a second request ends the program at once.
    platform::InstallTerminationHandler([&app] { HandleTerminationRequest(app.GetMainWnd()); });
    if (!app.InitInstance())
        return 1;
    app.exec();
    return app.ExitInstance();
}
