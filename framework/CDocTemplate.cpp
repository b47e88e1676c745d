#include "framework/CDocTemplate.h"

#include "framework/CDocument.h"
#include "framework/CMDIChildWndEx.h"
#include "framework/CMDIFrameWndEx.h"
#include "framework/CView.h"

CDocTemplate::CDocTemplate(int resourceId, DocumentFactory document, FrameFactory frame, ViewFactory view)
    : m_resourceId(resourceId), m_document(std::move(document)), m_frame(std::move(frame)), m_view(std::move(view))
{
}

CDocument* CDocTemplate::OpenDocumentFile(CMDIFrameWndEx* mainFrame)
{
    if (!mainFrame)
        return nullptr;
    CDocument* document = m_document();
    CMDIChildWndEx* frame = document ? m_frame() : nullptr;
    CView* view = frame ? m_view() : nullptr;
    if (!view) {
        delete frame;
        delete document;
        return nullptr;
    }
    document->SetDocTemplate(this);
    frame->Attach(document, view);
    mainFrame->AddChildFrame(frame);
    return document;
}
