#include "views/ReportViewTest.h"

#include "app/CNewReportDlg.h"
#include "app/MainFrameIds.h"
#include "platform/messages/InstanceMessages.h"
#include "uikit/CBalloonMsg.h"
#include "uikit/CXHtmlStatic.h"
#include "views/CSSplitter.h"

// New reports made as a user makes them: the New report dialog, one or two
// data sources, the new window, its first save and reopening it.
class TestNewReport : public ReportViewTest {
    Q_OBJECT

    static QByteArray DataSources()
    {
        QString text = QLatin1String(kHeader);
        text += Item("root", QStringLiteral("Data sources"), 0, 0, true);
        text += QStringLiteral("\t<item name=\"&lt;font color=&quot;dodgerblue&quot;&gt;Sales&lt;/font&gt;\" "
                               "Reporttype1=\"0\" Reporttype2=\"0\" Filename1=\"SalesCube\" Filename2=\"Provider=A\" "
                               "separator=\"0\" checked=\"0\" enabled=\"1\" image=\"1\"/>\r\n");
        text += QStringLiteral("\t<item name=\"&lt;font color=&quot;dodgerblue&quot;&gt;Stores&lt;/font&gt;\" "
                               "Reporttype1=\"0\" Reporttype2=\"0\" Filename1=\"StoreCube\" Filename2=\"Provider=B\" "
                               "separator=\"0\" checked=\"0\" enabled=\"1\" image=\"1\"/>\r\n");
        text += QStringLiteral("</root>\r\n");
        return text.toLatin1();
    }
    // Picks source in the "Select datasource" dialog and confirms, or closes it.
    static void Choose(QWidget* dialog, const QString& source)
    {
        auto* tree = Child<CXHtmlTree>(dialog, "dataSourceTree");
        QVERIFY(tree);
        if (source.isEmpty()) {
            Click(dialog, "closeButton");
            return;
        }
        QTreeWidgetItem* item = FindByName(tree, source);
        QVERIFY2(item, qPrintable(source));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
        Click(dialog, "selectButton");
    }
    // Runs File > New, types name and clicks the button of type, answering
    // the data-source dialogs with sources (an empty one closes it).
    void Create(const QString& name, int type, const QStringList& sources, bool* stillOpen = nullptr)
    {
        bool open = false;
        WhenModalShows([&](QWidget* dialog) {
            QTest::keyClicks(Child<QLineEdit>(dialog, "reportNameEdit"), name);
            if (!sources.isEmpty()) {
                WhenModalShows([&](QWidget* first) {
                    if (sources.size() > 1)
                        WhenModalShows([&](QWidget* second) { Choose(second, sources[1]); });
                    Choose(first, sources[0]);
                });
            }
            Click(dialog, QStringLiteral("typeButton%1").arg(type).toLatin1().constData());
            open = dialog->isVisible();
            if (open)
                Click(dialog, "cancelButton");
        });
        ClickCommand(cmd::kFileNew);
        if (stillOpen)
            *stillOpen = open;
    }
    QStringList Log() const
    {
        QStringList log = FakeVantorel::log;
        for (QString& line : log)
            line.replace(ReportFolder(), QStringLiteral("F/"));
        return log;
    }

private slots:
    void init()
    {
        SetUpViews();
        WriteFile(m_dataPath + QStringLiteral("PellamyDS.xml"), DataSources());
    }
    void cleanup() { TearDownViews(); }

    void theDialogShowsSevenTypes()
    {
        CNewReportDlg dialog(m_main);
        for (int type = 1; type <= CNewReportDlg::kTypeCount; ++type) {
            QVERIFY(!dialog.TypeButton(type)->icon().isNull());
            QCOMPARE(dialog.TypeButton(type)->toolTip(), QStringLiteral("Create report"));
            QCOMPARE(dialog.DescriptionStatic(type)->WindowText(), CNewReportDlg::Description(type));
        }
        QCOMPARE(dialog.DescriptionStatic(3)->PlainText(),
            QStringLiteral(" Report table and chart: Report shows --  a table and a chart on the information -- Table "
                           "and chart are connected, so if data in table changes chart will also update -- "));
        QVERIFY(dialog.DescriptionStatic(5)->WindowText().contains(QStringLiteral("are <u>not</u> connected")));
        // LUMETRA_SCREENSHOT_DIR set: the dialog is saved as a picture for the documentation.
        if (const QString dir = qEnvironmentVariable("LUMETRA_SCREENSHOT_DIR"); !dir.isEmpty()) {
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QVERIFY(dialog.grab().save(dir + QStringLiteral("/new-report-dialog.png")));
        }
        // The pictures of the linked and the independent pairs differ.
        QVERIFY(dialog.TypeButton(3)->icon().pixmap(56, 44).toImage()
            != dialog.TypeButton(5)->icon().pixmap(56, 44).toImage());
    }

    void anEmptyNameShowsTheBalloonAndNoSourceDialog()
    {
        bool balloon = false;
        bool sourceDialog = false;
        WhenModalShows([&](QWidget* dialog) {
            Click(dialog, "typeButton1");
            sourceDialog = QApplication::activeModalWidget() != dialog;
            for (QWidget* w : QApplication::topLevelWidgets())
                balloon |= qobject_cast<CBalloonMsg*>(w) && w->isVisible();
            Click(dialog, "cancelButton");
        });
        ClickCommand(cmd::kFileNew);
        QVERIFY(balloon);
        QVERIFY(!sourceDialog);
        QVERIFY(m_main->MdiArea()->subWindowList().isEmpty());
    }

    void eachTypeStartsFromItsSources_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("sources");
        QTest::addColumn<QStringList>("calls");
        const QString hide = QStringLiteral("c2.HideToolbar()");
        QTest::newRow("1") << 1 << QStringList {"Sales"} << QStringList {hide, "c1.OpenCube(Provider=A,SalesCube,1)"};
        QTest::newRow("2") << 2 << QStringList {"Sales"} << QStringList {hide, "c1.OpenCube(Provider=A,SalesCube,2)"};
        QTest::newRow("3") << 3 << QStringList {"Sales"}
                           << QStringList {hide, "c1.OpenCube(Provider=A,SalesCube,1)", "c1.GetPivottable()",
                                  "c2.ShowToolbar()", "c2.PutPivottable(<pivot>)"};
        QTest::newRow("4") << 4 << QStringList {"Stores"}
                           << QStringList {hide, "c2.OpenCube(Provider=B,StoreCube,1)", "c2.ShowToolbar()",
                                  "c2.GetPivottable()", "c1.PutPivottable(<pivot>)"};
        QTest::newRow("5") << 5 << QStringList {"Sales", "Stores"}
                           << QStringList {hide, "c1.OpenCube(Provider=A,SalesCube,1)", "c2.ShowToolbar()",
                                  "c2.OpenCube(Provider=B,StoreCube,2)"};
        QTest::newRow("6") << 6 << QStringList {"Stores", "Sales"}
                           << QStringList {hide, "c1.OpenCube(Provider=B,StoreCube,2)", "c2.ShowToolbar()",
                                  "c2.OpenCube(Provider=A,SalesCube,1)"};
    }
    void eachTypeStartsFromItsSources()
    {
        QFETCH(int, type);
        QFETCH(QStringList, sources);
        QFETCH(QStringList, calls);
        const QString name = QStringLiteral("New %1").arg(type);
        Create(name, type, sources);
        CLumetraView* view = ActiveView();
        QVERIFY(view);
        QCOMPARE(Log(), calls);
        QCOMPARE(view->ReportType(), type);
        QCOMPARE(view->ReportName(), name);
        QCOMPARE(view->GetDocument()->GetTitle(), name);
        QVERIFY(view->GetDocument()->IsModified());
        QCOMPARE(view->Splitter()->IsBottomHidden(), type <= 2);
        auto* app = CLumetraApp::Instance();
        QCOMPARE(app->NewReportSource1.Reporttype1, type);
        QCOMPARE(app->NewReportSource1.strPlainText, name);
        if (type == 3 || type == 4) // both records hold the one source
            QCOMPARE(app->NewReportSource2.Filename2, app->NewReportSource1.Filename2);
        FakeVantorel* upper = FakeVantorel::Of(view->UpperControl());
        FakeVantorel* lower = FakeVantorel::Of(view->LowerControl());
        if (type == 3)
            QCOMPARE(lower->bound, upper->pivot);
        if (type == 4)
            QCOMPARE(upper->bound, lower->pivot);

        // The catalogue got the new item; the first save gives it files and types.
        QVERIFY(FindByName(m_main->ReportsTree(), name));
        ClickCommand(cmd::kFileSave);
        QVERIFY(!view->GetDocument()->IsModified());
        const XHTMLTREEDATA* entry = m_main->ReportsTree()->GetItemData(FindByName(m_main->ReportsTree(), name));
        QCOMPARE(entry->Reporttype1, type);
        QCOMPARE(entry->Filename1, name + QStringLiteral(".xml"));
        QCOMPARE(entry->Filename2, name + (type >= 5 ? QStringLiteral("2.xml") : QStringLiteral(".xml")));

        // Closed and reopened from the catalogue, it opens the saved files,
        // linked again in types 3 and 4.
        m_main->MdiArea()->closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(m_main->MdiArea()->subWindowList().isEmpty());
        FakeVantorel::log.clear();
        CLumetraView* reopened = Open(name);
        QVERIFY(reopened);
        upper = FakeVantorel::Of(reopened->UpperControl());
        lower = FakeVantorel::Of(reopened->LowerControl());
        QVERIFY2(Log().contains(
                     QStringLiteral("%1.OppnaRapportTyp(F/%2.xml,%3)").arg(upper->name, name).arg(type % 2 ? 1 : 2)),
            qPrintable(Log().join(QLatin1Char('\n'))));
        if (type == 3)
            QCOMPARE(lower->bound, upper->pivot);
        if (type == 4)
            QCOMPARE(upper->bound, lower->pivot);
    }

    void cancellingASourceDialogOpensNothing_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("sources");
        QTest::newRow("the only source of type 3") << 3 << QStringList {QString()};
        QTest::newRow("the second source of type 5") << 5 << QStringList {"Sales", QString()};
        QTest::newRow("the second source of type 6") << 6 << QStringList {"Stores", QString()};
    }
    void cancellingASourceDialogOpensNothing()
    {
        QFETCH(int, type);
        QFETCH(QStringList, sources);
        const int items = m_main->ReportsTree()->topLevelItem(0)->childCount();
        bool stillOpen = false;
        Create(QStringLiteral("Kept"), type, sources, &stillOpen);
        QVERIFY(stillOpen);
        QVERIFY(m_main->MdiArea()->subWindowList().isEmpty());
        QCOMPARE(m_main->ReportsTree()->topLevelItem(0)->childCount(), items);
        QVERIFY(FakeVantorel::log.isEmpty());
    }
};

int main(int argc, char** argv)
{
    InstanceMessages::Get();
    CLumetraApp app(argc, argv);
    TestNewReport test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_newreport.moc"
