#include "MainFrameTest.h"

#include "platform/messages/InstanceMessages.h"

#include <QHelpEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QToolTip>

namespace {

const QString kLongName = QStringLiteral("Sales by region, product group and month for the whole of the last year");

QByteArray CatalogueWithALongName()
{
    QString text = QLatin1String(MainFrameTest::kHeader);
    text += MainFrameTest::Item("root", QStringLiteral("Reports"), 0, 0, true);
    text += QLatin1Char('\t') + MainFrameTest::Item("item", kLongName, 1, 0);
    text += QLatin1Char('\t') + MainFrameTest::Item("item", QStringLiteral("Short"), 1, 0);
    text += QStringLiteral("</root>\r\n");
    return text.toLatin1();
}

int PaneWidthInProfile()
{
    return CLumetraApp::Instance()->GetProfileInt(QStringLiteral("Settings"), QStringLiteral("NavigationBarWidth"), 0);
}

} // namespace

// The panes and the window as keyboard users and people with other screens meet them.
class TestPanes : public MainFrameTest {
    Q_OBJECT
private slots:
    void init() { SetUp(); }
    void cleanup() { TearDown(); }

    void keysActOnTheSelectedItem_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("Enter opens the selected report") << int(Qt::Key_Return) << 0 << "Sales"
                                                         << "window";
        QTest::newRow("keypad Enter opens it too") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "Office"
                                                   << "window";
        QTest::newRow("Enter on a folder opens nothing") << int(Qt::Key_Return) << 0 << "Folder"
                                                         << "nothing";
        QTest::newRow("Menu key shows the item's menu") << int(Qt::Key_Menu) << 0 << "Sales 2009"
                                                        << "menu";
        QTest::newRow("Shift+F10 shows the item's menu") << int(Qt::Key_F10) << int(Qt::ShiftModifier) << "Folder"
                                                         << "menu";
        QTest::newRow("Delete asks and deletes") << int(Qt::Key_Delete) << 0 << "Sales2"
                                                 << "delete";
    }
    void keysActOnTheSelectedItem()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, name);
        QFETCH(QString, outcome);
        CXHtmlTree* tree = m_main->ReportsTree();
        QTreeWidgetItem* item = FindByName(tree, name);
        QVERIFY(item);
        tree->setFocus();
        tree->setCurrentItem(item);
        QString question;
        if (outcome == QLatin1String("delete"))
            WhenModalShows([&](QWidget* box) { ClickMessageBoxButton(box, QMessageBox::Yes, &question); });
        QTest::keyClick(tree, Qt::Key(key), Qt::KeyboardModifiers(modifiers));

        const QList<QMdiSubWindow*> windows = m_main->MdiArea()->subWindowList();
        QCOMPARE(windows.size(), outcome == QLatin1String("window") ? 1 : 0);
        if (outcome == QLatin1String("window"))
            QCOMPARE(windows.front()->windowTitle(), name);
        QCOMPARE(m_main->ReportsMenu()->isVisible(), outcome == QLatin1String("menu"));
        if (outcome == QLatin1String("menu")) {
            QCOMPARE(m_main->CurrentItem(), item);
            // The menu opens at the item, not wherever the mouse happens to be.
            const QRect itemRect(
                tree->viewport()->mapToGlobal(tree->visualItemRect(item).topLeft()), tree->visualItemRect(item).size());
            QVERIFY(qAbs(m_main->ReportsMenu()->geometry().top() - itemRect.bottom()) <= itemRect.height());
            m_main->ReportsMenu()->close();
        }
        if (outcome == QLatin1String("delete")) {
            QCOMPARE(question, QStringLiteral("Would you like to remove report Sales2"));
            QVERIFY(!FindByName(tree, name));
            QVERIFY(!ReadFile(ReportsFile()).contains("Sales2"));
        } else {
            QVERIFY(FindByName(tree, name));
        }
    }

    void f6MovesAmongThePanes()
    {
        CXHtmlTree* tree = m_main->ReportsTree();
        tree->setFocus();
        // Without a report window the pane is the only one.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
        QCOMPARE(QApplication::focusWidget(), tree);

        ClickItem(tree, QStringLiteral("Sales"));
        QMdiSubWindow* report = m_main->MdiArea()->activeSubWindow();
        QVERIFY(report);
        tree->setFocus();
        auto inReport = [report] {
            QWidget* focus = QApplication::focusWidget();
            return focus && (focus == report || report->isAncestorOf(focus));
        };
        const struct {
            Qt::KeyboardModifiers modifiers;
            bool reportAfter;
        } steps[]
            = {{Qt::NoModifier, true}, {Qt::NoModifier, false}, {Qt::ShiftModifier, true}, {Qt::ShiftModifier, false}};
        for (const auto& step : steps) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6, step.modifiers);
            QTRY_COMPARE(inReport(), step.reportAfter);
            if (!step.reportAfter)
                QCOMPARE(QApplication::focusWidget(), tree);
        }
        QVERIFY(m_main->CommandAction(57680)->isEnabled());
        QVERIFY(m_main->CommandAction(57681)->isEnabled());
    }

    void titleNamesTheActiveReport()
    {
        QCOMPARE(m_main->windowTitle(), QStringLiteral("Lumetra"));
        ClickItem(m_main->ReportsTree(), QStringLiteral("Sales"));
        QCOMPARE(m_main->windowTitle(), QStringLiteral("Sales - Lumetra"));
        ClickItem(m_main->ReportsTree(), QStringLiteral("Office"));
        QCOMPARE(m_main->windowTitle(), QStringLiteral("Office - Lumetra"));
        m_main->MdiArea()->activatePreviousSubWindow();
        QCOMPARE(m_main->windowTitle(), QStringLiteral("Sales - Lumetra"));
        m_main->MdiArea()->closeAllSubWindows();
        QTRY_COMPARE(m_main->windowTitle(), QStringLiteral("Lumetra"));
    }

    void firstWindowFitsTheScreen()
    {
        const QRect available = m_main->screen()->availableGeometry();
        QVERIFY2(available.contains(m_main->frameGeometry()),
            qPrintable(QStringLiteral("window %1x%2 at %3,%4 on %5x%6")
                           .arg(m_main->frameGeometry().width())
                           .arg(m_main->frameGeometry().height())
                           .arg(m_main->x())
                           .arg(m_main->y())
                           .arg(available.width())
                           .arg(available.height())));
        QVERIFY(m_main->width() <= 1280 && m_main->height() <= 820);
    }

    void paneWidthIsKept()
    {
        COutlookBar* bar = m_main->NavigationBar();
        const int before = bar->width();
        const int separator = m_main->style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent, nullptr, m_main);
        const QPoint grip(bar->geometry().right() + 1 + separator / 2, bar->geometry().center().y());
        QTest::mousePress(m_main, Qt::LeftButton, {}, grip);
        // The window moves its separators on a zero timer: let it run after each step.
        for (int dx = 10; dx <= 60; dx += 10) {
            QTest::mouseMove(m_main, grip + QPoint(dx, 0));
            QTest::qWait(20);
        }
        QTest::mouseRelease(m_main, Qt::LeftButton, {}, grip + QPoint(60, 0));
        QTRY_VERIFY2(bar->width() >= before + 50, qPrintable(QString::number(bar->width())));
        const int dragged = bar->width();
        QTRY_COMPARE(PaneWidthInProfile(), dragged);
        Stop();
        Start();
        QTRY_COMPARE(m_main->NavigationBar()->width(), dragged);
    }

    void longNamesAreElidedWithTheWholeNameAsTooltip_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("elided");
        QTest::newRow("long name") << kLongName << true;
        QTest::newRow("short name") << QStringLiteral("Short") << false;
    }
    void longNamesAreElidedWithTheWholeNameAsTooltip()
    {
        QFETCH(QString, name);
        QFETCH(bool, elided);
        Stop();
        WriteFile(ReportsFile(), CatalogueWithALongName());
        Start();
        CXHtmlTree* tree = m_main->ReportsTree();
        QTreeWidgetItem* item = FindByName(tree, name);
        QVERIFY(item);
        const QRect rect = tree->visualItemRect(item);
        QVERIFY(rect.right() <= tree->viewport()->width()); // no scrolling sideways: the name is cut
        QToolTip::hideText();
        QHelpEvent help(QEvent::ToolTip, rect.center(), tree->viewport()->mapToGlobal(rect.center()));
        QApplication::sendEvent(tree->viewport(), &help);
        if (elided) {
            QTRY_VERIFY(QToolTip::isVisible());
            QVERIFY2(QToolTip::text().contains(name), qPrintable(QToolTip::text()));
        } else {
            QTest::qWait(50);
            QVERIFY(!QToolTip::isVisible());
        }
    }
};

int main(int argc, char** argv)
{
    InstanceMessages::Get();
    CLumetraApp app(argc, argv);
    TestPanes test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_panes.moc"
