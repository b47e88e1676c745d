#include "views/CDravikView.h"

#include "catalogue/XHTMLTREEDATA.h"
#include "platform/messages/InstanceMessages.h"

CDravikView::CDravikView(QWidget* parent) : CView(parent), m_placeholder(this, QStringLiteral(":/images/officedoc.svg"))
{
    setObjectName(QStringLiteral("officeReportView"));
}

void CDravikView::OnUpdate(CView*, unsigned hint, void* object)
{
    const InstanceMessages& ids = InstanceMessages::Get();
    if ((hint == ids.MSG_INST || hint == ids.MSG_USER_INST) && object)
        m_placeholder.Show(*static_cast<const XHTMLTREEDATA*>(object));
}
