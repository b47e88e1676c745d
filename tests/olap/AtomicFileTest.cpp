// The one mechanism that replaces kept files: every step checked, the old
// file byte-identical after any failure, no temporary file left behind.

#include "OlapTestSupport.h"
#include "support/FileFaults.h"

#include "olap/sample/SalesSample.h"
#include "olap/storage/CubeFile.h"
#include "olap/util/AtomicFile.h"
#include "olap/util/MessageText.h"
#include "olap/util/OlapError.h"
#include "olap/util/RegularFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

using olap::AtomicFile;
using Step = AtomicFile::Step;

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// Names in a folder other than the ones given.
std::vector<std::string> Others(const std::string& folder, const std::vector<std::string>& known)
{
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (std::find(known.begin(), known.end(), name) == known.end())
            found.push_back(name);
    }
    return found;
}

// A process id that surely runs no more: a child that has ended and was reaped.
pid_t DeadPid()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

struct FaultCase {
    const char* name;
    Step step;
    int error;
    const char* says;
};

class AtomicFileFault : public ::testing::TestWithParam<FaultCase> { };

TEST_P(AtomicFileFault, LeavesTheOldFileAndNoTemporaryFile)
{
    olaptest::TempDir dir;
    const std::string path = dir.Path("kept.txt");
    WriteBytes(path, "old contents");
    std::string error;
    {
        const InjectedFileFault fault(GetParam().step, GetParam().error);
        try {
            olap::WriteFileAtomically(path, std::string(100000, 'n'));
        } catch (const olap::OlapError& e) {
            error = e.what();
        }
    }
    EXPECT_NE(error.find(GetParam().says), std::string::npos) << error;
    EXPECT_NE(error.find(std::strerror(GetParam().error)), std::string::npos) << error;
    EXPECT_EQ(olaptest::ReadText(path), "old contents");
    EXPECT_TRUE(Others(dir.Path(""), {"kept.txt"}).empty());
}

INSTANTIATE_TEST_SUITE_P(EveryStep, AtomicFileFault,
    ::testing::Values(FaultCase {"create", Step::Create, EACCES, "cannot create"},
        FaultCase {"write_disk_full", Step::Write, ENOSPC, "cannot write"},
        FaultCase {"write_quota", Step::Write, EDQUOT, "cannot write"},
        FaultCase {"sync", Step::Sync, EIO, "cannot sync"}, FaultCase {"close", Step::Close, EIO, "cannot close"},
        FaultCase {"rename", Step::Rename, EXDEV, "cannot rename"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AtomicFile, FolderSyncFailureIsReportedAfterTheFileIsInPlace)
{
    olaptest::TempDir dir;
    const std::string path = dir.Path("kept.txt");
    const InjectedFileFault fault(Step::SyncFolder, EIO);
    EXPECT_THROW(olap::WriteFileAtomically(path, "new"), olap::OlapError);
    EXPECT_EQ(olaptest::ReadText(path), "new");
    EXPECT_TRUE(Others(dir.Path(""), {"kept.txt"}).empty());
}

TEST(AtomicFile, KeepsPermissionsAndFollowsLinks)
{
    olaptest::TempDir dir;
    const std::string target = dir.Path("target.txt");
    WriteBytes(target, "old");
    ::chmod(target.c_str(), 0640);
    std::filesystem::create_symlink(target, dir.Path("link.txt"));
    olap::WriteFileAtomically(dir.Path("link.txt"), "new");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path("link.txt")));
    EXPECT_EQ(olaptest::ReadText(target), "new");
    struct stat info { };
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(AtomicFile, RefusesToReplaceWhatIsNotARegularFile)
{
    olaptest::TempDir dir;
    ASSERT_EQ(::mkfifo(dir.Path("pipe").c_str(), 0600), 0);
    std::filesystem::create_directory(dir.Path("folder"));
    struct Case {
        std::string path;
        const char* says;
    };
    for (const Case& c : {Case {dir.Path("pipe"), "named pipe"}, Case {dir.Path("folder"), "folder"}}) {
        AtomicFile file(c.path);
        EXPECT_FALSE(file.Open()) << c.path;
        EXPECT_NE(file.Error().find(c.says), std::string::npos) << file.Error();
    }
    EXPECT_EQ(olap::RegularFile::KindOf(dir.Path("pipe")), olap::RegularFile::Kind::Fifo);
    EXPECT_EQ(olap::RegularFile::KindOf("/dev/null"), olap::RegularFile::Kind::Device);
    EXPECT_EQ(olap::RegularFile::KindOf(dir.Path("missing")), olap::RegularFile::Kind::Missing);
    EXPECT_TRUE(olap::RegularFile::Problem(dir.Path("missing"), true).empty());
    EXPECT_NE(olap::RegularFile::Problem(dir.Path("missing")).find("does not exist"), std::string::npos);
}

TEST(AtomicFile, RemovesTemporaryFilesOfProcessesThatNoLongerRun)
{
    olaptest::TempDir dir;
    const std::string path = dir.Path("Sales.cub");
    WriteBytes(path, "old");
    const std::string dead = std::to_string(DeadPid());
    const std::vector<std::string> stale {"Sales.cub.tmp-" + dead, "Sales.cub.tmp-" + dead + "-journal"};
    // Kept: a running process (init), another file's temporary file, names
    // that only look alike.
    const std::vector<std::string> kept {
        "Sales.cub", "Sales.cub.tmp-1", "Other.cub.tmp-" + dead, "Sales.cub.tmp-" + dead + ".bak", "Sales.cub.tmp-x"};
    for (const std::string& name : stale)
        WriteBytes(dir.Path(name), std::string(1000, 's'));
    for (const std::string& name : kept)
        if (name != "Sales.cub")
            WriteBytes(dir.Path(name), "k");
    olap::WriteFileAtomically(path, "new");
    EXPECT_EQ(olaptest::ReadText(path), "new");
    for (const std::string& name : stale)
        EXPECT_FALSE(std::filesystem::exists(dir.Path(name))) << name;
    for (const std::string& name : kept)
        EXPECT_TRUE(std::filesystem::exists(dir.Path(name))) << name;
}

TEST(AtomicFile, FullDiskKeepsTheOldFile)
{
    SmallTmpfs disk(64 * 1024);
    if (!disk.Mounted())
        GTEST_SKIP() << disk.Why();
    const std::string path = disk.Path("cat.xml");
    const std::string old(3000, 'o');
    WriteBytes(path, old);
    // Nothing left at all, then a little less than the new text needs.
    for (const std::size_t leave : {std::size_t {0}, std::size_t {4096}}) {
        disk.Fill(leave);
        try {
            olap::WriteFileAtomically(path, std::string(8374, 'n'));
            ADD_FAILURE() << "a write on a full disk was reported as done";
        } catch (const olap::OlapError& e) {
            EXPECT_NE(std::string(e.what()).find(std::strerror(ENOSPC)), std::string::npos) << e.what();
        }
        EXPECT_EQ(olaptest::ReadText(path), old);
        EXPECT_FALSE(std::filesystem::exists(path + ".tmp-" + std::to_string(::getpid())));
        std::filesystem::remove(disk.Path("filler"));
    }
}

TEST(CubeFileWrite, FailedStepsAndAFullDiskKeepTheOldCube)
{
    olaptest::TempDir dir;
    auto built = olaptest::BuildTinyCube(dir);
    const std::string path = dir.Path("keep.cub");
    olap::CubeFile::Write(*built, path);
    const std::string old = olaptest::ReadText(path);
    for (const Step step : {Step::Sync, Step::Rename}) {
        const InjectedFileFault fault(step, EIO);
        EXPECT_THROW(olap::CubeFile::Write(*built, path), olap::OlapError);
        EXPECT_EQ(olaptest::ReadText(path), old);
        EXPECT_FALSE(std::filesystem::exists(path + ".tmp-" + std::to_string(::getpid())));
    }

    SmallTmpfs disk(1024 * 1024);
    if (!disk.Mounted())
        GTEST_SKIP() << disk.Why();
    const std::string full = disk.Path("Sales.cub");
    olap::CubeFile::Write(*built, full);
    const std::string before = olaptest::ReadText(full);
    disk.Fill(0);
    EXPECT_THROW(olap::CubeFile::Write(*built, full), olap::OlapError);
    EXPECT_EQ(olaptest::ReadText(full), before);
    EXPECT_TRUE(Others(disk.Path(""), {"Sales.cub", "filler"}).empty());
}

TEST(SalesSampleWrite, FailedStepKeepsTheOldSource)
{
    olaptest::TempDir dir;
    const std::string source = dir.Path("sales.sqlite");
    WriteBytes(source, "old source");
    {
        const InjectedFileFault fault(Step::Sync, ENOSPC);
        EXPECT_THROW(olap::SalesSample::WriteSource(dir.Path(""), 50, 1), olap::OlapError);
    }
    EXPECT_EQ(olaptest::ReadText(source), "old source");
    EXPECT_TRUE(Others(dir.Path(""), {"sales.sqlite"}).empty());
}

TEST(MessageText, ShortensLongNamesInTheMiddle)
{
    EXPECT_EQ(olap::MessageText::Shorten("short"), "short");
    const std::string longName = std::string(300, 'a') + "END";
    const std::string shown = olap::MessageText::Shorten(longName, 20);
    EXPECT_EQ(shown, "aaaaaaaa ... aaaaEND");
    // A character of several bytes is never cut in two.
    std::string umlauts;
    for (int i = 0; i < 50; ++i)
        umlauts += "\xC3\xA4";
    const std::string cut = olap::MessageText::Shorten(umlauts, 11);
    EXPECT_EQ(cut, "\xC3\xA4\xC3\xA4\xC3\xA4 ... \xC3\xA4\xC3\xA4\xC3\xA4");
}

} // namespace
