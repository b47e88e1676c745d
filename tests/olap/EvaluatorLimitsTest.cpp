// The evaluator's recursion stays within the stack of the thread it runs on: the deepest
// queries it accepts answer on a thread with MdxEvaluator::kStackBytes (sanitizer builds
// included), and on a smaller stack they fail with an error instead of overflowing it.
#include "OlapTestSupport.h"

#include "olap/access/Connection.h"
#include "olap/access/LocalCubeProvider.h"
#include "olap/mdx/Parser.h"
#include "olap/query/CancellationToken.h"
#include "olap/query/MdxEvaluator.h"
#include "olap/query/QueryCancelled.h"
#include "olap/util/OlapError.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <pthread.h>
#include <thread>

namespace {

// Runs BODY on a new thread with STACKBYTES of stack and waits for it.
void RunOnThread(std::size_t stackBytes, const std::function<void()>& body)
{
    pthread_attr_t attr;
    ASSERT_EQ(pthread_attr_init(&attr), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attr, stackBytes), 0);
    pthread_t thread;
    auto run = [](void* arg) -> void* {
        (*static_cast<const std::function<void()>*>(arg))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attr, run, const_cast<std::function<void()>*>(&body)), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
}

// INNER inside LEVELS levels of Sum and IIf (two evaluation levels each).
std::string Nested(int levels, const std::string& inner)
{
    std::string e = inner;
    for (int i = 0; i < levels; ++i)
        e = "Sum({[Time].CurrentMember}, IIf(Count(Filter({[Product].CurrentMember}, [Measures].[Qty] > -1)) > 0, " + e
            + ", 0))";
    return e;
}

std::string ChainOf(int members, const std::string& step)
{
    std::string query = "WITH MEMBER [Measures].[C0] AS [Measures].[Qty]";
    for (int i = 1; i < members; ++i) {
        std::string formula = step;
        const std::string prev = "[Measures].[C" + std::to_string(i - 1) + "]";
        for (std::size_t at; (at = formula.find("PREV")) != std::string::npos;)
            formula.replace(at, 4, prev);
        query += " MEMBER [Measures].[C" + std::to_string(i) + "] AS " + formula;
    }
    return query + " SELECT [Measures].[C" + std::to_string(members - 1) + "] ON 0 FROM [Shop]";
}

struct DeepQuery {
    const char* name;
    std::string query;
    const char* error; //!< part of the expected error on the full stack; nullptr: answers
};

std::vector<DeepQuery> DeepQueries()
{
    const std::string deepA = Nested(40, "[Measures].[Qty]");
    const std::string deepB = Nested(40, "[Measures].[A]");
    const std::string deepC = Nested(40, "[Measures].[B]");
    return {
        {"chain of 64 through functions",
            ChainOf(64, "Sum({[Time].CurrentMember}, PREV) + Count(Filter({[Time].CurrentMember}, PREV > 0))"),
            nullptr},
        {"chain of 65", ChainOf(65, "PREV + 1"), "depth limit of 64 calculated members"},
        {"expressions 240 deep",
            "WITH MEMBER [Measures].[A] AS " + Nested(40, "[Measures].[Qty]") + " MEMBER [Measures].[B] AS "
                + Nested(40, "[Measures].[A]") + " MEMBER [Measures].[C] AS " + Nested(40, "[Measures].[B]")
                + " SELECT [Measures].[C] ON 0 FROM [Shop]",
            nullptr},
        {"expressions 400 deep",
            "WITH MEMBER [Measures].[A] AS " + Nested(40, "[Measures].[Qty]") + " MEMBER [Measures].[B] AS "
                + Nested(40, "[Measures].[A]") + " MEMBER [Measures].[C] AS " + Nested(40, "[Measures].[B]")
                + " MEMBER [Measures].[D] AS " + Nested(40, "[Measures].[C]") + " MEMBER [Measures].[E] AS "
                + Nested(40, "[Measures].[D]") + " SELECT [Measures].[E] ON 0 FROM [Shop]",
            "depth limit of 256 levels"},
    };
}

class EvaluatorStack : public olaptest::TinyCubeSuite<> { };

TEST_F(EvaluatorStack, DeepestQueriesFitTheStackThreadsGet)
{
    for (const DeepQuery& q : DeepQueries()) {
        std::string error;
        RunOnThread(olap::MdxEvaluator::kStackBytes, [&] {
            try {
                olap::MdxEvaluator::Execute(*s_cube, q.query);
            } catch (const olap::OlapError& e) {
                error = e.what();
            }
        });
        if (q.error)
            EXPECT_NE(error.find(q.error), std::string::npos) << q.name << ": " << error;
        else
            EXPECT_EQ(error, "") << q.name;
    }
}

TEST_F(EvaluatorStack, SmallStackGivesAnErrorInsteadOfOverflowing)
{
    int stopped = 0;
    for (const DeepQuery& q : DeepQueries()) {
        // Parsed here: only the evaluator adapts its depth to the stack.
        auto statement = olap::mdx::ParseStatement(q.query);
        ASSERT_TRUE(statement.Ok()) << q.name;
        std::string error;
        RunOnThread(std::size_t(512) << 10, [&] {
            try {
                olap::MdxEvaluator::Execute(*s_cube, *statement.value);
            } catch (const olap::OlapError& e) {
                error = e.what();
            }
        });
        // Release builds may fit some of them; a sanitizer build does not.
        if (!error.empty() && !q.error) {
            EXPECT_NE(error.find("too deeply for the stack"), std::string::npos) << q.name << ": " << error;
        }
        stopped += error.find("too deeply for the stack") != std::string::npos ? 1 : 0;
    }
    EXPECT_GT(stopped, 0);
}

const char* const kAllTuples
    = "CrossJoin([Product].AllMembers, [Time].AllMembers, [Channel].AllMembers, [Measures].[MeasuresLevel].Members)";

TEST_F(EvaluatorStack, CrossjoinOverTheMemoryBudgetFailsBeforeItIsBuilt)
{
    const std::string query = std::string("SELECT ") + kAllTuples + " ON 0 FROM [Shop]";
    olap::QueryOptions small;
    small.memoryBudget = 64 * 1024;
    try {
        olap::MdxEvaluator::Execute(*s_cube, query, small);
        FAIL() << "no error";
    } catch (const olap::OlapError& e) {
        EXPECT_NE(std::string(e.what()).find("budget of 64 KiB for a crossjoin of 189 by 7 tuples"), std::string::npos)
            << e.what();
    }
    // The default budget holds it: 9 x 7 x 3 x 7 positions.
    EXPECT_EQ(olap::MdxEvaluator::Execute(*s_cube, query).cellSet.axes[0].positions.size(), 1323u);
}

TEST_F(EvaluatorStack, ConnectionPassesTheBudgetOn)
{
    olaptest::TempDir dir;
    olap::Connection connection(std::make_unique<olap::LocalCubeProvider>(olaptest::BuildTinyCube(dir)));
    olap::QueryOptions small;
    small.memoryBudget = 1000;
    EXPECT_THROW(connection.ExecuteMdx("SELECT [Product].AllMembers ON 0, [Time].AllMembers ON 1 FROM [Shop]", small),
        olap::OlapError);
    EXPECT_EQ(connection.ExecuteMdx("SELECT [Product].AllMembers ON 0 FROM [Shop]").cellSet.cells.size(), 9u);
}

TEST_F(EvaluatorStack, CancelledTokenStopsTheQuery)
{
    olap::CancellationToken token;
    olap::QueryOptions options;
    options.cancel = &token;
    token.Cancel();
    EXPECT_THROW(olap::MdxEvaluator::Execute(*s_cube, "SELECT FROM [Shop]", options), olap::QueryCancelled);
    token.Reset();
    EXPECT_NO_THROW(olap::MdxEvaluator::Execute(*s_cube, "SELECT FROM [Shop]", options));

    // A query that runs for minutes, cancelled from another thread while it runs.
    const std::string all = "CrossJoin([Product].AllMembers, [Time].AllMembers, [Channel].AllMembers)";
    const std::string slow = "WITH MEMBER [Measures].[Slow] AS Sum(" + all + ", Sum(" + all + ", Count(" + all
        + ", EXCLUDEEMPTY))) SELECT [Measures].[Slow] ON 0 FROM [Shop]";
    std::string outcome = "not run";
    std::thread worker([&] {
        try {
            olap::MdxEvaluator::Execute(*s_cube, slow, options);
            outcome = "answered";
        } catch (const olap::QueryCancelled&) {
            outcome = "cancelled";
        } catch (const std::exception& e) {
            outcome = e.what();
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    token.Cancel();
    worker.join();
    EXPECT_EQ(outcome, "cancelled");
}

} // namespace
