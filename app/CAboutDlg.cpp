#include "app/CAboutDlg.h"

#include "app/CAboutCtrl.h"
#include "olap/EngineVersionText.h"

#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent), m_control(new CAboutCtrl(Credits(), this))
{
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(QStringLiteral("About Lumetra"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_control);
    // 282 x 137 dialog units of the original box.
    setFixedSize(424, 223);
}

QString CAboutDlg::Credits()
{
    return QStringLiteral("\tLumetra Ver " LUMETRA_VERSION_TEXT "\n\n"
                          "\rBusiness reports over OLAP cubes\n"
                          "\n"
                          "\rMade by the Lumetra team\n"
                          "Reports, favourites and data\n"
                          "sources in one catalogue.\n"
                          "\n"
                          "\rThanks to\n"
                          "Qt, SQLite, pugixml, unixODBC,\n"
                          "libcurl and libxlsxwriter.\n"
                          "\n"
                          "\rCopyright (C) Lumetra\n"
                          "All rights reserved.\n");
}
