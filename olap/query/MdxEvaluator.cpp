#include "olap/query/MdxEvaluator.h"

#include "olap/exec/AggregationEngine.h"
#include "olap/exec/AggregationResult.h"
#include "olap/exec/Drillthrough.h"
#include "olap/mdx/MdxPrinter.h"
#include "olap/mdx/Parser.h"
#include "olap/model/Cube.h"
#include "olap/model/Dimension.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Level.h"
#include "olap/model/Measure.h"
#include "olap/model/Member.h"
#include "olap/query/CancellationToken.h"
#include "olap/query/MdxError.h"
#include "olap/query/QueryCancelled.h"
#include "olap/util/ValueFormatter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <functional>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include <pthread.h>

namespace olap {
namespace {

using mdx::BinaryOperator;
using mdx::Expr;
using mdx::ExprKind;
using mdx::SegmentQuoting;
using mdx::SourcePosition;

constexpr int kMaxCalcDepth = 64;
//! Expression levels evaluated inside one another (formulas of calculated members included).
//! A level costs up to ~27 KB of stack in a sanitizer build, so the deepest query fits the
//! stack MdxEvaluator::kStackBytes asks for.
constexpr int kMaxExprDepth = 256;
//! Stack kept free below the deepest evaluation level for the work it calls (aggregation,
//! sorting, error reports).
constexpr std::uintptr_t kStackReserve = std::uintptr_t {256} * 1024;

// The lowest stack address evaluation may reach on the calling thread (its stack's end plus
// kStackReserve); 0 when the thread's stack cannot be found out.
std::uintptr_t StackLimit()
{
    thread_local const std::uintptr_t limit = [] {
        std::uintptr_t low = 0;
#ifdef __linux__
        pthread_attr_t attr;
        if (pthread_getattr_np(pthread_self(), &attr) == 0) {
            void* address = nullptr;
            std::size_t size = 0;
            if (pthread_attr_getstack(&attr, &address, &size) == 0 && size > kStackReserve)
                low = reinterpret_cast<std::uintptr_t>(address) + kStackReserve;
            pthread_attr_destroy(&attr);
        }
#endif
        return low;
    }();
    return limit;
}
constexpr int kMaxPrefetchRounds = 8;
//! Longest text value a query may build (concatenation, Generate): a formula that doubles a
//! text gets a clear error instead of eating the memory.
constexpr std::size_t kMaxTextBytes = 1'000'000;

// BYTES as "64 KiB", "1024 MiB" (whole units) or a number of bytes.
std::string BytesText(std::uint64_t bytes)
{
    if (bytes >= (1u << 20) && bytes % (1u << 20) == 0)
        return std::to_string(bytes >> 20) + " MiB";
    if (bytes >= 1024 && bytes % 1024 == 0)
        return std::to_string(bytes >> 10) + " KiB";
    return std::to_string(bytes) + " bytes";
}

// A number from a query as an int: NaN is 0, the range is limited to +-1e9 (no overflow).
int ClampInt(double v)
{
    return std::isnan(v) ? 0 : static_cast<int>(std::clamp(v, -1e9, 1e9));
}

std::string Lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

[[noreturn]] void Fail(const SourcePosition& pos, const std::string& description, const std::string& token)
{
    throw MdxError(
        "Error at line " + std::to_string(pos.line) + ", column " + std::to_string(pos.column) + ": " + description,
        pos, token);
}

[[noreturn]] void FailName(const SourcePosition& pos, const std::string& description, const std::string& token)
{
    throw MdxError("Name error at line " + std::to_string(pos.line) + ", column " + std::to_string(pos.column) + ": "
            + description,
        pos, token);
}

std::string TextOf(const Expr& e)
{
    std::string text = mdx::ToMdx(e);
    if (text.size() > 60)
        text = text.substr(0, 57) + "...";
    return text;
}

std::string IdentifierText(const Expr& e)
{
    std::string text;
    for (const mdx::IdentifierSegment& s : e.segments) {
        if (!text.empty())
            text += '.';
        if (s.quoting == SegmentQuoting::Key) {
            for (const std::string& k : s.keys) {
                text += '&';
                text += BracketName(k);
            }
        } else {
            text += BracketName(s.name);
        }
    }
    return text;
}

// A calculated member of this query (WITH MEMBER) or of the cube's schema.
struct CalcMember {
    std::string name;
    std::string uniqueName;
    std::string caption;
    const Hierarchy* hierarchy = nullptr;
    const Member* parent = nullptr;
    const Level* level = nullptr;
    const Expr* formula = nullptr;
    int solveOrder = 0;
    std::string formatString;
    bool hasFormat = false;
    int order = 0;
};

// A member as the evaluator sees it: a stored member, a calculated one, or null (the
// member before the first, the parent of a top member).
struct MemberRef {
    const Member* m = nullptr;
    const CalcMember* c = nullptr;

    bool IsNull() const { return !m && !c; }
    bool operator==(const MemberRef&) const = default;
    const Hierarchy* Hier() const { return m ? &m->GetHierarchy() : c ? c->hierarchy : nullptr; }
    const std::string& UniqueName() const { return m ? m->UniqueName() : c->uniqueName; }
    const std::string& Name() const { return m ? m->Name() : c->name; }
    const std::string& Caption() const { return m ? m->Caption() : c->caption; }
    const Level* Lvl() const { return m ? &m->GetLevel() : c->level; }
    int Depth() const { return m ? m->Depth() : (c->level ? c->level->Depth() : 0); }
    const Member* Parent() const { return m ? m->Parent() : c->parent; }
};

using Tuple = std::vector<MemberRef>;
using TupleSet = std::vector<Tuple>;

enum class VK { Empty, Missing, Number, String, Bool, Member, Tuple, Set, Level, Hierarchy, Dimension, Word };

struct Value {
    VK kind = VK::Empty;
    double number = 0;
    std::string text;
    MemberRef member;
    Tuple tuple;
    TupleSet set;
    const Level* level = nullptr;
    const Hierarchy* hierarchy = nullptr;
    const Dimension* dimension = nullptr;

    static Value Num(double v)
    {
        Value r;
        r.kind = VK::Number;
        r.number = v;
        return r;
    }
    static Value OptNum(std::optional<double> v) { return v ? Num(*v) : Value {}; }
    static Value Str(std::string s)
    {
        Value r;
        r.kind = VK::String;
        r.text = std::move(s);
        return r;
    }
    static Value Boolean(bool b)
    {
        Value r;
        r.kind = VK::Bool;
        r.number = b ? 1 : 0;
        return r;
    }
    static Value Mem(MemberRef m)
    {
        Value r;
        r.kind = VK::Member;
        r.member = m;
        return r;
    }
    static Value OfLevel(const Level* l)
    {
        Value r;
        r.kind = VK::Level;
        r.level = l;
        return r;
    }
    static Value OfHierarchy(const Hierarchy* h)
    {
        Value r;
        r.kind = VK::Hierarchy;
        r.hierarchy = h;
        return r;
    }
    static Value OfSet(TupleSet s)
    {
        Value r;
        r.kind = VK::Set;
        r.set = std::move(s);
        return r;
    }
};

// The member a hierarchy is at in the current evaluation context. MULTI (from a set
// slicer or Aggregate) restricts the stored cells to rows under any of its members.
struct Slot {
    MemberRef member;
    const std::vector<const Member*>* multi = nullptr;
};

void AppendPointer(std::string& key, const void* p)
{
    key.append(reinterpret_cast<const char*>(&p), sizeof p);
}

std::string PointerBytes(const void* p)
{
    std::string s(sizeof p, '\0');
    std::memcpy(s.data(), &p, sizeof p);
    return s;
}

void PreOrder(const Member* m, std::vector<const Member*>& out)
{
    out.push_back(m);
    for (const Member* child : m->Children())
        PreOrder(child, out);
}

class Evaluator {
public:
    Evaluator(const Cube& cube, const QueryOptions& options) : m_cube(cube), m_options(options)
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

    QueryResult Run(const mdx::Statement& statement);

private:
    // ---- context -------------------------------------------------------------
    MemberRef DefaultOf(const Hierarchy& h) const
    {
        if (h.GetDimension().IsMeasures()) {
            const Measure* m = m_cube.DefaultMeasure();
            return MemberRef {m ? &m->AsMember() : nullptr, nullptr};
        }
        return MemberRef {h.DefaultMember(), nullptr};
    }

    int IndexOf(const Hierarchy* h) const
    {
        auto it = m_hierIndex.find(h);
        return it == m_hierIndex.end() ? -1 : it->second;
    }

    // Sets the members of TUPLE into the context for the life of the object.
    class Scope {
    public:
        Scope(Evaluator& e, const Tuple& tuple) : m_e(e)
        {
            for (const MemberRef& r : tuple) {
                if (r.IsNull())
                    continue;
                int i = e.IndexOf(r.Hier());
                if (i < 0)
                    continue;
                m_saved.emplace_back(i, e.m_context[static_cast<std::size_t>(i)]);
                e.m_context[static_cast<std::size_t>(i)] = Slot {r, nullptr};
            }
        }
        void SetMulti(int index, MemberRef shown, const std::vector<const Member*>* multi)
        {
            m_saved.emplace_back(index, m_e.m_context[static_cast<std::size_t>(index)]);
            m_e.m_context[static_cast<std::size_t>(index)] = Slot {shown, multi};
        }
        ~Scope()
        {
            for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it)
                m_e.m_context[static_cast<std::size_t>(it->first)] = it->second;
        }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        Evaluator& m_e;
        std::vector<std::pair<int, Slot>> m_saved;
    };

    // Runs BODY until the stored cells it needs are all fetched: in collecting rounds a
    // missing cell is recorded (and read as empty); the recorded cells are then fetched
    // in batches. A final round runs with every cell known.
    void WithPrefetch(const std::function<void()>& body)
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
            m_provisionalCells.clear();
            if (!m_missed)
                break;
            FetchPending();
        }
        body();
    }

    // ---- budget and cancellation ------------------------------------------------
    //! Bytes a remembered cell takes besides its key (map node, value).
    static constexpr std::size_t kEntryBytes = sizeof(Value) + 64;

    void CheckCancelled() const
    {
        if (m_options.cancel && m_options.cancel->IsCancelled())
            throw QueryCancelled();
    }

    // Fails unless BYTES more fit into the query's memory budget next to what it keeps.
    void CheckBudget(double bytes, const std::string& what) const
    {
        if (static_cast<double>(m_reserved) + bytes > static_cast<double>(m_options.memoryBudget))
            throw OlapError("The query needs more memory than its budget of " + BytesText(m_options.memoryBudget)
                + " for " + what + "; raise the query's memory budget to run it");
    }

    // Counts BYTES that stay for the rest of the query against the budget.
    void Reserve(std::size_t bytes, const char* what)
    {
        CheckBudget(static_cast<double>(bytes), std::string(what) + " (" + BytesText(m_reserved) + " kept already)");
        m_reserved += bytes;
    }

    // Fails before a set of COUNT tuples of WIDTH members is built when it would not fit.
    void CheckSetSize(double count, std::size_t width, const std::string& what) const
    {
        CheckBudget(count * static_cast<double>(sizeof(Tuple) + 16 + width * sizeof(MemberRef)), what);
    }

    // ---- stored cells ----------------------------------------------------------
    struct CalcCellEntry {
        Value value;
        bool done = false; //!< false while it is being computed
    };

    std::string StoredKey(const Measure& measure) const
    {
        std::string key;
        key.reserve(sizeof(void*) * (m_context.size() + 1) + m_context.size());
        AppendPointer(key, &measure);
        for (std::size_t i = 1; i < m_context.size(); ++i) {
            const Slot& s = m_context[i];
            if (s.multi) {
                key += 'S';
                AppendPointer(key, s.multi);
            } else if (s.member.m && !s.member.m->IsAll()) {
                key += 'M';
                AppendPointer(key, s.member.m);
            }
        }
        return key;
    }

    std::optional<double> Stored(const Measure& measure)
    {
        std::string key = StoredKey(measure);
        if (auto it = m_cellCache.find(key); it != m_cellCache.end())
            return it->second;
        if (m_collecting) {
            m_missed = true;
            if (!m_pending.count(key))
                m_pending.emplace(key, Pending {&measure, m_context});
            return std::nullopt;
        }
        std::optional<double> v = FetchOne(measure, m_context);
        Reserve(key.size() + kEntryBytes, "stored cells");
        m_cellCache.emplace(std::move(key), v);
        return v;
    }

    struct Pending {
        const Measure* measure = nullptr;
        std::vector<Slot> slots;
    };

    std::optional<double> FetchOne(const Measure& measure, const std::vector<Slot>& slots)
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
        auto result = AggregationEngine::Aggregate(m_cube, request);
        return result->Value(0, 0);
    }

    // Fetches the recorded cells with one request per combination of levels.
    void FetchPending()
    {
        struct Group {
            std::vector<int> groupedHierarchies;
            std::vector<std::vector<const Member*>> members;
            std::vector<std::unordered_set<const Member*>> seen;
            std::vector<const std::string*> keys;
            std::vector<int> measures;
        };
        std::unordered_map<std::string, Group> groups;
        for (auto& [key, pending] : m_pending) {
            std::string signature;
            std::vector<int> grouped;
            for (std::size_t i = 1; i < pending.slots.size(); ++i) {
                const Slot& s = pending.slots[i];
                if (s.multi) {
                    signature += 'S' + PointerBytes(s.multi);
                } else if (s.member.m && !s.member.m->IsAll()) {
                    signature += 'L' + std::to_string(i) + ':' + std::to_string(s.member.m->Depth()) + ';';
                    grouped.push_back(static_cast<int>(i));
                }
            }
            Group& g = groups[signature];
            if (g.keys.empty()) {
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
            g.keys.push_back(&key);
        }
        for (auto& [signature, g] : groups) {
            CheckCancelled();
            const Pending& first = m_pending.at(*g.keys.front());
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
            std::shared_ptr<const AggregationResult> result;
            try {
                result = AggregationEngine::Aggregate(m_cube, request);
            } catch (const OlapError&) {
                result = nullptr; // grid too large for one request: fetch cell by cell
            }
            for (const std::string* key : g.keys) {
                const Pending& p = m_pending.at(*key);
                std::optional<double> v;
                if (result) {
                    std::vector<const Member*> members;
                    for (int h : g.groupedHierarchies)
                        members.push_back(p.slots[static_cast<std::size_t>(h)].member.m);
                    v = result->Value(members, p.measure->Index());
                } else {
                    v = FetchOne(*p.measure, p.slots);
                }
                Reserve(key->size() + kEntryBytes, "stored cells");
                m_cellCache[*key] = v;
            }
        }
        m_pending.clear();
    }

    // The calculated member that computes the cell at the current context: the one with the
    // highest solve order (the Measures one on a tie); nullptr for a stored cell.
    const CalcMember* BestCalc() const
    {
        const CalcMember* best = nullptr;
        for (const Slot& s : m_context) {
            if (s.member.c && (!best || s.member.c->solveOrder > best->solveOrder))
                best = s.member.c;
        }
        return best;
    }

    bool IsComputing(const CalcMember& calc) const
    {
        return std::find(m_computing.begin(), m_computing.end(), &calc) != m_computing.end();
    }

    // The value of the cell at the current context: the calculated member with the
    // highest solve order (the Measures one on a tie) computes it, else the stored cell.
    Value CurrentCell()
    {
        if (const CalcMember* best = BestCalc())
            return CalcCell(*best);
        const MemberRef& measure = m_context[0].member;
        if (!measure.m || measure.m->MeasureIndex() < 0)
            return {};
        return Value::OptNum(Stored(*m_cube.Measures()[static_cast<std::size_t>(measure.m->MeasureIndex())]));
    }

    // The members (and restricting lists) of the whole context: what a calculated cell's
    // value depends on within one query.
    std::string ContextKey() const
    {
        std::string key;
        key.reserve(m_context.size() * 3 * sizeof(void*));
        for (const Slot& s : m_context) {
            AppendPointer(key, s.member.m);
            AppendPointer(key, s.member.c);
            AppendPointer(key, s.multi);
        }
        return key;
    }

    // Computes the cell of CALC at the current context once per query: later uses read the
    // remembered value, so formulas that use each other several times stay linear. A cell
    // needed while it is being computed is a cycle. In a collecting round the values are
    // provisional (stored cells may still be missing), so they are kept apart and a cycle or
    // the depth limit only reads as empty there: the final round reports it.
    Value CalcCell(const CalcMember& calc)
    {
        std::string key = ContextKey();
        if (m_collecting) {
            if (auto it = m_calcCells.find(key); it != m_calcCells.end() && it->second.done)
                return it->second.value;
        }
        auto& memo = m_collecting ? m_provisionalCells : m_calcCells;
        if (!m_collecting)
            Reserve(key.size() + kEntryBytes, "calculated cells");
        auto [it, inserted] = memo.try_emplace(key);
        CalcCellEntry& entry = it->second; // stays valid while the map grows
        if (!inserted) {
            if (entry.done)
                return entry.value;
            if (m_collecting)
                return {};
            Fail(calc.formula->position,
                "calculated member " + calc.uniqueName + " refers to itself (directly or through others)",
                calc.uniqueName);
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

    // True when fact rows lie under the context's stored members: some stored measure has a
    // value there.
    bool HasFactRows()
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

    Value CellAt(const Tuple& tuple)
    {
        Scope scope(*this, tuple);
        return CurrentCell();
    }

    // A number, string, boolean or empty: members and tuples are read as cells.
    Value Scalar(const Value& v, const Expr& where)
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

    std::optional<double> Number(const Value& raw, const Expr& where)
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

    std::optional<double> NumberOf(const Expr& e) { return Number(Eval(e), e); }

    bool Truth(const Expr& e)
    {
        Value v = Scalar(Eval(e), e);
        if (v.kind == VK::String)
            return !v.text.empty();
        return (v.kind == VK::Number || v.kind == VK::Bool) && v.number != 0;
    }

    MemberRef ToMember(const Value& v, const Expr& where)
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

    Tuple ToTuple(const Value& v, const Expr& where)
    {
        if (v.kind == VK::Tuple)
            return v.tuple;
        if (v.kind == VK::Set && v.set.size() == 1)
            return v.set[0];
        return Tuple {ToMember(v, where)};
    }

    TupleSet ToSet(Value v, const Expr& where)
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

    TupleSet SetOf(const Expr& e) { return ToSet(Eval(e), e); }
    MemberRef MemberOf(const Expr& e) { return ToMember(Eval(e), e); }

    const Level* LevelOf(const Expr& e)
    {
        Value v = Eval(e);
        if (v.kind == VK::Level)
            return v.level;
        if (v.kind == VK::Word)
            FailName(e.position, "unknown name '" + v.text + "'", v.text);
        Fail(e.position, "expected a level: " + TextOf(e), TextOf(e));
    }

    const Hierarchy* HierarchyOf(const Expr& e)
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

    // ---- members and sets ------------------------------------------------------
    TupleSet LevelMembers(const Level& level) const
    {
        TupleSet out;
        for (const Member* m : level.Members())
            out.push_back(Tuple {MemberRef {m, nullptr}});
        return out;
    }

    TupleSet HierarchyMembers(const Hierarchy& h, bool withCalculated) const
    {
        std::vector<const Member*> members;
        for (const Member* root : h.RootMembers())
            PreOrder(root, members);
        TupleSet out;
        for (const Member* m : members)
            out.push_back(Tuple {MemberRef {m, nullptr}});
        if (withCalculated) {
            for (const CalcMember& c : m_calcMembers) {
                if (c.hierarchy == &h)
                    out.push_back(Tuple {MemberRef {nullptr, &c}});
            }
        }
        return out;
    }

    std::vector<MemberRef> ChildrenOf(const MemberRef& r) const
    {
        std::vector<MemberRef> out;
        if (r.m) {
            for (const Member* child : r.m->Children())
                out.push_back(MemberRef {child, nullptr});
        }
        return out;
    }

    MemberRef Cousin(const MemberRef& r, int offset) const
    {
        if (!r.m)
            return {};
        auto members = r.m->GetLevel().Members();
        long long pos = static_cast<long long>(r.m->Ordinal()) + offset;
        if (pos < 0 || pos >= static_cast<long long>(members.size()))
            return {};
        return MemberRef {members[static_cast<std::size_t>(pos)], nullptr};
    }

    std::vector<MemberRef> SiblingsOf(const MemberRef& r) const
    {
        std::vector<MemberRef> out;
        const Member* parent = r.Parent();
        if (parent)
            return ChildrenOf(MemberRef {parent, nullptr});
        if (r.m) {
            for (const Member* m : r.m->GetHierarchy().RootMembers())
                out.push_back(MemberRef {m, nullptr});
        } else {
            out.push_back(r);
        }
        return out;
    }

    const Member* AncestorAt(const Member* m, int depth) const
    {
        while (m && m->Depth() > depth)
            m = m->Parent();
        return m && m->Depth() == depth ? m : nullptr;
    }

    // True when A comes before B in hierarchical order (parents before children, or
    // after them with POST). Calculated members follow the stored ones.
    bool Before(const MemberRef& a, const MemberRef& b, bool post) const
    {
        if (a == b)
            return false;
        const Hierarchy* ha = a.Hier();
        const Hierarchy* hb = b.Hier();
        if (ha != hb)
            return IndexOf(ha) < IndexOf(hb);
        if (a.c || b.c) {
            if (a.c && b.c)
                return a.c->order < b.c->order;
            return b.c != nullptr;
        }
        const Member* x = a.m;
        const Member* y = b.m;
        int da = x->Depth();
        int db = y->Depth();
        while (x->Depth() > db && x->Parent())
            x = x->Parent();
        while (y->Depth() > da && y->Parent())
            y = y->Parent();
        if (x == y)
            return post ? da > db : da < db;
        if (x->Depth() != y->Depth())
            return x->Depth() < y->Depth();
        return x->Ordinal() < y->Ordinal();
    }

    bool TupleBefore(const Tuple& a, const Tuple& b, bool post) const
    {
        for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
            if (a[i] == b[i])
                continue;
            return Before(a[i], b[i], post);
        }
        return a.size() < b.size();
    }

    static std::string TupleKey(const Tuple& t)
    {
        std::string key;
        for (const MemberRef& r : t) {
            AppendPointer(key, r.m);
            AppendPointer(key, r.c);
        }
        return key;
    }

    static TupleSet DistinctOf(const TupleSet& set)
    {
        std::unordered_set<std::string> seen;
        TupleSet out;
        for (const Tuple& t : set) {
            if (seen.insert(TupleKey(t)).second)
                out.push_back(t);
        }
        return out;
    }

    void CheckSameShape(const TupleSet& a, const TupleSet& b, const Expr& where) const
    {
        if (a.empty() || b.empty())
            return;
        bool same = a[0].size() == b[0].size();
        for (std::size_t i = 0; same && i < a[0].size(); ++i)
            same = a[0][i].Hier() == b[0][i].Hier();
        if (!same)
            Fail(where.position, "sets with different hierarchies: " + TextOf(where), TextOf(where));
    }

    TupleSet CrossJoin(const TupleSet& a, const TupleSet& b, const Expr& where)
    {
        if (!a.empty() && !b.empty()) {
            for (const MemberRef& x : a[0]) {
                for (const MemberRef& y : b[0]) {
                    if (x.Hier() && x.Hier() == y.Hier())
                        Fail(where.position, "hierarchy " + x.Hier()->UniqueName() + " appears twice in a crossjoin",
                            TextOf(where));
                }
            }
        }
        TupleSet out;
        if (!a.empty() && !b.empty())
            CheckSetSize(static_cast<double>(a.size()) * static_cast<double>(b.size()), a[0].size() + b[0].size(),
                "a crossjoin of " + std::to_string(a.size()) + " by " + std::to_string(b.size()) + " tuples");
        out.reserve(a.size() * b.size());
        for (const Tuple& x : a) {
            for (const Tuple& y : b) {
                Tuple t = x;
                t.insert(t.end(), y.begin(), y.end());
                out.push_back(std::move(t));
            }
        }
        return out;
    }

    // The emptiness test of NON EMPTY, NonEmpty and Count(..., EXCLUDEEMPTY). A cell that
    // the calculated member being computed would compute (a measure that counts the members
    // with data) is judged by its fact rows instead, so the formula does not reach itself.
    bool TupleIsEmpty(const Tuple& t)
    {
        Scope scope(*this, t);
        if (const CalcMember* best = BestCalc(); best && IsComputing(*best))
            return !HasFactRows();
        return CurrentCell().kind == VK::Empty;
    }

    const std::vector<const Member*>* Intern(std::vector<const Member*> members)
    {
        std::string key;
        for (const Member* m : members)
            AppendPointer(key, m);
        auto& slot = m_multiLists[key];
        if (!slot)
            slot = std::make_unique<std::vector<const Member*>>(std::move(members));
        return slot.get();
    }

    // ---- names ----------------------------------------------------------------
    [[gnu::noinline]] Value Resolve(const Expr& e)
    {
        std::string text = IdentifierText(e);
        std::string lower = Lower(text);
        if (auto it = m_calcByName.find(lower); it != m_calcByName.end())
            return Value::Mem(MemberRef {nullptr, it->second});
        if (e.segments.size() == 1 && e.segments[0].quoting != SegmentQuoting::Key) {
            const std::string& name = e.segments[0].name;
            if (auto it = m_sets.find(Lower(name)); it != m_sets.end())
                return Value::OfSet(NamedSet(it->second, e));
            if (const Dimension* d = m_cube.FindDimension(name)) {
                Value v;
                if (d->Hierarchies().size() == 1) {
                    v.kind = VK::Hierarchy;
                    v.hierarchy = &d->DefaultHierarchy();
                } else {
                    v.kind = VK::Dimension;
                    v.dimension = d;
                }
                return v;
            }
            if (const Hierarchy* h = m_cube.FindHierarchy(text)) {
                return Value::OfHierarchy(h);
            }
            if (auto it = m_calcByName.find(Lower("[Measures]." + text)); it != m_calcByName.end())
                return Value::Mem(MemberRef {nullptr, it->second});
            if (const Measure* m = m_cube.FindMeasure(name))
                return Value::Mem(MemberRef {&m->AsMember(), nullptr});
            if (e.IsPlainWord()) {
                Value v;
                v.kind = VK::Word;
                v.text = name;
                return v;
            }
            FailName(e.position, "unknown name '" + text + "'", text);
        }
        if (const Member* m = m_cube.FindMember(text))
            return Value::Mem(MemberRef {m, nullptr});
        if (const Level* l = m_cube.FindLevel(text)) {
            return Value::OfLevel(l);
        }
        if (const Hierarchy* h = m_cube.FindHierarchy(text)) {
            return Value::OfHierarchy(h);
        }
        // [Dim].[Hier].[Level] and [Dim].[Hier] spellings of the dimension's own hierarchy.
        if (e.segments.size() >= 2 && EqualsNoCase(e.segments[0].name, e.segments[1].name)) {
            mdx::Expr shorter;
            shorter.segments.assign(e.segments.begin() + 1, e.segments.end());
            shorter.position = e.position;
            std::string rest = IdentifierText(shorter);
            if (e.segments.size() == 2) {
                if (const Hierarchy* h = m_cube.FindHierarchy(rest)) {
                    return Value::OfHierarchy(h);
                }
            }
            if (const Level* l = m_cube.FindLevel(rest)) {
                return Value::OfLevel(l);
            }
            if (const Member* m = m_cube.FindMember(rest))
                return Value::Mem(MemberRef {m, nullptr});
        }
        FailName(e.position,
            "'" + text + "' is not a member, level, hierarchy or dimension of cube '" + m_cube.Name() + "'", text);
    }

    struct NamedSetEntry {
        const Expr* expr = nullptr;
        std::optional<TupleSet> value;
        bool evaluating = false;
        std::string name;
    };

    TupleSet NamedSet(NamedSetEntry& entry, const Expr& where)
    {
        if (entry.value)
            return *entry.value;
        if (entry.evaluating)
            Fail(where.position, "set " + entry.name + " refers to itself", entry.name);
        entry.evaluating = true;
        std::vector<Slot> saved = m_context;
        if (!m_baseContext.empty())
            m_context = m_baseContext;
        TupleSet result;
        try {
            result = SetOf(*entry.expr);
        } catch (...) {
            m_context = saved;
            entry.evaluating = false;
            throw;
        }
        m_context = saved;
        entry.evaluating = false;
        if (!m_collecting)
            entry.value = result;
        return result;
    }

    // ---- expressions -----------------------------------------------------------
    static void CheckTextSize(std::size_t bytes, const Expr& where)
    {
        if (bytes > kMaxTextBytes)
            Fail(where.position,
                "a text value would be longer than the limit of " + std::to_string(kMaxTextBytes)
                    + " bytes: " + TextOf(where),
                TextOf(where));
    }

    Value Eval(const Expr& e);
    [[gnu::noinline]] Value EvalUnary(const Expr& e);
    [[gnu::noinline]] Value EvalBinary(const Expr& e);
    [[gnu::noinline]] Value EvalTuple(const Expr& e);
    [[gnu::noinline]] Value EvalSet(const Expr& e);
    [[gnu::noinline]] Value EvalCall(const Expr& e);
    [[gnu::noinline]] Value EvalCase(const Expr& e);
    Value Call(const Expr& e, const std::string& name, const std::vector<const Expr*>& args);

    static int CompareScalars(const Value& a, const Value& b)
    {
        if (a.kind == VK::String && b.kind == VK::String)
            return a.text < b.text ? -1 : a.text > b.text ? 1 : 0;
        if (a.kind == VK::Empty && b.kind == VK::Empty)
            return 0;
        if (a.kind == VK::Empty)
            return -1;
        if (b.kind == VK::Empty)
            return 1;
        if (a.kind == VK::String || b.kind == VK::String) {
            std::string x = a.kind == VK::String ? a.text : FormatNumber(a.number);
            std::string y = b.kind == VK::String ? b.text : FormatNumber(b.number);
            return x < y ? -1 : x > y ? 1 : 0;
        }
        return a.number < b.number ? -1 : a.number > b.number ? 1 : 0;
    }

    std::vector<Value> KeysOf(const TupleSet& set, const Expr* expr)
    {
        std::vector<Value> keys;
        keys.reserve(set.size());
        for (const Tuple& t : set) {
            Scope scope(*this, t);
            keys.push_back(expr ? Scalar(Eval(*expr), *expr) : CurrentCell());
        }
        return keys;
    }

    TupleSet SortByKey(const TupleSet& set, const Expr* expr, bool descending)
    {
        std::vector<Value> keys = KeysOf(set, expr);
        std::vector<std::size_t> order(set.size());
        for (std::size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
            int c = CompareScalars(keys[x], keys[y]);
            return descending ? c > 0 : c < 0;
        });
        TupleSet out;
        for (std::size_t i : order)
            out.push_back(set[i]);
        return out;
    }

    // ---- cell sets ---------------------------------------------------------------
    CellSet::Member Describe(const MemberRef& r) const
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
        return m;
    }

    std::string FormatStringInContext() const
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

    const Measure* FirstStoredMeasure(const Expr& e) const
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

    void DefineFormulas(const mdx::SelectStatement& select);
    void AddCalcMember(const Expr& nameExpr, const Expr& formula, const std::vector<mdx::Formula::Property>* props,
        const std::string& schemaFormat, const std::string& schemaCaption);
    Tuple SlicerTuple(
        const mdx::SelectStatement& select, std::vector<std::pair<int, const std::vector<const Member*>*>>& multi);
    QueryResult RunDrillthrough(const mdx::Statement& statement);
    void SlicerSets(const mdx::SelectStatement& select, const TupleSet& s, Tuple& tuple, std::vector<MemberSet>& filter,
        std::set<const Hierarchy*>& used);

    const Cube& m_cube;
    const QueryOptions m_options;
    std::uint64_t m_reserved = 0;
    std::vector<const Hierarchy*> m_hierarchies;
    std::unordered_map<const Hierarchy*, int> m_hierIndex;
    std::vector<Slot> m_context;
    std::vector<Slot> m_baseContext;
    std::deque<CalcMember> m_calcMembers;
    std::unordered_map<std::string, const CalcMember*> m_calcByName;
    std::unordered_map<std::string, NamedSetEntry> m_sets;
    std::vector<mdx::ExprPtr> m_ownedExprs;
    std::unordered_map<std::string, std::optional<double>> m_cellCache;
    //! Rows under any of these tuples (a WHERE set that is not a crossjoin); applies to
    //! every stored cell of the query.
    std::vector<std::vector<const Member*>> m_tupleSlicer;
    std::unordered_map<std::string, Pending> m_pending;
    std::unordered_map<std::string, std::unique_ptr<std::vector<const Member*>>> m_multiLists;
    bool m_collecting = false;
    bool m_missed = false;
    const std::uintptr_t m_stackLimit = StackLimit();
    //! Calculated cells by context (ContextKey): exact ones, and those of a collecting round.
    std::unordered_map<std::string, CalcCellEntry> m_calcCells;
    std::unordered_map<std::string, CalcCellEntry> m_provisionalCells;
    //! The calculated members being computed, outermost first.
    std::vector<const CalcMember*> m_computing;
    int m_exprDepth = 0;
};

// Eval is on every level of the recursion, so it only dispatches: the cases with many
// temporaries live in functions of their own, which keeps its stack frame small (a sanitizer
// build gives every local its own slot).
Value Evaluator::Eval(const Expr& e)
{
    if (m_exprDepth >= kMaxExprDepth)
        Fail(e.position,
            "the query nests expressions deeper than the depth limit of " + std::to_string(kMaxExprDepth) + " levels",
            TextOf(e));
    CheckCancelled();
    if (reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)) < m_stackLimit)
        Fail(e.position, "the query nests too deeply for the stack of the thread it runs on", TextOf(e));
    ++m_exprDepth;
    struct Guard {
        int& depth;
        ~Guard() { --depth; }
    } guard {m_exprDepth};
    switch (e.kind) {
    case ExprKind::Identifier:
        return Resolve(e);
    case ExprKind::Number:
        return Value::Num(e.number);
    case ExprKind::String:
        return Value::Str(e.text);
    case ExprKind::Null:
    case ExprKind::Empty:
        return {};
    case ExprKind::EmptyArgument: {
        Value v;
        v.kind = VK::Missing;
        return v;
    }
    case ExprKind::Unary:
        return EvalUnary(e);
    case ExprKind::Binary:
        return EvalBinary(e);
    case ExprKind::Tuple:
        return EvalTuple(e);
    case ExprKind::Set:
        return EvalSet(e);
    case ExprKind::Call:
    case ExprKind::MethodCall:
    case ExprKind::Property:
        return EvalCall(e);
    case ExprKind::Case:
        return EvalCase(e);
    }
    return {};
}

Value Evaluator::EvalUnary(const Expr& e)
{
    if (e.unaryOperator == mdx::UnaryOperator::Not)
        return Value::Boolean(!Truth(*e.operands[0]));
    std::optional<double> v = NumberOf(*e.operands[0]);
    if (!v)
        return {};
    return Value::Num(e.unaryOperator == mdx::UnaryOperator::Negate ? -*v : *v);
}

Value Evaluator::EvalTuple(const Expr& e)
{
    Value v;
    v.kind = VK::Tuple;
    for (const auto& op : e.operands) {
        Tuple part = ToTuple(Eval(*op), *op);
        for (const MemberRef& r : part) {
            for (const MemberRef& other : v.tuple) {
                if (!r.IsNull() && other.Hier() == r.Hier())
                    Fail(
                        op->position, "hierarchy " + r.Hier()->UniqueName() + " appears twice in a tuple", TextOf(*op));
            }
            v.tuple.push_back(r);
        }
    }
    // A tuple with a null member (a PrevMember before the first) is null itself.
    if (std::any_of(v.tuple.begin(), v.tuple.end(), [](const MemberRef& r) { return r.IsNull(); }))
        return Value::Mem({});
    if (v.tuple.size() == 1)
        return Value::Mem(v.tuple[0]);
    return v;
}

Value Evaluator::EvalSet(const Expr& e)
{
    TupleSet out;
    for (const auto& op : e.operands) {
        TupleSet part = SetOf(*op);
        CheckSameShape(out, part, *op);
        for (Tuple& t : part) {
            bool hasNull = std::any_of(t.begin(), t.end(), [](const MemberRef& r) { return r.IsNull(); });
            if (!hasNull)
                out.push_back(std::move(t));
        }
    }
    return Value::OfSet(std::move(out));
}

Value Evaluator::EvalCall(const Expr& e)
{
    std::vector<const Expr*> args;
    if (e.kind != ExprKind::Call)
        args.push_back(e.object.get());
    for (const auto& op : e.operands)
        args.push_back(op.get());
    const std::string& name = e.kind == ExprKind::Property ? e.segments[0].name : e.name;
    return Call(e, Lower(name), args);
}

Value Evaluator::EvalCase(const Expr& e)
{
    if (e.object) {
        Value subject = Scalar(Eval(*e.object), *e.object);
        for (std::size_t i = 0; i + 1 < e.operands.size(); i += 2) {
            Value w = Scalar(Eval(*e.operands[i]), *e.operands[i]);
            if (CompareScalars(subject, w) == 0)
                return Eval(*e.operands[i + 1]);
        }
    } else {
        for (std::size_t i = 0; i + 1 < e.operands.size(); i += 2) {
            if (Truth(*e.operands[i]))
                return Eval(*e.operands[i + 1]);
        }
    }
    return e.elseValue ? Eval(*e.elseValue) : Value {};
}

Value Evaluator::EvalBinary(const Expr& e)
{
    const Expr& left = *e.operands[0];
    const Expr& right = *e.operands[1];
    switch (e.binaryOperator) {
    case BinaryOperator::And:
        return Value::Boolean(Truth(left) && Truth(right));
    case BinaryOperator::Or:
        return Value::Boolean(Truth(left) || Truth(right));
    case BinaryOperator::Xor:
        return Value::Boolean(Truth(left) != Truth(right));
    case BinaryOperator::Is: {
        Value a = Eval(left);
        if (right.kind == ExprKind::Null)
            return Value::Boolean(a.kind == VK::Empty || (a.kind == VK::Member && a.member.IsNull()));
        if (right.kind == ExprKind::Empty)
            return Value::Boolean(Scalar(a, left).kind == VK::Empty);
        Value b = Eval(right);
        if (a.kind == VK::Level || b.kind == VK::Level)
            return Value::Boolean(a.level == b.level);
        if (a.kind == VK::Hierarchy || b.kind == VK::Hierarchy)
            return Value::Boolean(a.hierarchy == b.hierarchy);
        return Value::Boolean(ToMember(a, left) == ToMember(b, right));
    }
    case BinaryOperator::Equal:
    case BinaryOperator::NotEqual:
    case BinaryOperator::Less:
    case BinaryOperator::Greater:
    case BinaryOperator::LessEqual:
    case BinaryOperator::GreaterEqual: {
        Value a = Scalar(Eval(left), left);
        Value b = Scalar(Eval(right), right);
        // An empty cell compares as 0 (or as "" against a text).
        if (a.kind == VK::Empty)
            a = b.kind == VK::String ? Value::Str("") : Value::Num(0);
        if (b.kind == VK::Empty)
            b = a.kind == VK::String ? Value::Str("") : Value::Num(0);
        int c = CompareScalars(a, b);
        switch (e.binaryOperator) {
        case BinaryOperator::Equal:
            return Value::Boolean(c == 0);
        case BinaryOperator::NotEqual:
            return Value::Boolean(c != 0);
        case BinaryOperator::Less:
            return Value::Boolean(c < 0);
        case BinaryOperator::Greater:
            return Value::Boolean(c > 0);
        case BinaryOperator::LessEqual:
            return Value::Boolean(c <= 0);
        default:
            return Value::Boolean(c >= 0);
        }
    }
    case BinaryOperator::Concat: {
        Value a = Scalar(Eval(left), left);
        Value b = Scalar(Eval(right), right);
        auto text = [](const Value& v) {
            return v.kind == VK::String ? v.text : v.kind == VK::Empty ? std::string() : FormatNumber(v.number);
        };
        std::string x = text(a);
        std::string y = text(b);
        CheckTextSize(x.size() + y.size(), e);
        return Value::Str(x + y);
    }
    case BinaryOperator::Range: {
        MemberRef a = MemberOf(left);
        MemberRef b = MemberOf(right);
        if (!a.m || !b.m || &a.m->GetLevel() != &b.m->GetLevel())
            Fail(e.position, "a range needs two stored members of one level: " + TextOf(e), TextOf(e));
        auto members = a.m->GetLevel().Members();
        std::uint32_t from = a.m->Ordinal();
        std::uint32_t to = b.m->Ordinal();
        TupleSet out;
        if (from <= to) {
            for (std::uint32_t i = from; i <= to; ++i)
                out.push_back(Tuple {MemberRef {members[i], nullptr}});
        } else {
            for (std::uint32_t i = from + 1; i-- > to;)
                out.push_back(Tuple {MemberRef {members[i], nullptr}});
        }
        return Value::OfSet(std::move(out));
    }
    default:
        break;
    }
    Value a = Eval(left);
    Value b = Eval(right);
    bool setOperation = a.kind == VK::Set || b.kind == VK::Set || a.kind == VK::Level || b.kind == VK::Level;
    if (setOperation
        && (e.binaryOperator == BinaryOperator::Add || e.binaryOperator == BinaryOperator::Subtract
            || e.binaryOperator == BinaryOperator::Multiply)) {
        TupleSet x = ToSet(std::move(a), left);
        TupleSet y = ToSet(std::move(b), right);
        if (e.binaryOperator == BinaryOperator::Multiply)
            return Value::OfSet(CrossJoin(x, y, e));
        CheckSameShape(x, y, e);
        if (e.binaryOperator == BinaryOperator::Add) {
            x.insert(x.end(), y.begin(), y.end());
            return Value::OfSet(DistinctOf(x));
        }
        std::unordered_set<std::string> drop;
        for (const Tuple& t : y)
            drop.insert(TupleKey(t));
        TupleSet out;
        for (Tuple& t : x) {
            if (!drop.count(TupleKey(t)))
                out.push_back(std::move(t));
        }
        return Value::OfSet(DistinctOf(out));
    }
    std::optional<double> x = Number(a, left);
    std::optional<double> y = Number(b, right);
    switch (e.binaryOperator) {
    case BinaryOperator::Add:
    case BinaryOperator::Subtract:
        if (!x && !y)
            return {};
        return Value::Num(
            e.binaryOperator == BinaryOperator::Add ? x.value_or(0) + y.value_or(0) : x.value_or(0) - y.value_or(0));
    case BinaryOperator::Multiply:
        if (!x || !y)
            return {};
        return Value::Num(*x * *y);
    case BinaryOperator::Divide:
        // Division by zero (or by an empty cell) gives an empty cell, not infinity.
        if (!x || !y || *y == 0)
            return {};
        return Value::Num(*x / *y);
    case BinaryOperator::Power:
        if (!x || !y)
            return {};
        return Value::Num(std::pow(*x, *y));
    default:
        break;
    }
    return {};
}

Value Evaluator::Call(const Expr& e, const std::string& name, const std::vector<const Expr*>& args)
{
    const std::string shown = e.kind == ExprKind::Property ? e.segments[0].name : e.name;
    auto need = [&](std::size_t min, std::size_t max) {
        if (args.size() < min || args.size() > max) {
            std::string count = min == max ? std::to_string(min) : std::to_string(min) + " to " + std::to_string(max);
            Fail(e.position, shown + " expects " + count + " argument(s), got " + std::to_string(args.size()), shown);
        }
    };
    auto present = [&](std::size_t i) { return i < args.size() && args[i]->kind != ExprKind::EmptyArgument; };
    auto word = [&](std::size_t i) -> std::string {
        if (!present(i))
            return {};
        if (args[i]->IsPlainWord())
            return Lower(args[i]->segments[0].name);
        Fail(args[i]->position, "expected a flag: " + TextOf(*args[i]), TextOf(*args[i]));
    };
    auto integer = [&](std::size_t i) -> long long {
        std::optional<double> v = NumberOf(*args[i]);
        if (!v)
            Fail(args[i]->position, shown + " expects a number: " + TextOf(*args[i]), TextOf(*args[i]));
        return static_cast<long long>(std::llround(std::clamp(*v, -1e9, 1e9)));
    };
    auto members = [](const std::vector<MemberRef>& refs) {
        TupleSet out;
        for (const MemberRef& r : refs) {
            if (!r.IsNull())
                out.push_back(Tuple {r});
        }
        return Value::OfSet(std::move(out));
    };
    auto firstMember = [&](const Tuple& t) -> MemberRef { return t.empty() ? MemberRef {} : t[0]; };

    // ---- navigation -------------------------------------------------------------
    if (name == "members" || name == "allmembers") {
        need(1, 1);
        Value v = Eval(*args[0]);
        bool all = name == "allmembers";
        if (v.kind == VK::Level) {
            TupleSet out = LevelMembers(*v.level);
            if (all) {
                for (const CalcMember& c : m_calcMembers) {
                    if (c.level == v.level)
                        out.push_back(Tuple {MemberRef {nullptr, &c}});
                }
            }
            return Value::OfSet(std::move(out));
        }
        return Value::OfSet(HierarchyMembers(*HierarchyOf(*args[0]), all));
    }
    if (name == "children") {
        need(1, 1);
        return members(ChildrenOf(MemberOf(*args[0])));
    }
    if (name == "parent") {
        need(1, 1);
        MemberRef m = MemberOf(*args[0]);
        return Value::Mem(MemberRef {m.IsNull() ? nullptr : m.Parent(), nullptr});
    }
    if (name == "firstchild" || name == "lastchild") {
        need(1, 1);
        auto children = ChildrenOf(MemberOf(*args[0]));
        if (children.empty())
            return Value::Mem({});
        return Value::Mem(name == "firstchild" ? children.front() : children.back());
    }
    if (name == "firstsibling" || name == "lastsibling") {
        need(1, 1);
        MemberRef m = MemberOf(*args[0]);
        if (m.IsNull())
            return Value::Mem({});
        auto siblings = SiblingsOf(m);
        return Value::Mem(name == "firstsibling" ? siblings.front() : siblings.back());
    }
    if (name == "siblings") {
        need(1, 1);
        MemberRef m = MemberOf(*args[0]);
        return m.IsNull() ? Value::OfSet({}) : members(SiblingsOf(m));
    }
    if (name == "prevmember" || name == "nextmember") {
        need(1, 1);
        return Value::Mem(Cousin(MemberOf(*args[0]), name == "prevmember" ? -1 : 1));
    }
    if (name == "lag" || name == "lead") {
        need(2, 2);
        MemberRef m = MemberOf(*args[0]);
        long long n = integer(1);
        return Value::Mem(Cousin(m, static_cast<int>(name == "lag" ? -n : n)));
    }
    if (name == "currentmember" || name == "current") {
        need(1, 1);
        Value v = Eval(*args[0]);
        if (v.kind == VK::Set)
            Fail(e.position, "Current of a set is only defined while iterating it", shown);
        return Value::Mem(m_context[static_cast<std::size_t>(IndexOf(HierarchyOf(*args[0])))].member);
    }
    if (name == "defaultmember") {
        need(1, 1);
        return Value::Mem(DefaultOf(*HierarchyOf(*args[0])));
    }
    if (name == "datamember") {
        need(1, 1);
        return Value::Mem(MemberOf(*args[0]));
    }
    if (name == "level") {
        need(1, 1);
        MemberRef m = MemberOf(*args[0]);
        if (m.IsNull() || !m.Lvl())
            Fail(e.position, "the member has no level", shown);
        return Value::OfLevel(m.Lvl());
    }
    if (name == "levels") {
        need(2, 2);
        const Hierarchy* h = HierarchyOf(*args[0]);
        Value which = Scalar(Eval(*args[1]), *args[1]);
        Value v;
        v.kind = VK::Level;
        for (const Level* l : h->Levels()) {
            if ((which.kind == VK::String && EqualsNoCase(l->Name(), which.text))
                || (which.kind == VK::Number && l->Depth() == ClampInt(which.number)))
                v.level = l;
        }
        if (!v.level)
            Fail(args[1]->position, "no such level in " + h->UniqueName(), TextOf(*args[1]));
        return v;
    }
    if (name == "hierarchy" || name == "dimension") {
        need(1, 1);
        return Value::OfHierarchy(HierarchyOf(*args[0]));
    }
    if (name == "ancestor") {
        need(2, 2);
        MemberRef m = MemberOf(*args[0]);
        if (m.IsNull())
            return Value::Mem({});
        Value which = Eval(*args[1]);
        int depth;
        if (which.kind == VK::Level) {
            if (&which.level->GetHierarchy() != m.Hier())
                Fail(args[1]->position, "the level is not of the member's hierarchy", TextOf(*args[1]));
            depth = which.level->Depth();
        } else {
            std::optional<double> n = Number(which, *args[1]);
            depth = m.Depth() - ClampInt(n.value_or(0));
        }
        if (depth == m.Depth())
            return Value::Mem(m);
        const Member* start = m.m ? m.m : m.Parent();
        if (!start || depth > start->Depth())
            return Value::Mem({});
        return Value::Mem(MemberRef {AncestorAt(start, depth), nullptr});
    }
    if (name == "ascendants") {
        need(1, 1);
        MemberRef m = MemberOf(*args[0]);
        std::vector<MemberRef> out;
        if (!m.IsNull()) {
            out.push_back(m);
            for (const Member* p = m.Parent(); p; p = p->Parent())
                out.push_back(MemberRef {p, nullptr});
        }
        return members(out);
    }
    if (name == "descendants") {
        need(1, 3);
        TupleSet roots = SetOf(*args[0]);
        int distance = -1;
        const Level* level = nullptr;
        if (present(1)) {
            Value which = Eval(*args[1]);
            if (which.kind == VK::Level)
                level = which.level;
            else
                distance = ClampInt(Number(which, *args[1]).value_or(0));
        }
        std::string flag = word(2);
        if (flag.empty())
            flag = present(1) ? "self" : "self_before_after";
        static const std::set<std::string> kFlags {"self", "after", "before", "before_and_after", "self_and_after",
            "self_and_before", "self_before_after", "leaves"};
        if (!kFlags.count(flag))
            Fail(args[2]->position, "unknown Descendants flag '" + args[2]->segments[0].name + "'",
                args[2]->segments[0].name);
        std::vector<MemberRef> out;
        for (const Tuple& t : roots) {
            MemberRef root = firstMember(t);
            if (root.IsNull())
                continue;
            if (level && &level->GetHierarchy() != root.Hier())
                Fail(args[1]->position, "the level is not of the member's hierarchy", TextOf(*args[1]));
            int target = level ? level->Depth() : distance >= 0 ? root.Depth() + distance : root.Depth();
            if (!root.m) {
                if (flag == "self" || flag.find("self") == 0)
                    out.push_back(root);
                continue;
            }
            int base = root.Depth();
            std::function<void(const Member*)> walk = [&](const Member* m) {
                int d = m->Depth();
                bool take = false;
                if (flag == "self")
                    take = d == target;
                else if (flag == "after")
                    take = d > target;
                else if (flag == "before")
                    take = d >= base && d < target;
                else if (flag == "before_and_after")
                    take = d != target;
                else if (flag == "self_and_after")
                    take = d >= target;
                else if (flag == "self_and_before")
                    take = d <= target;
                else if (flag == "self_before_after")
                    take = true;
                else if (flag == "leaves")
                    take = m->Children().empty() && (!present(1) || d <= target);
                if (take)
                    out.push_back(MemberRef {m, nullptr});
                bool deeper = flag == "after" || flag == "before_and_after" || flag == "self_and_after"
                    || flag == "self_before_after" || (flag == "leaves" && !present(1)) || d < target;
                if (deeper)
                    for (const Member* child : m->Children())
                        walk(child);
            };
            walk(root.m);
        }
        return members(out);
    }
    if (name == "isempty") {
        need(1, 1);
        return Value::Boolean(Scalar(Eval(*args[0]), *args[0]).kind == VK::Empty);
    }
    // ---- properties -----------------------------------------------------------
    if (name == "name" || name == "uniquename" || name == "caption") {
        need(1, 1);
        Value v = Eval(*args[0]);
        std::string text;
        if (v.kind == VK::Level)
            text = name == "name" ? v.level->Name() : name == "caption" ? v.level->Caption() : v.level->UniqueName();
        else if (v.kind == VK::Hierarchy)
            text = name == "name"   ? v.hierarchy->Name()
                : name == "caption" ? v.hierarchy->Caption()
                                    : v.hierarchy->UniqueName();
        else if (v.kind == VK::Dimension)
            text = name == "name"   ? v.dimension->Name()
                : name == "caption" ? v.dimension->Caption()
                                    : v.dimension->UniqueName();
        else {
            MemberRef m = ToMember(v, *args[0]);
            if (m.IsNull())
                return {};
            text = name == "name" ? m.Name() : name == "caption" ? m.Caption() : m.UniqueName();
        }
        return Value::Str(text);
    }
    if (name == "ordinal") {
        need(1, 1);
        Value v = Eval(*args[0]);
        if (v.kind == VK::Level)
            return Value::Num(v.level->Depth());
        MemberRef m = ToMember(v, *args[0]);
        return m.m ? Value::Num(m.m->Ordinal()) : Value {};
    }
    if (name == "key") {
        need(1, 1);
        MemberRef m = MemberOf(*args[0]);
        return m.m ? Value::Str(m.m->Key()) : Value {};
    }
    if (name == "value" || name == "membervalue") {
        need(1, 1);
        return Scalar(Eval(*args[0]), *args[0]);
    }
    if (name == "properties") {
        need(2, 2);
        MemberRef m = MemberOf(*args[0]);
        Value which = Scalar(Eval(*args[1]), *args[1]);
        std::string p = Lower(which.text);
        if (m.IsNull())
            return {};
        if (p == "key")
            return Value::Str(m.m ? m.m->Key() : m.Name());
        if (p == "name" || p == "member_name")
            return Value::Str(m.Name());
        if (p == "caption" || p == "member_caption")
            return Value::Str(m.Caption());
        if (p == "member_unique_name")
            return Value::Str(m.UniqueName());
        if (p == "level_number")
            return Value::Num(m.Depth());
        if (p == "level_unique_name")
            return Value::Str(m.Lvl() ? m.Lvl()->UniqueName() : std::string());
        if (p == "parent_unique_name")
            return Value::Str(m.Parent() ? m.Parent()->UniqueName() : std::string());
        if (p == "children_cardinality")
            return Value::Num(static_cast<double>(m.m ? m.m->Children().size() : 0));
        if (p == "member_ordinal")
            return Value::Num(m.m ? m.m->Ordinal() : 0);
        Fail(args[1]->position, "unknown member property '" + which.text + "'", which.text);
    }
    if (name == "item") {
        need(2, 2);
        Value v = Eval(*args[0]);
        long long i = integer(1);
        if (v.kind == VK::Tuple) {
            if (i < 0 || i >= static_cast<long long>(v.tuple.size()))
                return Value::Mem({});
            return Value::Mem(v.tuple[static_cast<std::size_t>(i)]);
        }
        TupleSet s = ToSet(std::move(v), *args[0]);
        if (i < 0 || i >= static_cast<long long>(s.size()))
            return Value::Mem({});
        Value r;
        r.kind = VK::Tuple;
        r.tuple = s[static_cast<std::size_t>(i)];
        return r.tuple.size() == 1 ? Value::Mem(r.tuple[0]) : r;
    }
    // ---- logic ------------------------------------------------------------------
    if (name == "iif") {
        need(3, 3);
        return Truth(*args[0]) ? Eval(*args[1]) : Eval(*args[2]);
    }
    if (name == "coalesceempty") {
        need(1, 1000);
        for (const Expr* a : args) {
            Value v = Scalar(Eval(*a), *a);
            if (v.kind != VK::Empty)
                return v;
        }
        return {};
    }
    // ---- set functions ---------------------------------------------------------
    if (name == "crossjoin" || name == "nonemptycrossjoin") {
        need(1, 1000);
        TupleSet out = SetOf(*args[0]);
        for (std::size_t i = 1; i < args.size(); ++i)
            out = CrossJoin(out, SetOf(*args[i]), e);
        if (name == "nonemptycrossjoin") {
            TupleSet kept;
            for (Tuple& t : out) {
                if (!TupleIsEmpty(t))
                    kept.push_back(std::move(t));
            }
            return Value::OfSet(std::move(kept));
        }
        return Value::OfSet(std::move(out));
    }
    if (name == "nonempty") {
        need(1, 2);
        TupleSet s = SetOf(*args[0]);
        TupleSet filter = present(1) ? SetOf(*args[1]) : TupleSet {Tuple {}};
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
    if (name == "union") {
        need(2, 1000);
        bool all = args.back()->IsPlainWord() && Lower(args.back()->segments[0].name) == "all";
        TupleSet out;
        for (std::size_t i = 0; i < args.size() - (all ? 1 : 0); ++i) {
            TupleSet part = SetOf(*args[i]);
            CheckSameShape(out, part, *args[i]);
            out.insert(out.end(), part.begin(), part.end());
        }
        return Value::OfSet(all ? out : DistinctOf(out));
    }
    if (name == "except" || name == "intersect") {
        need(2, 3);
        TupleSet a = SetOf(*args[0]);
        TupleSet b = SetOf(*args[1]);
        bool all = word(2) == "all";
        CheckSameShape(a, b, e);
        std::unordered_set<std::string> inB;
        for (const Tuple& t : b)
            inB.insert(TupleKey(t));
        TupleSet out;
        for (Tuple& t : a) {
            if (inB.count(TupleKey(t)) == (name == "intersect" ? 1u : 0u))
                out.push_back(std::move(t));
        }
        return Value::OfSet(all ? out : DistinctOf(out));
    }
    if (name == "distinct") {
        need(1, 1);
        return Value::OfSet(DistinctOf(SetOf(*args[0])));
    }
    if (name == "hierarchize") {
        need(1, 2);
        TupleSet s = SetOf(*args[0]);
        bool post = word(1) == "post";
        std::stable_sort(s.begin(), s.end(), [&](const Tuple& a, const Tuple& b) { return TupleBefore(a, b, post); });
        return Value::OfSet(std::move(s));
    }
    if (name == "order") {
        need(2, 3);
        TupleSet s = SetOf(*args[0]);
        std::string flag = present(2) ? word(2) : "asc";
        if (flag != "asc" && flag != "desc" && flag != "basc" && flag != "bdesc")
            Fail(args[2]->position, "unknown Order flag '" + args[2]->segments[0].name + "'", TextOf(*args[2]));
        bool descending = flag == "desc" || flag == "bdesc";
        if (flag == "basc" || flag == "bdesc")
            return Value::OfSet(SortByKey(s, args[1], descending));
        // ASC/DESC keep the hierarchy: a member follows its ancestors, and members of
        // different families compare by their ancestors that are siblings.
        std::vector<Value> keys = KeysOf(s, args[1]);
        std::unordered_map<const Member*, Value> memo;
        auto valueOf = [&](const Member* m, std::size_t x) -> const Value& {
            if (auto it = memo.find(m); it != memo.end())
                return it->second;
            Tuple t = s[x];
            t[0] = MemberRef {m, nullptr};
            Value v;
            {
                Scope scope(*this, t);
                v = Scalar(Eval(*args[1]), *args[1]);
            }
            return memo.emplace(m, std::move(v)).first->second;
        };
        std::vector<std::size_t> order(s.size());
        for (std::size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
            MemberRef a = firstMember(s[x]);
            MemberRef b = firstMember(s[y]);
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
    if (name == "topcount" || name == "bottomcount") {
        need(2, 3);
        TupleSet s = SetOf(*args[0]);
        long long n = std::max(0LL, integer(1));
        if (present(2))
            s = SortByKey(s, args[2], name == "topcount");
        if (static_cast<long long>(s.size()) > n)
            s.resize(static_cast<std::size_t>(n));
        return Value::OfSet(std::move(s));
    }
    if (name == "toppercent" || name == "bottompercent" || name == "topsum" || name == "bottomsum") {
        need(3, 3);
        TupleSet s = SetOf(*args[0]);
        std::optional<double> limit = NumberOf(*args[1]);
        bool top = name.rfind("top", 0) == 0;
        bool percent = name.find("percent") != std::string::npos;
        TupleSet sorted = SortByKey(s, args[2], top);
        std::vector<Value> keys = KeysOf(sorted, args[2]);
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
    if (name == "head" || name == "tail") {
        need(1, 2);
        TupleSet s = SetOf(*args[0]);
        long long n = present(1) ? integer(1) : 1;
        n = std::clamp(n, 0LL, static_cast<long long>(s.size()));
        if (name == "head")
            return Value::OfSet(TupleSet(s.begin(), s.begin() + n));
        return Value::OfSet(TupleSet(s.end() - n, s.end()));
    }
    if (name == "subset") {
        need(2, 3);
        TupleSet s = SetOf(*args[0]);
        long long start = std::clamp(integer(1), 0LL, static_cast<long long>(s.size()));
        long long count = present(2) ? integer(2) : static_cast<long long>(s.size());
        long long end = std::clamp(start + std::max(0LL, count), start, static_cast<long long>(s.size()));
        return Value::OfSet(TupleSet(s.begin() + start, s.begin() + end));
    }
    if (name == "filter") {
        need(2, 2);
        TupleSet s = SetOf(*args[0]);
        TupleSet out;
        for (Tuple& t : s) {
            Scope scope(*this, t);
            if (Truth(*args[1]))
                out.push_back(std::move(t));
        }
        return Value::OfSet(std::move(out));
    }
    if (name == "generate") {
        need(2, 3);
        TupleSet s = SetOf(*args[0]);
        bool all = word(2) == "all";
        TupleSet out;
        std::string text;
        bool isText = false;
        for (const Tuple& t : s) {
            Scope scope(*this, t);
            Value v = Eval(*args[1]);
            if (v.kind == VK::String || v.kind == VK::Number) {
                isText = true;
                std::string part = v.kind == VK::String ? v.text : FormatNumber(v.number);
                CheckTextSize(text.size() + part.size(), e);
                text += part;
                continue;
            }
            TupleSet part = ToSet(std::move(v), *args[1]);
            CheckSameShape(out, part, *args[1]);
            if (!part.empty())
                CheckSetSize(static_cast<double>(out.size() + part.size()), part[0].size(), "the set Generate builds");
            out.insert(out.end(), part.begin(), part.end());
        }
        if (isText)
            return Value::Str(text);
        return Value::OfSet(all ? out : DistinctOf(out));
    }
    if (name == "extract") {
        need(2, 1000);
        TupleSet s = SetOf(*args[0]);
        std::vector<const Hierarchy*> hs;
        for (std::size_t i = 1; i < args.size(); ++i)
            hs.push_back(HierarchyOf(*args[i]));
        TupleSet out;
        for (const Tuple& t : s) {
            Tuple part;
            for (const Hierarchy* h : hs) {
                auto it = std::find_if(t.begin(), t.end(), [&](const MemberRef& r) { return r.Hier() == h; });
                if (it == t.end())
                    Fail(e.position, "hierarchy " + h->UniqueName() + " is not in the set", shown);
                part.push_back(*it);
            }
            out.push_back(std::move(part));
        }
        return Value::OfSet(DistinctOf(out));
    }
    if (name == "drilldownlevel") {
        need(1, 3);
        TupleSet s = SetOf(*args[0]);
        int depth = -1;
        if (present(1)) {
            depth = LevelOf(*args[1])->Depth();
        } else {
            for (const Tuple& t : s)
                depth = std::max(depth, firstMember(t).IsNull() ? -1 : firstMember(t).Depth());
        }
        TupleSet out;
        for (std::size_t i = 0; i < s.size(); ++i) {
            out.push_back(s[i]);
            MemberRef m = firstMember(s[i]);
            if (m.IsNull() || m.Depth() != depth || !m.m)
                continue;
            bool alreadyDrilled = i + 1 < s.size() && firstMember(s[i + 1]).Parent() == m.m;
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
    if (name == "drilldownmember") {
        need(2, 3);
        TupleSet s = SetOf(*args[0]);
        TupleSet targets = SetOf(*args[1]);
        bool recursive = word(2) == "recursive";
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
            MemberRef m = firstMember(t);
            if (!mayDrill || !m.m || !drill.count(m.m))
                return;
            for (const MemberRef& child : ChildrenOf(m)) {
                Tuple c = t;
                c[0] = child;
                emit(c, recursive);
            }
        };
        for (std::size_t i = 0; i < s.size(); ++i) {
            MemberRef m = firstMember(s[i]);
            bool alreadyDrilled = i + 1 < s.size() && m.m && firstMember(s[i + 1]).Parent() == m.m;
            emit(s[i], !alreadyDrilled);
        }
        return Value::OfSet(std::move(out));
    }
    if (name == "addcalculatedmembers") {
        need(1, 1);
        TupleSet s = SetOf(*args[0]);
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
    if (name == "stripcalculatedmembers") {
        need(1, 1);
        TupleSet s = SetOf(*args[0]);
        TupleSet out;
        for (Tuple& t : s) {
            if (std::none_of(t.begin(), t.end(), [](const MemberRef& r) { return r.c != nullptr; }))
                out.push_back(std::move(t));
        }
        return Value::OfSet(std::move(out));
    }
    if (name == "count") {
        need(1, 2);
        Value v = Eval(*args[0]);
        if (v.kind == VK::Level)
            return Value::Num(static_cast<double>(v.level->Members().size()));
        if (v.kind == VK::Tuple)
            return Value::Num(static_cast<double>(v.tuple.size()));
        TupleSet s = ToSet(std::move(v), *args[0]);
        if (word(1) == "excludeempty") {
            double n = 0;
            for (const Tuple& t : s)
                n += TupleIsEmpty(t) ? 0 : 1;
            return Value::Num(n);
        }
        return Value::Num(static_cast<double>(s.size()));
    }
    // ---- aggregates --------------------------------------------------------------
    if (name == "sum" || name == "avg" || name == "min" || name == "max" || name == "aggregate") {
        need(1, 2);
        TupleSet s = SetOf(*args[0]);
        const Expr* expr = present(1) ? args[1] : nullptr;
        std::string op = name;
        if (name == "aggregate") {
            const MemberRef& measure = m_context[0].member;
            const Measure* stored = measure.m && measure.m->MeasureIndex() >= 0
                ? m_cube.Measures()[static_cast<std::size_t>(measure.m->MeasureIndex())]
                : nullptr;
            if (!expr && stored && !s.empty()) {
                // Stored measure over a crossjoin of stored members: one cell over the
                // rows under any of them, exact for every aggregator.
                std::vector<std::vector<const Member*>> perHierarchy(s[0].size());
                std::vector<std::unordered_set<const Member*>> seen(s[0].size());
                bool plain = true;
                std::size_t distinct = 0;
                std::unordered_set<std::string> tuples;
                for (const Tuple& t : s) {
                    for (std::size_t i = 0; i < t.size() && plain; ++i) {
                        if (!t[i].m || t[i].m->MeasureIndex() >= 0)
                            plain = false;
                        else if (seen[i].insert(t[i].m).second)
                            perHierarchy[i].push_back(t[i].m);
                    }
                    if (tuples.insert(TupleKey(t)).second)
                        ++distinct;
                }
                std::size_t product = 1;
                for (const auto& list : perHierarchy)
                    product *= list.size();
                if (plain && product == distinct) {
                    Scope scope(*this, Tuple {});
                    for (std::size_t i = 0; i < perHierarchy.size(); ++i) {
                        int h = IndexOf(s[0][i].Hier());
                        if (perHierarchy[i].size() == 1)
                            scope.SetMulti(h, MemberRef {perHierarchy[i][0], nullptr}, nullptr);
                        else
                            scope.SetMulti(h, DefaultOf(*s[0][i].Hier()), Intern(perHierarchy[i]));
                    }
                    return CurrentCell();
                }
            }
            op = "sum";
            if (stored) {
                switch (stored->GetAggregator()) {
                case Aggregator::Min:
                    op = "min";
                    break;
                case Aggregator::Max:
                    op = "max";
                    break;
                default:
                    break;
                }
            }
        }
        std::optional<double> acc;
        double count = 0;
        for (const Tuple& t : s) {
            Scope scope(*this, t);
            std::optional<double> v = expr ? NumberOf(*expr) : Number(CurrentCell(), e);
            if (!v)
                continue;
            ++count;
            if (!acc)
                acc = *v;
            else if (op == "min")
                acc = std::min(*acc, *v);
            else if (op == "max")
                acc = std::max(*acc, *v);
            else
                *acc += *v;
        }
        if (op == "avg" && acc)
            acc = *acc / count;
        return Value::OptNum(acc);
    }
    // ---- time ---------------------------------------------------------------------
    auto timeMember = [&](std::size_t i, const Hierarchy* h) -> MemberRef {
        if (present(i))
            return MemberOf(*args[i]);
        if (!h) {
            for (const Hierarchy* x : m_hierarchies) {
                if (x->GetDimension().Type() == DimensionType::Time) {
                    h = x;
                    break;
                }
            }
        }
        if (!h)
            Fail(e.position, shown + " needs a member: the cube has no time dimension", shown);
        return m_context[static_cast<std::size_t>(IndexOf(h))].member;
    };
    auto levelOfType = [&](const Hierarchy& h, LevelType type) -> const Level* {
        for (const Level* l : h.Levels()) {
            if (l->Type() == type)
                return l;
        }
        Fail(e.position, "hierarchy " + h.UniqueName() + " has no level of type " + std::string(LevelTypeName(type)),
            shown);
    };
    auto periodsToDate = [&](const Level* level, MemberRef m) -> Value {
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
    };
    if (name == "periodstodate") {
        need(0, 2);
        const Level* level = present(0) ? LevelOf(*args[0]) : nullptr;
        MemberRef m = timeMember(1, level ? &level->GetHierarchy() : nullptr);
        if (!level) {
            if (m.IsNull() || !m.m || !m.m->Parent())
                return Value::OfSet({});
            level = &m.m->Parent()->GetLevel();
        }
        return periodsToDate(level, m);
    }
    if (name == "ytd" || name == "qtd" || name == "mtd" || name == "wtd") {
        need(0, 1);
        MemberRef m = timeMember(0, nullptr);
        if (m.IsNull())
            return Value::OfSet({});
        LevelType type = name == "ytd" ? LevelType::TimeYears
            : name == "qtd"            ? LevelType::TimeQuarters
            : name == "mtd"            ? LevelType::TimeMonths
                                       : LevelType::TimeWeeks;
        return periodsToDate(levelOfType(*m.Hier(), type), m);
    }
    if (name == "parallelperiod") {
        need(0, 3);
        long long lag = present(1) ? integer(1) : 1;
        const Level* level = present(0) ? LevelOf(*args[0]) : nullptr;
        MemberRef m = timeMember(2, level ? &level->GetHierarchy() : nullptr);
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
    if (name == "openingperiod" || name == "closingperiod") {
        need(0, 2);
        const Level* level = present(0) ? LevelOf(*args[0]) : nullptr;
        MemberRef m = timeMember(1, level ? &level->GetHierarchy() : nullptr);
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
            x = children.empty() ? nullptr : name == "openingperiod" ? children.front() : children.back();
        }
        if (x && x->Depth() != level->Depth())
            x = nullptr;
        return Value::Mem(MemberRef {x, nullptr});
    }
    if (name == "lastperiods") {
        need(1, 2);
        long long n = integer(0);
        MemberRef m = timeMember(1, nullptr);
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
        return members(out);
    }
    Fail(e.position, "unknown function '" + shown + "'", shown);
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
            if (key == "solve_order") {
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

// A WHERE set of a drill-through: the crossjoin of one member set per hierarchy, which
// gives the rows under any member of each set. Hierarchies with one member go into TUPLE;
// the others become FILTER sets (none where the set holds the All member) and are marked
// USED. A set that is no crossjoin, or holds measures or calculated members, names no
// exact set of rows and fails.
void Evaluator::SlicerSets(const mdx::SelectStatement& select, const TupleSet& s, Tuple& tuple,
    std::vector<MemberSet>& filter, std::set<const Hierarchy*>& used)
{
    std::vector<std::vector<const Member*>> perHierarchy(s[0].size());
    std::vector<std::unordered_set<const Member*>> seen(s[0].size());
    for (const Tuple& t : s) {
        for (std::size_t i = 0; i < t.size(); ++i) {
            if (t[i].IsNull())
                continue;
            if (t[i].c || t[i].m->MeasureIndex() >= 0)
                Fail(select.slicer->position,
                    "a DRILLTHROUGH WHERE set may not hold measures or calculated members: " + t[i].UniqueName(),
                    t[i].UniqueName());
            if (seen[i].insert(t[i].m).second)
                perHierarchy[i].push_back(t[i].m);
        }
    }
    std::size_t product = 1;
    for (const auto& list : perHierarchy)
        product *= list.size();
    if (product != DistinctOf(s).size())
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
    DrillthroughResult rows = Drillthrough::Run(m_cube, filter, measures, maxRows);
    QueryResult result;
    result.kind = QueryResult::Kind::Drillthrough;
    for (const DrillthroughResult::Column& c : rows.Columns())
        result.drillthrough.columns.push_back(c.name);
    for (std::size_t r = 0; r < rows.RowCount(); ++r) {
        std::vector<std::string> row;
        for (std::size_t c = 0; c < rows.Columns().size(); ++c)
            row.push_back(rows.TextAt(r, c));
        result.drillthrough.rows.push_back(std::move(row));
    }
    return result;
}

QueryResult Evaluator::Run(const mdx::Statement& statement)
{
    const mdx::SelectStatement& select = statement.select;
    if (select.subselect)
        Fail(select.subselect->position, "a sub-select in FROM is not supported", "SELECT");
    if (select.cube) {
        std::string cubeName = select.cube->segments.empty() ? std::string() : select.cube->segments.back().name;
        if (!EqualsNoCase(cubeName, m_cube.Name()))
            FailName(select.cube->position, "unknown cube '" + IdentifierText(*select.cube) + "'",
                IdentifierText(*select.cube));
    }
    DefineFormulas(select);
    if (statement.kind == mdx::StatementKind::Drillthrough)
        return RunDrillthrough(statement);

    QueryResult result;
    CellSet& cs = result.cellSet;
    cs.cubeName = m_cube.Name();
    // The slicer sets the context every other part is evaluated in.
    if (select.slicer) {
        TupleSet s;
        WithPrefetch([&] { s = SetOf(*select.slicer); });
        for (const Tuple& t : s) {
            std::vector<CellSet::Member> position;
            for (const MemberRef& r : t)
                position.push_back(Describe(r));
            cs.slicer.positions.push_back(std::move(position));
        }
        if (!s.empty()) {
            for (const MemberRef& r : s[0])
                cs.slicer.hierarchies.push_back(r.Hier()->UniqueName());
        }
        if (s.size() == 1) {
            for (const MemberRef& r : s[0])
                m_context[static_cast<std::size_t>(IndexOf(r.Hier()))] = Slot {r, nullptr};
        } else if (s.size() > 1) {
            std::vector<std::vector<const Member*>> perHierarchy(s[0].size());
            std::vector<std::unordered_set<const Member*>> seen(s[0].size());
            for (const Tuple& t : s) {
                for (std::size_t i = 0; i < t.size(); ++i) {
                    if (t[i].c || t[i].m->MeasureIndex() >= 0)
                        Fail(select.slicer->position,
                            "a WHERE set may not hold measures or calculated members: " + t[i].UniqueName(),
                            t[i].UniqueName());
                    if (seen[i].insert(t[i].m).second)
                        perHierarchy[i].push_back(t[i].m);
                }
            }
            std::size_t product = 1;
            for (const auto& list : perHierarchy)
                product *= list.size();
            // A set that is not a crossjoin restricts the rows to those under any of its
            // tuples; each hierarchy of it keeps all its members of the set.
            if (product != DistinctOf(s).size()) {
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
    std::vector<TupleSet> sets(axes.size());
    std::set<const Hierarchy*> onAxes;
    for (std::size_t a = 0; a < axes.size(); ++a) {
        WithPrefetch([&] { sets[a] = SetOf(*axes[a]->set); });
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
    // The grid, and the copy NON EMPTY keeps of it.
    CheckBudget(
        2.0 * static_cast<double>(total) * sizeof(CellSet::Cell), "a grid of " + std::to_string(total) + " cells");
    std::vector<CellSet::Cell> cells(total);
    WithPrefetch([&] {
        std::vector<std::size_t> coords(sets.size(), 0);
        for (std::size_t ordinal = 0; ordinal < total; ++ordinal) {
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

    // NON EMPTY: keep the positions that have a non-empty cell against the other axes.
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
            if (!cells[ordinal].IsEmpty())
                any[(ordinal / stride) % sets[a].size()] = true;
        }
        for (std::size_t p = 0; p < sets[a].size(); ++p) {
            if (any[p])
                kept[a].push_back(p);
        }
    }
    std::size_t keptTotal = 1;
    for (std::size_t a = 0; a < sets.size(); ++a) {
        keptTotal *= kept[a].size();
        for (std::size_t p : kept[a]) {
            std::vector<CellSet::Member> position;
            for (const MemberRef& r : sets[a][p])
                position.push_back(Describe(r));
            cs.axes[a].positions.push_back(std::move(position));
        }
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
        cs.cells[ordinal] = std::move(cells[source]);
    }
    return result;
}

} // namespace

QueryResult MdxEvaluator::Execute(const Cube& cube, const mdx::Statement& statement, const QueryOptions& options)
{
    Evaluator evaluator(cube, options);
    return evaluator.Run(statement);
}

QueryResult MdxEvaluator::Execute(const Cube& cube, std::string_view text, const QueryOptions& options)
{
    mdx::ParseResult<mdx::Statement> parsed = mdx::ParseStatement(text);
    if (!parsed.Ok())
        throw MdxError(parsed.error.message, parsed.error.position, parsed.error.token);
    return Execute(cube, *parsed.value, options);
}

} // namespace olap
