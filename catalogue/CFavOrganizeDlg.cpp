#include "catalogue/CFavOrganizeDlg.h"

#include "catalogue/CXHtmlTree.h"
#include "catalogue/CatalogueDialogTree.h"
#include "catalogue/NameRequiredBalloon.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CFavOrganizeDlg::CFavOrganizeDlg(QWidget* parent, const QString& title)
    : QDialog(parent), m_tree(new CXHtmlTree(this)), m_name(new QLineEdit(this))
{
    setObjectName(QStringLiteral("favoritesFolderDialog"));
    setWindowTitle(title);
    setWindowIcon(QIcon(QStringLiteral(":/images/lumetra.svg")));
    m_name->setObjectName(QStringLiteral("nameEdit"));
    m_name->setProperty("controlId", 1064);
    m_tree->setObjectName(QStringLiteral("favoritesTree"));
    m_tree->setProperty("controlId", 1030);
    m_tree->setHeaderHidden(true);
    m_tree->setMinimumSize(280, 240);
    auto* nameLabel = new QLabel(QStringLiteral("Name:"), this);
    nameLabel->setBuddy(m_name);
    auto* treeLabel = new QLabel(QStringLiteral("Create in:"), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CFavOrganizeDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CFavOrganizeDlg::reject);
    auto* layout = new QGridLayout(this);
    layout->addWidget(nameLabel, 0, 0);
    layout->addWidget(m_name, 0, 1);
    layout->addWidget(treeLabel, 1, 0, Qt::AlignTop);
    layout->addWidget(m_tree, 1, 1);
    layout->addWidget(buttons, 2, 0, 1, 2);
    cataloguedialog::Load(m_tree, cataloguedialog::FavoritesFile());
    m_name->setFocus();
}

void CFavOrganizeDlg::SetName(const QString& name)
{
    m_name->setText(name);
    m_name->selectAll();
}

void CFavOrganizeDlg::accept()
{
    if (m_name->text().isEmpty()) {
        ShowNameRequiredBalloon(m_name);
        return;
    }
    m_result = m_name->text();
    QDialog::accept();
}
