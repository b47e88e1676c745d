#include "views/CDravikView.h"

#include "app/CLumetraApp.h"
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
    // A new Office report shows the document it was made from until the
    // document view exists.
    if (hint == ids.MSG_NEW_INST7) {
        if (const auto* app = CLumetraApp::Instance()) {
            XHTMLTREEDATA record = app->NewReportSource1;
            record.strPlainText = app->CurrentReportName;
            m_placeholder.Show(record);
        }
    }
}
