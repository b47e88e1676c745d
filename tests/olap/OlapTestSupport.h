#pragma once

#include "olap/model/Cube.h"
#include "olap/util/SqliteDb.h"

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

//! The hand-computed cube "Shop" of data/tiny.xml over data/tiny.sql.
std::unique_ptr<olap::Cube> BuildTinyCube(const TempDir& dir);

} // namespace olaptest
