#include "OlapTestSupport.h"

#include "olap/exec/AggregationEngine.h"
#include "olap/exec/AggregationResult.h"
#include "olap/model/Level.h"
#include "olap/model/Measure.h"
#include "olap/model/Member.h"
#include "olap/storage/CubeFile.h"
#include "olap/util/OlapError.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

std::string Answers(const olap::Cube& cube)
{
    olap::AggregationRequest request;
    request.groupings.push_back(olap::MemberSet::OfLevel(*cube.FindLevel("[Time].[Quarter]")));
    request.groupings.push_back(olap::MemberSet::OfLevel(*cube.FindLevel("[Product].[Category]")));
    for (std::size_t m = 0; m < cube.Measures().size(); ++m)
        request.measures.push_back(static_cast<int>(m));
    olap::AggregationEngine::Options options;
    options.useCache = false;
    auto result = olap::AggregationEngine::Aggregate(cube, request, options);
    std::string text;
    for (std::size_t c = 0; c < result->CellCount(); ++c) {
        for (std::size_t s = 0; s < cube.Measures().size(); ++s) {
            auto v = result->Value(c, s);
            text += (v ? olap::FormatNumber(*v) : "-") + " ";
        }
    }
    return text;
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

void ExpectError(const std::string& path, const std::string& mention)
{
    try {
        olap::CubeFile::Read(path);
        FAIL() << "no error for " << path;
    } catch (const olap::OlapError& e) {
        EXPECT_NE(std::string(e.what()).find(mention), std::string::npos) << e.what();
    }
}

TEST(CubeFile, RoundTripKeepsModelAndAnswers)
{
    olaptest::TempDir dir;
    auto built = olaptest::BuildTinyCube(dir);
    olap::CubeFile::Write(*built, dir.Path("tiny.cub"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path("tiny.cub.tmp-" + std::to_string(::getpid()))));
    auto read = olap::CubeFile::Read(dir.Path("tiny.cub"));
    EXPECT_EQ(read->Name(), "Shop");
    EXPECT_EQ(read->SchemaName(), "Tiny");
    EXPECT_EQ(read->DefaultMeasure()->Name(), "Qty");
    EXPECT_EQ(read->FindMeasure("Avg Price")->FormatString(), "#,##0.00");
    ASSERT_NE(read->FindMember("[Product].[Snacks].[Nuts [Salted]]]"), nullptr);
    EXPECT_EQ(read->FindLevel("[Time].[Year]")->Type(), olap::LevelType::TimeYears);
    EXPECT_TRUE(read->FindLevel("[Product].[Product]")->UniqueMembers());
    ASSERT_EQ(read->Calculated().size(), 1u);
    EXPECT_EQ(read->Calculated()[0].formula, "[Measures].[Qty] / [Measures].[Rows]");
    EXPECT_EQ(Answers(*read), Answers(*built));
}

TEST(CubeFile, ForeignMissingAndDamagedFilesGiveClearErrors)
{
    olaptest::TempDir dir;
    auto built = olaptest::BuildTinyCube(dir);
    const std::string good = dir.Path("good.cub");
    olap::CubeFile::Write(*built, good);
    const std::string bytes = olaptest::ReadText(good);

    ExpectError(dir.Path("missing.cub"), "no such file");
    WriteBytes(dir.Path("text.cub"), "this is not a cube\n");
    ExpectError(dir.Path("text.cub"), "not a local cube file");
    WriteBytes(dir.Path("empty.cub"), "");
    ExpectError(dir.Path("empty.cub"), "not a local cube file");
    ExpectError(dir.Path("tiny.sqlite"), "not a local cube file"); // a SQLite file of another kind
    WriteBytes(dir.Path("half.cub"), bytes.substr(0, bytes.size() / 2));
    EXPECT_THROW(olap::CubeFile::Read(dir.Path("half.cub")), olap::OlapError);
    WriteBytes(dir.Path("header.cub"), bytes.substr(0, 100));
    EXPECT_THROW(olap::CubeFile::Read(dir.Path("header.cub")), olap::OlapError);

    {
        olap::SqliteDb db(good, olap::SqliteDb::Mode::ReadWriteCreate);
        db.Exec("UPDATE segments SET data = zeroblob(length(data)) WHERE kind = 'value' AND col = 0");
    }
    ExpectError(good, "checksum");
    olap::CubeFile::Write(*built, good);
    {
        olap::SqliteDb db(good, olap::SqliteDb::Mode::ReadWriteCreate);
        db.Exec("UPDATE lumetra_cube SET value = '99' WHERE key = 'version'");
    }
    ExpectError(good, "format version 99");
    olap::CubeFile::Write(*built, good);
    {
        olap::SqliteDb db(good, olap::SqliteDb::Mode::ReadWriteCreate);
        db.Exec("UPDATE lumetra_cube SET value = '1000000000000000' WHERE key = 'rows'");
    }
    ExpectError(good, "row count");
    olap::CubeFile::Write(*built, good);
    {
        olap::SqliteDb db(good, olap::SqliteDb::Mode::ReadWriteCreate);
        db.Exec("DELETE FROM members WHERE dim = 0 AND level = 0 AND ordinal = 1");
    }
    ExpectError(good, "damaged");
}

TEST(CubeFile, FlippedBytesNeverCrash)
{
    olaptest::TempDir dir;
    auto built = olaptest::BuildTinyCube(dir);
    const std::string good = dir.Path("good.cub");
    olap::CubeFile::Write(*built, good);
    const std::string bytes = olaptest::ReadText(good);
    int errors = 0;
    for (std::size_t offset = 16; offset < bytes.size(); offset += bytes.size() / 97 + 1) {
        std::string damaged = bytes;
        damaged[offset] = static_cast<char>(damaged[offset] ^ 0x5A);
        WriteBytes(dir.Path("bad.cub"), damaged);
        try {
            auto cube = olap::CubeFile::Read(dir.Path("bad.cub"));
            Answers(*cube); // a file that still opens must answer without faults
        } catch (const olap::OlapError&) {
            ++errors;
        }
    }
    EXPECT_GT(errors, 0);
}

TEST(CubeFile, FailedWriteLeavesTheOldFile)
{
    olaptest::TempDir dir;
    auto built = olaptest::BuildTinyCube(dir);
    const std::string path = dir.Path("keep.cub");
    WriteBytes(path, "old contents");
    EXPECT_THROW(olap::CubeFile::Write(*built, dir.Path("no/such/folder/x.cub")), olap::OlapError);
    const std::string blocked = path + ".tmp-" + std::to_string(::getpid()); // the temp name is taken
    std::filesystem::create_directory(blocked);
    WriteBytes(blocked + "/inside", "x");
    EXPECT_THROW(olap::CubeFile::Write(*built, path), olap::OlapError);
    EXPECT_TRUE(olaptest::ReadText(path) == "old contents");
}

} // namespace
