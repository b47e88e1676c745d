#include "olap/query/eval/Evaluator.h"
#include "olap/query/eval/FunctionRegistry.h"

#include "olap/model/Dimension.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Level.h"
#include "olap/model/Member.h"

#include <algorithm>

namespace olap::eval {

// The member a time function works on: argument I when given, else the current member of H
// (or of the first time dimension).
MemberRef Evaluator::TimeMember(const CallSite& call, std::size_t i, const Hierarchy* h)
{
    if (call.Present(i))
        return MemberOf(*call.args[i]);
    if (!h) {
        for (const Hierarchy* x : m_hierarchies) {
            if (x->GetDimension().Type() == DimensionType::Time) {
                h = x;
                break;
            }
        }
    }
    if (!h)
        Fail(call.e.position, call.shown + " needs a member: the cube has no time dimension", call.shown);
    return m_context[static_cast<std::size_t>(IndexOf(h))].member;
}

const Level* Evaluator::LevelOfType(const CallSite& call, const Hierarchy& h, LevelType type) const
{
    for (const Level* l : h.Levels()) {
        if (l->Type() == type)
            return l;
    }
    Fail(call.e.position, "hierarchy " + h.UniqueName() + " has no level of type " + std::string(LevelTypeName(type)),
        call.shown);
}

// The members of M's level from the first under M's ancestor on LEVEL up to M.
Value Evaluator::PeriodsToDate(const Level* level, MemberRef m) const
{
    if (!m.m || m.m->Depth() < level->Depth())
        return Value::OfSet({});
    const Member* top = AncestorAt(m.m, level->Depth());
    auto peers = m.m->GetLevel().Members();
    TupleSet out;
    for (std::uint32_t i = 0; i <= m.m->Ordinal(); ++i) {
        if (top->IsAncestorOrSelfOf(*peers[i]))
            out.push_back(Tuple {MemberRef {peers[i], nullptr}});
    }
    return Value::OfSet(std::move(out));
}

Value Evaluator::FnPeriodsToDate(const CallSite& call)
{
    const Level* level = call.Present(0) ? LevelOf(*call.args[0]) : nullptr;
    MemberRef m = TimeMember(call, 1, level ? &level->GetHierarchy() : nullptr);
    if (!level) {
        if (m.IsNull() || !m.m || !m.m->Parent())
            return Value::OfSet({});
        level = &m.m->Parent()->GetLevel();
    }
    return PeriodsToDate(level, m);
}

Value Evaluator::FnToDate(const CallSite& call)
{
    MemberRef m = TimeMember(call, 0, nullptr);
    if (m.IsNull())
        return Value::OfSet({});
    LevelType type = call.name == "ytd" ? LevelType::TimeYears
        : call.name == "qtd"            ? LevelType::TimeQuarters
        : call.name == "mtd"            ? LevelType::TimeMonths
                                        : LevelType::TimeWeeks;
    return PeriodsToDate(LevelOfType(call, *m.Hier(), type), m);
}

Value Evaluator::FnParallelPeriod(const CallSite& call)
{
    long long lag = call.Present(1) ? call.Integer(1) : 1;
    const Level* level = call.Present(0) ? LevelOf(*call.args[0]) : nullptr;
    MemberRef m = TimeMember(call, 2, level ? &level->GetHierarchy() : nullptr);
    if (!m.m)
        return Value::Mem({});
    if (!level) {
        if (!m.m->Parent())
            return Value::Mem({});
        level = &m.m->Parent()->GetLevel();
    }
    const Member* ancestor = AncestorAt(m.m, level->Depth());
    if (!ancestor)
        return Value::Mem({});
    // The path of child positions from the ancestor down to the member.
    std::vector<std::size_t> path;
    for (const Member* x = m.m; x != ancestor; x = x->Parent()) {
        auto siblings = x->Parent()->Children();
        path.push_back(static_cast<std::size_t>(std::find(siblings.begin(), siblings.end(), x) - siblings.begin()));
    }
    MemberRef other = Cousin(MemberRef {ancestor, nullptr}, static_cast<int>(-lag));
    const Member* x = other.m;
    for (auto it = path.rbegin(); x && it != path.rend(); ++it)
        x = *it < x->Children().size() ? x->Children()[*it] : nullptr;
    return Value::Mem(MemberRef {x, nullptr});
}

Value Evaluator::FnOpeningClosingPeriod(const CallSite& call)
{
    const Level* level = call.Present(0) ? LevelOf(*call.args[0]) : nullptr;
    MemberRef m = TimeMember(call, 1, level ? &level->GetHierarchy() : nullptr);
    if (!m.m)
        return Value::Mem({});
    if (!level) {
        if (m.m->Children().empty())
            return Value::Mem({});
        level = &m.m->Children().front()->GetLevel();
    }
    const Member* x = m.m;
    while (x && x->Depth() < level->Depth()) {
        auto children = x->Children();
        x = children.empty() ? nullptr : call.name == "openingperiod" ? children.front() : children.back();
    }
    if (x && x->Depth() != level->Depth())
        x = nullptr;
    return Value::Mem(MemberRef {x, nullptr});
}

Value Evaluator::FnLastPeriods(const CallSite& call)
{
    long long n = call.Integer(0);
    MemberRef m = TimeMember(call, 1, nullptr);
    if (!m.m || n == 0)
        return Value::OfSet({});
    const auto levelSize = static_cast<long long>(m.m->GetLevel().Members().size());
    n = std::clamp(n, -levelSize, levelSize);
    std::vector<MemberRef> out;
    if (n > 0) {
        for (long long i = n - 1; i >= 0; --i)
            out.push_back(Cousin(m, static_cast<int>(-i)));
    } else {
        for (long long i = 0; i < -n; ++i)
            out.push_back(Cousin(m, static_cast<int>(i)));
    }
    return MemberList(out);
}

std::vector<FunctionEntry> TimeFunctions()
{
    return {
        {"periodstodate", 0, 2, &Evaluator::FnPeriodsToDate},
        {"ytd", 0, 1, &Evaluator::FnToDate},
        {"qtd", 0, 1, &Evaluator::FnToDate},
        {"mtd", 0, 1, &Evaluator::FnToDate},
        {"wtd", 0, 1, &Evaluator::FnToDate},
        {"parallelperiod", 0, 3, &Evaluator::FnParallelPeriod},
        {"openingperiod", 0, 2, &Evaluator::FnOpeningClosingPeriod},
        {"closingperiod", 0, 2, &Evaluator::FnOpeningClosingPeriod},
        {"lastperiods", 1, 2, &Evaluator::FnLastPeriods},
    };
}

} // namespace olap::eval
