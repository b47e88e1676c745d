#include "MainFrameTest.h"

#include "app/CAboutCtrl.h"
#include "app/CAboutDlg.h"
#include "app/CLumetraApp.h"
#include "app/CMainFrame.h"
#include "app/COutlookBar.h"
#include "app/ICatalogueDialogs.h"
#include "catalogue/CXHtmlTree.h"
#include "framework/CVisualManager.h"
#include "olap/EngineVersionText.h"
#include "platform/COXRegistryItem.h"
#include "platform/UserName.h"
#include "platform/messages/InstanceMessages.h"
#include "platform/messages/RegisteredMessages.h"
#include "uikit/CBalloonMsg.h"
#include "views/CDravikView.h"
#include "views/CLumetraView.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

class TestMainFrame : public MainFrameTest {
    Q_OBJECT
private slots:
    void init() { SetUp(); }
    void cleanup() { TearDown(); }

    void clickOpensByReportType_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("view");
        QTest::newRow("folder 0/0 opens nothing") << "Folder"
                                                  << "";
        QTest::newRow("type 7 opens an Office window") << "Office"
                                                       << "office";
        QTest::newRow("type 9/0 opens an Office window") << "Other"
                                                         << "office";
        QTest::newRow("type 0/3 opens an OLAP window") << "Linked"
                                                       << "olap";
        QTest::newRow("type 1 opens an OLAP window") << "Sales"
                                                     << "olap";
        QTest::newRow("negative type counts as unsigned: Office") << "Negative"
                                                                  << "office";
    }
    void clickOpensByReportType()
    {
        QFETCH(QString, name);
        QFETCH(QString, view);
        ClickItem(m_main->ReportsTree(), name);
        const QList<QMdiSubWindow*> windows = m_main->MdiArea()->subWindowList();
        QCOMPARE(m_main->CurrentItem(), FindByName(m_main->ReportsTree(), name));
        if (view.isEmpty()) {
            QVERIFY(windows.isEmpty());
            return;
        }
        QCOMPARE(windows.size(), 1);
        if (view == QLatin1String("olap"))
            QVERIFY(qobject_cast<CLumetraView*>(windows.front()->widget()));
        else
            QVERIFY(qobject_cast<CDravikView*>(windows.front()->widget()));
        QCOMPARE(m_main->OpenedItemRecord().strPlainText, name);
        QCOMPARE(windows.front()->windowTitle(), name);
    }

    void twoClicksOpenTwoWindows()
    {
        ClickItem(m_main->ReportsTree(), QStringLiteral("Sales"));
        ClickItem(m_main->ReportsTree(), QStringLiteral("Sales"));
        QCOMPARE(m_main->MdiArea()->subWindowList().size(), 2);
    }

    void rightClickBelowTheItemsLeavesNoCurrentItem()
    {
        CXHtmlTree* tree = m_main->ReportsTree();
        ClickItem(tree, QStringLiteral("Folder"));
        QVERIFY(m_main->CurrentItem());
        QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, QPoint(20, tree->viewport()->height() - 5));
        QVERIFY(m_main->CurrentItem() == nullptr);
        QTRY_VERIFY(m_main->ReportsMenu()->isVisible());
        m_main->ReportsMenu()->close();
    }

    void ctrlOAfterStartDoesNothing()
    {
        QTest::keyClick(m_main, Qt::Key_O, Qt::ControlModifier);
        QVERIFY(m_main->MdiArea()->subWindowList().isEmpty());
    }

    void createFolderWritesTheReportCatalogue()
    {
        RightClickItem(m_main->ReportsTree(), QStringLiteral("Folder"));
        WhenModalShows([](QWidget* dialog) {
            QTest::keyClicks(dialog->findChild<QLineEdit*>("folderNameEdit"), QStringLiteral("Quarterly"));
            QTest::mouseClick(dialog->findChild<QPushButton*>("okButton"), Qt::LeftButton);
        });
        m_main->CommandAction(32776)->trigger();
        const QByteArray file = ReadFile(ReportsFile());
        QVERIFY2(file.contains("&lt;font color=&quot;dodgerblue&quot;&gt;Quarterly&lt;/font&gt;"), file.constData());
        QTreeWidgetItem* folder = FindByName(m_main->ReportsTree(), QStringLiteral("Quarterly"));
        QVERIFY(folder);
        QCOMPARE(folder->parent(), FindByName(m_main->ReportsTree(), QStringLiteral("Folder")));
        QCOMPARE(m_main->ReportsTree()->GetItemImage(folder), 0);
        QCOMPARE(m_main->ReportsTree()->GetItemData(folder)->strPlainText, QStringLiteral("Quarterly"));
    }

    void deleteAsksAndWritesOnYes_data()
    {
        QTest::addColumn<bool>("favorites");
        QTest::addColumn<int>("answer");
        QTest::newRow("Reports pane, Yes") << false << int(QMessageBox::Yes);
        QTest::newRow("Reports pane, No") << false << int(QMessageBox::No);
        QTest::newRow("Favorites pane, Yes") << true << int(QMessageBox::Yes);
    }
    void deleteAsksAndWritesOnYes()
    {
        QFETCH(bool, favorites);
        QFETCH(int, answer);
        if (favorites) {
            QTest::mouseClick(m_main->NavigationBar()->PageButton(1), Qt::LeftButton);
            QTRY_VERIFY(m_main->IsFavoritesPaneVisible());
        }
        CXHtmlTree* tree = favorites ? m_main->FavoritesTree() : m_main->ReportsTree();
        const QString name = favorites ? QStringLiteral("Fav Report") : QStringLiteral("Folder");
        RightClickItem(tree, name);
        const QByteArray reportsBefore = ReadFile(ReportsFile());
        const QByteArray favoritesBefore = ReadFile(FavoritesFile());
        QString question;
        WhenModalShows(
            [&](QWidget* box) { ClickMessageBoxButton(box, QMessageBox::StandardButton(answer), &question); });
        m_main->CommandAction(32778)->trigger();
        QCOMPARE(question, QStringLiteral("Would you like to remove report %1").arg(name));
        const bool removed = answer == QMessageBox::Yes;
        QCOMPARE(FindByName(tree, name) == nullptr, removed);
        if (!favorites && removed) {
            QVERIFY(!FindByName(tree, QStringLiteral("Sales 2009"))); // the subtree goes too
            QVERIFY(!ReadFile(ReportsFile()).contains("Sales 2009"));
            QVERIFY(ReadFile(ReportsFile()).contains("name=\"Sales\""));
        } else {
            QCOMPARE(ReadFile(ReportsFile()), reportsBefore);
        }
        if (favorites)
            QVERIFY(!ReadFile(FavoritesFile()).contains("Fav Report"));
        else
            QCOMPARE(ReadFile(FavoritesFile()), favoritesBefore);
    }

    void instUpdatePrefersTheExactName_data()
    {
        QTest::addColumn<QString>("reportName");
        QTest::addColumn<QString>("updated");
        QTest::newRow("exact name beats an earlier whole-word match") << "Sales"
                                                                      << "Sales";
        QTest::newRow("whole-word match when no exact name") << "2009"
                                                             << "Sales 2009";
        QTest::newRow("a name that is not there writes nothing") << "Nowhere"
                                                                 << "";
        QTest::newRow("inside a word does not match") << "Sal"
                                                      << "";
    }
    void instUpdatePrefersTheExactName()
    {
        QFETCH(QString, reportName);
        QFETCH(QString, updated);
        const QByteArray before = ReadFile(ReportsFile());
        HandOver(reportName, 3, 0, QStringLiteral("new.xml"), QStringLiteral("newChart.xml"));
        platform::RegisteredMessages::Send(m_main, InstanceMessages::Get().MSG_INST_UPDATE);
        if (updated.isEmpty()) {
            QCOMPARE(ReadFile(ReportsFile()), before);
            return;
        }
        const XHTMLTREEDATA* record = m_main->ReportsTree()->GetItemData(FindByName(m_main->ReportsTree(), updated));
        QVERIFY(record);
        QCOMPARE(record->Reporttype1, 3);
        QCOMPARE(record->Filename2, QStringLiteral("newChart.xml"));
        QVERIFY(ReadFile(ReportsFile()).contains("newChart.xml"));
        for (const char* other : {"Sales", "Sales 2009", "Sales2"}) {
            if (updated != QLatin1String(other)) {
                QCOMPARE(m_main->ReportsTree()
                             ->GetItemData(FindByName(m_main->ReportsTree(), QLatin1String(other)))
                             ->Filename2,
                    QString());
            }
        }
    }

    void instUpdateWithFavoritesVisibleLeavesTheReportCatalogue()
    {
        QTest::mouseClick(m_main->NavigationBar()->PageButton(1), Qt::LeftButton);
        QTRY_VERIFY(m_main->IsFavoritesPaneVisible());
        const QByteArray reportsBefore = ReadFile(ReportsFile());
        HandOver(QStringLiteral("Sales"), 2, 0, QStringLiteral("fav.xml"), QString());
        platform::RegisteredMessages::Send(m_main, InstanceMessages::Get().MSG_INST_UPDATE);
        QCOMPARE(ReadFile(ReportsFile()), reportsBefore);
        QVERIFY(ReadFile(FavoritesFile()).contains("fav.xml"));
    }

    void favUpdateReloadsTheFavorites()
    {
        WriteFile(FavoritesFile(), FavoritesCatalogue(true));
        HandOver(QStringLiteral("New Fav"), 1, 0, QStringLiteral("nf.xml"), QString());
        QVERIFY(!FindByName(m_main->FavoritesTree(), QStringLiteral("New Fav")));
        platform::RegisteredMessages::Send(m_main, InstanceMessages::Get().MSG_INST_FAVUPDATE);
        QTreeWidgetItem* item = FindByName(m_main->FavoritesTree(), QStringLiteral("New Fav"));
        QVERIFY(item);
        QCOMPARE(m_main->FavoritesTree()->GetItemData(item)->Reporttype1, 1);
        QVERIFY(ReadFile(FavoritesFile()).contains("nf.xml"));
    }

    void createReportInsertsBelowTheCurrentItem()
    {
        struct Dialog : INewReportDialog {
            bool Run(QWidget*) override { return true; }
            QString ReportName() const override { return QStringLiteral("Fresh"); }
            int ReportType() const override { return 7; }
        };
        m_main->SetNewReportDialogFactory([] { return std::make_unique<Dialog>(); });
        const QByteArray before = ReadFile(ReportsFile());
        m_main->ReportsTree()->SelectItem(nullptr);
        m_main->CommandAction(57600)->trigger();
        QTreeWidgetItem* item = FindByName(m_main->ReportsTree(), QStringLiteral("Fresh"));
        QVERIFY(item);
        QCOMPARE(item->parent(), m_main->ReportsTree()->GetRootItem()); // nothing selected: below the root
        QCOMPARE(m_main->ReportsTree()->GetItemImage(item), 2);
        QCOMPARE(ReadFile(ReportsFile()), before); // written at the first save only
        QCOMPARE(m_main->ReportsTree()->GetItemData(item)->strPlainText, QStringLiteral("Fresh"));

        // Delete names the new item.
        RightClickItem(m_main->ReportsTree(), QStringLiteral("Fresh"));
        QString question;
        WhenModalShows([&](QWidget* box) { ClickMessageBoxButton(box, QMessageBox::No, &question); });
        m_main->CommandAction(32778)->trigger();
        QCOMPARE(question, QStringLiteral("Would you like to remove report Fresh"));

        // After the first save the item opens a window titled with its name.
        HandOver(QStringLiteral("Fresh"), 7, 0, QStringLiteral("Fresh.odt"), QStringLiteral("Fresh.odt"));
        platform::RegisteredMessages::Send(m_main, InstanceMessages::Get().MSG_INST_UPDATE);
        QVERIFY(ReadFile(ReportsFile()).contains("Fresh.odt"));
        ClickItem(m_main->ReportsTree(), QStringLiteral("Fresh"));
        const QList<QMdiSubWindow*> windows = m_main->MdiArea()->subWindowList();
        QCOMPARE(windows.size(), 1);
        QCOMPARE(windows.front()->windowTitle(), QStringLiteral("Fresh"));
    }

    void lookSurvivesARestart()
    {
        m_main->CommandAction(211)->trigger();
        QCOMPARE(CVisualManager::Current(), 211);
        Stop();
        CVisualManager::Apply(216);
        Start();
        QCOMPARE(CLumetraApp::Instance()->m_nAppLook, 211);
        QCOMPARE(CVisualManager::Current(), 211);
        m_main->UpdateCommandUI();
        QVERIFY(m_main->CommandAction(211)->isChecked());
        QVERIFY(!m_main->CommandAction(216)->isChecked());
    }

    void emptyFolderNameWarns_data()
    {
        QTest::addColumn<bool>("balloons");
        QTest::newRow("balloon tips on: a balloon at the field") << true;
        QTest::newRow("EnableBalloonTips 0: a message box") << false;
    }
    void emptyFolderNameWarns()
    {
        QFETCH(bool, balloons);
        if (!balloons) {
            COXRegistryItem(
                QStringLiteral("\\CurrentUser\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced\\"
                               "EnableBalloonTips"))
                .SetNumberValue(0);
        }
        QString boxText;
        bool balloonSeen = false;
        bool dialogStayed = false;
        WhenModalShows([&](QWidget* dialog) {
            QTest::mouseClick(dialog->findChild<QPushButton*>("okButton"), Qt::LeftButton);
            // Showing the balloon and handing activation back to the dialog take a few event
            // rounds, more on a loaded machine.
            QDeadlineTimer settle(2000);
            while (balloons && !settle.hasExpired() && QApplication::activeWindow() != dialog)
                QTest::qWait(20);
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (auto* balloon = qobject_cast<CBalloonMsg*>(top); balloon && balloon->isVisible()) {
                    // The balloon points at the field and never takes the focus.
                    balloonSeen = balloon->Text() == QLatin1String("Please enter a name")
                        && balloon->Title() == QLatin1String("Lumetra") && !balloon->isActiveWindow()
                        && QApplication::activeWindow() == dialog;
                    balloon->close();
                }
            }
            dialogStayed = dialog->isVisible();
            QTest::mouseClick(dialog->findChild<QPushButton*>("cancelButton"), Qt::LeftButton);
        });
        if (!balloons)
            WhenModalShows([&](QWidget* box) { ClickMessageBoxButton(box, QMessageBox::Ok, &boxText); }, 3000);
        m_main->CommandAction(32776)->trigger();
        QVERIFY(dialogStayed);
        QCOMPARE(balloonSeen, balloons);
        QCOMPARE(boxText, balloons ? QString() : QStringLiteral("Please enter a name"));
    }

    void pagesRenameInPlaceAndDetach()
    {
        COutlookBar* bar = m_main->NavigationBar();
        QCOMPARE(bar->windowTitle(), QStringLiteral("Shortcuts"));
        QCOMPARE(bar->PageTitle(0), QStringLiteral("Reports"));
        QTest::mouseDClick(bar->PageButton(1), Qt::LeftButton);
        QVERIFY(bar->RenameEditor());
        QTest::keyClick(bar->RenameEditor(), Qt::Key_Escape);
        QCOMPARE(bar->PageTitle(1), QStringLiteral("Favorites"));
        QTest::mouseDClick(bar->PageButton(1), Qt::LeftButton);
        bar->RenameEditor()->selectAll();
        QTest::keyClicks(bar->RenameEditor(), QStringLiteral("Mine"));
        QTest::keyClick(bar->RenameEditor(), Qt::Key_Return);
        QCOMPARE(bar->PageTitle(1), QStringLiteral("Mine"));

        QVERIFY(!m_main->IsFavoritesPaneVisible());
        bar->DetachPage(1);
        QVERIFY(bar->IsPageDetached(1));
        QTRY_VERIFY(m_main->IsFavoritesPaneVisible()); // a floating Favorites pane counts as visible
        QVERIFY(!m_main->FavoritesTree()->window()->isAncestorOf(bar));
        bar->AttachPage(1);
        QVERIFY(!bar->IsPageDetached(1));
        QCOMPARE(bar->Page(1), m_main->FavoritesTree());
    }

    void animationFollowsTheProfile()
    {
        QVERIFY(CLumetraApp::Instance()->WriteProfileInt(
            QStringLiteral("Settings"), QStringLiteral("OutlookAnimation"), 0));
        Stop();
        Start(false);
        QVERIFY(!m_main->NavigationBar()->Animation());
        CLumetraApp::Instance()->WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("OutlookAnimation"), 1);
        Stop();
        Start(false);
        QVERIFY(m_main->NavigationBar()->Animation());
    }

    void aboutBoxScrollsItsCredits()
    {
        CAboutDlg dialog(m_main);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("About Lumetra"));
        QVERIFY(CAboutDlg::Credits().startsWith(QStringLiteral("\tLumetra Ver " LUMETRA_VERSION_TEXT "\n")));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        CAboutCtrl* control = dialog.Control();
        // The credits start at the bottom edge; on a loaded machine the control's own timer
        // may have moved them a step or two while the window was being shown.
        const int start = control->ScrollPosition();
        QVERIFY2(start <= control->height() && start >= control->height() - 5,
            qPrintable(QStringLiteral("start %1, height %2").arg(start).arg(control->height())));
        for (int i = 0; i < 150; ++i)
            control->Tick();
        QCOMPARE(control->ScrollPosition(), start - 150);
        // Text reaches only the upper 200 pixels: below them the frame is the background.
        const QImage frame = control->Frame();
        bool darkAbove = false;
        for (int y = 0; y < 200 && !darkAbove; ++y) {
            for (int x = CAboutCtrl::kTextX; x < CAboutCtrl::kTextX + CAboutCtrl::kTextWidth; ++x)
                darkAbove |= qGray(frame.pixel(x, y)) < 80;
        }
        QVERIFY(darkAbove);
        for (int y = 200; y < frame.height(); ++y) {
            for (int x = CAboutCtrl::kTextX; x < CAboutCtrl::kTextX + CAboutCtrl::kTextWidth; ++x)
                QVERIFY(qGray(frame.pixel(x, y)) > 150);
        }
    }
};

int main(int argc, char** argv)
{
    InstanceMessages::Get();
    CLumetraApp app(argc, argv);
    TestMainFrame test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_mainframe.moc"
