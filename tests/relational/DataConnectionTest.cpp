// The data-access facade over relational sources: which source a connection string opens,
// recordsets run on an active connection, schema rowsets, and what failures say.
#include "OdbcFixture.h"
#include "SampleDatabase.h"
#include "TempFolder.h"
#include "TinyXlsWriter.h"

#include "olap/access/Connection.h"
#include "olap/access/RemoteOlapProviders.h"
#include "olap/providers/RelationalError.h"
#include "olap/recordset/RecordsetError.h"
#include "olap/util/OlapError.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using olap::recordset::CellValue;
using olap::recordset::Recordset;

olap::providers::ProviderDriverLookup Drivers(std::map<std::string, std::string> table)
{
    return [table = std::move(table)](std::string_view name) -> std::optional<std::string> {
        const auto it = table.find(std::string(name));
        return it == table.end() ? std::nullopt : std::optional<std::string>(it->second);
    };
}

std::string OpenError(const std::string& connectionString, const olap::providers::ProviderDriverLookup& lookup = {})
{
    try {
        olap::Connection connection;
        connection.Open(connectionString, {}, {}, -1, lookup);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "opened";
}

void WriteTinyXls(const std::string& path)
{
    TinyXlsWriter::Write(path, "Sales",
        {{std::string("Region"), std::string("Units")}, {std::string("North"), 3.0}, {std::string("South"), 4.0}});
}

std::vector<std::string> Column(Recordset rs, const std::string& field)
{
    std::vector<std::string> values;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
        values.push_back(rs.Fields()[rs.FieldIndex(field)].Value().ToText());
    return values;
}

class DataConnectionTest : public testing::Test {
protected:
    void SetUp() override { WriteSampleDatabase(m_folder.File("sales.db")); }
    TempFolder m_folder;
};

TEST_F(DataConnectionTest, ConnectionStringsOpenTheSourceTheyName)
{
    const std::string db = m_folder.File("sales.db");
    const std::string copy = m_folder.File("sales.sqlite3");
    std::filesystem::copy_file(db, copy);
    WriteTinyXls(m_folder.File("book.xls"));
    struct Case {
        std::string connection;
        bool relational;
    };
    const Case cases[] = {
        {"Data Source=" + db, true},
        {"Provider=SQLite; Data Source=" + db, true},
        {"provider=sqlite ;data source= '" + db + "' ;", true},
        {"Data Source=" + copy + "; Data Source=" + db, true},
        {"Provider=Microsoft.Jet.OLEDB.4.0; Data Source=" + m_folder.File("book.xls")
                + ";Extended Properties=Excel 8.0;",
            true},
        {"Provider=MSOLAP.2; Data Source=" + m_folder.File("book.xls") + ";Extended Properties=Excel 8.0;", true},
    };
    for (const Case& c : cases) {
        olap::Connection connection;
        connection.Open(c.connection);
        EXPECT_EQ(connection.IsRelational(), c.relational) << c.connection;
        EXPECT_EQ(connection.ConnectionString(), c.connection);
        EXPECT_FALSE(Column(connection.OpenSchema(olap::SchemaEnum::Tables), "TABLE_NAME").empty()) << c.connection;
        connection.Close();
        EXPECT_FALSE(connection.IsOpen());
        EXPECT_THROW(connection.Execute("SELECT 1"), olap::OlapError);
    }
}

TEST_F(DataConnectionTest, FailuresToOpenSayWhatFailed)
{
    struct Case {
        std::string connection;
        std::vector<std::string> words;
    };
    const Case cases[] = {
        {"Data Source=" + m_folder.File("missing.db"), {"missing.db"}},
        {"Provider=MSOLAP.2; Data Source=" + m_folder.File("sales.db.cub"), {"sales.db.cub"}},
        {"Provider=MSOLAP.2; Data Source=http://olap.example/xmla; Initial Catalog=Sales",
            {"http://olap.example/xmla", "XMLA"}},
        {"Provider=MSOLAP.2; Data Source=olap1; Initial Catalog=Sales", {"'olap1'", "XMLA"}},
        {"Provider=SQLNCLI10; Server=db1; Database=Sales;Trusted_Connection=Yes;",
            {"SQLNCLI10", "\\LocalMachine\\Software\\Corvane\\Talvanor\\Lumetra\\Lumetra\\Providers\\SQLNCLI10"}},
        {"Provider=Acme.Widgets; Data Source=x",
            {"Acme.Widgets", "\\LocalMachine\\Software\\Corvane\\Talvanor\\Lumetra\\Lumetra\\Providers\\Acme.Widgets"}},
        {"Provider=MSOLAP.2", {"Data Source"}},
        {"Provider=MSOLAP.2; Data Source='unterminated", {"quote"}},
    };
    for (const Case& c : cases) {
        const std::string message = OpenError(c.connection);
        for (const std::string& word : c.words)
            EXPECT_NE(message.find(word), std::string::npos) << c.connection << " -> " << message;
    }
}

// The remote seam: a factory installed for http sources is what such a connection opens.
TEST_F(DataConnectionTest, RemoteSourcesGoThroughTheInstalledFactory)
{
    std::string seen;
    olap::SetRemoteOlapProviderFactory([&](const olap::providers::ConnectionProperties& properties) {
        seen = properties.at("Data Source");
        return std::unique_ptr<olap::OlapProvider>();
    });
    OpenError("Provider=MSOLAP; Data Source=https://olap.example/xmla");
    olap::SetRemoteOlapProviderFactory({});
    EXPECT_EQ(seen, "https://olap.example/xmla");
    EXPECT_NE(OpenError("Provider=MSOLAP; Data Source=https://olap.example/xmla").find("XMLA"), std::string::npos);
}

TEST_F(DataConnectionTest, RecordsetRunsItsSourceOnTheActiveConnectionAndStaysReadableDetached)
{
    auto connection = std::make_shared<olap::Connection>();
    connection->SetCursorLocation(3);
    EXPECT_EQ(connection->GetCursorLocation(), olap::CursorLocation::Client);
    EXPECT_THROW(connection->SetCursorLocation(7), olap::OlapError);
    connection->Open("Data Source=" + m_folder.File("sales.db"), "", "", -1);

    Recordset rs;
    rs.SetActiveConnection(connection);
    rs.SetSource("SELECT Region, Amount FROM Sales ORDER BY Id");
    rs.SetProperty("command time out", CellValue("45"));
    EXPECT_EQ(rs.Property("Command Time out"), CellValue(45));
    EXPECT_THROW(rs.SetProperty("Command Time out", CellValue("soon")), olap::recordset::RecordsetError);
    EXPECT_THROW(rs.Property("Lock Timeout"), olap::recordset::RecordsetError);
    rs.Open();
    EXPECT_EQ(rs.RecordCount(), 3);
    EXPECT_EQ(rs.Fields()[0].Name(), "Region");
    EXPECT_EQ(rs.Fields()[1].Type(), olap::recordset::DataType::Double);

    rs.SetActiveConnection(nullptr);
    connection->Close();
    EXPECT_EQ(Column(rs, "Region"), (std::vector<std::string> {"North", "South", "North"}));

    // A failing source leaves the recordset closed, with the provider's message.
    auto again = std::make_shared<olap::Connection>();
    again->Open("Data Source=" + m_folder.File("sales.db"));
    Recordset bad;
    bad.SetActiveConnection(again);
    bad.SetSource("SELECT * FROM Nowhere");
    try {
        bad.Open();
        ADD_FAILURE() << "a bad statement opened";
    } catch (const olap::providers::RelationalError& e) {
        EXPECT_NE(std::string(e.what()).find("Nowhere"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(bad.IsOpen());
    // Execute gives the same rows straight away.
    EXPECT_EQ(again->Execute("SELECT count(*) AS n FROM Sales").Fields()[0].Value(), CellValue(3));
}

TEST_F(DataConnectionTest, SchemaRowsetsListCatalogsAndBaseTables)
{
    olap::Connection connection;
    connection.Open("Data Source=" + m_folder.File("sales.db"));
    EXPECT_EQ(Column(connection.OpenSchema(olap::SchemaEnum::Catalogs), "CATALOG_NAME").size(), 1u);
    struct Case {
        std::vector<std::string> restrictions;
        std::vector<std::string> tables;
    };
    const Case cases[] = {
        {{}, {"Empty", "Sales"}},
        {{"", "", "", "Table"}, {"Empty", "Sales"}},
        {{"", "", "", "TABLE"}, {"Empty", "Sales"}},
        {{"", "", "Sales", "Table"}, {"Sales"}},
        {{"", "", "", "VIEW"}, {}},
    };
    for (const Case& c : cases) {
        Recordset tables = connection.OpenSchema(olap::SchemaEnum::Tables, c.restrictions);
        std::vector<std::string> names = Column(tables, "TABLE_NAME");
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, c.tables);
        for (const std::string& type : Column(tables, "TABLE_TYPE"))
            EXPECT_EQ(type, "TABLE");
    }
    EXPECT_THROW(connection.OpenSchema(olap::SchemaEnum::Cubes), olap::OlapError);
}

TEST_F(DataConnectionTest, WorkbookSheetsAreTables)
{
    WriteTinyXls(m_folder.File("book.xls"));
    olap::Connection connection;
    connection.Open("Provider=Microsoft.ACE.OLEDB.12.0; Data Source=" + m_folder.File("book.xls")
        + ";Extended Properties=Excel 8.0;");
    const std::vector<std::string> sheets
        = Column(connection.OpenSchema(olap::SchemaEnum::Tables, {"", "", "", "Table"}), "TABLE_NAME");
    ASSERT_FALSE(sheets.empty());
    Recordset rows = connection.Execute("Select * from [" + sheets[0] + "]");
    EXPECT_GT(rows.RecordCount(), 0);
}

class OdbcConnectionTest : public OdbcSourceTest { };

TEST_F(OdbcConnectionTest, MappedProvidersDsnAndDriverOpenThroughUnixOdbc)
{
    const std::string db = s_folder->File("sales.db");
    const auto lookup = Drivers({{"SQLNCLI10", "SQLite3 Test"}});
    for (const std::string& cs : {"Provider=SQLNCLI10; Server=localhost; Database=" + db + ";Trusted_Connection=Yes;",
             std::string("Provider=MSDASQL; DSN=SalesDSN"), "Driver={SQLite3 Test}; Database=" + db}) {
        olap::Connection connection;
        connection.Open(cs, {}, {}, -1, lookup);
        EXPECT_TRUE(connection.IsRelational());
        EXPECT_EQ(connection.Execute("SELECT Region FROM Sales ORDER BY Id").RecordCount(), 3) << cs;
        EXPECT_EQ(Column(connection.OpenSchema(olap::SchemaEnum::Tables, {"", "", "Sales", "Table"}), "TABLE_NAME"),
            std::vector<std::string> {"Sales"});
    }
    // The default table stands in when the caller gives none.
    olap::providers::SetDefaultProviderDriverLookup(lookup);
    EXPECT_EQ(OpenError("Provider=SQLNCLI10; Server=localhost; Database=" + db + ";Trusted_Connection=Yes;"), "opened");
    olap::providers::SetDefaultProviderDriverLookup({});
}

TEST(DataConnectionPasswordTest, NoPartOfAPasswordInAnOpenError)
{
    const struct {
        const char* name;
        const char* connection;
        std::vector<std::string> hidden;
    } cases[] = {
        {"braced password, unknown driver", "Driver={No Such Driver};PWD={Top;Secret=123};UID=u",
            {"Top", "Secret", "123"}},
        {"braced password, unmapped provider", "Provider=SQLNCLI10; Server=s; uid=u; pwd={Top;Secret=123}",
            {"Top", "Secret", "123"}},
        {"quoted password, unknown data source", "Provider=MSDASQL; DSN=NoSuchDsn; Password=\"Top;Secret=123\"",
            {"Top", "Secret", "123"}},
        {"password with ';' unquoted", "Driver={No Such Driver};PWD=Top;Secret;UID=u", {"Top", "Secret"}},
        {"unknown provider", "Provider=Nope.1; Password=Hidden123", {"Hidden123"}},
        {"remote server", "Provider=MSOLAP; Data Source=http://olap.example; Password=Hidden123", {"Hidden123"}},
    };
    for (const auto& c : cases) {
        const std::string message = OpenError(c.connection);
        EXPECT_NE(message, "opened") << c.name;
        for (const std::string& secret : c.hidden)
            EXPECT_EQ(message.find(secret), std::string::npos) << c.name << ": " << message;
    }
}

TEST(DataConnectionMessageTest, HugeNamesAreCutInOpenErrors)
{
    const std::string huge(1 << 20, 'n');
    const std::string cases[] = {
        "Provider=" + huge,
        "Provider=SQLNCLI" + huge,
        "Provider=MSOLAP; Data Source=/tmp/" + huge + ".cub",
        "Provider=MSOLAP; Data Source=http://" + huge,
        "Provider=SQLite; Data Source=/tmp/" + huge + ".db",
        "Data Source=/tmp/" + huge + ".xlsx",
        "Provider=MSOLAP; Data Source=/tmp/" + huge,
    };
    for (const std::string& connection : cases) {
        const std::string message = OpenError(connection);
        EXPECT_NE(message, "opened");
        EXPECT_LT(message.size(), 2000u) << connection.substr(0, 40) << ": " << message.substr(0, 300);
    }
}

} // namespace
