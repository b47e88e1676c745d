#pragma once

#include "catalogue/XHTMLTREEDATA.h"

#include <QDialog>

class QFileSystemModel;
class QListView;
class QTreeView;

//! "Select Office document": a folder tree with the files of the selected
//! folder beside it. OK copies the chosen file into the report folder
//! (replacing a file of that name) and gives a record with Filename1 = the
//! copy's full path and Filename2 = the file name. Without a chosen file, or
//! when the copy fails, the dialog says so and stays open.
class CSelectOfficeDocDlg : public QDialog {
    Q_OBJECT
public:
    //! reportPath is the report folder as the program uses it: a prefix to
    //! which the file name is appended.
    CSelectOfficeDocDlg(const QString& reportPath, QWidget* parent = nullptr);

    //! Shows folder in the tree and its files in the list.
    void SelectFolder(const QString& folder);
    //! Chooses a file of the selected folder, as a click in the list does.
    void SelectFile(const QString& fileName);

    QString FolderPath() const { return m_folderPath; }
    QString FileName() const { return m_fileName; }
    const XHTMLTREEDATA& Result() const { return m_result; }

    void accept() override;
    void reject() override;

private:
    QString m_reportPath;
    QString m_folderPath;
    QString m_fileName;
    XHTMLTREEDATA m_result;
    QFileSystemModel* m_folders;
    QFileSystemModel* m_files;
    QTreeView* m_tree;
    QListView* m_list;
};
