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
#include "olap/query/CancellationToken.h"
#include "olap/query/QueryCancelled.h"
#include "olap/util/OlapError.h"

#include <algorithm>
#include <functional>
#include <unordered_set>

namespace olap::eval {

Evaluator::Evaluator(const Cube& cube, const QueryOptions& options) : m_cube(cube), m_options(options)
{
    for (const Dimension* d : cube.Dimensions()) {
        for (const Hierarchy* h : d->Hierarchies()) {
            m_hierIndex[h] = static_cast<int>(m_hierarchies.size());
            m_hierarchies.push_back(h);
        }
    }
    m_context.resize(m_hierarchies.size());
    for (std::size_t i = 0; i < m_hierarchies.size(); ++i)
        m_context[i].member = DefaultOf(*m_hierarchies[i]);
}

MemberRef Evaluator::DefaultOf(const Hierarchy& h) const
{
    if (h.GetDimension().IsMeasures()) {
        const Measure* m = m_cube.DefaultMeasure();
        return MemberRef {m ? &m->AsMember() : nullptr, nullptr};
    }
    return MemberRef {h.DefaultMember(), nullptr};
}

int Evaluator::IndexOf(const Hierarchy* h) const
{
    // Most cubes have a handful of hierarchies, and a grid asks for each of its members'
    // hierarchies: a short scan beats hashing there.
    constexpr std::size_t kScanned = 16;
    if (m_hierarchies.size() <= kScanned) {
        const auto it = std::find(m_hierarchies.begin(), m_hierarchies.end(), h);
        return it == m_hierarchies.end() ? -1 : static_cast<int>(it - m_hierarchies.begin());
    }
    auto it = m_hierIndex.find(h);
    return it == m_hierIndex.end() ? -1 : it->second;
}

void Evaluator::WithPrefetch(const std::function<void()>& body, bool exactRoundIsFinal)
{
    if (m_collecting) {
        body();
        return;
    }
    for (int round = 0; round < kMaxPrefetchRounds; ++round) {
        m_collecting = true;
        m_missed = false;
        m_provisionalCells.clear();
        try {
            body();
        } catch (...) {
            m_collecting = false;
            m_pending.clear();
            m_provisionalCells.clear();
            throw;
        }
        m_collecting = false;
        // A round that missed no stored cell and computed no calculated cell (whose checks,
        // cycles and budget included, only the final round makes) had the final answer.
        const bool exact = !m_missed && m_provisionalCells.empty();
        m_provisionalCells.clear();
        if (exact && exactRoundIsFinal)
            return;
        if (!m_missed)
            break;
        FetchPending();
    }
    body();
}

void Evaluator::CheckCancelled() const
{
    if (m_options.cancel && m_options.cancel->IsCancelled())
        throw QueryCancelled();
}

void Evaluator::CheckBudget(double bytes, const std::string& what) const
{
    if (static_cast<double>(m_reserved) + bytes > static_cast<double>(m_options.memoryBudget))
        throw OlapError("The query needs more memory than its budget of " + BytesText(m_options.memoryBudget) + " for "
            + what + "; raise the query's memory budget to run it");
}

void Evaluator::Reserve(std::size_t bytes, const char* what)
{
    CheckBudget(static_cast<double>(bytes), std::string(what) + " (" + BytesText(m_reserved) + " kept already)");
    m_reserved += bytes;
}

void Evaluator::CheckSetSize(double count, std::size_t width, const std::string& what) const
{
    CheckBudget(count * static_cast<double>(sizeof(Tuple) + 16 + width * sizeof(MemberRef)), what);
}

CellKey Evaluator::StoredKey(const Measure& measure) const
{
    return StoredKeyAt(measure, m_context);
}

CellKey Evaluator::StoredKeyAt(const Measure& measure, const std::vector<Slot>& slots)
{
    CellKey key;
    key.reserve(slots.size() + 1);
    key.push_back(reinterpret_cast<std::uintptr_t>(&measure));
    for (std::size_t i = 1; i < slots.size(); ++i) {
        const Slot& s = slots[i];
        // A list's address is tagged apart from a member's (both are aligned).
        if (s.multi)
            key.push_back(reinterpret_cast<std::uintptr_t>(s.multi) | 1U);
        else if (s.member.m && !s.member.m->IsAll())
            key.push_back(reinterpret_cast<std::uintptr_t>(s.member.m));
    }
    return key;
}

// What a stored cell's entry counts against the memory budget besides its value.
static std::size_t StoredKeyBytes(const CellKey& key)
{
    return sizeof(void*) + (key.size() - 1) * (sizeof(void*) + 1);
}

std::optional<double> Evaluator::Stored(const Measure& measure)
{
    CellKey key = StoredKey(measure);
    if (auto it = m_cellCache.find(key); it != m_cellCache.end())
        return it->second;
    if (m_collecting) {
        m_missed = true;
        if (!m_pending.count(key))
            m_pending.emplace(std::move(key), Pending {&measure, m_context});
        return std::nullopt;
    }
    std::optional<double> v = FetchOne(measure, m_context);
    Reserve(StoredKeyBytes(key) + kEntryBytes, "stored cells");
    m_cellCache.emplace(std::move(key), v);
    return v;
}

bool Evaluator::RememberStored(CellKey key, std::optional<double> value)
{
    const std::size_t bytes = StoredKeyBytes(key) + kEntryBytes;
    if (static_cast<double>(m_reserved + bytes) > static_cast<double>(m_options.memoryBudget))
        return false;
    if (m_cellCache.emplace(std::move(key), value).second)
        m_reserved += bytes;
    return true;
}

std::optional<double> Evaluator::FetchOne(const Measure& measure, const std::vector<Slot>& slots)
{
    AggregationRequest request;
    for (std::size_t i = 1; i < slots.size(); ++i) {
        const Slot& s = slots[i];
        if (s.multi)
            request.slicer.push_back(MemberSet {m_hierarchies[i], *s.multi});
        else if (s.member.m && !s.member.m->IsAll())
            request.slicer.push_back(MemberSet::Of(*s.member.m));
    }
    request.measures.push_back(measure.Index());
    request.tupleSlicer = m_tupleSlicer;
    request.slicer.insert(request.slicer.end(), m_subcube.begin(), m_subcube.end());
    auto result = AggregationEngine::Aggregate(m_cube, request);
    return result->Value(0, 0);
}

namespace {

// A combination of levels and restricting lists: per hierarchy the member's depth (+1) or the
// list's address, one word each.
struct SignatureHash {
    std::size_t operator()(const std::vector<std::uintptr_t>& words) const noexcept
    {
        std::size_t h = 1469598103934665603ULL;
        for (std::uintptr_t w : words)
            h = (h ^ w) * 1099511628211ULL;
        return h;
    }
};

} // namespace

void Evaluator::FetchPending()
{
    struct Group {
        std::vector<int> groupedHierarchies;
        std::vector<std::vector<const Member*>> members;
        std::vector<std::unordered_set<const Member*>> seen;
        std::vector<std::pair<const CellKey*, const Pending*>> cells;
        std::vector<int> measures;
    };
    std::unordered_map<std::vector<std::uintptr_t>, Group, SignatureHash> groups;
    std::vector<std::uintptr_t> signature;
    std::vector<int> grouped;
    for (auto& [key, pending] : m_pending) {
        signature.clear();
        grouped.clear();
        for (std::size_t i = 1; i < pending.slots.size(); ++i) {
            const Slot& s = pending.slots[i];
            if (s.multi) {
                signature.push_back(reinterpret_cast<std::uintptr_t>(s.multi));
            } else if (s.member.m && !s.member.m->IsAll()) {
                // Depths are small and lists' addresses are aligned: odd words never meet a list.
                signature.push_back((static_cast<std::uintptr_t>(s.member.m->Depth()) << 1) | 1U);
                grouped.push_back(static_cast<int>(i));
            } else {
                signature.push_back(0);
            }
        }
        Group& g = groups[signature];
        if (g.cells.empty()) {
            g.groupedHierarchies = grouped;
            g.members.resize(grouped.size());
            g.seen.resize(grouped.size());
        }
        for (std::size_t k = 0; k < grouped.size(); ++k) {
            const Member* m = pending.slots[static_cast<std::size_t>(grouped[k])].member.m;
            if (g.seen[k].insert(m).second)
                g.members[k].push_back(m);
        }
        if (std::find(g.measures.begin(), g.measures.end(), pending.measure->Index()) == g.measures.end())
            g.measures.push_back(pending.measure->Index());
        g.cells.emplace_back(&key, &pending);
    }
    std::vector<const Member*> members;
    for (auto& [words, g] : groups) {
        CheckCancelled();
        const Pending& first = *g.cells.front().second;
        AggregationRequest request;
        for (std::size_t k = 0; k < g.groupedHierarchies.size(); ++k) {
            request.groupings.push_back(
                MemberSet {m_hierarchies[static_cast<std::size_t>(g.groupedHierarchies[k])], g.members[k]});
        }
        for (std::size_t i = 1; i < first.slots.size(); ++i) {
            if (first.slots[i].multi)
                request.slicer.push_back(MemberSet {m_hierarchies[i], *first.slots[i].multi});
        }
        request.measures = g.measures;
        request.tupleSlicer = m_tupleSlicer;
        request.slicer.insert(request.slicer.end(), m_subcube.begin(), m_subcube.end());
        std::shared_ptr<const AggregationResult> result;
        try {
            result = AggregationEngine::Aggregate(m_cube, request);
        } catch (const AggregationTooLarge&) {
            result = nullptr; // grid too large for one request: fetch cell by cell
        }
        m_cellCache.reserve(m_cellCache.size() + g.cells.size());
        for (const auto& [key, p] : g.cells) {
            std::optional<double> v;
            if (result) {
                members.clear();
                for (int h : g.groupedHierarchies)
                    members.push_back(p->slots[static_cast<std::size_t>(h)].member.m);
                v = result->Value(members, p->measure->Index());
            } else {
                v = FetchOne(*p->measure, p->slots);
            }
            Reserve(StoredKeyBytes(*key) + kEntryBytes, "stored cells");
            m_cellCache[*key] = v;
        }
    }
    m_pending.clear();
}

const CalcMember* Evaluator::BestCalc() const
{
    const CalcMember* best = nullptr;
    for (const Slot& s : m_context) {
        if (s.member.c && (!best || s.member.c->solveOrder > best->solveOrder))
            best = s.member.c;
    }
    return best;
}

bool Evaluator::IsComputing(const CalcMember& calc) const
{
    return std::find(m_computing.begin(), m_computing.end(), &calc) != m_computing.end();
}

Value Evaluator::CurrentCell()
{
    if (const CalcMember* best = BestCalc())
        return CalcCell(*best);
    const MemberRef& measure = m_context[0].member;
    if (!measure.m || measure.m->MeasureIndex() < 0)
        return {};
    return Value::OptNum(Stored(*m_cube.Measures()[static_cast<std::size_t>(measure.m->MeasureIndex())]));
}

CellKey Evaluator::ContextKey() const
{
    CellKey key;
    key.reserve(m_context.size() * 3);
    for (const Slot& s : m_context) {
        key.push_back(reinterpret_cast<std::uintptr_t>(s.member.m));
        key.push_back(reinterpret_cast<std::uintptr_t>(s.member.c));
        key.push_back(reinterpret_cast<std::uintptr_t>(s.multi));
    }
    return key;
}

Value Evaluator::CalcCell(const CalcMember& calc)
{
    CellKey key = ContextKey();
    if (m_collecting) {
        if (auto it = m_calcCells.find(key); it != m_calcCells.end() && it->second.done)
            return it->second.value;
    }
    auto& memo = m_collecting ? m_provisionalCells : m_calcCells;
    if (!m_collecting)
        Reserve(key.size() * sizeof(std::uintptr_t) + kEntryBytes, "calculated cells");
    auto [it, inserted] = memo.try_emplace(key);
    CalcCellEntry& entry = it->second; // stays valid while the map grows
    if (!inserted) {
        if (entry.done)
            return entry.value;
        if (m_collecting)
            return {};
        Fail(calc.formula->position,
            "calculated member " + calc.uniqueName + " refers to itself (directly or through others)", calc.uniqueName);
    }
    if (static_cast<int>(m_computing.size()) >= kMaxCalcDepth) {
        memo.erase(it);
        if (m_collecting)
            return {};
        Fail(calc.formula->position,
            "calculated member " + calc.uniqueName + " is nested deeper than the depth limit of "
                + std::to_string(kMaxCalcDepth) + " calculated members computed inside one another",
            calc.uniqueName);
    }
    m_computing.push_back(&calc);
    Value v;
    try {
        v = Scalar(Eval(*calc.formula), *calc.formula);
    } catch (...) {
        m_computing.pop_back();
        memo.erase(key);
        throw;
    }
    m_computing.pop_back();
    entry.value = v;
    entry.done = true;
    return v;
}

bool Evaluator::HasFactRows()
{
    bool any = false;
    // In a collecting round every measure is recorded, so one fetch answers them all.
    for (const Measure* m : m_cube.Measures()) {
        any = Stored(*m).has_value() || any;
        if (any && !m_collecting)
            break;
    }
    return any;
}

Value Evaluator::CellAt(const Tuple& tuple)
{
    Scope scope(*this, tuple);
    return CurrentCell();
}

Value Evaluator::Scalar(const Value& v, const Expr& where)
{
    switch (v.kind) {
    case VK::Member:
        if (v.member.IsNull())
            return {};
        return CellAt(Tuple {v.member});
    case VK::Tuple:
        return CellAt(v.tuple);
    case VK::Hierarchy:
    case VK::Dimension:
        return CellAt(Tuple {ToMember(v, where)});
    case VK::Set:
        Fail(where.position, "expected a value, found a set: " + TextOf(where), TextOf(where));
    case VK::Level:
        Fail(where.position, "expected a value, found a level: " + TextOf(where), TextOf(where));
    case VK::Word:
        FailName(where.position, "unknown name '" + v.text + "'", v.text);
    case VK::Missing:
        return {};
    default:
        return v;
    }
}

std::optional<double> Evaluator::Number(const Value& raw, const Expr& where)
{
    Value v = Scalar(raw, where);
    switch (v.kind) {
    case VK::Number:
    case VK::Bool:
        return v.number;
    case VK::String: {
        char* end = nullptr;
        double d = std::strtod(v.text.c_str(), &end);
        if (v.text.empty() || *end != '\0')
            Fail(where.position, "expected a number, found the text '" + v.text + "'", TextOf(where));
        return d;
    }
    default:
        return std::nullopt;
    }
}

bool Evaluator::Truth(const Expr& e)
{
    Value v = Scalar(Eval(e), e);
    if (v.kind == VK::String)
        return !v.text.empty();
    return (v.kind == VK::Number || v.kind == VK::Bool) && v.number != 0;
}

MemberRef Evaluator::ToMember(const Value& v, const Expr& where)
{
    switch (v.kind) {
    case VK::Member:
        return v.member;
    case VK::Hierarchy:
        return m_context[static_cast<std::size_t>(IndexOf(v.hierarchy))].member;
    case VK::Dimension:
        return m_context[static_cast<std::size_t>(IndexOf(&v.dimension->DefaultHierarchy()))].member;
    case VK::Tuple:
        if (v.tuple.size() == 1)
            return v.tuple[0];
        break;
    case VK::Set:
        if (v.set.size() == 1 && v.set[0].size() == 1)
            return v.set[0][0];
        break;
    case VK::Word:
        FailName(where.position, "unknown name '" + v.text + "'", v.text);
    default:
        break;
    }
    Fail(where.position, "expected a member: " + TextOf(where), TextOf(where));
}

Tuple Evaluator::ToTuple(const Value& v, const Expr& where)
{
    if (v.kind == VK::Tuple)
        return v.tuple;
    if (v.kind == VK::Set && v.set.size() == 1)
        return v.set[0];
    return Tuple {ToMember(v, where)};
}

TupleSet Evaluator::ToSet(Value v, const Expr& where)
{
    switch (v.kind) {
    case VK::Set:
        return std::move(v.set);
    case VK::Member:
        if (v.member.IsNull())
            return {};
        return {Tuple {v.member}};
    case VK::Tuple:
        return {std::move(v.tuple)};
    case VK::Level:
        return LevelMembers(*v.level);
    case VK::Hierarchy:
    case VK::Dimension:
        return {Tuple {ToMember(v, where)}};
    case VK::Word:
        FailName(where.position, "unknown name '" + v.text + "'", v.text);
    default:
        Fail(where.position, "expected a set: " + TextOf(where), TextOf(where));
    }
}

const Level* Evaluator::LevelOf(const Expr& e)
{
    Value v = Eval(e);
    if (v.kind == VK::Level)
        return v.level;
    if (v.kind == VK::Word)
        FailName(e.position, "unknown name '" + v.text + "'", v.text);
    Fail(e.position, "expected a level: " + TextOf(e), TextOf(e));
}

const Hierarchy* Evaluator::HierarchyOf(const Expr& e)
{
    Value v = Eval(e);
    switch (v.kind) {
    case VK::Hierarchy:
        return v.hierarchy;
    case VK::Dimension:
        return &v.dimension->DefaultHierarchy();
    case VK::Level:
        return &v.level->GetHierarchy();
    case VK::Member:
        if (!v.member.IsNull())
            return v.member.Hier();
        break;
    case VK::Word:
        FailName(e.position, "unknown name '" + v.text + "'", v.text);
    default:
        break;
    }
    Fail(e.position, "expected a hierarchy: " + TextOf(e), TextOf(e));
}

} // namespace olap::eval
