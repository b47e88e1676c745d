#include "olap/query/eval/Evaluator.h"
#include "olap/query/eval/FunctionRegistry.h"

#include "olap/model/Cube.h"
#include "olap/model/Dimension.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Level.h"
#include "olap/model/Measure.h"
#include "olap/model/Member.h"

#include <algorithm>
#include <unordered_set>

namespace olap::eval {

Value Evaluator::FnAggregate(const CallSite& call)
{
    TupleSet s = SetOf(*call.args[0]);
    const Expr* expr = call.Present(1) ? call.args[1] : nullptr;
    std::string op = call.name;
    if (call.name == "aggregate") {
        const MemberRef& measure = m_context[0].member;
        const Measure* stored = measure.m && measure.m->MeasureIndex() >= 0
            ? m_cube.Measures()[static_cast<std::size_t>(measure.m->MeasureIndex())]
            : nullptr;
        if (!expr && stored && !s.empty()) {
            // Stored measure over a crossjoin of stored members: one cell over the
            // rows under any of them, exact for every aggregator.
            std::vector<std::vector<const Member*>> perHierarchy(s[0].size());
            std::vector<std::unordered_set<const Member*>> seen(s[0].size());
            bool plain = true;
            std::size_t distinct = 0;
            std::unordered_set<std::string> tuples;
            for (const Tuple& t : s) {
                for (std::size_t i = 0; i < t.size() && plain; ++i) {
                    if (!t[i].m || t[i].m->MeasureIndex() >= 0)
                        plain = false;
                    else if (seen[i].insert(t[i].m).second)
                        perHierarchy[i].push_back(t[i].m);
                }
                if (tuples.insert(TupleKey(t)).second)
                    ++distinct;
            }
            std::size_t product = 1;
            for (const auto& list : perHierarchy)
                product *= list.size();
            if (plain && product == distinct) {
                Scope scope(*this, Tuple {});
                for (std::size_t i = 0; i < perHierarchy.size(); ++i) {
                    int h = IndexOf(s[0][i].Hier());
                    if (perHierarchy[i].size() == 1)
                        scope.SetMulti(h, MemberRef {perHierarchy[i][0], nullptr}, nullptr);
                    else
                        scope.SetMulti(h, DefaultOf(*s[0][i].Hier()), Intern(perHierarchy[i]));
                }
                return CurrentCell();
            }
        }
        op = "sum";
        if (stored) {
            switch (stored->GetAggregator()) {
            case Aggregator::Min:
                op = "min";
                break;
            case Aggregator::Max:
                op = "max";
                break;
            default:
                break;
            }
        }
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
        else if (op == "min")
            acc = std::min(*acc, *v);
        else if (op == "max")
            acc = std::max(*acc, *v);
        else
            *acc += *v;
    }
    if (op == "avg" && acc)
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
