#include "catalogue/CSelectOfficeDocDlg.h"

#include "olap/util/AtomicFile.h"
#include "olap/util/RegularFile.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// Copies source over destination so that a failing copy leaves an existing
// destination as it was; error names the file and the reason.
bool CopyReplacing(const QString& source, const QString& destination, QString* error)
{
    if (const std::string problem = olap::RegularFile::Problem(QFile::encodeName(source).toStdString());
        !problem.empty()) {
        *error = QStringLiteral("Cannot read %1").arg(QString::fromStdString(problem));
        return false;
    }
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Cannot read %1: %2").arg(source, in.errorString());
        return false;
    }
    olap::AtomicFile out(QFile::encodeName(destination).toStdString());
    if (!out.Open()) {
        *error = QString::fromStdString(out.Error());
        return false;
    }
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        if (chunk.isEmpty() && in.error() != QFile::NoError)
            break;
        if (!out.Write(std::string_view(chunk.constData(), static_cast<std::size_t>(chunk.size())))) {
            *error = QString::fromStdString(out.Error());
            return false;
        }
    }
    if (in.error() != QFile::NoError) {
        *error = QStringLiteral("Cannot read %1: %2").arg(source, in.errorString());
        return false;
    }
    if (!out.Commit()) {
        *error = QString::fromStdString(out.Error());
        return false;
    }
    return true;
}

} // namespace

CSelectOfficeDocDlg::CSelectOfficeDocDlg(const QString& reportPath, QWidget* parent)
    : QDialog(parent), m_reportPath(reportPath), m_folders(new QFileSystemModel(this)),
      m_files(new QFileSystemModel(this)), m_tree(new QTreeView(this)), m_list(new QListView(this))
{
    setObjectName(QStringLiteral("selectOfficeDocDialog"));
    setWindowTitle(QStringLiteral("Select Office document"));
    setWindowIcon(QIcon(QStringLiteral(":/images/officedoc.svg")));

    m_folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_folders->setRootPath(QDir::rootPath());
    m_tree->setObjectName(QStringLiteral("folderTree"));
    m_tree->setProperty("controlId", 1030);
    m_tree->setModel(m_folders);
    for (int column = 1; column < m_folders->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_tree->header()->hide();

    m_files->setFilter(QDir::Files);
    m_list->setObjectName(QStringLiteral("fileList"));
    m_list->setProperty("controlId", 1044);
    m_list->setModel(m_files);

    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
        [this](const QModelIndex& index) { SelectFolder(m_folders->filePath(index)); });
    // A file counts as chosen when it is selected in the list, by a click or
    // by the keyboard alike.
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const QModelIndexList selected = m_list->selectionModel()->selectedIndexes();
        m_fileName = selected.isEmpty() ? QString() : selected.front().data(Qt::DisplayRole).toString();
    });

    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    QPushButton* ok = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("okButton"));
    buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CSelectOfficeDocDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSelectOfficeDocDlg::reject);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_tree, 3);
    layout->addWidget(m_list, 4);
    layout->addWidget(buttons);
    resize(760, 440);
    SelectFolder(QDir::homePath());
}

void CSelectOfficeDocDlg::SelectFolder(const QString& folder)
{
    const QModelIndex index = m_folders->index(folder);
    if (index.isValid() && m_tree->currentIndex() != index) {
        m_tree->setCurrentIndex(index);
        m_tree->scrollTo(index);
    }
    m_folderPath = folder;
    m_fileName.clear();
    m_list->setRootIndex(m_files->setRootPath(folder));
}

void CSelectOfficeDocDlg::SelectFile(const QString& fileName)
{
    m_fileName = fileName;
    const QModelIndex index = m_files->index(QDir(m_folderPath).filePath(fileName));
    if (index.isValid())
        m_list->setCurrentIndex(index);
}

void CSelectOfficeDocDlg::accept()
{
    if (m_fileName.isEmpty()) {
        QMessageBox::warning(this, windowTitle(), QStringLiteral("Choose a document in the list."));
        return;
    }
    const QString source = QDir(m_folderPath).filePath(m_fileName);
    const QString destination = m_reportPath + m_fileName;
    QString error;
    if (QFileInfo(source).absoluteFilePath() != QFileInfo(destination).absoluteFilePath()
        && !CopyReplacing(source, destination, &error)) {
        QMessageBox::warning(this, windowTitle(), error);
        return;
    }
    m_result = XHTMLTREEDATA();
    m_result.Filename1 = destination;
    m_result.Filename2 = m_fileName;
    QDialog::accept();
}

void CSelectOfficeDocDlg::reject()
{
    m_folderPath.clear();
    m_fileName.clear();
    QDialog::reject();
}
