// The connection string of the connect dialog for every mode and server kind, and the
// hiding of passwords in messages.
#include "control/query/ConnectStringComposer.h"

#include <gtest/gtest.h>

namespace {

struct ComposeCase {
    const char* name;
    ConnectStringComposer::Fields fields;
    const char* expected;
};

void PrintTo(const ComposeCase& c, std::ostream* out)
{
    *out << c.name;
}

class ComposeTest : public testing::TestWithParam<ComposeCase> { };

TEST_P(ComposeTest, ComposesTheStringOfItsMode)
{
    EXPECT_EQ(ConnectStringComposer::Compose(GetParam().fields).toStdString(), GetParam().expected);
}

ConnectStringComposer::Fields F(const char* driver, const char* server, const char* database, bool sql, bool user)
{
    return {QString::fromUtf8(driver), QString::fromUtf8(server), QString::fromUtf8(database), sql, user};
}

INSTANTIATE_TEST_SUITE_P(EveryMode, ComposeTest,
    testing::Values(ComposeCase {"olap_server", F("MSOLAP.2", "olap1", "Sales", false, false),
                        "Provider=MSOLAP.2; Data Source=olap1; Initial Catalog=Sales"},
        ComposeCase {"olap_ignores_user_mode", F("MSOLAP.2", "olap1", "Sales", false, true),
            "Provider=MSOLAP.2; Data Source=olap1; Initial Catalog=Sales"},
        ComposeCase {"olap_local_cube_file", F("MSOLAP.2", "/data/Sales.cub", "", false, false),
            "Provider=MSOLAP.2; Data Source=/data/Sales.cub; Initial Catalog="},
        ComposeCase {"olap_server_named_like_a_workbook", F("MSOLAP.2", "xlsfarm", "Sales", false, false),
            "Provider=MSOLAP.2; Data Source=xlsfarm; Initial Catalog=Sales"},
        ComposeCase {"empty_fields", F("", "", "", false, false), "Provider=; Data Source=; Initial Catalog="},
        ComposeCase {"sql_spreadsheet", F("Microsoft.Jet.OLEDB.4.0", "/data/Budget.xls", "WorkSheet", true, false),
            "Provider=Microsoft.Jet.OLEDB.4.0; Data Source=/data/Budget.xls;Extended Properties=Excel 8.0;"},
        ComposeCase {"sql_spreadsheet_any_case", F("MSOLAP.2", "/data/BUDGET.Xlsx", "", true, false),
            "Provider=MSOLAP.2; Data Source=/data/BUDGET.Xlsx;Extended Properties=Excel 8.0;"},
        ComposeCase {"sql_native_client_10", F("SQLNCLI10", "db1\\SQLNCLI10", "Shop", true, false),
            "Provider=SQLNCLI10; Server=db1\\SQLNCLI10; Database=Shop;Trusted_Connection=Yes;"},
        ComposeCase {"sql_native_client", F("SQLNCLI", "sqlncli-host", "Shop", true, false),
            "Provider=SQLNCLI; Server=sqlncli-host; Database=Shop;Trusted_Connection=Yes;"},
        ComposeCase {"sql_other_provider", F("sqloledb", "db1", "Shop", true, false),
            "Provider=sqloledb; Data Source=db1; Initial Catalog=Shop;Trusted_Connection=Yes;"},
        ComposeCase {"sql_sqlite_file", F("MSOLAP.2", "/data/sales.sqlite", "main", true, false),
            "Provider=MSOLAP.2; Data Source=/data/sales.sqlite; Initial Catalog=main;Trusted_Connection=Yes;"},
        ComposeCase {"sql_user_native_client_10", F("SQLNCLI10", "host.SQLNCLI10", "Shop", true, true),
            "Provider=SQLNCLI10; Server=host.SQLNCLI10; Database=Shop;Trusted_Connection=No;"
            "uid=<Enter username here>;pwd=<Enter password here>;"},
        ComposeCase {"sql_user_other_provider", F("sqloledb", "db1", "Shop", true, true),
            "Provider=sqloledb; Data Source=db1; Initial Catalog=Shop;Trusted_Connection=No;"
            "uid=<Enter username here>;pwd=<Enter password here>;"},
        // With user mode on, a workbook is not special: the server rule applies.
        ComposeCase {"sql_user_spreadsheet", F("Microsoft.Jet.OLEDB.4.0", "/d/b.xls", "", true, true),
            "Provider=Microsoft.Jet.OLEDB.4.0; Data Source=/d/b.xls; Initial Catalog=;Trusted_Connection=No;"
            "uid=<Enter username here>;pwd=<Enter password here>;"}),
    [](const testing::TestParamInfo<ComposeCase>& info) { return std::string(info.param.name); });

TEST(HidePasswordsTest, HidesEveryPasswordTheStringHolds)
{
    struct Case {
        const char* name;
        const char* connection;
        const char* message;
        const char* expected;
    };
    const Case cases[] = {
        {"pwd", "Provider=sqloledb; Data Source=db1;uid=ann;pwd=s3cret;", "Login failed: pwd=s3cret;",
            "Login failed: pwd=****;"},
        {"password key any case", "Driver={X}; PassWord=hunter2", "bad hunter2 here", "bad **** here"},
        {"jet database password", "Jet OLEDB:Database Password=open;", "open failed", "**** failed"},
        {"quoted value with semicolon", "pwd=\"a;b\"; uid=x", "pwd=\"a;b\" rejected", "pwd=\"****\" rejected"},
        {"placeholder is kept", "uid=<Enter username here>;pwd=<Enter password here>;", "pwd=<Enter password here>",
            "pwd=<Enter password here>"},
        {"no password", "Provider=MSOLAP.2; Data Source=olap1", "cannot reach olap1", "cannot reach olap1"},
        {"unparsable string", "pwd=zz; \"broken", "zz is wrong", "**** is wrong"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ConnectStringComposer::HidePasswords(QString::fromUtf8(c.message), QString::fromUtf8(c.connection))
                      .toStdString(),
            c.expected)
            << c.name;
    }
}

} // namespace
