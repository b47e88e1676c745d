#include "views/ReportViewTest.h"

#include "app/COutlookBar.h"
#include "platform/messages/InstanceMessages.h"
#include "views/CSSplitter.h"

#include <QApplication>
#include <QMessageBox>
#include <QStatusBar>

// Report windows opened from the panes: what each report type asks of its
// controls, the save order and the catalogue entry it updates, saves that
// fail or replace another window's, sizes and the splitter's memory.
class TestReportView : public ReportViewTest {
    Q_OBJECT

    // The log with the report folder written as "F/".
    QStringList Log() const
    {
        QStringList log = FakeVantorel::log;
        for (QString& line : log) {
            line.replace(ReportFolder(), QStringLiteral("F/"));
            line.replace(m_dataPath, QStringLiteral("D/"));
        }
        return log;
    }
    // A catalogue whose entries name only their first file and no types yet
    // in Reporttype2, so that a save visibly updates them.
    static QByteArray SparseCatalogue()
    {
        QString text = QLatin1String(kHeader);
        text += Item("root", QStringLiteral("Reports"), 0, 0, true);
        for (int type = 1; type <= 6; ++type) {
            const QString name = QStringLiteral("T%1").arg(type);
            text += QStringLiteral("\t<item name=\"%1\" Reporttype1=\"%2\" Reporttype2=\"0\" Filename1=\"%1.xml\" "
                                   "Filename2=\"\" separator=\"0\" checked=\"0\" enabled=\"1\" image=\"1\"/>\r\n")
                        .arg(name)
                        .arg(type);
        }
        text += QStringLiteral("</root>\r\n");
        return text.toLatin1();
    }
    const XHTMLTREEDATA* Entry(const QString& name) const
    {
        QTreeWidgetItem* item = FindByName(m_main->ReportsTree(), name);
        return item ? m_main->ReportsTree()->GetItemData(item) : nullptr;
    }

private slots:
    void init()
    {
        FakeVantorel::Install();
        SetUp(SparseCatalogue());
        m_reports = std::make_unique<QTemporaryDir>();
        CLumetraApp::Instance()->ReportPath = m_reports->path() + QLatin1Char('/');
    }
    void cleanup() { TearDownViews(); }

    // The controls draw their toolbar pictures for light ground: every look,
    // the dark one too, gives them a light ground of their own, while the
    // window around them follows the look.
    void theControlsKeepALightGroundInEveryLook()
    {
        CLumetraView view;
        for (const auto& [look, darkWindow] :
            {std::pair {216, true}, std::pair {215, false}, std::pair {210, false}, std::pair {216, true}}) {
            m_main->OnApplicationLook(look);
            QCOMPARE(QApplication::palette().color(QPalette::Window).lightness() < 128, darkWindow);
            for (C_Vantorel* control : {view.UpperControl(), view.LowerControl()}) {
                QVERIFY(control->autoFillBackground());
                QVERIFY2(
                    control->palette().color(QPalette::Window).lightness() >= 128, qPrintable(QString::number(look)));
                QVERIFY(control->palette().color(QPalette::WindowText).lightness() < 128);
            }
        }
        m_main->OnApplicationLook(215);
    }

    void openingAskesTheControlsByType_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<bool>("bottomHidden");
        const QString hide = QStringLiteral("c2.HideToolbar()");
        QTest::newRow("1 table") << 1 << QStringList {hide, "c1.OppnaRapportTyp(F/T1.xml,1)"} << true;
        QTest::newRow("2 chart") << 2 << QStringList {hide, "c1.OppnaRapportTyp(F/T2.xml,2)"} << true;
        QTest::newRow("3 linked table and chart")
            << 3
            << QStringList {hide, "c1.OppnaRapportTyp(F/T3.xml,1)", "c2.OppnaRapportTyp(F/,2)", "c1.GetPivottable()",
                   "c2.PutPivottable(<pivot>)"}
            << false;
        QTest::newRow("4 linked chart and table")
            << 4
            << QStringList {hide, "c1.OppnaRapportTyp(F/T4.xml,2)", "c2.OppnaRapportTyp(F/,1)", "c2.GetPivottable()",
                   "c1.PutPivottable(<pivot>)"}
            << false;
        QTest::newRow("5 table and chart")
            << 5 << QStringList {hide, "c1.OppnaRapportTyp(F/T5.xml,1)", "c2.OppnaRapportTyp(F/,2)"} << false;
        QTest::newRow("6 chart and table")
            << 6 << QStringList {hide, "c1.OppnaRapportTyp(F/T6.xml,2)", "c2.OppnaRapportTyp(F/,1)"} << false;
    }
    void openingAskesTheControlsByType()
    {
        QFETCH(int, type);
        QFETCH(QStringList, calls);
        QFETCH(bool, bottomHidden);
        const QString name = QStringLiteral("T%1").arg(type);
        CLumetraView* view = Open(name);
        QVERIFY(view);
        QCOMPARE(Log(), calls);
        QCOMPARE(view->ReportType(), type);
        QCOMPARE(view->ReportName(), name);
        QVERIFY(!view->IsPersonal());
        QCOMPARE(view->GetDocument()->GetTitle(), name);
        QVERIFY(!view->GetDocument()->IsModified());
        QCOMPARE(view->Splitter()->IsBottomHidden(), bottomHidden);
        QCOMPARE(view->LowerControl()->isVisible(), !bottomHidden);
        // The controls' own windows are shown inside the panes.
        QVERIFY(view->UpperControl()->ControlWindow()->isVisible());
        FakeVantorel* upper = FakeVantorel::Of(view->UpperControl());
        FakeVantorel* lower = FakeVantorel::Of(view->LowerControl());
        // In the linked types the chart is bound to the table's pivot table.
        if (type == 3)
            QCOMPARE(lower->bound, upper->pivot);
        else if (type == 4)
            QCOMPARE(upper->bound, lower->pivot);
        else
            QVERIFY(!upper->bound && !lower->bound);
    }

    void saveOrderAndTheUpdatedEntry_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QString>("file1");
        QTest::addColumn<QString>("file2");
        QTest::addColumn<QString>("content1");
        QTest::addColumn<QString>("content2");
        auto save = [](const char* control, const char* name) {
            return QStringLiteral("%1.SaveReport(%2,F/)").arg(QLatin1String(control), QLatin1String(name));
        };
        // In one-file types the control holding the report (or the table) saves last.
        QTest::newRow("1") << 1 << QStringList {save("c2", "T1"), save("c1", "T1")} << "T1.xml"
                           << "T1.xml"
                           << "c1 table" << QString();
        QTest::newRow("2") << 2 << QStringList {save("c2", "T2"), save("c1", "T2")} << "T2.xml"
                           << "T2.xml"
                           << "c1 chart" << QString();
        QTest::newRow("3") << 3 << QStringList {save("c2", "T3"), save("c1", "T3")} << "T3.xml"
                           << "T3.xml"
                           << "c1 table" << QString();
        QTest::newRow("4") << 4 << QStringList {save("c1", "T4"), save("c2", "T4")} << "T4.xml"
                           << "T4.xml"
                           << "c2 table" << QString();
        QTest::newRow("5") << 5 << QStringList {save("c1", "T5"), save("c2", "T52")} << "T5.xml"
                           << "T52.xml"
                           << "c1 table"
                           << "c2 chart";
        QTest::newRow("6") << 6 << QStringList {save("c1", "T6"), save("c2", "T62")} << "T6.xml"
                           << "T62.xml"
                           << "c1 chart"
                           << "c2 table";
    }
    void saveOrderAndTheUpdatedEntry()
    {
        QFETCH(int, type);
        QFETCH(QStringList, calls);
        QFETCH(QString, file1);
        QFETCH(QString, file2);
        QFETCH(QString, content1);
        QFETCH(QString, content2);
        const QString name = QStringLiteral("T%1").arg(type);
        CLumetraView* view = Open(name);
        QVERIFY(view);
        view->GetDocument()->SetModifiedFlag(true);
        FakeVantorel::log.clear();
        ClickCommand(cmd::kFileSave);
        QCOMPARE(Log(), calls);
        QCOMPARE(ReadFile(ReportFolder() + file1), content1.toUtf8());
        if (!content2.isEmpty())
            QCOMPARE(ReadFile(ReportFolder() + file2), content2.toUtf8());
        QVERIFY(!view->GetDocument()->IsModified());
        // The entry got bare file names and both types, and was written.
        const XHTMLTREEDATA* entry = Entry(name);
        QVERIFY(entry);
        QCOMPARE(entry->Filename1, file1);
        QCOMPARE(entry->Filename2, file2);
        QCOMPARE(entry->Reporttype2, type);
        const QByteArray written = ReadFile(ReportsFile());
        QVERIFY2(written.contains(QStringLiteral("Filename2=\"%1\"").arg(file2).toUtf8()), written.constData());
        QVERIFY2(view->LastStatus().contains(QStringLiteral("saved")), qPrintable(view->LastStatus()));
        QCOMPARE(m_main->statusBar()->currentMessage(), view->LastStatus());
    }

    void aSecondWindowSavingTheSameReportSaysItReplacedTheFirst()
    {
        CLumetraView* first = Open(QStringLiteral("T1"));
        QVERIFY(first);
        QMdiSubWindow* firstFrame = m_main->MdiArea()->activeSubWindow();
        CLumetraView* second = Open(QStringLiteral("T1"));
        QVERIFY(second && second != first);
        QMdiSubWindow* secondFrame = m_main->MdiArea()->activeSubWindow();

        m_main->MdiArea()->setActiveSubWindow(firstFrame);
        ClickCommand(cmd::kFileSave);
        QVERIFY(!first->LastStatus().contains(QStringLiteral("another window")));
        m_main->MdiArea()->setActiveSubWindow(secondFrame);
        ClickCommand(cmd::kFileSave);
        QVERIFY2(second->LastStatus().contains(QStringLiteral("another window")), qPrintable(second->LastStatus()));
        QCOMPARE(m_main->statusBar()->currentMessage(), second->LastStatus());
        // Last writer wins: the file holds the second window's report.
        QCOMPARE(ReadFile(ReportFolder() + QStringLiteral("T1.xml")),
            (FakeVantorel::Of(second->UpperControl())->name + QStringLiteral(" table")).toUtf8());
        // Saving again from the same window replaces nobody's changes.
        ClickCommand(cmd::kFileSave);
        QVERIFY(!second->LastStatus().contains(QStringLiteral("another window")));
        // The first window is told on its next save.
        m_main->MdiArea()->setActiveSubWindow(firstFrame);
        ClickCommand(cmd::kFileSave);
        QVERIFY(first->LastStatus().contains(QStringLiteral("another window")));
    }

    void aFailedSaveKeepsThePreviousFiles_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("failAt");
        QTest::newRow("1: the upper control fails after the lower wrote") << 1 << 2;
        QTest::newRow("2: the chart fails on its first file") << 2 << 2;
        QTest::newRow("5: the second file fails") << 5 << 2;
        QTest::newRow("6: the first file fails") << 6 << 1;
    }
    void aFailedSaveKeepsThePreviousFiles()
    {
        QFETCH(int, type);
        QFETCH(int, failAt);
        const QString name = QStringLiteral("T%1").arg(type);
        const QString pivot = ReportFolder() + name + QStringLiteral(".xml");
        const QString second = ReportFolder() + name + QStringLiteral("2.xml");
        WriteFile(pivot, "previous pivot");
        WriteFile(second, "previous second");
        const QByteArray catalogue = ReadFile(ReportsFile());
        CLumetraView* view = Open(name);
        QVERIFY(view);
        view->GetDocument()->SetModifiedFlag(true);
        FakeVantorel::failAtSave = failAt;
        ClickCommand(cmd::kFileSave);
        QCOMPARE(ReadFile(pivot), QByteArray("previous pivot"));
        QCOMPARE(ReadFile(second), QByteArray("previous second"));
        // Files the failed save made are gone again.
        QVERIFY(!QFileInfo::exists(ReportFolder() + name + QStringLiteral("Chart.xml")));
        QVERIFY(!QFileInfo::exists(ReportFolder() + name + QStringLiteral("2Chart.xml")));
        QVERIFY(view->GetDocument()->IsModified());
        QCOMPARE(ReadFile(ReportsFile()), catalogue);
        QVERIFY2(view->LastStatus().contains(QStringLiteral("could not be saved"))
                && view->LastStatus().contains(QStringLiteral("No space left on device"))
                && view->LastStatus().contains(QStringLiteral("previous report files are kept")),
            qPrintable(view->LastStatus()));
        auto* box = view->findChild<QMessageBox*>(QStringLiteral("saveFailedBox"));
        QVERIFY(box && box->isVisible());
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        // Closing now asks, and Yes with the save failing again keeps the window.
        QPointer<QMdiSubWindow> frame = m_main->MdiArea()->activeSubWindow();
        FakeVantorel::saveCalls = 0;
        WhenModalShows([](QWidget* modal) { ClickMessageBoxButton(modal, QMessageBox::Yes); });
        frame->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(frame);
        QCOMPARE(ReadFile(pivot), QByteArray("previous pivot"));
    }

    void sizeEventsAlternateTheInsetAndActivationPostsTwo()
    {
        CLumetraView* view = Open(QStringLiteral("T3"));
        QVERIFY(view);
        QMdiSubWindow* frame = m_main->MdiArea()->activeSubWindow();
        QVERIFY(Open(QStringLiteral("T5")));
        const QSize size = view->size();
        QResizeEvent event(size, size);
        const int inset = view->Inset();
        QCoreApplication::sendEvent(view, &event);
        const QRect once = view->Splitter()->geometry();
        QCoreApplication::sendEvent(view, &event);
        const QRect twice = view->Splitter()->geometry();
        QVERIFY(once != twice);
        QCOMPARE(view->Inset(), inset);
        QCOMPARE(twice.width() - once.width(), inset == 3 ? -2 : 2);

        // Activation may resize the view at once (the tab shows it); the
        // two posted size events come on top.
        QCoreApplication::sendPostedEvents(view);
        m_main->MdiArea()->setActiveSubWindow(frame);
        const int activated = view->SizeEventCount();
        QCoreApplication::sendPostedEvents(view);
        QCOMPARE(view->SizeEventCount(), activated + 2);
    }

    void theSplitterPositionIsKeptAcrossWindows()
    {
        CLumetraView* view = Open(QStringLiteral("T5"));
        QVERIFY(view);
        CSSplitter* splitter = view->Splitter();
        QVERIFY(splitter->height() > 100);
        const QPoint bar = splitter->BarRect().center() + splitter->contentsRect().topLeft();
        const QPoint to(bar.x(), splitter->height() / 2);
        QTest::mousePress(splitter, Qt::LeftButton, {}, bar);
        QTest::mouseMove(splitter, to);
        QTest::mouseRelease(splitter, Qt::LeftButton, {}, to);
        const int height = splitter->BottomRect().height();
        QVERIFY(height > 50);
        m_main->MdiArea()->closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        CLumetraView* next = Open(QStringLiteral("T6"));
        QVERIFY(next);
        QCOMPARE(next->Splitter()->BottomRect().height(), height);
    }

    void aFavouriteOpensAndSavesInThePersonalFolder()
    {
        QString text = QLatin1String(kHeader);
        text += Item("root", QStringLiteral("Favorites"), 0, 0, true);
        text += ReportItem(QStringLiteral("Fav5"), 5, QStringLiteral("Fav5.xml"), QStringLiteral("Fav52.xml"));
        text += QStringLiteral("</root>\r\n");
        WriteFile(FavoritesFile(), text.toLatin1());
        m_main->FavoritesTree()->DeleteAllItems();
        m_main->FavoritesTree()->ReadCatalogueFile(FavoritesFile());
        m_main->FavoritesTree()->ExpandAll();
        QTest::mouseClick(m_main->NavigationBar()->PageButton(1), Qt::LeftButton);
        QTRY_VERIFY(m_main->IsFavoritesPaneVisible());
        ClickItem(m_main->FavoritesTree(), QStringLiteral("Fav5"));
        CLumetraView* view = ActiveView();
        QVERIFY(view);
        QVERIFY(view->IsPersonal());
        const QString user = platform::CurrentUserName();
        QVERIFY(QFileInfo(ReportFolder() + user).isDir());
        QCOMPARE(Log().mid(1),
            (QStringList {QStringLiteral("c1.OppnaRapportTyp(F/%1/Fav5.xml,1)").arg(user),
                QStringLiteral("c2.OppnaRapportTyp(F/%1/Fav52.xml,2)").arg(user)}));
        FakeVantorel::log.clear();
        ClickCommand(cmd::kFileSave);
        QCOMPARE(Log(),
            (QStringList {QStringLiteral("c1.SaveReportAs(Fav5,F/%1/,D/)").arg(user),
                QStringLiteral("c2.SaveReportAs(Fav52,F/%1/,D/)").arg(user)}));
        QVERIFY(QFileInfo::exists(ReportFolder() + user + QStringLiteral("/Fav52.xml")));
        // The favourite's entry is the one updated (the Favorites pane is visible).
        QVERIFY(ReadFile(FavoritesFile()).contains("Reporttype2=\"5\""));
    }

    void aControlFailingWhileOpeningLeavesTheWindowAndSaysWhy()
    {
        FakeVantorel::failMember = C_Vantorel::kOpenReportOfType;
        CLumetraView* view = Open(QStringLiteral("T5"));
        QVERIFY(view);
        // The first failure ends the opening: the lower control is not asked.
        QCOMPARE(Log(), (QStringList {"c2.HideToolbar()", "c1.OppnaRapportTyp(F/T5.xml,1)"}));
        QVERIFY2(view->LastStatus().contains(QStringLiteral("The cube is offline")), qPrintable(view->LastStatus()));
        QVERIFY(!view->GetDocument()->IsModified());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QVERIFY(view->updatesEnabled());
    }

    void aNullItemOpensNothing()
    {
        CLumetraView view;
        view.OnUpdate(nullptr, InstanceMessages::Get().MSG_INST, nullptr);
        view.OnUpdate(nullptr, InstanceMessages::Get().MSG_INST_UPDATE, nullptr);
        QCOMPARE(view.ReportType(), 0);
        QVERIFY(!view.Save());
        QCOMPARE(Log(), QStringList {QStringLiteral("c2.HideToolbar()")});
    }
};

int main(int argc, char** argv)
{
    InstanceMessages::Get();
    CLumetraApp app(argc, argv);
    TestReportView test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_reportview.moc"
