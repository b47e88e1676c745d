// The catalogue document alone (no widgets, no application object): reads
// that stop before the end of the file are reported, and the first write
// over such a file keeps the original as NAME.bak.

#include "catalogue/CatalogueDocument.h"
#include "TestPrinters.h"
#include "catalogue/CatalogueListing.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Stop = CatalogueDocument::ReadStop;

const QByteArray kTwelve = [] {
    QByteArray text = "<?xml version=\"1.0\" encoding=\"ISO-8859-15\"?>\r\n<root name=\"Reports\">\r\n";
    for (int i = 0; i < 11; ++i)
        text += "\t<item name=\"Report number " + QByteArray::number(i) + "\" Reporttype1=\"1\"/>\r\n";
    return text + "</root>\r\n";
}();

QByteArray Utf16(const QByteArray& latin)
{
    QByteArray out("\xFF\xFE", 2);
    for (const char c : latin) {
        out += c;
        out += '\0';
    }
    return out;
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

struct StopCase {
    const char* name;
    QByteArray bytes;
    Stop stop;
    int items;
    const char* says;
};

void PrintTo(const StopCase& c, std::ostream* os)
{
    *os << c.name;
}

class ReadStops : public ::testing::TestWithParam<StopCase> { };

TEST_P(ReadStops, AreReportedWhileTheReadingRulesStay)
{
    const StopCase& c = GetParam();
    CatalogueDocument document;
    document.SetImageCount(3);
    document.ReadText(c.bytes.constData(), c.bytes.size());
    EXPECT_EQ(document.GetReadStop(), c.stop);
    EXPECT_EQ(document.GetItemCount(), c.items);
    const QString problem = document.ReadProblem();
    if (c.stop == Stop::None) {
        EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();
    } else {
        EXPECT_TRUE(problem.contains(QLatin1String(c.says))) << problem.toStdString();
        EXPECT_TRUE(problem.contains(QStringLiteral("after %1 items").arg(c.items))) << problem.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Catalogue, ReadStops,
    ::testing::Values(StopCase {"whole_file", kTwelve, Stop::None, 12, ""},
        StopCase {"empty_file", QByteArray(), Stop::None, 1, ""},
        StopCase {"trailing_zero_bytes", kTwelve + QByteArray(3, '\0'), Stop::None, 12, ""},
        StopCase {"zero_byte_inside", kTwelve.left(400) + QByteArray(1, '\0') + kTwelve.mid(401), Stop::ZeroByte, 7,
            "zero byte at offset 400"},
        StopCase {"utf16", Utf16(kTwelve), Stop::ZeroByte, 1, "UTF-16"},
        StopCase {"junk", "this is not a catalogue", Stop::NoElement, 1, "no catalogue element"},
        StopCase {"cut_mid_tag", kTwelve.left(300), Stop::Unfinished, 5, "ends before"},
        StopCase {"root_left_open", "<root name=\"R\"><item name=\"A\"/>", Stop::Unfinished, 2, "ends before"},
        StopCase {"ellipsis", "<root name=\"R\"><item name=\"A\"/><item name=\"...\"/><item name=\"B\"/></root>",
            Stop::Ellipsis, 2, "\"...\""},
        StopCase {"too_deep",
            [] {
                QByteArray text = "<root name=\"R\">";
                for (int i = 0; i < 1005; ++i)
                    text += "<item name=\"x\">";
                return text;
            }(),
            Stop::TooDeep, 1001, "nested deeper"}),
    [](const auto& info) { return std::string(info.param.name); });

class Backups : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString Path(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

TEST_F(Backups, FirstWriteOverAnEarlyStoppedFileKeepsTheOriginalOnce)
{
    const QByteArray damaged = kTwelve.left(400) + QByteArray(1, '\0') + kTwelve.mid(401);
    WriteAll(Path("cat.xml"), damaged);
    CatalogueDocument document;
    ASSERT_TRUE(document.ReadFile(Path("cat.xml")));
    ASSERT_EQ(document.GetReadStop(), Stop::ZeroByte);

    ASSERT_TRUE(document.WriteFile(Path("cat.xml"))) << document.WriteError().toStdString();
    EXPECT_EQ(ReadAll(Path("cat.xml.bak")), damaged);
    EXPECT_EQ(document.BackupPath(), Path("cat.xml.bak"));
    // A later save keeps the one copy as it was.
    document.Root()->text = QStringLiteral("Changed");
    ASSERT_TRUE(document.WriteFile(Path("cat.xml")));
    EXPECT_EQ(ReadAll(Path("cat.xml.bak")), damaged);
    EXPECT_TRUE(ReadAll(Path("cat.xml")).contains("Changed"));
}

TEST_F(Backups, AnExistingBackupIsNeverOverwritten)
{
    WriteAll(Path("cat.xml"), "junk");
    WriteAll(Path("cat.xml.bak"), "older copy");
    CatalogueDocument document;
    ASSERT_TRUE(document.ReadFile(Path("cat.xml")));
    ASSERT_TRUE(document.WriteFile(Path("cat.xml")));
    EXPECT_EQ(ReadAll(Path("cat.xml.bak")), QByteArray("older copy"));
    EXPECT_TRUE(document.BackupPath().isEmpty());
}

TEST_F(Backups, NoBackupForAWholeReadOrAnotherFile)
{
    WriteAll(Path("good.xml"), kTwelve);
    WriteAll(Path("bad.xml"), "junk");
    CatalogueDocument good;
    ASSERT_TRUE(good.ReadFile(Path("good.xml")));
    ASSERT_TRUE(good.WriteFile(Path("good.xml")));
    CatalogueDocument bad;
    ASSERT_TRUE(bad.ReadFile(Path("bad.xml")));
    ASSERT_TRUE(bad.WriteFile(Path("other.xml")));
    EXPECT_FALSE(QFile::exists(Path("good.xml.bak")));
    EXPECT_FALSE(QFile::exists(Path("bad.xml.bak")));
    EXPECT_FALSE(QFile::exists(Path("other.xml.bak")));
}

TEST_F(Backups, NothingReadNothingWritten)
{
    // A root named "..." reads no item; the write that follows must not
    // touch the file (it used to empty it), in place or elsewhere.
    const QByteArray victim = "<root name=\"...\"><item name=\"A\"/></root>";
    WriteAll(Path("victim.xml"), victim);
    WriteAll(Path("other.xml"), kTwelve);
    CatalogueDocument document;
    ASSERT_TRUE(document.ReadFile(Path("victim.xml")));
    EXPECT_EQ(document.Root(), nullptr);
    for (const QString& target : {Path("victim.xml"), Path("other.xml")}) {
        EXPECT_FALSE(document.WriteFile(target));
        EXPECT_TRUE(document.WriteError().contains(u"no items")) << document.WriteError().toStdString();
    }
    EXPECT_EQ(ReadAll(Path("victim.xml")), victim);
    EXPECT_EQ(ReadAll(Path("other.xml")), kTwelve);
}

TEST(CatalogueFind, WalksTheDocumentLikeTheTree)
{
    const QByteArray text = "<root name=\"Reports\"><item name=\"Sales 2009\"/><item name=\"Salesforce\"/>"
                            "<item name=\"&lt;b&gt;Stock&lt;/b&gt;\"/></root>";
    CatalogueDocument document;
    document.ReadText(text.constData(), text.size());
    struct Case {
        const char* text;
        bool matchCase;
        bool wholeWord;
        const char* found;
    };
    for (const Case& c : {Case {"sales", false, false, "Sales 2009"}, Case {"salesforce", false, true, "Salesforce"},
             Case {"Stock", true, false, "<b>Stock</b>"}, Case {"stock", true, false, nullptr}}) {
        const CatalogueNode* node = document.Find(QString::fromUtf8(c.text), c.matchCase, true, c.wholeWord, false);
        const QString found = node != nullptr ? node->text : QStringLiteral("<none>");
        EXPECT_EQ(found, c.found != nullptr ? QString::fromUtf8(c.found) : QStringLiteral("<none>")) << c.text;
    }
    // Up from the first item wraps round to the last.
    const CatalogueNode* last = document.Find(QStringLiteral("Stock"), false, false, false, true);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last, document.Last());
}

} // namespace
