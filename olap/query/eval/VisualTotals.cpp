#include "olap/query/eval/Evaluator.h"
#include "olap/query/eval/FunctionRegistry.h"

#include "olap/model/Hierarchy.h"
#include "olap/model/Member.h"
#include "olap/util/NameUtil.h"

#include <algorithm>

// VisualTotals(set [, pattern]): every member of the set with descendants in the set shows
// the total of those descendants only (the lowest ones, which do not overlap), not its stored
// total. Such a member becomes a calculated member that aggregates them, with the member's
// unique name and, with PATTERN, the caption PATTERN with each '*' replaced by the member's.

namespace olap::eval {

namespace {

mdx::ExprPtr MemberName(const Member& m)
{
    auto name = std::make_unique<Expr>();
    name->kind = ExprKind::Identifier;
    std::vector<NameSegment> segments;
    SplitUniqueName(m.UniqueName(), segments);
    for (const NameSegment& s : segments) {
        mdx::IdentifierSegment segment;
        segment.quoting = s.isKey ? SegmentQuoting::Key : SegmentQuoting::Bracketed;
        if (s.isKey)
            segment.keys.push_back(s.text);
        else
            segment.name = s.text;
        name->segments.push_back(std::move(segment));
    }
    return name;
}

std::string Caption(const std::string& pattern, const std::string& caption)
{
    if (pattern.empty())
        return caption;
    std::string out;
    for (char c : pattern) {
        if (c == '*')
            out += caption;
        else
            out += c;
    }
    return out;
}

} // namespace

Value Evaluator::FnVisualTotals(const CallSite& call)
{
    TupleSet s = SetOf(*call.args[0]);
    const std::string pattern = call.Present(1) ? TextArg(call, 1) : std::string();
    std::vector<const Member*> stored;
    for (const Tuple& t : s) {
        if (t.size() != 1)
            Fail(call.args[0]->position, "VisualTotals takes a set of members of one hierarchy", TextOf(*call.args[0]));
        if (t[0].m)
            stored.push_back(t[0].m);
    }
    TupleSet out;
    out.reserve(s.size());
    for (const Tuple& t : s) {
        const Member* total = t[0].m;
        if (!total || t[0].m->GetHierarchy().GetDimension().IsMeasures()) {
            out.push_back(t);
            continue;
        }
        // The lowest descendants of TOTAL in the set: under it, with nothing of the set below.
        std::vector<const Member*> parts;
        for (const Member* d : stored) {
            if (d == total || !total->IsAncestorOrSelfOf(*d))
                continue;
            const bool lowest = std::none_of(
                stored.begin(), stored.end(), [d](const Member* e) { return e != d && d->IsAncestorOrSelfOf(*e); });
            if (lowest && std::find(parts.begin(), parts.end(), d) == parts.end())
                parts.push_back(d);
        }
        if (parts.empty()) {
            out.push_back(t);
            continue;
        }
        out.push_back(Tuple {MemberRef {nullptr, VisualTotal(*total, parts, Caption(pattern, total->Caption()))}});
    }
    return Value::OfSet(std::move(out));
}

// The calculated member that shows TOTAL as the aggregate of PARTS; one per query for each
// member, parts and caption, so a set evaluated per cell does not grow the query.
const CalcMember* Evaluator::VisualTotal(
    const Member& total, const std::vector<const Member*>& parts, const std::string& caption)
{
    std::string key = PointerBytes(&total) + caption + '\n';
    for (const Member* m : parts)
        AppendPointer(key, m);
    if (auto it = m_visualTotals.find(key); it != m_visualTotals.end())
        return it->second;
    auto set = std::make_unique<Expr>();
    set->kind = ExprKind::Set;
    for (const Member* m : parts)
        set->operands.push_back(MemberName(*m));
    auto formula = std::make_unique<Expr>();
    formula->kind = ExprKind::Call;
    formula->name = "Aggregate";
    formula->operands.push_back(std::move(set));
    Reserve(key.size() + parts.size() * 64 + kEntryBytes, "visual totals");
    m_ownedExprs.push_back(std::move(formula));

    CalcMember c;
    c.name = total.Name();
    c.caption = caption;
    c.uniqueName = total.UniqueName();
    c.hierarchy = &total.GetHierarchy();
    c.parent = total.Parent();
    c.level = &total.GetLevel();
    c.formula = m_ownedExprs.back().get();
    c.order = static_cast<int>(m_visualMembers.size());
    c.visualOf = &total;
    m_visualMembers.push_back(std::move(c));
    const CalcMember* made = &m_visualMembers.back();
    m_visualTotals.emplace(std::move(key), made);
    return made;
}

} // namespace olap::eval
