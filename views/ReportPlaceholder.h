#pragma once

#include <QString>

class CView;
class QLabel;
struct XHTMLTREEDATA;

//! Shows in a report view which catalogue report it holds, until the view
//! shows the report itself; titles the document and its window after it.
class ReportPlaceholder {
public:
    //! icon is the image of the report window's tab.
    ReportPlaceholder(CView* view, const QString& icon);
    void Show(const XHTMLTREEDATA& record);

private:
    CView* m_view;
    QLabel* m_label;
    QString m_icon;
};
