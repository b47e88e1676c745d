#include "olap/providers/SqlStatements.h"
#include "olap/providers/RelationalError.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace olap::providers {
namespace {

TEST(SqlStatementsTest, SemicolonsSplitOnlyOutsideLiteralsIdentifiersAndComments)
{
    struct Case {
        const char* name;
        const char* sql;
        std::vector<std::string_view> statements;
    };
    const Case cases[] = {
        {"one statement", "SELECT 1", {"SELECT 1"}},
        {"trailing semicolon", "SELECT 1;", {"SELECT 1"}},
        {"trailing semicolon and blanks", "  SELECT 1 ;\n  ", {"SELECT 1"}},
        {"trailing comment after the semicolon", "SELECT 1; -- done\n/* end */", {"SELECT 1"}},
        {"empty statements add nothing", ";;SELECT 1;;", {"SELECT 1"}},
        {"blank text", " \n ", {}},
        {"comment only", "-- nothing; here", {}},
        {"three statements", "SELECT count(*) FROM sales; DELETE FROM sales; DROP TABLE product",
            {"SELECT count(*) FROM sales", "DELETE FROM sales", "DROP TABLE product"}},
        {"semicolon in a string", "SELECT 'a;b' FROM t", {"SELECT 'a;b' FROM t"}},
        {"doubled quote in a string", "SELECT 'it''s; fine'; SELECT 2", {"SELECT 'it''s; fine'", "SELECT 2"}},
        {"semicolon in a quoted identifier", "SELECT \"x;y\" FROM t", {"SELECT \"x;y\" FROM t"}},
        {"semicolon in brackets", "SELECT [x;y] FROM t", {"SELECT [x;y] FROM t"}},
        {"semicolon in back quotes", "SELECT `x;y` FROM t", {"SELECT `x;y` FROM t"}},
        {"semicolon in a line comment", "SELECT 1 -- a; b\n", {"SELECT 1 -- a; b"}},
        {"semicolon in a block comment", "SELECT /* a; b */ 1", {"SELECT /* a; b */ 1"}},
        {"statement after a line comment", "SELECT 1 -- a\n; DELETE FROM t", {"SELECT 1 -- a", "DELETE FROM t"}},
        {"dollar-quoted string", "SELECT $$a;b$$", {"SELECT $$a;b$$"}},
        {"tagged dollar quote", "SELECT $q$a;$$;b$q$; SELECT 2", {"SELECT $q$a;$$;b$q$", "SELECT 2"}},
        {"parameter is no quote", "SELECT $1; SELECT $2", {"SELECT $1", "SELECT $2"}},
        {"unterminated string runs to the end", "SELECT 'a; DROP TABLE t", {"SELECT 'a; DROP TABLE t"}},
        {"unterminated comment runs to the end", "SELECT 1 /* ; DROP TABLE t", {"SELECT 1 /* ; DROP TABLE t"}},
        {"dash alone is no comment", "SELECT 1-1; SELECT 2", {"SELECT 1-1", "SELECT 2"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitSqlStatements(c.sql), c.statements) << c.name;
}

TEST(SqlStatementsTest, MoreThanOneStatementIsRefusedWithTheirCount)
{
    EXPECT_EQ(SingleSqlStatement("SELECT 1;"), "SELECT 1");
    EXPECT_EQ(SingleSqlStatement(""), "");
    try {
        SingleSqlStatement("SELECT count(*) FROM sales; DELETE FROM sales; DROP TABLE product");
        FAIL() << "no error";
    } catch (const RelationalError& error) {
        EXPECT_EQ(error.Failure(), RelationalFailure::Unsupported);
        EXPECT_NE(std::string(error.what()).find("holds 3 statements"), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find("only one"), std::string::npos) << error.what();
    }
}

TEST(SqlStatementsTest, FirstKeywordLooksPastCommentsParenthesesAndEscapes)
{
    const struct {
        const char* sql;
        const char* keyword;
    } cases[] = {
        {"select 1", "SELECT"},
        {"  -- note\n  With x AS (SELECT 1) SELECT * FROM x", "WITH"},
        {"/* a */ (SELECT 1) UNION (SELECT 2)", "SELECT"},
        {"{call report(1)}", "CALL"},
        {"delete from t", "DELETE"},
        {"", ""},
        {"'text'", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FirstSqlKeyword(c.sql), c.keyword) << c.sql;
}

} // namespace
} // namespace olap::providers
