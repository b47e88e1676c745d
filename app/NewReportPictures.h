#pragma once

#include <QPixmap>

//! The pictures of the seven report types on the New report dialog's
//! buttons, drawn at size: a table, a chart, the two stacked (joined by a
//! link for the connected types 3 and 4, apart for 5 and 6), and a document.
QPixmap NewReportPicture(int type, const QSize& size = QSize(56, 44), qreal devicePixelRatio = 1.0);
