#include "olap/query/eval/Evaluator.h"
#include "olap/query/eval/FunctionRegistry.h"

#include "olap/model/Dimension.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Level.h"
#include "olap/model/Member.h"
#include "olap/util/ValueFormatter.h"

#include <algorithm>
#include <functional>
#include <set>
#include <unordered_set>

namespace olap::eval {

Value Evaluator::FnCrossJoin(const CallSite& call)
{
    TupleSet out = SetOf(*call.args[0]);
    for (std::size_t i = 1; i < call.args.size(); ++i)
        out = CrossJoin(out, SetOf(*call.args[i]), call.e);
    if (call.name == "nonemptycrossjoin") {
        TupleSet kept;
        for (Tuple& t : out) {
            if (!TupleIsEmpty(t))
                kept.push_back(std::move(t));
        }
        return Value::OfSet(std::move(kept));
    }
    return Value::OfSet(std::move(out));
}

Value Evaluator::FnNonEmpty(const CallSite& call)
{
    TupleSet s = SetOf(*call.args[0]);
    TupleSet filter = call.Present(1) ? SetOf(*call.args[1]) : TupleSet {Tuple {}};
    TupleSet out;
    for (Tuple& t : s) {
        Scope scope(*this, t);
        bool any = false;
        for (const Tuple& f : filter) {
            if (!TupleIsEmpty(f)) {
                any = true;
                break;
            }
        }
        if (any)
            out.push_back(std::move(t));
    }
    return Value::OfSet(std::move(out));
}

Value Evaluator::FnUnion(const CallSite& call)
{
    bool all = call.args.back()->IsPlainWord() && Lower(call.args.back()->segments[0].name) == "all";
    TupleSet out;
    for (std::size_t i = 0; i < call.args.size() - (all ? 1 : 0); ++i) {
        TupleSet part = SetOf(*call.args[i]);
        CheckSameShape(out, part, *call.args[i]);
        out.insert(out.end(), part.begin(), part.end());
    }
    return Value::OfSet(all ? out : DistinctOf(out));
}

Value Evaluator::FnExceptIntersect(const CallSite& call)
{
    TupleSet a = SetOf(*call.args[0]);
    TupleSet b = SetOf(*call.args[1]);
    bool all = call.Word(2) == "all";
    CheckSameShape(a, b, call.e);
    std::unordered_set<std::string> inB;
    for (const Tuple& t : b)
        inB.insert(TupleKey(t));
    TupleSet out;
    for (Tuple& t : a) {
        if (inB.count(TupleKey(t)) == (call.name == "intersect" ? 1u : 0u))
            out.push_back(std::move(t));
    }
    return Value::OfSet(all ? out : DistinctOf(out));
}

Value Evaluator::FnDistinct(const CallSite& call)
{
    return Value::OfSet(DistinctOf(SetOf(*call.args[0])));
}

Value Evaluator::FnHierarchize(const CallSite& call)
{
    TupleSet s = SetOf(*call.args[0]);
    bool post = call.Word(1) == "post";
    std::stable_sort(s.begin(), s.end(), [&](const Tuple& a, const Tuple& b) { return TupleBefore(a, b, post); });
    return Value::OfSet(std::move(s));
}

Value Evaluator::FnHeadTail(const CallSite& call)
{
    TupleSet s = SetOf(*call.args[0]);
    long long n = call.Present(1) ? call.Integer(1) : 1;
    n = std::clamp(n, 0LL, static_cast<long long>(s.size()));
    if (call.name == "head")
        return Value::OfSet(TupleSet(s.begin(), s.begin() + n));
    return Value::OfSet(TupleSet(s.end() - n, s.end()));
}

Value Evaluator::FnSubset(const CallSite& call)
{
    TupleSet s = SetOf(*call.args[0]);
    long long start = std::clamp(call.Integer(1), 0LL, static_cast<long long>(s.size()));
    long long count = call.Present(2) ? call.Integer(2) : static_cast<long long>(s.size());
    long long end = std::clamp(start + std::max(0LL, count), start, static_cast<long long>(s.size()));
    return Value::OfSet(TupleSet(s.begin() + start, s.begin() + end));
}

Value Evaluator::FnFilter(const CallSite& call)
{
    TupleSet s = SetOf(*call.args[0]);
    TupleSet out;
    for (Tuple& t : s) {
        Scope scope(*this, t);
        if (Truth(*call.args[1]))
            out.push_back(std::move(t));
    }
    return Value::OfSet(std::move(out));
}

Value Evaluator::FnGenerate(const CallSite& call)
{
    TupleSet s = SetOf(*call.args[0]);
    bool all = call.Word(2) == "all";
    TupleSet out;
    std::string text;
    bool isText = false;
    for (const Tuple& t : s) {
        Scope scope(*this, t);
        Value v = Eval(*call.args[1]);
        if (v.kind == VK::String || v.kind == VK::Number) {
            isText = true;
            std::string part = v.kind == VK::String ? v.text : FormatNumber(v.number);
            CheckTextSize(text.size() + part.size(), call.e);
            text += part;
            continue;
        }
        TupleSet part = ToSet(std::move(v), *call.args[1]);
        CheckSameShape(out, part, *call.args[1]);
        if (!part.empty())
            CheckSetSize(static_cast<double>(out.size() + part.size()), part[0].size(), "the set Generate builds");
        out.insert(out.end(), part.begin(), part.end());
    }
    if (isText)
        return Value::Str(text);
    return Value::OfSet(all ? out : DistinctOf(out));
}

Value Evaluator::FnExtract(const CallSite& call)
{
    TupleSet s = SetOf(*call.args[0]);
    std::vector<const Hierarchy*> hs;
    for (std::size_t i = 1; i < call.args.size(); ++i)
        hs.push_back(HierarchyOf(*call.args[i]));
    TupleSet out;
    for (const Tuple& t : s) {
        Tuple part;
        for (const Hierarchy* h : hs) {
            auto it = std::find_if(t.begin(), t.end(), [&](const MemberRef& r) { return r.Hier() == h; });
            if (it == t.end())
                Fail(call.e.position, "hierarchy " + h->UniqueName() + " is not in the set", call.shown);
            part.push_back(*it);
        }
        out.push_back(std::move(part));
    }
    return Value::OfSet(DistinctOf(out));
}

Value Evaluator::FnDrilldownLevel(const CallSite& call)
{
    TupleSet s = SetOf(*call.args[0]);
    int depth = -1;
    if (call.Present(1)) {
        depth = LevelOf(*call.args[1])->Depth();
    } else {
        for (const Tuple& t : s)
            depth = std::max(depth, FirstMember(t).IsNull() ? -1 : FirstMember(t).Depth());
    }
    TupleSet out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        out.push_back(s[i]);
        MemberRef m = FirstMember(s[i]);
        if (m.IsNull() || m.Depth() != depth || !m.m)
            continue;
        bool alreadyDrilled = i + 1 < s.size() && FirstMember(s[i + 1]).Parent() == m.m;
        if (alreadyDrilled)
            continue;
        for (const MemberRef& child : ChildrenOf(m)) {
            Tuple t = s[i];
            t[0] = child;
            out.push_back(std::move(t));
        }
    }
    return Value::OfSet(std::move(out));
}

Value Evaluator::FnDrilldownMember(const CallSite& call)
{
    TupleSet s = SetOf(*call.args[0]);
    TupleSet targets = SetOf(*call.args[1]);
    bool recursive = call.Word(2) == "recursive";
    std::unordered_set<const Member*> drill;
    for (const Tuple& t : targets) {
        for (const MemberRef& r : t) {
            if (r.m)
                drill.insert(r.m);
        }
    }
    TupleSet out;
    std::function<void(const Tuple&, bool)> emit = [&](const Tuple& t, bool mayDrill) {
        out.push_back(t);
        MemberRef m = FirstMember(t);
        if (!mayDrill || !m.m || !drill.count(m.m))
            return;
        for (const MemberRef& child : ChildrenOf(m)) {
            Tuple c = t;
            c[0] = child;
            emit(c, recursive);
        }
    };
    for (std::size_t i = 0; i < s.size(); ++i) {
        MemberRef m = FirstMember(s[i]);
        bool alreadyDrilled = i + 1 < s.size() && m.m && FirstMember(s[i + 1]).Parent() == m.m;
        emit(s[i], !alreadyDrilled);
    }
    return Value::OfSet(std::move(out));
}

Value Evaluator::FnAddCalculatedMembers(const CallSite& call)
{
    TupleSet s = SetOf(*call.args[0]);
    std::set<const Level*> levels;
    for (const Tuple& t : s) {
        if (t.size() == 1 && t[0].Lvl())
            levels.insert(t[0].Lvl());
    }
    for (const CalcMember& c : m_calcMembers) {
        if (levels.count(c.level))
            s.push_back(Tuple {MemberRef {nullptr, &c}});
    }
    return Value::OfSet(DistinctOf(s));
}

Value Evaluator::FnStripCalculatedMembers(const CallSite& call)
{
    TupleSet s = SetOf(*call.args[0]);
    TupleSet out;
    for (Tuple& t : s) {
        if (std::none_of(t.begin(), t.end(), [](const MemberRef& r) { return r.c != nullptr; }))
            out.push_back(std::move(t));
    }
    return Value::OfSet(std::move(out));
}

Value Evaluator::FnCount(const CallSite& call)
{
    Value v = Eval(*call.args[0]);
    if (v.kind == VK::Level)
        return Value::Num(static_cast<double>(v.level->Members().size()));
    if (v.kind == VK::Tuple)
        return Value::Num(static_cast<double>(v.tuple.size()));
    TupleSet s = ToSet(std::move(v), *call.args[0]);
    if (call.Word(1) == "excludeempty") {
        double n = 0;
        for (const Tuple& t : s)
            n += TupleIsEmpty(t) ? 0 : 1;
        return Value::Num(n);
    }
    return Value::Num(static_cast<double>(s.size()));
}

std::vector<FunctionEntry> SetFunctions()
{
    return {
        {"visualtotals", 1, 2, &Evaluator::FnVisualTotals},
        {"crossjoin", 1, 1000, &Evaluator::FnCrossJoin},
        {"nonemptycrossjoin", 1, 1000, &Evaluator::FnCrossJoin},
        {"nonempty", 1, 2, &Evaluator::FnNonEmpty},
        {"union", 2, 1000, &Evaluator::FnUnion},
        {"except", 2, 3, &Evaluator::FnExceptIntersect},
        {"intersect", 2, 3, &Evaluator::FnExceptIntersect},
        {"distinct", 1, 1, &Evaluator::FnDistinct},
        {"hierarchize", 1, 2, &Evaluator::FnHierarchize},
        {"head", 1, 2, &Evaluator::FnHeadTail},
        {"tail", 1, 2, &Evaluator::FnHeadTail},
        {"subset", 2, 3, &Evaluator::FnSubset},
        {"filter", 2, 2, &Evaluator::FnFilter},
        {"generate", 2, 3, &Evaluator::FnGenerate},
        {"extract", 2, 1000, &Evaluator::FnExtract},
        {"drilldownlevel", 1, 3, &Evaluator::FnDrilldownLevel},
        {"drilldownmember", 2, 3, &Evaluator::FnDrilldownMember},
        {"addcalculatedmembers", 1, 1, &Evaluator::FnAddCalculatedMembers},
        {"stripcalculatedmembers", 1, 1, &Evaluator::FnStripCalculatedMembers},
        {"count", 1, 2, &Evaluator::FnCount},
    };
}

} // namespace olap::eval
