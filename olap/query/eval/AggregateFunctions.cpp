#include "olap/query/eval/Evaluator.h"
#include "olap/query/eval/FunctionRegistry.h"

#include "olap/model/Cube.h"
#include "olap/model/Dimension.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Level.h"
#include "olap/model/Measure.h"
#include "olap/model/Member.h"

#include <algorithm>
#include <memory>
#include <unordered_set>

namespace olap::eval {

Evaluator::AggregateSet Evaluator::AnalyseAggregateSet(TupleSet set, bool stored)
{
    AggregateSet out;
    out.set = std::move(set);
    out.exact = !m_collecting;
    out.cellsKnown = m_cellCache.size();
    const TupleSet& s = out.set;
    out.analysed = stored;
    if (s.empty() || !stored)
        return out;
    const std::size_t width = s[0].size();
    std::vector<std::vector<const Member*>> perHierarchy(width);
    std::vector<std::unordered_set<const Member*>> seen(width);
    for (const Tuple& t : s) {
        if (t.size() != width)
            return out;
        for (std::size_t i = 0; i < width; ++i) {
            if (!t[i].m || t[i].m->MeasureIndex() >= 0)
                return out;
            if (seen[i].insert(t[i].m).second)
                perHierarchy[i].push_back(t[i].m);
        }
    }
    // One cell over the rows under any member of each hierarchy answers the set only when
    // the set is that whole crossjoin, each tuple once.
    std::size_t product = 1;
    for (const auto& list : perHierarchy)
        product *= list.size();
    std::size_t distinct = s.size();
    if (width > 1) {
        std::unordered_set<std::string> tuples;
        for (const Tuple& t : s)
            tuples.insert(TupleKey(t));
        distinct = tuples.size();
    }
    if (product != distinct)
        return out;
    out.plain = true;
    for (std::size_t i = 0; i < width; ++i) {
        out.hierarchies.push_back(IndexOf(s[0][i].Hier()));
        if (perHierarchy[i].size() == 1)
            out.slots.push_back(Slot {MemberRef {perHierarchy[i][0], nullptr}, nullptr});
        else
            out.slots.push_back(Slot {DefaultOf(*s[0][i].Hier()), Intern(std::move(perHierarchy[i]))});
    }
    return out;
}

Value Evaluator::FnAggregate(const CallSite& call)
{
    const Expr* expr = call.Present(1) ? call.args[1] : nullptr;
    const bool aggregate = call.name == "aggregate";
    const MemberRef& measure = m_context[0].member;
    const Measure* stored = aggregate && measure.m && measure.m->MeasureIndex() >= 0
        ? m_cube.Measures()[static_cast<std::size_t>(measure.m->MeasureIndex())]
        : nullptr;
    const bool oneCell = stored && !expr;
    // A set that does not depend on the context is looked at once per query, not per cell
    // (again after a collecting round fetched cells it may have read as missing).
    // Held here: a formula computed inside this one may replace the query's entry.
    std::shared_ptr<const AggregateSet> analysed;
    if (ContextFree(*call.args[0])) {
        auto it = m_aggregateSets.find(call.args[0]);
        const bool valid = it != m_aggregateSets.end() && (it->second->analysed || !oneCell)
            && (it->second->exact || (m_collecting && it->second->cellsKnown == m_cellCache.size()));
        if (!valid) {
            auto fresh = std::make_shared<const AggregateSet>(AnalyseAggregateSet(SetOf(*call.args[0]), oneCell));
            it = m_aggregateSets.insert_or_assign(call.args[0], std::move(fresh)).first;
        }
        analysed = it->second;
    } else {
        analysed = std::make_shared<const AggregateSet>(AnalyseAggregateSet(SetOf(*call.args[0]), oneCell));
    }
    const TupleSet& s = analysed->set;
    enum class Op { Sum, Avg, Min, Max };
    Op op = call.name == "avg" ? Op::Avg : call.name == "min" ? Op::Min : call.name == "max" ? Op::Max : Op::Sum;
    if (aggregate) {
        if (oneCell && analysed->plain) {
            // Stored measure over a crossjoin of stored members: one cell over the
            // rows under any of them, exact for every aggregator.
            Scope scope(*this, Tuple {});
            for (std::size_t i = 0; i < analysed->hierarchies.size(); ++i)
                scope.SetMulti(analysed->hierarchies[i], analysed->slots[i].member, analysed->slots[i].multi);
            return CurrentCell();
        }
        if (stored && stored->GetAggregator() == Aggregator::Min)
            op = Op::Min;
        else if (stored && stored->GetAggregator() == Aggregator::Max)
            op = Op::Max;
    }
    std::optional<double> acc;
    double count = 0;
    for (const Tuple& t : s) {
        Scope scope(*this, t);
        std::optional<double> v = expr ? NumberOf(*expr) : Number(CurrentCell(), call.e);
        if (!v)
            continue;
        ++count;
        if (!acc)
            acc = *v;
        else if (op == Op::Min)
            acc = std::min(*acc, *v);
        else if (op == Op::Max)
            acc = std::max(*acc, *v);
        else
            *acc += *v;
    }
    if (op == Op::Avg && acc)
        acc = *acc / count;
    return Value::OptNum(acc);
}

std::vector<FunctionEntry> AggregateFunctions()
{
    return {
        {"sum", 1, 2, &Evaluator::FnAggregate},
        {"avg", 1, 2, &Evaluator::FnAggregate},
        {"min", 1, 2, &Evaluator::FnAggregate},
        {"max", 1, 2, &Evaluator::FnAggregate},
        {"aggregate", 1, 2, &Evaluator::FnAggregate},
    };
}

} // namespace olap::eval
