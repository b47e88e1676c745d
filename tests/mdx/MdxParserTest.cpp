// What the case files cannot show: node positions, the tree shapes the evaluator reads,
// nesting limits and scripts of several statements.

#include "olap/mdx/AstEquality.h"
#include "olap/mdx/MdxPrinter.h"
#include "olap/mdx/Parser.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

namespace olap::mdx {

void PrintTo(const SourcePosition& position, std::ostream* os)
{
    *os << "line " << position.line << ", column " << position.column << " (offset " << position.offset << ")";
}

bool operator==(const SourcePosition& a, const SourcePosition& b)
{
    return a.line == b.line && a.column == b.column && a.offset == b.offset;
}

} // namespace olap::mdx

namespace {

using namespace olap::mdx;

SourcePosition At(std::uint32_t offset, int line, int column)
{
    return SourcePosition {offset, line, column};
}

Statement ParseOk(std::string_view text)
{
    ParseResult<Statement> result = ParseStatement(text);
    if (!result.Ok()) {
        ADD_FAILURE() << result.error.message;
        return {};
    }
    return std::move(*result.value);
}

TEST(MdxParserPositions, NodesCarryLineAndColumnOfTheirText)
{
    // CRLF line ends count as one line break; columns count characters, not bytes.
    const Statement s
        = ParseOk("SELECT\r\n  {[Växjö]} ON COLUMNS,\r\n  [Time].Children * {x} ON ROWS\r\nFROM [Sales]\r\n"
                  "WHERE ([Time].[2024], [Store].[North])");
    const SelectStatement& select = s.select;
    ASSERT_EQ(select.axes.size(), 2u);
    EXPECT_EQ(select.axes[0].position, At(10, 2, 3));
    EXPECT_EQ(select.axes[0].namePosition, At(25, 2, 16));
    EXPECT_EQ(select.axes[0].set->position, At(10, 2, 3));
    EXPECT_EQ(select.axes[0].set->operands[0]->position, At(11, 2, 4));
    const Expr& crossjoin = *select.axes[1].set;
    EXPECT_EQ(crossjoin.position, At(53, 3, 19)) << "a binary node sits at its operator";
    const Expr& children = *crossjoin.operands[0];
    EXPECT_EQ(children.kind, ExprKind::Property);
    EXPECT_EQ(children.position, At(44, 3, 10)) << "a property sits at its name";
    EXPECT_EQ(children.object->position, At(37, 3, 3));
    EXPECT_EQ(select.cube->position, At(73, 4, 6));
    EXPECT_EQ(select.slicer->position, At(88, 5, 7));
    EXPECT_EQ(select.slicer->operands[1]->position, At(104, 5, 23));
}

TEST(MdxParserPositions, NodesInsideAQuotedDefinitionPointIntoTheStatement)
{
    const Statement s = ParseOk("WITH MEMBER [Measures].[X] AS\n  'IIf(''a'' = [M].[A],\n 1, 2)'\nSELECT FROM [Sales]");
    const Expr& iif = *s.select.formulas.at(0).expression;
    EXPECT_EQ(iif.position, At(33, 2, 4));
    EXPECT_EQ(iif.operands.at(0)->operands.at(0)->position, At(37, 2, 8));
    EXPECT_EQ(iif.operands.at(0)->operands.at(1)->position, At(45, 2, 16));
    EXPECT_EQ(iif.operands.at(1)->position, At(55, 3, 2));
}

TEST(MdxParserShapes, IdentifiersKeepTheirSegmentsAndQuoting)
{
    const ParseResult<Expr> result = ParseExpression("Time.[2024].&[3]&[x]]y].Members");
    ASSERT_TRUE(result.Ok()) << result.error.message;
    const Expr& members = *result.value;
    ASSERT_EQ(members.kind, ExprKind::Property);
    EXPECT_EQ(members.segments.at(0).name, "Members");
    const std::vector<IdentifierSegment>& segments = members.object->segments;
    ASSERT_EQ(segments.size(), 3u);
    EXPECT_EQ(segments[0].quoting, SegmentQuoting::Plain);
    EXPECT_EQ(segments[0].name, "Time");
    EXPECT_EQ(segments[1].quoting, SegmentQuoting::Bracketed);
    EXPECT_EQ(segments[1].name, "2024");
    EXPECT_EQ(segments[2].quoting, SegmentQuoting::Key);
    EXPECT_EQ(segments[2].keys, (std::vector<std::string> {"3", "x]y"}));
}

TEST(MdxParserShapes, StatementPartsAreFilledIn)
{
    const Statement s
        = ParseOk("DRILLTHROUGH MAXROWS 7 FIRSTROWSET 2 WITH MEMBER [Measures].[X] AS '1', SOLVE_ORDER = 3 "
                  "SELECT NON EMPTY {[Measures].[X]} DIMENSION PROPERTIES MEMBER_CAPTION ON AXIS(3) "
                  "FROM [Sales] WHERE [Time].[2024] CELL PROPERTIES VALUE RETURN [Time].[Year]");
    EXPECT_EQ(s.kind, StatementKind::Drillthrough);
    EXPECT_EQ(s.maxRows, 7u);
    EXPECT_EQ(s.firstRowset, 2u);
    ASSERT_EQ(s.select.formulas.size(), 1u);
    const Formula& formula = s.select.formulas[0];
    EXPECT_FALSE(formula.isSet);
    EXPECT_EQ(formula.expression->kind, ExprKind::Number);
    ASSERT_EQ(formula.properties.size(), 1u);
    EXPECT_EQ(formula.properties[0].name, "SOLVE_ORDER");
    EXPECT_EQ(formula.properties[0].value->number, 3);
    ASSERT_EQ(s.select.axes.size(), 1u);
    EXPECT_EQ(s.select.axes[0].ordinal, 3);
    EXPECT_TRUE(s.select.axes[0].nonEmpty);
    EXPECT_EQ(s.select.axes[0].dimensionProperties.size(), 1u);
    EXPECT_EQ(s.select.cellProperties.size(), 1u);
    EXPECT_EQ(s.returnColumns.size(), 1u);
    EXPECT_TRUE(s.select.axes[0].set->operands[0]->segments.size() == 2);
}

TEST(MdxParserShapes, FlagsAreOneWordIdentifiers)
{
    const ParseResult<Expr> result = ParseExpression("Descendants([P].[Drink], 2, SELF_AND_AFTER)");
    ASSERT_TRUE(result.Ok());
    EXPECT_TRUE(result.value->operands[2]->IsPlainWord());
    EXPECT_FALSE(result.value->operands[0]->IsPlainWord());
}

struct DeepCase {
    const char* name;
    std::string text;
};

std::string Repeat(std::string_view piece, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

TEST(MdxParserLimits, DeepInputGivesAnErrorNotACrash)
{
    const int n = 20000;
    const DeepCase cases[] = {
        {"parentheses", "SELECT FROM [S] WHERE " + Repeat("(", n) + "1" + Repeat(")", n)},
        {"braces", "SELECT " + Repeat("{", n) + " ON 0 FROM [S]"},
        {"calls", "SELECT FROM [S] WHERE " + Repeat("f(", n)},
        {"unary minus", "SELECT FROM [S] WHERE " + Repeat("- ", n) + "1"},
        {"NOT", "SELECT FROM [S] WHERE " + Repeat("NOT ", n) + "1"},
        {"addition chain", "SELECT FROM [S] WHERE 1" + Repeat(" + 1", n)},
        {"power chain", "SELECT FROM [S] WHERE 1" + Repeat(" ^ 1", n)},
        {"method chain", "SELECT FROM [S] WHERE [A]" + Repeat(".Lag(1)", n)},
        {"property chain", "SELECT FROM [S] WHERE [A]" + Repeat(".Parent", n)},
        {"subselects", "SELECT FROM " + Repeat("(SELECT FROM ", n)},
        {"CASE", "SELECT FROM [S] WHERE " + Repeat("CASE WHEN 1 THEN ", n)},
    };
    for (const DeepCase& c : cases) {
        const ParseResult<Statement> result = ParseStatement(c.text);
        ASSERT_FALSE(result.Ok()) << c.name;
        EXPECT_NE(result.error.message.find("nesting deeper than 200 levels"), std::string::npos)
            << c.name << ": " << result.error.message;
    }
}

TEST(MdxParserLimits, NestingUpToTheLimitParses)
{
    const int n = 190;
    EXPECT_TRUE(ParseStatement("SELECT FROM [S] WHERE " + Repeat("(", n) + "1" + Repeat(")", n)).Ok());
    EXPECT_TRUE(ParseStatement("SELECT FROM [S] WHERE 1" + Repeat(" + 1", n)).Ok());
    // Wide is not deep: a long list is fine.
    EXPECT_TRUE(ParseStatement("SELECT {" + Repeat("[A], ", 100000) + "[A]} ON 0 FROM [S]").Ok());
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(MdxParserScripts, PeerQueryFilesParse)
{
    for (const char* file : {"peer-smoke.mdx", "peer-extra.mdx"}) {
        const std::string text = ReadFile(std::string(MDX_SCRIPTS_DIR) + "/" + file);
        ASSERT_FALSE(text.empty()) << file;
        const ParseResult<std::vector<Statement>> result = ParseScript(text);
        ASSERT_TRUE(result.Ok()) << file << ": " << result.error.message;
        EXPECT_EQ(result.value->size(), 7u) << file;
        for (const Statement& statement : *result.value)
            EXPECT_FALSE(CheckRoundTrip(statement)) << ToMdx(statement);
    }
}

TEST(MdxParserScripts, ErrorsInALaterStatementHaveScriptPositions)
{
    const ParseResult<std::vector<Statement>> result = ParseScript(";;SELECT FROM [A];\n\nSELECT FROM [B] WHERE;");
    ASSERT_FALSE(result.Ok());
    EXPECT_EQ(result.error.message, "Syntax error at line 3, column 22: unexpected ';', expected an expression");
    EXPECT_EQ(result.error.token, ";");
    const ParseResult<std::vector<Statement>> empty = ParseScript(" ; -- nothing\n");
    ASSERT_TRUE(empty.Ok());
    EXPECT_TRUE(empty.value->empty());
}

TEST(MdxParserEquality, TreesDifferingInOneDetailAreNotEqual)
{
    const char* base = "SELECT {[A].&[1], B} ON 0 FROM [S] WHERE f(1, \"x\")";
    const char* variants[] = {
        "SELECT {[A].&[2], B} ON 0 FROM [S] WHERE f(1, \"x\")",
        "SELECT {[A].[1], B} ON 0 FROM [S] WHERE f(1, \"x\")",
        "SELECT {[A].&[1], [B]} ON 0 FROM [S] WHERE f(1, \"x\")",
        "SELECT {[A].&[1], B} ON 1 FROM [S] WHERE f(1, \"x\")",
        "SELECT NON EMPTY {[A].&[1], B} ON 0 FROM [S] WHERE f(1, \"x\")",
        "SELECT {[A].&[1], B} ON 0 FROM [T] WHERE f(1, \"x\")",
        "SELECT {[A].&[1], B} ON 0 FROM [S] WHERE F(1, \"x\")",
        "SELECT {[A].&[1], B} ON 0 FROM [S] WHERE f(2, \"x\")",
        "SELECT {[A].&[1], B} ON 0 FROM [S] WHERE f(1, \"X\")",
        "SELECT {[A].&[1], B} ON 0 FROM [S] WHERE f(1, \"x\", )",
        "SELECT {[A].&[1], B} ON 0 FROM [S]",
        "DRILLTHROUGH SELECT {[A].&[1], B} ON 0 FROM [S] WHERE f(1, \"x\")",
    };
    const Statement a = ParseOk(base);
    EXPECT_TRUE(StructurallyEqual(a, ParseOk(std::string("  ") + base + " ;")));
    for (const char* variant : variants)
        EXPECT_FALSE(StructurallyEqual(a, ParseOk(variant))) << variant;
}

// Builds random trees of the shapes the parser produces, to check that the printer puts
// parentheses wherever precedence, associativity or keywords need them.
class RandomTrees {
public:
    explicit RandomTrees(unsigned seed) : m_random(seed) { }

    ExprPtr Make(int depth)
    {
        const int kind = depth <= 0 ? Pick(4) : Pick(14);
        auto node = std::make_unique<Expr>();
        switch (kind) {
        case 0:
            node->kind = ExprKind::Identifier;
            node->segments.push_back(Segment(false));
            for (int i = Pick(3); i > 0; --i)
                node->segments.push_back(Segment(true));
            break;
        case 1:
            node->kind = ExprKind::Number;
            node->number = Pick(2) ? Pick(100) : Pick(1000) / 8.0;
            break;
        case 2:
            node->kind = ExprKind::String;
            node->text = Pick(2) ? "x\"y" : "it's";
            break;
        case 3:
            node->kind = ExprKind::Null;
            break;
        case 4:
        case 5:
            node->kind = ExprKind::Unary;
            node->unaryOperator = static_cast<UnaryOperator>(Pick(3));
            node->operands.push_back(Make(depth - 1));
            break;
        case 6:
        case 7:
        case 8:
            node->kind = ExprKind::Binary;
            node->binaryOperator = static_cast<BinaryOperator>(Pick(17));
            node->operands.push_back(Make(depth - 1));
            if (node->binaryOperator == BinaryOperator::Is && Pick(3) == 0)
                node->operands.push_back(Leaf(ExprKind::Empty));
            else
                node->operands.push_back(Make(depth - 1));
            break;
        case 9:
            node->kind = Pick(2) ? ExprKind::Set : ExprKind::Tuple;
            for (int n = node->kind == ExprKind::Tuple ? 2 * Pick(2) : Pick(3); n > 0; --n)
                node->operands.push_back(Make(depth - 1));
            break;
        case 10:
            node->kind = ExprKind::Call;
            node->name = Pick(2) ? "Empty" : "IIf";
            for (int n = Pick(4); n > 0; --n)
                node->operands.push_back(n > 1 && Pick(3) == 0 ? Leaf(ExprKind::EmptyArgument) : Make(depth - 1));
            break;
        case 11:
            node->kind = ExprKind::MethodCall;
            node->name = "Lag";
            node->object = Make(depth - 1);
            node->operands.push_back(Make(depth - 1));
            break;
        case 12:
            node->kind = ExprKind::Property;
            node->object = Make(depth - 1);
            node->segments.push_back(node->object->kind == ExprKind::Identifier || Pick(2)
                    ? IdentifierSegment {SegmentQuoting::Plain, "Members", {}}
                    : Segment(true));
            break;
        default:
            node->kind = ExprKind::Case;
            if (Pick(2))
                node->object = Make(depth - 1);
            for (int n = 1 + Pick(2); n > 0; --n) {
                node->operands.push_back(Make(depth - 1));
                node->operands.push_back(Make(depth - 1));
            }
            if (Pick(2))
                node->elseValue = Make(depth - 1);
            break;
        }
        return node;
    }

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }

    static ExprPtr Leaf(ExprKind kind)
    {
        auto node = std::make_unique<Expr>();
        node->kind = kind;
        return node;
    }

    //! A segment as the parser makes it: after a dot, no plain property names.
    IdentifierSegment Segment(bool afterDot)
    {
        switch (Pick(afterDot ? 3 : 4)) {
        case 0:
            return {SegmentQuoting::Bracketed, Pick(2) ? "Unit Sales" : "a]b", {}};
        case 1:
            return {SegmentQuoting::Key, {}, {"1", "2"}};
        case 2:
            return {SegmentQuoting::Plain, afterDot ? "Year" : "Empty", {}};
        default:
            return {SegmentQuoting::Plain, "Sales", {}};
        }
    }

    std::mt19937 m_random;
};

TEST(MdxPrinterRoundTrip, RandomTreesPrintToTextThatParsesBackEqual)
{
    RandomTrees trees(20261206);
    for (int i = 0; i < 3000; ++i) {
        const ExprPtr tree = trees.Make(5);
        const std::string text = ToMdx(*tree);
        const ParseResult<Expr> parsed = ParseExpression(text);
        ASSERT_TRUE(parsed.Ok()) << ToSExpression(*tree) << " printed as " << text << ": " << parsed.error.message;
        ASSERT_TRUE(StructurallyEqual(tree.get(), parsed.value.get()))
            << ToSExpression(*tree) << " printed as " << text << " parses as " << ToSExpression(*parsed.value);
    }
}

} // namespace
