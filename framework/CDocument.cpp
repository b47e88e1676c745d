#include "framework/CDocument.h"

#include "framework/CView.h"

void CDocument::AddView(CView* view)
{
    if (view && !m_views.contains(view)) {
        m_views.append(view);
        view->SetDocument(this);
    }
}

void CDocument::RemoveView(CView* view)
{
    m_views.removeAll(view);
}

void CDocument::UpdateAllViews(CView* sender, unsigned hint, void* object)
{
    // A view may close itself while it updates: iterate over a copy.
    const QList<CView*> views = m_views;
    for (CView* view : views) {
        if (view != sender && m_views.contains(view))
            view->OnUpdate(sender, hint, object);
    }
}

bool CDocument::SaveModified()
{
    return true;
}
