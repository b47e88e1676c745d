#include "olap/query/eval/Evaluator.h"
#include "olap/query/eval/FunctionRegistry.h"

#include "olap/model/Dimension.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Level.h"
#include "olap/model/Member.h"
#include "olap/util/NameUtil.h"

#include <algorithm>

namespace olap::eval {

Value Evaluator::FnIsEmpty(const CallSite& call)
{
    return Value::Boolean(Scalar(Eval(*call.args[0]), *call.args[0]).kind == VK::Empty);
}

Value Evaluator::FnNameText(const CallSite& call)
{
    Value v = Eval(*call.args[0]);
    std::string text;
    if (v.kind == VK::Level)
        text = call.name == "name"   ? v.level->Name()
            : call.name == "caption" ? v.level->Caption()
                                     : v.level->UniqueName();
    else if (v.kind == VK::Hierarchy)
        text = call.name == "name"   ? v.hierarchy->Name()
            : call.name == "caption" ? v.hierarchy->Caption()
                                     : v.hierarchy->UniqueName();
    else if (v.kind == VK::Dimension)
        text = call.name == "name"   ? v.dimension->Name()
            : call.name == "caption" ? v.dimension->Caption()
                                     : v.dimension->UniqueName();
    else {
        MemberRef m = ToMember(v, *call.args[0]);
        if (m.IsNull())
            return {};
        text = call.name == "name" ? m.Name() : call.name == "caption" ? m.Caption() : m.UniqueName();
    }
    return Value::Str(text);
}

Value Evaluator::FnOrdinal(const CallSite& call)
{
    Value v = Eval(*call.args[0]);
    if (v.kind == VK::Level)
        return Value::Num(v.level->Depth());
    MemberRef m = ToMember(v, *call.args[0]);
    return m.m ? Value::Num(m.m->Ordinal()) : Value {};
}

Value Evaluator::FnKey(const CallSite& call)
{
    MemberRef m = MemberOf(*call.args[0]);
    return m.m ? Value::Str(m.m->Key()) : Value {};
}

Value Evaluator::FnValue(const CallSite& call)
{
    return Scalar(Eval(*call.args[0]), *call.args[0]);
}

Value Evaluator::FnMemberValue(const CallSite& call)
{
    return MemberValueOf(MemberOf(*call.args[0]));
}

Value Evaluator::FnProperties(const CallSite& call)
{
    MemberRef m = MemberOf(*call.args[0]);
    Value which = Scalar(Eval(*call.args[1]), *call.args[1]);
    std::string p = Lower(which.text);
    if (m.IsNull())
        return {};
    if (std::optional<Value> v = IntrinsicProperty(m, p))
        return *v;
    // Properties("Weight"[, TYPED]): a numeric property is a number either way.
    const std::string flag = call.Word(2);
    if (!flag.empty() && flag != "typed")
        Fail(call.args[2]->position, "expected TYPED: " + TextOf(*call.args[2]), TextOf(*call.args[2]));
    if (std::optional<Value> v = UserProperty(m, p, true))
        return *v;
    // A property of another level of the hierarchy: the member has no value of it.
    if (UserPropertyDefined(p, m.Hier(), nullptr))
        return {};
    Fail(call.args[1]->position, "unknown member property '" + which.text + "'", which.text);
}

Value Evaluator::FnIIf(const CallSite& call)
{
    return Truth(*call.args[0]) ? Eval(*call.args[1]) : Eval(*call.args[2]);
}

Value Evaluator::FnCoalesceEmpty(const CallSite& call)
{
    for (const Expr* a : call.args) {
        Value v = Scalar(Eval(*a), *a);
        if (v.kind != VK::Empty)
            return v;
    }
    return {};
}

std::vector<FunctionEntry> ValueFunctions()
{
    return {
        {"isempty", 1, 1, &Evaluator::FnIsEmpty},
        {"name", 1, 1, &Evaluator::FnNameText},
        {"uniquename", 1, 1, &Evaluator::FnNameText},
        {"caption", 1, 1, &Evaluator::FnNameText},
        {"ordinal", 1, 1, &Evaluator::FnOrdinal},
        {"key", 1, 1, &Evaluator::FnKey},
        {"value", 1, 1, &Evaluator::FnValue},
        {"membervalue", 1, 1, &Evaluator::FnMemberValue},
        {"properties", 2, 3, &Evaluator::FnProperties},
        {"iif", 3, 3, &Evaluator::FnIIf},
        {"coalesceempty", 1, 1000, &Evaluator::FnCoalesceEmpty},
    };
}

} // namespace olap::eval
