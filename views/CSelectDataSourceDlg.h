#pragma once

#include "catalogue/XHTMLTREEDATA.h"

#include <QDialog>

class C_Vantorel;
class CXHtmlTree;

//! "Select datasource": the data-source catalogue in a tree; "Select
//! Datasource" ends the dialog with a copy of the selected item's record.
//! Without a selection the click is ignored.
class CSelectDataSourceDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSelectDataSourceDlg(QWidget* parent = nullptr);

    //! The chosen record; valid after the dialog ended confirmed.
    const XHTMLTREEDATA& Result() const { return m_result; }
    CXHtmlTree* Tree() const { return m_tree; }
    //! The hidden analysis control the dialog hosts.
    C_Vantorel* Control() const { return m_control; }

    void accept() override;

private:
    CXHtmlTree* m_tree;
    C_Vantorel* m_control;
    XHTMLTREEDATA m_result;
};
