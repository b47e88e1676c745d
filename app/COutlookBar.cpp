#include "app/COutlookBar.h"

#include "app/ResourceStrings.h"

COutlookBar::COutlookBar(QWidget* parent) : CNavigationBar(LoadResourceString(252), parent)
{
    setProperty("controlId", kControlId);
    setProperty("barName", LoadResourceString(258));
}
