#include "OdbcFixture.h"
#include "PropertiesFromText.h"
#include "SampleDatabase.h"
#include "TempFolder.h"

#include "olap/providers/RelationalError.h"
#include "olap/providers/odbc/OdbcConnectionString.h"
#include "olap/providers/odbc/OdbcSource.h"

#include <gtest/gtest.h>
#include <odbcinst.h>

#include <cstdlib>
#include <fstream>
#include <map>

namespace olap::providers {
namespace {

using recordset::CellValue;
using recordset::DataType;

ProviderDriverLookup TableLookup(std::map<std::string, std::string, NoCaseLess> table)
{
    return [table = std::move(table)](std::string_view name) -> std::optional<std::string> {
        const auto it = table.find(name);
        return it == table.end() ? std::nullopt : std::optional<std::string>(it->second);
    };
}

TEST(OdbcConnectionStringTest, OleDbKeysBecomeOdbcKeys)
{
    const auto lookup = TableLookup({{"SQLNCLI10", "ODBC Driver 17 for SQL Server"}, {"sqloledb", "SQL Server"},
        {"Microsoft.Jet", "MDBTools"}, {"MySQLProv", "MySQL"}, {"Microsoft.ACE.OLEDB.12.0.Custom", "Written name"},
        {"Microsoft.ACE.OLEDB.12.0", "ACE"}});
    struct Case {
        const char* name;
        const char* connection;
        const char* expected;
    };
    const Case cases[] = {
        {"MSDASQL with DSN passes keys through", "Provider=MSDASQL; DSN=Sales; uid=u; pwd=p", "DSN=Sales;pwd=p;uid=u;"},
        {"MSDASQL data source is the DSN", "Provider=MSDASQL.1; Data Source=Sales; User ID=u; Password=p",
            "DSN=Sales;UID=u;PWD=p;"},
        {"MSDASQL extended properties are its ODBC string", "Provider=MSDASQL; Extended Properties=\"DSN=x;UID=y\"",
            "DSN=x;UID=y;"},
        {"no provider, braced driver kept", "Driver={SQLite3}; Database=/x.db", "Database=/x.db;Driver={SQLite3};"},
        {"SQL Server by Server and Database", "Provider=SQLNCLI10; Server=db1; Database=Sales;Trusted_Connection=Yes;",
            "DRIVER={ODBC Driver 17 for SQL Server};SERVER=db1;DATABASE=Sales;Trusted_Connection=Yes;"},
        {"versioned provider, user mode placeholders",
            "Provider=SQLOLEDB.1; Data Source=db1; Initial Catalog=Sales;Trusted_Connection=No;uid=<Enter username "
            "here>;pwd=<Enter password here>;",
            "DRIVER={SQL Server};SERVER=db1;DATABASE=Sales;UID=<Enter username here>;PWD=<Enter password "
            "here>;Trusted_Connection=No;"},
        {"Jet data source is the database file", "Provider=Microsoft.Jet.OLEDB.4.0; Data Source=/data/sales.mdb",
            "DRIVER={MDBTools};DBQ=/data/sales.mdb;"},
        {"the provider as written wins over its family",
            "Provider=Microsoft.ACE.OLEDB.12.0.Custom; Data Source=/a.accdb", "DRIVER={Written name};DBQ=/a.accdb;"},
        {"integrated security and odd values",
            "Provider=MySQLProv; Server=h; pwd=\"a;b\"; Integrated Security=SSPI; Port=3307",
            "DRIVER={MySQL};SERVER=h;PWD={a;b};Trusted_Connection=Yes;Port=3307;"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ComposeOdbcConnectionString(PropertiesFromText(c.connection), lookup), c.expected) << c.name;
}

TEST(OdbcConnectionStringTest, EveryRecognisedProviderIsFoundAndNamedWhenUnmapped)
{
    for (const std::string_view name : RecognisedRelationalProviders()) {
        const std::string provider(name);
        EXPECT_EQ(RecognisedRelationalProvider(provider), name);
        EXPECT_EQ(ComposeOdbcConnectionString(
                      PropertiesFromText("Provider=" + provider + "; Server=s"), TableLookup({{provider, "Drv"}})),
            "DRIVER={Drv};" + std::string(name.starts_with("Microsoft.") ? "DBQ" : "SERVER") + "=s;")
            << provider;
        try {
            ComposeOdbcConnectionString(PropertiesFromText("Provider=" + provider + "; Server=s"), TableLookup({}));
            ADD_FAILURE() << provider << " composed without a mapping";
        } catch (const RelationalError& error) {
            EXPECT_EQ(error.Failure(), RelationalFailure::ProviderNotMapped);
            const std::string message = error.what();
            EXPECT_NE(message.find("'" + provider + "'"), std::string::npos) << message;
            EXPECT_NE(
                message.find("\\LocalMachine\\Software\\Corvane\\Talvanor\\Lumetra\\Lumetra\\Providers\\" + provider),
                std::string::npos)
                << message;
        }
    }
    EXPECT_EQ(RecognisedRelationalProvider("SQLNCLI10.1"), "SQLNCLI10");
    EXPECT_EQ(RecognisedRelationalProvider("sqlncli"), "SQLNCLI");
    EXPECT_EQ(RecognisedRelationalProvider("SQLNCLI11"), std::nullopt);
    EXPECT_EQ(RecognisedRelationalProvider("MSOLAP.2"), std::nullopt);
}

TEST(OdbcConnectionStringTest, PasswordsAreHiddenInMessages)
{
    const struct {
        const char* name;
        const char* connection;
        const char* redacted;
    } cases[] = {
        {"braced with ';' and doubled brace", "DRIVER={x};PWD={a;b}};c};UID=u;", "DRIVER={x};PWD=***;UID=u;"},
        {"braced with '='", "DRIVER={No Such Driver};PWD={Top;Secret=123};UID=u",
            "DRIVER={No Such Driver};PWD=***;UID=u"},
        {"plain, last", "DSN=s; password=secret", "DSN=s; password=***"},
        {"plain, key in capitals", "DSN=s;PASSWORD=secret;UID=u", "DSN=s;PASSWORD=***;UID=u"},
        {"both keys", "PWD=one;Password={two;2}", "PWD=***;Password=***"},
        {"empty password", "DSN=s;PWD=;UID=u", "DSN=s;PWD=***;UID=u"},
        {"no password", "DSN=s;UID=u", "DSN=s;UID=u"},
        {"password-like key", "PWDX=shown;UID=u", "PWDX=shown;UID=u"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RedactOdbcConnectionString(c.connection), c.redacted) << c.name;
}

TEST(OdbcConnectionStringTest, DriverTextShowsNoPieceOfAPassword)
{
    const char* connection = "DRIVER={x};PWD={Top;Secret=123};UID=user";
    const struct {
        const char* name;
        const char* driverText;
        const char* hidden;
    } cases[] = {
        {"whole value", "bad login {Top;Secret=123}", "Top;Secret=123"},
        {"value split by the driver", "unknown keyword Secret={123}}}", "Secret"},
        {"last piece", "value 123 refused", "123"},
    };
    for (const auto& c : cases) {
        const std::string shown = HideOdbcPasswords(c.driverText, connection);
        EXPECT_EQ(shown.find(c.hidden), std::string::npos) << c.name << ": " << shown;
        EXPECT_NE(shown.find("***"), std::string::npos) << c.name << ": " << shown;
    }
    EXPECT_EQ(HideOdbcPasswords("user unknown", connection), "user unknown");
}

TEST_F(OdbcSourceTest, QueryThroughMappedProviderDsnAndDriver)
{
    const std::string db = s_folder->File("sales.db");
    const std::string connections[] = {
        "Provider=sqloledb; Data Source=localhost; Initial Catalog=" + db + "; Trusted_Connection=Yes;",
        "Provider=MSDASQL; DSN=SalesDSN",
        "Driver={SQLite3 Test}; Database=" + db,
    };
    for (const auto& connection : connections) {
        auto source = OdbcSource::Open(PropertiesFromText(connection), TableLookup({{"sqloledb", "SQLite3 Test"}}));
        EXPECT_EQ(source->Kind(), "ODBC");
        auto rs = source->Execute("SELECT Id, Region, Amount, Note FROM Sales ORDER BY Id");
        ASSERT_EQ(rs.RecordCount(), 3) << connection;
        EXPECT_TRUE(recordset::IsNumeric(rs.FieldAt(0).Type())) << connection;
        EXPECT_TRUE(recordset::IsText(rs.FieldAt(1).Type())) << connection;
        EXPECT_EQ(rs.FieldAt(2).Type(), DataType::Double) << connection;
        EXPECT_EQ(rs.Fields()[1].Value(), CellValue("North"));
        EXPECT_EQ(rs.Fields()[2].Value(), CellValue(10.5));
        rs.MoveNext();
        EXPECT_TRUE(rs.Fields()[3].Value().IsNull());
        rs.MoveNext();
        EXPECT_EQ(rs.Fields()[3].Value(), CellValue("x, \"y\""));
        const auto tables = source->Tables();
        EXPECT_NE(std::find(tables.begin(), tables.end(), "Sales"), tables.end()) << connection;
        EXPECT_EQ(std::find(tables.begin(), tables.end(), "NorthSales"), tables.end()) << "views are not tables";
        EXPECT_EQ(source->Catalogs(), std::vector<std::string> {db}) << "the driver's database name";
    }
}

TEST_F(OdbcSourceTest, LongTextComesWhole)
{
    auto source = OdbcSource::OpenOdbc("DRIVER={SQLite3 Test};Database=" + s_folder->File("sales.db"));
    auto rs = source->Execute("SELECT substr(replace(hex(zeroblob(6000)), '00', 'ab'), 1, 10000) AS Long");
    EXPECT_EQ(rs.Fields()[0].Value().ToText().size(), 10000u);
}

TEST_F(OdbcSourceTest, FailuresSayWhatFailed)
{
    struct Case {
        std::string connection;
        RelationalFailure failure;
        const char* words;
    };
    const Case cases[] = {
        {"Driver={No Such Driver}; Database=x; PWD=secret", RelationalFailure::DriverNotInstalled, "not installed"},
        {"Provider=MSDASQL; DSN=NoSuchDsn", RelationalFailure::DriverNotInstalled, "NoSuchDsn"},
    };
    for (const auto& c : cases) {
        try {
            OdbcSource::Open(PropertiesFromText(c.connection), TableLookup({}));
            ADD_FAILURE() << c.connection << " opened";
        } catch (const RelationalError& error) {
            EXPECT_EQ(error.Failure(), c.failure) << error.what();
            EXPECT_NE(std::string(error.what()).find(c.words), std::string::npos) << error.what();
            EXPECT_EQ(std::string(error.what()).find("secret"), std::string::npos) << error.what();
        }
    }
    auto source = OdbcSource::OpenOdbc("DRIVER={SQLite3 Test};Database=" + s_folder->File("sales.db"));
    try {
        source->Execute("SELECT * FROM Nowhere");
        ADD_FAILURE() << "bad statement ran";
    } catch (const RelationalError& error) {
        EXPECT_EQ(error.Failure(), RelationalFailure::BadStatement) << error.what();
        EXPECT_NE(std::string(error.what()).find("Nowhere"), std::string::npos) << error.what();
    }
    EXPECT_EQ(source->Execute("SELECT count(*) AS N FROM Sales").Fields()[0].Value(), CellValue(3));
    source->Close();
    EXPECT_THROW(source->Tables(), RelationalError);
}

TEST_F(OdbcSourceTest, DataIsOnlyReadOneStatementAtATime)
{
    TempFolder folder;
    WriteSampleDatabase(folder.File("mine.db"));
    auto source = OdbcSource::OpenOdbc("DRIVER={SQLite3 Test};Database=" + folder.File("mine.db"));
    // The SQLite driver ignores the read-only request, so the statements themselves are held
    // to queries.
    const struct {
        const char* name;
        const char* sql;
        const char* words;
    } cases[] = {
        {"select, delete and drop", "SELECT count(*) FROM Sales; DELETE FROM Sales; DROP TABLE Empty", "3 statements"},
        {"delete", "DELETE FROM Sales", "'DELETE' could change the data"},
        {"drop after a comment", "/* tidy */ DROP TABLE Empty", "'DROP' could change the data"},
        {"insert", "INSERT INTO Sales (Id) VALUES (9)", "'INSERT' could change the data"},
        {"procedure call on a writable connection", "{call tidy()}", "'CALL' could change the data"},
    };
    for (const auto& c : cases) {
        try {
            source->Execute(c.sql);
            ADD_FAILURE() << c.name << " ran";
        } catch (const RelationalError& error) {
            EXPECT_EQ(error.Failure(), RelationalFailure::Unsupported) << c.name;
            EXPECT_NE(std::string(error.what()).find(c.words), std::string::npos) << c.name << ": " << error.what();
        }
    }
    EXPECT_EQ(source->Execute("WITH n AS (SELECT 1 AS x) SELECT x FROM n").Fields()[0].Value(), CellValue(1));
    EXPECT_EQ(source->Execute("SELECT count(*) AS N FROM Sales;").Fields()[0].Value(), CellValue(3));
    EXPECT_EQ(source->Tables().size(), 2u);
}

} // namespace
} // namespace olap::providers
