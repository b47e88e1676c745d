#include "catalogue/CImportReportDlg.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

CImportReportDlg::CImportReportDlg(QWidget* parent) : QDialog(parent), m_edit(new QLineEdit(this))
{
    setObjectName(QStringLiteral("importReportDialog"));
    setWindowTitle(QStringLiteral("Lumetra Import Report"));
    m_edit->setObjectName(QStringLiteral("importPathEdit"));
    m_edit->setProperty("controlId", 1009);
    m_edit->setMinimumWidth(420);
    auto* browse = new QToolButton(this);
    browse->setObjectName(QStringLiteral("importPathBrowseButton"));
    browse->setText(QStringLiteral("..."));
    connect(browse, &QToolButton::clicked, this, [this] {
        const QString file = QFileDialog::getOpenFileName(this, windowTitle(), m_edit->text());
        if (!file.isEmpty())
            m_edit->setText(file);
    });
    auto* label = new QLabel(QStringLiteral("Import Report:"), this);
    label->setBuddy(m_edit);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CImportReportDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CImportReportDlg::reject);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(m_edit, 1);
    row->addWidget(browse);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
}

void CImportReportDlg::accept()
{
    m_path = m_edit->text();
    QDialog::accept();
}
