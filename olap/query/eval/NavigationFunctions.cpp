#include "olap/query/eval/Evaluator.h"
#include "olap/query/eval/FunctionRegistry.h"

#include "olap/model/Dimension.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Level.h"
#include "olap/model/Member.h"

#include <algorithm>
#include <functional>
#include <set>

namespace olap::eval {

Value Evaluator::FnMembers(const CallSite& call)
{
    Value v = Eval(*call.args[0]);
    bool all = call.name == "allmembers";
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
    return Value::OfSet(HierarchyMembers(*HierarchyOf(*call.args[0]), all));
}

Value Evaluator::FnChildren(const CallSite& call)
{
    return MemberList(ChildrenOf(MemberOf(*call.args[0])));
}

Value Evaluator::FnParent(const CallSite& call)
{
    MemberRef m = MemberOf(*call.args[0]);
    return Value::Mem(MemberRef {m.IsNull() ? nullptr : m.Parent(), nullptr});
}

Value Evaluator::FnFirstLastChild(const CallSite& call)
{
    auto children = ChildrenOf(MemberOf(*call.args[0]));
    if (children.empty())
        return Value::Mem({});
    return Value::Mem(call.name == "firstchild" ? children.front() : children.back());
}

Value Evaluator::FnFirstLastSibling(const CallSite& call)
{
    MemberRef m = MemberOf(*call.args[0]);
    if (m.IsNull())
        return Value::Mem({});
    auto siblings = SiblingsOf(m);
    return Value::Mem(call.name == "firstsibling" ? siblings.front() : siblings.back());
}

Value Evaluator::FnSiblings(const CallSite& call)
{
    MemberRef m = MemberOf(*call.args[0]);
    return m.IsNull() ? Value::OfSet({}) : MemberList(SiblingsOf(m));
}

Value Evaluator::FnPrevNextMember(const CallSite& call)
{
    return Value::Mem(Cousin(MemberOf(*call.args[0]), call.name == "prevmember" ? -1 : 1));
}

Value Evaluator::FnLagLead(const CallSite& call)
{
    MemberRef m = MemberOf(*call.args[0]);
    long long n = call.Integer(1);
    return Value::Mem(Cousin(m, static_cast<int>(call.name == "lag" ? -n : n)));
}

Value Evaluator::FnCurrentMember(const CallSite& call)
{
    Value v = Eval(*call.args[0]);
    if (v.kind == VK::Set)
        Fail(call.e.position, "Current of a set is only defined while iterating it", call.shown);
    return Value::Mem(m_context[static_cast<std::size_t>(IndexOf(HierarchyOf(*call.args[0])))].member);
}

Value Evaluator::FnDefaultMember(const CallSite& call)
{
    return Value::Mem(DefaultOf(*HierarchyOf(*call.args[0])));
}

Value Evaluator::FnDataMember(const CallSite& call)
{
    return Value::Mem(MemberOf(*call.args[0]));
}

Value Evaluator::FnLevel(const CallSite& call)
{
    MemberRef m = MemberOf(*call.args[0]);
    if (m.IsNull() || !m.Lvl())
        Fail(call.e.position, "the member has no level", call.shown);
    return Value::OfLevel(m.Lvl());
}

Value Evaluator::FnLevels(const CallSite& call)
{
    const Hierarchy* h = HierarchyOf(*call.args[0]);
    Value which = Scalar(Eval(*call.args[1]), *call.args[1]);
    Value v;
    v.kind = VK::Level;
    for (const Level* l : h->Levels()) {
        if ((which.kind == VK::String && EqualsNoCase(l->Name(), which.text))
            || (which.kind == VK::Number && l->Depth() == ClampInt(which.number)))
            v.level = l;
    }
    if (!v.level)
        Fail(call.args[1]->position, "no such level in " + h->UniqueName(), TextOf(*call.args[1]));
    return v;
}

Value Evaluator::FnHierarchy(const CallSite& call)
{
    return Value::OfHierarchy(HierarchyOf(*call.args[0]));
}

Value Evaluator::FnAncestor(const CallSite& call)
{
    MemberRef m = MemberOf(*call.args[0]);
    if (m.IsNull())
        return Value::Mem({});
    Value which = Eval(*call.args[1]);
    int depth;
    if (which.kind == VK::Level) {
        if (&which.level->GetHierarchy() != m.Hier())
            Fail(call.args[1]->position, "the level is not of the member's hierarchy", TextOf(*call.args[1]));
        depth = which.level->Depth();
    } else {
        std::optional<double> n = Number(which, *call.args[1]);
        depth = m.Depth() - ClampInt(n.value_or(0));
    }
    if (depth == m.Depth())
        return Value::Mem(m);
    const Member* start = m.m ? m.m : m.Parent();
    if (!start || depth > start->Depth())
        return Value::Mem({});
    return Value::Mem(MemberRef {AncestorAt(start, depth), nullptr});
}

Value Evaluator::FnAscendants(const CallSite& call)
{
    MemberRef m = MemberOf(*call.args[0]);
    std::vector<MemberRef> out;
    if (!m.IsNull()) {
        out.push_back(m);
        for (const Member* p = m.Parent(); p; p = p->Parent())
            out.push_back(MemberRef {p, nullptr});
    }
    return MemberList(out);
}

Value Evaluator::FnDescendants(const CallSite& call)
{
    TupleSet roots = SetOf(*call.args[0]);
    int distance = -1;
    const Level* level = nullptr;
    if (call.Present(1)) {
        Value which = Eval(*call.args[1]);
        if (which.kind == VK::Level)
            level = which.level;
        else
            distance = ClampInt(Number(which, *call.args[1]).value_or(0));
    }
    std::string flag = call.Word(2);
    if (flag.empty())
        flag = call.Present(1) ? "self" : "self_before_after";
    static const std::set<std::string> kFlags {"self", "after", "before", "before_and_after", "self_and_after",
        "self_and_before", "self_before_after", "leaves"};
    if (!kFlags.count(flag))
        Fail(call.args[2]->position, "unknown Descendants flag '" + call.args[2]->segments[0].name + "'",
            call.args[2]->segments[0].name);
    std::vector<MemberRef> out;
    for (const Tuple& t : roots) {
        MemberRef root = FirstMember(t);
        if (root.IsNull())
            continue;
        if (level && &level->GetHierarchy() != root.Hier())
            Fail(call.args[1]->position, "the level is not of the member's hierarchy", TextOf(*call.args[1]));
        int target = level ? level->Depth() : distance >= 0 ? root.Depth() + distance : root.Depth();
        if (!root.m) {
            if (flag == "self" || flag.find("self") == 0)
                out.push_back(root);
            continue;
        }
        int base = root.Depth();
        std::function<void(const Member*)> walk = [&](const Member* m) {
            if (!Visible(*m))
                return;
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
                take = m->Children().empty() && (!call.Present(1) || d <= target);
            if (take)
                out.push_back(MemberRef {m, nullptr});
            bool deeper = flag == "after" || flag == "before_and_after" || flag == "self_and_after"
                || flag == "self_before_after" || (flag == "leaves" && !call.Present(1)) || d < target;
            if (deeper)
                for (const Member* child : m->Children())
                    walk(child);
        };
        walk(root.m);
    }
    return MemberList(out);
}

Value Evaluator::FnItem(const CallSite& call)
{
    Value v = Eval(*call.args[0]);
    long long i = call.Integer(1);
    if (v.kind == VK::Tuple) {
        if (i < 0 || i >= static_cast<long long>(v.tuple.size()))
            return Value::Mem({});
        return Value::Mem(v.tuple[static_cast<std::size_t>(i)]);
    }
    TupleSet s = ToSet(std::move(v), *call.args[0]);
    if (i < 0 || i >= static_cast<long long>(s.size()))
        return Value::Mem({});
    Value r;
    r.kind = VK::Tuple;
    r.tuple = s[static_cast<std::size_t>(i)];
    return r.tuple.size() == 1 ? Value::Mem(r.tuple[0]) : r;
}

std::vector<FunctionEntry> NavigationFunctions()
{
    return {
        {"members", 1, 1, &Evaluator::FnMembers},
        {"allmembers", 1, 1, &Evaluator::FnMembers},
        {"children", 1, 1, &Evaluator::FnChildren},
        {"parent", 1, 1, &Evaluator::FnParent},
        {"firstchild", 1, 1, &Evaluator::FnFirstLastChild},
        {"lastchild", 1, 1, &Evaluator::FnFirstLastChild},
        {"firstsibling", 1, 1, &Evaluator::FnFirstLastSibling},
        {"lastsibling", 1, 1, &Evaluator::FnFirstLastSibling},
        {"siblings", 1, 1, &Evaluator::FnSiblings},
        {"prevmember", 1, 1, &Evaluator::FnPrevNextMember},
        {"nextmember", 1, 1, &Evaluator::FnPrevNextMember},
        {"lag", 2, 2, &Evaluator::FnLagLead},
        {"lead", 2, 2, &Evaluator::FnLagLead},
        {"currentmember", 1, 1, &Evaluator::FnCurrentMember},
        {"current", 1, 1, &Evaluator::FnCurrentMember},
        {"defaultmember", 1, 1, &Evaluator::FnDefaultMember},
        {"datamember", 1, 1, &Evaluator::FnDataMember},
        {"level", 1, 1, &Evaluator::FnLevel},
        {"levels", 2, 2, &Evaluator::FnLevels},
        {"hierarchy", 1, 1, &Evaluator::FnHierarchy},
        {"dimension", 1, 1, &Evaluator::FnHierarchy},
        {"ancestor", 2, 2, &Evaluator::FnAncestor},
        {"ascendants", 1, 1, &Evaluator::FnAscendants},
        {"descendants", 1, 3, &Evaluator::FnDescendants},
        {"item", 2, 2, &Evaluator::FnItem},
    };
}

} // namespace olap::eval
