#include "app/CLumetraDoc.h"

#include "framework/CView.h"
#include "framework/CommandIds.h"

#include <QApplication>
#include <QMessageBox>

bool CLumetraDoc::SaveModified()
{
    if (!IsModified())
        return true;
    const QString title = GetTitle().isEmpty() ? tr("Untitled") : GetTitle();
    QWidget* parent = Views().isEmpty() ? QApplication::activeWindow() : Views().front()->window();
    const auto answer
        = QMessageBox::question(parent, QApplication::applicationDisplayName(), tr("Save changes to %1?").arg(title),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Cancel)
        return false;
    if (answer == QMessageBox::Yes) {
        for (CView* view : Views()) {
            if (view->HandlesCommand(cmd::kFileSave)) {
                view->OnCmdMsg(cmd::kFileSave);
                // A save that failed leaves the document modified: the
                // window stays open so that the changes are not lost.
                if (IsModified())
                    return false;
                break;
            }
        }
    }
    return true;
}
