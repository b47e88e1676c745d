#include "support/TempRegistry.h"

#include "app/CLumetraApp.h"
#include "platform/messages/InstanceMessages.h"
#include "views/CSSplitter.h"

#include <QLineEdit>
#include <QTest>

#include <memory>

// The split pane: bar placement, drags (with Escape), the minimum heights,
// the hidden bottom pane and the height kept per splitter id.
class TestSplitter : public QObject {
    Q_OBJECT

    // A window with a splitter of two panes; the splitter's client area is
    // 298 x 198 (a one-pixel border inside 300 x 200).
    struct Window {
        QWidget parent;
        QLineEdit* focus = new QLineEdit(&parent);
        QWidget* top = new QWidget;
        QWidget* bottom = new QWidget;
        CSSplitter* splitter = new CSSplitter;
        explicit Window(int height = 200)
        {
            parent.resize(320, height + 40);
            focus->setGeometry(0, height + 10, 100, 20);
            splitter->Create(QRect(0, 0, 300, height), &parent, top, bottom);
            parent.show();
        }
    };

    std::unique_ptr<TempRegistry> m_registry;

    static int ClientHeight(const CSSplitter* s) { return s->contentsRect().height(); }
    static QPoint ToWidget(const CSSplitter* s, int y) { return QPoint(40, y) + s->contentsRect().topLeft(); }
    static void Drag(CSSplitter* s, int to)
    {
        const int from = s->BarRect().center().y();
        QTest::mousePress(s, Qt::LeftButton, {}, ToWidget(s, from));
        QTest::mouseMove(s, ToWidget(s, (from + to) / 2));
        QTest::mouseMove(s, ToWidget(s, to));
        QTest::mouseRelease(s, Qt::LeftButton, {}, ToWidget(s, to));
    }

private slots:
    void init() { m_registry = std::make_unique<TempRegistry>(); }
    void cleanup() { m_registry.reset(); }

    void firstUseGivesTheBottomPaneTenPixels()
    {
        Window w;
        CSSplitter* s = w.splitter;
        QCOMPARE(s->ProfileSection(), QStringLiteral("splt\\init_h1202"));
        QCOMPARE(s->BottomRect().height(), 10);
        QCOMPARE(s->BottomRect().bottom() + 1, ClientHeight(s));
        // The bar is 2 x 3 pixels around y; the panes are 3 pixels apart.
        QCOMPARE(s->BottomRect().top() - (s->TopRect().bottom() + 1), CSSplitter::kBarWidth);
        QCOMPARE(s->TopRect().top(), 0);
        QCOMPARE(s->BarRect().height(), 2 * CSSplitter::kBarWidth);
        QCOMPARE(w.bottom->geometry(), s->BottomRect().translated(1, 1));
        QCOMPARE(w.top->parentWidget(), s);
    }

    void dragPlacesTheBarWithinTheMinimums_data()
    {
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("barAt");
        QTest::newRow("middle") << 100 << 100;
        QTest::newRow("above the top minimum") << 1 << CSSplitter::kMinTopHeight;
        QTest::newRow("below the bottom minimum") << 400 << 198 - CSSplitter::kMinBottomHeight;
    }
    void dragPlacesTheBarWithinTheMinimums()
    {
        QFETCH(int, to);
        QFETCH(int, barAt);
        int kept = 0;
        {
            Window w;
            Drag(w.splitter, to);
            QVERIFY(!w.splitter->IsDragging());
            QVERIFY(!w.splitter->Tracker()->isVisible());
            QCOMPARE(w.splitter->BottomRect().top(), barAt + CSSplitter::kBarWidth / 2);
            QVERIFY(w.splitter->TopRect().height() >= CSSplitter::kMinTopHeight - CSSplitter::kBarWidth);
            kept = w.splitter->BottomRect().height();
            QCOMPARE(w.splitter->BottomHeight(), kept);
        }
        // The next window of the same splitter id starts with that height.
        Window next;
        QCOMPARE(next.splitter->BottomRect().height(), kept);
        // Resizing keeps the bottom pane's height; the top pane takes the change.
        next.splitter->resize(300, 260);
        QCOMPARE(next.splitter->BottomRect().height(), kept);
    }

    void escapeDuringADragKeepsTheLayout()
    {
        Window w;
        CSSplitter* s = w.splitter;
        QApplication::setActiveWindow(&w.parent);
        QVERIFY(QTest::qWaitForWindowActive(&w.parent));
        w.focus->setFocus();
        QCOMPARE(QApplication::focusWidget(), w.focus);
        const QRect top = s->TopRect();
        const QRect bottom = s->BottomRect();
        const int from = s->BarRect().center().y();
        QTest::mousePress(s, Qt::LeftButton, {}, ToWidget(s, from));
        QVERIFY(s->IsDragging());
        QTest::mouseMove(s, ToWidget(s, 60));
        QVERIFY(s->Tracker()->isVisible());
        QCOMPARE(s->Tracker()->geometry().top(), 60 - CSSplitter::kBarWidth + 1);
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : s, Qt::Key_Escape);
        QVERIFY(!s->IsDragging());
        QVERIFY(!s->Tracker()->isVisible());
        QCOMPARE(s->TopRect(), top);
        QCOMPARE(s->BottomRect(), bottom);
        QCOMPARE(QApplication::focusWidget(), w.focus);
        // The release that follows is not a drag any more.
        QTest::mouseRelease(s, Qt::LeftButton, {}, ToWidget(s, 60));
        QCOMPARE(s->BottomRect(), bottom);
    }

    void aStoredHeightTooBigForTheWindowIsClamped()
    {
        auto* app = CWinAppEx::Instance();
        QVERIFY(app->WriteProfileInt(QStringLiteral("splt\\init_h1202"), QStringLiteral("HorizSplitPos"), 5000));
        Window w(120);
        w.splitter->resize(300, 100);
        QVERIFY(w.splitter->TopRect().height() >= CSSplitter::kMinTopHeight - CSSplitter::kBarWidth);
        QVERIFY(w.splitter->BottomRect().bottom() < ClientHeight(w.splitter));
        QVERIFY(w.top->geometry().height() > 0);
    }

    void aHiddenBottomPaneStillStoresItsEarlierHeight()
    {
        {
            Window w;
            Drag(w.splitter, 120);
            const int height = w.splitter->BottomRect().height();
            w.splitter->HideBottomPane();
            QVERIFY(w.splitter->IsBottomHidden());
            QVERIFY(!w.bottom->isVisible());
            QVERIFY(w.splitter->BarRect().isEmpty());
            QCOMPARE(w.top->geometry(), w.splitter->contentsRect());
            // No drag starts where the bar was.
            QTest::mousePress(w.splitter, Qt::LeftButton, {}, ToWidget(w.splitter, 120));
            QVERIFY(!w.splitter->IsDragging());
            QTest::mouseRelease(w.splitter, Qt::LeftButton, {}, ToWidget(w.splitter, 120));
            w.splitter->resize(300, 150);
            QCOMPARE(w.top->geometry(), w.splitter->contentsRect());
            QCOMPARE(CWinAppEx::Instance()->GetProfileInt(
                         QStringLiteral("splt\\init_h1202"), QStringLiteral("HorizSplitPos"), -1),
                -1);
            QCOMPARE(height, 198 - 121);
        }
        QCOMPARE(CWinAppEx::Instance()->GetProfileInt(
                     QStringLiteral("splt\\init_h1202"), QStringLiteral("HorizSplitPos"), -1),
            198 - 121);
    }
};

int main(int argc, char** argv)
{
    InstanceMessages::Get();
    CLumetraApp app(argc, argv);
    TestSplitter test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_splitter.moc"
