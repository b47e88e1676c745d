// Cancel of a long query through the control, in a process of its own (the query held in
// the worker thread until it is cancelled).
#include "support/TestFiles.h"

#include "control/Vantorel.h"
#include "control/pivot/PivotCommand.h"
#include "control/pivot/PivotGrid.h"
#include "control/pivot/PivotSession.h"
#include "control/pivot/PivotTableWidget.h"
#include "control/pivot/PivotToolbar.h"
#include "control/vantorel/PivotComponent.h"
#include "control/vantorel/VantorelWidget.h"
#include "olap/query/CancellationToken.h"
#include "olap/sample/SalesSample.h"

#include <QAction>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {

bool WaitForView(Vantorel& control)
{
    pivot::PivotSession& session = control.PivotTable().Session();
    return QTest::qWaitFor([&] { return !session.IsWorking() && session.HasLayout(); }, 20000);
}

std::unique_ptr<Vantorel> NewControl()
{
    return std::make_unique<Vantorel>();
}

} // namespace

class VantorelCancelTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_cubes.isValid());
        olap::SalesSample::WriteAll(m_cubes.path().toStdString(), 3000, 7);
        const QString data = m_cubes.path() + QLatin1Char('/');
        const QString name = QStringLiteral("SalesByRegion.xml");
        QByteArray text = ReadFile(QStringLiteral(LUMETRA_SAMPLE_REPORTS) + QLatin1Char('/') + name);
        text.replace("@DATA@", data.toUtf8());
        WriteFile(m_cubes.filePath(name), text);
    }

    // A long query started through the control is cancelled with Escape in the grid or the
    // stop button of the pivot's toolbar: the view on show stays, the control says so in its
    // last error and log, and it goes on working.
    void cancelThroughTheControl_data()
    {
        QTest::addColumn<bool>("fromToolbar");
        QTest::newRow("Escape") << false;
        QTest::newRow("stop button") << true;
    }
    void cancelThroughTheControl()
    {
        QFETCH(bool, fromToolbar);
        auto control = NewControl();
        QWidget host;
        host.resize(800, 500);
        control->ControlWindow(&host)->setGeometry(host.rect());
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        control->OppnaRapportTyp(m_cubes.filePath(QStringLiteral("SalesByRegion.xml")), 1);
        QVERIFY(WaitForView(*control));
        pivot::PivotSession& session = control->PivotTable().Session();
        const int rows = session.Layout().RowCount();
        // The next query waits in the worker until it is cancelled.
        auto held = std::make_shared<std::atomic<bool>>(false);
        control->PivotTable().SetQueryProbe([held](const std::string&, const olap::CancellationToken& token) {
            *held = true;
            for (int i = 0; i < 4000 && !token.IsCancelled(); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        });
        control->ClickButton(QStringLiteral("SortDesc"));
        QVERIFY(session.IsWorking());
        QTRY_VERIFY(held->load());
        pivot::PivotGrid* grid = control->PivotTable().ExistingGrid();
        QTRY_VERIFY(grid->ShowsWorking());
        if (fromToolbar) {
            control->ClickButton(QStringLiteral("Toolbar"));
            QAction* stop = control->Window().PivotView()->Toolbar()->Action(pivot::PivotCommand::Cancel);
            QVERIFY(control->Window().PivotView()->Toolbar()->isVisible());
            QVERIFY(stop && stop->isEnabled());
            stop->trigger();
        } else {
            grid->setFocus();
            QTest::keyClick(grid, Qt::Key_Escape);
        }
        QVERIFY(!session.IsWorking());
        QVERIFY2(control->LastError().contains(QStringLiteral("cancelled")), qPrintable(control->LastError()));
        QVERIFY(control->Log().last().contains(QStringLiteral("cancelled")));
        // The view on show and its definition stay (the sort never arrived).
        QCOMPARE(session.Layout().RowCount(), rows);
        QVERIFY(!control->PivotTable().Definition().rowAxis.front().sort.IsActive());
        // The control goes on: a refresh and a sort run.
        control->PivotTable().SetQueryProbe({});
        control->ClickButton(QStringLiteral("Run"));
        QVERIFY(WaitForView(*control));
        control->ClickButton(QStringLiteral("SortDesc"));
        QVERIFY(WaitForView(*control));
        QVERIFY2(session.LastError().isEmpty(), qPrintable(session.LastError()));
        QVERIFY(session.ShownDefinition().rowAxis.front().sort.IsActive());
    }

private:
    QTemporaryDir m_cubes;
};

QTEST_MAIN(VantorelCancelTest)
#include "VantorelCancelTest.moc"
