#include "app/CCorvaneConfig.h"

#include "platform/COXRegistryItem.h"
#include "platform/DirectoryChain.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QString WithoutTrailingSeparator(QString text)
{
    if (!text.isEmpty() && text.endsWith(QLatin1Char('/')))
        text.chop(1);
    return text;
}

} // namespace

CCorvaneConfig::CCorvaneConfig(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("pathsDialog"));
    setWindowTitle(QStringLiteral("Lumetra Properties"));
    setProperty("dialogId", 350);

    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(10);
    m_reportPath = AddFolderRow(grid, 0, 1009, QStringLiteral("Report Path:"), QStringLiteral("reportPath"));
    m_dataPath = AddFolderRow(grid, 1, 1010, QStringLiteral("Datasource path:"), QStringLiteral("dataPath"));
    m_exportPath = AddFolderRow(grid, 2, 1012, QStringLiteral("Export path:"), QStringLiteral("exportPath"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CCorvaneConfig::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CCorvaneConfig::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addWidget(buttons);
    setMinimumWidth(520);

    // The dialog shows the stored values, not the running program's folders.
    m_dataPath->setText(WithoutTrailingSeparator(ReadValue(QStringLiteral("DataPath"))));
    m_reportPath->setText(WithoutTrailingSeparator(ReadValue(QStringLiteral("ReportPath"))));
    m_exportPath->setText(WithoutTrailingSeparator(ReadValue(QStringLiteral("ExportPath"))));
}

QLineEdit* CCorvaneConfig::AddFolderRow(
    QGridLayout* grid, int row, int controlId, const QString& label, const QString& objectName)
{
    auto* edit = new QLineEdit(this);
    edit->setObjectName(objectName + QStringLiteral("Edit"));
    edit->setProperty("controlId", controlId);
    auto* caption = new QLabel(label, this);
    caption->setBuddy(edit);
    auto* browse = new QToolButton(this);
    browse->setObjectName(objectName + QStringLiteral("BrowseButton"));
    browse->setText(QStringLiteral("..."));
    browse->setToolTip(tr("Browse for a folder"));
    connect(browse, &QToolButton::clicked, this, [this, edit, label] {
        const QString folder = QFileDialog::getExistingDirectory(this, label, edit->text());
        if (!folder.isEmpty())
            edit->setText(folder);
    });
    grid->addWidget(caption, row, 0);
    grid->addWidget(edit, row, 1);
    grid->addWidget(browse, row, 2);
    return edit;
}

QString CCorvaneConfig::ReadValue(const QString& name)
{
    COXRegistryItem item(QLatin1String(kKeyPath) + name);
    item.Open(true, platform::kKeyAllAccess);
    return item.GetStringValue(QString());
}

void CCorvaneConfig::accept()
{
    const std::pair<QString, QLineEdit*> values[] = {
        {QStringLiteral("DataPath"), m_dataPath},
        {QStringLiteral("ReportPath"), m_reportPath},
        {QStringLiteral("ExportPath"), m_exportPath},
    };
    QString folders[3];
    for (int i = 0; i < 3; ++i) {
        folders[i] = values[i].second->text() + QLatin1Char('/');
        platform::MakeDirectoryChain(folders[i]);
    }
    for (int i = 0; i < 3; ++i) {
        COXRegistryItem item(QLatin1String(kKeyPath) + values[i].first);
        item.SetStringValue(folders[i], platform::kRegSz, static_cast<int>((folders[i].size() + 1) * 2));
    }
    QDialog::accept();
}
