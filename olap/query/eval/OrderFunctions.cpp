#include "olap/query/eval/Evaluator.h"
#include "olap/query/eval/FunctionRegistry.h"

#include "olap/model/Dimension.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Level.h"
#include "olap/model/Member.h"

#include <algorithm>

namespace olap::eval {

Value Evaluator::FnOrder(const CallSite& call)
{
    TupleSet s = SetOf(*call.args[0]);
    std::string flag = call.Present(2) ? call.Word(2) : "asc";
    if (flag != "asc" && flag != "desc" && flag != "basc" && flag != "bdesc")
        Fail(call.args[2]->position, "unknown Order flag '" + call.args[2]->segments[0].name + "'",
            TextOf(*call.args[2]));
    bool descending = flag == "desc" || flag == "bdesc";
    if (flag == "basc" || flag == "bdesc")
        return Value::OfSet(SortByKey(s, call.args[1], descending));
    // ASC/DESC keep the hierarchy: a member follows its ancestors, and members of
    // different families compare by their ancestors that are siblings.
    std::vector<Value> keys = KeysOf(s, call.args[1]);
    std::unordered_map<const Member*, Value> memo;
    auto valueOf = [&](const Member* m, std::size_t x) -> const Value& {
        if (auto it = memo.find(m); it != memo.end())
            return it->second;
        Tuple t = s[x];
        t[0] = MemberRef {m, nullptr};
        Value v;
        {
            Scope scope(*this, t);
            v = Scalar(Eval(*call.args[1]), *call.args[1]);
        }
        return memo.emplace(m, std::move(v)).first->second;
    };
    std::vector<std::size_t> order(s.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
        MemberRef a = FirstMember(s[x]);
        MemberRef b = FirstMember(s[y]);
        if (a == b || !a.m || !b.m || a.Hier() != b.Hier()) {
            int c = CompareScalars(keys[x], keys[y]);
            return descending ? c > 0 : c < 0;
        }
        if (a.m->IsAncestorOrSelfOf(*b.m))
            return true;
        if (b.m->IsAncestorOrSelfOf(*a.m))
            return false;
        const Member* pa = a.m;
        const Member* pb = b.m;
        while (pa->Depth() > pb->Depth())
            pa = pa->Parent();
        while (pb->Depth() > pa->Depth())
            pb = pb->Parent();
        while (pa->Parent() != pb->Parent()) {
            pa = pa->Parent();
            pb = pb->Parent();
        }
        int c = CompareScalars(pa == a.m ? keys[x] : valueOf(pa, x), pb == b.m ? keys[y] : valueOf(pb, y));
        if (c != 0)
            return descending ? c > 0 : c < 0;
        return pa->Ordinal() < pb->Ordinal();
    });
    TupleSet out;
    for (std::size_t i : order)
        out.push_back(s[i]);
    return Value::OfSet(std::move(out));
}

Value Evaluator::FnTopBottomCount(const CallSite& call)
{
    TupleSet s = SetOf(*call.args[0]);
    long long n = std::max(0LL, call.Integer(1));
    if (call.Present(2))
        s = SortByKey(s, call.args[2], call.name == "topcount");
    if (static_cast<long long>(s.size()) > n)
        s.resize(static_cast<std::size_t>(n));
    return Value::OfSet(std::move(s));
}

Value Evaluator::FnTopBottomPercentSum(const CallSite& call)
{
    TupleSet s = SetOf(*call.args[0]);
    std::optional<double> limit = NumberOf(*call.args[1]);
    bool top = call.name.rfind("top", 0) == 0;
    bool percent = call.name.find("percent") != std::string::npos;
    TupleSet sorted = SortByKey(s, call.args[2], top);
    std::vector<Value> keys = KeysOf(sorted, call.args[2]);
    double total = 0;
    for (const Value& k : keys)
        total += k.kind == VK::Number ? k.number : 0;
    double target = percent ? total * limit.value_or(0) / 100.0 : limit.value_or(0);
    TupleSet out;
    double running = 0;
    for (std::size_t i = 0; i < sorted.size() && running < target; ++i) {
        out.push_back(sorted[i]);
        running += keys[i].kind == VK::Number ? keys[i].number : 0;
    }
    return Value::OfSet(std::move(out));
}

std::vector<FunctionEntry> OrderFunctions()
{
    return {
        {"order", 2, 3, &Evaluator::FnOrder},
        {"topcount", 2, 3, &Evaluator::FnTopBottomCount},
        {"bottomcount", 2, 3, &Evaluator::FnTopBottomCount},
        {"toppercent", 3, 3, &Evaluator::FnTopBottomPercentSum},
        {"bottompercent", 3, 3, &Evaluator::FnTopBottomPercentSum},
        {"topsum", 3, 3, &Evaluator::FnTopBottomPercentSum},
        {"bottomsum", 3, 3, &Evaluator::FnTopBottomPercentSum},
    };
}

} // namespace olap::eval
