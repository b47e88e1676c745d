#include "views/CLumetraView.h"

CLumetraView::CLumetraView(QWidget* parent) : CView(parent)
{
    setObjectName(QStringLiteral("olapReportView"));
}
