// The control's report file pair without widgets: names, markers, the data-source move, the
// Windows-1252 text form and the scripting-safety table.
#include "control/vantorel/ReportFiles.h"
#include "control/vantorel/ObjectSafety.h"
#include "control/vantorel/WindowsAnsi.h"

#include "olap/util/AtomicFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>

using vantorel::ObjectSafety;
using vantorel::ReportFiles;
using vantorel::WindowsAnsi;

namespace {

TEST(ReportFilesTest, ChartFileNameInsertsChartBeforeTheLastFourCharacters)
{
    const struct {
        const char* pivot;
        const char* chart;
    } cases[] = {
        {"C:\\R\\Sales.xml", "C:\\R\\SalesChart.xml"},
        {"/r/Sales.XML", "/r/SalesChart.XML"},
        {"abcd", "Chartabcd"},
        {"abc", ""},
        {"C:\\Reports\\ab", ""},
        {"/tmp/x-1234/ab", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReportFiles::ChartFileName(QString::fromUtf8(c.pivot)), QString::fromUtf8(c.chart)) << c.pivot;
}

TEST(ReportFilesTest, ReportNamesThatLeaveTheFolderAreRefused)
{
    const struct {
        QString name;
        bool safe;
    } cases[] = {
        {QStringLiteral("Sales 2024"), true},
        {QStringLiteral("Försäljning"), true},
        {QStringLiteral("a.b"), true},
        {QStringLiteral("../escape"), false},
        {QStringLiteral(".."), false},
        {QStringLiteral("sub/name"), false},
        {QStringLiteral("sub\\name"), false},
        {QStringLiteral("/etc/passwd"), false},
        {QStringLiteral("nul") + QChar(0) + QStringLiteral("x"), false},
        {QString(), false},
    };
    for (const auto& c : cases) {
        QString why;
        EXPECT_EQ(ReportFiles::IsSafeReportName(c.name, &why), c.safe) << c.name.toStdString();
        EXPECT_EQ(why.isEmpty(), c.safe) << c.name.toStdString();
    }
}

TEST(ReportFilesTest, RelationalProvidersAreFoundInAnyCase)
{
    const struct {
        const char* connection;
        bool relational;
    } cases[] = {
        {"Provider=SQLNCLI10;Server=x", true},
        {"Provider=SqlOleDb;Data Source=x", true},
        {"Provider=Microsoft.ACE.OLEDB.12.0;Data Source=a.xlsx", true},
        {"Provider=PostgreSQL OLE DB Provider;", true},
        {"Provider=MSOLAP.2;Data Source=C:\\c\\Sales.cub", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReportFiles::IsRelationalConnection(QString::fromUtf8(c.connection)), c.relational) << c.connection;
}

TEST(ReportFilesTest, DataSourceMovesOnlyWhenTheTargetExists)
{
    const QString text = QStringLiteral("<x:ConnectionString>Provider=MSOLAP.2;Data Source=C:\\Old\\Sales.cub;Initial "
                                        "Catalog=Sales</x:ConnectionString><x:Note>c:\\old\\sales.cub</x:Note>");
    const QString moved
        = QStringLiteral("<x:ConnectionString>Provider=MSOLAP.2;Data Source=D:\\Cubes\\Sales.cub;Initial "
                         "Catalog=Sales</x:ConnectionString><x:Note>D:\\Cubes\\Sales.cub</x:Note>");
    const struct {
        const char* folder;
        bool targetExists;
        bool expectMoved;
    } cases[] = {
        {"D:\\Cubes", true, true},
        {"D:\\Cubes\\", true, true},
        {"D:\\Cubes", false, false},
    };
    for (const auto& c : cases) {
        QString asked;
        const QString result = ReportFiles::MoveDataSource(text, QString::fromUtf8(c.folder), [&](const QString& path) {
            asked = path;
            return c.targetExists;
        });
        EXPECT_EQ(asked, QStringLiteral("D:\\Cubes\\Sales.cub")) << c.folder;
        EXPECT_EQ(result, c.expectMoved ? moved : text) << c.folder;
    }
    // No data source, or no catalog after it: unchanged, and nothing is asked.
    for (const QString& plain : {QStringLiteral("<xml/>"), QStringLiteral("Data Source=C:\\a.cub")}) {
        bool asked = false;
        EXPECT_EQ(
            ReportFiles::MoveDataSource(plain, QStringLiteral("D:\\"), [&](const QString&) { return asked = true; }),
            plain);
        EXPECT_FALSE(asked);
    }
}

TEST(ReportFilesTest, DefinitionPartDropsTheSqlLines)
{
    const QString definition = QStringLiteral("<xml>\n <x:PivotTable/>\n</xml>");
    EXPECT_EQ(
        ReportFiles::DefinitionPart(ReportFiles::WithSqlLines(definition, "SELECT 1", "Provider=SQLNCLI")), definition);
    EXPECT_EQ(ReportFiles::WithSqlLines(definition, "SELECT 1", "DSN=x"), definition + "\r\nSELECT 1\r\nDSN=x");
    EXPECT_EQ(ReportFiles::DefinitionPart(QStringLiteral("not xml")), QStringLiteral("not xml"));
}

TEST(ReportFilesTest, SqlLinesComeBackFromThePivotText)
{
    const QString definition = QStringLiteral("<xml>\n <x:PivotTable/>\n</xml>");
    const struct {
        QString text;
        bool found;
        QString sql;
        QString connection;
    } cases[] = {
        {ReportFiles::WithSqlLines(definition, "SELECT a FROM t", "Provider=SQLite; Data Source=s.db"), true,
            "SELECT a FROM t", "Provider=SQLite; Data Source=s.db"},
        // As opened: the control appends a line end to the file's text.
        {ReportFiles::WithSqlLines(definition, "SELECT 1", "DSN=x") + "\r\n", true, "SELECT 1", "DSN=x"},
        // A statement over several lines: only the last line is the connection.
        {definition + "\r\nSELECT a\r\nFROM t\r\nDSN=x", true, "SELECT a\r\nFROM t", "DSN=x"},
        {definition, false, {}, {}},
        {definition + "\r\n", false, {}, {}},
        {definition + "\r\nDSN=x", false, {}, {}},
        {QStringLiteral("no definition\r\nSELECT 1\r\nDSN=x"), false, {}, {}},
    };
    for (const auto& c : cases) {
        QString sql = QStringLiteral("kept");
        QString connection = QStringLiteral("kept");
        EXPECT_EQ(ReportFiles::SplitSqlLines(c.text, &sql, &connection), c.found) << c.text.toStdString();
        EXPECT_EQ(sql, c.found ? c.sql : QStringLiteral("kept")) << c.text.toStdString();
        EXPECT_EQ(connection, c.found ? c.connection : QStringLiteral("kept")) << c.text.toStdString();
    }
}

TEST(WindowsAnsiTest, TextReadsBackThroughCharacterReferences)
{
    const struct {
        QString text;
        std::string bytes;
    } cases[] = {
        {QStringLiteral("plain"), "plain"},
        {QStringLiteral("Öppna rapport"), "\xD6ppna rapport"},
        {QStringLiteral("€ and ™"), "\x80 and \x99"},
        {QStringLiteral("Ω"), "&#937;"},
        {QString::fromUcs4(U"\U0001F600"), "&#128512;"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WindowsAnsi::Encode(c.text), c.bytes) << c.text.toStdString();
        if (c.bytes.find("&#") == std::string::npos) {
            EXPECT_EQ(WindowsAnsi::Decode(c.bytes), c.text) << c.text.toStdString();
        }
    }
    // Every byte reads as one character and writes back as the same byte.
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(WindowsAnsi::Encode(WindowsAnsi::Decode(all)), all);
}

TEST(ReportFilesTest, WriteReplacesOnlyByAWholeFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Sales.xml"));
    ASSERT_TRUE(ReportFiles::WriteText(path, QStringLiteral("old Ω"), nullptr));
    EXPECT_EQ(ReportFiles::ReadText(path), QStringLiteral("old &#937;"));

    olap::AtomicFile::SetFaultInjector(
        [](olap::AtomicFile::Step step, const std::string&) { return step == olap::AtomicFile::Step::Sync ? EIO : 0; });
    QString error;
    EXPECT_FALSE(ReportFiles::WriteText(path, QStringLiteral("new"), &error));
    olap::AtomicFile::SetFaultInjector({});
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(ReportFiles::ReadText(path), QStringLiteral("old &#937;"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList {QStringLiteral("Sales.xml")});

    EXPECT_TRUE(ReportFiles::ReadText(dir.filePath(QStringLiteral("missing.xml"))).isEmpty());
    EXPECT_FALSE(ReportFiles::WriteText(QString(), QStringLiteral("x"), &error));
}

TEST(ObjectSafetyTest, AnswersByInterface)
{
    const char* dispatch = "{00020400-0000-0000-C000-000000000046}";
    const char* persistence[] = {"{0000010A-0000-0000-C000-000000000046}", "{00000109-0000-0000-C000-000000000046}",
        "{37d84f60-42cb-11ce-8135-00aa004bb851}"};
    std::uint32_t supported = 9;
    std::uint32_t enabled = 9;
    EXPECT_EQ(ObjectSafety::GetInterfaceSafetyOptions(dispatch, &supported, &enabled), platform::kSOk);
    EXPECT_EQ(supported, 1u);
    EXPECT_EQ(enabled, 1u);
    for (const char* id : persistence) {
        EXPECT_EQ(ObjectSafety::GetInterfaceSafetyOptions(id, &supported, &enabled), platform::kSOk) << id;
        EXPECT_EQ(supported, 2u);
        EXPECT_EQ(enabled, 2u);
    }
    EXPECT_EQ(ObjectSafety::GetInterfaceSafetyOptions("{00000000-0000-0000-C000-000000000046}", &supported, &enabled),
        platform::kENoInterface);

    const struct {
        const char* id;
        std::uint32_t mask;
        std::uint32_t enabled;
        platform::HResult result;
    } sets[] = {
        {dispatch, 1, 1, platform::kSOk},
        {dispatch, 3, 1, platform::kSOk},
        {dispatch, 2, 2, platform::kEFail},
        {dispatch, 3, 3, platform::kEFail},
        {persistence[0], 2, 2, platform::kSOk},
        {persistence[2], 1, 1, platform::kEFail},
        {"{11111111-0000-0000-C000-000000000046}", 1, 1, platform::kENoInterface},
    };
    for (const auto& s : sets)
        EXPECT_EQ(ObjectSafety::SetInterfaceSafetyOptions(s.id, s.mask, s.enabled), s.result) << s.id;

    ObjectSafety::SetSafeForScripting(false);
    EXPECT_EQ(ObjectSafety::GetInterfaceSafetyOptions(dispatch, &supported, &enabled), platform::kSOk);
    EXPECT_EQ(enabled, 0u);
    EXPECT_EQ(ObjectSafety::SetInterfaceSafetyOptions(dispatch, 1, 1), platform::kEFail);
    ObjectSafety::SetSafeForScripting(true);
}

} // namespace
