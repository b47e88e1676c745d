#include "app/TerminationRequest.h"

#include "platform/TerminationSignals.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QWidget>

void HandleTerminationRequest(QWidget* mainWindow)
{
    if (mainWindow == nullptr)
        platform::EndForTerminationSignal();
    // Bounded: a box that refuses to go away must not keep this loop running.
    for (int i = 0; i < 32; ++i) {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr)
            break;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    }
    const QPointer<QWidget> window(mainWindow);
    QMetaObject::invokeMethod(
        mainWindow,
        [window] {
            if (window)
                window->close();
        },
        Qt::QueuedConnection);
}
