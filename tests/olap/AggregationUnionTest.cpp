// A union position of a grouping (a total over a set of members) must hold what a request
// with that set as its slicer holds: the rows under any member of the set, each row once.
#include "OlapTestSupport.h"

#include "olap/exec/AggregationEngine.h"
#include "olap/exec/AggregationResult.h"
#include "olap/model/Cube.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Level.h"
#include "olap/model/Measure.h"
#include "olap/model/Member.h"
#include "olap/sample/SalesSample.h"
#include "olap/storage/CubeFile.h"
#include "olap/util/OlapError.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Names = std::vector<std::string>;

struct UnionCase {
    const char* title;
    const char* hierarchy;
    Names members; //!< the grouping's own members
    std::vector<Names> unions;
};

void PrintTo(const UnionCase& c, std::ostream* os)
{
    *os << c.title;
}

class SampleUnions : public ::testing::TestWithParam<UnionCase> {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new olaptest::TempDir;
        olap::SalesSample::WriteAll(s_dir->Path("s"), 40000, 7);
        s_cube = olap::CubeFile::Read(s_dir->Path("s/Sales.cub")).release();
    }
    static void TearDownTestSuite()
    {
        delete s_cube;
        delete s_dir;
    }
    static std::vector<const olap::Member*> Members(const Names& names)
    {
        std::vector<const olap::Member*> out;
        for (const std::string& name : names) {
            const olap::Member* m = s_cube->FindMember(name);
            if (!m)
                throw std::runtime_error("no member " + name);
            out.push_back(m);
        }
        return out;
    }
    static std::vector<int> AllMeasures()
    {
        std::vector<int> measures;
        for (std::size_t m = 0; m < s_cube->Measures().size(); ++m)
            measures.push_back(static_cast<int>(m));
        return measures;
    }

    static olaptest::TempDir* s_dir;
    static olap::Cube* s_cube;
};

olaptest::TempDir* SampleUnions::s_dir = nullptr;
olap::Cube* SampleUnions::s_cube = nullptr;

bool Same(std::optional<double> a, std::optional<double> b)
{
    if (!a || !b)
        return a.has_value() == b.has_value();
    return std::abs(*a - *b) <= 1e-9 * std::max(1.0, std::abs(*b));
}

// Crossed with the quarters, each union position against the set as a slicer and each
// plain member against itself as a slicer, on one thread and two, through the cache.
TEST_P(SampleUnions, UnionPositionsAreTheSetAsSlicer)
{
    const UnionCase& c = GetParam();
    const olap::Hierarchy* h = s_cube->FindHierarchy(c.hierarchy);
    ASSERT_NE(h, nullptr);
    const olap::Level& quarters = *s_cube->FindLevel("[Time].[Quarter]");
    olap::AggregationRequest request;
    request.groupings.push_back(olap::MemberSet::OfLevel(quarters));
    request.groupings.push_back(olap::MemberSet {h, Members(c.members)});
    request.unions.resize(2);
    for (const Names& list : c.unions)
        request.unions[1].push_back(Members(list));
    request.slicer.push_back(olap::MemberSet::Of(*s_cube->FindMember("[Customer].[F]")));
    request.measures = AllMeasures();

    std::vector<Names> sets;
    for (const std::string& m : c.members)
        sets.push_back({m});
    sets.insert(sets.end(), c.unions.begin(), c.unions.end());
    for (int threads : {1, 2}) {
        auto result = olap::AggregationEngine::Aggregate(*s_cube, request, {threads, true});
        ASSERT_EQ(result->PositionCount(1), sets.size());
        ASSERT_EQ(result->CellCount(), quarters.Members().size() * sets.size());
        for (std::size_t p = 0; p < sets.size(); ++p) {
            std::optional<std::vector<std::optional<double>>> none;
            std::shared_ptr<const olap::AggregationResult> reference;
            if (!sets[p].empty()) {
                olap::AggregationRequest alone;
                alone.groupings.push_back(olap::MemberSet::OfLevel(quarters));
                alone.slicer = {olap::MemberSet {h, Members(sets[p])}, request.slicer[0]};
                alone.measures = request.measures;
                reference = olap::AggregationEngine::Aggregate(*s_cube, alone, {threads, false});
            }
            for (std::uint32_t q = 0; q < quarters.Members().size(); ++q) {
                const std::uint32_t at[] = {q, static_cast<std::uint32_t>(p)};
                for (std::size_t m = 0; m < request.measures.size(); ++m) {
                    const std::optional<double> got = result->Value(result->CellIndex(at), m);
                    const std::optional<double> want = reference ? reference->Value(q, m) : std::nullopt;
                    EXPECT_TRUE(Same(got, want))
                        << "position " << p << ", quarter " << q << ", measure " << m << ", threads " << threads << ": "
                        << got.value_or(-1) << " vs " << want.value_or(-1);
                }
            }
        }
    }
}

const UnionCase kUnionCases[] = {
    {"two categories", "[Product]", {"[Product].[Drink]"}, {{"[Product].[Drink]", "[Product].[Food]"}}},
    {"a member listed twice", "[Product]", {}, {{"[Product].[Food].[Dairy]", "[Product].[Food].[Dairy]"}}},
    {"a parent with its child", "[Product]", {"[Product].[Drink].[Juice]"},
        {{"[Product].[Drink]", "[Product].[Drink].[Juice]"}, {"[Product].[Drink].[Juice]", "[Product].[Drink]"}}},
    {"levels mixed across branches", "[Product]", {"[Product].[All Products]"},
        {{"[Product].[Food].[Dairy].[Golden Milk]", "[Product].[Non-Consumable]", "[Product].[Drink].[Juice]"}}},
    {"several unions and the All member", "[Product]", {"[Product].[Food]"},
        {{"[Product].[All Products]"}, {"[Product].[Drink]"}, {"[Product].[Food]", "[Product].[Non-Consumable]"}}},
    {"an empty union", "[Store]", {"[Store].[USA]"}, {{}, {"[Store].[USA]", "[Store].[Mexico]"}}},
    {"only unions, leaves and countries", "[Store]", {},
        {{"[Store].[Mexico]", "[Store].[USA]", "[Store].[Canada]"}, {"[Store].[Canada]"}}},
};

INSTANTIATE_TEST_SUITE_P(Cases, SampleUnions, ::testing::ValuesIn(kUnionCases));

TEST_F(SampleUnions, RejectsUnionsOfAnotherHierarchyOrWithoutGrouping)
{
    olap::AggregationRequest request;
    request.groupings.push_back(olap::MemberSet::OfLevel(*s_cube->FindLevel("[Product].[Category]")));
    request.measures = {0};
    request.unions = {{Members({"[Store].[USA]"})}};
    EXPECT_THROW(olap::AggregationEngine::Aggregate(*s_cube, request), olap::OlapError);
    request.unions = {{}, {}};
    EXPECT_THROW(olap::AggregationEngine::Aggregate(*s_cube, request), olap::OlapError);
}

} // namespace

namespace {

// Requests that differ only in their unions have different answers: the cache must not hand
// one the other's.
TEST_F(SampleUnions, CacheTellsUnionsApart)
{
    const olap::Level& quarters = *s_cube->FindLevel("[Time].[Quarter]");
    const olap::Hierarchy* product = s_cube->FindHierarchy("[Product]");
    const int units = s_cube->FindMeasure("Unit Sales")->Index();
    for (const char* category : {"[Product].[Drink]", "[Product].[Food]", "[Product].[Non-Consumable]"}) {
        olap::AggregationRequest request;
        request.groupings = {olap::MemberSet::OfLevel(quarters), olap::MemberSet {product, {}}};
        request.unions = {{}, {Members({category})}};
        request.measures = {units};
        olap::AggregationRequest alone;
        alone.groupings = {olap::MemberSet::OfLevel(quarters)};
        alone.slicer = {olap::MemberSet {product, Members({category})}};
        alone.measures = {units};
        const auto got = olap::AggregationEngine::Aggregate(*s_cube, request);
        const auto want = olap::AggregationEngine::Aggregate(*s_cube, alone, {1, false});
        for (std::uint32_t q = 0; q < quarters.Members().size(); ++q) {
            const std::uint32_t at[] = {q, 0};
            EXPECT_TRUE(Same(got->Value(got->CellIndex(at), 0), want->Value(q, 0))) << category << ", quarter " << q;
        }
    }
}

} // namespace
