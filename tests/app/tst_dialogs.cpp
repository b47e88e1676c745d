#include "support/ModalHelper.h"
#include "support/TempRegistry.h"
#include "support/TestFiles.h"

#include "catalogue/CCreateFolderDlg.h"
#include "catalogue/CImportReportDlg.h"
#include "catalogue/CSelectOfficeDocDlg.h"
#include "uikit/CBalloonMsg.h"

#include <QFile>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

namespace {

CBalloonMsg* VisibleBalloon()
{
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* balloon = qobject_cast<CBalloonMsg*>(top); balloon && balloon->isVisible())
            return balloon;
    }
    return nullptr;
}

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

    void balloonGoesWithItsDialog_data()
    {
        QTest::addColumn<QString>("closing");
        QTest::newRow("Cancel") << "cancelButton";
        QTest::newRow("OK with a name") << "okButton";
    }
    void balloonGoesWithItsDialog()
    {
        QFETCH(QString, closing);
        TempRegistry registry;
        CCreateFolderDlg dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTest::mouseClick(dialog.findChild<QPushButton*>("okButton"), Qt::LeftButton);
        QPointer<CBalloonMsg> balloon = VisibleBalloon();
        QVERIFY(balloon);
        QVERIFY(dialog.isVisible());
        if (closing == QLatin1String("okButton"))
            QTest::keyClicks(dialog.findChild<QLineEdit*>("folderNameEdit"), QStringLiteral("Quarterly"));
        // The field keeps the focus while typing, so only the dialog's end can take the balloon away.
        QVERIFY(balloon);
        QTest::mouseClick(dialog.findChild<QPushButton*>(closing), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
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

    void officeDocumentIsChosenByClickOrKeyboard_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("click") << "click"
                               << "Zeta.odt";
        QTest::newRow("keyboard: Down to the second file") << "down"
                                                           << "Zeta.odt";
        QTest::newRow("keyboard: Space on the first file") << "space"
                                                           << "Plan.odt";
    }
    void officeDocumentIsChosenByClickOrKeyboard()
    {
        QFETCH(QString, how);
        QFETCH(QString, chosen);
        QTemporaryDir source;
        QTemporaryDir reports;
        WriteFile(source.filePath(QStringLiteral("Plan.odt")), "plan");
        WriteFile(source.filePath(QStringLiteral("Zeta.odt")), "zeta");
        CSelectOfficeDocDlg dialog(reports.path() + QLatin1Char('/'));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.SelectFolder(source.path());
        auto* list = dialog.findChild<QListView*>("fileList");
        QTRY_COMPARE(list->model()->rowCount(list->rootIndex()), 2);
        list->model()->sort(0);
        if (how == QLatin1String("click")) {
            const QModelIndex second = list->model()->index(1, 0, list->rootIndex());
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(second).center());
        } else {
            list->setFocus(Qt::TabFocusReason); // the first file becomes current, not yet chosen
            QCOMPARE(dialog.FileName(), QString());
            QTest::keyClick(list, how == QLatin1String("down") ? Qt::Key_Down : Qt::Key_Space);
        }
        QCOMPARE(dialog.FileName(), chosen);
        QTest::mouseClick(dialog.findChild<QPushButton*>("okButton"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Result().Filename2, chosen);
        QCOMPARE(ReadFile(reports.filePath(chosen)), QByteArray(chosen == QLatin1String("Plan.odt") ? "plan" : "zeta"));
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
