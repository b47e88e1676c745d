#include "olap/mdx/AstEquality.h"

namespace olap::mdx {

namespace {

bool EqualLists(const std::vector<ExprPtr>& a, const std::vector<ExprPtr>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!StructurallyEqual(a[i].get(), b[i].get()))
            return false;
    }
    return true;
}

bool EqualFormulas(const Formula& a, const Formula& b)
{
    if (a.isSet != b.isSet || !StructurallyEqual(a.name.get(), b.name.get())
        || !StructurallyEqual(a.expression.get(), b.expression.get()) || a.properties.size() != b.properties.size())
        return false;
    for (std::size_t i = 0; i < a.properties.size(); ++i) {
        if (a.properties[i].name != b.properties[i].name
            || !StructurallyEqual(a.properties[i].value.get(), b.properties[i].value.get()))
            return false;
    }
    return true;
}

bool EqualAxes(const AxisSpec& a, const AxisSpec& b)
{
    return a.ordinal == b.ordinal && a.nonEmpty == b.nonEmpty && StructurallyEqual(a.set.get(), b.set.get())
        && EqualLists(a.dimensionProperties, b.dimensionProperties);
}

} // namespace

bool StructurallyEqual(const Expr* a, const Expr* b)
{
    if (!a || !b)
        return a == b;
    if (a->kind != b->kind)
        return false;
    switch (a->kind) {
    case ExprKind::Identifier:
        return a->segments == b->segments;
    case ExprKind::Number:
        return a->number == b->number;
    case ExprKind::String:
        return a->text == b->text;
    case ExprKind::Null:
    case ExprKind::Empty:
    case ExprKind::EmptyArgument:
        return true;
    case ExprKind::Unary:
        return a->unaryOperator == b->unaryOperator && EqualLists(a->operands, b->operands);
    case ExprKind::Binary:
        return a->binaryOperator == b->binaryOperator && EqualLists(a->operands, b->operands);
    case ExprKind::Tuple:
    case ExprKind::Set:
        return EqualLists(a->operands, b->operands);
    case ExprKind::Call:
        return a->name == b->name && EqualLists(a->operands, b->operands);
    case ExprKind::MethodCall:
        return a->name == b->name && StructurallyEqual(a->object.get(), b->object.get())
            && EqualLists(a->operands, b->operands);
    case ExprKind::Property:
        return a->segments == b->segments && StructurallyEqual(a->object.get(), b->object.get());
    case ExprKind::Case:
        return StructurallyEqual(a->object.get(), b->object.get()) && EqualLists(a->operands, b->operands)
            && StructurallyEqual(a->elseValue.get(), b->elseValue.get());
    }
    return false;
}

bool StructurallyEqual(const SelectStatement& a, const SelectStatement& b)
{
    if (a.formulas.size() != b.formulas.size() || a.axes.size() != b.axes.size())
        return false;
    for (std::size_t i = 0; i < a.formulas.size(); ++i) {
        if (!EqualFormulas(a.formulas[i], b.formulas[i]))
            return false;
    }
    for (std::size_t i = 0; i < a.axes.size(); ++i) {
        if (!EqualAxes(a.axes[i], b.axes[i]))
            return false;
    }
    if (!StructurallyEqual(a.cube.get(), b.cube.get()) || !StructurallyEqual(a.slicer.get(), b.slicer.get())
        || !EqualLists(a.cellProperties, b.cellProperties))
        return false;
    if (!a.subselect || !b.subselect)
        return a.subselect == b.subselect;
    return StructurallyEqual(*a.subselect, *b.subselect);
}

bool StructurallyEqual(const Statement& a, const Statement& b)
{
    return a.kind == b.kind && a.maxRows == b.maxRows && a.firstRowset == b.firstRowset
        && StructurallyEqual(a.select, b.select) && EqualLists(a.returnColumns, b.returnColumns);
}

} // namespace olap::mdx
