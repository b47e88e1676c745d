#include "platform/COXDirSpec.h"
#include "platform/DirectoryChain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ParseCase {
    const char* path;
    bool parses;
    const char* drive;
    const char* subdirectory;
};

TEST(DirSpec, ParseTable)
{
    const ParseCase cases[] = {
        {"/srv/reports", true, "", "/srv/reports"},
        {"/srv/Reports", true, "", "/srv/Reports"}, // case kept: names are case-sensitive here
        {"/srv/reports/", false, "", ""},
        {"/", true, "", "/"},
        {"reports", true, "", "reports"},
        {"", true, "", ""},
        {"c:", true, "C:", ""},
        {"C:/Reports", true, "C:", "/Reports"},
        {"1:/x", false, "", ""},
        {"/a<b", false, "", ""},
        {"/a>b", false, "", ""},
        {"/a\"b", false, "", ""},
        {"/a|b", false, "", ""},
        {"/a:b", false, "", ""},
        {"/a?b", false, "", ""},
        {"/a*b", false, "", ""},
        {"/a\tb", false, "", ""},
        {"/a\x1f"
         "b",
            false, "", ""},
    };
    for (const ParseCase& c : cases) {
        COXDirSpec spec;
        EXPECT_EQ(spec.SetDirectory(QString::fromUtf8(c.path)), c.parses) << c.path;
        EXPECT_EQ(spec.GetDrive().toStdString(), c.drive) << c.path;
        EXPECT_EQ(spec.GetSubdirectory().toStdString(), c.subdirectory) << c.path;
    }
}

class WorkingDirectory : public testing::Test {
protected:
    void SetUp() override { m_saved = QDir::currentPath(); }
    void TearDown() override { QDir::setCurrent(m_saved); }
    QTemporaryDir m_dir;
    QString m_saved;
};

TEST_F(WorkingDirectory, AppliedOnlyWhenUsable)
{
    const QString target = m_dir.filePath(QStringLiteral("Reports"));
    ASSERT_TRUE(QDir().mkpath(target));
    const QString canonicalTarget = QFileInfo(target).canonicalFilePath();
    struct Case {
        QString dirPath;
        bool changes;
    };
    const Case cases[] = {
        {target, true},
        {target + QLatin1Char('/'), false}, // trailing separator: nothing changes
        {QStringLiteral("C:") + target, false}, // drives cannot be applied here
        {m_dir.filePath(QStringLiteral("Missing")), false},
        {QString(), false},
    };
    for (const Case& c : cases) {
        QDir::setCurrent(m_saved);
        COXDirSpec spec(c.dirPath);
        spec.ApplyAsCurrentDirectory();
        EXPECT_EQ(QDir::currentPath() == canonicalTarget, c.changes) << c.dirPath.toStdString();
        if (!c.changes) {
            EXPECT_EQ(QDir::currentPath(), m_saved) << c.dirPath.toStdString();
        }
    }
}

TEST_F(WorkingDirectory, MakeDirectoryCreatesEveryLevel)
{
    const QString path = m_dir.filePath(QStringLiteral("a/b/c"));
    EXPECT_TRUE(COXDirSpec(path).MakeDirectory());
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_FALSE(COXDirSpec(path).MakeDirectory()); // already there: not newly created
    EXPECT_TRUE(COXDirSpec(path + QLatin1Char('/')).MakeDirectory()); // does not parse: nothing to do
    EXPECT_TRUE(COXDirSpec(QStringLiteral("/")).MakeDirectory());
    EXPECT_FALSE(COXDirSpec(QStringLiteral("C:") + m_dir.filePath(QStringLiteral("d"))).MakeDirectory());
    EXPECT_FALSE(QFileInfo::exists(m_dir.filePath(QStringLiteral("d"))));
}

TEST(DirectoryChain, CreatesMissingParentsWithinTheAttemptLimit)
{
    QTemporaryDir dir;
    struct Case {
        const char* name;
        QString path;
        bool result;
    };
    const QString base = dir.path();
    const Case cases[] = {
        {"existing", base, true},
        {"one level", base + QStringLiteral("/one"), true},
        {"two missing levels with separator", base + QStringLiteral("/New/Sub/"), true},
        {"four missing levels", base + QStringLiteral("/p/q/r/s"), true},
        {"six missing levels exceed the attempts", base + QStringLiteral("/t/u/v/w/x/y"), false},
        {"path too long", base + QLatin1Char('/') + QString(260, QLatin1Char('z')), false},
        {"empty", QString(), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::MakeDirectoryChain(c.path), c.result) << c.name;
        if (c.result) {
            EXPECT_TRUE(QFileInfo(c.path).isDir()) << c.name;
        }
        EXPECT_LE(platform::LastDirectoryChainAttempts(), 10) << c.name;
    }
    EXPECT_EQ(platform::MakeDirectoryChain(base + QStringLiteral("/New/Sub/")), true);
    EXPECT_EQ(platform::LastDirectoryChainAttempts(), 1);
}

TEST(DirectoryChain, FileInTheWayFails)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("taken")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_FALSE(platform::MakeDirectoryChain(file.fileName()));
    EXPECT_FALSE(platform::MakeDirectoryChain(file.fileName() + QStringLiteral("/below")));
}

} // namespace
