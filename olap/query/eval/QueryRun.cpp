#include "olap/query/eval/Evaluator.h"

#include "olap/exec/AggregationEngine.h"
#include "olap/exec/AggregationResult.h"
#include "olap/exec/AggregationTooLarge.h"
#include "olap/exec/Drillthrough.h"
#include "olap/mdx/Parser.h"
#include "olap/model/Cube.h"
#include "olap/model/Dimension.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Level.h"
#include "olap/model/Measure.h"
#include "olap/model/Member.h"
#include "olap/util/OlapError.h"
#include "olap/util/ValueFormatter.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <unordered_map>
#include <unordered_set>

namespace olap::eval {

CellSet::Member Evaluator::Describe(const MemberRef& r) const
{
    CellSet::Member m;
    m.uniqueName = r.UniqueName();
    m.name = r.Name();
    m.caption = r.Caption();
    if (const Level* l = r.Lvl()) {
        m.levelUniqueName = l->UniqueName();
        m.levelDepth = l->Depth();
    }
    m.hierarchyUniqueName = r.Hier()->UniqueName();
    m.childCount = r.m ? r.m->Children().size() : 0;
    if (const Member* p = r.Parent())
        m.parentUniqueName = p->UniqueName();
    m.calculated = r.c != nullptr;
    if (r.c && r.c->visualOf) {
        m.childCount = r.c->visualOf->Children().size();
        m.calculated = false;
    }
    return m;
}

// Each member is described once per axis, however many positions show it: a crossjoin of
// 7,000 positions over a few hundred members would otherwise copy the same names 7,000 times.
void Evaluator::FillPositions(const TupleSet& set, const std::vector<std::size_t>& kept, PositionTable& positions) const
{
    struct RefHash {
        std::size_t operator()(const MemberRef& r) const
        {
            return std::hash<const void*>()(r.m) * 31 + std::hash<const void*>()(r.c);
        }
    };
    std::unordered_map<MemberRef, std::uint32_t, RefHash> numbers;
    const std::size_t width = kept.empty() ? 0 : set[kept.front()].size();
    positions.reserve(kept.size(), width);
    // Neighbouring positions of a crossjoin share their outer members: the last member seen
    // in each place of the tuple is checked before the map.
    std::vector<MemberRef> last(width);
    std::vector<std::uint32_t> position(width);
    for (std::size_t p : kept) {
        const Tuple& t = set[p];
        if (t.size() != last.size()) {
            last.assign(t.size(), MemberRef {});
            position.assign(t.size(), 0);
        }
        for (std::size_t k = 0; k < t.size(); ++k) {
            if (last[k] == t[k] && !t[k].IsNull())
                continue;
            auto [it, added] = numbers.try_emplace(t[k], 0);
            if (added)
                it->second = positions.AddMember(Describe(t[k]));
            last[k] = t[k];
            position[k] = it->second;
        }
        positions.AddPosition(position);
    }
}

std::string Evaluator::FormatStringInContext() const
{
    const CalcMember* best = nullptr;
    for (const Slot& s : m_context) {
        if (s.member.c && s.member.c->hasFormat && (!best || s.member.c->solveOrder > best->solveOrder))
            best = s.member.c;
    }
    if (best)
        return best->formatString;
    const MemberRef& measure = m_context[0].member;
    if (measure.m && measure.m->MeasureIndex() >= 0)
        return m_cube.Measures()[static_cast<std::size_t>(measure.m->MeasureIndex())]->FormatString();
    return {};
}

const Measure* Evaluator::FirstStoredMeasure(const Expr& e) const
{
    if (e.kind == ExprKind::Identifier && e.segments.size() == 2 && EqualsNoCase(e.segments[0].name, "Measures")) {
        if (const Member* m = m_cube.FindMember(IdentifierText(e)); m && m->MeasureIndex() >= 0)
            return m_cube.Measures()[static_cast<std::size_t>(m->MeasureIndex())];
    }
    for (const Expr* child : {e.object.get(), e.elseValue.get()}) {
        if (child) {
            if (const Measure* m = FirstStoredMeasure(*child))
                return m;
        }
    }
    for (const auto& op : e.operands) {
        if (const Measure* m = FirstStoredMeasure(*op))
            return m;
    }
    return nullptr;
}

void Evaluator::AddCalcMember(const Expr& nameExpr, const Expr& formula,
    const std::vector<mdx::Formula::Property>* props, const std::string& schemaFormat, const std::string& schemaCaption)
{
    const auto& segs = nameExpr.segments;
    std::string written = IdentifierText(nameExpr);
    if (segs.size() < 2 || segs.back().quoting == SegmentQuoting::Key)
        FailName(
            nameExpr.position, "a calculated member needs a name of the form [Hierarchy].[Name]: " + written, written);
    const Hierarchy* h = nullptr;
    if (const Dimension* d = m_cube.FindDimension(segs[0].name))
        h = &d->DefaultHierarchy();
    else
        h = m_cube.FindHierarchy(BracketName(segs[0].name));
    if (!h)
        FailName(nameExpr.position, "unknown hierarchy '" + BracketName(segs[0].name) + "' in " + written, written);
    CalcMember c;
    c.name = segs.back().name;
    c.caption = schemaCaption.empty() ? c.name : schemaCaption;
    c.hierarchy = h;
    c.formula = &formula;
    c.formatString = schemaFormat;
    c.hasFormat = !schemaFormat.empty();
    c.order = static_cast<int>(m_calcMembers.size());
    if (h->GetDimension().IsMeasures()) {
        c.level = h->Levels().empty() ? nullptr : &h->LeafLevel();
    } else if (segs.size() == 2) {
        c.parent = h->AllMember();
    } else {
        mdx::Expr parentName;
        parentName.segments.assign(segs.begin(), segs.end() - 1);
        std::string parentText = IdentifierText(parentName);
        c.parent = m_cube.FindMember(parentText);
        if (!c.parent)
            FailName(nameExpr.position, "unknown parent member '" + parentText + "' of " + written, parentText);
    }
    if (!h->GetDimension().IsMeasures()) {
        int depth = c.parent ? c.parent->Depth() + 1 : 0;
        depth = std::min(depth, static_cast<int>(h->Levels().size()) - 1);
        c.level = depth >= 0 ? h->Levels()[static_cast<std::size_t>(depth)] : nullptr;
    }
    c.uniqueName
        = (c.parent && !c.parent->IsAll() ? c.parent->UniqueName() : h->UniqueName()) + "." + BracketName(c.name);
    if (props) {
        for (const mdx::Formula::Property& p : *props) {
            std::string key = Lower(p.name);
            if (key == "fore_color" || key == "back_color") {
                (key == "fore_color" ? c.foreColor : c.backColor) = p.value.get();
            } else if (key == "solve_order") {
                c.solveOrder = ClampInt(NumberOf(*p.value).value_or(0));
            } else if (key == "format_string" || key == "caption") {
                Value v = Scalar(Eval(*p.value), *p.value);
                std::string text = v.kind == VK::String ? v.text : v.kind == VK::Number ? FormatNumber(v.number) : "";
                if (key == "caption") {
                    c.caption = text;
                } else {
                    c.formatString = text;
                    c.hasFormat = true;
                }
            }
        }
    }
    // A calculated measure without a format string shows its values the way the first
    // stored measure its formula names shows them.
    if (!c.hasFormat && h->GetDimension().IsMeasures()) {
        if (const Measure* base = FirstStoredMeasure(formula)) {
            c.formatString = base->FormatString();
            c.hasFormat = !c.formatString.empty();
        }
    }
    m_calcMembers.push_back(std::move(c));
    const CalcMember* stored = &m_calcMembers.back();
    m_calcByName[Lower(stored->uniqueName)] = stored;
    m_calcByName[Lower(written)] = stored;
}

void Evaluator::DefineFormulas(const mdx::SelectStatement& select)
{
    for (const CalculatedDefinition& def : m_cube.Calculated()) {
        mdx::ParseResult<Expr> parsed = mdx::ParseExpression(def.formula);
        if (!parsed.Ok())
            throw OlapError("Calculated " + std::string(def.kind == CalculatedDefinition::Kind::Set ? "set" : "member")
                + " '" + def.name + "' of cube '" + m_cube.Name() + "': " + parsed.error.message);
        m_ownedExprs.push_back(std::move(parsed.value));
        const Expr* formula = m_ownedExprs.back().get();
        if (def.kind == CalculatedDefinition::Kind::Set) {
            NamedSetEntry& entry = m_sets[Lower(def.name)];
            entry.expr = formula;
            entry.name = def.name;
            continue;
        }
        auto name = std::make_unique<Expr>();
        std::vector<NameSegment> hierarchy;
        if (!SplitUniqueName(def.hierarchy.empty() ? "[Measures]" : def.hierarchy, hierarchy))
            throw OlapError("Calculated member '" + def.name + "' names a bad hierarchy '" + def.hierarchy + "'");
        for (const NameSegment& s : hierarchy)
            name->segments.push_back({SegmentQuoting::Bracketed, s.text, {}});
        name->segments.push_back({SegmentQuoting::Bracketed, def.name, {}});
        m_ownedExprs.push_back(std::move(name));
        AddCalcMember(*m_ownedExprs.back(), *formula, nullptr, def.formatString, def.caption);
    }
    for (const mdx::Formula& f : select.formulas) {
        if (f.isSet) {
            const auto& segs = f.name->segments;
            NamedSetEntry& entry = m_sets[Lower(segs.back().name)];
            entry.expr = f.expression.get();
            entry.name = IdentifierText(*f.name);
            entry.value.reset();
        } else {
            AddCalcMember(*f.name, *f.expression, &f.properties, {}, {});
        }
    }
}

bool Evaluator::CrossjoinFactors(const TupleSet& s, std::vector<std::vector<const Member*>>& factors)
{
    factors.assign(s.empty() ? 0 : s[0].size(), {});
    std::vector<std::unordered_set<const Member*>> seen(factors.size());
    for (const Tuple& t : s) {
        for (std::size_t i = 0; i < t.size() && i < factors.size(); ++i) {
            if (t[i].m && seen[i].insert(t[i].m).second)
                factors[i].push_back(t[i].m);
        }
    }
    std::size_t product = 1;
    for (const auto& list : factors)
        product *= list.size();
    return product == DistinctOf(s).size();
}

// A WHERE set of a drill-through: the crossjoin of one member set per hierarchy, which
// gives the rows under any member of each set. Hierarchies with one member go into TUPLE;
// the others become FILTER sets (none where the set holds the All member) and are marked
// USED. A set that is no crossjoin, or holds measures or calculated members, names no
// exact set of rows and fails.
void Evaluator::SlicerSets(const mdx::SelectStatement& select, const TupleSet& s, Tuple& tuple,
    std::vector<MemberSet>& filter, std::set<const Hierarchy*>& used)
{
    for (const Tuple& t : s) {
        for (const auto& element : t) {
            if (element.IsNull())
                continue;
            if (element.c || element.m->MeasureIndex() >= 0)
                Fail(select.slicer->position,
                    "a DRILLTHROUGH WHERE set may not hold measures or calculated members: " + element.UniqueName(),
                    element.UniqueName());
        }
    }
    std::vector<std::vector<const Member*>> perHierarchy;
    if (!CrossjoinFactors(s, perHierarchy))
        Fail(select.slicer->position,
            "DRILLTHROUGH needs one cell: the WHERE clause must be a tuple or a crossjoin of member sets",
            TextOf(*select.slicer));
    for (std::size_t i = 0; i < perHierarchy.size(); ++i) {
        if (perHierarchy[i].size() == 1) {
            tuple.push_back(MemberRef {perHierarchy[i][0], nullptr});
            continue;
        }
        const Hierarchy* h = &perHierarchy[i][0]->GetHierarchy();
        used.insert(h);
        const bool all
            = std::any_of(perHierarchy[i].begin(), perHierarchy[i].end(), [](const Member* m) { return m->IsAll(); });
        if (!all)
            filter.push_back(MemberSet {h, perHierarchy[i]});
    }
}

QueryResult Evaluator::RunDrillthrough(const mdx::Statement& statement)
{
    const mdx::SelectStatement& select = statement.select;
    Tuple tuple;
    std::vector<MemberSet> filter;
    std::set<const Hierarchy*> used;
    if (select.slicer) {
        TupleSet s;
        WithPrefetch([&] { s = SetOf(*select.slicer); });
        if (s.size() > 1)
            SlicerSets(select, s, tuple, filter, used);
        else if (!s.empty())
            tuple = s[0];
    }
    for (const mdx::AxisSpec& axis : select.axes) {
        TupleSet s;
        WithPrefetch([&] { s = SetOf(*axis.set); });
        if (!s.empty())
            tuple.insert(tuple.end(), s[0].begin(), s[0].end());
    }
    std::vector<int> measures;
    for (const MemberRef& r : tuple) {
        if (r.IsNull())
            continue;
        if (r.c)
            Fail(select.position, "cannot drill through the calculated member " + r.c->uniqueName, r.c->uniqueName);
        if (!used.insert(r.Hier()).second)
            Fail(select.position, "hierarchy " + r.Hier()->UniqueName() + " appears twice in the drill-through cell",
                r.Hier()->UniqueName());
        if (r.m->MeasureIndex() >= 0)
            measures.push_back(r.m->MeasureIndex());
        else if (!r.m->IsAll())
            filter.push_back(MemberSet::Of(*r.m));
    }
    // The cell's value counts only the default member of a hierarchy the statement does not
    // name; the rows must be the same ones, so a hierarchy without an All member is limited
    // to its first member.
    for (const Hierarchy* h : m_hierarchies) {
        if (h->GetDimension().IsMeasures() || used.count(h) || h->HasAll())
            continue;
        if (const Member* d = h->DefaultMember())
            filter.push_back(MemberSet::Of(*d));
    }
    if (!statement.returnColumns.empty()) {
        measures.clear();
        for (const auto& column : statement.returnColumns) {
            MemberRef r = MemberOf(*column);
            if (!r.m || r.m->MeasureIndex() < 0)
                Fail(column->position, "RETURN accepts stored measures only: " + TextOf(*column), TextOf(*column));
            measures.push_back(r.m->MeasureIndex());
        }
    }
    std::uint64_t maxRows = statement.maxRows.value_or(std::numeric_limits<std::uint64_t>::max());
    // A sub-select restricts the rows as it restricts the cell.
    filter.insert(filter.end(), m_subcube.begin(), m_subcube.end());
    DrillthroughResult rows = Drillthrough::Run(m_cube, filter, measures, maxRows);
    QueryResult result;
    result.kind = QueryResult::Kind::Drillthrough;
    for (const DrillthroughResult::Column& c : rows.Columns())
        result.drillthrough.columns.push_back(c.name);
    // Column after column: each column's lookups are resolved once, not per cell.
    std::vector<std::vector<std::string>>& table = result.drillthrough.rows;
    table.resize(rows.RowCount());
    for (std::vector<std::string>& row : table)
        row.reserve(rows.Columns().size());
    for (std::size_t c = 0; c < rows.Columns().size(); ++c) {
        CheckCancelled();
        std::vector<std::string> texts = rows.ColumnTexts(c);
        for (std::size_t r = 0; r < texts.size(); ++r)
            table[r].push_back(std::move(texts[r]));
    }
    return result;
}

QueryResult Evaluator::Run(const mdx::Statement& statement)
{
    const mdx::SelectStatement& select = statement.select;
    if (select.cube) {
        std::string cubeName = select.cube->segments.empty() ? std::string() : select.cube->segments.back().name;
        if (!EqualsNoCase(cubeName, m_cube.Name()))
            FailName(select.cube->position, "unknown cube '" + IdentifierText(*select.cube) + "'",
                IdentifierText(*select.cube));
    }
    DefineFormulas(select);
    if (select.subselect)
        ApplySubselect(*select.subselect);
    if (statement.kind == mdx::StatementKind::Drillthrough)
        return RunDrillthrough(statement);

    QueryResult result;
    CellSet& cs = result.cellSet;
    cs.cubeName = m_cube.Name();
    ApplySlicer(select, cs);
    m_baseContext = m_context;

    std::vector<const mdx::AxisSpec*> axes;
    for (const mdx::AxisSpec& a : select.axes)
        axes.push_back(&a);
    std::sort(axes.begin(), axes.end(), [](auto* a, auto* b) { return a->ordinal < b->ordinal; });
    static const char* const kAxisNames[] = {"COLUMNS", "ROWS", "PAGES", "SECTIONS", "CHAPTERS"};
    auto axisName = [](int n) { return n < 5 ? std::string(kAxisNames[n]) : "AXIS(" + std::to_string(n) + ")"; };
    for (std::size_t i = 0; i < axes.size(); ++i) {
        if (axes[i]->ordinal != static_cast<int>(i))
            Fail(axes[i]->namePosition,
                "axis " + axisName(axes[i]->ordinal) + " is used without axis " + axisName(static_cast<int>(i)),
                axisName(axes[i]->ordinal));
    }
    std::vector<TupleSet> sets = AxisSets(axes);
    std::set<const Hierarchy*> onAxes;
    for (std::size_t a = 0; a < axes.size(); ++a) {
        CellSet::Axis axis;
        axis.ordinal = static_cast<int>(a);
        if (!sets[a].empty()) {
            for (const MemberRef& r : sets[a][0]) {
                axis.hierarchies.push_back(r.Hier()->UniqueName());
                if (!onAxes.insert(r.Hier()).second)
                    Fail(axes[a]->set->position,
                        "hierarchy " + r.Hier()->UniqueName() + " appears on more than one axis",
                        TextOf(*axes[a]->set));
            }
        }
        for (const Tuple& t : sets[a]) {
            if (t.size() != sets[a][0].size())
                Fail(axes[a]->set->position, "the tuples on an axis must have the same hierarchies",
                    TextOf(*axes[a]->set));
            for (std::size_t i = 0; i < t.size(); ++i) {
                if (t[i].Hier() != sets[a][0][i].Hier())
                    Fail(axes[a]->set->position, "the tuples on an axis must have the same hierarchies",
                        TextOf(*axes[a]->set));
            }
        }
        cs.axes.push_back(std::move(axis));
    }

    std::size_t total = 1;
    for (const TupleSet& s : sets) {
        if (!s.empty() && total > std::size_t(50'000'000) / s.size())
            throw OlapError("The query asks for more than 50 million cells");
        total *= s.size();
    }
    // The cells of stored members, stored measures and Aggregate totals come from one
    // request, as plain values (NaN: empty) and the format string of each; they are built and
    // formatted only once NON EMPTY has kept them. The other cells (BULK false where the
    // request answered some) are evaluated cell by cell.
    std::vector<double> storedValues;
    std::vector<const std::string*> formats;
    std::vector<bool> bulk;
    std::vector<CellSet::Cell> cells;
    CheckBudget(static_cast<double>(total) * (sizeof(double) + sizeof(void*)) + static_cast<double>(total) / 8,
        "a grid of " + std::to_string(total) + " cells");
    const std::size_t answered = total > 0 ? StoredGrid(sets, storedValues, formats, bulk) : 0;
    const bool stored = total > 0 && answered == total;
    auto fromGrid = [&](std::size_t ordinal) { return stored || (answered > 0 && bulk[ordinal]); };
    if (!stored) {
        // The grid, and the copy NON EMPTY keeps of it.
        CheckBudget(
            2.0 * static_cast<double>(total) * sizeof(CellSet::Cell), "a grid of " + std::to_string(total) + " cells");
        cells.resize(total);
        WithPrefetch([&] {
            std::vector<std::size_t> coords(sets.size(), 0);
            for (std::size_t ordinal = 0; ordinal < total; ++ordinal) {
                if (fromGrid(ordinal))
                    continue;
                std::size_t rest = ordinal;
                Tuple tuple;
                for (std::size_t a = 0; a < sets.size(); ++a) {
                    coords[a] = rest % sets[a].size();
                    rest /= sets[a].size();
                    const Tuple& t = sets[a][coords[a]];
                    tuple.insert(tuple.end(), t.begin(), t.end());
                }
                CheckCancelled();
                Scope scope(*this, tuple);
                Value v = CurrentCell();
                CellSet::Cell& cell = cells[ordinal];
                cell = {};
                if (v.kind == VK::Number || v.kind == VK::Bool) {
                    if (std::isfinite(v.number)) {
                        cell.value = v.number;
                        if (!m_collecting)
                            cell.formatted = ValueFormatter::Format(v.number, FormatStringInContext());
                    }
                } else if (v.kind == VK::String) {
                    cell.text = v.text;
                    cell.formatted = v.text;
                }
            }
        });
    }

    std::vector<bool> filled(total);
    for (std::size_t ordinal = 0; ordinal < total; ++ordinal)
        filled[ordinal] = fromGrid(ordinal) ? !std::isnan(storedValues[ordinal]) : !cells[ordinal].IsEmpty();
    std::vector<std::vector<std::size_t>> kept = KeptPositions(axes, sets, filled);
    std::size_t keptTotal = 1;
    for (std::size_t a = 0; a < sets.size(); ++a) {
        keptTotal *= kept[a].size();
        FillPositions(sets[a], kept[a], cs.axes[a].positions);
        AddMemberProperties(*axes[a], sets[a], kept[a], cs.axes[a]);
    }
    cs.cells.resize(keptTotal);
    for (std::size_t ordinal = 0; ordinal < keptTotal; ++ordinal) {
        std::size_t rest = ordinal;
        std::size_t source = 0;
        std::size_t stride = 1;
        for (std::size_t a = 0; a < sets.size(); ++a) {
            std::size_t p = kept[a][rest % kept[a].size()];
            rest /= kept[a].size();
            source += p * stride;
            stride *= sets[a].size();
        }
        CellSet::Cell& cell = cs.cells[ordinal];
        if (!fromGrid(source)) {
            cell = std::move(cells[source]);
        } else if (const double v = storedValues[source]; !std::isnan(v)) {
            cell.value = v;
            cell.formatted = ValueFormatter::Format(v, *formats[source]);
        }
    }
    AddCellProperties(select, sets, kept, cs);
    return result;
}

// The slicer sets the context every other part is evaluated in: a tuple one member per
// hierarchy, a crossjoin of sets the rows under any member of each, any other set of tuples
// the rows under any of them (the compound slicer). CS gets the slicer's positions.
void Evaluator::ApplySlicer(const mdx::SelectStatement& select, CellSet& cs)
{
    if (!select.slicer)
        return;
    TupleSet s;
    WithPrefetch([&] { s = SetOf(*select.slicer); });
    std::vector<std::size_t> all(s.size());
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = i;
    FillPositions(s, all, cs.slicer.positions);
    if (!s.empty()) {
        for (const MemberRef& r : s[0])
            cs.slicer.hierarchies.push_back(r.Hier()->UniqueName());
    }
    if (s.size() == 1) {
        for (const MemberRef& r : s[0])
            m_context[static_cast<std::size_t>(IndexOf(r.Hier()))] = Slot {r, nullptr};
    } else if (s.size() > 1) {
        for (const Tuple& t : s) {
            for (const auto& element : t) {
                if (element.c || element.m->MeasureIndex() >= 0)
                    Fail(select.slicer->position,
                        "a WHERE set may not hold measures or calculated members: " + element.UniqueName(),
                        element.UniqueName());
            }
        }
        std::vector<std::vector<const Member*>> perHierarchy;
        // A set that is not a crossjoin restricts the rows to those under any of its
        // tuples; each hierarchy of it keeps all its members of the set.
        if (!CrossjoinFactors(s, perHierarchy)) {
            for (const Tuple& t : s) {
                std::vector<const Member*> members;
                for (const MemberRef& r : t) {
                    if (!r.m->IsAll())
                        members.push_back(r.m);
                }
                if (members.empty()) {
                    m_tupleSlicer.clear();
                    break;
                }
                m_tupleSlicer.push_back(std::move(members));
            }
            for (std::size_t i = 0; i < perHierarchy.size(); ++i) {
                std::size_t h = static_cast<std::size_t>(IndexOf(s[0][i].Hier()));
                m_context[h] = Slot {DefaultOf(*m_hierarchies[h]), Intern(perHierarchy[i])};
            }
            perHierarchy.clear();
        }
        for (std::size_t i = 0; i < perHierarchy.size(); ++i) {
            std::size_t h = static_cast<std::size_t>(IndexOf(s[0][i].Hier()));
            if (perHierarchy[i].size() == 1)
                m_context[h] = Slot {MemberRef {perHierarchy[i][0], nullptr}, nullptr};
            else
                m_context[h] = Slot {DefaultOf(*m_hierarchies[h]), Intern(perHierarchy[i])};
        }
    }
}

// NON EMPTY: per axis the positions to keep; on a NON EMPTY axis those with a non-empty cell
// against the other axes, else all.
std::vector<std::vector<std::size_t>> Evaluator::KeptPositions(const std::vector<const mdx::AxisSpec*>& axes,
    const std::vector<TupleSet>& sets, const std::vector<bool>& filled) const
{
    const std::size_t total = filled.size();
    std::vector<std::vector<std::size_t>> kept(sets.size());
    for (std::size_t a = 0; a < sets.size(); ++a) {
        if (!axes[a]->nonEmpty) {
            for (std::size_t p = 0; p < sets[a].size(); ++p)
                kept[a].push_back(p);
            continue;
        }
        std::vector<bool> any(sets[a].size(), false);
        std::size_t stride = 1;
        for (std::size_t b = 0; b < a; ++b)
            stride *= sets[b].size();
        for (std::size_t ordinal = 0; ordinal < total; ++ordinal) {
            if (filled[ordinal])
                any[(ordinal / stride) % sets[a].size()] = true;
        }
        for (std::size_t p = 0; p < sets[a].size(); ++p) {
            if (any[p])
                kept[a].push_back(p);
        }
    }
    return kept;
}

void Evaluator::AddContextSlicer(AggregationRequest& request, const std::vector<bool>& onAxes) const
{
    // Hierarchies not on an axis restrict the scan to their context member (a set where the
    // WHERE clause gave several), then the tuple slicer and the sub-select's restrictions.
    for (std::size_t i = 1; i < m_context.size(); ++i) {
        const Slot& s = m_context[i];
        if (onAxes[i])
            continue;
        if (s.multi)
            request.slicer.push_back(MemberSet {m_hierarchies[i], *s.multi});
        else if (s.member.m && !s.member.m->IsAll())
            request.slicer.push_back(MemberSet::Of(*s.member.m));
    }
    request.tupleSlicer = m_tupleSlicer;
    request.slicer.insert(request.slicer.end(), m_subcube.begin(), m_subcube.end());
}

} // namespace olap::eval
