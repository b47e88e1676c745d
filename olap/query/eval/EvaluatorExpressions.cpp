#include "olap/query/eval/Evaluator.h"
#include "olap/query/eval/FunctionRegistry.h"

#include "olap/model/Dimension.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Level.h"
#include "olap/model/Member.h"
#include "olap/util/ValueFormatter.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace olap::eval {

void Evaluator::CheckTextSize(std::size_t bytes, const Expr& where)
{
    if (bytes > kMaxTextBytes)
        Fail(where.position,
            "a text value would be longer than the limit of " + std::to_string(kMaxTextBytes)
                + " bytes: " + TextOf(where),
            TextOf(where));
}

int Evaluator::CompareScalars(const Value& a, const Value& b)
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

std::vector<Value> Evaluator::KeysOf(const TupleSet& set, const Expr* expr)
{
    std::vector<Value> keys;
    keys.reserve(set.size());
    for (const Tuple& t : set) {
        Scope scope(*this, t);
        keys.push_back(expr ? Scalar(Eval(*expr), *expr) : CurrentCell());
    }
    return keys;
}

TupleSet Evaluator::SortByKey(const TupleSet& set, const Expr* expr, bool descending)
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
    a = Scalar(a, left);
    b = Scalar(b, right);
    // Two texts joined with + (as reports written for other servers do): a concatenation.
    if (e.binaryOperator == BinaryOperator::Add && a.kind == VK::String && b.kind == VK::String) {
        CheckTextSize(a.text.size() + b.text.size(), e);
        return Value::Str(a.text + b.text);
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

// Looks NAME up in the function table, checks the argument count and runs the function.
Value Evaluator::Call(const Expr& e, const std::string& name, const std::vector<const Expr*>& args)
{
    const std::string shown = e.kind == ExprKind::Property ? e.segments[0].name : e.name;
    const FunctionEntry* function = FunctionRegistry::Find(name);
    if (!function)
        Fail(e.position, "unknown function '" + shown + "'", shown);
    if (args.size() < function->minArgs || args.size() > function->maxArgs) {
        const std::size_t min = function->minArgs;
        const std::size_t max = function->maxArgs;
        std::string count = min == max ? std::to_string(min) : std::to_string(min) + " to " + std::to_string(max);
        Fail(e.position, shown + " expects " + count + " argument(s), got " + std::to_string(args.size()), shown);
    }
    const CallSite call {*this, e, name, shown, args};
    return (this->*function->handler)(call);
}

} // namespace olap::eval
