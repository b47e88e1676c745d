#include "catalogue/CFavAddDlg.h"

#include "catalogue/CFavOrganizeDlg.h"
#include "catalogue/CXHtmlTree.h"
#include "catalogue/CatalogueDialogTree.h"
#include "catalogue/NameRequiredBalloon.h"
#include "catalogue/XHTMLTREEDATA.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CFavAddDlg::CFavAddDlg(QWidget* parent)
    : QDialog(parent), m_tree(new CXHtmlTree(this)), m_nameEdit(new QLineEdit(this)), m_problem(new QLabel(this))
{
    setObjectName(QStringLiteral("addFavoriteDialog"));
    setWindowTitle(QStringLiteral("Add Favorite"));
    setWindowIcon(QIcon(QStringLiteral(":/images/addfavorite.svg")));
    m_nameEdit->setObjectName(QStringLiteral("nameEdit"));
    m_nameEdit->setProperty("controlId", 1064);
    m_tree->setObjectName(QStringLiteral("favoritesTree"));
    m_tree->setProperty("controlId", 1030);
    m_tree->setHeaderHidden(true);
    m_tree->setMinimumSize(260, 220);
    m_problem->setObjectName(QStringLiteral("writeProblem"));
    m_problem->setWordWrap(true);
    m_problem->setStyleSheet(QStringLiteral("color: #a4262c"));
    m_problem->hide();

    auto* save = new QPushButton(QStringLiteral("Save in folder"), this);
    save->setObjectName(QStringLiteral("saveInFolderButton"));
    save->setDefault(true);
    auto* folder = new QPushButton(QStringLiteral("New folder"), this);
    folder->setObjectName(QStringLiteral("newFolderButton"));
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    connect(save, &QPushButton::clicked, this, &CFavAddDlg::OnSaveInFolder);
    connect(folder, &QPushButton::clicked, this, &CFavAddDlg::OnNewFolder);
    connect(close, &QPushButton::clicked, this, &CFavAddDlg::accept);
    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, [this] {
        const QList<QTreeWidgetItem*> selected = m_tree->selectedItems();
        m_target = selected.isEmpty() ? nullptr : selected.front();
    });

    auto* nameLabel = new QLabel(QStringLiteral("Name:"), this);
    nameLabel->setBuddy(m_nameEdit);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(save);
    buttons->addWidget(folder);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QGridLayout(this);
    layout->addWidget(nameLabel, 0, 0);
    layout->addWidget(m_nameEdit, 0, 1);
    layout->addWidget(new QLabel(QStringLiteral("Create:"), this), 1, 0, Qt::AlignTop);
    layout->addWidget(m_tree, 1, 1);
    layout->addLayout(buttons, 0, 2, 2, 1);
    layout->addWidget(m_problem, 2, 0, 1, 3);

    cataloguedialog::Load(m_tree, cataloguedialog::FavoritesFile());
    // Reading selects the first item; the target is what the user picks.
    m_tree->SelectItem(nullptr);
    m_target = nullptr;
}

CFavAddDlg::~CFavAddDlg()
{
    // The tree's selection changes while the children go; this part is gone by then.
    disconnect(m_tree, nullptr, this, nullptr);
}

void CFavAddDlg::SetName(const QString& name)
{
    m_name = name;
    m_nameEdit->setText(name);
}

void CFavAddDlg::OnSaveInFolder()
{
    const QString name = m_nameEdit->text();
    if (name.isEmpty()) {
        ShowNameRequiredBalloon(m_nameEdit);
        return;
    }
    m_name = name;
    XHTMLTREEDATA record = m_record ? *m_record : XHTMLTREEDATA();
    record.strPlainText = name;
    const int image = m_tree->GetImageCount() < 2 ? CXHtmlTree::NO_IMAGE : 1;
    m_tree->InsertItem(cataloguedialog::BlueText(name), image, m_target, &record);
    cataloguedialog::Write(m_tree, cataloguedialog::FavoritesFile(), m_problem, cataloguedialog::FavoritesRootName());
}

void CFavAddDlg::OnNewFolder()
{
    CFavOrganizeDlg ask(this);
    if (ask.exec() != QDialog::Accepted)
        return;
    const QString name = ask.Name();
    // A folder named like an existing item goes inside that item.
    QTreeWidgetItem* found = m_tree->FindItem(name, false, true, false, false);
    m_tree->SelectItem(found);
    m_target = found;
    XHTMLTREEDATA record;
    record.strPlainText = name;
    m_tree->InsertItem(name, 0, m_target, &record);
    cataloguedialog::Write(m_tree, cataloguedialog::FavoritesFile(), m_problem, cataloguedialog::FavoritesRootName());
}
