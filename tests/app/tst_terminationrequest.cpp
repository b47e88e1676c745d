#include "support/ModalHelper.h"

#include "app/TerminationRequest.h"

#include <QMainWindow>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

// A termination request while a modal box is open: the box goes away as
// Escape would make it, and then the main window closes.
class TestTerminationRequest : public QObject {
    Q_OBJECT
private slots:
    void dismissesModalBoxesThenClosesTheWindow_data()
    {
        QTest::addColumn<int>("boxes");
        QTest::newRow("no box") << 0;
        QTest::newRow("one question box") << 1;
        QTest::newRow("a box opened from a box") << 2;
    }
    void dismissesModalBoxesThenClosesTheWindow()
    {
        QFETCH(int, boxes);
        QMainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        int answered = 0;
        std::function<void(int)> open = [&](int left) {
            if (left == 0) {
                HandleTerminationRequest(&window);
                return;
            }
            WhenModalShows([&open, left](QWidget*) { open(left - 1); });
            QMessageBox::question(&window, QStringLiteral("Lumetra"), QStringLiteral("Save changes?"),
                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            ++answered;
        };
        // Should the request leave a box open, this ends it so the test fails instead of hanging.
        bool leftOpen = false;
        QTimer fallback;
        fallback.setInterval(10000);
        QObject::connect(&fallback, &QTimer::timeout, [&leftOpen] {
            while (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                leftOpen = true;
                box->reject();
            }
        });
        fallback.start();
        open(boxes);
        QVERIFY(!leftOpen);
        QCOMPARE(answered, boxes);
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QTRY_VERIFY(!window.isVisible());
    }
};

QTEST_MAIN(TestTerminationRequest)
#include "tst_terminationrequest.moc"
