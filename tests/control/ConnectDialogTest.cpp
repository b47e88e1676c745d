// The connect dialog and the query builder driven by clicks and typing, over the sample cube,
// its SQLite database (directly and through the SQLite ODBC driver) and a workbook.
#include "relational/TinyXlsWriter.h"
#include "support/ModalHelper.h"
#include "support/TempRegistry.h"

#include "control/query/frmConnect.h"
#include "control/query/frmQueryBuilder.h"
#include "olap/sample/SalesSample.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <odbcinst.h>

#include <filesystem>
#include <fstream>
#include <memory>

namespace {

template <typename T> T* Child(QWidget* parent, const char* name)
{
    T* child = parent->findChild<T*>(QString::fromUtf8(name));
    if (!child)
        qFatal("no widget %s", name);
    return child;
}

// Replaces the text of EDIT as a user would: select all, then type.
void Type(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Delete);
    else
        QTest::keyClicks(edit, text);
}

void ClickItem(QListWidget* list, const QString& text)
{
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(!found.isEmpty(), qPrintable(text));
    list->scrollToItem(found.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.first()).center());
}

QStringList Items(QListWidget* list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

QStringList Items(QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

// Clicks Connect and answers the message box it may show; returns the box's text.
QString ClickConnect(frmConnect& dialog)
{
    auto shown = std::make_shared<QString>();
    WhenModalShows(
        [shown](QWidget* modal) {
            if (qobject_cast<QMessageBox*>(modal))
                ClickMessageBoxButton(modal, QMessageBox::Ok, shown.get());
        },
        300);
    QTest::mouseClick(Child<QPushButton>(&dialog, "connectButton"), Qt::LeftButton);
    QTest::qWait(350);
    return *shown;
}

enum class Trigger { TypeServer, TypeDatabase, ClickSql, ClickUser, ClickDatabase, PickFile };

} // namespace

Q_DECLARE_METATYPE(Trigger)

class ConnectDialogTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<TempRegistry> m_registry;
    bool m_odbc = false;

    QString Cube() const { return m_dir.filePath(QStringLiteral("Sales.cub")); }
    QString Sqlite() const { return m_dir.filePath(QStringLiteral("sales.sqlite")); }
    QString Book() const { return m_dir.filePath(QStringLiteral("Budget.XLS")); }
    QString Resolve(QString text) const
    {
        return text.replace(QStringLiteral("%CUBE%"), Cube()).replace(QStringLiteral("%SQLITE%"), Sqlite());
    }

private slots:
    void initTestCase()
    {
        m_registry = std::make_unique<TempRegistry>();
        olap::SalesSample::WriteAll(m_dir.path().toStdString(), 2000, 11);
        TinyXlsWriter::Write(Book().toStdString(), "Plan",
            {{std::string("Region"), std::string("Amount")}, {std::string("North"), 10.0}});
        // The SQLite ODBC driver with a data source over the sample database, when installed.
        for (const char* driver : {"/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so",
                 "/usr/lib/aarch64-linux-gnu/odbc/libsqlite3odbc.so", "/usr/lib/odbc/libsqlite3odbc.so"}) {
            if (!std::filesystem::exists(driver))
                continue;
            UWORD mode = 0;
            SQLGetConfigMode(&mode);
            const std::string dir = m_dir.path().toStdString();
            std::ofstream(dir + "/odbcinst.ini") << "[SQLite3 Test]\nDriver=" << driver << "\n";
            std::ofstream(dir + "/odbc.ini")
                << "[SalesDSN]\nDriver=SQLite3 Test\nDatabase=" << Sqlite().toStdString() << "\n";
            qputenv("ODBCSYSINI", m_dir.path().toLocal8Bit());
            qputenv("ODBCINI", (dir + "/odbc.ini").c_str());
            m_odbc = true;
            break;
        }
    }

    void cleanupTestCase() { m_registry.reset(); }

    void controlsCaptionsAndDefaults()
    {
        frmConnect dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Connect to cube"));
        QCOMPARE(Child<QLineEdit>(&dialog, "driverEdit")->text(), QStringLiteral("MSOLAP.2"));
        const std::pair<const char*, const char*> labels[]
            = {{"driverLabel", "&Driver:"}, {"serverLabel", "&Server:"}, {"databaseLabel", "&Database:"},
                {"connectionStringLabel", "Show connection string"}, {"cubeLabel", "&Cube:"}};
        for (const auto& [name, text] : labels)
            QCOMPARE(Child<QLabel>(&dialog, name)->text(), QString::fromUtf8(text));
        const std::pair<const char*, const char*> buttons[]
            = {{"sqlCheck", "SQL"}, {"userCheck", "User name Password"}, {"localCubeCheck", "Localcube"},
                {"connectButton", "&Connect"}, {"buildReportButton", "Build report"}, {"cancelButton", "Cancel"}};
        for (const auto& [name, text] : buttons)
            QCOMPARE(Child<QAbstractButton>(&dialog, name)->text(), QString::fromUtf8(text));
        QVERIFY(!Child<QCheckBox>(&dialog, "userCheck")->isEnabled());
        QVERIFY(Child<QLineEdit>(&dialog, "connectionStringEdit")->text().isEmpty());
        QVERIFY(dialog.GetConnectionString().isEmpty());
    }

    void everyTriggerRecomposes_data()
    {
        QTest::addColumn<bool>("sql");
        QTest::addColumn<bool>("user");
        QTest::addColumn<QString>("server");
        QTest::addColumn<Trigger>("trigger");
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("expected");
        QTest::addRow("typing the server") << false << false << "" << Trigger::TypeServer << "olap1"
                                           << "Provider=MSOLAP.2; Data Source=olap1; Initial Catalog=";
        QTest::addRow("typing the database") << false << false << "olap1" << Trigger::TypeDatabase << "Sales"
                                             << "Provider=MSOLAP.2; Data Source=olap1; Initial Catalog=Sales";
        QTest::addRow("SQL on") << false << false << "db1" << Trigger::ClickSql << ""
                                << "Provider=MSOLAP.2; Data Source=db1; Initial Catalog=;Trusted_Connection=Yes;";
        QTest::addRow("SQL off") << true << false << "db1" << Trigger::ClickSql << ""
                                 << "Provider=MSOLAP.2; Data Source=db1; Initial Catalog=";
        QTest::addRow("user on, native client")
            << true << false << "host\\SQLNCLI10" << Trigger::ClickUser << ""
            << "Provider=MSOLAP.2; Server=host\\SQLNCLI10; Database=;Trusted_Connection=No;"
               "uid=<Enter username here>;pwd=<Enter password here>;";
        QTest::addRow("user off") << true << true << "db1" << Trigger::ClickUser << ""
                                  << "Provider=MSOLAP.2; Data Source=db1; Initial Catalog=;Trusted_Connection=Yes;";
        QTest::addRow("spreadsheet server") << true << false << "" << Trigger::TypeServer << "/d/Budget.xls"
                                            << "Provider=MSOLAP.2; Data Source=/d/Budget.xls;Extended "
                                               "Properties=Excel 8.0;";
        QTest::addRow("database list click") << false << false << "%CUBE%" << Trigger::ClickDatabase << "SalesSample"
                                             << "Provider=MSOLAP.2; Data Source=%CUBE%; Initial Catalog=SalesSample";
        QTest::addRow("local cube file picked") << false << false << "" << Trigger::PickFile << "%CUBE%"
                                                << "Provider=MSOLAP.2; Data Source=%CUBE%; Initial Catalog=";
        QTest::addRow("SQLite file picked turns SQL on")
            << false << false << "" << Trigger::PickFile << "%SQLITE%"
            << "Provider=MSOLAP.2; Data Source=%SQLITE%; Initial Catalog=;Trusted_Connection=Yes;";
    }

    void everyTriggerRecomposes()
    {
        QFETCH(bool, sql);
        QFETCH(bool, user);
        QFETCH(QString, server);
        QFETCH(Trigger, trigger);
        QFETCH(QString, argument);
        QFETCH(QString, expected);
        frmConnect dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* sqlCheck = Child<QCheckBox>(&dialog, "sqlCheck");
        auto* userCheck = Child<QCheckBox>(&dialog, "userCheck");
        auto* connectionEdit = Child<QLineEdit>(&dialog, "connectionStringEdit");
        if (sql)
            QTest::mouseClick(sqlCheck, Qt::LeftButton);
        if (user)
            QTest::mouseClick(userCheck, Qt::LeftButton);
        Type(Child<QLineEdit>(&dialog, "serverEdit"), Resolve(server));
        if (trigger == Trigger::ClickDatabase)
            QCOMPARE(ClickConnect(dialog), QString());
        Type(connectionEdit, QStringLiteral("stale"));

        switch (trigger) {
        case Trigger::TypeServer:
            Type(Child<QLineEdit>(&dialog, "serverEdit"), Resolve(argument));
            break;
        case Trigger::TypeDatabase:
            Type(Child<QLineEdit>(&dialog, "databaseEdit"), argument);
            break;
        case Trigger::ClickSql:
            QTest::mouseClick(sqlCheck, Qt::LeftButton);
            QCOMPARE(userCheck->isEnabled(), sqlCheck->isChecked());
            break;
        case Trigger::ClickUser:
            QTest::mouseClick(userCheck, Qt::LeftButton);
            break;
        case Trigger::ClickDatabase:
            ClickItem(Child<QListWidget>(&dialog, "databaseList"), argument);
            break;
        case Trigger::PickFile: {
            const QString file = Resolve(argument);
            dialog.SetFileChooser([file](QWidget*) { return file; });
            QTest::mouseClick(Child<QCheckBox>(&dialog, "localCubeCheck"), Qt::LeftButton);
            QTest::mouseClick(Child<QPushButton>(&dialog, "connectButton"), Qt::LeftButton);
            QVERIFY(Child<QListWidget>(&dialog, "databaseList")->count() > 0);
            break;
        }
        }
        QCOMPARE(connectionEdit->text(), Resolve(expected));
        // The getters answer only once Connect has made the result valid.
        const bool connected = trigger == Trigger::ClickDatabase || trigger == Trigger::PickFile;
        QCOMPARE(dialog.GetConnectionString(), connected ? Resolve(expected) : QString());
    }

    void cubeConnectionListsDatabasesAndCubes()
    {
        frmConnect dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        Type(Child<QLineEdit>(&dialog, "serverEdit"), Cube());
        QCOMPARE(ClickConnect(dialog), QString());
        auto* databases = Child<QListWidget>(&dialog, "databaseList");
        QCOMPARE(Items(databases), QStringList {QStringLiteral("SalesSample")});
        ClickItem(databases, QStringLiteral("SalesSample"));
        auto* cubes = Child<QComboBox>(&dialog, "cubeCombo");
        QCOMPARE(Items(cubes), QStringList {QStringLiteral("Sales")});
        QTest::mouseClick(Child<QPushButton>(&dialog, "buildReportButton"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.GetSelectedCube(), QStringLiteral("Sales"));
        QCOMPARE(dialog.GetSelectedServer(), Cube());
        QCOMPARE(dialog.GetSelectedDB(), QStringLiteral("SalesSample"));
        QCOMPARE(dialog.GetConnectionString(),
            QStringLiteral("Provider=MSOLAP.2; Data Source=") + Cube()
                + QStringLiteral("; Initial Catalog=SalesSample"));
        QVERIFY(!dialog.IsSqlMode());
    }

    void handEditedStringIsUsedByConnect()
    {
        frmConnect dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        Type(Child<QLineEdit>(&dialog, "serverEdit"), QStringLiteral("olap1"));
        const QString edited = QStringLiteral("Provider=MSOLAP; Data Source=") + Cube();
        Type(Child<QLineEdit>(&dialog, "connectionStringEdit"), edited);
        QCOMPARE(ClickConnect(dialog), QString());
        QCOMPARE(Items(Child<QListWidget>(&dialog, "databaseList")), QStringList {QStringLiteral("SalesSample")});
        QCOMPARE(dialog.GetConnectionString(), edited);
        QCOMPARE(dialog.ConnectionStringText(), edited);
    }

    void sqlModeListsTablesAndBuildsTheStatement_data()
    {
        QTest::addColumn<QString>("driver");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("table");
        QTest::addRow("SQLite file") << "SQLite"
                                     << "%SQLITE%"
                                     << "main"
                                     << "store";
        QTest::addRow("SQLite through ODBC") << "MSDASQL"
                                             << "SalesDSN"
                                             << ""
                                             << "store";
        QTest::addRow("workbook") << "Microsoft.Jet.OLEDB.4.0" << Book() << "WorkSheet"
                                  << "Plan$";
    }

    void sqlModeListsTablesAndBuildsTheStatement()
    {
        QFETCH(QString, driver);
        QFETCH(QString, server);
        QFETCH(QString, database);
        QFETCH(QString, table);
        if (driver == QLatin1String("MSDASQL") && !m_odbc)
            QSKIP("the SQLite ODBC driver is not installed");
        frmConnect dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::mouseClick(Child<QCheckBox>(&dialog, "sqlCheck"), Qt::LeftButton);
        Type(Child<QLineEdit>(&dialog, "driverEdit"), driver);
        Type(Child<QLineEdit>(&dialog, "serverEdit"), Resolve(server));
        QCOMPARE(ClickConnect(dialog), QString());
        auto* databases = Child<QListWidget>(&dialog, "databaseList");
        QVERIFY2(databases->count() > 0, "no databases listed");
        if (database.isEmpty())
            database = databases->item(0)->text();
        else
            QVERIFY2(Items(databases).contains(database), qPrintable(Items(databases).join(QLatin1Char('|'))));
        ClickItem(databases, database);
        auto* cubes = Child<QComboBox>(&dialog, "cubeCombo");
        QVERIFY2(Items(cubes).contains(table), qPrintable(Items(cubes).join(QLatin1Char('|'))));
        cubes->lineEdit()->selectAll();
        QTest::keyClicks(cubes->lineEdit(), table);
        QTest::mouseClick(Child<QPushButton>(&dialog, "buildReportButton"), Qt::LeftButton);
        QCOMPARE(dialog.GetSelectedCube(), QStringLiteral("Select * from ") + table);
        QVERIFY(dialog.IsSqlMode());
        if (ConnectStringComposer::IsSpreadsheet(server))
            QCOMPARE(Items(databases), QStringList {QStringLiteral("WorkSheet")});
    }

    void failuresShowTheReasonWithoutThePassword()
    {
        frmConnect dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::mouseClick(Child<QCheckBox>(&dialog, "sqlCheck"), Qt::LeftButton);
        Type(Child<QLineEdit>(&dialog, "serverEdit"), QStringLiteral("/nowhere/x.sqlite"));
        const QString message = ClickConnect(dialog);
        QVERIFY2(message.contains(QStringLiteral("/nowhere/x.sqlite")), qPrintable(message));
        QCOMPARE(Child<QListWidget>(&dialog, "databaseList")->count(), 0);
        QVERIFY(dialog.isVisible());

        // A password typed into the string is hidden even when the provider quotes the string.
        Type(Child<QLineEdit>(&dialog, "connectionStringEdit"),
            QStringLiteral("Provider=SQLite; Data Source=/nowhere/Tr0ub4dor.sqlite; pwd=Tr0ub4dor"));
        const QString hidden = ClickConnect(dialog);
        QVERIFY2(!hidden.isEmpty(), "the failure is shown");
        QVERIFY2(!hidden.contains(QStringLiteral("Tr0ub4dor")), qPrintable(hidden));
    }

    void emptyServerDoesNothing()
    {
        frmConnect dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(ClickConnect(dialog), QString());
        QCOMPARE(Child<QListWidget>(&dialog, "databaseList")->count(), 0);
        QVERIFY(dialog.GetConnectionString().isEmpty());
    }

    void cancelAfterConnectEmptiesEveryGetter()
    {
        frmConnect dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        Type(Child<QLineEdit>(&dialog, "serverEdit"), Cube());
        ClickConnect(dialog);
        ClickItem(Child<QListWidget>(&dialog, "databaseList"), QStringLiteral("SalesSample"));
        QCOMPARE(dialog.GetSelectedCube(), QStringLiteral("Sales"));
        QTest::mouseClick(Child<QPushButton>(&dialog, "cancelButton"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(dialog.GetSelectedCube().isEmpty());
        QVERIFY(dialog.GetSelectedServer().isEmpty());
        QVERIFY(dialog.GetSelectedDB().isEmpty());
        QVERIFY(dialog.GetConnectionString().isEmpty());
    }

    void dataSourceModeReturnsServerCubeAndString()
    {
        frmConnect dialog;
        dialog.SetDataSourceMode();
        QCOMPARE(Child<QPushButton>(&dialog, "cancelButton")->text(), QStringLiteral("OK"));
        const QString cube = Cube();
        WhenModalShows([&cube](QWidget* modal) {
            auto* connect = dynamic_cast<frmConnect*>(modal);
            if (!connect)
                return;
            QVERIFY(!Child<QPushButton>(connect, "buildReportButton")->isVisible());
            Type(Child<QLineEdit>(connect, "serverEdit"), cube);
            QTest::mouseClick(Child<QPushButton>(connect, "connectButton"), Qt::LeftButton);
            ClickItem(Child<QListWidget>(connect, "databaseList"), QStringLiteral("SalesSample"));
            QTest::mouseClick(Child<QPushButton>(connect, "cancelButton"), Qt::LeftButton);
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(dialog.DataSourceText(),
            cube + QStringLiteral("\tSales\tProvider=MSOLAP.2; Data Source=") + cube
                + QStringLiteral("; Initial Catalog=SalesSample"));

        frmConnect left;
        left.SetDataSourceMode();
        WhenModalShows([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
        QCOMPARE(left.exec(), int(QDialog::Rejected));
        QCOMPARE(left.DataSourceText(), QStringLiteral("\t\t"));
    }
};

int RunConnectDialogTest(int argc, char** argv)
{
    ConnectDialogTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ConnectDialogTest.moc"
