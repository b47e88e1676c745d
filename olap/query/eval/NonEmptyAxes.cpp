#include "olap/query/eval/Evaluator.h"

#include "olap/exec/NonEmptyScan.h"
#include "olap/model/Cube.h"
#include "olap/model/FactTable.h"
#include "olap/query/MdxError.h"

namespace olap::eval {

// The sets of a crossjoin written as CrossJoin(a, b, ...) or a * b, nested ones flattened.
bool Evaluator::CrossjoinParts(const Expr& e, std::vector<const Expr*>& parts)
{
    if (e.kind == ExprKind::Call && EqualsNoCase(e.name, "CrossJoin") && !e.operands.empty()) {
        for (const auto& op : e.operands)
            CrossjoinParts(*op, parts);
        return true;
    }
    if (e.kind == ExprKind::Binary && e.binaryOperator == BinaryOperator::Multiply) {
        CrossjoinParts(*e.operands[0], parts);
        CrossjoinParts(*e.operands[1], parts);
        return true;
    }
    parts.push_back(&e);
    return false;
}

std::vector<TupleSet> Evaluator::AxisSets(const std::vector<const mdx::AxisSpec*>& axes)
{
    std::vector<TupleSet> sets(axes.size());
    // A NON EMPTY crossjoin: its factors first; the product waits until every axis is known.
    std::vector<std::vector<TupleSet>> factors(axes.size());
    std::vector<bool> candidate(axes.size(), false);
    for (std::size_t a = 0; a < axes.size(); ++a) {
        std::vector<const Expr*> parts;
        if (axes[a]->nonEmpty && CrossjoinParts(*axes[a]->set, parts) && parts.size() > 1) {
            candidate[a] = true;
            try {
                WithPrefetch(
                    [&] {
                        factors[a].clear();
                        for (const Expr* part : parts)
                            factors[a].push_back(SetOf(*part));
                    },
                    true);
            } catch (const MdxError&) {
                // A factor that is no set (a * b of numbers inside): the statement as written
                // reports it in its own words.
                candidate[a] = false;
                factors[a].clear();
            }
        }
        if (!candidate[a])
            WithPrefetch([&] { sets[a] = SetOf(*axes[a]->set); }, true);
    }
    const bool stored = GridIsStored(sets, factors, candidate);
    std::vector<bool> onAxes(m_hierarchies.size(), false);
    for (std::size_t a = 0; a < axes.size(); ++a) {
        const auto mark = [&](const TupleSet& s) {
            if (!s.empty()) {
                for (const MemberRef& r : s[0]) {
                    if (const int h = IndexOf(r.Hier()); h >= 0)
                        onAxes[static_cast<std::size_t>(h)] = true;
                }
            }
        };
        if (!candidate[a])
            mark(sets[a]);
        for (const TupleSet& f : factors[a])
            mark(f);
    }
    for (std::size_t a = 0; a < axes.size(); ++a) {
        if (!candidate[a])
            continue;
        if (stored) {
            if (std::optional<TupleSet> filled = FilledCrossjoin(factors[a], onAxes)) {
                sets[a] = std::move(*filled);
                continue;
            }
        }
        // The full product: the crossjoin as written evaluates it (and reports its errors).
        WithPrefetch([&] { sets[a] = SetOf(*axes[a]->set); }, true);
    }
    return sets;
}

// True when every cell of the grid is a stored cell (stored members on the axes, no
// calculated member in the context), so a cell with a value has fact rows under it.
bool Evaluator::GridIsStored(const std::vector<TupleSet>& sets, const std::vector<std::vector<TupleSet>>& factors,
    const std::vector<bool>& candidate) const
{
    std::vector<bool> onAxes(m_hierarchies.size(), false);
    const auto storedSet = [&](const TupleSet& s, bool factor) {
        for (const Tuple& t : s) {
            if (factor && t.size() != 1)
                return false;
            for (const MemberRef& r : t) {
                if (!r.m || (r.m->GetHierarchy().GetDimension().IsMeasures() && (factor || r.m->MeasureIndex() < 0)))
                    return false;
                const int h = IndexOf(r.Hier());
                if (h < 0)
                    return false;
                onAxes[static_cast<std::size_t>(h)] = true;
            }
        }
        return true;
    };
    for (std::size_t a = 0; a < sets.size(); ++a) {
        if (!candidate[a] && !storedSet(sets[a], false))
            return false;
        for (const TupleSet& f : factors[a]) {
            if (!storedSet(f, true))
                return false;
        }
    }
    for (std::size_t i = 0; i < m_context.size(); ++i) {
        if (!onAxes[i] && m_context[i].member.c)
            return false;
    }
    const MemberRef& measure = m_context[0].member;
    return onAxes[0] || (measure.m && measure.m->MeasureIndex() >= 0);
}

// The tuples of the crossjoin of FACTORS (one stored member each, distinct hierarchies) that
// have fact rows under the context of the hierarchies on no axis (ON_AXES), the sub-selects
// and a compound slicer, in crossjoin order. Every non-empty tuple of the product is among
// them, so the NON EMPTY step that follows keeps what it would keep of the full product.
// Nullopt when the factors' members overlap or repeat: the caller builds the product.
std::optional<TupleSet> Evaluator::FilledCrossjoin(
    const std::vector<TupleSet>& factors, const std::vector<bool>& onAxes)
{
    AggregationRequest request;
    double product = 1;
    for (const TupleSet& f : factors)
        product *= static_cast<double>(f.size());
    if (product == 0)
        return TupleSet {};
    if (product < static_cast<double>(m_options.sparseCrossjoinTuples)
        || product * 32 < static_cast<double>(m_cube.Facts().rowCount))
        return std::nullopt;
    for (const TupleSet& f : factors) {
        MemberSet grouping {f[0][0].Hier(), {}};
        grouping.members.reserve(f.size());
        for (const Tuple& t : f) {
            if (t[0].Hier() != grouping.hierarchy)
                return std::nullopt;
            grouping.members.push_back(t[0].m);
        }
        for (const MemberSet& earlier : request.groupings) {
            if (earlier.hierarchy == grouping.hierarchy)
                return std::nullopt;
        }
        request.groupings.push_back(std::move(grouping));
    }
    AddContextSlicer(request, onAxes);
    std::optional<std::vector<std::uint32_t>> positions = NonEmptyScan::Positions(m_cube, request);
    if (!positions)
        return std::nullopt;
    const std::size_t width = factors.size();
    const std::size_t count = positions->size() / width;
    CheckSetSize(static_cast<double>(count), width, "a crossjoin of " + std::to_string(count) + " non-empty tuples");
    TupleSet out(count);
    for (std::size_t k = 0; k < count; ++k) {
        Tuple& t = out[k];
        t.reserve(width);
        for (std::size_t f = 0; f < width; ++f)
            t.push_back(factors[f][(*positions)[k * width + f]][0]);
    }
    return out;
}

} // namespace olap::eval
