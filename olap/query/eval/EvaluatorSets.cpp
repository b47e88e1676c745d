#include "olap/query/eval/Evaluator.h"

#include "olap/model/Cube.h"
#include "olap/model/Dimension.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Level.h"
#include "olap/model/Measure.h"
#include "olap/model/Member.h"

#include <algorithm>
#include <unordered_set>

namespace olap::eval {

TupleSet Evaluator::LevelMembers(const Level& level) const
{
    TupleSet out;
    for (const Member* m : level.Members()) {
        if (Visible(*m))
            out.push_back(Tuple {MemberRef {m, nullptr}});
    }
    return out;
}

TupleSet Evaluator::HierarchyMembers(const Hierarchy& h, bool withCalculated) const
{
    std::vector<const Member*> members;
    for (const Member* root : h.RootMembers())
        PreOrder(root, members);
    TupleSet out;
    for (const Member* m : members) {
        if (Visible(*m))
            out.push_back(Tuple {MemberRef {m, nullptr}});
    }
    if (withCalculated) {
        for (const CalcMember& c : m_calcMembers) {
            if (c.hierarchy == &h)
                out.push_back(Tuple {MemberRef {nullptr, &c}});
        }
    }
    return out;
}

std::vector<MemberRef> Evaluator::ChildrenOf(const MemberRef& r) const
{
    std::vector<MemberRef> out;
    if (r.m) {
        for (const Member* child : r.m->Children()) {
            if (Visible(*child))
                out.push_back(MemberRef {child, nullptr});
        }
    }
    return out;
}

MemberRef Evaluator::Cousin(const MemberRef& r, int offset) const
{
    if (!r.m)
        return {};
    auto members = r.m->GetLevel().Members();
    long long pos = static_cast<long long>(r.m->Ordinal()) + offset;
    if (pos < 0 || pos >= static_cast<long long>(members.size()))
        return {};
    return MemberRef {members[static_cast<std::size_t>(pos)], nullptr};
}

std::vector<MemberRef> Evaluator::SiblingsOf(const MemberRef& r) const
{
    std::vector<MemberRef> out;
    const Member* parent = r.Parent();
    if (parent)
        return ChildrenOf(MemberRef {parent, nullptr});
    if (r.m) {
        for (const Member* m : r.m->GetHierarchy().RootMembers()) {
            if (Visible(*m))
                out.push_back(MemberRef {m, nullptr});
        }
    } else {
        out.push_back(r);
    }
    return out;
}

Value Evaluator::MemberValueOf(const MemberRef& r)
{
    if (r.IsNull())
        return {};
    if (!r.m)
        return Value::Str(r.Name());
    const std::string& key = r.m->Key();
    if (r.m->GetLevel().NumericKeys() && !key.empty()) {
        char* end = nullptr;
        double d = std::strtod(key.c_str(), &end);
        if (*end == '\0')
            return Value::Num(d);
    }
    return Value::Str(key);
}

const Member* Evaluator::AncestorAt(const Member* m, int depth) const
{
    while (m && m->Depth() > depth)
        m = m->Parent();
    return m && m->Depth() == depth ? m : nullptr;
}

bool Evaluator::Before(const MemberRef& shownA, const MemberRef& shownB, bool post) const
{
    // A visual total sorts as the member it shows.
    auto asStored = [](const MemberRef& r) { return r.c && r.c->visualOf ? MemberRef {r.c->visualOf, nullptr} : r; };
    const MemberRef a = asStored(shownA);
    const MemberRef b = asStored(shownB);
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

bool Evaluator::TupleBefore(const Tuple& a, const Tuple& b, bool post) const
{
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i] == b[i])
            continue;
        return Before(a[i], b[i], post);
    }
    return a.size() < b.size();
}

std::string Evaluator::TupleKey(const Tuple& t)
{
    std::string key;
    for (const MemberRef& r : t) {
        AppendPointer(key, r.m);
        AppendPointer(key, r.c);
    }
    return key;
}

TupleSet Evaluator::DistinctOf(const TupleSet& set)
{
    std::unordered_set<std::string> seen;
    TupleSet out;
    for (const Tuple& t : set) {
        if (seen.insert(TupleKey(t)).second)
            out.push_back(t);
    }
    return out;
}

void Evaluator::CheckSameShape(const TupleSet& a, const TupleSet& b, const Expr& where) const
{
    if (a.empty() || b.empty())
        return;
    bool same = a[0].size() == b[0].size();
    for (std::size_t i = 0; same && i < a[0].size(); ++i)
        same = a[0][i].Hier() == b[0][i].Hier();
    if (!same)
        Fail(where.position, "sets with different hierarchies: " + TextOf(where), TextOf(where));
}

TupleSet Evaluator::CrossJoin(const TupleSet& a, const TupleSet& b, const Expr& where)
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
            Tuple t;
            t.reserve(x.size() + y.size());
            t.insert(t.end(), x.begin(), x.end());
            t.insert(t.end(), y.begin(), y.end());
            out.push_back(std::move(t));
        }
    }
    return out;
}

bool Evaluator::TupleIsEmpty(const Tuple& t)
{
    Scope scope(*this, t);
    if (const CalcMember* best = BestCalc(); best && IsComputing(*best))
        return !HasFactRows();
    return CurrentCell().kind == VK::Empty;
}

const std::vector<const Member*>* Evaluator::Intern(std::vector<const Member*> members)
{
    std::string key;
    for (const Member* m : members)
        AppendPointer(key, m);
    auto& slot = m_multiLists[key];
    if (!slot)
        slot = std::make_unique<std::vector<const Member*>>(std::move(members));
    return slot.get();
}

Value Evaluator::Resolve(const Expr& e)
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

TupleSet Evaluator::NamedSet(NamedSetEntry& entry, const Expr& where)
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

} // namespace olap::eval
