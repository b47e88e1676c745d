#pragma once

#include "olap/model/Cube.h"
#include "olap/util/SqliteDb.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace olaptest {

//! The test data folder (tests/olap/data).
std::string DataPath(const std::string& name);
//! Reads a whole file.
std::string ReadText(const std::string& path);

//! A folder of its own under the system temp folder, removed afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    std::string Path(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

//! A SQLite database at PATH filled by the SQL script SCRIPT.
std::unique_ptr<olap::SqliteDb> MakeDatabase(const std::string& path, const std::string& script);
//! Loads the peer's CSV files (header line, no quoting) into tables of DB.
void LoadCsvTable(olap::SqliteDb& db, const std::string& table, const std::string& csvPath);

//! The hand-computed cube "Shop" of data/tiny.xml (or another schema file of data/, such as
//! tiny_noall.xml) over data/tiny.sql.
std::unique_ptr<olap::Cube> BuildTinyCube(const TempDir& dir, const std::string& schemaFile = "tiny.xml");

//! A suite (Base: testing::Test or testing::TestWithParam<T>) whose tests
//! share one tiny cube, built before its first test and freed after its last.
template <class Base = ::testing::Test> class TinyCubeSuite : public Base {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new TempDir();
        s_cube = BuildTinyCube(*s_dir).release();
    }
    static void TearDownTestSuite()
    {
        delete s_cube;
        delete s_dir;
        s_cube = nullptr;
        s_dir = nullptr;
    }
    static inline TempDir* s_dir = nullptr;
    static inline olap::Cube* s_cube = nullptr;
};

} // namespace olaptest
