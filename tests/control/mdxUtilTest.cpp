// The schema utility over the sample cube, a SQLite database, a workbook and a stand-in
// remote server: the lists, their entries, what clears the error message, and dispatch.
#include "relational/TinyXlsWriter.h"
#include "support/TempRegistry.h"

#include "control/query/mdxUtil.h"
#include "control/query/mdxUtilError.h"
#include "olap/access/Connection.h"
#include "olap/access/RemoteOlapProviders.h"
#include "olap/sample/SalesSample.h"
#include "olap/util/OlapError.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A remote server stand-in with three databases and a cube whose "Empty" level has no members.
class ThreeDatabaseServer : public olap::OlapProvider {
public:
    std::string Name() const override { return "MSOLAP"; }
    std::string Catalog() const override { return "First"; }
    olap::QueryResult Execute(std::string_view) override { throw olap::OlapError("not here"); }
    void ClearCache() override { }
    olap::SchemaRowset Discover(olap::SchemaRowsetKind kind, std::string_view) override
    {
        using K = olap::SchemaRowsetKind;
        switch (kind) {
        case K::Catalogs:
            return {{"CATALOG_NAME"}, {{"First"}, {"Second"}, {"Third"}}};
        case K::Cubes:
            return {{"CATALOG_NAME", "CUBE_NAME"}, {{"First", "Budget"}}};
        case K::Dimensions:
            return {{"DIMENSION_NAME", "DIMENSION_UNIQUE_NAME"}, {{"measures", "[measures]"}, {"Plan", "[Plan]"}}};
        case K::Hierarchies:
            return {{"DIMENSION_UNIQUE_NAME", "HIERARCHY_NAME", "HIERARCHY_UNIQUE_NAME"},
                {{"[measures]", "measures", "[measures]"}, {"[Plan]", "Plan", "[Plan]"}}};
        case K::Levels:
            return {{"HIERARCHY_UNIQUE_NAME", "LEVEL_NAME", "LEVEL_UNIQUE_NAME", "LEVEL_NUMBER"},
                {{"[measures]", "MeasuresLevel", "[measures].[MeasuresLevel]", "0"},
                    {"[Plan]", "Version", "[Plan].[Version]", "0"}, {"[Plan]", "Empty", "[Plan].[Empty]", "1"},
                    {"[Plan]", "Version", "[Plan].[Version]", "0"}}};
        case K::Members:
            return {{"LEVEL_UNIQUE_NAME", "MEMBER_NAME", "MEMBER_UNIQUE_NAME", "PARENT_UNIQUE_NAME",
                        "CHILDREN_CARDINALITY"},
                {{"[measures].[MeasuresLevel]", "Amount", "[measures].[Amount]", "", "0"},
                    {"[Plan].[Version]", "Draft", "[Plan].[Draft]", "", "0"}}};
        case K::Measures:
            return {{"MEASURE_UNIQUE_NAME"}, {}};
        }
        return {};
    }
};

class mdxUtilTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir();
        olap::SalesSample::WriteAll(s_dir->path().toStdString(), 3000, 7);
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }
    static QString CubeConnection()
    {
        return QStringLiteral("Provider=MSOLAP.2; Data Source=") + s_dir->filePath(QStringLiteral("Sales.cub"))
            + QStringLiteral("; Initial Catalog=Sales");
    }
    static QString SqlConnection()
    {
        return QStringLiteral("Provider=SQLite; Data Source=") + s_dir->filePath(QStringLiteral("sales.sqlite"));
    }
    void SetUp() override
    {
        QString cs = CubeConnection();
        QString error;
        ASSERT_TRUE(m_util.buildCube(cs, error)) << error.toStdString();
    }

    static inline QTemporaryDir* s_dir = nullptr;
    TempRegistry m_registry;
    mdxUtil m_util;
};

// Every list ends with one empty element; callers read up to the upper bound - 1.
QStringList Items(QStringList list)
{
    EXPECT_FALSE(list.isEmpty());
    EXPECT_TRUE(list.isEmpty() || list.last().isEmpty()) << list.join(QLatin1Char('|')).toStdString();
    if (!list.isEmpty())
        list.removeLast();
    return list;
}

TEST_F(mdxUtilTest, ListsCubesDatabasesMeasuresAndDimensionsOfTheSampleCube)
{
    QString error = QStringLiteral("kept");
    EXPECT_EQ(Items(m_util.listOfCubes(error)), QStringList {QStringLiteral("Sales")});
    EXPECT_EQ(Items(m_util.listOfASDatabases(error)).size(), 1);
    EXPECT_EQ(Items(m_util.listOfSQLDB(error)), Items(m_util.listOfASDatabases(error)));
    EXPECT_EQ(error, QStringLiteral("kept")) << "these lists leave the message alone";

    QString cube = QStringLiteral("sales");
    const QStringList measures = Items(m_util.listOfMeasures(cube, error));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(measures.size(), 5);
    EXPECT_EQ(measures.value(0), QStringLiteral("[Measures].[Unit Sales]"));

    error = QStringLiteral("old");
    const QStringList dimensions = Items(m_util.listOfDimensions(cube, error));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(dimensions,
        (QStringList {QStringLiteral("[Time]~Time~True"), QStringLiteral("[Product]~Product~True"),
            QStringLiteral("[Store]~Store~True"), QStringLiteral("[Customer]~Customer~True")}));
}

TEST_F(mdxUtilTest, LevelsMembersAndChildrenAreTreeEntries)
{
    QString cube = QStringLiteral("Sales");
    QString error;
    struct Case {
        QString dimension;
        QStringList levels;
    };
    const Case cases[] = {
        {QStringLiteral("[Time]"),
            {QStringLiteral("[Time].[Year]~Year~True"), QStringLiteral("[Time].[Quarter]~Quarter~True"),
                QStringLiteral("[Time].[Month]~Month~True")}},
        {QStringLiteral("[store]"),
            {QStringLiteral("[Store].[(All)]~(All)~True"), QStringLiteral("[Store].[Country]~Country~True"),
                QStringLiteral("[Store].[City]~City~True"), QStringLiteral("[Store].[Store]~Store~True")}},
        {QStringLiteral("[Nowhere]"), {}},
        {QStringLiteral("Store"), {}},
    };
    for (Case c : cases)
        EXPECT_EQ(Items(m_util.listOfLevel(cube, c.dimension, error)), c.levels) << c.dimension.toStdString();

    QString level = QStringLiteral("[Store].[Country]");
    const QStringList countries = Items(m_util.listOfMembers(cube, level, error));
    ASSERT_FALSE(countries.isEmpty());
    for (const QString& entry : countries) {
        const QStringList fields = entry.split(QLatin1Char('~'));
        ASSERT_EQ(fields.size(), 3) << entry.toStdString();
        EXPECT_TRUE(fields[0].startsWith(QStringLiteral("[Store].["))) << entry.toStdString();
        EXPECT_EQ(fields[2], QStringLiteral("True")) << "countries have cities";
    }
    QString country = countries[0].section(QLatin1Char('~'), 0, 0);
    const QStringList cities = Items(m_util.listOfChildMembers(cube, country, error));
    ASSERT_FALSE(cities.isEmpty());
    EXPECT_TRUE(cities[0].startsWith(country.chopped(0) + QStringLiteral(".["))) << cities[0].toStdString();

    level = QStringLiteral("[Store].[Store]");
    for (const QString& entry : Items(m_util.listOfMembers(cube, level, error)))
        EXPECT_TRUE(entry.endsWith(QStringLiteral("~False"))) << "a store is a leaf: " << entry.toStdString();

    // Wrong names give empty lists, never an error, and clear the message.
    QString wrong = QStringLiteral("[Store].[Atlantis]");
    QString noCube = QStringLiteral("Budget");
    for (QStringList list : {m_util.listOfChildMembers(cube, wrong, error), m_util.listOfMembers(cube, wrong, error),
             m_util.listOfMeasures(noCube, error), m_util.listOfDimensions(noCube, error),
             m_util.listOfLevel(noCube, country, error)}) {
        EXPECT_EQ(list, QStringList {QString()});
    }
}

TEST_F(mdxUtilTest, TestMdxQueryAnswersEmptyOrTheProvidersText)
{
    QString cs = CubeConnection();
    QString good = QStringLiteral("SELECT [Measures].[Unit Sales] ON COLUMNS, [Store].[Country].Members ON ROWS FROM "
                                  "[Sales] WHERE [Time].[2023]");
    EXPECT_EQ(m_util.testMDXquery(good, cs), QString());

    QString bad = QStringLiteral("SELECT [Measures].[Unit Sale] ON COLUMNS FROM [Sales]");
    std::string expected;
    try {
        olap::Connection::Connect(cs.toStdString())->ExecuteMdx(bad.toStdString());
    } catch (const std::exception& e) {
        expected = e.what();
    }
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(m_util.testMDXquery(bad, cs).toStdString(), expected);

    QString syntax = QStringLiteral("SELEKT FROM");
    EXPECT_FALSE(m_util.testMDXquery(syntax, cs).isEmpty());
    QString missing = QStringLiteral("Provider=MSOLAP.2; Data Source=") + s_dir->filePath(QStringLiteral("none.cub"));
    EXPECT_TRUE(m_util.testMDXquery(good, missing).contains(QStringLiteral("none.cub")));
}

TEST_F(mdxUtilTest, FailedConnectionsReportTheReasonAndLeaveEmptyLists)
{
    QString missing = QStringLiteral("Provider=MSOLAP.2; Data Source=") + s_dir->filePath(QStringLiteral("gone.cub"));
    QString error;
    EXPECT_FALSE(m_util.buildCube(missing, error));
    EXPECT_TRUE(error.contains(QStringLiteral("gone.cub"))) << error.toStdString();
    QString cube = QStringLiteral("Sales");
    EXPECT_EQ(m_util.listOfCubes(error), QStringList {QString()});
    EXPECT_EQ(m_util.listOfDimensions(cube, error), QStringList {QString()});

    QString remote = QStringLiteral("Provider=MSOLAP.2; Data Source=olap1; Initial Catalog=Sales");
    error.clear();
    EXPECT_FALSE(m_util.buildSQL(remote, error));
    EXPECT_TRUE(error.contains(QStringLiteral("XMLA"))) << error.toStdString();
}

TEST_F(mdxUtilTest, TablesOfRelationalSourcesAndWorkbooks)
{
    QString error;
    mdxUtil fresh;
    EXPECT_THROW(fresh.listOfTables(error), mdxUtilError) << "no connection: the unprotected step raises";

    QString cs = SqlConnection();
    ASSERT_TRUE(m_util.buildSQL(cs, error)) << error.toStdString();
    QStringList tables = Items(m_util.listOfTables(error));
    tables.sort();
    EXPECT_EQ(tables,
        (QStringList {QStringLiteral("customer"), QStringLiteral("product"), QStringLiteral("sales"),
            QStringLiteral("store"), QStringLiteral("time_dim")}));
    EXPECT_TRUE(error.isEmpty());
    // The connect dialog builds a catalog in SQL mode too: a relational source has no cubes.
    ASSERT_TRUE(m_util.buildCube(cs, error)) << error.toStdString();
    EXPECT_EQ(m_util.listOfCubes(error), QStringList {QString()});
    EXPECT_EQ(Items(m_util.listOfTables(error)).size(), tables.size());

    QString cube = CubeConnection();
    ASSERT_TRUE(m_util.buildCube(cube, error));
    EXPECT_EQ(m_util.listOfTables(error), QStringList {QString()}) << "a cube has no tables";

    // A workbook as the connect dialog writes it in SQL mode: its sheets are the tables.
    const QString book = s_dir->filePath(QStringLiteral("Budget.XLS"));
    TinyXlsWriter::Write(
        book.toStdString(), "Plan", {{std::string("Region"), std::string("Amount")}, {std::string("North"), 10.0}});
    QString xls = QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0; Data Source=") + book
        + QStringLiteral(";Extended Properties=Excel 8.0;");
    ASSERT_TRUE(m_util.buildSQL(xls, error)) << error.toStdString();
    EXPECT_EQ(m_util.listOfTables(error), (QStringList {QStringLiteral("Plan$"), QString()}));
}

TEST_F(mdxUtilTest, ThreeDatabasesGiveFourElementsAndEmptyLevelsAreMarked)
{
    olap::SetRemoteOlapProviderFactory(
        [](const olap::providers::ConnectionProperties&) { return std::make_unique<ThreeDatabaseServer>(); });
    QString cs = QStringLiteral("Provider=MSOLAP.2; Data Source=http://olap.example/xmla; Initial Catalog=First");
    QString error;
    const bool built = m_util.buildCube(cs, error);
    olap::SetRemoteOlapProviderFactory({});
    ASSERT_TRUE(built) << error.toStdString();

    EXPECT_EQ(m_util.listOfASDatabases(error),
        (QStringList {QStringLiteral("First"), QStringLiteral("Second"), QStringLiteral("Third"), QString()}));
    QString cube = QStringLiteral("Budget");
    EXPECT_EQ(Items(m_util.listOfDimensions(cube, error)), QStringList {QStringLiteral("[Plan]~Plan~True")})
        << "the measures dimension is left out whatever its case";
    EXPECT_EQ(Items(m_util.listOfMeasures(cube, error)), QStringList {QStringLiteral("[measures].[Amount]")});
    QString plan = QStringLiteral("[Plan]");
    EXPECT_EQ(Items(m_util.listOfLevel(cube, plan, error)),
        (QStringList {QStringLiteral("[Plan].[Version]~Version~True"), QStringLiteral("[Plan].[Empty]~Empty~False")}))
        << "each level once; a level without members cannot be expanded";
}

TEST_F(mdxUtilTest, DispatchWritesByReferenceArgumentsBack)
{
    using platform::Variant;
    Variant result;
    platform::DispatchException exception;
    std::vector<Variant> args {Variant(QStringLiteral("Provider=MSOLAP.2; Data Source=/nowhere/x.cub")), Variant("")};
    ASSERT_EQ(
        m_util.Invoke(mdxUtil::kBuildCube, platform::InvokeKind::Method, args, &result, &exception), platform::kSOk);
    EXPECT_FALSE(result.toBool());
    EXPECT_TRUE(args[1].toString().contains(QStringLiteral("x.cub"))) << args[1].toString().toStdString();

    args = {Variant(CubeConnection()), Variant("")};
    ASSERT_EQ(
        m_util.Invoke(mdxUtil::kBuildCube, platform::InvokeKind::Method, args, &result, &exception), platform::kSOk);
    EXPECT_TRUE(result.toBool());
    args = {Variant("")};
    ASSERT_EQ(
        m_util.Invoke(mdxUtil::kListOfCubes, platform::InvokeKind::Method, args, &result, &exception), platform::kSOk);
    ASSERT_EQ(result.type(), Variant::Type::Array);
    EXPECT_EQ(result.toArray().size(), 2u);
    EXPECT_EQ(result.toArray()[0].toString(), QStringLiteral("Sales"));

    mdxUtil fresh;
    EXPECT_EQ(fresh.Invoke(mdxUtil::kListOfTables, platform::InvokeKind::Method, args, &result, &exception),
        platform::kDispEException);
    EXPECT_FALSE(exception.description.isEmpty());
    std::vector<Variant> tooFew {Variant("Sales")};
    EXPECT_EQ(m_util.Invoke(mdxUtil::kListOfLevel, platform::InvokeKind::Method, tooFew, &result, &exception),
        platform::kDispEBadParamCount);
    EXPECT_EQ(m_util.Invoke(0x60030018, platform::InvokeKind::Method, tooFew, &result, &exception),
        platform::kDispEMemberNotFound);
}

} // namespace
