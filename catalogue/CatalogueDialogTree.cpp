#include "catalogue/CatalogueDialogTree.h"

#include "app/CLumetraApp.h"
#include "catalogue/CXHtmlTree.h"
#include "catalogue/XHTMLTREEDATA.h"
#include "platform/UserName.h"

#include <QIcon>
#include <QLabel>

namespace cataloguedialog {

void Load(CXHtmlTree* tree, const QString& file)
{
    tree->Initialize();
    tree->SetImageList(QList<QIcon> {QIcon(QStringLiteral(":/images/folder.svg")),
        QIcon(QStringLiteral(":/images/olapreport.svg")), QIcon(QStringLiteral(":/images/officedoc.svg"))});
    tree->DeleteAllItems();
    tree->ReadCatalogueFile(file);
    tree->ExpandAll();
}

bool Write(CXHtmlTree* tree, const QString& file, QLabel* problem, const QString& emptyRoot)
{
    if (!tree->GetRootItem()) {
        XHTMLTREEDATA root;
        root.strPlainText = emptyRoot;
        tree->InsertItem(emptyRoot, 0, nullptr, &root);
    }
    if (tree->WriteCatalogueFile(tree->GetRootItem(), file)) {
        if (problem)
            problem->hide();
        return true;
    }
    const QString why = QObject::tr("The change could not be written: %1").arg(tree->GetWriteError());
    qWarning("%s", qPrintable(why));
    if (problem) {
        problem->setText(why);
        problem->show();
    }
    return false;
}

QString FavoritesFile()
{
    const auto* app = CLumetraApp::Instance();
    return (app ? app->DataPath : QString()) + platform::CurrentUserName().left(255) + QStringLiteral(".xml");
}

QString DataSourceFile()
{
    const auto* app = CLumetraApp::Instance();
    return (app ? app->DataPath : QString()) + QStringLiteral("PellamyDS.xml");
}

QString FavoritesRootName()
{
    return QStringLiteral("Favorites");
}

QString BlueText(const QString& name)
{
    return QStringLiteral("<font color=\"dodgerblue\">%1</font>").arg(name);
}

} // namespace cataloguedialog
