#include "olap/query/eval/Evaluator.h"
#include "olap/query/eval/FunctionRegistry.h"

#include "olap/model/Cube.h"

#include <algorithm>
#include <cmath>

// Rank(tuple, set) and Rank(tuple, set, value). A calculated measure such as
// Rank([Product].CurrentMember, [Product].[Product].Members, [Measures].[Qty]) is computed once
// per cell of the grid; comparing the tuple against every other one each time would make a
// grid of n products cost n * n values. Instead the set is indexed once (per set expression,
// and per context only when the set depends on it), and its values are computed and sorted
// once per context outside the set's own hierarchies (the tuples of the set overwrite those),
// so a rank costs a lookup and a binary search.

namespace olap::eval {

namespace {

// A tuple by its members in any order: (Web, Pear) and (Pear, Web) are the same tuple.
std::string RankTupleKey(const Tuple& t)
{
    std::vector<const void*> members;
    members.reserve(t.size());
    for (const MemberRef& r : t)
        members.push_back(r.m ? static_cast<const void*>(r.m) : static_cast<const void*>(r.c));
    std::sort(members.begin(), members.end(), std::less<const void*>());
    std::string key;
    key.reserve(members.size() * sizeof(void*));
    for (const void* p : members)
        AppendPointer(key, p);
    return key;
}

// Numbers (and empties) or texts (and empties) have a total order under CompareScalars; a mix
// of numbers and texts compares numbers as their text, which is no order to sort by.
bool Sortable(const std::vector<Value>& values)
{
    bool numbers = false;
    bool texts = false;
    for (const Value& v : values) {
        if (v.kind == VK::String)
            texts = true;
        else if (v.kind == VK::Number || v.kind == VK::Bool)
            numbers = true;
        if ((v.kind == VK::Number || v.kind == VK::Bool) && std::isnan(v.number))
            return false;
    }
    return !(numbers && texts);
}

bool IsOneOf(const std::string& name, std::initializer_list<const char*> names)
{
    return std::any_of(names.begin(), names.end(), [&name](const char* n) { return name == n; });
}

} // namespace

// True when the set E names is the same in every context: members, levels, named sets
// (evaluated once per query) and the set functions of fixed members, whose further arguments
// are literal numbers, flags or levels. CurrentMember, a hierarchy standing for its current
// member, or any value (Filter, Order, a count read from a cell) depend on the context.
bool Evaluator::ContextFree(const Expr& e)
{
    if (auto it = m_contextFree.find(&e); it != m_contextFree.end())
        return it->second;
    // A further argument: a number, text, flag word or level, never a cell's value.
    auto fixedArgument = [this](const Expr& a) {
        switch (a.kind) {
        case ExprKind::Number:
        case ExprKind::String:
        case ExprKind::EmptyArgument:
            return true;
        case ExprKind::Identifier:
            return (a.IsPlainWord() && !m_cube.FindDimension(a.segments[0].name)
                       && !m_sets.count(Lower(a.segments[0].name)) && !m_calcByName.count(Lower(IdentifierText(a)))
                       && !m_cube.FindMeasure(a.segments[0].name))
                || m_cube.FindLevel(IdentifierText(a)) != nullptr;
        default:
            return false;
        }
    };
    bool free = false;
    switch (e.kind) {
    case ExprKind::Identifier: {
        // Members, levels and named sets are fixed; a hierarchy or dimension used as a set
        // stands for its current member.
        const std::string text = IdentifierText(e);
        if (m_calcByName.count(Lower(text)))
            free = true;
        else if (e.segments.size() == 1)
            free = m_sets.count(Lower(e.segments[0].name)) > 0
                || (!m_cube.FindDimension(e.segments[0].name) && !m_cube.FindHierarchy(text));
        else
            free = m_cube.FindMember(text) || m_cube.FindLevel(text);
        break;
    }
    case ExprKind::Tuple:
    case ExprKind::Set:
        free = std::all_of(e.operands.begin(), e.operands.end(), [this](const auto& op) { return ContextFree(*op); });
        break;
    case ExprKind::Binary:
        // Ranges, unions, differences and crossjoins of sets.
        free = (e.binaryOperator == BinaryOperator::Range || e.binaryOperator == BinaryOperator::Add
                   || e.binaryOperator == BinaryOperator::Subtract || e.binaryOperator == BinaryOperator::Multiply)
            && ContextFree(*e.operands[0]) && ContextFree(*e.operands[1]);
        break;
    case ExprKind::Call:
    case ExprKind::MethodCall:
    case ExprKind::Property: {
        const std::string name = Lower(e.kind == ExprKind::Property ? e.segments[0].name : e.name);
        // Functions of sets in every argument (flags aside).
        static const std::initializer_list<const char*> kOfSets
            = {"crossjoin", "union", "except", "intersect", "drilldownmember"};
        // Functions of one set or member (the object, or the first argument).
        static const std::initializer_list<const char*> kOfOne = {"members", "allmembers", "children", "parent",
            "firstchild", "lastchild", "firstsibling", "lastsibling", "siblings", "prevmember", "nextmember", "lag",
            "lead", "ancestor", "ascendants", "descendants", "item", "distinct", "hierarchize", "head", "tail",
            "subset", "extract", "drilldownlevel", "addcalculatedmembers", "stripcalculatedmembers"};
        // Of a hierarchy these list or name fixed members whatever its current member is.
        static const std::initializer_list<const char*> kOfHierarchy = {"members", "allmembers", "defaultmember"};
        std::vector<const Expr*> args;
        if (e.object)
            args.push_back(e.object.get());
        for (const auto& op : e.operands)
            args.push_back(op.get());
        if (IsOneOf(name, kOfSets)) {
            free = std::all_of(
                args.begin(), args.end(), [&](const Expr* a) { return fixedArgument(*a) || ContextFree(*a); });
        } else if ((IsOneOf(name, kOfOne) || IsOneOf(name, kOfHierarchy)) && !args.empty()) {
            const bool hierarchyObject = args[0]->kind == ExprKind::Identifier && IsOneOf(name, kOfHierarchy);
            free = (hierarchyObject || ContextFree(*args[0]))
                && std::all_of(args.begin() + 1, args.end(), [&](const Expr* a) { return fixedArgument(*a); });
        }
        break;
    }
    default:
        break;
    }
    m_contextFree.emplace(&e, free);
    return free;
}

bool Evaluator::RankEntryValid(bool exact, std::size_t cellsKnown) const
{
    // An entry of a collecting round read missing stored cells as empty: it holds until more
    // cells are fetched, and never in the final round.
    return exact || (m_collecting && cellsKnown == m_cellCache.size());
}

const Evaluator::RankSet& Evaluator::RankSetOf(const CallSite& call)
{
    const Expr& setExpr = *call.args[1];
    std::string key;
    AppendPointer(key, &setExpr);
    TupleSet evaluated;
    const bool free = ContextFree(setExpr);
    if (!free) {
        evaluated = SetOf(setExpr);
        for (const Tuple& t : evaluated) {
            for (const MemberRef& r : t)
                AppendPointer(key, r.m ? static_cast<const void*>(r.m) : static_cast<const void*>(r.c));
            key += ';';
        }
    }
    if (auto it = m_rankSets.find(key);
        it != m_rankSets.end() && RankEntryValid(it->second.exact, it->second.cellsKnown))
        return it->second;
    RankSet rs;
    rs.set = free ? SetOf(setExpr) : std::move(evaluated);
    rs.exact = !m_collecting;
    rs.cellsKnown = m_cellCache.size();
    rs.setsHierarchy.assign(m_hierarchies.size(), !rs.set.empty());
    std::vector<bool> inTuple(m_hierarchies.size());
    for (std::size_t i = 0; i < rs.set.size(); ++i) {
        const Tuple& t = rs.set[i];
        std::fill(inTuple.begin(), inTuple.end(), false);
        for (const MemberRef& r : t) {
            if (!r.IsNull())
                inTuple[static_cast<std::size_t>(IndexOf(r.Hier()))] = true;
        }
        for (std::size_t h = 0; h < inTuple.size(); ++h)
            rs.setsHierarchy[h] = rs.setsHierarchy[h] && inTuple[h];
        if (rs.position.try_emplace(RankTupleKey(t), i).second)
            rs.distinct.push_back(i);
    }
    std::size_t width = rs.set.empty() ? 0 : rs.set[0].size();
    Reserve(key.size() + rs.set.size() * (sizeof(Tuple) + 64 + width * (sizeof(MemberRef) + sizeof(void*))),
        "Rank's indexed sets");
    auto [it, inserted] = m_rankSets.insert_or_assign(std::move(key), std::move(rs));
    return it->second;
}

const Evaluator::RankValues& Evaluator::RankValuesOf(const CallSite& call, const RankSet& rs)
{
    // The values depend on the context except where every tuple of the set sets the member.
    std::string key;
    AppendPointer(key, &rs);
    AppendPointer(key, call.args[2]);
    for (std::size_t i = 0; i < m_context.size(); ++i) {
        if (rs.setsHierarchy[i])
            continue;
        const Slot& s = m_context[i];
        AppendPointer(key, s.member.m);
        AppendPointer(key, s.member.c);
        AppendPointer(key, s.multi);
    }
    if (auto it = m_rankValues.find(key);
        it != m_rankValues.end() && RankEntryValid(it->second.exact, it->second.cellsKnown))
        return it->second;
    RankValues values;
    values.exact = !m_collecting;
    // Computing the values may fetch stored cells (and so change cellsKnown): count after.
    values.byDistinct.reserve(rs.distinct.size());
    for (std::size_t p : rs.distinct) {
        Scope scope(*this, rs.set[p]);
        values.byDistinct.push_back(Scalar(Eval(*call.args[2]), *call.args[2]));
    }
    values.cellsKnown = m_cellCache.size();
    values.sortable = Sortable(values.byDistinct);
    if (values.sortable) {
        values.sorted = values.byDistinct;
        std::sort(values.sorted.begin(), values.sorted.end(),
            [](const Value& a, const Value& b) { return CompareScalars(a, b) > 0; });
    }
    Reserve(key.size() + values.byDistinct.size() * 2 * sizeof(Value) + kEntryBytes, "Rank's sorted values");
    auto [it, inserted] = m_rankValues.insert_or_assign(std::move(key), std::move(values));
    return it->second;
}

// Rank(tuple, set): the tuple's 1-based position in the set, 0 when it is not in it.
// Rank(tuple, set, value): 1 + the number of distinct tuples of the set with a larger value;
// tuples with equal values share a rank and the next rank is skipped. Empty values rank below
// every number. A tuple not in the set ranks 0.
Value Evaluator::FnRank(const CallSite& call)
{
    Tuple target = ToTuple(Eval(*call.args[0]), *call.args[0]);
    const RankSet& rs = RankSetOf(call);
    auto found = rs.position.find(RankTupleKey(target));
    if (found == rs.position.end())
        return Value::Num(0);
    if (!call.Present(2))
        return Value::Num(static_cast<double>(found->second + 1));
    const RankValues& values = RankValuesOf(call, rs);
    const std::size_t distinctIndex = static_cast<std::size_t>(
        std::lower_bound(rs.distinct.begin(), rs.distinct.end(), found->second) - rs.distinct.begin());
    const Value& own = values.byDistinct[distinctIndex];
    if (values.sortable) {
        auto above = std::partition_point(
            values.sorted.begin(), values.sorted.end(), [&own](const Value& v) { return CompareScalars(v, own) > 0; });
        return Value::Num(static_cast<double>(above - values.sorted.begin()) + 1);
    }
    double above = 0;
    for (const Value& v : values.byDistinct) {
        if (CompareScalars(v, own) > 0)
            ++above;
    }
    return Value::Num(above + 1);
}

} // namespace olap::eval
