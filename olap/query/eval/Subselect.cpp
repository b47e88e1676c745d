#include "olap/query/eval/Evaluator.h"

#include "olap/exec/MemberSet.h"
#include "olap/model/Cube.h"
#include "olap/model/Dimension.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Member.h"
#include "olap/util/NameUtil.h"

// A sub-select in FROM, `SELECT ... FROM (SELECT {members} ON 0 FROM [Cube])`, restricts the
// cube the outer query sees: on every hierarchy its axes (and its WHERE) name, only the rows
// under the named members count, so the totals above them add up the kept members only
// (visual totals), and member lists (level and hierarchy members, children, descendants) hold
// only the members above or below a kept one. Pivot clients filter members this way.

namespace olap::eval {

void Evaluator::ApplySubselect(const mdx::SelectStatement& sub)
{
    if (sub.subselect)
        ApplySubselect(*sub.subselect);
    if (sub.cube) {
        std::string cubeName = sub.cube->segments.empty() ? std::string() : sub.cube->segments.back().name;
        if (!EqualsNoCase(cubeName, m_cube.Name()))
            FailName(sub.cube->position, "unknown cube '" + IdentifierText(*sub.cube) + "'", IdentifierText(*sub.cube));
    }
    DefineSubselectFormulas(sub);
    std::vector<std::pair<const mdx::Expr*, bool>> parts;
    for (const mdx::AxisSpec& axis : sub.axes)
        parts.emplace_back(axis.set.get(), axis.nonEmpty);
    if (sub.slicer)
        parts.emplace_back(sub.slicer.get(), false);
    for (const auto& [expr, nonEmpty] : parts) {
        TupleSet s;
        WithPrefetch([&, e = expr, dropEmpty = nonEmpty] {
            s = SetOf(*e);
            if (dropEmpty) {
                TupleSet kept;
                for (Tuple& t : s) {
                    if (!TupleIsEmpty(t))
                        kept.push_back(std::move(t));
                }
                s = std::move(kept);
            }
        });
        RestrictTo(s, *expr);
        ForgetUnrestricted();
    }
}

// WITH in a sub-select: its members and sets serve the sub-select and the queries around it,
// like the outer query's own. A name either defines already is an error, not a silent choice.
void Evaluator::DefineSubselectFormulas(const mdx::SelectStatement& sub)
{
    for (const mdx::Formula& f : sub.formulas) {
        const std::string written = IdentifierText(*f.name);
        const bool taken
            = f.isSet ? m_sets.count(Lower(f.name->segments.back().name)) > 0 : m_calcByName.count(Lower(written)) > 0;
        if (taken)
            FailName(f.name->position,
                std::string(f.isSet ? "set " : "member ") + written
                    + " is defined twice (in a sub-select and around it, or by the cube)",
                written);
        if (f.isSet) {
            NamedSetEntry& entry = m_sets[Lower(f.name->segments.back().name)];
            entry.expr = f.expression.get();
            entry.name = written;
        } else {
            AddCalcMember(*f.name, *f.expression, &f.properties, {}, {});
        }
    }
}

// Cells and sets computed before a sub-select restricted the cube (by the sub-select's own
// axes, or named sets and calculated members the outer query defines and the sub-select
// uses) hold unrestricted values: the outer query computes them again.
void Evaluator::ForgetUnrestricted()
{
    m_cellCache.clear();
    m_calcCells.clear();
    m_rankSets.clear();
    m_rankValues.clear();
    m_aggregateSets.clear();
    for (auto& [name, entry] : m_sets)
        entry.value.reset();
}

// Restricts the hierarchies of S's tuples to S's members. S must be a crossjoin of member
// sets of stored members; the Measures hierarchy is not restricted (every measure stays).
void Evaluator::RestrictTo(const TupleSet& s, const Expr& where)
{
    if (s.empty()) {
        Fail(where.position, "a sub-select axis must hold at least one member: " + TextOf(where), TextOf(where));
    }
    for (const Tuple& t : s) {
        for (const auto& element : t) {
            if (element.c)
                Fail(where.position, "a sub-select may not hold calculated members: " + element.UniqueName(),
                    element.UniqueName());
        }
    }
    std::vector<std::vector<const Member*>> perHierarchy;
    if (!CrossjoinFactors(s, perHierarchy))
        Fail(where.position, "a sub-select axis must be a crossjoin of member sets: " + TextOf(where), TextOf(where));
    for (const std::vector<const Member*>& members : perHierarchy) {
        const Hierarchy& h = members.front()->GetHierarchy();
        if (h.GetDimension().IsMeasures())
            continue;
        if (std::any_of(members.begin(), members.end(), [](const Member* m) { return m->IsAll(); }))
            continue;
        m_subcube.push_back(MemberSet {&h, members});
        // Kept leaves as prefix counts: a member is visible when its leaves meet them.
        std::vector<std::uint8_t> kept(h.LeafCount(), 0);
        for (const Member* m : members)
            std::fill(kept.begin() + m->LeafBegin(), kept.begin() + m->LeafEnd(), std::uint8_t(1));
        if (m_keptLeaves.empty())
            m_keptLeaves.resize(m_hierarchies.size());
        auto& counts = m_keptLeaves[static_cast<std::size_t>(IndexOf(&h))];
        std::vector<std::uint32_t> next(kept.size() + 1, 0);
        for (std::size_t i = 0; i < kept.size(); ++i) {
            // Nested sub-selects intersect.
            const bool before = counts.empty() || counts[i + 1] > counts[i];
            next[i + 1] = next[i] + ((kept[i] != 0 && before) ? 1 : 0);
        }
        counts = std::move(next);
    }
}

bool Evaluator::Visible(const Member& m) const
{
    if (m_keptLeaves.empty())
        return true;
    const int h = IndexOf(&m.GetHierarchy());
    if (h < 0)
        return true;
    const std::vector<std::uint32_t>& counts = m_keptLeaves[static_cast<std::size_t>(h)];
    return counts.empty() || counts[m.LeafEnd()] > counts[m.LeafBegin()];
}

} // namespace olap::eval
