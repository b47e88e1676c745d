#pragma once

#include "SampleDatabase.h"
#include "TempFolder.h"

#include <gtest/gtest.h>
#include <odbcinst.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

// Real ODBC through the SQLite ODBC driver, registered in an odbcinst.ini of our own.
class OdbcSourceTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        for (const char* candidate :
            {"/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so", "/usr/lib/aarch64-linux-gnu/odbc/libsqlite3odbc.so",
                "/usr/lib/odbc/libsqlite3odbc.so", "/usr/local/lib/libsqlite3odbc.so"})
            if (std::filesystem::exists(candidate))
                s_driver = candidate;
        if (s_driver.empty())
            return;
        // Loads the installer library now, so the driver's use of it does not unload it.
        UWORD mode = 0;
        SQLGetConfigMode(&mode);
        s_folder = new TempFolder;
        WriteSampleDatabase(s_folder->File("sales.db"));
        std::ofstream(s_folder->File("odbcinst.ini"))
            << "[SQLite3 Test]\nDescription=SQLite3\nDriver=" << s_driver << "\n";
        std::ofstream(s_folder->File("odbc.ini"))
            << "[SalesDSN]\nDriver=SQLite3 Test\nDatabase=" << s_folder->File("sales.db") << "\n";
        setenv("ODBCSYSINI", s_folder->Path().c_str(), 1);
        setenv("ODBCINI", s_folder->File("odbc.ini").c_str(), 1);
    }
    static void TearDownTestSuite()
    {
        delete s_folder;
        s_folder = nullptr;
    }
    void SetUp() override
    {
        if (s_driver.empty())
            GTEST_SKIP() << "the SQLite ODBC driver (libsqliteodbc) is not installed";
    }

    static inline std::string s_driver;
    static inline TempFolder* s_folder = nullptr;
};
