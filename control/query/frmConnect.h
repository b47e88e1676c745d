#pragma once

#include "control/query/ConnectStringComposer.h"

#include <QDialog>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class mdxUtil;

//! "Connect to cube": the modal dialog in which the user picks a data source for a report, an
//! OLAP server or a local cube file with a database and a cube, or in SQL mode a relational
//! source or a spreadsheet with a table. The connection string is recomposed (see
//! ConnectStringComposer) at every change of the server or database field, every click of the
//! SQL and user check boxes or the database list, and after a file is picked; the user may edit
//! it, and Connect uses it as it stands. Databases and cubes (tables in SQL mode) are listed
//! through the dialog's own schema utility.
//!
//! Build report and Cancel hide the dialog; the getters return values only while the result is
//! valid, which Connect and Build report make true and Cancel (or closing the window) false.
//! Failures are shown in message boxes and never end the dialog; a password in the connection
//! string is hidden in every message.
class frmConnect : public QDialog {
public:
    //! Picks a file for the local-cube check box; returns "" when the user cancels.
    using FileChooser = std::function<QString(QWidget* parent)>;

    explicit frmConnect(QWidget* parent = nullptr);
    ~frmConnect() override;

    //! The selected cube, or in SQL mode the statement "Select * from <table>".
    QString GetSelectedCube() const;
    //! The text of the server field.
    QString GetSelectedServer() const;
    //! The text of the database field.
    QString GetSelectedDB() const;
    //! The connection string stored at the last recomposition or Connect.
    QString GetConnectionString() const;

    //! Switches to data-source mode: Cancel reads "OK" and keeps the choice, Build report is
    //! hidden.
    void SetDataSourceMode();
    //! What a data-source dialog hands back: server, selected cube and the text of the
    //! connection-string box joined by tabs; empty parts when the dialog was left without a
    //! choice.
    QString DataSourceText() const;

    //! The text of the connection-string box (the user's edits included).
    QString ConnectionStringText() const;
    //! Whether SQL mode is on.
    bool IsSqlMode() const;

    //! Replaces the file dialog of Connect (tests); the default is a QFileDialog titled
    //! "Get Local cube file" that finds cube, SQLite and spreadsheet files.
    void SetFileChooser(FileChooser chooser);

private:
    void Recompose();
    void OnSqlClicked(bool checked);
    void OnUserClicked(bool checked);
    void OnConnect();
    void Connect();
    void OnDatabaseClicked(QListWidgetItem* item);
    void OnBuildReport();
    void OnCancel();
    void ShowMessage(const QString& text, bool critical) const;
    void reject() override;

    QLineEdit* m_txtDriver = nullptr;
    QLineEdit* m_txtServer = nullptr;
    QLineEdit* m_txtDatabase = nullptr;
    QLineEdit* m_txtConnectionString = nullptr;
    QListWidget* m_lbListDB = nullptr;
    QComboBox* m_cbCubes = nullptr;
    QCheckBox* m_ckSQL = nullptr;
    QCheckBox* m_ckUser = nullptr;
    QCheckBox* m_chkFileConnect = nullptr;
    QPushButton* m_cmdConnect = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdCancel = nullptr;

    std::unique_ptr<mdxUtil> m_util;
    FileChooser m_fileChooser;
    QString m_selectedCube;
    QString m_connectionString;
    QString m_provider;
    bool m_resultValid = false;
    bool m_sqlMode = false;
    bool m_userMode = false;
};
