#include "framework/CMDIChildWndEx.h"

#include "framework/CDocument.h"
#include "framework/CView.h"

#include <QCloseEvent>

CMDIChildWndEx::CMDIChildWndEx(QWidget* parent) : QMdiSubWindow(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
}

CMDIChildWndEx::~CMDIChildWndEx()
{
    if (m_document) {
        if (m_view)
            m_document->RemoveView(m_view);
        if (m_document->Views().isEmpty())
            m_document->deleteLater();
    }
}

void CMDIChildWndEx::Attach(CDocument* document, CView* view)
{
    m_document = document;
    m_view = view;
    if (document)
        document->AddView(view);
    setWidget(view);
    if (document && !document->GetTitle().isEmpty())
        setWindowTitle(document->GetTitle());
}

void CMDIChildWndEx::closeEvent(QCloseEvent* event)
{
    // Only the last window of a document asks to save it.
    const bool last = !m_document || m_document->Views().size() <= 1;
    if (last && m_document && !m_document->SaveModified()) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}
