#include "app/CLumetraApp.h"
#include "app/InstanceMessages.h"
#include "framework/CMDIFrameWndEx.h"
#include "platform/TerminationSignals.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>

int main(int argc, char** argv)
{
    // The registered messages exist before the application starts up.
    InstanceMessages::Get();

    CLumetraApp app(argc, argv);
    // A termination request closes the main window as the user would. Before
    // the main window exists (a message box during start-up) nothing is open
    // to save, so the program ends at once. Open modal boxes are dismissed
    // first, as Escape would, and the window closes once their loops have
    // returned; a second request ends the program at once.
    platform::InstallTerminationHandler([&app] {
        QWidget* window = app.GetMainWnd();
        if (!window)
            platform::EndForTerminationSignal();
        for (int i = 0; i < 32; ++i) {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal)
                break;
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            else
                modal->close();
        }
        QMetaObject::invokeMethod(
            window, [window] { window->close(); }, Qt::QueuedConnection);
    });
    if (!app.InitInstance())
        return 1;
    app.exec();
    return app.ExitInstance();
}
