#include "views/ReportViewTest.h"

#include "app/COutlookBar.h"
#include "app/MainFrameIds.h"
#include "catalogue/CFavAddDlg.h"
#include "platform/messages/InstanceMessages.h"
#include "uikit/CBalloonMsg.h"

#include <QMessageBox>

// Favourites and data sources through their dialogs: Add Favorite from a
// report window, Organize Favorites (rename, folders, move, delete) and
// Manage datasources, each change checked in the file it writes.
class TestFavorites : public ReportViewTest {
    Q_OBJECT

    static void ClickTreeItem(QWidget* dialog, const char* tree, const QString& name)
    {
        auto* t = Child<CXHtmlTree>(dialog, tree);
        QVERIFY(t);
        QTreeWidgetItem* item = FindByName(t, name);
        QVERIFY2(item, qPrintable(name));
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, t->visualItemRect(item).center());
    }
    // Answers the next dialog asking for a name (Create Folder, Change name).
    static void AnswerName(const QString& name)
    {
        WhenModalShows([name](QWidget* ask) {
            auto* edit = Child<QLineEdit>(ask, "nameEdit");
            edit->clear();
            QTest::keyClicks(edit, name);
            Click(ask, "okButton");
        });
    }
    static bool BalloonShown()
    {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (qobject_cast<CBalloonMsg*>(w) && w->isVisible())
                return true;
        }
        return false;
    }
    // The favourites file read back into a tree: name -> parent's name.
    QMap<QString, QString> FavoritesOnDisk() const
    {
        CXHtmlTree tree;
        tree.ReadCatalogueFile(FavoritesFile());
        QMap<QString, QString> parents;
        for (QTreeWidgetItem* it = tree.GetRootItem(); it; it = tree.GetNextItem(it))
            parents.insert(tree.GetItemText(it, true), it->parent() ? tree.GetItemText(it->parent(), true) : QString());
        return parents;
    }

private slots:
    void init() { SetUpViews(); }
    void cleanup() { TearDownViews(); }

    void addFavoriteFilesTheReportAndAPersonalCopy()
    {
        CLumetraView* view = Open(QStringLiteral("T3"));
        QVERIFY(view);
        FakeVantorel::log.clear();
        bool balloon = false;
        WhenModalShows([&](QWidget* dialog) {
            auto* edit = Child<QLineEdit>(dialog, "nameEdit");
            QCOMPARE(edit->text(), QStringLiteral("T3"));
            // An empty name is refused with the balloon and writes nothing.
            edit->clear();
            Click(dialog, "saveInFolderButton");
            balloon = BalloonShown();
            QTest::keyClicks(edit, QStringLiteral("My T3"));
            AnswerName(QStringLiteral("Folder A"));
            Click(dialog, "newFolderButton");
            ClickTreeItem(dialog, "favoritesTree", QStringLiteral("Folder A"));
            Click(dialog, "saveInFolderButton");
            Click(dialog, "closeButton");
        });
        ClickCommand(mainframe::kAddFavorite);
        QVERIFY(balloon);
        const QMap<QString, QString> onDisk = FavoritesOnDisk();
        QCOMPARE(onDisk.value(QStringLiteral("Folder A")), QStringLiteral("Favorites"));
        QCOMPARE(onDisk.value(QStringLiteral("My T3")), QStringLiteral("Folder A"));
        // The personal copy: the chart control saves before the table.
        const QString user = platform::CurrentUserName();
        const QString folder = ReportFolder() + user + QLatin1Char('/');
        QCOMPARE(FakeVantorel::log,
            (QStringList {QStringLiteral("c2.SaveReportAs(My T3,%1,%2)").arg(folder, m_dataPath),
                QStringLiteral("c1.SaveReportAs(My T3,%1,%2)").arg(folder, m_dataPath)}));
        QCOMPARE(ReadFile(folder + QStringLiteral("My T3.xml")), QByteArray("c1 table"));
        QCOMPARE(view->ReportName(), QStringLiteral("My T3"));
        // The pane shows the favourite at once, with its types and files.
        QTreeWidgetItem* item = FindByName(m_main->FavoritesTree(), QStringLiteral("My T3"));
        QVERIFY(item);
        const XHTMLTREEDATA* record = m_main->FavoritesTree()->GetItemData(item);
        QCOMPARE(record->Reporttype1, 3);
        QCOMPARE(record->Filename1, QStringLiteral("My T3.xml"));
        QCOMPARE(record->Filename2, QStringLiteral("My T3.xml"));
        QVERIFY(m_main->FavoritesTree()->GetItemText(item).contains(QStringLiteral("dodgerblue")));
    }

    void addFavoriteWithoutAFolderAddsATopLevelItem()
    {
        XHTMLTREEDATA record;
        record.Reporttype1 = 5;
        record.Filename1 = QStringLiteral("Q.xml");
        CFavAddDlg dialog(m_main);
        dialog.SetName(QStringLiteral("Quarter"));
        dialog.SetRecord(&record);
        dialog.show();
        Click(&dialog, "saveInFolderButton");
        // Read back, the second top-level element becomes the root's last child.
        QCOMPARE(FavoritesOnDisk().value(QStringLiteral("Quarter")), QStringLiteral("Favorites"));
        QVERIFY(ReadFile(FavoritesFile()).contains("Reporttype1=\"5\" Reporttype2=\"0\" Filename1=\"Q.xml\""));
    }

    void organizeRenamesMovesAndDeletes()
    {
        WhenModalShows([&](QWidget* dialog) {
            ClickTreeItem(dialog, "favoritesTree", QStringLiteral("Fav Report"));
            AnswerName(QStringLiteral("Renamed"));
            Click(dialog, "changeNameButton");
            ClickTreeItem(dialog, "favoritesTree", QStringLiteral("Favorites"));
            AnswerName(QStringLiteral("Archive"));
            Click(dialog, "createFolderButton");
            ClickTreeItem(dialog, "favoritesTree", QStringLiteral("Sales"));
            WhenModalShows([](QWidget* box) { ClickMessageBoxButton(box, QMessageBox::Yes); });
            Click(dialog, "deleteButton");
            // Drag the renamed favourite into the new folder.
            auto* tree = Child<CXHtmlTree>(dialog, "favoritesTree");
            const QPoint from = tree->visualItemRect(FindByName(tree, QStringLiteral("Renamed"))).center();
            const QPoint to = tree->visualItemRect(FindByName(tree, QStringLiteral("Archive"))).center();
            QTest::mousePress(tree->viewport(), Qt::LeftButton, {}, from);
            for (int step = 1; step <= 6; ++step)
                QTest::mouseMove(tree->viewport(), from + (to - from) * step / 6);
            QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, to);
            QTest::qWait(50);
            Click(dialog, "closeButton");
        });
        ClickCommand(mainframe::kOrganizeFavorites);
        const QMap<QString, QString> onDisk = FavoritesOnDisk();
        QVERIFY(!onDisk.contains(QStringLiteral("Fav Report")));
        QVERIFY(!onDisk.contains(QStringLiteral("Sales")));
        QCOMPARE(onDisk.value(QStringLiteral("Archive")), QStringLiteral("Favorites"));
        QCOMPARE(onDisk.value(QStringLiteral("Renamed")), QStringLiteral("Archive"));
        // A renamed favourite keeps its types and files.
        const QByteArray bytes = ReadFile(FavoritesFile());
        QVERIFY2(bytes.contains("\"Renamed\" Reporttype1=\"1\" Reporttype2=\"0\" Filename1=\"Fav Report.xml\""),
            bytes.constData());
        // The pane shows the organised favourites.
        QVERIFY(FindByName(m_main->FavoritesTree(), QStringLiteral("Renamed")));
        QVERIFY(!FindByName(m_main->FavoritesTree(), QStringLiteral("Sales")));
    }

    void manageDataSourcesAddsAndDeletes()
    {
        const QString file = m_dataPath + QStringLiteral("PellamyDS.xml");
        bool balloon = false;
        QString shownFile;
        WhenModalShows([&](QWidget* dialog) {
            Click(dialog, "addButton");
            balloon = BalloonShown();
            QTest::keyClicks(Child<QLineEdit>(dialog, "nameEdit"), QStringLiteral("Cube A"));
            Click(dialog, "browseButton");
            shownFile = Child<QLineEdit>(dialog, "filenameEdit")->text();
            Click(dialog, "addButton");
            Click(dialog, "addButton");
            Click(dialog, "closeButton");
        });
        ClickCommand(mainframe::kManageDatasources);
        QVERIFY(balloon);
        QCOMPARE(shownFile, QStringLiteral("server"));
        CXHtmlTree tree;
        tree.ReadCatalogueFile(file);
        // The first added is the top-level item, the same name again its child.
        QTreeWidgetItem* root = tree.GetRootItem();
        QVERIFY(root);
        QCOMPARE(tree.GetItemText(root, true), QStringLiteral("Cube A"));
        QCOMPARE(root->childCount(), 1);
        QCOMPARE(tree.GetItemData(root)->Filename1, QStringLiteral("Sales"));
        QCOMPARE(tree.GetItemData(root)->Filename2, QStringLiteral("Provider=MSOLAP; Data Source=Sales.cub"));

        // Deleting the root item empties the catalogue.
        WhenModalShows([&](QWidget* dialog) {
            ClickTreeItem(dialog, "dataSourceTree", QStringLiteral("Cube A"));
            WhenModalShows([](QWidget* box) { ClickMessageBoxButton(box, QMessageBox::Yes); });
            Click(dialog, "deleteButton");
            Click(dialog, "closeButton");
        });
        ClickCommand(mainframe::kManageDatasources);
        CXHtmlTree after;
        after.ReadCatalogueFile(file);
        QVERIFY(after.GetRootItem());
        QCOMPARE(after.GetRootItem()->childCount(), 0);
        QVERIFY(after.GetItemData(after.GetRootItem())->Filename2.isEmpty());
    }
};

int main(int argc, char** argv)
{
    InstanceMessages::Get();
    CLumetraApp app(argc, argv);
    TestFavorites test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_favorites.moc"
