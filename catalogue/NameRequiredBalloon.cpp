#include "catalogue/NameRequiredBalloon.h"

#include "app/ResourceStrings.h"
#include "uikit/CBalloonMsg.h"

void ShowNameRequiredBalloon(QWidget* field)
{
    CBalloonMsg::Show(field, LoadResourceString(327), LoadResourceString(315), CBalloonMsg::kIconWarning);
}
