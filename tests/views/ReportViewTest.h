#pragma once

#include "app/MainFrameTest.h"
#include "views/FakeVantorel.h"

#include "framework/CDocument.h"
#include "framework/CMDIChildWndEx.h"
#include "framework/CommandIds.h"
#include "views/CLumetraView.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QToolButton>

// The main window over a catalogue of one report of each type (T1..T6),
// with a report folder of its own and fake analysis controls.
class ReportViewTest : public MainFrameTest {
public:
    static QString ReportItem(const QString& name, int type, const QString& f1, const QString& f2)
    {
        return QStringLiteral("\t<item name=\"%1\" Reporttype1=\"%2\" Reporttype2=\"%2\" Filename1=\"%3\" "
                              "Filename2=\"%4\" separator=\"0\" checked=\"0\" enabled=\"1\" image=\"1\"/>\r\n")
            .arg(name)
            .arg(type)
            .arg(f1, f2);
    }
    static QByteArray Catalogue()
    {
        QString text = QLatin1String(kHeader);
        text += Item("root", QStringLiteral("Reports"), 0, 0, true);
        for (int type = 1; type <= 6; ++type) {
            const QString name = QStringLiteral("T%1").arg(type);
            text += ReportItem(name, type, name + QStringLiteral(".xml"),
                type >= 5 ? name + QStringLiteral("2.xml") : name + QStringLiteral(".xml"));
        }
        text += QStringLiteral("</root>\r\n");
        return text.toLatin1();
    }

protected:
    void SetUpViews()
    {
        FakeVantorel::Install();
        SetUp(Catalogue());
        m_reports = std::make_unique<QTemporaryDir>();
        CLumetraApp::Instance()->ReportPath = m_reports->path() + QLatin1Char('/');
        // An empty data-source catalogue unless a test writes one.
    }
    void TearDownViews()
    {
        if (m_main) {
            // Nothing asks to save while the test's windows go.
            for (QMdiSubWindow* window : m_main->MdiArea()->subWindowList()) {
                if (auto* frame = qobject_cast<CMDIChildWndEx*>(window); frame && frame->GetActiveDocument())
                    frame->GetActiveDocument()->SetModifiedFlag(false);
            }
            m_main->MdiArea()->closeAllSubWindows();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        TearDown();
        m_reports.reset();
        FakeVantorel::Uninstall();
    }
    QString ReportFolder() const { return m_reports->path() + QLatin1Char('/'); }

    CLumetraView* ActiveView() const
    {
        CMDIChildWndEx* frame = m_main->MDIGetActive();
        return frame ? qobject_cast<CLumetraView*>(frame->GetActiveView()) : nullptr;
    }
    CLumetraView* Open(const QString& name)
    {
        const int before = m_main->MdiArea()->subWindowList().size();
        ClickItem(m_main->ReportsTree(), name);
        if (m_main->MdiArea()->subWindowList().size() != before + 1)
            return nullptr;
        return ActiveView();
    }
    // Clicks the ribbon button of a command as the user would.
    void ClickCommand(int id)
    {
        m_main->UpdateCommandUI();
        QAction* action = m_main->CommandAction(id);
        QVERIFY(action->isEnabled());
        for (QToolButton* button : m_main->findChildren<QToolButton*>()) {
            if (button->defaultAction() == action && button->isVisible()) {
                QTest::mouseClick(button, Qt::LeftButton);
                return;
            }
        }
        action->trigger();
    }
    template <typename T> static T* Child(QWidget* parent, const char* name)
    {
        return parent->findChild<T*>(QLatin1String(name));
    }
    static void Click(QWidget* parent, const char* name)
    {
        auto* button = Child<QAbstractButton>(parent, name);
        QVERIFY2(button, name);
        QTest::mouseClick(button, Qt::LeftButton);
    }

    std::unique_ptr<QTemporaryDir> m_reports;
};
