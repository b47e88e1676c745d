#include "support/TempRegistry.h"

#include "app/CCorvaneConfig.h"
#include "platform/COXRegistryItem.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kKey = QStringLiteral("\\LocalMachine\\Software\\Corvane\\Talvanor\\Lumetra\\Lumetra\\");

QString Stored(const char* name)
{
    COXRegistryItem item(kKey + QLatin1String(name));
    return item.GetStringValue(QStringLiteral("<missing>"));
}

void Store(const char* name, const QString& value)
{
    COXRegistryItem item(kKey + QLatin1String(name));
    QVERIFY(item.SetStringValue(value));
}

void TypeInto(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

} // namespace

class TestPathsDialog : public QObject {
    Q_OBJECT
private slots:
    void showsStoredValuesWithoutTrailingSeparator()
    {
        TempRegistry registry;
        Store("DataPath", QStringLiteral("/srv/data/"));
        Store("ReportPath", QStringLiteral("/srv/reports"));
        Store("ExportPath", QStringLiteral("/"));
        CCorvaneConfig dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Lumetra Properties"));
        QCOMPARE(dialog.findChild<QLineEdit*>("dataPathEdit")->text(), QStringLiteral("/srv/data"));
        QCOMPARE(dialog.findChild<QLineEdit*>("reportPathEdit")->text(), QStringLiteral("/srv/reports"));
        QCOMPARE(dialog.findChild<QLineEdit*>("exportPathEdit")->text(), QString());
        QStringList labels;
        for (QLabel* label : dialog.findChildren<QLabel*>())
            labels << label->text();
        QCOMPARE(labels, (QStringList {"Report Path:", "Datasource path:", "Export path:"}));
        QVERIFY(dialog.findChild<QWidget*>("dataPathBrowseButton"));
    }

    void okCreatesFoldersAndStoresThemWithSeparator()
    {
        TempRegistry registry;
        QTemporaryDir folders;
        const QString data = folders.filePath(QStringLiteral("New/Sub"));
        const QString reports = folders.filePath(QStringLiteral("reports"));
        CCorvaneConfig dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        TypeInto(dialog.findChild<QLineEdit*>("dataPathEdit"), data);
        TypeInto(dialog.findChild<QLineEdit*>("reportPathEdit"), reports + QLatin1Char('/'));
        TypeInto(dialog.findChild<QLineEdit*>("exportPathEdit"), QString());
        QTest::mouseClick(dialog.findChild<QPushButton*>("okButton"), Qt::LeftButton);

        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(Stored("DataPath"), data + QLatin1Char('/'));
        QCOMPARE(Stored("ReportPath"), reports + QStringLiteral("//")); // one separator is always added
        QCOMPARE(Stored("ExportPath"), QStringLiteral("/")); // an empty field stores a lone separator
        QVERIFY(QFileInfo(data).isDir());
        QVERIFY(QFileInfo(reports).isDir());
        QCOMPARE(Stored("DirPath"), QStringLiteral("<missing>"));
    }

    void cancelWritesNothing()
    {
        TempRegistry registry;
        Store("DataPath", QStringLiteral("/srv/data/"));
        CCorvaneConfig dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        TypeInto(dialog.findChild<QLineEdit*>("dataPathEdit"), QStringLiteral("/elsewhere"));
        QTest::mouseClick(dialog.findChild<QPushButton*>("cancelButton"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(Stored("DataPath"), QStringLiteral("/srv/data/"));
        QCOMPARE(Stored("ReportPath"), QStringLiteral("<missing>"));
    }

    void okWithoutRightsStillCloses()
    {
        TempRegistry registry;
        Store("DataPath", QStringLiteral("/srv/data/"));
        registry.MakeMachineHiveReadOnly();
        CCorvaneConfig dialog;
        QCOMPARE(dialog.findChild<QLineEdit*>("dataPathEdit")->text(), QStringLiteral("/srv/data"));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        TypeInto(dialog.findChild<QLineEdit*>("dataPathEdit"), QStringLiteral("/elsewhere"));
        QTest::mouseClick(dialog.findChild<QPushButton*>("okButton"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(Stored("DataPath"), QStringLiteral("/srv/data/"));
    }
};

QTEST_MAIN(TestPathsDialog)
#include "tst_pathsdialog.moc"
