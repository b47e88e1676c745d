#include "olap/query/eval/Evaluator.h"
#include "olap/query/eval/FunctionRegistry.h"

#include "olap/model/Hierarchy.h"
#include "olap/model/Member.h"
#include "olap/util/NameUtil.h"

#include <algorithm>

// VisualTotals(set [, pattern]): every member of the set with descendants in the set shows
// the total of those descendants only (the lowest ones, which do not overlap), not its stored
// total; in a set of tuples, per hierarchy. Such a member becomes a calculated member that aggregates them, with the
// member's unique name and, with PATTERN, the caption PATTERN with each '*' replaced by the member's.

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
    const std::size_t width = s.empty() ? 0 : s[0].size();
    // Per position of the tuples (one hierarchy each): the stored members of the set there,
    // each once, and the lowest of them (nothing of the set below).
    std::vector<std::vector<const Member*>> lowest(width);
    for (std::size_t i = 0; i < width; ++i) {
        std::vector<const Member*> stored;
        for (const Tuple& t : s) {
            if (t.size() != width || t[i].Hier() != s[0][i].Hier())
                Fail(
                    call.args[0]->position, "VisualTotals takes tuples of the same hierarchies", TextOf(*call.args[0]));
            if (t[i].m && std::find(stored.begin(), stored.end(), t[i].m) == stored.end())
                stored.push_back(t[i].m);
        }
        for (const Member* d : stored) {
            if (std::none_of(
                    stored.begin(), stored.end(), [d](const Member* e) { return e != d && d->IsAncestorOrSelfOf(*e); }))
                lowest[i].push_back(d);
        }
    }
    // Each member with lowest members of its position below it shows their total: with
    // several hierarchies the cell aggregates the crossjoin of each one's parts, so the
    // totals of a crossjoined set add up what the set shows of every hierarchy.
    TupleSet out;
    out.reserve(s.size());
    for (const Tuple& t : s) {
        Tuple shown = t;
        for (std::size_t i = 0; i < width; ++i) {
            const Member* total = t[i].m;
            if (!total || total->GetHierarchy().GetDimension().IsMeasures())
                continue;
            std::vector<const Member*> parts;
            for (const Member* d : lowest[i]) {
                if (d != total && total->IsAncestorOrSelfOf(*d))
                    parts.push_back(d);
            }
            if (!parts.empty())
                shown[i] = MemberRef {nullptr, VisualTotal(*total, parts, Caption(pattern, total->Caption()))};
        }
        out.push_back(std::move(shown));
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
