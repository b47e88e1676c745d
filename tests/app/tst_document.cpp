#include "support/ModalHelper.h"

#include "app/CChildFrame.h"
#include "app/CLumetraDoc.h"
#include "framework/CDocTemplate.h"
#include "framework/CMDIFrameWndEx.h"
#include "framework/CView.h"
#include "framework/CommandIds.h"

#include <QMdiArea>
#include <QPointer>
#include <QTest>

#include <cstdlib>

namespace {

// A report view that counts its Save commands; a save clears the modified
// flag unless the test makes saves fail.
class SavingView : public CView {
public:
    bool HandlesCommand(int id) const override { return id == cmd::kFileSave; }
    bool OnCmdMsg(int id) override
    {
        if (id != cmd::kFileSave)
            return false;
        ++saves;
        if (!failSaves && GetDocument())
            GetDocument()->SetModifiedFlag(false);
        return true;
    }
    static inline int saves = 0;
    static inline bool failSaves = false;
};

} // namespace

class TestDocument : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        SavingView::saves = 0;
        SavingView::failSaves = false;
        m_main = new CMDIFrameWndEx;
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main));
        m_template = std::make_unique<CDocTemplate>(
            130, [] { return new CLumetraDoc; }, [] { return new CChildFrame; }, [] { return new SavingView; });
    }
    void cleanup()
    {
        delete m_main;
        m_template.reset();
    }

    void savePrompt_data()
    {
        QTest::addColumn<bool>("modified");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<int>("saves");
        QTest::newRow("unmodified closes without asking") << false << int(QMessageBox::NoButton) << true << 0;
        QTest::newRow("Cancel refuses") << true << int(QMessageBox::Cancel) << false << 0;
        QTest::newRow("No closes without saving") << true << int(QMessageBox::No) << true << 0;
        QTest::newRow("Yes saves through the view, then closes") << true << int(QMessageBox::Yes) << true << 1;
        QTest::newRow("Yes with a failing save keeps the window") << true << -int(QMessageBox::Yes) << false << 1;
    }
    void savePrompt()
    {
        QFETCH(bool, modified);
        QFETCH(int, answer);
        QFETCH(bool, closed);
        QFETCH(int, saves);
        // A negative answer: the same answer, with saves failing.
        SavingView::failSaves = answer < 0;
        answer = std::abs(answer);
        CDocument* document = m_template->OpenDocumentFile(m_main);
        QVERIFY(document);
        document->SetTitle(QStringLiteral("Sales 2009"));
        document->SetModifiedFlag(modified);
        QPointer<QMdiSubWindow> frame = m_main->MDIGetActive();
        QVERIFY(frame);

        QString question;
        if (answer != QMessageBox::NoButton) {
            WhenModalShows(
                [&](QWidget* modal) { ClickMessageBoxButton(modal, QMessageBox::StandardButton(answer), &question); });
        }
        frame->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        QCOMPARE(frame.isNull(), closed);
        QCOMPARE(SavingView::saves, saves);
        if (answer != QMessageBox::NoButton)
            QVERIFY2(question.contains(QStringLiteral("Sales 2009")), qPrintable(question));
    }

    void closingTheMainWindowAsksEachReport_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("mainClosed");
        QTest::newRow("Cancel keeps the program open") << int(QMessageBox::Cancel) << false;
        QTest::newRow("No lets it close") << int(QMessageBox::No) << true;
    }
    void closingTheMainWindowAsksEachReport()
    {
        QFETCH(int, answer);
        QFETCH(bool, mainClosed);
        CDocument* document = m_template->OpenDocumentFile(m_main);
        document->SetModifiedFlag(true);
        bool asked = false;
        WhenModalShows([&](QWidget* modal) {
            asked = true;
            ClickMessageBoxButton(modal, QMessageBox::StandardButton(answer));
        });
        m_main->close();
        QVERIFY(asked);
        QCOMPARE(!m_main->isVisible(), mainClosed);
    }

    void updateAllViewsSkipsTheSender()
    {
        struct HintView : CView {
            void OnUpdate(CView*, unsigned hint, void* object) override
            {
                lastHint = hint;
                lastObject = object;
            }
            unsigned lastHint = 0;
            void* lastObject = nullptr;
        };
        CLumetraDoc document;
        HintView a;
        HintView b;
        document.AddView(&a);
        document.AddView(&b);
        int payload = 0;
        document.UpdateAllViews(&a, 0xC001, &payload);
        QCOMPARE(a.lastHint, 0u);
        QCOMPARE(b.lastHint, 0xC001u);
        QCOMPARE(b.lastObject, static_cast<void*>(&payload));
    }

private:
    CMDIFrameWndEx* m_main = nullptr;
    std::unique_ptr<CDocTemplate> m_template;
};

QTEST_MAIN(TestDocument)
#include "tst_document.moc"
