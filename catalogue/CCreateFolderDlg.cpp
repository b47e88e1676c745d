#include "catalogue/CCreateFolderDlg.h"

#include "catalogue/NameRequiredBalloon.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CCreateFolderDlg::CCreateFolderDlg(QWidget* parent) : QDialog(parent), m_edit(new QLineEdit(this))
{
    setObjectName(QStringLiteral("createFolderDialog"));
    setWindowTitle(QStringLiteral("Create folder"));
    setWindowIcon(QIcon(QStringLiteral(":/images/folder.svg")));
    m_edit->setObjectName(QStringLiteral("folderNameEdit"));
    m_edit->setProperty("controlId", 1064);
    m_edit->setMinimumWidth(230);
    auto* label = new QLabel(QStringLiteral("Create folder:"), this);
    label->setBuddy(m_edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CCreateFolderDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CCreateFolderDlg::reject);
    auto* layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0);
    layout->addWidget(m_edit, 0, 1);
    layout->addWidget(buttons, 1, 0, 1, 2);
}

void CCreateFolderDlg::accept()
{
    m_folderName = m_edit->text();
    if (m_folderName.isEmpty()) {
        ShowNameRequiredBalloon(m_edit);
        return;
    }
    QDialog::accept();
}
