// The layout history as data: step labels read off the difference of two definitions, the
// undo stack's cursor, limit and rewind, and the cell estimate the too-many-cells question
// rests on.
#include "control/pivot/model/PivotCellEstimate.h"
#include "control/pivot/model/PivotChangeLabel.h"
#include "control/pivot/model/PivotDefinition.h"
#include "control/pivot/model/PivotUndoStack.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace pivot;

namespace {

PivotFieldSet FieldSet(const std::string& name, const std::string& caption, std::vector<std::string> levels)
{
    PivotFieldSet f;
    f.uniqueName = name;
    f.caption = caption;
    for (const auto& level : levels)
        f.fields.push_back(
            {level, level.substr(level.rfind('[') + 1, level.size() - level.rfind('[') - 2), true, false});
    return f;
}

PivotDefinition Base()
{
    PivotDefinition d;
    d.dataMember = "Sales";
    d.rowAxis.push_back(FieldSet("[Product]", "Product", {"[Product].[Category]", "[Product].[Subcategory]"}));
    d.rowAxis.push_back(FieldSet("[Time]", "Time", {"[Time].[Year]", "[Time].[Quarter]"}));
    d.columnAxis.push_back(FieldSet("[Store]", "", {"[Store].[Country]", "[Store].[City]"}));
    d.totals.push_back({"[Measures].[Unit Sales]", "Units", "", "", true, {}});
    d.totals.push_back({"[Measures].[Store Sales]", "", "", "", true, {}});
    return d;
}

} // namespace

TEST(PivotChangeLabel, NamesTheStepTheUserMade)
{
    struct Case {
        const char* expected;
        std::function<void(PivotDefinition&)> edit;
    };
    const std::vector<Case> cases = {
        {"Move Product to Columns",
            [](PivotDefinition& d) {
                d.columnAxis.push_back(d.rowAxis.front());
                d.rowAxis.erase(d.rowAxis.begin());
            }},
        {"Add Customer to Filters",
            [](PivotDefinition& d) { d.filterAxis.push_back(FieldSet("[Customer]", "Customer", {"[Customer].[A]"})); }},
        // No caption: the hierarchy's own name.
        {"Remove Store", [](PivotDefinition& d) { d.columnAxis.clear(); }},
        // Only the dragged field set explains the new order.
        {"Move Product", [](PivotDefinition& d) { std::swap(d.rowAxis[0], d.rowAxis[1]); }},
        {"Add Cost to Values",
            [](PivotDefinition& d) {
                d.totals.push_back({"[Measures].[Cost]", "Cost", "", "", true, {}});
            }},
        {"Remove Units", [](PivotDefinition& d) { d.totals[0].isIncluded = false; }},
        {"Move Units", [](PivotDefinition& d) { std::swap(d.totals[0], d.totals[1]); }},
        {"Move Values to Rows", [](PivotDefinition& d) { d.totalsAxis = AxisKind::Row; }},
        {"Filter Time",
            [](PivotDefinition& d) {
                d.rowAxis[1].filter = {PivotMemberFilter::Mode::Include, {"[Time].[2024]"}};
            }},
        {"Sort Product",
            [](PivotDefinition& d) {
                d.rowAxis[0].sort = {SortDirection::Descending, "Units"};
            }},
        {"Hide Subtotals of Product", [](PivotDefinition& d) { d.rowAxis[0].subtotals = false; }},
        {"Expand Drink", [](PivotDefinition& d) { d.rowAxis[0].expandedMembers.push_back("[Product].[Drink]"); }},
        {"Expand Category", [](PivotDefinition& d) { d.rowAxis[0].fields[0].isExpanded = true; }},
        {"Remove Quarter from Time", [](PivotDefinition& d) { d.rowAxis[1].fields[1].isIncluded = false; }},
        {"Format Units", [](PivotDefinition& d) { d.totals[0].numberFormat = "#,##0.00"; }},
        {"Colour Rule on Units",
            [](PivotDefinition& d) {
                PivotColorRule rule;
                rule.total = "[Measures].[Unit Sales]";
                d.SetColorRule(rule);
            }},
        {"Hide Grand Totals",
            [](PivotDefinition& d) {
                d.rowGrandTotals = false;
                d.columnGrandTotals = false;
            }},
        {"Change Title", [](PivotDefinition& d) { d.titleCaption = "Sales"; }},
        // A move that keeps its filter is still a move, not a filter.
        {"Move Time to Filters",
            [](PivotDefinition& d) {
                d.filterAxis.push_back(d.rowAxis[1]);
                d.rowAxis.pop_back();
            }},
        {"Change Layout", [](PivotDefinition& d) { d.isNotFiltered = false; }},
    };
    for (const Case& c : cases) {
        PivotDefinition after = Base();
        c.edit(after);
        EXPECT_EQ(PivotChangeLabel::Describe(Base(), after), c.expected);
    }
    // Collapsing again names the member too, the other way round.
    PivotDefinition expanded = Base();
    expanded.rowAxis[0].expandedMembers.push_back("[Product].[Drink]");
    EXPECT_EQ(PivotChangeLabel::Describe(expanded, Base()), "Collapse Drink");
}

TEST(PivotUndoStack, UndoRedoAndANewStepDropsTheRedo)
{
    PivotUndoStack stack;
    PivotDefinition a = Base();
    PivotDefinition b = a;
    b.titleCaption = "B";
    PivotDefinition c = a;
    c.titleCaption = "C";
    stack.Reset(a);
    EXPECT_FALSE(stack.CanUndo());
    stack.Record("Step B", b);
    stack.Record("Same again", b); // no change, no step
    stack.Record("Step C", c);
    EXPECT_EQ(stack.UndoCount(), 2);
    EXPECT_EQ(stack.UndoLabel(), "Step C");
    ASSERT_NE(stack.Undo(), nullptr);
    EXPECT_EQ(stack.Current(), b);
    EXPECT_EQ(stack.RedoLabel(), "Step C");
    EXPECT_EQ(stack.UndoLabel(), "Step B");
    ASSERT_NE(stack.Redo(), nullptr);
    EXPECT_EQ(stack.Current(), c);
    EXPECT_EQ(stack.Redo(), nullptr);
    stack.Undo();
    stack.Undo();
    EXPECT_EQ(stack.Current(), a);
    EXPECT_EQ(stack.Undo(), nullptr);
    // A new step from the start forgets both redo steps.
    PivotDefinition d = a;
    d.titleCaption = "D";
    stack.Record("Step D", d);
    EXPECT_FALSE(stack.CanRedo());
    EXPECT_EQ(stack.UndoCount(), 1);
    EXPECT_EQ(stack.UndoLabel(), "Step D");
}

TEST(PivotUndoStack, KeepsTheNewestStepsUpToTheLimit)
{
    PivotUndoStack stack;
    EXPECT_EQ(stack.Limit(), 100);
    PivotDefinition d = Base();
    stack.Reset(d);
    for (int i = 1; i <= 130; ++i) {
        d.titleCaption = std::to_string(i);
        stack.Record("Step " + std::to_string(i), d);
    }
    EXPECT_EQ(stack.UndoCount(), 100);
    int undone = 0;
    while (stack.Undo())
        ++undone;
    EXPECT_EQ(undone, 100);
    // The oldest state kept is the one after step 30; its own label is gone.
    EXPECT_EQ(stack.Current().titleCaption, "30");
    EXPECT_EQ(stack.RedoLabel(), "Step 31");
    stack.SetLimit(5);
    EXPECT_EQ(stack.UndoCount(), 0);
    EXPECT_EQ(stack.RedoCount(), 100); // redo steps are not cut while the cursor is at the start
}

TEST(PivotUndoStack, RewindFindsTheDefinitionOnShow)
{
    PivotDefinition a = Base();
    PivotDefinition b = a;
    b.titleCaption = "B";
    PivotDefinition c = a;
    c.titleCaption = "C";
    struct Case {
        const char* name;
        std::function<void(PivotUndoStack&)> before;
        PivotDefinition shown;
        PivotDefinition current;
        int undoCount;
        int redoCount;
    };
    const std::vector<Case> cases = {
        {"a cancelled edit can be redone", [&](PivotUndoStack& s) { s.Record("B", b); }, a, a, 0, 1},
        {"a cancelled undo goes forward again",
            [&](PivotUndoStack& s) {
                s.Record("B", b);
                s.Record("C", c);
                s.Undo();
            },
            c, c, 2, 0},
        {"two quick edits go back two steps",
            [&](PivotUndoStack& s) {
                s.Record("B", b);
                s.Record("C", c);
            },
            a, a, 0, 2},
        {"a definition no longer in the history becomes a step",
            [&](PivotUndoStack& s) {
                s.Record("B", b);
                s.Undo();
                s.Record("C", c);
            },
            b, b, 2, 0},
    };
    for (const Case& c : cases) {
        PivotUndoStack stack;
        stack.Reset(a);
        c.before(stack);
        stack.Rewind(c.shown, "Back");
        EXPECT_EQ(stack.Current(), c.current) << c.name;
        EXPECT_EQ(stack.UndoCount(), c.undoCount) << c.name;
        EXPECT_EQ(stack.RedoCount(), c.redoCount) << c.name;
    }
}

TEST(PivotCellEstimate, MultipliesWhatEachAxisShows)
{
    const std::map<std::string, double> levels = {{"[Product].[Category]", 3}, {"[Product].[Subcategory]", 30},
        {"[Time].[Year]", 4}, {"[Time].[Quarter]", 16}, {"[Store].[Country]", 2}, {"[Store].[City]", 200}};
    PivotCellEstimate::Sizes sizes;
    sizes.levelSize = [&](const std::string& name) -> std::optional<double> {
        const auto it = levels.find(name);
        return it == levels.end() ? std::nullopt : std::optional<double>(it->second);
    };
    sizes.childCount = [](const std::string& name) -> std::optional<double> {
        return name == "[Store].[Canada]" ? std::optional<double>(150) : std::nullopt;
    };
    struct Case {
        const char* name;
        std::function<void(PivotDefinition&)> edit;
        double rows;
        double columns;
    };
    // Base: rows Product (3 + total) x Time (4 + total); columns Store (2 + total) x 2 totals.
    const std::vector<Case> cases = {
        {"first levels and totals", [](PivotDefinition&) {}, 4 * 5, 3 * 2},
        {"a whole level expanded adds the next", [](PivotDefinition& d) { d.rowAxis[0].fields[0].isExpanded = true; },
            (3 + 30 + 1) * 5, 3 * 2},
        {"an expanded member adds its children",
            [](PivotDefinition& d) { d.columnAxis[0].expandedMembers.push_back("[Store].[Canada]"); }, 4 * 5,
            (2 + 150 + 1) * 2},
        {"unknown child count: the level average",
            [](PivotDefinition& d) { d.rowAxis[1].expandedMembers.push_back("[Time].[2024]"); }, 4 * (4 + 4 + 1),
            3 * 2},
        {"an include filter keeps its members",
            [](PivotDefinition& d) {
                d.rowAxis[0].fields[0].isExpanded = true;
                d.rowAxis[0].filter = {PivotMemberFilter::Mode::Include, {"[Product].[Drink]"}};
            },
            (1 + 10 + 1) * 5, 3 * 2},
        {"top 2",
            [](PivotDefinition& d) {
                d.rowAxis[1].top = {PivotTopFilter::Mode::Top, 2, "Units"};
            },
            4 * 3, 3 * 2},
        {"totals on the rows", [](PivotDefinition& d) { d.totalsAxis = AxisKind::Row; }, 4 * 5 * 2, 3},
        {"filter field sets do not multiply",
            [](PivotDefinition& d) {
                d.filterAxis.push_back(d.columnAxis[0]);
                d.columnAxis.clear();
            },
            4 * 5, 2},
    };
    for (const Case& c : cases) {
        PivotDefinition d = Base();
        c.edit(d);
        const auto estimate = PivotCellEstimate::Of(d, sizes);
        ASSERT_TRUE(estimate) << c.name;
        EXPECT_DOUBLE_EQ(estimate->rows, c.rows) << c.name;
        EXPECT_DOUBLE_EQ(estimate->columns, c.columns) << c.name;
        EXPECT_DOUBLE_EQ(estimate->cells, c.rows * c.columns) << c.name;
    }
    // The field set a filter helps most.
    PivotDefinition wide = Base();
    wide.columnAxis[0].fields[0].isExpanded = true;
    EXPECT_EQ(PivotCellEstimate::Of(wide, sizes)->largestFieldSet, "[Store]");
    // A level of unknown size, or a view of a given statement: no estimate, no question.
    PivotDefinition unknown = Base();
    unknown.rowAxis.push_back(FieldSet("[Customer]", "", {"[Customer].[Name]"}));
    EXPECT_FALSE(PivotCellEstimate::Of(unknown, sizes));
    PivotDefinition raw;
    raw.commandText = "SELECT FROM [Sales]";
    EXPECT_FALSE(PivotCellEstimate::Of(raw, sizes));
}

TEST(PivotCellEstimate, TextRoundsTheWayTheQuestionShowsIt)
{
    const std::vector<std::pair<double, const char*>> cases = {{25e6, "About 25 M cells"}, {24.6e6, "About 25 M cells"},
        {2.5e6, "About 2.5 M cells"}, {1e6, "About 1 M cells"}, {1.25e9, "About 1,250 M cells"},
        {341234, "About 341,000 cells"}, {999, "About 999 cells"}, {1e20, "About 1e+20 cells"}};
    for (const auto& [cells, text] : cases)
        EXPECT_EQ(PivotCellEstimate::Text(cells), text) << cells;
}
