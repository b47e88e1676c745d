#pragma once

#include <QDialog>

class CXHtmlTree;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidgetItem;
struct XHTMLTREEDATA;

//! "Add Favorite": files the open report among the user's favourites. "Save
//! in folder" adds it under the selected folder (top level without one) and
//! writes the favourites file at once; "New folder" asks for a folder name
//! and adds the folder. The dialog stays open until Close.
class CFavAddDlg : public QDialog {
    Q_OBJECT
public:
    explicit CFavAddDlg(QWidget* parent = nullptr);
    ~CFavAddDlg() override;

    //! The name to preset; after the dialog, the name last filed.
    void SetName(const QString& name);
    QString Name() const { return m_name; }
    //! The report's record (not owned); copied into every favourite made.
    void SetRecord(XHTMLTREEDATA* record) { m_record = record; }
    XHTMLTREEDATA* Record() const { return m_record; }

    CXHtmlTree* Tree() const { return m_tree; }
    QTreeWidgetItem* TargetFolder() const { return m_target; }

    void OnSaveInFolder();
    void OnNewFolder();

private:
    CXHtmlTree* m_tree;
    QLineEdit* m_nameEdit;
    QLabel* m_problem;
    QString m_name;
    QTreeWidgetItem* m_target = nullptr;
    XHTMLTREEDATA* m_record = nullptr;
};
