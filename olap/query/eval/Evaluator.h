#pragma once

#include "olap/exec/MemberSet.h"
#include "olap/mdx/Statement.h"
#include "olap/model/LevelType.h"
#include "olap/query/CellSet.h"
#include "olap/query/QueryOptions.h"
#include "olap/query/QueryResult.h"
#include "olap/query/eval/EvalTypes.h"

#include <deque>
#include <functional>
#include <memory>
#include <set>
#include <unordered_map>

namespace olap {
class Cube;
class Hierarchy;
class Measure;
struct AggregationRequest;
struct MemberSet;
} // namespace olap

namespace olap::eval {

struct CallSite;
struct FunctionEntry;

//! One query's evaluation: the context (a member per hierarchy), the calculated members and
//! sets, the stored and calculated cells it remembers, and the functions (one member per
//! function family entry; FunctionRegistry maps names to them).
class Evaluator {
public:
    Evaluator(const Cube& cube, const QueryOptions& options);

    QueryResult Run(const mdx::Statement& statement);

private:
    friend struct CallSite;
    // The family tables take the addresses of the function handlers.
    friend std::vector<FunctionEntry> NavigationFunctions();
    friend std::vector<FunctionEntry> ValueFunctions();
    friend std::vector<FunctionEntry> SetFunctions();
    friend std::vector<FunctionEntry> OrderFunctions();
    friend std::vector<FunctionEntry> AggregateFunctions();
    friend std::vector<FunctionEntry> TimeFunctions();
    friend std::vector<FunctionEntry> StatisticsFunctions();
    friend std::vector<FunctionEntry> StringFunctions();

    // ---- context -------------------------------------------------------------
    MemberRef DefaultOf(const Hierarchy& h) const;

    int IndexOf(const Hierarchy* h) const;

    // Sets the members of TUPLE into the context for the life of the object.
    class Scope {
    public:
        Scope(Evaluator& e, const Tuple& tuple) : m_e(e)
        {
            for (const MemberRef& r : tuple) {
                if (r.IsNull())
                    continue;
                int i = e.IndexOf(r.Hier());
                if (i < 0)
                    continue;
                m_saved.emplace_back(i, e.m_context[static_cast<std::size_t>(i)]);
                e.m_context[static_cast<std::size_t>(i)] = Slot {r, nullptr};
            }
        }
        void SetMulti(int index, MemberRef shown, const std::vector<const Member*>* multi)
        {
            m_saved.emplace_back(index, m_e.m_context[static_cast<std::size_t>(index)]);
            m_e.m_context[static_cast<std::size_t>(index)] = Slot {shown, multi};
        }
        ~Scope()
        {
            for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it)
                m_e.m_context[static_cast<std::size_t>(it->first)] = it->second;
        }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        Evaluator& m_e;
        std::vector<std::pair<int, Slot>> m_saved;
    };

    // Runs BODY until the stored cells it needs are all fetched: in collecting rounds a
    // missing cell is recorded (and read as empty); the recorded cells are then fetched
    // in batches. A final round runs with every cell known.
    // EXACTROUNDISFINAL: BODY only builds a value, so a collecting round that needed nothing
    // is not repeated.
    void WithPrefetch(const std::function<void()>& body, bool exactRoundIsFinal = false);

    // ---- budget and cancellation ------------------------------------------------
    //! Bytes a remembered cell takes besides its key (map node, value).
    static constexpr std::size_t kEntryBytes = sizeof(Value) + 64;

    void CheckCancelled() const;

    // Fails unless BYTES more fit into the query's memory budget next to what it keeps.
    void CheckBudget(double bytes, const std::string& what) const;

    // Counts BYTES that stay for the rest of the query against the budget.
    void Reserve(std::size_t bytes, const char* what);

    // Fails before a set of COUNT tuples of WIDTH members is built when it would not fit.
    void CheckSetSize(double count, std::size_t width, const std::string& what) const;

    // ---- stored cells ----------------------------------------------------------
    struct CalcCellEntry {
        Value value;
        bool done = false; //!< false while it is being computed
    };

    CellKey StoredKey(const Measure& measure) const;
    static CellKey StoredKeyAt(const Measure& measure, const std::vector<Slot>& slots);

    // Keeps VALUE as the stored cell KEY (unless it is known already) while it fits into the
    // memory budget; false when it does not fit.
    bool RememberStored(CellKey key, std::optional<double> value);

    std::optional<double> Stored(const Measure& measure);

    struct Pending {
        const Measure* measure = nullptr;
        std::vector<Slot> slots;
    };

    std::optional<double> FetchOne(const Measure& measure, const std::vector<Slot>& slots);

    // Fetches the recorded cells with one request per combination of levels.
    void FetchPending();

    // The calculated member that computes the cell at the current context: the one with the
    // highest solve order (the Measures one on a tie); nullptr for a stored cell.
    const CalcMember* BestCalc() const;

    bool IsComputing(const CalcMember& calc) const;

    // The value of the cell at the current context: the calculated member with the
    // highest solve order (the Measures one on a tie) computes it, else the stored cell.
    Value CurrentCell();

    // The members (and restricting lists) of the whole context: what a calculated cell's
    // value depends on within one query.
    CellKey ContextKey() const;

    // Computes the cell of CALC at the current context once per query: later uses read the
    // remembered value, so formulas that use each other several times stay linear. A cell
    // needed while it is being computed is a cycle. In a collecting round the values are
    // provisional (stored cells may still be missing), so they are kept apart and a cycle or
    // the depth limit only reads as empty there: the final round reports it.
    Value CalcCell(const CalcMember& calc);

    // True when fact rows lie under the context's stored members: some stored measure has a
    // value there.
    bool HasFactRows();

    Value CellAt(const Tuple& tuple);

    // A number, string, boolean or empty: members and tuples are read as cells.
    Value Scalar(const Value& v, const Expr& where);

    std::optional<double> Number(const Value& raw, const Expr& where);

    std::optional<double> NumberOf(const Expr& e) { return Number(Eval(e), e); }

    bool Truth(const Expr& e);

    MemberRef ToMember(const Value& v, const Expr& where);

    Tuple ToTuple(const Value& v, const Expr& where);

    TupleSet ToSet(Value v, const Expr& where);

    TupleSet SetOf(const Expr& e) { return ToSet(Eval(e), e); }
    MemberRef MemberOf(const Expr& e) { return ToMember(Eval(e), e); }

    const Level* LevelOf(const Expr& e);

    const Hierarchy* HierarchyOf(const Expr& e);

    // ---- members and sets ------------------------------------------------------
    TupleSet LevelMembers(const Level& level) const;

    TupleSet HierarchyMembers(const Hierarchy& h, bool withCalculated) const;

    std::vector<MemberRef> ChildrenOf(const MemberRef& r) const;

    MemberRef Cousin(const MemberRef& r, int offset) const;

    std::vector<MemberRef> SiblingsOf(const MemberRef& r) const;

    // The member's own value (not its cell): its key, a number on a level with numeric keys;
    // a calculated member's name.
    static Value MemberValueOf(const MemberRef& r);

    const Member* AncestorAt(const Member* m, int depth) const;

    // True when A comes before B in hierarchical order (parents before children, or
    // after them with POST). Calculated members follow the stored ones.
    bool Before(const MemberRef& a, const MemberRef& b, bool post) const;

    bool TupleBefore(const Tuple& a, const Tuple& b, bool post) const;

    static std::string TupleKey(const Tuple& t);

    static TupleSet DistinctOf(const TupleSet& set);
    // The stored members at each position of S's tuples, each once, in the order they first
    // come (null members left out). False when S is not the crossjoin of those member sets.
    static bool CrossjoinFactors(const TupleSet& s, std::vector<std::vector<const Member*>>& factors);

    void CheckSameShape(const TupleSet& a, const TupleSet& b, const Expr& where) const;

    TupleSet CrossJoin(const TupleSet& a, const TupleSet& b, const Expr& where);

    // The emptiness test of NON EMPTY, NonEmpty and Count(..., EXCLUDEEMPTY). A cell that
    // the calculated member being computed would compute (a measure that counts the members
    // with data) is judged by its fact rows instead, so the formula does not reach itself.
    bool TupleIsEmpty(const Tuple& t);

    const std::vector<const Member*>* Intern(std::vector<const Member*> members);

    // ---- names ----------------------------------------------------------------
    [[gnu::noinline]] Value Resolve(const Expr& e);

    struct NamedSetEntry {
        const Expr* expr = nullptr;
        std::optional<TupleSet> value;
        bool evaluating = false;
        std::string name;
    };

    TupleSet NamedSet(NamedSetEntry& entry, const Expr& where);

    // ---- expressions -----------------------------------------------------------
    static void CheckTextSize(std::size_t bytes, const Expr& where);

    Value Eval(const Expr& e);
    [[gnu::noinline]] Value EvalUnary(const Expr& e);
    [[gnu::noinline]] Value EvalBinary(const Expr& e);
    [[gnu::noinline]] Value EvalTuple(const Expr& e);
    [[gnu::noinline]] Value EvalSet(const Expr& e);
    [[gnu::noinline]] Value EvalCall(const Expr& e);
    [[gnu::noinline]] Value EvalCase(const Expr& e);
    Value Call(const Expr& e, const std::string& name, const std::vector<const Expr*>& args);

    static int CompareScalars(const Value& a, const Value& b);

    std::vector<Value> KeysOf(const TupleSet& set, const Expr* expr);

    TupleSet SortByKey(const TupleSet& set, const Expr* expr, bool descending);

    // ---- cell sets ---------------------------------------------------------------
    CellSet::Member Describe(const MemberRef& r) const;
    //! Adds the positions KEPT of SET to POSITIONS, each distinct member described once.
    void FillPositions(const TupleSet& set, const std::vector<std::size_t>& kept, PositionTable& positions) const;

    std::string FormatStringInContext() const;

    const Measure* FirstStoredMeasure(const Expr& e) const;

    // ---- functions: one file per family, the table of names in FunctionRegistry.cpp ----
    // navigation (NavigationFunctions.cpp)
    Value FnMembers(const CallSite& call);
    Value FnChildren(const CallSite& call);
    Value FnParent(const CallSite& call);
    Value FnFirstLastChild(const CallSite& call);
    Value FnFirstLastSibling(const CallSite& call);
    Value FnSiblings(const CallSite& call);
    Value FnPrevNextMember(const CallSite& call);
    Value FnLagLead(const CallSite& call);
    Value FnCurrentMember(const CallSite& call);
    Value FnDefaultMember(const CallSite& call);
    Value FnDataMember(const CallSite& call);
    Value FnLevel(const CallSite& call);
    Value FnLevels(const CallSite& call);
    Value FnHierarchy(const CallSite& call);
    Value FnAncestor(const CallSite& call);
    Value FnAscendants(const CallSite& call);
    Value FnDescendants(const CallSite& call);
    Value FnItem(const CallSite& call);
    // values, properties and logic (ValueFunctions.cpp)
    Value FnIsEmpty(const CallSite& call);
    Value FnNameText(const CallSite& call);
    Value FnOrdinal(const CallSite& call);
    Value FnKey(const CallSite& call);
    Value FnValue(const CallSite& call);
    Value FnMemberValue(const CallSite& call);
    Value FnProperties(const CallSite& call);
    Value FnIIf(const CallSite& call);
    Value FnCoalesceEmpty(const CallSite& call);
    // sets (SetFunctions.cpp)
    Value FnCrossJoin(const CallSite& call);
    Value FnNonEmpty(const CallSite& call);
    Value FnUnion(const CallSite& call);
    Value FnExceptIntersect(const CallSite& call);
    Value FnDistinct(const CallSite& call);
    Value FnHierarchize(const CallSite& call);
    Value FnHeadTail(const CallSite& call);
    Value FnSubset(const CallSite& call);
    Value FnFilter(const CallSite& call);
    Value FnGenerate(const CallSite& call);
    Value FnExtract(const CallSite& call);
    Value FnDrilldownLevel(const CallSite& call);
    Value FnDrilldownMember(const CallSite& call);
    Value FnAddCalculatedMembers(const CallSite& call);
    Value FnStripCalculatedMembers(const CallSite& call);
    Value FnCount(const CallSite& call);
    // VisualTotals.cpp
    Value FnVisualTotals(const CallSite& call);
    const CalcMember* VisualTotal(
        const Member& total, const std::vector<const Member*>& parts, const std::string& caption);
    // order and top (OrderFunctions.cpp)
    Value FnOrder(const CallSite& call);
    Value FnTopBottomCount(const CallSite& call);
    Value FnTopBottomPercentSum(const CallSite& call);
    // aggregates (AggregateFunctions.cpp)
    Value FnAggregate(const CallSite& call);

    //! What Aggregate of a stored measure needs from its set: the set, and when the set is a
    //! full crossjoin of stored members, per hierarchy its index and its member (one) or
    //! interned list (several). Kept per call for sets that do not depend on the context.
    struct AggregateSet {
        TupleSet set;
        bool plain = false;
        std::vector<int> hierarchies;
        std::vector<Slot> slots;
        bool analysed = false; //!< plain, hierarchies and slots were worked out
        bool exact = false; //!< made outside a collecting round
        std::size_t cellsKnown = 0;
    };
    AggregateSet AnalyseAggregateSet(TupleSet set, bool stored);
    // time (TimeFunctions.cpp)
    Value FnPeriodsToDate(const CallSite& call);
    Value FnToDate(const CallSite& call);
    Value FnParallelPeriod(const CallSite& call);
    Value FnOpeningClosingPeriod(const CallSite& call);
    Value FnLastPeriods(const CallSite& call);
    // statistics and numbers (StatisticsFunctions.cpp)
    Value FnMedian(const CallSite& call);
    Value FnVariance(const CallSite& call);
    Value FnCorrelation(const CallSite& call);
    Value FnRank(const CallSite& call);
    Value FnMath(const CallSite& call);
    Value FnRgb(const CallSite& call);
    // The value of each tuple of SET: EXPR evaluated at it, else its cell.
    std::vector<std::optional<double>> SetValues(const TupleSet& set, const Expr* expr, const Expr& where);
    std::vector<double> PresentValues(const CallSite& call);
    // Rank over a set (RankFunctions.cpp): the set's tuples are indexed once per set, and the
    // values of Rank(tuple, set, expr) sorted once per set, expression and context, so a rank
    // per cell costs a lookup and a binary search.
    struct RankSet {
        TupleSet set;
        //! First 0-based position of each tuple, by its members in any order (RankTupleKey).
        std::unordered_map<std::string, std::size_t> position;
        std::vector<std::size_t> distinct; //!< the first positions, in set order
        std::vector<bool> setsHierarchy; //!< by hierarchy index: every tuple sets a member there
        bool exact = false; //!< built outside a collecting round (else valid while cellsKnown holds)
        std::size_t cellsKnown = 0;
    };
    struct RankValues {
        std::vector<Value> byDistinct; //!< the value of each distinct tuple (RankSet::distinct order)
        std::vector<Value> sorted; //!< the same, largest first; empty when they do not sort
        bool sortable = false;
        bool exact = false;
        std::size_t cellsKnown = 0;
    };
    const RankSet& RankSetOf(const CallSite& call);
    const RankValues& RankValuesOf(const CallSite& call, const RankSet& rs);
    bool RankEntryValid(bool exact, std::size_t cellsKnown) const;
    // True when the set E names is the same whatever the context (no CurrentMember, no value).
    bool ContextFree(const Expr& e);
    // text (StringFunctions.cpp) and texts read as MDX (ParseFunctions.cpp)
    Value FnLeftRight(const CallSite& call);
    Value FnMid(const CallSite& call);
    Value FnLen(const CallSite& call);
    Value FnInStr(const CallSite& call);
    Value FnChangeCase(const CallSite& call);
    Value FnTrim(const CallSite& call);
    Value FnCStr(const CallSite& call);
    Value FnFormat(const CallSite& call);
    Value FnStrToMember(const CallSite& call);
    Value FnStrToSet(const CallSite& call);
    Value FnStrToTuple(const CallSite& call);
    // Argument I as text: numbers in their shortest form, an empty cell as "".
    std::string TextArg(const CallSite& call, std::size_t i);
    std::size_t CountArg(const CallSite& call, std::size_t i, long long minimum);
    Value EvalText(const CallSite& call);
    MemberRef TimeMember(const CallSite& call, std::size_t i, const Hierarchy* h);
    const Level* LevelOfType(const CallSite& call, const Hierarchy& h, LevelType type) const;
    Value PeriodsToDate(const Level* level, MemberRef m) const;

    // Sub-selects in FROM (Subselect.cpp): the rows and members the outer query sees.
    void ApplySubselect(const mdx::SelectStatement& sub);
    void DefineSubselectFormulas(const mdx::SelectStatement& sub);
    void ForgetUnrestricted();
    void RestrictTo(const TupleSet& s, const Expr& where);
    // False for a member a sub-select hides (none of its leaves kept).
    bool Visible(const Member& m) const;

    // Member and cell properties (Properties.cpp).
    static std::optional<Value> IntrinsicProperty(const MemberRef& m, const std::string& name);
    static std::optional<Value> UserProperty(const MemberRef& m, const std::string& name, bool typed);
    bool UserPropertyDefined(const std::string& name, const Hierarchy* h, const Level* level) const;
    void AddMemberProperties(
        const mdx::AxisSpec& spec, const TupleSet& set, const std::vector<std::size_t>& kept, CellSet::Axis& axis);
    void AddCellProperties(const mdx::SelectStatement& select, const std::vector<TupleSet>& sets,
        const std::vector<std::vector<std::size_t>>& kept, CellSet& cs);
    std::optional<double> CellColour(const Expr* CalcMember::*which);

    void DefineFormulas(const mdx::SelectStatement& select);
    void AddCalcMember(const Expr& nameExpr, const Expr& formula, const std::vector<mdx::Formula::Property>* props,
        const std::string& schemaFormat, const std::string& schemaCaption);
    QueryResult RunDrillthrough(const mdx::Statement& statement);
    void SlicerSets(const mdx::SelectStatement& select, const TupleSet& s, Tuple& tuple, std::vector<MemberSet>& filter,
        std::set<const Hierarchy*>& used);
    // The steps of a SELECT (QueryRun.cpp).
    void ApplySlicer(const mdx::SelectStatement& select, CellSet& cs);
    std::vector<std::vector<std::size_t>> KeptPositions(const std::vector<const mdx::AxisSpec*>& axes,
        const std::vector<TupleSet>& sets, const std::vector<bool>& filled) const;
    // The grid's cells one aggregation request answers (StoredGrid.cpp): those whose tuples
    // hold stored members, stored measures and totals (AggregateTotalSet), in a context
    // without calculated members. The axes' members per hierarchy are the request's groupings
    // (mixed levels roll up from the finest grid of one scan), each total one more position
    // of its hierarchy's grouping, the rest of the context its slicer. VALUES gets each
    // answered cell's value (NaN: empty), FORMATS its format string; BULK marks them unless
    // every cell is answered (then it is left empty). Returns how many cells it answered; 0
    // (nothing filled) when the grid needs the cell-by-cell path.
    std::size_t StoredGrid(const std::vector<TupleSet>& sets, std::vector<double>& values,
        std::vector<const std::string*>& formats, std::vector<bool>& bulk);
    // The members whose rows a calculated member's stored cells cover when it is
    // Aggregate(<set>) over stored members of its own hierarchy, the set the same in every
    // context (a crossjoin of one hierarchy, each member once; an empty set covers no rows);
    // nullopt for any other member.
    std::optional<std::vector<const Member*>> AggregateTotalSet(const CalcMember& calc);
    // NON EMPTY over a crossjoin (NonEmptyAxes.cpp): the axes' sets, where a NON EMPTY
    // crossjoin of stored members keeps only the tuples with fact rows instead of the full
    // product.
    std::vector<TupleSet> AxisSets(const std::vector<const mdx::AxisSpec*>& axes);
    static bool CrossjoinParts(const Expr& e, std::vector<const Expr*>& parts);
    bool GridIsStored(const std::vector<TupleSet>& sets, const std::vector<std::vector<TupleSet>>& factors,
        const std::vector<bool>& candidate) const;
    std::optional<TupleSet> FilledCrossjoin(const std::vector<TupleSet>& factors, const std::vector<bool>& onAxes);
    //! Adds to REQUEST the slicer of the current context: every hierarchy not in ONAXES, the
    //! WHERE clause's tuple set and the sub-select's member sets.
    void AddContextSlicer(AggregationRequest& request, const std::vector<bool>& onAxes) const;

    const Cube& m_cube;
    const QueryOptions m_options;
    std::uint64_t m_reserved = 0;
    std::vector<const Hierarchy*> m_hierarchies;
    std::unordered_map<const Hierarchy*, int> m_hierIndex;
    std::vector<Slot> m_context;
    std::vector<Slot> m_baseContext;
    std::deque<CalcMember> m_calcMembers;
    std::unordered_map<std::string, const CalcMember*> m_calcByName;
    //! The members VisualTotals made, by member, parts and caption (not in m_calcMembers: they
    //! have no name of their own to look up and are no part of AllMembers).
    std::deque<CalcMember> m_visualMembers;
    std::unordered_map<std::string, const CalcMember*> m_visualTotals;
    std::unordered_map<std::string, NamedSetEntry> m_sets;
    std::vector<mdx::ExprPtr> m_ownedExprs;
    //! Texts of StrToMember and its kin, parsed (the trees are in m_ownedExprs).
    std::unordered_map<std::string, const Expr*> m_parsedTexts;
    std::unordered_map<CellKey, std::optional<double>, CellKeyHash> m_cellCache;
    //! Rows under any of these tuples (a WHERE set that is not a crossjoin); applies to
    //! every stored cell of the query.
    std::vector<std::vector<const Member*>> m_tupleSlicer;
    //! The sub-selects' restrictions: rows under these members only; part of every request.
    std::vector<MemberSet> m_subcube;
    //! Per hierarchy (by index) the count of kept leaves before each leaf ordinal; empty for
    //! a hierarchy no sub-select restricts (the whole list is empty without sub-selects).
    std::vector<std::vector<std::uint32_t>> m_keptLeaves;
    std::unordered_map<CellKey, Pending, CellKeyHash> m_pending;
    std::unordered_map<std::string, std::unique_ptr<std::vector<const Member*>>> m_multiLists;
    bool m_collecting = false;
    bool m_missed = false;
    const std::uintptr_t m_stackLimit = StackLimit();
    //! Calculated cells by context (ContextKey): exact ones, and those of a collecting round.
    std::unordered_map<CellKey, CalcCellEntry, CellKeyHash> m_calcCells;
    std::unordered_map<CellKey, CalcCellEntry, CellKeyHash> m_provisionalCells;
    //! The calculated members being computed, outermost first.
    std::vector<const CalcMember*> m_computing;
    int m_exprDepth = 0;
    //! Rank's indexed sets (by set expression, and the tuples when it depends on the context)
    //! and sorted values (by set, expression and the context outside the set's hierarchies).
    std::unordered_map<std::string, RankSet> m_rankSets;
    std::unordered_map<std::string, RankValues> m_rankValues;
    std::unordered_map<const Expr*, bool> m_contextFree;
    std::unordered_map<const Expr*, std::shared_ptr<const AggregateSet>> m_aggregateSets;
};

} // namespace olap::eval
