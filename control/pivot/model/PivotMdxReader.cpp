#include "control/pivot/model/PivotMdxReader.h"

#include "control/pivot/model/MdxNames.h"
#include "control/pivot/model/MdxStatement.h"
#include "control/pivot/model/PivotError.h"
#include "control/pivot/model/PivotMdxBuilder.h"

#include "olap/access/SchemaRowset.h"
#include "olap/mdx/MdxPrinter.h"
#include "olap/mdx/Statement.h"

#include <algorithm>
#include <cctype>
#include <exception>

namespace pivot {

namespace {

using olap::mdx::BinaryOperator;
using olap::mdx::Expr;
using olap::mdx::ExprKind;

// Tries of subtotal and grand-total switches are 2^n; views with more field sets than this
// on the rows and columns together are not read back.
constexpr std::size_t kMaxFlagFieldSets = 10;

//! The statement is not of the pivot's shape (caught inside Read).
struct NotPivotShape { };

[[noreturn]] void Reject()
{
    throw NotPivotShape {};
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
    });
}

std::size_t Count(const Expr& e)
{
    return e.operands.size();
}

const Expr& Arg(const Expr& e, std::size_t i)
{
    return *e.operands[i];
}

bool IsName(const Expr& e)
{
    return e.kind == ExprKind::Identifier;
}

std::string Name(const Expr& e)
{
    return MdxStatement::NameText(e);
}

bool IsCall(const Expr& e, std::string_view function)
{
    return e.kind == ExprKind::Call && EqualNoCase(e.name, function);
}

bool IsSet(const Expr& e)
{
    return e.kind == ExprKind::Set;
}

//! OBJECT.PROPERTY (no parentheses), such as [P].[Category].Members.
bool IsProperty(const Expr& e, std::string_view property)
{
    return e.kind == ExprKind::Property && e.object && e.segments.size() == 1
        && EqualNoCase(e.segments.front().name, property);
}

bool IsBinary(const Expr& e, BinaryOperator op)
{
    return e.kind == ExprKind::Binary && e.binaryOperator == op && Count(e) == 2;
}

bool IsTotalMember(const Expr& e)
{
    return IsName(e) && e.segments.size() >= 2 && e.segments.back().quoting == olap::mdx::SegmentQuoting::Bracketed
        && e.segments.back().name == PivotMdxBuilder::kTotalMemberName;
}

//! A set of plain names: the totals block of an axis ({[Measures].[A], [Measures].[B]}).
bool IsNameSet(const Expr& e)
{
    return IsSet(e) && Count(e) > 0
        && std::all_of(e.operands.begin(), e.operands.end(), [](const olap::mdx::ExprPtr& a) { return IsName(*a); });
}

//! The totals of the blocks inside a member: {[H].[Pivot Total]}, a totals block, or a
//! CrossJoin of those with at least one field set total.
bool IsTotalsExpr(const Expr& e)
{
    if (IsSet(e))
        return Count(e) == 1 && IsTotalMember(Arg(e, 0));
    if (!IsCall(e, "CrossJoin"))
        return false;
    bool fieldSetTotal = false;
    for (const auto& a : e.operands) {
        if (IsTotalsExpr(*a))
            fieldSetTotal = true;
        else if (!IsNameSet(*a))
            return false;
    }
    return fieldSetTotal;
}

//! The member sets of an axis in tuple order (the crossed blocks), with the subtotal and
//! grand total wrappers taken off.
void CollectBlocks(const Expr& e, std::vector<const Expr*>& blocks, int depth = 0)
{
    if (depth > 64)
        Reject();
    if (IsCall(e, "CrossJoin") && Count(e) == 2) {
        blocks.push_back(&Arg(e, 0));
        CollectBlocks(Arg(e, 1), blocks, depth + 1);
        return;
    }
    if (IsSet(e) && Count(e) == 2 && !IsNameSet(e)) {
        if (IsTotalsExpr(Arg(e, 0)) && !IsTotalsExpr(Arg(e, 1)))
            return CollectBlocks(Arg(e, 1), blocks, depth + 1);
        if (IsTotalsExpr(Arg(e, 1)) && !IsTotalsExpr(Arg(e, 0)))
            return CollectBlocks(Arg(e, 0), blocks, depth + 1);
        Reject();
    }
    blocks.push_back(&e);
}

//! The first N segments of compound name E as text ("[A].[B]").
std::string Prefix(const Expr& e, std::size_t n)
{
    Expr prefix;
    prefix.kind = ExprKind::Identifier;
    prefix.segments.assign(e.segments.begin(), e.segments.begin() + static_cast<std::ptrdiff_t>(n));
    return Name(prefix);
}

//! Index of level LEVEL among FIELDSET's fields, shown or not, or -1.
int LevelIndex(const PivotFieldSet& fieldSet, const std::string& level)
{
    for (std::size_t i = 0; i < fieldSet.fields.size(); ++i) {
        if (fieldSet.fields[i].uniqueName == level)
            return static_cast<int>(i);
    }
    return -1;
}

class Reader {
public:
    Reader(const MdxStatement& statement, const PivotMdxReader::FieldSetLookup& lookup)
        : m_statement(statement), m_select(statement.Select()), m_lookup(lookup)
    {
    }

    //! The candidate definition with subtotals and grand totals still to be tried.
    PivotDefinition Candidate()
    {
        PivotDefinition definition;
        if (!m_select.cube || m_select.subselect || m_select.axes.empty() || m_select.axes.size() > 2
            || !m_select.cellProperties.empty())
            Reject();
        definition.dataMember = MdxNames::LastSegment(m_statement.cube);
        ReadWith(definition);

        definition.nonEmpty = m_select.axes.front().nonEmpty;
        for (std::size_t a = 0; a < m_select.axes.size(); ++a) {
            const olap::mdx::AxisSpec& axis = m_select.axes[a];
            if (axis.ordinal != static_cast<int>(a) || axis.nonEmpty != definition.nonEmpty
                || !axis.dimensionProperties.empty())
                Reject();
        }
        std::vector<const Expr*> first;
        CollectBlocks(*m_select.axes[0].set, first);
        std::vector<const Expr*> second;
        if (m_select.axes.size() == 2)
            CollectBlocks(*m_select.axes[1].set, second);
        // A query of one axis: the rows went to the first axis (the view had no columns),
        // unless that axis holds only the totals.
        const bool onlyTotals = first.size() == 1 && IsNameSet(*first.front());
        if (m_select.axes.size() == 1 && !onlyTotals)
            ReadAxis(first, AxisKind::Row, definition);
        else
            ReadAxis(first, AxisKind::Column, definition);
        ReadAxis(second, AxisKind::Row, definition);
        ReadSlicer(definition);
        return definition;
    }

private:
    std::optional<PivotFieldSet> Lookup(const std::string& name) const
    {
        if (!m_lookup || !MdxNames::IsUniqueName(name))
            return std::nullopt;
        return m_lookup(name);
    }

    //! The field set holding member MEMBER: the longest proper prefix of its name that names
    //! a hierarchy.
    PivotFieldSet FieldSetOfMember(const Expr& member) const
    {
        for (std::size_t n = member.segments.size() - 1; n >= 1; --n) {
            if (auto fieldSet = Lookup(Prefix(member, n)))
                return *fieldSet;
        }
        Reject();
    }

    void ReadWith(PivotDefinition& definition)
    {
        for (std::size_t i = 0; i < m_select.formulas.size(); ++i) {
            const olap::mdx::Formula& formula = m_select.formulas[i];
            if (formula.isSet || !formula.name || !formula.expression)
                Reject();
            const Expr& name = *formula.name;
            if (IsName(name) && name.segments.size() >= 2
                && name.segments.back().quoting == olap::mdx::SegmentQuoting::Bracketed
                && (name.segments.back().name == PivotMdxBuilder::kTotalMemberName
                    || name.segments.back().name == "Pivot All"))
                continue;
            if (name.segments.size() != 2 || name.segments[0].quoting != olap::mdx::SegmentQuoting::Bracketed
                || name.segments[0].name != "Measures"
                || name.segments[1].quoting != olap::mdx::SegmentQuoting::Bracketed)
                Reject();
            PivotTotal total;
            total.name = name.segments[1].name;
            total.caption = total.name;
            // The formula as the user wrote it between quotes; an unquoted one as the parser
            // prints it (the pivot writes it quoted, which asks the same).
            total.expression = m_statement.QuotedDefinition(i);
            if (total.expression.empty())
                total.expression = olap::mdx::ToMdx(*formula.expression);
            for (const olap::mdx::Formula::Property& property : formula.properties) {
                if (!EqualNoCase(property.name, "FORMAT_STRING") || !property.value
                    || property.value->kind != ExprKind::String)
                    Reject();
                total.numberFormat = property.value->text;
            }
            // Hidden until the totals block shows it.
            total.isIncluded = false;
            definition.totals.push_back(std::move(total));
        }
    }

    //! The name of a total as a definition keeps it: a calculated total's own name, a
    //! measure's unique name.
    std::string TotalName(const std::string& uniqueName, const PivotDefinition& definition) const
    {
        for (const PivotTotal& total : definition.totals) {
            if (total.IsCalculated() && total.UniqueName() == uniqueName)
                return total.name;
        }
        return uniqueName;
    }

    //! The total a sort or top filter reads: NAME or (NAME, other totals).
    std::string TotalKey(const Expr& key, const PivotDefinition& definition) const
    {
        if (IsName(key))
            return TotalName(Name(key), definition);
        if (key.kind == ExprKind::Tuple && Count(key) > 0 && IsName(Arg(key, 0)))
            return TotalName(Name(Arg(key, 0)), definition);
        Reject();
    }

    void ReadAxis(const std::vector<const Expr*>& blocks, AxisKind axis, PivotDefinition& definition)
    {
        int fieldSets = 0;
        for (const Expr* block : blocks) {
            if (IsNameSet(*block)) {
                if (m_sawTotals)
                    Reject();
                m_sawTotals = true;
                definition.totalsAxis = axis;
                definition.totalsPosition = block == blocks.back() ? -1 : fieldSets;
                std::vector<PivotTotal> shown;
                for (const auto& name : block->operands) {
                    const std::string totalName = TotalName(Name(*name), definition);
                    auto defined = std::find_if(definition.totals.begin(), definition.totals.end(),
                        [&](const PivotTotal& t) { return t.name == totalName; });
                    PivotTotal total;
                    if (defined != definition.totals.end()) {
                        total = *defined;
                        definition.totals.erase(defined);
                    } else {
                        total.name = totalName;
                    }
                    total.isIncluded = true;
                    shown.push_back(std::move(total));
                }
                // Shown totals first, in the order shown; hidden calculated ones after them.
                shown.insert(shown.end(), definition.totals.begin(), definition.totals.end());
                definition.totals = std::move(shown);
                continue;
            }
            PivotFieldSet fieldSet = ReadFieldSet(*block, definition);
            if (definition.FindFieldSet(fieldSet.uniqueName))
                Reject();
            definition.Axis(axis).push_back(std::move(fieldSet));
            ++fieldSets;
        }
    }

    //! "[H].[Level].Members" -> "[H].[Level]".
    static std::string LevelOf(const Expr& e)
    {
        if (!IsProperty(e, "Members") || !IsName(*e.object))
            Reject();
        return Name(*e.object);
    }

    static std::vector<std::string> NameList(const Expr& e)
    {
        if (!IsNameSet(e))
            Reject();
        std::vector<std::string> names;
        for (const auto& a : e.operands)
            names.push_back(Name(*a));
        return names;
    }

    static bool IsWord(const Expr& e, std::string_view word)
    {
        return e.IsPlainWord() && EqualNoCase(e.segments.front().name, word);
    }

    static double NumberOf(const Expr& e)
    {
        if (e.kind == ExprKind::Number)
            return e.number;
        if (e.kind == ExprKind::Unary && e.unaryOperator == olap::mdx::UnaryOperator::Negate && Count(e) == 1
            && Arg(e, 0).kind == ExprKind::Number)
            return -Arg(e, 0).number;
        Reject();
    }

    //! LCase(<hierarchy>.CurrentMember.Caption).
    static bool IsCaption(const Expr& e)
    {
        return IsCall(e, "LCase") && Count(e) == 1 && IsProperty(Arg(e, 0), "Caption");
    }

    //! The label or value filter whose test is TEST.
    PivotConditionFilter ReadCondition(const Expr& test, const PivotDefinition& definition) const
    {
        using Kind = PivotConditionFilter::Kind;
        PivotConditionFilter condition;
        const Expr* e = &test;
        bool negated = false;
        if (e->kind == ExprKind::Unary && e->unaryOperator == olap::mdx::UnaryOperator::Not && Count(*e) == 1) {
            negated = true;
            e = &Arg(*e, 0);
        }
        auto isInStr = [](const Expr& x) {
            return IsCall(x, "InStr") && Count(x) == 2 && IsCaption(Arg(x, 0)) && Arg(x, 1).kind == ExprKind::String;
        };
        const bool equal = IsBinary(*e, BinaryOperator::Equal);
        const bool greater = IsBinary(*e, BinaryOperator::Greater);
        if ((equal || greater) && isInStr(Arg(*e, 0)) && Arg(*e, 1).kind == ExprKind::Number) {
            const double bound = Arg(*e, 1).number;
            const bool begins = equal && bound >= 1 && bound <= 1;
            if (!begins && !(greater && bound >= 0 && bound <= 0))
                Reject();
            condition.kind = begins ? (negated ? Kind::CaptionNotBeginsWith : Kind::CaptionBeginsWith)
                                    : (negated ? Kind::CaptionNotContains : Kind::CaptionContains);
            condition.text = Arg(Arg(*e, 0), 1).text;
            return condition;
        }
        if (equal && IsCaption(Arg(*e, 0)) && Arg(*e, 1).kind == ExprKind::String) {
            condition.kind = negated ? Kind::CaptionNotEquals : Kind::CaptionEquals;
            condition.text = Arg(*e, 1).text;
            return condition;
        }
        if (negated)
            Reject();
        if (greater || IsBinary(*e, BinaryOperator::Less)) {
            condition.kind = greater ? Kind::ValueGreater : Kind::ValueLess;
            condition.byTotal = TotalKey(Arg(*e, 0), definition);
            condition.value = NumberOf(Arg(*e, 1));
            return condition;
        }
        const bool between = IsBinary(*e, BinaryOperator::And);
        if ((between || IsBinary(*e, BinaryOperator::Or)) && Arg(*e, 0).kind == ExprKind::Binary
            && Arg(*e, 1).kind == ExprKind::Binary && Count(Arg(*e, 0)) == 2 && Count(Arg(*e, 1)) == 2) {
            condition.kind = between ? Kind::ValueBetween : Kind::ValueNotBetween;
            condition.byTotal = TotalKey(Arg(Arg(*e, 0), 0), definition);
            condition.value = NumberOf(Arg(Arg(*e, 0), 1));
            condition.value2 = NumberOf(Arg(Arg(*e, 1), 1));
            return condition;
        }
        Reject();
    }

    void ReadTop(const Expr& e, PivotFieldSet& fieldSet, const PivotDefinition& definition, std::string* level) const
    {
        const bool top = IsCall(e, "TopCount");
        if ((top || IsCall(e, "BottomCount")) && Count(e) == 3 && Arg(e, 1).kind == ExprKind::Number) {
            ReadFiltered(Arg(e, 0), fieldSet, definition, level);
            fieldSet.top.mode = top ? PivotTopFilter::Mode::Top : PivotTopFilter::Mode::Bottom;
            const double count = Arg(e, 1).number;
            if (!(count >= 0 && count <= 999999999) || count != static_cast<double>(static_cast<int>(count)))
                Reject();
            fieldSet.top.count = static_cast<int>(count);
            fieldSet.top.byTotal = TotalKey(Arg(e, 2), definition);
            return;
        }
        ReadFiltered(e, fieldSet, definition, level);
    }

    //! A level's members, or those of them a label or value filter keeps.
    void ReadFiltered(
        const Expr& e, PivotFieldSet& fieldSet, const PivotDefinition& definition, std::string* level) const
    {
        if (IsCall(e, "Filter") && Count(e) == 2) {
            fieldSet.condition = ReadCondition(Arg(e, 1), definition);
            *level = LevelOf(Arg(e, 0));
            return;
        }
        *level = LevelOf(e);
    }

    PivotFieldSet ReadFieldSet(const Expr& block, const PivotDefinition& definition) const
    {
        const Expr* e = &block;
        PivotSort sort;
        const Expr* sortKey = nullptr;
        if (IsCall(*e, "Order")) {
            if (Count(*e) != 3)
                Reject();
            if (IsWord(Arg(*e, 2), "ASC"))
                sort.direction = SortDirection::Ascending;
            else if (IsWord(Arg(*e, 2), "DESC"))
                sort.direction = SortDirection::Descending;
            else
                Reject();
            sortKey = &Arg(*e, 1);
            e = &Arg(*e, 0);
        }
        if (!IsCall(*e, "Hierarchize") || Count(*e) != 1)
            Reject();
        e = &Arg(*e, 0);

        PivotMemberFilter filter;
        if (IsCall(*e, "Intersect") && Count(*e) == 2 && IsSet(Arg(*e, 1)) && Count(Arg(*e, 1)) > 0) {
            const Expr& descendants = *Arg(*e, 1).operands.back();
            if (!IsCall(descendants, "Descendants") || Count(descendants) == 0)
                Reject();
            filter.mode = PivotMemberFilter::Mode::Include;
            filter.members = NameList(Arg(descendants, 0));
            e = &Arg(*e, 0);
        } else if (IsCall(*e, "Except") && Count(*e) == 2 && IsCall(Arg(*e, 1), "Descendants")
            && Count(Arg(*e, 1)) > 0) {
            filter.mode = PivotMemberFilter::Mode::Exclude;
            filter.members = NameList(Arg(Arg(*e, 1), 0));
            e = &Arg(*e, 0);
        }
        std::vector<std::string> hidden;
        if (IsCall(*e, "Except") && Count(*e) == 2 && IsSet(Arg(*e, 1))) {
            for (const auto& level : Arg(*e, 1).operands)
                hidden.push_back(LevelOf(*level));
            e = &Arg(*e, 0);
        }
        std::vector<const Expr*> drills;
        if (IsCall(*e, "DrilldownMember")) {
            if (Count(*e) != 3 || !IsSet(Arg(*e, 1)) || !IsWord(Arg(*e, 2), "RECURSIVE"))
                Reject();
            for (const auto& d : Arg(*e, 1).operands)
                drills.push_back(d.get());
            e = &Arg(*e, 0);
        }
        PivotFieldSet probe;
        std::string firstLevel;
        ReadTop(*e, probe, definition, &firstLevel);

        std::optional<PivotFieldSet> found = Lookup(firstLevel);
        if (!found)
            Reject();
        PivotFieldSet fieldSet = std::move(*found);
        fieldSet.expandedMembers.clear();
        fieldSet.collapsedMembers.clear();
        fieldSet.top = probe.top;
        fieldSet.condition = probe.condition;
        fieldSet.filter = filter;
        const int first = LevelIndex(fieldSet, firstLevel);
        if (first < 0)
            Reject();
        for (int i = 0; i < first; ++i)
            fieldSet.fields[static_cast<std::size_t>(i)].isIncluded = false;
        for (const std::string& level : hidden) {
            const int index = LevelIndex(fieldSet, level);
            if (index <= first)
                Reject();
            fieldSet.fields[static_cast<std::size_t>(index)].isIncluded = false;
        }
        for (const Expr* drill : drills) {
            if (IsProperty(*drill, "Members")) {
                const std::string level = LevelOf(*drill);
                const int index = LevelIndex(fieldSet, level);
                if (index < 0)
                    Reject();
                // A level not shown is drilled through; a shown one is a whole-level drill.
                if (std::find(hidden.begin(), hidden.end(), level) == hidden.end())
                    fieldSet.fields[static_cast<std::size_t>(index)].isExpanded = true;
            } else if (IsCall(*drill, "Except") && Count(*drill) == 2) {
                const int index = LevelIndex(fieldSet, LevelOf(Arg(*drill, 0)));
                if (index < 0)
                    Reject();
                fieldSet.fields[static_cast<std::size_t>(index)].isExpanded = true;
                fieldSet.collapsedMembers = NameList(Arg(*drill, 1));
            } else if (IsName(*drill)) {
                fieldSet.expandedMembers.push_back(Name(*drill));
            } else {
                Reject();
            }
        }
        if (sortKey) {
            sort.byTotal = IsProperty(*sortKey, "Caption") ? std::string() : TotalKey(*sortKey, definition);
            fieldSet.sort = sort;
        }
        return fieldSet;
    }

    void ReadSlicer(PivotDefinition& definition) const
    {
        if (!m_select.slicer)
            return;
        const Expr& slicer = *m_select.slicer;
        std::vector<const Expr*> parts;
        if (IsCall(slicer, "CrossJoin")) {
            for (const auto& a : slicer.operands)
                parts.push_back(a.get());
        } else {
            parts.push_back(&slicer);
        }
        for (const Expr* part : parts) {
            PivotFieldSet fieldSet;
            if (IsNameSet(*part)) {
                fieldSet = FieldSetOfMember(Arg(*part, 0));
                fieldSet.filter = {PivotMemberFilter::Mode::Include, NameList(*part)};
            } else if (IsCall(*part, "Except") && Count(*part) == 2 && IsCall(Arg(*part, 0), "Descendants")
                && IsCall(Arg(*part, 1), "Descendants") && Count(Arg(*part, 0)) > 0 && Count(Arg(*part, 1)) > 0) {
                auto found = Lookup(LevelOf(Arg(Arg(*part, 0), 0)));
                if (!found)
                    Reject();
                fieldSet = std::move(*found);
                fieldSet.filter = {PivotMemberFilter::Mode::Exclude, NameList(Arg(Arg(*part, 1), 0))};
            } else {
                PivotFieldSet probe;
                std::string level;
                ReadTop(*part, probe, definition, &level);
                if (!probe.top.IsActive() && !probe.condition.IsActive())
                    Reject();
                auto found = Lookup(level);
                if (!found)
                    Reject();
                fieldSet = std::move(*found);
                fieldSet.top = probe.top;
                fieldSet.condition = probe.condition;
                const int first = LevelIndex(fieldSet, level);
                for (int i = 0; i < first; ++i)
                    fieldSet.fields[static_cast<std::size_t>(i)].isIncluded = false;
            }
            if (definition.FindFieldSet(fieldSet.uniqueName))
                Reject();
            definition.filterAxis.push_back(std::move(fieldSet));
        }
    }

    const MdxStatement& m_statement;
    const olap::mdx::SelectStatement& m_select;
    const PivotMdxReader::FieldSetLookup& m_lookup;
    bool m_sawTotals = false;
};

} // namespace

std::optional<PivotDefinition> PivotMdxReader::Read(
    const std::string& mdx, const FieldSetLookup& lookup, const std::string& connectionString)
{
    try {
        const MdxStatement statement = MdxStatement::Parse(mdx);
        PivotDefinition candidate = Reader(statement, lookup).Candidate();
        candidate.connectionString = connectionString;
        candidate.isNotFiltered = candidate.filterAxis.empty()
            && std::none_of(candidate.rowAxis.begin(), candidate.rowAxis.end(),
                [](const PivotFieldSet& f) { return f.filter.IsActive(); })
            && std::none_of(candidate.columnAxis.begin(), candidate.columnAxis.end(),
                [](const PivotFieldSet& f) { return f.filter.IsActive(); });

        // Subtotals per field set and grand totals per axis do not always show in the text:
        // try each setting and keep the first that asks the same statement.
        std::vector<PivotFieldSet*> fieldSets;
        for (auto* axis : {&candidate.columnAxis, &candidate.rowAxis}) {
            for (PivotFieldSet& fieldSet : *axis)
                fieldSets.push_back(&fieldSet);
        }
        if (fieldSets.size() > kMaxFlagFieldSets)
            return std::nullopt;
        const std::size_t flags = fieldSets.size() + 2;
        for (std::size_t mask = 0; mask < (std::size_t {1} << flags); ++mask) {
            // Start from everything on (the usual view), turning switches off one by one.
            for (std::size_t i = 0; i < fieldSets.size(); ++i)
                fieldSets[i]->subtotals = (mask & (std::size_t {1} << i)) == 0;
            candidate.columnGrandTotals = (mask & (std::size_t {1} << fieldSets.size())) == 0;
            candidate.rowGrandTotals = (mask & (std::size_t {1} << (fieldSets.size() + 1))) == 0;
            try {
                if (statement.SameAs(PivotMdxBuilder::Build(candidate)))
                    return candidate;
            } catch (const PivotError&) {
                return std::nullopt;
            }
        }
    } catch (const NotPivotShape&) {
    } catch (const PivotError&) {
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

std::vector<PivotFieldSet> PivotMdxReader::CubeFieldSets(
    const olap::SchemaRowset& hierarchies, const olap::SchemaRowset& levels)
{
    std::vector<PivotFieldSet> fieldSets;
    for (const auto& row : hierarchies.rows) {
        PivotFieldSet fieldSet;
        fieldSet.uniqueName = hierarchies.Value(row, "HIERARCHY_UNIQUE_NAME");
        fieldSet.caption = hierarchies.Value(row, "HIERARCHY_CAPTION");
        for (const auto& level : levels.rows) {
            if (levels.Value(level, "HIERARCHY_UNIQUE_NAME") == fieldSet.uniqueName
                && levels.Value(level, "LEVEL_TYPE") != "All")
                fieldSet.fields.push_back(
                    {levels.Value(level, "LEVEL_UNIQUE_NAME"), levels.Value(level, "LEVEL_CAPTION"), true, false});
        }
        if (!fieldSet.fields.empty())
            fieldSets.push_back(std::move(fieldSet));
    }
    return fieldSets;
}

PivotMdxReader::FieldSetLookup PivotMdxReader::LookupIn(std::vector<PivotFieldSet> fieldSets)
{
    return [fieldSets = std::move(fieldSets)](const std::string& name) -> std::optional<PivotFieldSet> {
        for (const PivotFieldSet& fieldSet : fieldSets) {
            if (fieldSet.uniqueName == name || fieldSet.FieldIndex(name) >= 0)
                return fieldSet;
        }
        return std::nullopt;
    };
}

} // namespace pivot
