#pragma once

#include <QDialog>

class CAboutCtrl;

//! The About box: the scrolling credits over the background picture.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    //! The credits text: a heading line with the program and its version, then the credits.
    static QString Credits();
    CAboutCtrl* Control() const { return m_control; }

private:
    CAboutCtrl* m_control;
};
