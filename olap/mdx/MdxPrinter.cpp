#include "olap/mdx/MdxPrinter.h"

#include <charconv>
#include <string_view>

namespace olap::mdx {

namespace {

// Binding strength of each expression form, loosest first; must match the parser.
enum Level {
    kOrLevel = 1,
    kAndLevel,
    kNotLevel,
    kComparisonLevel,
    kConcatLevel,
    kAdditiveLevel,
    kMultiplicativeLevel,
    kUnaryLevel,
    kPowerLevel,
    kRangeLevel,
    kPrimaryLevel,
};

int BinaryLevel(BinaryOperator op)
{
    switch (op) {
    case BinaryOperator::Or:
    case BinaryOperator::Xor:
        return kOrLevel;
    case BinaryOperator::And:
        return kAndLevel;
    case BinaryOperator::Equal:
    case BinaryOperator::NotEqual:
    case BinaryOperator::Less:
    case BinaryOperator::Greater:
    case BinaryOperator::LessEqual:
    case BinaryOperator::GreaterEqual:
    case BinaryOperator::Is:
        return kComparisonLevel;
    case BinaryOperator::Concat:
        return kConcatLevel;
    case BinaryOperator::Add:
    case BinaryOperator::Subtract:
        return kAdditiveLevel;
    case BinaryOperator::Multiply:
    case BinaryOperator::Divide:
        return kMultiplicativeLevel;
    case BinaryOperator::Power:
        return kPowerLevel;
    case BinaryOperator::Range:
        return kRangeLevel;
    }
    return kPrimaryLevel;
}

int LevelOf(const Expr& expr)
{
    if (expr.kind == ExprKind::Binary)
        return BinaryLevel(expr.binaryOperator);
    if (expr.kind == ExprKind::Unary)
        return expr.unaryOperator == UnaryOperator::Not ? kNotLevel : kUnaryLevel;
    return kPrimaryLevel;
}

const char* BinarySpelling(BinaryOperator op)
{
    switch (op) {
    case BinaryOperator::Or:
        return "OR";
    case BinaryOperator::Xor:
        return "XOR";
    case BinaryOperator::And:
        return "AND";
    case BinaryOperator::Equal:
        return "=";
    case BinaryOperator::NotEqual:
        return "<>";
    case BinaryOperator::Less:
        return "<";
    case BinaryOperator::Greater:
        return ">";
    case BinaryOperator::LessEqual:
        return "<=";
    case BinaryOperator::GreaterEqual:
        return ">=";
    case BinaryOperator::Is:
        return "IS";
    case BinaryOperator::Concat:
        return "||";
    case BinaryOperator::Add:
        return "+";
    case BinaryOperator::Subtract:
        return "-";
    case BinaryOperator::Multiply:
        return "*";
    case BinaryOperator::Divide:
        return "/";
    case BinaryOperator::Power:
        return "^";
    case BinaryOperator::Range:
        return ":";
    }
    return "?";
}

const char* UnarySpelling(UnaryOperator op)
{
    switch (op) {
    case UnaryOperator::Negate:
        return "-";
    case UnaryOperator::Plus:
        return "+";
    case UnaryOperator::Not:
        return "NOT";
    }
    return "?";
}

void AppendNumber(std::string& out, double value)
{
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, ec == std::errc() ? end : buffer);
}

void AppendQuoted(std::string& out, const std::string& text, char open, char close)
{
    out += open;
    for (char c : text) {
        out += c;
        if (c == close)
            out += close;
    }
    out += close;
}

void AppendSegment(std::string& out, const IdentifierSegment& segment)
{
    switch (segment.quoting) {
    case SegmentQuoting::Plain:
        out += segment.name;
        break;
    case SegmentQuoting::Bracketed:
        AppendQuoted(out, segment.name, '[', ']');
        break;
    case SegmentQuoting::Key:
        for (const std::string& key : segment.keys) {
            out += '&';
            AppendQuoted(out, key, '[', ']');
        }
        break;
    }
}

void AppendSegments(std::string& out, const std::vector<IdentifierSegment>& segments)
{
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (i > 0)
            out += '.';
        AppendSegment(out, segments[i]);
    }
}

//! True when `text` starts with the word EMPTY (any case), which after IS would read as the
//! EMPTY keyword: a member, call or property chain starting with a name spelled Empty.
bool StartsWithWordEmpty(std::string_view text)
{
    static constexpr std::string_view kUpper = "EMPTY";
    if (text.size() < kUpper.size())
        return false;
    for (std::size_t i = 0; i < kUpper.size(); ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != kUpper[i])
            return false;
    }
    if (text.size() == kUpper.size())
        return true;
    const unsigned char next = static_cast<unsigned char>(text[kUpper.size()]);
    return !((next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z') || (next >= '0' && next <= '9') || next == '_'
        || next >= 0x80);
}

class Printer {
public:
    std::string Take() { return std::move(m_out); }

    void PrintStatement(const Statement& statement)
    {
        if (statement.kind == StatementKind::Drillthrough) {
            m_out += "DRILLTHROUGH ";
            if (statement.maxRows) {
                m_out += "MAXROWS ";
                m_out += std::to_string(*statement.maxRows);
                m_out += ' ';
            }
            if (statement.firstRowset) {
                m_out += "FIRSTROWSET ";
                m_out += std::to_string(*statement.firstRowset);
                m_out += ' ';
            }
        }
        PrintSelect(statement.select);
        if (!statement.returnColumns.empty()) {
            m_out += " RETURN ";
            List(statement.returnColumns);
        }
    }

    void PrintSelect(const SelectStatement& select)
    {
        if (!select.formulas.empty()) {
            m_out += "WITH ";
            for (const Formula& formula : select.formulas) {
                m_out += formula.isSet ? "SET " : "MEMBER ";
                Print(*formula.name);
                m_out += " AS ";
                Print(*formula.expression);
                for (const Formula::Property& property : formula.properties) {
                    m_out += ", ";
                    m_out += property.name;
                    m_out += " = ";
                    Print(*property.value);
                }
                m_out += ' ';
            }
        }
        m_out += "SELECT ";
        for (std::size_t i = 0; i < select.axes.size(); ++i) {
            const AxisSpec& axis = select.axes[i];
            if (i > 0)
                m_out += ", ";
            if (axis.nonEmpty)
                m_out += "NON EMPTY ";
            Print(*axis.set);
            if (!axis.dimensionProperties.empty()) {
                m_out += " DIMENSION PROPERTIES ";
                List(axis.dimensionProperties);
            }
            m_out += " ON ";
            static constexpr const char* kNames[] = {"COLUMNS", "ROWS", "PAGES", "SECTIONS", "CHAPTERS"};
            if (axis.ordinal >= 0 && axis.ordinal < 5) {
                m_out += kNames[axis.ordinal];
            } else {
                m_out += "AXIS(";
                m_out += std::to_string(axis.ordinal);
                m_out += ')';
            }
        }
        m_out += select.axes.empty() ? "FROM " : " FROM ";
        if (select.subselect) {
            m_out += '(';
            PrintSelect(*select.subselect);
            m_out += ')';
        } else if (select.cube) {
            Print(*select.cube);
        }
        if (select.slicer) {
            m_out += " WHERE ";
            Print(*select.slicer);
        }
        if (!select.cellProperties.empty()) {
            m_out += " CELL PROPERTIES ";
            List(select.cellProperties);
        }
    }

    void Print(const Expr& expr)
    {
        switch (expr.kind) {
        case ExprKind::Identifier:
            AppendSegments(m_out, expr.segments);
            break;
        case ExprKind::Number:
            AppendNumber(m_out, expr.number);
            break;
        case ExprKind::String:
            AppendQuoted(m_out, expr.text, '"', '"');
            break;
        case ExprKind::Null:
            m_out += "NULL";
            break;
        case ExprKind::Empty:
            m_out += "EMPTY";
            break;
        case ExprKind::EmptyArgument:
            break;
        case ExprKind::Unary:
            PrintUnary(expr);
            break;
        case ExprKind::Binary:
            PrintBinary(expr);
            break;
        case ExprKind::Tuple:
            m_out += '(';
            List(expr.operands);
            m_out += ')';
            break;
        case ExprKind::Set:
            m_out += '{';
            List(expr.operands);
            m_out += '}';
            break;
        case ExprKind::Call:
            m_out += expr.name;
            m_out += '(';
            List(expr.operands);
            m_out += ')';
            break;
        case ExprKind::MethodCall:
            Operand(*expr.object, LevelOf(*expr.object) < kPrimaryLevel);
            m_out += '.';
            m_out += expr.name;
            m_out += '(';
            List(expr.operands);
            m_out += ')';
            break;
        case ExprKind::Property:
            Operand(*expr.object, LevelOf(*expr.object) < kPrimaryLevel);
            m_out += '.';
            if (!expr.segments.empty())
                AppendSegment(m_out, expr.segments[0]);
            break;
        case ExprKind::Case:
            PrintCase(expr);
            break;
        }
    }

private:
    void List(const std::vector<ExprPtr>& list)
    {
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (i > 0)
                m_out += list[i]->kind == ExprKind::EmptyArgument ? "," : ", ";
            Print(*list[i]);
        }
    }

    void Operand(const Expr& expr, bool parenthesise)
    {
        if (parenthesise)
            m_out += '(';
        Print(expr);
        if (parenthesise)
            m_out += ')';
    }

    void PrintUnary(const Expr& expr)
    {
        const Expr& operand = *expr.operands[0];
        m_out += UnarySpelling(expr.unaryOperator);
        const int level = LevelOf(expr);
        const bool parenthesise = LevelOf(operand) < level;
        // NOT is a word; and "--" would start a comment.
        if (expr.unaryOperator == UnaryOperator::Not
            || (!parenthesise && operand.kind == ExprKind::Unary && operand.unaryOperator == UnaryOperator::Negate)) {
            m_out += ' ';
        }
        Operand(operand, parenthesise);
    }

    void PrintBinary(const Expr& expr)
    {
        const Expr& left = *expr.operands[0];
        const Expr& right = *expr.operands[1];
        const int level = BinaryLevel(expr.binaryOperator);
        bool leftParens = LevelOf(left) < level;
        bool rightParens = LevelOf(right) <= level;
        if (expr.binaryOperator == BinaryOperator::Power) {
            // Right-associative, and its right side may be a signed operand: 2 ^ -1.
            leftParens = LevelOf(left) <= level;
            rightParens = LevelOf(right) < kUnaryLevel;
        }
        Operand(left, leftParens);
        if (expr.binaryOperator == BinaryOperator::Is && !rightParens && right.kind != ExprKind::Empty) {
            // A name spelled Empty must not read as the EMPTY keyword.
            Printer inner;
            inner.Print(right);
            const std::string text = inner.Take();
            m_out += " IS ";
            if (StartsWithWordEmpty(text)) {
                m_out += '(';
                m_out += text;
                m_out += ')';
            } else {
                m_out += text;
            }
            return;
        }
        if (expr.binaryOperator == BinaryOperator::Range) {
            m_out += ':';
        } else {
            m_out += ' ';
            m_out += BinarySpelling(expr.binaryOperator);
            m_out += ' ';
        }
        Operand(right, rightParens);
    }

    void PrintCase(const Expr& expr)
    {
        m_out += "CASE ";
        if (expr.object) {
            Print(*expr.object);
            m_out += ' ';
        }
        for (std::size_t i = 0; i + 1 < expr.operands.size(); i += 2) {
            m_out += "WHEN ";
            Print(*expr.operands[i]);
            m_out += " THEN ";
            Print(*expr.operands[i + 1]);
            m_out += ' ';
        }
        if (expr.elseValue) {
            m_out += "ELSE ";
            Print(*expr.elseValue);
            m_out += ' ';
        }
        m_out += "END";
    }

    std::string m_out;
};

void AppendSExpression(std::string& out, const Expr& expr);

void AppendSExpressionList(std::string& out, const std::vector<ExprPtr>& list)
{
    for (const ExprPtr& item : list) {
        out += ' ';
        AppendSExpression(out, *item);
    }
}

void AppendSExpression(std::string& out, const Expr& expr)
{
    switch (expr.kind) {
    case ExprKind::Identifier:
        AppendSegments(out, expr.segments);
        return;
    case ExprKind::Number:
        AppendNumber(out, expr.number);
        return;
    case ExprKind::String:
        AppendQuoted(out, expr.text, '"', '"');
        return;
    case ExprKind::Null:
        out += "NULL";
        return;
    case ExprKind::Empty:
        out += "EMPTY";
        return;
    case ExprKind::EmptyArgument:
        out += "_";
        return;
    case ExprKind::Unary:
        out += '(';
        out += UnarySpelling(expr.unaryOperator);
        break;
    case ExprKind::Binary:
        out += '(';
        out += BinarySpelling(expr.binaryOperator);
        break;
    case ExprKind::Tuple:
        out += "(tuple";
        break;
    case ExprKind::Set:
        out += "(set";
        break;
    case ExprKind::Call:
        out += "(call ";
        out += expr.name;
        break;
    case ExprKind::MethodCall:
        out += "(method ";
        out += expr.name;
        out += ' ';
        AppendSExpression(out, *expr.object);
        break;
    case ExprKind::Property:
        out += "(prop ";
        if (!expr.segments.empty())
            AppendSegment(out, expr.segments[0]);
        out += ' ';
        AppendSExpression(out, *expr.object);
        break;
    case ExprKind::Case:
        out += "(case";
        if (expr.object) {
            out += ' ';
            AppendSExpression(out, *expr.object);
        }
        for (std::size_t i = 0; i + 1 < expr.operands.size(); i += 2) {
            out += " (when ";
            AppendSExpression(out, *expr.operands[i]);
            out += ' ';
            AppendSExpression(out, *expr.operands[i + 1]);
            out += ')';
        }
        if (expr.elseValue) {
            out += " (else ";
            AppendSExpression(out, *expr.elseValue);
            out += ')';
        }
        out += ')';
        return;
    }
    AppendSExpressionList(out, expr.operands);
    out += ')';
}

} // namespace

std::string ToMdx(const Statement& statement)
{
    Printer printer;
    printer.PrintStatement(statement);
    return printer.Take();
}

std::string ToMdx(const SelectStatement& select)
{
    Printer printer;
    printer.PrintSelect(select);
    return printer.Take();
}

std::string ToMdx(const Expr& expr)
{
    Printer printer;
    printer.Print(expr);
    return printer.Take();
}

std::string ToSExpression(const Expr& expr)
{
    std::string out;
    AppendSExpression(out, expr);
    return out;
}

} // namespace olap::mdx
