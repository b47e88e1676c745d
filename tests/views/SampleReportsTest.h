#pragma once

#include "views/ReportViewTest.h"

#include "control/Vantorel.h"
#include "control/chart/ChartData.h"
#include "control/chart/ChartWidget.h"
#include "control/pivot/PivotSession.h"
#include "control/vantorel/PivotComponent.h"
#include "olap/sample/SalesSample.h"
#include "views/CSSplitter.h"
#include "views/C_Vantorel.h"

#include <QDir>

// The main window over the bundled sample catalogues, favourites, data
// sources and reports, laid out as make-demo.sh lays them out, over a fresh
// sample cube and SQLite file, with the real analysis control.
class SampleReportsTest : public ReportViewTest {
public:
    static QString SampleFolder() { return QStringLiteral(LUMETRA_SAMPLE_DIR "/"); }

protected:
    // The sample file with the demo's folders filled in, as make-demo.sh does.
    QByteArray Sample(const QString& path) const
    {
        QString text = QString::fromLatin1(ReadFile(path));
        text.replace(QLatin1String("@DATA@"), m_cube.path() + QLatin1Char('/'));
        text.replace(QLatin1String("@REPORTS@"), ReportFolder());
        return text.toLatin1();
    }

    // Once per test program: the sample cube and SQLite file, and the real
    // control made by class id.
    void MakeSampleData()
    {
        QVERIFY(m_cube.isValid());
        olap::SalesSample::WriteAll(QFile::encodeName(m_cube.path()).toStdString(), 4000, 1);
        C_Vantorel::SetObjectMaker(
            [](const QString& classId, std::shared_ptr<platform::IDispatchObject>* out, QString*) {
                if (classId != QLatin1String(Vantorel::kClassId))
                    return platform::kRegdbEClassNotReg;
                *out = std::make_shared<Vantorel>();
                return platform::kSOk;
            });
    }
    static void DropObjectMaker() { C_Vantorel::SetObjectMaker({}); }

    // Per test: the sample reports in a report folder of their own (the
    // favourites' copies in the personal folder), the sample catalogues and
    // data sources, and the main window.
    void SetUpSamples()
    {
        m_reports = std::make_unique<QTemporaryDir>();
        const QDir samples(SampleFolder() + QStringLiteral("reports"));
        for (const QString& file : samples.entryList(QDir::Files))
            WriteFile(ReportFolder() + file, Sample(samples.filePath(file)));
        SetUp(Sample(SampleFolder() + QStringLiteral("data/Pellamy.xml")),
            Sample(SampleFolder() + QStringLiteral("data/Favorites.xml")));
        WriteFile(m_dataPath + QStringLiteral("PellamyDS.xml"),
            Sample(SampleFolder() + QStringLiteral("data/PellamyDS.xml")));
        const QString personal = ReportFolder() + platform::CurrentUserName() + QLatin1Char('/');
        QVERIFY(QDir().mkpath(personal));
        // The personal copies make-demo.sh installs for the sample favourites.
        for (const char* file :
            {"SalesByRegion.xml", "SalesByRegionChart.xml", "TopProducts.xml", "CountrySalesSQL.xml"})
            WriteFile(personal + QLatin1String(file), Sample(samples.filePath(QLatin1String(file))));
        CLumetraApp::Instance()->ReportPath = ReportFolder();
        // The bottom pane's height as the demo installation sets it.
        QVERIFY(CLumetraApp::Instance()->WriteProfileInt(
            QStringLiteral("splt\\init_h1202"), QLatin1String(CSSplitter::kPositionEntry), 260));
        m_main->resize(1100, 760);
    }
    void TearDownSamples()
    {
        if (m_main)
            CloseAll();
        TearDown();
        m_reports.reset();
    }

    static Vantorel* Control(C_Vantorel* host) { return host ? dynamic_cast<Vantorel*>(host->Object()) : nullptr; }
    void CloseAll()
    {
        for (QMdiSubWindow* window : m_main->MdiArea()->subWindowList()) {
            if (auto* frame = qobject_cast<CMDIChildWndEx*>(window); frame && frame->GetActiveDocument())
                frame->GetActiveDocument()->SetModifiedFlag(false);
        }
        m_main->MdiArea()->closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The chart data the table's current view gives.
    static chart::ChartData DataOf(Vantorel* table)
    {
        return chart::ChartData::FromLayout(table->PivotTable().Session().Layout());
    }
    // Waits until the control shows what kind says ("table" or "chart") with data in it.
    static void VerifyShows(Vantorel* control, const QString& kind)
    {
        QVERIFY(control);
        if (kind == QLatin1String("chart")) {
            QVERIFY(control->ChartVisible());
            QTRY_VERIFY2(!control->ChartView().Data().IsEmpty(), qPrintable(control->LastError()));
        } else {
            QVERIFY(control->PivotVisible());
            QVERIFY(!control->ChartVisible());
            const pivot::PivotSession& session = control->PivotTable().Session();
            QTRY_VERIFY2(session.HasLayout() && !session.IsWorking(), qPrintable(control->LastError()));
            QVERIFY(control->PivotTable().Session().Layout().ValueRows() > 1);
        }
        QVERIFY2(control->LastError().isEmpty(), qPrintable(control->LastError()));
    }

    QTemporaryDir m_cube;
};
