#include "views/DManageDS.h"

#include "app/ResourceStrings.h"
#include "catalogue/CXHtmlTree.h"
#include "catalogue/CatalogueDialogTree.h"
#include "catalogue/NameRequiredBalloon.h"
#include "catalogue/XHTMLTREEDATA.h"
#include "views/C_Vantorel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolButton>

namespace {

QString DataSourcesRootName()
{
    return QStringLiteral("Data sources");
}

} // namespace

DManageDS::DManageDS(QWidget* parent)
    : QDialog(parent), m_tree(new CXHtmlTree(this)), m_control(new C_Vantorel(this)), m_name(new QLineEdit(this)),
      m_filename(new QLineEdit(this)), m_problem(new QLabel(this))
{
    setObjectName(QStringLiteral("manageDataSourcesDialog"));
    setWindowTitle(QStringLiteral("Manage datasources"));
    setWindowIcon(QIcon(QStringLiteral(":/images/datasources.svg")));
    m_name->setObjectName(QStringLiteral("nameEdit"));
    m_name->setProperty("controlId", 1100);
    m_filename->setObjectName(QStringLiteral("filenameEdit"));
    m_filename->setProperty("controlId", 1099);
    m_tree->setObjectName(QStringLiteral("dataSourceTree"));
    m_tree->setProperty("controlId", 1069);
    m_tree->setHeaderHidden(true);
    m_tree->setMinimumSize(420, 260);
    m_tree->viewport()->installEventFilter(this);
    m_control->setObjectName(QStringLiteral("hiddenControl"));
    m_control->setProperty("controlId", 1000);
    m_problem->setObjectName(QStringLiteral("problemLabel"));
    m_problem->setWordWrap(true);
    m_problem->setStyleSheet(QStringLiteral("color: #a4262c"));
    m_problem->hide();

    auto* browse = new QToolButton(this);
    browse->setObjectName(QStringLiteral("browseButton"));
    browse->setText(QStringLiteral("..."));
    connect(browse, &QToolButton::clicked, this, &DManageDS::OnBrowse);
    auto* add = new QPushButton(QStringLiteral("Add"), this);
    add->setObjectName(QStringLiteral("addButton"));
    add->setDefault(true);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    close->setAutoDefault(false);
    auto* remove = new QPushButton(QStringLiteral("Delete"), this);
    remove->setObjectName(QStringLiteral("deleteButton"));
    remove->setAutoDefault(false);
    connect(add, &QPushButton::clicked, this, &DManageDS::OnAdd);
    connect(close, &QPushButton::clicked, this, &DManageDS::reject);
    connect(remove, &QPushButton::clicked, this, &DManageDS::OnDelete);

    auto* file = new QHBoxLayout;
    file->setContentsMargins(0, 0, 0, 0);
    file->addWidget(m_filename);
    file->addWidget(browse);
    auto* nameLabel = new QLabel(QStringLiteral("Name"), this);
    nameLabel->setBuddy(m_name);
    auto* fileLabel = new QLabel(QStringLiteral("Filename"), this);
    fileLabel->setBuddy(m_filename);
    auto* layout = new QGridLayout(this);
    layout->addWidget(nameLabel, 0, 0);
    layout->addWidget(m_name, 0, 1);
    layout->addWidget(fileLabel, 1, 0);
    layout->addLayout(file, 1, 1);
    layout->addWidget(m_tree, 2, 0, 1, 2);
    layout->addWidget(m_problem, 3, 0, 1, 2);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(close);
    buttons->addWidget(remove);
    buttons->addStretch();
    layout->addLayout(buttons, 0, 2, 4, 1);

    cataloguedialog::Load(m_tree, cataloguedialog::DataSourceFile());
    // The control is only asked for its connect dialog; its window stays hidden.
    m_control->Create();
    m_control->hide();
}

DManageDS::~DManageDS()
{
    // The viewport's last events come while this part is already gone.
    m_tree->viewport()->removeEventFilter(this);
}

void DManageDS::Report(const QString& text)
{
    m_problem->setText(text);
    m_problem->setVisible(!text.isEmpty());
}

void DManageDS::OnBrowse()
{
    QString answer;
    try {
        answer = m_control->GetCubeConnection();
    } catch (const DispatchError& error) {
        Report(tr("The connect dialog could not be shown: %1").arg(error.Text()));
        return;
    }
    Report(QString());
    const QStringList fields = answer.split(QLatin1Char('\t'));
    m_filename->setText(fields.value(0));
    m_cube = fields.value(1);
    m_connection = fields.value(2);
}

void DManageDS::OnAdd()
{
    const QString name = m_name->text();
    if (name.isEmpty()) {
        ShowNameRequiredBalloon(m_name);
        return;
    }
    XHTMLTREEDATA record;
    record.strPlainText = name;
    record.Filename1 = m_cube;
    record.Filename2 = m_connection;
    const int image = m_tree->GetImageCount() < 2 ? CXHtmlTree::NO_IMAGE : 1;
    QTreeWidgetItem* item = m_tree->InsertItem(cataloguedialog::BlueText(name), image, m_tree->GetRootItem(), &record);
    if (QTreeWidgetItem* root = m_tree->GetRootItem(); root && root != item)
        root->setExpanded(true);
    cataloguedialog::Write(m_tree, cataloguedialog::DataSourceFile(), m_problem, DataSourcesRootName());
}

void DManageDS::OnDelete()
{
    if (!m_remembered)
        return;
    const XHTMLTREEDATA* record = m_tree->GetItemData(m_remembered);
    QString question = LoadResourceString(316);
    question.replace(QStringLiteral("%s"), record ? record->strPlainText : QString());
    if (QMessageBox::question(this, LoadResourceString(128), question, QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return;
    m_tree->DeleteItem(m_remembered);
    m_remembered = nullptr;
    cataloguedialog::Write(m_tree, cataloguedialog::DataSourceFile(), m_problem, DataSourcesRootName());
}

bool DManageDS::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_tree->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        m_remembered = m_tree->itemAt(mouse->position().toPoint());
        if (m_remembered)
            m_tree->SelectItem(m_remembered);
    }
    return QDialog::eventFilter(watched, event);
}
