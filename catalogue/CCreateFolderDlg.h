#pragma once

#include <QDialog>

class QLineEdit;

//! "Create folder": asks for the name of a new folder. OK with an empty
//! name points the name-required balloon at the field and keeps the dialog
//! open.
class CCreateFolderDlg : public QDialog {
    Q_OBJECT
public:
    explicit CCreateFolderDlg(QWidget* parent = nullptr);
    //! The name entered; valid after the dialog ended with OK.
    QString FolderName() const { return m_folderName; }

    void accept() override;

private:
    QLineEdit* m_edit;
    QString m_folderName;
};
