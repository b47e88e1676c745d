#include "OlapTestSupport.h"

#include "olap/exec/AggregationEngine.h"
#include "olap/exec/AggregationResult.h"
#include "olap/model/Dimension.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Level.h"
#include "olap/model/Measure.h"
#include "olap/model/Member.h"
#include "olap/storage/CubeFile.h"
#include "olap/util/OlapError.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

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

// Everything of the model a damaged description could change: members, measures, formulas
// (and the member properties, which files of the first format do not have).
std::string ModelText(const olap::Cube& cube, bool withProperties = true)
{
    std::string text = cube.Name() + "|" + cube.Caption() + "|" + cube.SchemaName() + "\n";
    for (const olap::Hierarchy* h : cube.FactHierarchies()) {
        for (const olap::Level* level : h->Levels()) {
            text += level->UniqueName() + "\n";
            for (const olap::LevelProperty& p : level->Properties())
                text += withProperties ? "property " + p.name + "|" + p.type + "\n" : "";
            for (const olap::Member* m : level->Members()) {
                text += m->UniqueName() + "|" + m->Caption() + "\n";
                for (const std::string& v : m->PropertyValues())
                    text += withProperties ? "=" + v + "\n" : "";
            }
        }
    }
    for (const olap::Measure* m : cube.Measures())
        text
            += m->Name() + "|" + std::string(olap::AggregatorName(m->GetAggregator())) + "|" + m->FormatString() + "\n";
    for (const olap::CalculatedDefinition& calc : cube.Calculated())
        text += calc.name + "|" + calc.formula + "\n";
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
    // Member properties: the level's definitions and each member's values ("" for NULL).
    const olap::Level* products = read->FindLevel("[Product].[Product]");
    ASSERT_EQ(products->Properties().size(), 2u);
    EXPECT_EQ(products->Properties()[1].name, "Weight");
    EXPECT_TRUE(products->Properties()[1].Numeric());
    EXPECT_EQ(products->PropertyIndex("COLOUR"), 0);
    EXPECT_EQ(
        read->FindMember("[Product].[Fruit].[Apple]")->PropertyValues(), (std::vector<std::string> {"Red", "0.2"}));
    EXPECT_EQ(read->FindMember("[Product].[Snacks].[Nuts [Salted]]]")->PropertyValues(),
        (std::vector<std::string> {"", "0.125"}));
    EXPECT_TRUE(read->FindLevel("[Product].[Category]")->Properties().empty());
    EXPECT_TRUE(read->FindMember("[Product].[Fruit]")->PropertyValues().empty());
    EXPECT_EQ(ModelText(*read), ModelText(*built));
}

TEST(CubeFile, ForeignMissingAndDamagedFilesGiveClearErrors)
{
    olaptest::TempDir dir;
    auto built = olaptest::BuildTinyCube(dir);
    const std::string good = dir.Path("good.cub");
    olap::CubeFile::Write(*built, good);
    const std::string bytes = olaptest::ReadText(good);

    ExpectError(dir.Path("missing.cub"), "does not exist");
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
    ExpectError(good, "build the cube again");
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

TEST(CubeFile, DamagedDescriptionIsAnErrorNeverAnotherAnswer)
{
    olaptest::TempDir dir;
    auto built = olaptest::BuildTinyCube(dir);
    const std::string good = dir.Path("good.cub");
    olap::CubeFile::Write(*built, good);
    const std::string bytes = olaptest::ReadText(good);

    // Bytes changed in place, as a faulty disk or an editor would: each occurrence of each
    // text, one at a time. Where the value is read the change is an error naming the file;
    // a copy nothing reads (an index entry) may change without effect, never with another
    // answer.
    const struct {
        const char* name;
        std::string from;
        std::string to;
    } edits[] = {
        {"aggregator sum becomes max", "sum", "max"},
        {"member renamed", "Nuts", "Nutz"},
        {"measure renamed", "Qty", "Qtz"},
        {"formula changed", "] / [", "] * ["},
        {"all member renamed", "All Periods", "All Periodz"},
        {"format string changed", "#,##0.00", "#,##0.0#"},
        {"member property value changed", "Yellow", "Yellox"},
        {"member property renamed", "Colour", "Colour2"},
    };
    const std::string damaged = dir.Path("damaged.cub");
    const std::string goodModel = ModelText(*built);
    const std::string goodAnswers = Answers(*built);
    for (const auto& edit : edits) {
        int errors = 0;
        for (std::size_t at = bytes.find(edit.from); at != std::string::npos; at = bytes.find(edit.from, at + 1)) {
            std::string changed = bytes;
            changed.replace(at, edit.from.size(), edit.to);
            WriteBytes(damaged, changed);
            try {
                auto cube = olap::CubeFile::Read(damaged);
                EXPECT_EQ(ModelText(*cube), goodModel) << edit.name << " at byte " << at;
                EXPECT_EQ(Answers(*cube), goodAnswers) << edit.name << " at byte " << at;
            } catch (const olap::OlapError& e) {
                ++errors;
                const std::string message = e.what();
                EXPECT_NE(message.find("'" + damaged + "' is damaged"), std::string::npos)
                    << edit.name << ": " << message;
                for (const char* raw : {"malformed", "SELECT", "sqlite"})
                    EXPECT_EQ(message.find(raw), std::string::npos) << edit.name << ": " << message;
            }
        }
        EXPECT_GT(errors, 0) << edit.name << ": no change was noticed";
    }

    // Changes made through SQLite keep the database sound; only the checksum sees them.
    const struct {
        const char* name;
        const char* sql;
        const char* words;
    } updates[] = {
        {"aggregator", "UPDATE measures SET aggregator = 'max' WHERE name = 'Qty'", "fails its checksum"},
        {"member name", "UPDATE members SET name = 'Cashews' WHERE name = 'Nuts [Salted]'", "fails its checksum"},
        {"calculated formula", "UPDATE calculated SET formula = '1'", "fails its checksum"},
        {"member property value", "UPDATE member_properties SET value = 'Blue' WHERE value = 'Red'",
            "fails its checksum"},
        {"member property of no member", "UPDATE member_properties SET ordinal = 99 WHERE value = 'Red'", "damaged"},
        {"a member more",
            "INSERT INTO members SELECT dim, level, ordinal + 100, parent, key || 'x', name || 'x', "
            "caption FROM members WHERE rowid = (SELECT max(rowid) FROM members)",
            "damaged"},
        {"checksum removed", "DELETE FROM lumetra_cube WHERE key = 'checksum'",
            "checksum of its description is missing"},
        {"version lowered, checksum kept",
            "UPDATE lumetra_cube SET value = '1' WHERE key = 'version';"
            "UPDATE measures SET aggregator = 'min' WHERE name = 'Qty'",
            "fails its checksum"},
    };
    for (const auto& update : updates) {
        WriteBytes(damaged, bytes);
        {
            olap::SqliteDb db(damaged, olap::SqliteDb::Mode::ReadWriteCreate);
            db.Exec(update.sql);
        }
        ExpectError(damaged, update.words);
    }
}

TEST(CubeFile, FilesOfTheFirstFormatStillRead)
{
    // Version 1 files carry no checksum of their description; they read as they always did.
    olaptest::TempDir dir;
    auto built = olaptest::BuildTinyCube(dir);
    const std::string path = dir.Path("old.cub");
    olap::CubeFile::Write(*built, path);
    {
        olap::SqliteDb db(path, olap::SqliteDb::Mode::ReadWriteCreate);
        db.Exec("DELETE FROM lumetra_cube WHERE key = 'checksum'; UPDATE lumetra_cube SET value = '1' WHERE key = "
                "'version'");
    }
    auto read = olap::CubeFile::Read(path);
    EXPECT_EQ(ModelText(*read, false), ModelText(*built, false));
    EXPECT_EQ(Answers(*read), Answers(*built));
}

TEST(CubeFile, WhatIsNoFileIsNamedAndNeverOpened)
{
    olaptest::TempDir dir;
    const std::string fifo = dir.Path("pipe.cub");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_directory(dir.Path("folder.cub"));
    const struct {
        std::string path;
        const char* words;
    } cases[] = {
        {dir.Path("folder.cub"), "is a folder"},
        {fifo, "is a named pipe (FIFO)"}, // opening it would wait for a writer for ever
        {"/dev/null", "is a device"},
        {dir.Path("missing.cub"), "does not exist"},
    };
    for (const auto& c : cases) {
        ExpectError(c.path, c.words);
        ExpectError(c.path, "'" + c.path + "'");
    }
    // A name far longer than any path is cut in the message.
    const std::string huge = dir.Path(std::string(1 << 20, 'n') + ".cub");
    try {
        olap::CubeFile::Read(huge);
        FAIL() << "no error";
    } catch (const olap::OlapError& e) {
        EXPECT_LT(std::string(e.what()).size(), 500u) << std::string(e.what()).substr(0, 500);
        EXPECT_NE(std::string(e.what()).find("\xE2\x80\xA6"), std::string::npos);
    }
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
            // A file that still opens gives the same model and the same answers.
            auto cube = olap::CubeFile::Read(dir.Path("bad.cub"));
            EXPECT_EQ(ModelText(*cube), ModelText(*built)) << "byte " << offset;
            EXPECT_EQ(Answers(*cube), Answers(*built)) << "byte " << offset;
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
