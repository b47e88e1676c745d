#include "support/TempRegistry.h"

#include "platform/COXRegistryItem.h"
#include "platform/registry/ExpandEnvironment.h"
#include "platform/registry/RegistryKey.h"
#include "platform/registry/RegistryStore.h"

#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <thread>
#include <vector>

using namespace platform;

namespace {

const QString kKey = QStringLiteral("\\LocalMachine\\Software\\Corvane\\Talvanor\\Lumetra\\Lumetra\\");

void Put(const QString& name, const RegistryValue& value)
{
    RegistryKey key;
    ASSERT_EQ(key.Create(RegistryHive::LocalMachine, QStringLiteral("Software\\Corvane\\Talvanor\\Lumetra\\Lumetra"),
                  kKeyAllAccess),
        kErrorSuccess);
    ASSERT_EQ(key.SetValue(name, value), kErrorSuccess);
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(RegistryRead, TypedValues)
{
    TempRegistry root;
    qputenv("LUMETRA_TEST_HOME", "/srv/home");
    Put(QStringLiteral("Plain"), RegistryValue::String(QStringLiteral("/data/%LUMETRA_TEST_HOME%/")));
    Put(QStringLiteral("Expand"), RegistryValue::String(QStringLiteral("%LUMETRA_TEST_HOME%/reports/"), kRegExpandSz));
    Put(QStringLiteral("Number"), RegistryValue::Dword(42));
    Put(QString(), RegistryValue::String(QStringLiteral("unnamed")));

    struct Case {
        const char* value;
        const char* expected;
        std::uint32_t error;
    };
    const Case cases[] = {
        {"Plain", "/data/%LUMETRA_TEST_HOME%/", 0},
        {"Expand", "/srv/home/reports/", 0},
        {"Number", "", COXRegistryItem::kErrorUnexpectedType},
        {"NoName", "unnamed", 0},
        {"noname", "unnamed", 0},
        {"Missing", "%LUMETRA_TEST_HOME%", 0x80070002},
    };
    for (const Case& c : cases) {
        COXRegistryItem item(kKey + QLatin1String(c.value));
        // A missing value gives the default, expanded.
        const QString result = item.GetStringValue(QStringLiteral("%LUMETRA_TEST_HOME%"));
        const QString expected = QString::fromUtf8(c.expected) == QLatin1String("%LUMETRA_TEST_HOME%")
            ? QStringLiteral("/srv/home")
            : QString::fromUtf8(c.expected);
        EXPECT_EQ(result.toStdString(), expected.toStdString()) << c.value;
        EXPECT_EQ(item.GetLastError(), c.error) << c.value;
    }
    COXRegistryItem number(kKey + QStringLiteral("Number"));
    EXPECT_EQ(number.GetNumberValue(7), 42u);
}

TEST(RegistryRead, MissingKeyReadsEmptyWithoutCreating)
{
    TempRegistry root;
    COXRegistryItem item(kKey + QStringLiteral("DataPath"));
    EXPECT_EQ(item.GetStringValue(QStringLiteral("default")), QString());
    EXPECT_EQ(item.GetLastError(), 0x80070002u);
    EXPECT_FALSE(QFile::exists(root.HiveFile("LocalMachine")));
}

TEST(RegistryOpen, CreateFlagCreatesTheKeyEmpty)
{
    TempRegistry root;
    COXRegistryItem item(kKey + QStringLiteral("DataPath"));
    ASSERT_TRUE(item.Open(true, kKeyAllAccess));
    EXPECT_EQ(item.GetStringValue(), QString());
    RegistryKey key;
    EXPECT_EQ(
        key.Open(RegistryHive::LocalMachine, QStringLiteral("software\\corvane\\talvanor\\lumetra\\lumetra"), kKeyRead),
        kErrorSuccess);
    QStringList names;
    ASSERT_EQ(key.ValueNames(&names), kErrorSuccess);
    EXPECT_TRUE(names.isEmpty());
}

TEST(RegistryOpen, RemoteMachineFailsCleanly)
{
    TempRegistry root;
    COXRegistryItem item(QStringLiteral("\\\\server\\LocalMachine\\Software\\V"));
    EXPECT_FALSE(item.Open(true, kKeyAllAccess));
    EXPECT_EQ(item.GetLastError(), 0x80070035u);
    EXPECT_EQ(item.GetStringValue(QStringLiteral("x")), QString());
    EXPECT_FALSE(item.SetStringValue(QStringLiteral("y")));
    EXPECT_FALSE(item.IsOpen());
}

TEST(RegistryOpen, ReadOnlyHiveFallsBackToQueryAccess)
{
    TempRegistry root;
    Put(QStringLiteral("DataPath"), RegistryValue::String(QStringLiteral("/data/")));
    const QString hive = root.HiveFile("LocalMachine");
    // No write bit at all: read-only for every user, root included.
    ASSERT_EQ(::chmod(QFile::encodeName(hive).constData(), 0444), 0);

    COXRegistryItem full(kKey + QStringLiteral("DataPath"));
    EXPECT_FALSE(full.Open(false, kKeyAllAccess));
    EXPECT_EQ(full.GetLastError(), 0x80070005u);

    COXRegistryItem item(kKey + QStringLiteral("DataPath"));
    item.Open(true, kKeyAllAccess); // as start-up does: fails, nothing stays open
    EXPECT_FALSE(item.IsOpen());
    EXPECT_EQ(item.GetStringValue(), QStringLiteral("/data/"));
    EXPECT_EQ(item.GetLastError(), 0u);

    const QByteArray before = ReadFile(hive);
    COXRegistryItem writer(kKey + QStringLiteral("DataPath"));
    EXPECT_FALSE(writer.SetStringValue(QStringLiteral("/other/")));
    EXPECT_EQ(writer.GetLastError(), 0x80070005u);
    EXPECT_EQ(ReadFile(hive), before);
}

TEST(RegistryOpen, ReadOnlyFolderRefusesToCreateTheHive)
{
    TempRegistry root;
    ASSERT_EQ(::chmod(QFile::encodeName(root.Path()).constData(), 0555), 0);
    COXRegistryItem item(kKey + QStringLiteral("DataPath"));
    EXPECT_FALSE(item.Open(true, kKeyAllAccess));
    EXPECT_EQ(item.GetStringValue(), QString());
    EXPECT_FALSE(QFile::exists(root.HiveFile("LocalMachine")));
    ::chmod(QFile::encodeName(root.Path()).constData(), 0755);
}

TEST(RegistryWrite, ByteLengthCountsTheTerminator)
{
    TempRegistry root;
    COXRegistryItem item(kKey + QStringLiteral("DataPath"));
    const QString text = QStringLiteral("/data/");
    ASSERT_TRUE(item.SetStringValue(text, kRegSz, static_cast<int>((text.size() + 1) * 2)));
    ASSERT_TRUE(COXRegistryItem(kKey + QStringLiteral("Short")).SetStringValue(text, kRegSz, 6));
    EXPECT_EQ(COXRegistryItem(kKey + QStringLiteral("DataPath")).GetStringValue(), text);
    EXPECT_EQ(COXRegistryItem(kKey + QStringLiteral("Short")).GetStringValue(), QStringLiteral("/da"));
}

TEST(RegistryWrite, DamagedHiveIsNeitherReadNorOverwritten)
{
    TempRegistry root;
    const QString hive = root.HiveFile("LocalMachine");
    QFile file(hive);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\"format\": \"lumetra-registry-hive\", \"keys\": {");
    file.close();
    const QByteArray before = ReadFile(hive);

    COXRegistryItem item(kKey + QStringLiteral("DataPath"));
    EXPECT_FALSE(item.SetStringValue(QStringLiteral("/x/")));
    EXPECT_EQ(item.GetLastError(), 0x800703F1u); // bad database
    EXPECT_EQ(item.GetStringValue(), QString());
    EXPECT_EQ(ReadFile(hive), before);
}

TEST(RegistryWrite, ConcurrentWritersKeepEveryValue)
{
    TempRegistry root;
    constexpr int kWriters = 4;
    constexpr int kValuesEach = 10;
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([w] {
            for (int v = 0; v < kValuesEach; ++v) {
                COXRegistryItem item(kKey + QStringLiteral("W%1V%2").arg(w).arg(v));
                item.SetStringValue(QString::number(w * 100 + v));
            }
        });
    }
    for (std::thread& writer : writers)
        writer.join();
    RegistryHiveData data;
    ASSERT_EQ(RegistryStore::Load(RegistryHive::LocalMachine, &data), kErrorSuccess);
    EXPECT_EQ(data.ValueNames(QStringLiteral("Software\\Corvane\\Talvanor\\Lumetra\\Lumetra")).size(),
        kWriters * kValuesEach);
}

TEST(RegistryHiveFile, RoundTripKeepsTypesAndCase)
{
    RegistryHiveData data;
    data.SetValue(QStringLiteral("Software\\Corvane"), QStringLiteral("Name"), RegistryValue::String("é ü"));
    data.SetValue(QStringLiteral("software\\corvane"), QStringLiteral("Count"), RegistryValue::Dword(4000000000u));
    data.SetValue(QStringLiteral("Software\\Corvane\\Sub"), QString(),
        RegistryValue::String(QStringLiteral("%X%"), kRegExpandSz));
    QString error;
    const std::optional<RegistryHiveData> back = RegistryHiveData::Parse(data.Serialize(), &error);
    ASSERT_TRUE(back) << error.toStdString();
    EXPECT_EQ(back->SubKeyNames(QStringLiteral("SOFTWARE")), QStringList {QStringLiteral("Corvane")});
    EXPECT_EQ(
        *back->Value(QStringLiteral("Software\\Corvane"), QStringLiteral("count")), RegistryValue::Dword(4000000000u));
    EXPECT_EQ(back->Value(QStringLiteral("Software\\Corvane\\Sub"), QString())->type, kRegExpandSz);
    EXPECT_EQ(back->Serialize(), data.Serialize());
}

TEST(RegistryHiveFile, DamagedTextIsRejectedWithAReason)
{
    const char* damaged[] = {
        "{",
        "[]",
        "{\"format\": \"other\"}",
        "{\"format\": \"lumetra-registry-hive\", \"version\": 1, \"keys\": {\"K\": {\"V\": {\"type\": \"REG_DWORD\", "
        "\"data\": \"x\"}}}}",
        "{\"format\": \"lumetra-registry-hive\", \"version\": 1, \"keys\": {\"K\": {\"V\": {\"type\": \"REG_SZ\", "
        "\"data\": 5}}}}",
        "{\"format\": \"lumetra-registry-hive\", \"version\": 9, \"keys\": {}}",
    };
    for (const char* text : damaged) {
        QString error;
        EXPECT_FALSE(RegistryHiveData::Parse(QByteArray(text), &error)) << text;
        EXPECT_FALSE(error.isEmpty()) << text;
    }
}

TEST(ExpandEnvironment, Table)
{
    qputenv("LUMETRA_A", "alpha");
    qunsetenv("LUMETRA_UNSET");
    const std::pair<const char*, const char*> cases[] = {
        {"%LUMETRA_A%", "alpha"},
        {"x%LUMETRA_A%y%LUMETRA_A%", "xalphayalpha"},
        {"%LUMETRA_UNSET%", "%LUMETRA_UNSET%"},
        {"%LUMETRA_UNSET%LUMETRA_A%", "%LUMETRA_UNSETalpha"},
        {"100%", "100%"},
        {"%%", "%%"},
        {"", ""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(ExpandEnvironmentStrings(QString::fromUtf8(in)).toStdString(), out) << in;
}

} // namespace
