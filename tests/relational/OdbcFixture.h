#pragma once

#include "SampleDatabase.h"
#include "TempFolder.h"

#include <gtest/gtest.h>
#include <odbcinst.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

// The SQLite ODBC driver, registered as "SQLite3 Test" in an odbcinst.ini of our own, with a
// data source "SalesDSN" over the sample database. The driver manager keeps the configuration
// it has read for the life of the process, so it is written once per process and kept until
// exit. Null when the driver is not installed.
struct OdbcTestEnvironment {
    std::string driver;
    TempFolder folder;

    static const OdbcTestEnvironment* Get()
    {
        static const std::unique_ptr<OdbcTestEnvironment> environment = Make();
        return environment.get();
    }

private:
    static std::unique_ptr<OdbcTestEnvironment> Make()
    {
        std::string driver;
        for (const char* candidate :
            {"/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so", "/usr/lib/aarch64-linux-gnu/odbc/libsqlite3odbc.so",
                "/usr/lib/odbc/libsqlite3odbc.so", "/usr/local/lib/libsqlite3odbc.so"})
            if (std::filesystem::exists(candidate))
                driver = candidate;
        if (driver.empty())
            return nullptr;
        // Loads the installer library now, so the driver's use of it does not unload it.
        UWORD mode = 0;
        SQLGetConfigMode(&mode);
        auto environment = std::make_unique<OdbcTestEnvironment>();
        environment->driver = driver;
        const TempFolder& folder = environment->folder;
        WriteSampleDatabase(folder.File("sales.db"));
        std::ofstream(folder.File("odbcinst.ini")) << "[SQLite3 Test]\nDescription=SQLite3\nDriver=" << driver << "\n";
        std::ofstream(folder.File("odbc.ini"))
            << "[SalesDSN]\nDriver=SQLite3 Test\nDatabase=" << folder.File("sales.db") << "\n";
        setenv("ODBCSYSINI", folder.Path().c_str(), 1);
        setenv("ODBCINI", folder.File("odbc.ini").c_str(), 1);
        return environment;
    }
};

// Tests through the real driver; skipped when it is not installed.
class OdbcSourceTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const OdbcTestEnvironment* environment = OdbcTestEnvironment::Get();
        s_driver = environment ? environment->driver : std::string();
        s_folder = environment ? &environment->folder : nullptr;
    }
    void SetUp() override
    {
        if (s_driver.empty())
            GTEST_SKIP() << "the SQLite ODBC driver (libsqliteodbc) is not installed";
    }

    static inline std::string s_driver;
    static inline const TempFolder* s_folder = nullptr;
};
