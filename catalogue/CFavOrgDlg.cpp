#include "catalogue/CFavOrgDlg.h"

#include "app/ResourceStrings.h"
#include "catalogue/CFavOrganizeDlg.h"
#include "catalogue/CXHtmlTree.h"
#include "catalogue/CatalogueDialogTree.h"
#include "catalogue/XHTMLTREEDATA.h"
#include "catalogue/XHtmlTreeMessage.h"

#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

CFavOrgDlg::CFavOrgDlg(QWidget* parent) : QDialog(parent), m_tree(new CXHtmlTree(this)), m_problem(new QLabel(this))
{
    setObjectName(QStringLiteral("organizeFavoritesDialog"));
    setWindowTitle(QStringLiteral("Organize Favorites"));
    setWindowIcon(QIcon(QStringLiteral(":/images/favorites.svg")));
    m_tree->setObjectName(QStringLiteral("favoritesTree"));
    m_tree->setProperty("controlId", 1031);
    m_tree->setHeaderHidden(true);
    m_tree->setMinimumSize(300, 260);
    m_tree->SetNotify(this);
    m_problem->setObjectName(QStringLiteral("writeProblem"));
    m_problem->setWordWrap(true);
    m_problem->setStyleSheet(QStringLiteral("color: #a4262c"));
    m_problem->hide();

    auto* label = new QLabel(QStringLiteral("Select a Report or a Folder.\n Press the action button you want."), this);
    auto button = [this](const QString& text, const char* name) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    QPushButton* remove = button(QStringLiteral("&Delete"), "deleteButton");
    QPushButton* rename = button(QStringLiteral("Change &name"), "changeNameButton");
    QPushButton* folder = button(QStringLiteral("Create &folder"), "createFolderButton");
    QPushButton* close = button(QStringLiteral("&Close"), "closeButton");
    connect(remove, &QPushButton::clicked, this, &CFavOrgDlg::OnDelete);
    connect(rename, &QPushButton::clicked, this, &CFavOrgDlg::OnChangeName);
    connect(folder, &QPushButton::clicked, this, &CFavOrgDlg::OnCreateFolder);
    connect(close, &QPushButton::clicked, this, &CFavOrgDlg::accept);

    auto* layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0, 1, 3);
    layout->addWidget(close, 0, 3);
    layout->addWidget(m_tree, 1, 0, 1, 4);
    layout->addWidget(remove, 2, 1);
    layout->addWidget(rename, 2, 2);
    layout->addWidget(folder, 2, 3);
    layout->addWidget(m_problem, 3, 0, 1, 4);
    cataloguedialog::Load(m_tree, cataloguedialog::FavoritesFile());
}

void CFavOrgDlg::OnDelete()
{
    const QList<QTreeWidgetItem*> selected = m_tree->selectedItems();
    if (selected.isEmpty())
        return;
    QTreeWidgetItem* item = selected.front();
    const XHTMLTREEDATA* record = m_tree->GetItemData(item);
    QString question = LoadResourceString(316);
    question.replace(QStringLiteral("%s"), record ? record->strPlainText : m_tree->GetItemText(item, true));
    if (QMessageBox::question(this, LoadResourceString(128), question, QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return;
    m_tree->DeleteItem(item);
    cataloguedialog::Write(m_tree, cataloguedialog::FavoritesFile(), m_problem, cataloguedialog::FavoritesRootName());
}

void CFavOrgDlg::OnChangeName()
{
    const QList<QTreeWidgetItem*> selected = m_tree->selectedItems();
    if (selected.isEmpty())
        return;
    QTreeWidgetItem* item = selected.front();
    const QString old = m_tree->GetItemText(item, true);
    CFavOrganizeDlg ask(this, QStringLiteral("Change name"));
    ask.SetName(old);
    if (ask.exec() != QDialog::Accepted || ask.Name() == old)
        return;
    // A favourite keeps its blue mark, a folder stays plain.
    const bool blue = m_tree->GetItemText(item).contains(QLatin1String("dodgerblue"));
    m_tree->SetItemText(item, blue ? cataloguedialog::BlueText(ask.Name()) : ask.Name());
    cataloguedialog::Write(m_tree, cataloguedialog::FavoritesFile(), m_problem, cataloguedialog::FavoritesRootName());
}

void CFavOrgDlg::OnCreateFolder()
{
    CFavOrganizeDlg ask(this);
    if (ask.exec() != QDialog::Accepted)
        return;
    const QList<QTreeWidgetItem*> selected = m_tree->selectedItems();
    QTreeWidgetItem* parent = selected.isEmpty() ? m_tree->GetRootItem() : selected.front();
    XHTMLTREEDATA record;
    record.strPlainText = ask.Name();
    QTreeWidgetItem* folder = m_tree->InsertItem(ask.Name(), 0, parent, &record);
    m_tree->SelectItem(folder);
    cataloguedialog::Write(m_tree, cataloguedialog::FavoritesFile(), m_problem, cataloguedialog::FavoritesRootName());
}

int CFavOrgDlg::OnXHtmlTreeEndDrag(const XHtmlTreeMessage& msg)
{
    // The tree moves the items after this answer; write once it has.
    if (msg.dropTarget)
        QTimer::singleShot(0, this, [this] {
            cataloguedialog::Write(
                m_tree, cataloguedialog::FavoritesFile(), m_problem, cataloguedialog::FavoritesRootName());
        });
    return 0;
}
