#include "views/CDravikView.h"

CDravikView::CDravikView(QWidget* parent) : CView(parent)
{
    setObjectName(QStringLiteral("officeReportView"));
}
