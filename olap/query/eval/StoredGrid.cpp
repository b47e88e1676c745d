#include "olap/query/eval/Evaluator.h"

#include "olap/exec/AggregationEngine.h"
#include "olap/exec/AggregationResult.h"
#include "olap/exec/AggregationTooLarge.h"
#include "olap/model/Cube.h"
#include "olap/model/Dimension.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Level.h"
#include "olap/model/Measure.h"
#include "olap/model/Member.h"
#include "olap/query/QueryCancelled.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

namespace olap::eval {

namespace {

//! The positions of a grouping's members, looked up by level and ordinal rather than hashed:
//! a grid of many positions asks for each of its members in turn. Levels of more than
//! kDenseMembers members are hashed.
class MemberPositions {
public:
    //! The position of M; a member not seen before gets NEXT, and ADDED is then true.
    std::pair<std::uint32_t, bool> Find(const Member* m, std::uint32_t next)
    {
        const Level& level = m->GetLevel();
        if (level.Members().size() > kDenseMembers) {
            auto [it, added] = m_hashed.try_emplace(m, next);
            return {it->second, added};
        }
        const auto depth = static_cast<std::size_t>(level.Depth());
        if (depth >= m_byLevel.size())
            m_byLevel.resize(depth + 1);
        std::vector<std::uint32_t>& positions = m_byLevel[depth];
        if (positions.empty())
            positions.assign(level.Members().size(), 0);
        std::uint32_t& slot = positions[m->Ordinal()];
        if (slot != 0)
            return {slot - 1, false};
        slot = next + 1;
        return {next, true};
    }

private:
    static constexpr std::size_t kDenseMembers = std::size_t(1) << 20;
    //! Per depth, per ordinal: the position plus one, 0 when not seen.
    std::vector<std::vector<std::uint32_t>> m_byLevel;
    std::unordered_map<const Member*, std::uint32_t> m_hashed;
};

} // namespace

std::optional<std::vector<const Member*>> Evaluator::AggregateTotalSet(const CalcMember& calc)
{
    if (calc.hasFormat || !calc.formula || !calc.hierarchy || calc.hierarchy->GetDimension().IsMeasures())
        return std::nullopt;
    const Expr& f = *calc.formula;
    if (f.kind != ExprKind::Call || Lower(f.name) != "aggregate" || f.operands.size() != 1
        || f.operands[0]->kind == ExprKind::EmptyArgument || !ContextFree(*f.operands[0]))
        return std::nullopt;
    TupleSet set;
    try {
        WithPrefetch([&] { set = SetOf(*f.operands[0]); });
    } catch (const QueryCancelled&) {
        throw;
    } catch (const OlapError&) {
        // The cells are left to the cell-by-cell path, which reports the error where it
        // reaches it.
        return std::nullopt;
    }
    // Aggregate over an empty set is empty whatever the measure: a total without rows.
    if (set.empty())
        return std::vector<const Member*> {};
    const AggregateSet analysed = AnalyseAggregateSet(std::move(set), true);
    if (!analysed.plain || analysed.hierarchies.size() != 1 || analysed.hierarchies[0] != IndexOf(calc.hierarchy))
        return std::nullopt;
    const Slot& slot = analysed.slots[0];
    if (slot.multi)
        return *slot.multi;
    return std::vector<const Member*> {slot.member.m};
}

std::size_t Evaluator::StoredGrid(const std::vector<TupleSet>& sets, std::vector<double>& values,
    std::vector<const std::string*>& formats, std::vector<bool>& bulk)
{
    std::vector<bool> onAxes(m_hierarchies.size(), false);
    for (const TupleSet& set : sets) {
        for (const MemberRef& r : set.front()) {
            if (const int h = IndexOf(r.Hier()); h >= 0)
                onAxes[static_cast<std::size_t>(h)] = true;
        }
    }
    for (std::size_t i = 0; i < m_context.size(); ++i) {
        if (!onAxes[i] && m_context[i].member.c)
            return 0;
    }
    const MemberRef& contextMeasure = m_context[0].member;
    if (!onAxes[0] && (!contextMeasure.m || contextMeasure.m->MeasureIndex() < 0))
        return 0;

    // Which positions the request answers: stored members, stored measures and totals.
    std::unordered_map<const CalcMember*, std::optional<std::vector<const Member*>>> totals;
    auto totalOf = [&](const CalcMember* c) -> const std::optional<std::vector<const Member*>>& {
        auto it = totals.find(c);
        if (it == totals.end())
            it = totals.emplace(c, AggregateTotalSet(*c)).first;
        return it->second;
    };
    bool anyTotal = false;
    bool everyPosition = true;
    std::vector<std::vector<bool>> usable(sets.size());
    for (std::size_t a = 0; a < sets.size(); ++a) {
        usable[a].assign(sets[a].size(), true);
        for (std::size_t p = 0; p < sets[a].size(); ++p) {
            for (const MemberRef& r : sets[a][p]) {
                bool ok = false;
                if (r.m)
                    ok = !r.m->GetHierarchy().GetDimension().IsMeasures() || r.m->MeasureIndex() >= 0;
                else if (r.c && IndexOf(r.c->hierarchy) >= 0 && totalOf(r.c))
                    ok = anyTotal = true;
                if (!ok) {
                    usable[a][p] = false;
                    everyPosition = false;
                    break;
                }
            }
        }
        if (std::none_of(usable[a].begin(), usable[a].end(), [](bool b) { return b; }))
            return 0;
    }
    // Without totals, cells fetched already (by Filter, Order, ...) answer a grid of stored
    // cells without another scan, and the cell-by-cell path fetches the stored cells of a
    // mixed grid with a request per level combination anyway. Totals are cheaper from one
    // scan than cell by cell.
    if (!anyTotal && (!m_cellCache.empty() || !everyPosition))
        return 0;

    // Where each axis member goes: a grouping (and its position there) or the measure.
    struct Place {
        int grouping = -1; //!< -1 for a measure
        std::uint32_t index = 0; //!< position in the grouping (a union's after its members), or the measure
        bool total = false; //!< INDEX counts the grouping's unions
    };
    AggregationRequest request;
    std::vector<int> groupingOf(m_hierarchies.size(), -1);
    std::vector<MemberPositions> positions;
    std::vector<std::unordered_map<const CalcMember*, std::uint32_t>> unionPositions;
    auto groupingFor = [&](std::size_t h) {
        if (groupingOf[h] < 0) {
            groupingOf[h] = static_cast<int>(request.groupings.size());
            request.groupings.push_back(MemberSet {m_hierarchies[h], {}});
            request.unions.emplace_back();
            positions.emplace_back();
            unionPositions.emplace_back();
        }
        return static_cast<std::size_t>(groupingOf[h]);
    };
    // Per axis: the places of each usable position's members, position after position.
    std::vector<std::vector<Place>> places(sets.size());
    std::vector<std::vector<std::size_t>> firstPlace(sets.size());
    for (std::size_t a = 0; a < sets.size(); ++a) {
        places[a].reserve(sets[a].size() * sets[a].front().size());
        firstPlace[a].assign(sets[a].size(), 0);
        for (std::size_t p = 0; p < sets[a].size(); ++p) {
            firstPlace[a][p] = places[a].size();
            if (!usable[a][p])
                continue;
            for (const MemberRef& r : sets[a][p]) {
                const auto h = static_cast<std::size_t>(IndexOf(r.Hier()));
                if (h == 0) {
                    const int measure = r.m->MeasureIndex();
                    if (std::find(request.measures.begin(), request.measures.end(), measure) == request.measures.end())
                        request.measures.push_back(measure);
                    places[a].push_back({-1, static_cast<std::uint32_t>(measure), false});
                    continue;
                }
                const std::size_t g = groupingFor(h);
                if (r.c) {
                    auto [it, added]
                        = unionPositions[g].try_emplace(r.c, static_cast<std::uint32_t>(request.unions[g].size()));
                    if (added)
                        request.unions[g].push_back(*totals.at(r.c));
                    places[a].push_back({static_cast<int>(g), it->second, true});
                    continue;
                }
                const auto [position, added]
                    = positions[g].Find(r.m, static_cast<std::uint32_t>(request.groupings[g].members.size()));
                if (added)
                    request.groupings[g].members.push_back(r.m);
                places[a].push_back({static_cast<int>(g), position, false});
            }
        }
    }
    // Unions come after their grouping's members.
    for (auto& axisPlaces : places) {
        for (Place& p : axisPlaces) {
            if (p.total)
                p.index += static_cast<std::uint32_t>(
                    request.groupings[static_cast<std::size_t>(p.grouping)].members.size());
        }
    }
    if (!onAxes[0])
        request.measures.push_back(contextMeasure.m->MeasureIndex());
    AddContextSlicer(request, onAxes);
    std::shared_ptr<const AggregationResult> result;
    try {
        result = AggregationEngine::Aggregate(m_cube, request);
    } catch (const AggregationTooLarge&) {
        return 0;
    }

    std::vector<const std::string*> formatOf(m_cube.Measures().size(), nullptr);
    for (int m : request.measures)
        formatOf[static_cast<std::size_t>(m)] = &m_cube.Measures()[static_cast<std::size_t>(m)]->FormatString();
    std::size_t total = 1;
    for (const TupleSet& set : sets)
        total *= set.size();
    values.assign(total, std::numeric_limits<double>::quiet_NaN());
    formats.assign(total, nullptr);
    bulk.assign(everyPosition ? 0 : total, false);
    std::size_t answered = 0;
    // Where the grid is answered in part, the cell-by-cell path reads stored cells of its own,
    // often those of the grid (a calculated measure over a total): the grid's cells are kept
    // for it, keyed by the context it would reach them in, while they fit into the budget.
    bool remember = !everyPosition;
    std::vector<Slot> slots = m_context;
    auto slotOf = [&](const MemberRef& r) {
        if (r.m)
            return Slot {r, nullptr};
        const std::vector<const Member*>& list = *totals.at(r.c);
        if (list.size() == 1)
            return Slot {MemberRef {list[0], nullptr}, nullptr};
        return Slot {DefaultOf(*r.c->hierarchy), Intern(list)};
    };
    // Each usable position's share of the result's cell number and the measure it names (-1:
    // none), worked out once per position rather than once per cell.
    std::vector<std::vector<std::size_t>> offsetOf(sets.size());
    std::vector<std::vector<int>> measureOf(sets.size());
    for (std::size_t a = 0; a < sets.size(); ++a) {
        const std::size_t width = sets[a].front().size();
        offsetOf[a].assign(sets[a].size(), 0);
        measureOf[a].assign(sets[a].size(), -1);
        for (std::size_t p = 0; p < sets[a].size(); ++p) {
            if (!usable[a][p])
                continue;
            for (std::size_t k = firstPlace[a][p]; k < firstPlace[a][p] + width; ++k) {
                const Place& place = places[a][k];
                if (place.grouping < 0)
                    measureOf[a][p] = static_cast<int>(place.index);
                else
                    offsetOf[a][p] += place.index * result->Stride(static_cast<std::size_t>(place.grouping));
            }
        }
    }
    std::vector<int> slotOfMeasure(m_cube.Measures().size(), -1);
    for (int m : request.measures)
        slotOfMeasure[static_cast<std::size_t>(m)] = result->SlotOf(m);
    std::vector<std::size_t> coords(sets.size(), 0);
    const int fixedMeasure = onAxes[0] ? -1 : contextMeasure.m->MeasureIndex();
    for (std::size_t ordinal = 0; ordinal < total; ++ordinal) {
        if ((ordinal & 0xfff) == 0)
            CheckCancelled();
        int measure = fixedMeasure;
        bool answers = true;
        std::size_t cell = 0;
        for (std::size_t a = 0; a < sets.size(); ++a) {
            const std::size_t p = coords[a];
            if (!usable[a][p]) {
                answers = false;
                break;
            }
            cell += offsetOf[a][p];
            if (measureOf[a][p] >= 0)
                measure = measureOf[a][p];
        }
        if (answers) {
            const std::optional<double> v
                = result->Value(cell, static_cast<std::size_t>(slotOfMeasure[static_cast<std::size_t>(measure)]));
            if (v && std::isfinite(*v))
                values[ordinal] = *v;
            formats[ordinal] = formatOf[static_cast<std::size_t>(measure)];
            if (!everyPosition)
                bulk[ordinal] = true;
            if (remember) {
                bool emptyTotal = false;
                for (std::size_t a = 0; a < sets.size(); ++a) {
                    for (const MemberRef& r : sets[a][coords[a]]) {
                        // Aggregate over an empty set reads no stored cell.
                        emptyTotal = emptyTotal || (r.c && totals.at(r.c)->empty());
                        slots[static_cast<std::size_t>(IndexOf(r.Hier()))] = slotOf(r);
                    }
                }
                if (!emptyTotal)
                    remember
                        = RememberStored(StoredKeyAt(*m_cube.Measures()[static_cast<std::size_t>(measure)], slots), v);
            }
            ++answered;
        }
        // Next coordinates: axis 0 varies fastest.
        for (std::size_t a = 0; a < sets.size(); ++a) {
            if (++coords[a] < sets[a].size())
                break;
            coords[a] = 0;
        }
    }
    return answered;
}

} // namespace olap::eval
