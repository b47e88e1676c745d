#pragma once

#include "app/ICatalogueDialogs.h"

#include <QDialog>

#include <functional>

class CXHtmlStatic;
class QLineEdit;
class QToolButton;
struct XHTMLTREEDATA;

//! "Create new report...": a report name and seven picture buttons, one per
//! report type. A click asks for the data source (two for the independent
//! table and chart types) or the Office document, puts the choice into the
//! application's new-report state, opens the new report window and closes
//! the dialog. Cancelling a source dialog keeps this one open as it was.
class CNewReportDlg : public QDialog, public INewReportDialog {
    Q_OBJECT
public:
    static constexpr int kTypeCount = 7;

    explicit CNewReportDlg(QWidget* parent = nullptr);

    bool Run(QWidget* parent) override;
    QString ReportName() const override { return m_name; }
    int ReportType() const override { return m_type; }

    //! The description text of a type (1..7), markup included.
    static QString Description(int type);
    QToolButton* TypeButton(int type) const { return m_buttons[type - 1]; }
    CXHtmlStatic* DescriptionStatic(int type) const { return m_descriptions[type - 1]; }
    QLineEdit* NameEdit() const { return m_nameEdit; }

    void OnType(int type);

private:
    //! Runs "Select datasource"; true and *record filled when confirmed.
    bool SelectDataSource(XHTMLTREEDATA* record);
    bool SelectOfficeDocument(XHTMLTREEDATA* record);

    QLineEdit* m_nameEdit;
    QToolButton* m_buttons[kTypeCount] {};
    CXHtmlStatic* m_descriptions[kTypeCount] {};
    QString m_name;
    int m_type = 0;
};
