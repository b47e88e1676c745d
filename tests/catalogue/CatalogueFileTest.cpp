#include "TestPrinters.h"
#include "catalogue/CXHtmlTree.h"
#include "catalogue/CatalogueListing.h"
#include "support/FileFaults.h"
#include "uikit/CXNamedColors.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

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

QTreeWidgetItem* Add(CXHtmlTree& tree, QTreeWidgetItem* parent, const QString& text, int image, XHTMLTREEDATA data = {})
{
    return tree.InsertItem(text, image, parent, &data);
}

QString Folder(const QString& name)
{
    return QStringLiteral("<font color=\"dodgerblue\">%1</font>").arg(name);
}

class CatalogueFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_tree.SetImageList(QList<QIcon>(3));
    }
    QString Path(const QString& name) const { return m_dir.filePath(name); }

    // Writes m_tree and reads the file back into a fresh tree.
    void RoundTrip(CXHtmlTree& into)
    {
        ASSERT_TRUE(m_tree.WriteCatalogueFile(m_tree.GetRootItem(), Path("trip.xml")));
        into.SetImageList(QList<QIcon>(3));
        ASSERT_TRUE(into.ReadCatalogueFile(Path("trip.xml")));
    }

    QTemporaryDir m_dir;
    CXHtmlTree m_tree;
};

TEST_F(CatalogueFile, WritesTheSevenLineExampleByteForByte)
{
    QTreeWidgetItem* root = Add(m_tree, nullptr, "Reports", 0);
    QTreeWidgetItem* sales = Add(m_tree, root, Folder("Sales"), 0);
    XHTMLTREEDATA report;
    report.Reporttype1 = 3;
    report.Filename1 = "Sales per month.xml";
    report.Filename2 = "Sales per monthChart.xml";
    Add(m_tree, sales, Folder("Sales per month"), 1, report);
    XHTMLTREEDATA stock;
    stock.Reporttype1 = 1;
    stock.Filename1 = "Stock.xml";
    Add(m_tree, root, Folder("Stock"), 1, stock);

    ASSERT_TRUE(m_tree.WriteCatalogueFile(root, Path("Pellamy.xml")));
    const QByteArray expected = ReadAll(QStringLiteral(CATALOGUE_GOLDEN_DIR "/example/input.xml"));
    EXPECT_EQ(ReadAll(Path("Pellamy.xml")), expected);
    EXPECT_EQ(expected.count('\n'), 7);
}

TEST_F(CatalogueFile, RootAloneIsClosedAndReadsBackAlone)
{
    QTreeWidgetItem* root = Add(m_tree, nullptr, "Reports", CXHtmlTree::NO_IMAGE);
    EXPECT_EQ(m_tree.CatalogueBytes(root),
        QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-15\"?>\r\n"
                   "<root name=\"Reports\" Reporttype1=\"0\" Reporttype2=\"0\" Filename1=\"\" Filename2=\"\" "
                   "separator=\"0\" checked=\"0\" enabled=\"1\"/>\r\n</root>\r\n"));
    CXHtmlTree back;
    RoundTrip(back);
    EXPECT_EQ(back.topLevelItemCount(), 1);
    EXPECT_EQ(back.GetRootItem()->childCount(), 0);
    EXPECT_EQ(back.GetItemCount(), 1);
}

TEST_F(CatalogueFile, SecondTopLevelItemComesBackAsTheRootsLastChild)
{
    QTreeWidgetItem* root = Add(m_tree, nullptr, "R", CXHtmlTree::NO_IMAGE);
    Add(m_tree, root, "A", CXHtmlTree::NO_IMAGE);
    Add(m_tree, nullptr, "B", CXHtmlTree::NO_IMAGE);
    const QByteArray tail = "separator=\"0\" checked=\"0\" enabled=\"1\"";
    EXPECT_EQ(m_tree.CatalogueBytes(root),
        "<?xml version=\"1.0\" encoding=\"ISO-8859-15\"?>\r\n"
        "<root name=\"R\" Reporttype1=\"0\" Reporttype2=\"0\" Filename1=\"\" Filename2=\"\" "
            + tail + ">\r\n\t<item name=\"A\" Reporttype1=\"0\" Reporttype2=\"0\" Filename1=\"\" Filename2=\"\" " + tail
            + "/>\r\n</item>\r\n<item name=\"B\" Reporttype1=\"0\" Reporttype2=\"0\" Filename1=\"\" "
            + "Filename2=\"\" " + tail + "/>\r\n</root>\r\n");
    CXHtmlTree back;
    RoundTrip(back);
    ASSERT_EQ(back.topLevelItemCount(), 1);
    ASSERT_EQ(back.GetRootItem()->childCount(), 2);
    EXPECT_EQ(back.GetItemText(back.GetRootItem()->child(1)), QStringLiteral("B"));
}

struct NameCase {
    const char* name;
    QString text;
    QString expected;
};

class NameRoundTrip : public ::testing::TestWithParam<NameCase> { };

TEST_P(NameRoundTrip, ComesBackAsExpected)
{
    QTemporaryDir dir;
    CXHtmlTree tree;
    QTreeWidgetItem* root = tree.InsertItem("Root", CXHtmlTree::NO_IMAGE, nullptr, nullptr);
    XHTMLTREEDATA data;
    data.Filename1 = GetParam().text;
    data.Filename2 = GetParam().text;
    QTreeWidgetItem* item = tree.InsertItem(GetParam().text, CXHtmlTree::NO_IMAGE, root, &data);
    tree.SetItemNote(item, GetParam().text, 120);
    tree.InsertItem("After", CXHtmlTree::NO_IMAGE, root, nullptr);
    ASSERT_TRUE(tree.WriteCatalogueFile(root, dir.filePath("c.xml")));

    CXHtmlTree back;
    ASSERT_TRUE(back.ReadCatalogueFile(dir.filePath("c.xml")));
    ASSERT_EQ(back.GetItemCount(), 3) << "the read stopped early";
    QTreeWidgetItem* read = back.GetRootItem()->child(0);
    EXPECT_EQ(back.GetItemText(read), GetParam().expected);
    const XHTMLTREEDATA* record = back.GetItemData(read);
    ASSERT_NE(record, nullptr);
    // File names are kept as they stand; only the name is trimmed.
    QString raw = GetParam().text;
    raw.remove(QChar(u'\t')).remove(QChar(u'\n')).remove(QChar(u'\r')).remove(QChar(0));
    EXPECT_EQ(record->Filename1, raw);
    EXPECT_EQ(record->Filename2, raw);
    EXPECT_EQ(record->pszNote, raw.isEmpty() ? QString() : raw);
}

INSTANTIATE_TEST_SUITE_P(Cases, NameRoundTrip,
    ::testing::Values(NameCase {"escaped_characters", QStringLiteral("a & b <c> \"d\" &amp; &lt;"),
                          QStringLiteral("a & b <c> \"d\" &amp; &lt;")},
        NameCase {"markup", QStringLiteral("<font color=\"dodgerblue\">Sales</font>"),
            QStringLiteral("<font color=\"dodgerblue\">Sales</font>")},
        NameCase {"latin1", QStringLiteral("Försäljning ½"), QStringLiteral("Försäljning ½")},
        NameCase {
            "above_latin1", QString::fromUtf8("€ 中文 \xF0\x9F\x93\x88"), QString::fromUtf8("€ 中文 \xF0\x9F\x93\x88")},
        NameCase {"c1_controls", QString::fromUtf8("a\xC2\x80\xC2\x9F"), QString::fromUtf8("a\xC2\x80\xC2\x9F")},
        NameCase {"reference_like_text", QStringLiteral("&#65; &#x41;"), QStringLiteral("&#65; &#x41;")},
        NameCase {"three_dots", QStringLiteral("..."), QStringLiteral("...")},
        NameCase {
            "line_breaks_and_tabs_lost", QStringLiteral("Sa\tles\r\nper\nmonth"), QStringLiteral("Salespermonth")},
        NameCase {"trimmed", QStringLiteral("  Sales  "), QStringLiteral("Sales")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CatalogueFile, EmptyTreeWritesNothingAndLeavesTheFile)
{
    WriteAll(Path("c.xml"), "old");
    EXPECT_FALSE(m_tree.WriteCatalogueFile(nullptr, Path("c.xml")));
    EXPECT_EQ(ReadAll(Path("c.xml")), QByteArray("old"));
    EXPECT_TRUE(m_tree.GetWriteError().contains(u"no items")) << m_tree.GetWriteError().toStdString();
}

TEST_F(CatalogueFile, FailedWriteStepNamesTheReasonAndKeepsTheFile)
{
    QTreeWidgetItem* root = Add(m_tree, nullptr, "Reports", 0);
    Add(m_tree, root, "Sales", 1);
    WriteAll(Path("c.xml"), "old");
    for (const auto step : {olap::AtomicFile::Step::Write, olap::AtomicFile::Step::Sync}) {
        const InjectedFileFault fault(step, ENOSPC);
        EXPECT_FALSE(m_tree.WriteCatalogueFile(root, Path("c.xml")));
        EXPECT_TRUE(m_tree.GetWriteError().contains(QString::fromLocal8Bit(std::strerror(ENOSPC))))
            << m_tree.GetWriteError().toStdString();
        EXPECT_EQ(ReadAll(Path("c.xml")), QByteArray("old"));
        EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList {"c.xml"});
    }
    EXPECT_TRUE(m_tree.WriteCatalogueFile(root, Path("c.xml")));
    EXPECT_TRUE(m_tree.GetWriteError().isEmpty());
}

TEST_F(CatalogueFile, FullDiskKeepsTheOldCatalogue)
{
    SmallTmpfs disk(64 * 1024);
    if (!disk.Mounted())
        GTEST_SKIP() << disk.Why();
    QTreeWidgetItem* root = Add(m_tree, nullptr, "Reports", 0);
    for (int i = 0; i < 60; ++i)
        Add(m_tree, root, QStringLiteral("Report number %1").arg(i), 1);
    const QString path = QString::fromStdString(disk.Path("cat.xml"));
    const QByteArray old = "<?xml version=\"1.0\" encoding=\"ISO-8859-15\"?>\r\n<root name=\"Old\"/>\r\n</root>\r\n";
    WriteAll(path, old);
    for (const std::size_t leave : {std::size_t {0}, std::size_t {4096}}) {
        disk.Fill(leave);
        EXPECT_FALSE(m_tree.WriteCatalogueFile(root, path)) << "left " << leave;
        EXPECT_TRUE(m_tree.GetWriteError().contains(QString::fromLocal8Bit(std::strerror(ENOSPC))))
            << m_tree.GetWriteError().toStdString();
        EXPECT_EQ(ReadAll(path), old);
        QFile::remove(QString::fromStdString(disk.Path("filler")));
    }
    EXPECT_EQ(QDir(QString::fromStdString(disk.Path(""))).entryList(QDir::Files), QStringList {"cat.xml"});
}

TEST_F(CatalogueFile, WriteFailsWithoutTouchingTheOldFile)
{
    QTreeWidgetItem* root = Add(m_tree, nullptr, "Reports", 0);
    WriteAll(Path("c.xml"), "old");
    EXPECT_FALSE(m_tree.WriteCatalogueFile(root, QString()));
    EXPECT_FALSE(m_tree.WriteCatalogueFile(root, Path("no-such-folder/c.xml")));
    EXPECT_FALSE(m_tree.WriteCatalogueFile(root, m_dir.path()));
    EXPECT_EQ(ReadAll(Path("c.xml")), QByteArray("old"));
}

TEST_F(CatalogueFile, FailingWriteLeavesTheOldFileWhole)
{
    // A big tree and a file size limit make the write fail half-way, as a
    // full disk would.
    QTreeWidgetItem* root = Add(m_tree, nullptr, "Reports", 0);
    for (int i = 0; i < 2000; ++i)
        Add(m_tree, root, QStringLiteral("Report number %1").arg(i), 1);
    const QByteArray old = "<?xml version=\"1.0\" encoding=\"ISO-8859-15\"?>\r\n<root name=\"Old\"/>\r\n</root>\r\n";
    WriteAll(Path("c.xml"), old);

    rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool written = m_tree.WriteCatalogueFile(root, Path("c.xml"));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(ReadAll(Path("c.xml")), old);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList {"c.xml"}) << "a temporary file was left";
}

TEST_F(CatalogueFile, MissingOrUnreadableFileLeavesTheTreeAsItWas)
{
    Add(m_tree, nullptr, "Kept", 0);
    EXPECT_FALSE(m_tree.ReadCatalogueFile(Path("missing.xml")));
    EXPECT_FALSE(m_tree.ReadCatalogueFile(m_dir.path()));
    EXPECT_EQ(m_tree.topLevelItemCount(), 1);
}

TEST_F(CatalogueFile, WritesColoursNotesAndImagesOnlyWhenSet)
{
    QTreeWidgetItem* root = Add(m_tree, nullptr, "R", CXHtmlTree::NO_IMAGE);
    XHTMLTREEDATA data;
    data.bChecked = 7;
    data.bEnabled = 0;
    data.crText = static_cast<std::int32_t>(MakeRgb(30, 144, 255));
    data.crTextBackground = static_cast<std::int32_t>(MakeRgb(1, 2, 3));
    data.nNoteWidth = 250;
    QTreeWidgetItem* item = Add(m_tree, root, "I", 2, data);
    m_tree.SetItemNote(item, "say \"hi\"", 250);
    EXPECT_EQ(m_tree.BuildItemTag(item, "item"),
        QStringLiteral("<item name=\"I\" Reporttype1=\"0\" Reporttype2=\"0\" Filename1=\"\" Filename2=\"\" "
                       "separator=\"0\" checked=\"1\" enabled=\"0\" text-color=\"DodgerBlue\" "
                       "text-background-color=\"#010203\" image=\"2\" note=\"say &quot;hi&quot;\" "
                       "note-width=\"250\""));
    m_tree.SetItemNote(item, QString(), 250);
    EXPECT_FALSE(m_tree.BuildItemTag(item, "item").contains(u"note"));
}

// A tree that refuses every item after the first few, as a full tree would.
class RefusingTree : public CXHtmlTree {
public:
    int m_accept = 0;
    QTreeWidgetItem* InsertItem(const QString& text, int image, QTreeWidgetItem* parent, const XHTMLTREEDATA* data,
        QTreeWidgetItem* after) override
    {
        if (m_accept-- <= 0)
            return nullptr;
        return CXHtmlTree::InsertItem(text, image, parent, data, after);
    }
};

TEST(CatalogueRead, RefusedInsertStopsTheRead)
{
    const QByteArray text = "<root name=\"R\"><item name=\"A\"><item name=\"A1\"/></item><item name=\"B\"/></root>";
    RefusingTree tree;
    tree.m_accept = 2;
    tree.ReadCatalogueText(text.constData(), text.size());
    EXPECT_EQ(tree.GetItemCount(), 2);
    EXPECT_EQ(tree.GetReadStop(), CXHtmlTree::ReadStop::Refused);
    EXPECT_EQ(CatalogueListing::List(tree.ToDocument()).count(u'\n'), 2);
}

TEST(CatalogueRead, ImageIndexesNeedAnImageList)
{
    const QByteArray text = "<root name=\"R\" image=\"0\"><item name=\"A\" image=\"1\"/></root>";
    CXHtmlTree tree;
    tree.SetImageList(std::nullopt);
    tree.ReadCatalogueText(text.constData(), text.size());
    EXPECT_FALSE(tree.GetItemImages());
    EXPECT_EQ(tree.GetItemImage(tree.GetRootItem()), CXHtmlTree::NO_IMAGE);
    EXPECT_EQ(tree.GetItemImage(tree.GetRootItem()->child(0)), CXHtmlTree::NO_IMAGE);
}

TEST(CatalogueRead, StopsAtTheFirstZeroByte)
{
    const char text[] = "<root name=\"R\"><item name=\"A\"/>\0<item name=\"B\"/></root>";
    CXHtmlTree tree;
    tree.ReadCatalogueText(text, sizeof text - 1);
    EXPECT_EQ(tree.GetItemCount(), 2);
}

} // namespace
