#pragma once

class QWidget;

//! Shows "Please enter a name" in a balloon titled "Lumetra" at field (the
//! texts of string table entries 315 and 327); see CBalloonMsg.
void ShowNameRequiredBalloon(QWidget* field);
