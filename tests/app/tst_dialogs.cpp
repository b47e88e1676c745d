#include "support/ModalHelper.h"
#include "support/TempRegistry.h"
#include "support/TestFiles.h"

#include "catalogue/CImportReportDlg.h"
#include "catalogue/CSelectOfficeDocDlg.h"
#include "uikit/CBalloonMsg.h"

#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

namespace {

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void balloonGoesWhenTheFocusMoves()
    {
        TempRegistry registry;
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* name = new QLineEdit(&window);
        auto* other = new QLineEdit(&window);
        layout->addWidget(name);
        layout->addWidget(other);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        name->setFocus();
        QPointer<CBalloonMsg> balloon = CBalloonMsg::Show(
            name, QStringLiteral("Lumetra"), QStringLiteral("Please enter a name"), CBalloonMsg::kIconWarning);
        QVERIFY(balloon);
        QVERIFY(balloon->isVisible());
        QCOMPARE(balloon->Anchor(), name->mapToGlobal(name->rect().center()));
        QTest::qWait(100);
        QVERIFY(balloon);
        QCOMPARE(QApplication::focusWidget(), name);
        other->setFocus();
        QTRY_VERIFY(balloon.isNull());
    }

    void importReportHandsBackThePath()
    {
        CImportReportDlg dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Lumetra Import Report"));
        dialog.show();
        QTest::keyClicks(dialog.findChild<QLineEdit*>("importPathEdit"), QStringLiteral("/srv/old/report.xml"));
        QTest::mouseClick(dialog.findChild<QPushButton*>("okButton"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.FilePath(), QStringLiteral("/srv/old/report.xml"));
    }

    void officeDocumentIsCopiedOverAnExistingOne()
    {
        QTemporaryDir source;
        QTemporaryDir reports;
        WriteFile(source.filePath(QStringLiteral("Budget.odt")), "new budget");
        WriteFile(reports.filePath(QStringLiteral("Budget.odt")), "old budget");
        CSelectOfficeDocDlg dialog(reports.path() + QLatin1Char('/'));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Select Office document"));
        dialog.show();
        dialog.SelectFolder(source.path());
        dialog.SelectFile(QStringLiteral("Budget.odt"));
        QTest::mouseClick(dialog.findChild<QPushButton*>("okButton"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(ReadFile(reports.filePath(QStringLiteral("Budget.odt"))), QByteArray("new budget"));
        QCOMPARE(dialog.Result().Filename1, reports.path() + QStringLiteral("/Budget.odt"));
        QCOMPARE(dialog.Result().Filename2, QStringLiteral("Budget.odt"));
        QCOMPARE(dialog.Result().Reporttype1, 0);
    }

    void officeDocumentWithoutAFileStaysOpen_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("no file chosen") << QString();
        QTest::newRow("file that cannot be read") << QStringLiteral("missing.odt");
    }
    void officeDocumentWithoutAFileStaysOpen()
    {
        QFETCH(QString, file);
        QTemporaryDir source;
        QTemporaryDir reports;
        CSelectOfficeDocDlg dialog(reports.path() + QLatin1Char('/'));
        dialog.show();
        dialog.SelectFolder(source.path());
        if (!file.isEmpty())
            dialog.SelectFile(file);
        QString warning;
        WhenModalShows([&](QWidget* box) { ClickMessageBoxButton(box, QMessageBox::Ok, &warning); });
        QTest::mouseClick(dialog.findChild<QPushButton*>("okButton"), Qt::LeftButton);
        QTRY_VERIFY(!warning.isEmpty());
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.Result().Filename1, QString());
        QVERIFY(QDir(reports.path()).entryList(QDir::Files).isEmpty());
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
