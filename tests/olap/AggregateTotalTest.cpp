// A total made by Aggregate over stored members of one hierarchy is read as one stored cell
// over the rows under any of them (its set looked at once per query when the set does not
// depend on the context). Each case runs a pivot-shaped statement with such totals and a
// reference that reaches the same cells another way: Sum, Min or Max over the set (one cell
// per member, combined by the formula) or the set as the slicer (exact for distinct counts).
#include "OlapTestSupport.h"

#include "olap/query/MdxEvaluator.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct TotalCase {
    const char* title;
    const char* query;
    const char* reference;
    const char* schema = "tiny.xml";
};

void PrintTo(const TotalCase& c, std::ostream* os)
{
    *os << c.title;
}

// The cells in order (value and formatted text), or the error.
std::string Cells(const olap::Cube& cube, const std::string& query)
{
    try {
        const olap::QueryResult r = olap::MdxEvaluator::Execute(cube, query);
        std::ostringstream out;
        out << r.cellSet.cells.size() << " cells:";
        for (const auto& cell : r.cellSet.cells) {
            out << ' ';
            if (cell.value)
                out << *cell.value;
            else
                out << '-';
            out << '[' << cell.formatted << ']';
        }
        return out.str();
    } catch (const std::exception& e) {
        return std::string("error: ") + e.what();
    }
}

class AggregateTotal : public testing::TestWithParam<TotalCase> { };

TEST_P(AggregateTotal, SameCellsAsTheReference)
{
    const TotalCase& c = GetParam();
    olaptest::TempDir dir;
    const auto cube = olaptest::BuildTinyCube(dir, c.schema);
    const std::string got = Cells(*cube, c.query);
    EXPECT_EQ(got, Cells(*cube, c.reference)) << c.query;
    EXPECT_EQ(got.rfind("error", 0), std::string::npos) << got;
    EXPECT_EQ(got.rfind("0 cells", 0), std::string::npos) << "a case must have cells to compare";
}

#define PRODUCT_TOTAL(set) "WITH MEMBER [Product].[Pivot Total] AS '" set "' "
#define TOTAL_BY_QUARTER "NON EMPTY CrossJoin({[Product].[Pivot Total]}, [Time].[Quarter].Members) ON 1 FROM [Shop]"

const TotalCase kCases[] = {
    {"category total by quarter",
        PRODUCT_TOTAL("Aggregate([Product].[Category].Members)") "SELECT {[Measures].[Qty], [Measures].[Rows], "
                                                                 "[Measures].[Price Sum]} ON 0, " TOTAL_BY_QUARTER,
        PRODUCT_TOTAL("Sum([Product].[Category].Members)") "SELECT {[Measures].[Qty], [Measures].[Rows], "
                                                           "[Measures].[Price Sum]} ON 0, " TOTAL_BY_QUARTER},
    {"total next to the members, crossed with channels",
        PRODUCT_TOTAL("Aggregate([Product].[Category].Members)") "SELECT {[Measures].[Qty]} ON 0, NON EMPTY "
                                                                 "CrossJoin({[Product].[Category].Members, "
                                                                 "[Product].[Pivot Total]},"
                                                                 " [Channel].[Channel].Members) ON 1 FROM [Shop]",
        PRODUCT_TOTAL(
            "Sum([Product].[Category].Members)") "SELECT {[Measures].[Qty]} ON 0, NON EMPTY "
                                                 "CrossJoin({[Product].[Category].Members, [Product].[Pivot Total]},"
                                                 " [Channel].[Channel].Members) ON 1 FROM [Shop]"},
    {"filter's kept members, minimum",
        PRODUCT_TOTAL("Aggregate({[Product].[Apple], [Product].[Milk]})") "SELECT {[Measures].[Min Price]} ON "
                                                                          "0, " TOTAL_BY_QUARTER,
        PRODUCT_TOTAL(
            "Min({[Product].[Apple], [Product].[Milk]})") "SELECT {[Measures].[Min Price]} ON 0, " TOTAL_BY_QUARTER},
    {"filter's kept members, maximum",
        PRODUCT_TOTAL("Aggregate({[Product].[Pear], [Product].[Apple]})") "SELECT {[Measures].[Max Price]} ON "
                                                                          "0, " TOTAL_BY_QUARTER,
        PRODUCT_TOTAL(
            "Max({[Product].[Pear], [Product].[Apple]})") "SELECT {[Measures].[Max Price]} ON 0, " TOTAL_BY_QUARTER},
    {"distinct count over kept members is the set as slicer",
        PRODUCT_TOTAL(
            "Aggregate({[Product].[Apple], [Product].[Milk]})") "SELECT {[Measures].[Customers], [Measures].[Avg "
                                                                "Price]} ON 0, " TOTAL_BY_QUARTER,
        "SELECT {[Measures].[Customers], [Measures].[Avg Price]} ON 0, NON EMPTY [Time].[Quarter].Members ON 1"
        " FROM [Shop] WHERE {[Product].[Apple], [Product].[Milk]}"},
    {"member slicer",
        PRODUCT_TOTAL("Aggregate([Product].[Product].Members)") "SELECT {[Measures].[Qty], [Measures].[Rows]} ON "
                                                                "0, " TOTAL_BY_QUARTER " WHERE [Channel].[Web]",
        PRODUCT_TOTAL(
            "Sum([Product].[Product].Members)") "SELECT {[Measures].[Qty], [Measures].[Rows]} ON 0, " TOTAL_BY_QUARTER
                                                " WHERE [Channel].[Web]"},
    {"set slicer, distinct count",
        PRODUCT_TOTAL(
            "Aggregate({[Product].[Pear], [Product].[Milk]})") "SELECT {[Measures].[Customers]} ON 0, NON EMPTY "
                                                               "CrossJoin({[Product].[Pivot Total]},"
                                                               " [Channel].[Channel].Members) ON 1 FROM [Shop] WHERE "
                                                               "{[Time].[2023].[Q1], [Time].[2024].[Q2]}",
        "SELECT {[Measures].[Customers]} ON 0, NON EMPTY [Channel].[Channel].Members ON 1 FROM [Shop]"
        " WHERE {([Product].[Pear], [Time].[2023].[Q1]), ([Product].[Pear], [Time].[2024].[Q2]),"
        " ([Product].[Milk], [Time].[2023].[Q1]), ([Product].[Milk], [Time].[2024].[Q2])}"},
    {"totals on two hierarchies crossed",
        "WITH MEMBER [Product].[Pivot Total] AS 'Aggregate([Product].[Category].Members)'"
        " MEMBER [Time].[Pivot Total] AS 'Aggregate([Time].[Year].Members)'"
        " SELECT {[Measures].[Qty], [Measures].[Max Price]} ON 0,"
        " NON EMPTY CrossJoin({[Product].[Fruit], [Product].[Pivot Total]}, {[Time].[2024], [Time].[Pivot Total]})"
        " ON 1 FROM [Shop]",
        "WITH MEMBER [Product].[Pivot Total] AS 'IIf([Measures].CurrentMember IS [Measures].[Qty],"
        " Sum([Product].[Category].Members), Max([Product].[Category].Members))'"
        " MEMBER [Time].[Pivot Total] AS 'IIf([Measures].CurrentMember IS [Measures].[Qty],"
        " Sum([Time].[Year].Members), Max([Time].[Year].Members))'"
        " SELECT {[Measures].[Qty], [Measures].[Max Price]} ON 0,"
        " NON EMPTY CrossJoin({[Product].[Fruit], [Product].[Pivot Total]}, {[Time].[2024], [Time].[Pivot Total]})"
        " ON 1 FROM [Shop]"},
    {"named set that depends on cells (read again once they are fetched)",
        "WITH SET [Kept] AS 'Filter([Product].[Product].Members, [Measures].[Qty] > 2)'"
        " MEMBER [Product].[Pivot Total] AS 'Aggregate([Kept])'"
        " SELECT {[Measures].[Qty], [Measures].[Rows]} ON 0, " TOTAL_BY_QUARTER,
        "WITH SET [Kept] AS 'Filter([Product].[Product].Members, [Measures].[Qty] > 2)'"
        " MEMBER [Product].[Pivot Total] AS 'Sum([Kept])'"
        " SELECT {[Measures].[Qty], [Measures].[Rows]} ON 0, " TOTAL_BY_QUARTER},
    {"set that depends on the cell's context",
        PRODUCT_TOTAL(
            "Aggregate(Filter([Product].[Product].Members, [Measures].[Qty] > 1))") "SELECT {[Measures].[Qty]} ON "
                                                                                    "0, " TOTAL_BY_QUARTER,
        PRODUCT_TOTAL("Sum(Filter([Product].[Product].Members, [Measures].[Qty] > 1))") "SELECT {[Measures].[Qty]} ON "
                                                                                        "0, " TOTAL_BY_QUARTER},
    {"calculated member in the set takes the formula",
        "WITH MEMBER [Product].[Fruit Too] AS '[Product].[Fruit]'"
        " MEMBER [Product].[Pivot Total] AS 'Aggregate({[Product].[Fruit Too], [Product].[Dairy]})'"
        " SELECT {[Measures].[Qty]} ON 0, " TOTAL_BY_QUARTER,
        PRODUCT_TOTAL(
            "Sum({[Product].[Fruit], [Product].[Dairy]})") "SELECT {[Measures].[Qty]} ON 0, " TOTAL_BY_QUARTER},
    {"calculated measures next to stored ones over the same total",
        "WITH MEMBER [Measures].[Twice] AS '[Measures].[Qty] * 2'"
        " MEMBER [Product].[Pivot Total] AS 'Aggregate([Product].[Category].Members)'"
        " SELECT {[Measures].[Twice], [Measures].[Qty], [Measures].[Qty per Row]} ON 0, " TOTAL_BY_QUARTER,
        "WITH MEMBER [Measures].[Twice] AS '[Measures].[Qty] * 2'"
        " MEMBER [Product].[Pivot Total] AS 'Sum([Product].[Category].Members)'"
        " SELECT {[Measures].[Twice], [Measures].[Qty], [Measures].[Qty per Row]} ON 0, " TOTAL_BY_QUARTER},
    {"hierarchy without All member",
        "WITH MEMBER [Channel].[Pivot Total] AS 'Aggregate([Channel].[Channel].Members)'"
        " SELECT {[Measures].[Qty], [Measures].[Min Price]} ON 0,"
        " NON EMPTY CrossJoin([Product].[Category].Members, {[Channel].[Pivot Total]}) ON 1 FROM [Shop]",
        "WITH MEMBER [Channel].[Pivot Total] AS 'IIf([Measures].CurrentMember IS [Measures].[Qty],"
        " Sum([Channel].[Channel].Members), Min([Channel].[Channel].Members))'"
        " SELECT {[Measures].[Qty], [Measures].[Min Price]} ON 0,"
        " NON EMPTY CrossJoin([Product].[Category].Members, {[Channel].[Pivot Total]}) ON 1 FROM [Shop]",
        "tiny_noall.xml"},
    {"hierarchy without All member, distinct count",
        "WITH MEMBER [Channel].[Pivot Total] AS 'Aggregate([Channel].[Channel].Members)'"
        " SELECT {[Measures].[Customers]} ON 0, NON EMPTY CrossJoin([Product].[Category].Members,"
        " {[Channel].[Pivot Total]}) ON 1 FROM [Shop]",
        "SELECT {[Measures].[Customers]} ON 0, NON EMPTY [Product].[Category].Members ON 1 FROM [Shop]"
        " WHERE [Channel].[Channel].Members",
        "tiny_noall.xml"},
};

// Totals read from one request over the whole grid, against the same totals computed cell by
// cell: a formula that only wraps Aggregate (IIf with equal branches) is no total of its own.
#define CELL_BY_CELL(set) "IIf(1 = 1, Aggregate(" set "), Aggregate(" set "))"
#define TWO_TOTALS(product, time)                                                                                      \
    "WITH MEMBER [Product].[Pivot Total] AS '" product "' MEMBER [Time].[Pivot Total] AS '" time "'"
#define ALL_MEASURES                                                                                                   \
    "{[Measures].[Qty], [Measures].[Rows], [Measures].[Min Price], [Measures].[Max Price], "                           \
    "[Measures].[Avg Price], [Measures].[Customers]}"

const TotalCase kGridCases[] = {
    {"totals on both axes, every aggregator",
        TWO_TOTALS("Aggregate({[Product].[Apple], [Product].[Milk]})",
            "Aggregate([Time].[2024].Children)") " SELECT CrossJoin({[Time].[2023], [Time].[2024].[Q1], [Time].[Pivot "
                                                 "Total]}, " ALL_MEASURES ") ON 0,"
                                                 " {[Product].[Fruit], [Product].[Pear], [Product].[Pivot Total]} ON 1 "
                                                 "FROM [Shop]",
        TWO_TOTALS(CELL_BY_CELL("{[Product].[Apple], [Product].[Milk]}"),
            CELL_BY_CELL("[Time].[2024].Children")) " SELECT CrossJoin({[Time].[2023], [Time].[2024].[Q1], "
                                                    "[Time].[Pivot Total]}, " ALL_MEASURES ") ON 0,"
                                                    " {[Product].[Fruit], [Product].[Pear], [Product].[Pivot Total]} "
                                                    "ON 1 FROM [Shop]"},
    {"total crossed with a set slicer and a sub-select",
        TWO_TOTALS("Aggregate([Product].[Product].Members)",
            "Aggregate([Time].[Year].Members)") " SELECT " ALL_MEASURES
                                                " ON 0, CrossJoin({[Product].[Pivot Total], [Product].[Fruit]},"
                                                " {[Time].[Pivot Total], [Time].[2024]}) ON 1"
                                                " FROM (SELECT {[Product].[Apple], [Product].[Milk], [Product].[Pear]} "
                                                "ON 0 FROM [Shop])"
                                                " WHERE {[Channel].[Web], [Channel].[Shop]}",
        TWO_TOTALS(CELL_BY_CELL("[Product].[Product].Members"),
            CELL_BY_CELL("[Time].[Year].Members")) " SELECT " ALL_MEASURES
                                                   " ON 0, CrossJoin({[Product].[Pivot Total], [Product].[Fruit]},"
                                                   " {[Time].[Pivot Total], [Time].[2024]}) ON 1"
                                                   " FROM (SELECT {[Product].[Apple], [Product].[Milk], "
                                                   "[Product].[Pear]} ON 0 FROM [Shop])"
                                                   " WHERE {[Channel].[Web], [Channel].[Shop]}"},
    {"compound slicer under a total",
        PRODUCT_TOTAL(
            "Aggregate({[Product].[Pear], [Product].[Apple]})") "SELECT " ALL_MEASURES " ON 0,"
                                                                " {[Product].[Pivot Total], [Product].[Apple]} ON 1 "
                                                                "FROM [Shop]"
                                                                " WHERE {([Time].[2023].[Q1], [Channel].[Shop]), "
                                                                "([Time].[2024].[Q2], [Channel].[Web])}",
        PRODUCT_TOTAL(CELL_BY_CELL(
            "{[Product].[Pear], [Product].[Apple]}")) "SELECT " ALL_MEASURES " ON 0,"
                                                      " {[Product].[Pivot Total], [Product].[Apple]} ON 1 FROM [Shop]"
                                                      " WHERE {([Time].[2023].[Q1], [Channel].[Shop]), "
                                                      "([Time].[2024].[Q2], [Channel].[Web])}"},
    {"empty set",
        PRODUCT_TOTAL("Aggregate(Head([Product].[Product].Members, 0))") "SELECT " ALL_MEASURES " ON 0,"
                                                                         " {[Product].[Pivot Total], [Product].[Milk]} "
                                                                         "ON 1 FROM [Shop]",
        PRODUCT_TOTAL(CELL_BY_CELL(
            "Head([Product].[Product].Members, 0)")) "SELECT " ALL_MEASURES " ON 0,"
                                                     " {[Product].[Pivot Total], [Product].[Milk]} ON 1 FROM [Shop]"},
    {"member listed twice",
        PRODUCT_TOTAL(
            "Aggregate({[Product].[Apple], [Product].[Milk], [Product].[Apple]})") "SELECT " ALL_MEASURES
                                                                                   " ON 0, {[Product].[Pivot Total], "
                                                                                   "[Product].[Apple]} ON 1 FROM "
                                                                                   "[Shop]",
        PRODUCT_TOTAL(CELL_BY_CELL(
            "{[Product].[Apple], [Product].[Milk], [Product].[Apple]}")) "SELECT " ALL_MEASURES
                                                                         " ON 0, {[Product].[Pivot Total], "
                                                                         "[Product].[Apple]} ON 1 FROM [Shop]"},
    {"parent with its child and the All member in other totals",
        TWO_TOTALS("Aggregate({[Product].[Fruit], [Product].[Apple], [Product].[Milk]})",
            "Aggregate({[Time].[All Periods]})") " SELECT " ALL_MEASURES
                                                 " ON 0, CrossJoin({[Product].[Pivot Total]}, {[Time].[Pivot Total],"
                                                 " [Time].[2023].[Q2]}) ON 1 FROM [Shop]",
        TWO_TOTALS(CELL_BY_CELL("{[Product].[Fruit], [Product].[Apple], [Product].[Milk]}"),
            CELL_BY_CELL("{[Time].[All Periods]}")) " SELECT " ALL_MEASURES
                                                    " ON 0, CrossJoin({[Product].[Pivot Total]}, {[Time].[Pivot Total],"
                                                    " [Time].[2023].[Q2]}) ON 1 FROM [Shop]"},
    {"set over two hierarchies is left to the formula",
        PRODUCT_TOTAL(
            "Aggregate(CrossJoin({[Product].[Apple], [Product].[Pear]}, {[Channel].[Web]}))") "SELECT " ALL_MEASURES
                                                                                              " ON 0, "
                                                                                              "{[Product].[Pivot "
                                                                                              "Total], "
                                                                                              "[Product].[Apple]} ON 1 "
                                                                                              "FROM [Shop]",
        PRODUCT_TOTAL(CELL_BY_CELL(
            "CrossJoin({[Product].[Apple], [Product].[Pear]}, {[Channel].[Web]})")) "SELECT " ALL_MEASURES
                                                                                    " ON 0, {[Product].[Pivot Total], "
                                                                                    "[Product].[Apple]} ON 1 FROM "
                                                                                    "[Shop]"},
    {"total with its own format string",
        "WITH MEMBER [Product].[Pivot Total] AS 'Aggregate([Product].[Category].Members)', FORMAT_STRING = '0.0'"
        " SELECT {[Measures].[Qty], [Measures].[Customers]} ON 0, {[Product].[Pivot Total], [Product].[Fruit]} ON 1"
        " FROM [Shop]",
        "WITH MEMBER [Product].[Pivot Total] AS '" CELL_BY_CELL(
            "[Product].[Category].Members") "', FORMAT_STRING = '0.0'"
                                            " SELECT {[Measures].[Qty], [Measures].[Customers]} ON 0, "
                                            "{[Product].[Pivot Total], [Product].[Fruit]} ON 1"
                                            " FROM [Shop]"},
    {"calculated measure and a total of a calculated member beside bulk cells",
        "WITH MEMBER [Measures].[Half] AS '[Measures].[Qty] / 2'"
        " MEMBER [Product].[Fruit Too] AS '[Product].[Fruit]'"
        " MEMBER [Product].[Pivot Total] AS 'Aggregate([Product].[Category].Members)'"
        " MEMBER [Product].[Odd Total] AS 'Aggregate({[Product].[Fruit Too], [Product].[Dairy]})'"
        " SELECT {[Measures].[Qty], [Measures].[Half], [Measures].[Customers]} ON 0,"
        " NON EMPTY CrossJoin({[Product].[Pivot Total], [Product].[Odd Total], [Product].[Snacks]},"
        " [Time].[Quarter].Members) ON 1 FROM [Shop]",
        "WITH MEMBER [Measures].[Half] AS '[Measures].[Qty] / 2'"
        " MEMBER [Product].[Fruit Too] AS '[Product].[Fruit]'"
        " MEMBER [Product].[Pivot Total] AS '" CELL_BY_CELL(
            "[Product].[Category].Members") "'"
                                            " MEMBER [Product].[Odd Total] AS '" CELL_BY_CELL(
                                                "{[Product].[Fruit Too], [Product].[Dairy]}") "'"
                                                                                              " SELECT "
                                                                                              "{[Measures].[Qty], "
                                                                                              "[Measures].[Half], "
                                                                                              "[Measures].[Customers]} "
                                                                                              "ON 0,"
                                                                                              " NON EMPTY "
                                                                                              "CrossJoin({[Product].["
                                                                                              "Pivot Total], "
                                                                                              "[Product].[Odd Total], "
                                                                                              "[Product].[Snacks]},"
                                                                                              " [Time].[Quarter]."
                                                                                              "Members) ON 1 FROM "
                                                                                              "[Shop]"},
    {"hierarchy without All member, total against a slicer",
        "WITH MEMBER [Channel].[Pivot Total] AS 'Aggregate({[Channel].[Web], [Channel].[Shop]})'"
        " SELECT " ALL_MEASURES " ON 0, CrossJoin({[Channel].[Pivot Total], [Channel].[Web]},"
        " {[Product].[Fruit], [Product].[Dairy]}) ON 1 FROM [Shop] WHERE [Time].[2024]",
        "WITH MEMBER [Channel].[Pivot Total] AS '" CELL_BY_CELL(
            "{[Channel].[Web], [Channel].[Shop]}") "'"
                                                   " SELECT " ALL_MEASURES
                                                   " ON 0, CrossJoin({[Channel].[Pivot Total], [Channel].[Web]},"
                                                   " {[Product].[Fruit], [Product].[Dairy]}) ON 1 FROM [Shop] WHERE "
                                                   "[Time].[2024]",
        "tiny_noall.xml"},
};

INSTANTIATE_TEST_SUITE_P(Grids, AggregateTotal, testing::ValuesIn(kGridCases));

#undef CELL_BY_CELL
#undef TWO_TOTALS
#undef ALL_MEASURES
#undef PRODUCT_TOTAL
#undef TOTAL_BY_QUARTER

INSTANTIATE_TEST_SUITE_P(Cases, AggregateTotal, testing::ValuesIn(kCases));

} // namespace
