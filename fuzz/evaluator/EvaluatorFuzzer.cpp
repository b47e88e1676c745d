// Fuzzes the MDX evaluator: the input bytes choose a query from a small grammar (calculated
// members and sets, navigation, set functions, aggregates, emptiness tests, slicers) that
// runs against the hand-computed tiny cube of the tests, on a worker thread with the stack
// MdxEvaluator::kStackBytes asks for, as the program's query threads run them. Findings are
// crashes, sanitizer reports, hangs (libFuzzer's -timeout) and exceptions other than OlapError.

#include "olap/model/Cube.h"
#include "olap/query/MdxEvaluator.h"
#include "olap/schema/SchemaReader.h"
#include "olap/storage/CubeBuilder.h"
#include "olap/util/OlapError.h"
#include "olap/util/SqliteDb.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include <pthread.h>

namespace {

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

const olap::Cube& TinyCube()
{
    static std::unique_ptr<olap::Cube> cube = [] {
        olap::SqliteDb db(":memory:", olap::SqliteDb::Mode::Memory);
        db.Exec(ReadText(std::string(TINY_DATA) + "/tiny.sql"));
        const auto schema = olap::SchemaReader::ReadFile(std::string(TINY_DATA) + "/tiny.xml");
        return olap::CubeBuilder::Build(schema.name, schema.cubes.front(), db);
    }();
    return *cube;
}

// Reads choices from the fuzz input; past its end every choice is 0 (the simplest form), so
// every input gives a finite query.
class Choices {
public:
    Choices(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) { }
    std::size_t Pick(std::size_t n) { return m_pos < m_size ? m_data[m_pos++] % n : 0; }
    template <std::size_t N> const char* From(const char* const (&items)[N]) { return items[Pick(N)]; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

const char* const kMembers[] = {"[Time].[2023]", "[Time].[2024].[Q1]", "[Time].[All Periods]", "[Product].[Fruit]",
    "[Product].[Dairy].[Cheese]", "[Product].[Snacks]", "[Product].[All Products]", "[Channel].[Web]",
    "[Channel].[Shop]", "[Measures].[Qty]", "[Measures].[Customers]", "[Measures].[Avg Price]", "[Measures].[M0]",
    "[Measures].[M1]", "[Product].[P0]", "[Time].[2099]"};
const char* const kHierarchies[] = {"[Time]", "[Product]", "[Channel]", "[Measures]"};
const char* const kLevels[] = {"[Time].[Year]", "[Time].[Quarter]", "[Product].[Category]", "[Product].[Product]",
    "[Channel].[Channel]", "[Measures].[MeasuresLevel]"};
const char* const kMemberFunctions[]
    = {".Parent", ".FirstChild", ".LastChild", ".PrevMember", ".NextMember", ".FirstSibling", ".Lag(1)", ".Lead(-2)"};
const char* const kSetFunctions[] = {"Children", "Siblings", "Ascendants"};
const char* const kNumberFunctions[] = {"Sum", "Avg", "Min", "Max", "Aggregate"};
const char* const kOperators[] = {" + ", " - ", " * ", " / ", " ^ ", " > ", " = ", " AND ", " OR ", " || "};

std::string Number(Choices& c, int depth);
std::string Set(Choices& c, int depth);

std::string Member(Choices& c, int depth)
{
    switch (depth > 0 ? c.Pick(4) : 0) {
    case 1:
        return Member(c, depth - 1) + c.From(kMemberFunctions);
    case 2:
        return std::string(c.From(kHierarchies)) + ".CurrentMember";
    case 3:
        return "Ancestor(" + Member(c, depth - 1) + ", " + c.From(kLevels) + ")";
    default:
        return c.From(kMembers);
    }
}

std::string Set(Choices& c, int depth)
{
    switch (depth > 0 ? c.Pick(14) : 0) {
    case 1:
        return std::string(c.From(kLevels)) + ".Members";
    case 2:
        return "CrossJoin(" + Set(c, depth - 1) + ", " + Set(c, depth - 1) + ")";
    case 3:
        return "Filter(" + Set(c, depth - 1) + ", " + Number(c, depth - 1) + ")";
    case 4:
        return "NonEmpty(" + Set(c, depth - 1) + (c.Pick(2) ? ", " + Set(c, depth - 1) : std::string()) + ")";
    case 5:
        return "Order(" + Set(c, depth - 1) + ", " + Number(c, depth - 1) + (c.Pick(2) ? ", BDESC)" : ")");
    case 6:
        return "TopCount(" + Set(c, depth - 1) + ", " + std::to_string(c.Pick(5)) + ", " + Number(c, depth - 1) + ")";
    case 7:
        return "Descendants(" + Member(c, depth - 1) + ", " + c.From(kLevels) + ")";
    case 8:
        return "Generate(" + Set(c, depth - 1) + ", " + Set(c, depth - 1) + ")";
    case 9:
        return std::string(c.Pick(2) ? "Union(" : "Except(") + Set(c, depth - 1) + ", " + Set(c, depth - 1) + ")";
    case 10:
        return "[S0]";
    case 11:
        return Member(c, depth - 1) + "." + c.From(kSetFunctions);
    case 12:
        return "Hierarchize(" + Set(c, depth - 1) + ")";
    case 13:
        return "{" + Member(c, depth - 1) + ":" + Member(c, depth - 1) + "}";
    default:
        return "{" + Member(c, depth) + "}";
    }
}

std::string Number(Choices& c, int depth)
{
    switch (depth > 0 ? c.Pick(10) : 0) {
    case 1:
        return "(" + Number(c, depth - 1) + c.From(kOperators) + Number(c, depth - 1) + ")";
    case 2:
        return std::string(c.From(kNumberFunctions)) + "(" + Set(c, depth - 1) + ", " + Number(c, depth - 1) + ")";
    case 3:
        return "Count(" + Set(c, depth - 1) + (c.Pick(2) ? ", EXCLUDEEMPTY)" : ")");
    case 4:
        return "IIf(" + Number(c, depth - 1) + ", " + Number(c, depth - 1) + ", " + Number(c, depth - 1) + ")";
    case 5:
        return "(" + Member(c, depth - 1) + ", " + Member(c, depth - 1) + ")";
    case 6:
        return "CoalesceEmpty(" + Number(c, depth - 1) + ", 0)";
    case 7:
        return "IsEmpty(" + Number(c, depth - 1) + ")";
    case 8:
        return Member(c, depth - 1) + ".Name";
    case 9:
        return std::to_string(static_cast<int>(c.Pick(7)) - 2);
    default:
        return Member(c, depth);
    }
}

std::string Query(Choices& c)
{
    const int depth = 1 + static_cast<int>(c.Pick(5));
    std::string query;
    if (c.Pick(2))
        query += " MEMBER [Measures].[M0] AS " + Number(c, depth);
    if (c.Pick(2))
        query += " MEMBER [Measures].[M1] AS " + Number(c, depth);
    if (c.Pick(2))
        query += " MEMBER [Product].[P0] AS " + Number(c, depth);
    if (c.Pick(2))
        query += " SET [S0] AS " + Set(c, depth);
    if (!query.empty())
        query = "WITH" + query + " ";
    const bool drillthrough = c.Pick(8) == 0;
    if (drillthrough)
        query = "DRILLTHROUGH " + query;
    query += "SELECT ";
    if (c.Pick(4))
        query += std::string(c.Pick(3) == 0 ? "NON EMPTY " : "") + Set(c, depth) + " ON 0";
    if (c.Pick(2))
        query += std::string(c.Pick(3) == 0 ? ", NON EMPTY " : ", ") + Set(c, depth) + " ON 1";
    if (query.back() == ',')
        query.pop_back();
    query += " FROM [Shop]";
    if (c.Pick(2))
        query += " WHERE " + (c.Pick(3) ? "(" + Member(c, depth) + ")" : Set(c, depth));
    return query;
}

struct Job {
    std::string query;
    std::string unexpected;
};

void* RunJob(void* arg)
{
    Job& job = *static_cast<Job*>(arg);
    try {
        olap::MdxEvaluator::Execute(TinyCube(), job.query);
    } catch (const olap::OlapError&) {
        // A clear error is an answer.
    } catch (const std::exception& e) {
        job.unexpected = e.what();
    }
    return nullptr;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const olap::Cube& cube = TinyCube(); // built once, on the main thread
    (void)cube;
    Choices choices(data, size);
    Job job {Query(choices), {}};
    if (std::getenv("EVALUATOR_FUZZ_PRINT"))
        std::fprintf(stderr, "%s\n", job.query.c_str());
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, olap::MdxEvaluator::kStackBytes);
    pthread_t thread;
    if (pthread_create(&thread, &attr, RunJob, &job) != 0)
        std::abort();
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
    if (!job.unexpected.empty()) {
        std::fprintf(
            stderr, "FINDING: exception other than OlapError: %s\n%s\n", job.unexpected.c_str(), job.query.c_str());
        std::abort();
    }
    return 0;
}
