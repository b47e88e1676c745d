// Hive files: a failed write leaves the hive byte-identical and says why; a
// damaged or non-regular hive is refused with the file and the reason.

#include "support/FileFaults.h"
#include "support/TempRegistry.h"

#include "platform/COXRegistryItem.h"
#include "platform/registry/RegistryStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <sys/stat.h>

using namespace platform;

namespace {

const QString kDataPath = QStringLiteral("\\LocalMachine\\Software\\Corvane\\Talvanor\\Lumetra\\Lumetra\\DataPath");

QByteArray ReadHive(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

TEST(RegistryWrite, FailedStepKeepsTheHiveAndNamesTheReason)
{
    TempRegistry root;
    COXRegistryItem item(kDataPath);
    ASSERT_TRUE(item.SetStringValue(QStringLiteral("/srv/old/"), kRegSz));
    const QByteArray before = ReadHive(root.HiveFile("LocalMachine"));
    for (const auto step :
        {olap::AtomicFile::Step::Write, olap::AtomicFile::Step::Sync, olap::AtomicFile::Step::Rename}) {
        const InjectedFileFault fault(step, ENOSPC);
        EXPECT_FALSE(item.SetStringValue(QStringLiteral("/srv/new/"), kRegSz));
        EXPECT_EQ(item.GetLastError(), 0x80070000u | kErrorCantWrite);
        const QString detail = RegistryStore::LastErrorDetail();
        EXPECT_TRUE(detail.contains(QString::fromLocal8Bit(std::strerror(ENOSPC)))) << detail.toStdString();
        EXPECT_TRUE(detail.contains(u"LocalMachine.json")) << detail.toStdString();
        EXPECT_EQ(ReadHive(root.HiveFile("LocalMachine")), before);
    }
    EXPECT_EQ(item.GetStringValue(), QStringLiteral("/srv/old/"));
    EXPECT_EQ(QDir(root.Path()).entryList({QStringLiteral("*.tmp-*")}, QDir::Files), QStringList());
}

TEST(RegistryWrite, FullDiskKeepsTheHive)
{
    SmallTmpfs disk(64 * 1024);
    if (!disk.Mounted())
        GTEST_SKIP() << disk.Why();
    const QByteArray previous = qgetenv("LUMETRA_REGISTRY_ROOT");
    qputenv("LUMETRA_REGISTRY_ROOT", QByteArray::fromStdString(disk.Path("")));
    COXRegistryItem item(kDataPath);
    ASSERT_TRUE(item.SetStringValue(QStringLiteral("/srv/old/"), kRegSz));
    const QString hive = QString::fromStdString(disk.Path("LocalMachine.json"));
    const QByteArray before = ReadHive(hive);
    // No room for the lock file, then room for the lock file but not the hive.
    struct Case {
        std::size_t leave;
        const char* says;
    };
    for (const Case& c : {Case {0, "lock file"}, Case {4096, std::strerror(ENOSPC)}}) {
        disk.Fill(c.leave);
        EXPECT_FALSE(item.SetStringValue(QString(9000, u'x'), kRegSz));
        EXPECT_TRUE(RegistryStore::LastErrorDetail().contains(QString::fromLocal8Bit(c.says)))
            << RegistryStore::LastErrorDetail().toStdString();
        EXPECT_EQ(ReadHive(hive), before);
        EXPECT_EQ(item.GetStringValue(), QStringLiteral("/srv/old/"));
        QFile::remove(QString::fromStdString(disk.Path("filler")));
    }
    qputenv("LUMETRA_REGISTRY_ROOT", previous);
}

TEST(RegistryRead, DamagedOrNonRegularHiveNamesTheFileAndTheReason)
{
    struct Case {
        const char* name;
        void (*make)(const QString& path);
        const char* says;
    };
    const Case cases[] = {
        {"damaged",
            [](const QString& path) {
                QFile file(path);
                ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                file.write("{\"format\": \"lumetra-registry\", \"keys\": ");
            },
            "damaged"},
        {"fifo", [](const QString& path) { ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0); },
            "named pipe"},
        {"folder", [](const QString& path) { ASSERT_TRUE(QDir().mkpath(path)); }, "folder"},
    };
    for (const Case& c : cases) {
        TempRegistry root;
        c.make(root.HiveFile("LocalMachine"));
        const auto start = std::chrono::steady_clock::now();
        COXRegistryItem item(kDataPath);
        item.GetStringValue();
        EXPECT_EQ(item.GetLastError(), 0x80070000u | kErrorBadDb) << c.name;
        const QString detail = RegistryStore::LastErrorDetail();
        EXPECT_TRUE(detail.contains(u"LocalMachine.json")) << c.name << ": " << detail.toStdString();
        EXPECT_TRUE(detail.contains(QLatin1String(c.says))) << c.name << ": " << detail.toStdString();
        // A write must not replace what it could not read.
        EXPECT_FALSE(item.SetStringValue(QStringLiteral("/x/"), kRegSz)) << c.name;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << c.name << " blocked";
    }
}

} // namespace
