#include "OlapTestSupport.h"

#include "olap/schema/SchemaReader.h"
#include "olap/storage/CubeBuilder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace olaptest {

std::string DataPath(const std::string& name)
{
    return std::string(OLAP_TEST_DATA) + "/" + name;
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TempDir::TempDir()
{
    static std::atomic<int> counter {0};
    m_path = std::filesystem::temp_directory_path()
        / ("olap-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::unique_ptr<olap::SqliteDb> MakeDatabase(const std::string& path, const std::string& script)
{
    auto db = std::make_unique<olap::SqliteDb>(path, olap::SqliteDb::Mode::ReadWriteCreate);
    db->Exec(script);
    return db;
}

void LoadCsvTable(olap::SqliteDb& db, const std::string& table, const std::string& csvPath)
{
    std::ifstream in(csvPath);
    std::string line;
    std::getline(in, line);
    auto split = [](const std::string& text) {
        std::vector<std::string> fields;
        std::stringstream stream(text);
        std::string field;
        while (std::getline(stream, field, ','))
            fields.push_back(field);
        return fields;
    };
    const auto header = split(line);
    std::string create = "CREATE TABLE " + table + "(";
    std::string insert = "INSERT INTO " + table + " VALUES (";
    for (std::size_t i = 0; i < header.size(); ++i) {
        create += (i ? ", " : "") + header[i];
        insert += (i ? ", ?" : "?") + std::to_string(i + 1);
    }
    db.Exec(create + ")");
    auto stmt = db.Prepare(insert + ")");
    db.Exec("BEGIN");
    while (std::getline(in, line)) {
        if (line.empty())
            continue;
        const auto fields = split(line);
        stmt.Reset();
        for (std::size_t i = 0; i < fields.size(); ++i) {
            char* end = nullptr;
            const double number = std::strtod(fields[i].c_str(), &end);
            if (!fields[i].empty() && end && *end == '\0') {
                if (fields[i].find('.') == std::string::npos)
                    stmt.Bind(static_cast<int>(i + 1), static_cast<std::int64_t>(number));
                else
                    stmt.Bind(static_cast<int>(i + 1), number);
            } else {
                stmt.Bind(static_cast<int>(i + 1), fields[i]);
            }
        }
        stmt.Step();
    }
    db.Exec("COMMIT");
}

std::unique_ptr<olap::Cube> BuildTinyCube(const TempDir& dir, const std::string& schemaFile)
{
    auto db = MakeDatabase(dir.Path("tiny.sqlite"), ReadText(DataPath("tiny.sql")));
    const auto schema = olap::SchemaReader::ReadFile(DataPath(schemaFile));
    return olap::CubeBuilder::Build(schema.name, schema.cubes.front(), *db);
}

} // namespace olaptest
