#include "framework/CView.h"

#include "framework/CDocument.h"

CView::~CView()
{
    if (m_document)
        m_document->RemoveView(this);
}

void CView::OnUpdate(CView*, unsigned, void*)
{
}

bool CView::OnCmdMsg(int)
{
    return false;
}

bool CView::HandlesCommand(int) const
{
    return false;
}
