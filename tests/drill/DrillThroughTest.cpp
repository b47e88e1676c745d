// Drill-through over the sample cube: the rows of every value cell of a set of views add up
// to the cell (totals, subtotals, nested field sets, member filters on axes and on the
// filter axis, a hierarchy without an All member, sets of filter members), the object model
// walked by name, the messages, a failing statement, and the engine's WHERE sets.
#include "DrillSample.h"

#include "control/drill/DrillThrough.h"
#include "control/drill/Tuple.h"
#include "control/pivot/object/MemberCatalog.h"
#include "control/pivot/object/PivotCellObject.h"
#include "control/pivot/object/PivotFieldSetObject.h"
#include "control/pivot/object/PivotMemberObject.h"
#include "control/pivot/object/PivotSelectionObject.h"

#include "olap/query/MdxError.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace drilltest;
using pivot::PivotMemberFilter;

namespace {

class DrillSample : public ::testing::Test {
public:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        s_connectionString = WriteCube(s_dir->path().toStdString());
        s_connection = olap::Connection::Connect(s_connectionString);
    }
    static void TearDownTestSuite()
    {
        s_connection.reset();
        delete s_dir;
        s_dir = nullptr;
    }

protected:
    static QTemporaryDir* s_dir;
    static std::string s_connectionString;
    static std::shared_ptr<olap::Connection> s_connection;
};

QTemporaryDir* DrillSample::s_dir = nullptr;
std::string DrillSample::s_connectionString;
std::shared_ptr<olap::Connection> DrillSample::s_connection;

double SumOf(const olap::recordset::Recordset& rows, const std::string& field)
{
    const std::size_t column = rows.FieldIndex(field);
    double sum = 0;
    for (const auto& row : rows.Rows())
        sum += row[column].ToDouble().value_or(0);
    return sum;
}

int Occurrences(const std::string& text, const std::string& word)
{
    int count = 0;
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
        ++count;
    return count;
}

struct ViewCase {
    const char* name;
    std::function<pivot::PivotDefinition(const std::string& connection)> view;
    //! Text one of the statements sent must hold.
    const char* sent;
};

class DrillCells : public DrillSample, public ::testing::WithParamInterface<ViewCase> { };

TEST_P(DrillCells, RowsAddUpToEveryCell)
{
    const ViewCase& c = GetParam();
    auto table = Table(c.view(s_connectionString), s_connection);
    const pivot::PivotLayout& layout = table->Layout();
    std::vector<QString> messages;
    drill::DrillThrough drill(table, [&](const QString& text) { messages.push_back(text); });
    bool sentSeen = false;
    std::string sent;
    int cells = 0;
    for (int r = 0; r < layout.ValueRows(); ++r) {
        for (int col = 0; col < layout.ValueColumns(); ++col) {
            ASSERT_TRUE(table->Select(layout.HeaderRows() + r, layout.HeaderColumns() + col));
            const double value = table->Selection()->Cell()->Value().value_or(0);
            auto rows = drill.SetAggregate(table->Selection());
            ASSERT_TRUE(rows);
            ASSERT_TRUE(drill.LastError().isEmpty()) << drill.LastError().toStdString() << "\n" << drill.SentText();
            EXPECT_EQ(Occurrences(drill.SentText(), "MAXROWS"), 1) << drill.SentText();
            EXPECT_EQ(drill.SentText().rfind("DRILLTHROUGH MAXROWS 5000 SELECT FROM Sales", 0), 0u);
            ASSERT_GT(rows->FieldCount(), 0u) << drill.SentText();
            EXPECT_NEAR(SumOf(*rows, "Unit Sales"), value, 1e-6 * std::max(1.0, std::fabs(value)))
                << "cell " << r << "," << col << ": " << drill.SentText();
            sentSeen = sentSeen || drill.SentText().find(c.sent) != std::string::npos;
            sent += drill.SentText() + "\n";
            ++cells;
        }
    }
    EXPECT_GE(cells, 1);
    EXPECT_TRUE(sentSeen) << "no statement held " << c.sent << ":\n" << sent;
    EXPECT_TRUE(messages.empty()) << messages.front().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Views, DrillCells,
    ::testing::Values(ViewCase {"FilterOneCountry",
                          [](const std::string& conn) {
                              return View(conn, {Expanded(Product(2), {"[Product].[Drink]"})}, {Time(1)},
                                  {Filtered(Store(1), PivotMemberFilter::Mode::Include, {"[Store].[Canada]"})});
                          },
                          "[Store].[Canada])"},
        ViewCase {"FilterKeepsTwoCountries",
            [](const std::string& conn) {
                return View(conn, {Expanded(Product(2), {"[Product].[Drink]"})}, {Time(1)},
                    {Filtered(Store(1), PivotMemberFilter::Mode::Include, {"[Store].[Canada]", "[Store].[Mexico]"})});
            },
            "{[Store].[Canada], [Store].[Mexico]}"},
        ViewCase {"NestedRowsWithSubtotals",
            [](const std::string& conn) {
                return View(conn, {Product(1), Store(1)}, {Customer()}, {});
            },
            "[Store].[USA]"},
        ViewCase {"AxisFilterAndAwkwardNames",
            [](const std::string& conn) {
                return View(conn,
                    {Expanded(
                        Filtered(Product(3), PivotMemberFilter::Mode::Include, {kKit, "[Product].[Food].[Dairy]"}),
                        {"[Product].[Drink]", kKit, "[Product].[Food]"})},
                    {Time(1)}, {});
            },
            kBackslashProduct},
        ViewCase {"ExcludeOnRows",
            [](const std::string& conn) {
                return View(conn,
                    {Expanded(Filtered(Product(2), PivotMemberFilter::Mode::Exclude, {kKit}), {"[Product].[Drink]"})},
                    {Customer()}, {});
            },
            "CrossJoin("},
        ViewCase {"TimeFilterKeepsTwoYears",
            [](const std::string& conn) {
                return View(conn, {Product(1)}, {Customer()},
                    {Filtered(Time(1), PivotMemberFilter::Mode::Include, {"[Time].[2023]", "[Time].[2024]"})});
            },
            "{[Time].[2023], [Time].[2024]}"},
        ViewCase {"YearsOnRowsStoresOnColumns",
            [](const std::string& conn) { return View(conn, {Time(1)}, {Store(1)}, {}); }, "[Time].[2022]"},
        ViewCase {"TotalsOnly", [](const std::string& conn) { return View(conn, {}, {}, {}); }, "FROM Sales"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DrillSample, ObjectModelWalkedByName)
{
    auto table = Table(View(s_connectionString, {Expanded(Product(2), {"[Product].[Drink]"})}, {Time(1)},
                           {Filtered(Store(1), PivotMemberFilter::Mode::Include, {"[Store].[Canada]"})}),
        s_connection);
    const pivot::PivotLayout& layout = table->Layout();
    int kitRow = -1;
    for (int r = layout.HeaderRows(); r < layout.RowCount() && kitRow < 0; ++r) {
        if (layout.Cell(r, 1).text == "Drillthrough Kit")
            kitRow = r;
    }
    ASSERT_GE(kitRow, 0);
    ASSERT_TRUE(table->Select(kitRow, layout.HeaderColumns()));

    // Reads a chain of members by name from OBJECT; an empty result fails the test.
    auto get = [](platform::Variant object, std::initializer_list<const char*> path,
                   std::vector<platform::Variant> lastArgs = {}) {
        std::size_t step = 0;
        for (const char* name : path) {
            auto target = std::dynamic_pointer_cast<pivot::NamedDispatch>(object.toObject());
            EXPECT_TRUE(target) << "no object before " << name;
            if (!target)
                return platform::Variant();
            std::vector<platform::Variant> args = ++step == path.size() ? lastArgs : std::vector<platform::Variant> {};
            platform::Variant result;
            EXPECT_EQ(target->InvokeByName(name, platform::InvokeKind::PropertyGet, args, &result), platform::kSOk)
                << name;
            object = result;
        }
        return object;
    };
    const platform::Variant root {std::shared_ptr<platform::IDispatchObject>(table)};
    EXPECT_EQ(get(root, {"Selection", "Cell", "RowMember", "Caption"}).toString(), "Drillthrough Kit");
    EXPECT_EQ(get(root, {"Selection", "Cell", "RowMember", "UniqueName"}).toString(), kKit);
    EXPECT_FALSE(get(root, {"Selection", "Cell", "RowMember", "IsTotal"}).toBool());
    EXPECT_EQ(
        get(root, {"Selection", "Cell", "RowMember", "ParentMember", "UniqueName"}).toString(), "[Product].[Drink]");
    EXPECT_TRUE(get(root, {"Selection", "Cell", "RowMember", "ParentMember", "ParentMember"}).isEmpty());
    EXPECT_EQ(get(root, {"Selection", "Cell", "RowMember", "Field", "FieldSet", "Name"}).toString(), "[Product]");
    EXPECT_EQ(get(root, {"Selection", "Cell", "RowMember", "SourceMember", "Path"}).toString(), kKit);
    const int products = get(root, {"Selection", "Cell", "RowMember", "ChildMembers", "Count"}).toInt();
    EXPECT_GE(products, 4);
    EXPECT_EQ(get(root, {"Selection", "Cell", "RowMember", "ChildMembers", "Item"}, {platform::Variant(products - 1)})
                  .toObject()
            != nullptr,
        true);
    EXPECT_EQ(get(root, {"Selection", "Cell", "ColumnMember", "UniqueName"}).toString(), "[Time].[2022]");

    const platform::Variant stores
        = get(root, {"ActiveView", "FilterAxis", "FieldSets", "Item"}, {platform::Variant(0)});
    const platform::Variant update = get(stores, {"CreateFilterUpdate"});
    auto stateOf = [&](platform::Variant member) { return get(update, {"StateOf"}, {std::move(member)}).toInt(); };
    EXPECT_EQ(stateOf(get(stores, {"FindMember"}, {platform::Variant("[Store].[Canada]")})), 2);
    EXPECT_EQ(stateOf(get(stores, {"FindMember"}, {platform::Variant("[Store].[Canada].[Toronto]")})), 2);
    EXPECT_EQ(stateOf(get(stores, {"FindMember"}, {platform::Variant("[Store].[USA]")})), 1);
    EXPECT_EQ(stateOf(get(stores, {"TopMember"})), 3);

    // A grand total: a total member whose children are the top members.
    ASSERT_TRUE(table->Select(layout.RowCount() - 1, layout.HeaderColumns()));
    EXPECT_TRUE(get(root, {"Selection", "Cell", "RowMember", "IsTotal"}).toBool());
    EXPECT_EQ(get(root, {"Selection", "Cell", "RowMember", "ChildMembers", "Count"}).toInt(),
        static_cast<int>(table->Catalog()->LevelMembers("[Product].[Category]").size()));

    drill::DrillThrough drill(table, [](const QString&) {});
    ASSERT_TRUE(table->Select(kitRow, layout.HeaderColumns()));
    drill.SetAggregate(table->Selection());
    EXPECT_EQ(drill.Statement(),
        "DRILLTHROUGH SELECT FROM Sales WHERE ([Time].[2022], [Product].[Drink].[Drillthrough Kit], [Store].[Canada])");
    EXPECT_EQ(drill.GetAggregate(), table->Selection());
    EXPECT_EQ(drill.Description(), "Details for Units (2022, Drillthrough Kit, Canada)");
}

TEST_F(DrillSample, NoMemberForAFieldSetIsReportedAndPassedOver)
{
    auto table = Table(View(s_connectionString, {Product(1)}, {}, {}), s_connection);
    std::vector<QString> messages;
    drill::DrillThrough drill(table, [&](const QString& text) { messages.push_back(text); });
    auto ghost = std::make_shared<pivot::PivotFieldSetObject>(
        Filtered(Store(1), PivotMemberFilter::Mode::Include, {"[Store].[Atlantis]"}), pivot::AxisKind::Filter,
        table->Catalog());
    drill.HandleFieldSet(ghost, ghost->TopMember(), nullptr);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages.front(), drill::DrillThrough::NoMemberMessage());
    EXPECT_FALSE(drill.Aborted());
    EXPECT_TRUE(drill.CurrentTuple().mymembers().empty());
}

TEST_F(DrillSample, TooManyFilterMembersAbandonTheDrillThrough)
{
    auto table
        = Table(View(s_connectionString, {Product(1)}, {Time(1)},
                    {Filtered(Store(1), PivotMemberFilter::Mode::Include, {"[Store].[Canada]", "[Store].[Mexico]"})}),
            s_connection);
    std::vector<QString> messages;
    drill::DrillThrough drill(table, [&](const QString& text) { messages.push_back(text); });
    drill.SetMultiFilterLimit(0);
    ASSERT_TRUE(table->Select(table->Layout().HeaderRows(), table->Layout().HeaderColumns()));
    EXPECT_FALSE(drill.SetAggregate(table->Selection()));
    EXPECT_TRUE(drill.Aborted());
    EXPECT_TRUE(drill.SentText().empty());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages.front(), drill::DrillThrough::TooManyMembersMessage());

    // The next drill-through starts afresh.
    messages.clear();
    drill.SetMultiFilterLimit(drill::DrillThrough::kMaxMultiFilterMembers);
    EXPECT_TRUE(drill.SetAggregate(table->Selection()));
    EXPECT_FALSE(drill.Aborted());
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(drill.MultiFilterCount(), 1);
}

TEST_F(DrillSample, FailingStatementGivesAnEmptyList)
{
    pivot::PivotDefinition view = View(s_connectionString, {Product(1)}, {}, {});
    auto table = Table(view, s_connection);
    view.dataMember = "NoSuchCube";
    auto broken = std::make_shared<pivot::PivotTableObject>(
        view, std::make_shared<pivot::PivotLayout>(table->Layout()), s_connection);
    drill::DrillThrough drill(broken, [](const QString&) {});
    ASSERT_TRUE(broken->Select(table->Layout().HeaderRows(), table->Layout().HeaderColumns()));
    auto rows = drill.SetAggregate(broken->Selection());
    ASSERT_TRUE(rows);
    EXPECT_EQ(rows->FieldCount(), 0u);
    EXPECT_FALSE(drill.LastError().isEmpty());

    // Without a cell nothing is sent and nothing comes back.
    EXPECT_FALSE(drill.SetAggregate(std::make_shared<pivot::PivotSelectionObject>(nullptr)));
    EXPECT_FALSE(drill.DrillthroughData(nullptr));
    EXPECT_TRUE(drill.SentText().empty());
}

TEST_F(DrillSample, EngineAnswersWhereCrossjoinsOfMemberSets)
{
    auto count = [&](const std::string& where) {
        return s_connection->Execute("DRILLTHROUGH SELECT FROM Sales WHERE " + where).RecordCount();
    };
    const long usa = count("([Product].[Drink], [Store].[USA])");
    const long canada = count("([Product].[Drink], [Store].[Canada])");
    EXPECT_GT(usa, 0);
    EXPECT_EQ(count("CrossJoin({[Product].[Drink]}, {[Store].[USA], [Store].[Canada]})"), usa + canada);
    EXPECT_EQ(count("{[Store].[USA], [Store].[All Stores]}"), count("([Store].[All Stores])"));
    // Not a crossjoin: the rows of no one cell.
    EXPECT_ANY_THROW(count("{([Product].[Drink], [Store].[USA]), ([Product].[Food], [Store].[Canada])}"));
    EXPECT_ANY_THROW(count("{[Measures].[Unit Sales], [Measures].[Store Sales]}"));
}

TEST(DrillTuple, MembersAndText)
{
    drill::Tuple tuple;
    EXPECT_EQ(tuple.GetTupleMDX(), "");
    platform::Variant result;
    std::vector<platform::Variant> none;
    EXPECT_EQ(tuple.Invoke(drill::Tuple::kMyMembers, platform::InvokeKind::PropertyGet, none, &result, nullptr),
        platform::kSOk);
    EXPECT_TRUE(result.isEmpty());

    auto fieldSet = std::make_shared<pivot::PivotFieldSetObject>(Product(2), pivot::AxisKind::Row, nullptr);
    olap::CellSet::Member drink;
    drink.uniqueName = "[Product].[Drink]";
    drink.caption = "Drink";
    olap::CellSet::Member kit;
    kit.uniqueName = kKit;
    kit.caption = "Drillthrough Kit";
    drill::Tuple other;
    tuple.AddTupleMember(other, pivot::PivotMemberObject::Cube(fieldSet, drink));
    EXPECT_EQ(tuple.GetTupleMDX(), "[Product].[Drink]");
    EXPECT_EQ(other.GetTupleMDX(), "[Product].[Drink]");
    tuple.AddTupleMember(tuple, pivot::PivotMemberObject::Cube(fieldSet, kit));
    EXPECT_EQ(tuple.Member()->UniqueName(), kKit);
    EXPECT_EQ(tuple.GetTupleMDX(), std::string("[Product].[Drink], ") + kKit);
    EXPECT_EQ(tuple.GetDrillthroughDescription("Units"), "Details for Units (Drink, Drillthrough Kit)");

    drill::Tuple merged;
    merged.MergeTupleAndMember(other, tuple);
    EXPECT_EQ(merged.mymembers().size(), 3u);
    std::vector<platform::Variant> args {platform::Variant(0)};
    EXPECT_EQ(merged.InvokeByName("TupleInit", platform::InvokeKind::Method, args, nullptr), platform::kSOk);
    EXPECT_EQ(merged.InvokeByName("GetTupleMDX", platform::InvokeKind::Method, none, &result), platform::kSOk);
    EXPECT_EQ(result.toString(), "");
}

} // namespace
