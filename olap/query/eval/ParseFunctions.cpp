#include "olap/query/eval/Evaluator.h"
#include "olap/query/eval/FunctionRegistry.h"

#include "olap/mdx/Parser.h"
#include "olap/query/MdxError.h"

#include <algorithm>

// StrToMember, StrToSet and StrToTuple: the text is parsed with the MDX parser and evaluated
// in the current context. A text that does not parse, or names nothing, is an error at the
// call that quotes the text; CONSTRAINED allows names only (no functions or operators).

namespace olap::eval {

namespace {

bool NamesOnly(const Expr& e)
{
    if (e.kind == ExprKind::Identifier)
        return true;
    if (e.kind != ExprKind::Set && e.kind != ExprKind::Tuple)
        return false;
    return std::all_of(e.operands.begin(), e.operands.end(), [](const mdx::ExprPtr& op) { return NamesOnly(*op); });
}

std::string Shortened(const std::string& text)
{
    return text.size() > 60 ? text.substr(0, 57) + "..." : text;
}

} // namespace

// Evaluates the text of argument 0 as an MDX expression (parsed once per query and text).
Value Evaluator::EvalText(const CallSite& call)
{
    const std::string text = TextArg(call, 0);
    const std::string flag = call.Word(1);
    if (!flag.empty() && flag != "constrained")
        Fail(call.args[1]->position, "unknown " + call.shown + " flag '" + TextOf(*call.args[1]) + "'",
            TextOf(*call.args[1]));
    const std::string quoted = call.shown + "(\"" + Shortened(text) + "\")";
    const Expr* parsed = nullptr;
    if (auto it = m_parsedTexts.find(text); it != m_parsedTexts.end()) {
        parsed = it->second;
    } else {
        mdx::ParseResult<Expr> result = mdx::ParseExpression(text);
        if (!result.Ok())
            Fail(call.e.position, quoted + ": " + result.error.message, text);
        Reserve(text.size() + kEntryBytes, "parsed texts");
        m_ownedExprs.push_back(std::move(result.value));
        parsed = m_ownedExprs.back().get();
        m_parsedTexts.emplace(text, parsed);
    }
    if (flag == "constrained" && !NamesOnly(*parsed))
        Fail(call.e.position, quoted + " with CONSTRAINED may only name members", text);
    try {
        return Eval(*parsed);
    } catch (const MdxError& e) {
        // Positions inside the text mean nothing in the query: name the call instead.
        Fail(call.e.position, quoted + ": " + e.what(), text);
    }
}

Value Evaluator::FnStrToMember(const CallSite& call)
{
    Value v = EvalText(call);
    if (v.kind == VK::Word)
        FailName(call.e.position, call.shown + ": unknown member '" + v.text + "'", v.text);
    if (v.kind != VK::Member && v.kind != VK::Hierarchy && v.kind != VK::Dimension)
        Fail(call.e.position, call.shown + ": the text names no member", TextOf(call.e));
    return Value::Mem(ToMember(v, call.e));
}

Value Evaluator::FnStrToSet(const CallSite& call)
{
    Value v = EvalText(call);
    if (v.kind == VK::Word)
        FailName(call.e.position, call.shown + ": unknown name '" + v.text + "'", v.text);
    return Value::OfSet(ToSet(std::move(v), call.e));
}

Value Evaluator::FnStrToTuple(const CallSite& call)
{
    Value v = EvalText(call);
    if (v.kind == VK::Word)
        FailName(call.e.position, call.shown + ": unknown name '" + v.text + "'", v.text);
    if (v.kind != VK::Member && v.kind != VK::Tuple)
        Fail(call.e.position, call.shown + ": the text names no tuple", TextOf(call.e));
    return v;
}

} // namespace olap::eval
