#pragma once

#include <QDialog>

class QLineEdit;

//! "Lumetra Import Report": asks for the path of an existing report file
//! (typed or chosen with the browse button). No check is made on it.
class CImportReportDlg : public QDialog {
    Q_OBJECT
public:
    explicit CImportReportDlg(QWidget* parent = nullptr);
    //! The path entered; valid after the dialog ended with OK.
    QString FilePath() const { return m_path; }

    void accept() override;

private:
    QLineEdit* m_edit;
    QString m_path;
};
