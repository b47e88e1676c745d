#include "control/pivot/model/PivotMdxReader.h"

#include "control/pivot/model/MdxNames.h"
#include "control/pivot/model/MdxStatement.h"
#include "control/pivot/model/PivotError.h"
#include "control/pivot/model/PivotMdxBuilder.h"

#include "olap/access/SchemaRowset.h"

#include <algorithm>
#include <exception>

namespace pivot {

namespace {

// Tries of subtotal and grand-total switches are 2^n; views with more field sets than this
// on the rows and columns together are not read back.
constexpr std::size_t kMaxFlagFieldSets = 10;

//! The statement is not of the pivot's shape (caught inside Read).
struct NotPivotShape { };

[[noreturn]] void Reject()
{
    throw NotPivotShape {};
}

bool IsTotalMember(const MdxExpr& e)
{
    return e.IsName() && e.text.size() > 14 && e.text.ends_with(".[Pivot Total]");
}

//! A set of plain names: the totals block of an axis ({[Measures].[A], [Measures].[B]}).
bool IsNameSet(const MdxExpr& e)
{
    return e.kind == MdxExpr::Kind::Set && !e.args.empty()
        && std::all_of(e.args.begin(), e.args.end(), [](const MdxExpr& a) { return a.IsName(); });
}

//! The totals of the blocks inside a member: {[H].[Pivot Total]}, a totals block, or a
//! CrossJoin of those with at least one field set total.
bool IsTotalsExpr(const MdxExpr& e)
{
    if (e.kind == MdxExpr::Kind::Set)
        return e.args.size() == 1 && IsTotalMember(e.args.front());
    if (!e.IsCall("CrossJoin"))
        return false;
    bool fieldSetTotal = false;
    for (const MdxExpr& a : e.args) {
        if (IsTotalsExpr(a))
            fieldSetTotal = true;
        else if (!IsNameSet(a))
            return false;
    }
    return fieldSetTotal;
}

//! The member sets of an axis in tuple order (the crossed blocks), with the subtotal and
//! grand total wrappers taken off.
void CollectBlocks(const MdxExpr& e, std::vector<const MdxExpr*>& blocks, int depth = 0)
{
    if (depth > 64)
        Reject();
    if (e.IsCall("CrossJoin") && e.args.size() == 2) {
        blocks.push_back(&e.args[0]);
        CollectBlocks(e.args[1], blocks, depth + 1);
        return;
    }
    if (e.kind == MdxExpr::Kind::Set && e.args.size() == 2 && !IsNameSet(e)) {
        if (IsTotalsExpr(e.args[0]) && !IsTotalsExpr(e.args[1]))
            return CollectBlocks(e.args[1], blocks, depth + 1);
        if (IsTotalsExpr(e.args[1]) && !IsTotalsExpr(e.args[0]))
            return CollectBlocks(e.args[0], blocks, depth + 1);
        Reject();
    }
    blocks.push_back(&e);
}

std::vector<std::string> Segments(const std::string& name)
{
    std::vector<std::string> segments;
    std::string current;
    bool inside = false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (c == '[' && !inside) {
            inside = true;
        } else if (c == ']' && inside) {
            if (i + 1 < name.size() && name[i + 1] == ']') {
                current += "]]";
                ++i;
                continue;
            }
            inside = false;
        } else if (c == '.' && !inside) {
            segments.push_back(std::move(current));
            current.clear();
            continue;
        }
        current += c;
    }
    segments.push_back(std::move(current));
    return segments;
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
        : m_statement(statement), m_lookup(lookup)
    {
    }

    //! The candidate definition with subtotals and grand totals still to be tried.
    PivotDefinition Candidate()
    {
        PivotDefinition definition;
        if (m_statement.cube.empty() || m_statement.axes.empty() || m_statement.axes.size() > 2)
            Reject();
        definition.dataMember = MdxNames::LastSegment(m_statement.cube);
        ReadWith(definition);

        definition.nonEmpty = m_statement.axes.front().nonEmpty;
        for (std::size_t a = 0; a < m_statement.axes.size(); ++a) {
            const MdxStatement::Axis& axis = m_statement.axes[a];
            if (axis.ordinal != static_cast<int>(a) || axis.nonEmpty != definition.nonEmpty)
                Reject();
        }
        std::vector<const MdxExpr*> first;
        CollectBlocks(m_statement.axes[0].set, first);
        std::vector<const MdxExpr*> second;
        if (m_statement.axes.size() == 2)
            CollectBlocks(m_statement.axes[1].set, second);
        // A query of one axis: the rows went to the first axis (the view had no columns),
        // unless that axis holds only the totals.
        const bool onlyTotals = first.size() == 1 && IsNameSet(*first.front());
        if (m_statement.axes.size() == 1 && !onlyTotals)
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
    PivotFieldSet FieldSetOfMember(const std::string& member) const
    {
        const std::vector<std::string> segments = Segments(member);
        for (std::size_t n = segments.size() - 1; n >= 1; --n) {
            std::string prefix;
            for (std::size_t i = 0; i < n; ++i)
                prefix += (i > 0 ? "." : "") + segments[i];
            if (auto fieldSet = Lookup(prefix))
                return *fieldSet;
        }
        Reject();
    }

    void ReadWith(PivotDefinition& definition)
    {
        for (const MdxStatement::Member& member : m_statement.with) {
            if (member.isSet)
                Reject();
            if (member.name.ends_with(".[Pivot Total]") || member.name.ends_with(".[Pivot All]"))
                continue;
            const std::vector<std::string> segments = Segments(member.name);
            if (segments.size() != 2 || segments[0] != "[Measures]" || member.expression.kind != MdxExpr::Kind::String)
                Reject();
            PivotTotal total;
            total.name = MdxNames::LastSegment(member.name);
            total.caption = total.name;
            total.expression = member.expression.text;
            for (const auto& [property, value] : member.properties) {
                if (property != "FORMAT_STRING" || value.kind != MdxExpr::Kind::String)
                    Reject();
                total.numberFormat = value.text;
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
    std::string TotalKey(const MdxExpr& key, const PivotDefinition& definition) const
    {
        if (key.IsName())
            return TotalName(key.text, definition);
        if (key.kind == MdxExpr::Kind::Tuple && !key.args.empty() && key.args.front().IsName())
            return TotalName(key.args.front().text, definition);
        Reject();
    }

    void ReadAxis(const std::vector<const MdxExpr*>& blocks, AxisKind axis, PivotDefinition& definition)
    {
        int fieldSets = 0;
        for (const MdxExpr* block : blocks) {
            if (IsNameSet(*block)) {
                if (m_sawTotals)
                    Reject();
                m_sawTotals = true;
                definition.totalsAxis = axis;
                definition.totalsPosition = block == blocks.back() ? -1 : fieldSets;
                std::vector<PivotTotal> shown;
                for (const MdxExpr& name : block->args) {
                    const std::string totalName = TotalName(name.text, definition);
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
    static std::string LevelOf(const MdxExpr& e)
    {
        if (!e.EndsWith("Members"))
            Reject();
        return e.Head();
    }

    static std::vector<std::string> NameList(const MdxExpr& e)
    {
        if (!IsNameSet(e))
            Reject();
        std::vector<std::string> names;
        for (const MdxExpr& a : e.args)
            names.push_back(a.text);
        return names;
    }

    static bool IsWord(const MdxExpr& e, std::string_view word)
    {
        return e.IsName() && MdxStatement::SameText(e.text, word);
    }

    static double NumberOf(const MdxExpr& e)
    {
        if (e.kind == MdxExpr::Kind::Number)
            return std::stod(e.text);
        if (e.kind == MdxExpr::Kind::Operator && e.text == "-" && e.args.size() == 1
            && e.args[0].kind == MdxExpr::Kind::Number)
            return -std::stod(e.args[0].text);
        Reject();
    }

    static bool IsOperator(const MdxExpr& e, std::string_view op)
    {
        return e.kind == MdxExpr::Kind::Operator && e.args.size() == 2 && MdxStatement::SameText(e.text, op);
    }

    //! LCase(<hierarchy>.CurrentMember.Caption).
    static bool IsCaption(const MdxExpr& e)
    {
        return e.IsCall("LCase") && e.args.size() == 1 && e.args[0].EndsWith("Caption");
    }

    //! The label or value filter whose test is TEST.
    PivotConditionFilter ReadCondition(const MdxExpr& test, const PivotDefinition& definition) const
    {
        using Kind = PivotConditionFilter::Kind;
        PivotConditionFilter condition;
        const MdxExpr* e = &test;
        bool negated = false;
        if (e->kind == MdxExpr::Kind::Operator && MdxStatement::SameText(e->text, "NOT") && e->args.size() == 1
            && e->args[0].kind == MdxExpr::Kind::Tuple && e->args[0].args.size() == 1) {
            negated = true;
            e = &e->args[0].args[0];
        }
        auto isInStr = [](const MdxExpr& x) {
            return x.IsCall("InStr") && x.args.size() == 2 && IsCaption(x.args[0])
                && x.args[1].kind == MdxExpr::Kind::String;
        };
        if ((IsOperator(*e, "=") || IsOperator(*e, ">")) && isInStr(e->args[0])
            && e->args[1].kind == MdxExpr::Kind::Number) {
            const bool begins = e->text == "=" && e->args[1].text == "1";
            if (!begins && !(e->text == ">" && e->args[1].text == "0"))
                Reject();
            condition.kind = begins ? (negated ? Kind::CaptionNotBeginsWith : Kind::CaptionBeginsWith)
                                    : (negated ? Kind::CaptionNotContains : Kind::CaptionContains);
            condition.text = e->args[0].args[1].text;
            return condition;
        }
        if (IsOperator(*e, "=") && IsCaption(e->args[0]) && e->args[1].kind == MdxExpr::Kind::String) {
            condition.kind = negated ? Kind::CaptionNotEquals : Kind::CaptionEquals;
            condition.text = e->args[1].text;
            return condition;
        }
        if (negated)
            Reject();
        if (IsOperator(*e, ">") || IsOperator(*e, "<")) {
            condition.kind = e->text == ">" ? Kind::ValueGreater : Kind::ValueLess;
            condition.byTotal = TotalKey(e->args[0], definition);
            condition.value = NumberOf(e->args[1]);
            return condition;
        }
        const bool between = IsOperator(*e, "AND");
        if ((between || IsOperator(*e, "OR")) && e->args[0].kind == MdxExpr::Kind::Operator
            && e->args[1].kind == MdxExpr::Kind::Operator && e->args[0].args.size() == 2
            && e->args[1].args.size() == 2) {
            condition.kind = between ? Kind::ValueBetween : Kind::ValueNotBetween;
            condition.byTotal = TotalKey(e->args[0].args[0], definition);
            condition.value = NumberOf(e->args[0].args[1]);
            condition.value2 = NumberOf(e->args[1].args[1]);
            return condition;
        }
        Reject();
    }

    void ReadTop(const MdxExpr& e, PivotFieldSet& fieldSet, const PivotDefinition& definition, std::string* level) const
    {
        const bool top = e.IsCall("TopCount");
        if ((top || e.IsCall("BottomCount")) && e.args.size() == 3 && e.args[1].kind == MdxExpr::Kind::Number) {
            ReadFiltered(e.args[0], fieldSet, definition, level);
            fieldSet.top.mode = top ? PivotTopFilter::Mode::Top : PivotTopFilter::Mode::Bottom;
            const std::string& count = e.args[1].text;
            if (count.size() > 9 || count.find('.') != std::string::npos)
                Reject();
            fieldSet.top.count = std::stoi(count);
            fieldSet.top.byTotal = TotalKey(e.args[2], definition);
            return;
        }
        ReadFiltered(e, fieldSet, definition, level);
    }

    //! A level's members, or those of them a label or value filter keeps.
    void ReadFiltered(
        const MdxExpr& e, PivotFieldSet& fieldSet, const PivotDefinition& definition, std::string* level) const
    {
        if (e.IsCall("Filter") && e.args.size() == 2) {
            fieldSet.condition = ReadCondition(e.args[1], definition);
            *level = LevelOf(e.args[0]);
            return;
        }
        *level = LevelOf(e);
    }

    PivotFieldSet ReadFieldSet(const MdxExpr& block, const PivotDefinition& definition) const
    {
        const MdxExpr* e = &block;
        PivotSort sort;
        const MdxExpr* sortKey = nullptr;
        if (e->IsCall("Order")) {
            if (e->args.size() != 3)
                Reject();
            if (IsWord(e->args[2], "ASC"))
                sort.direction = SortDirection::Ascending;
            else if (IsWord(e->args[2], "DESC"))
                sort.direction = SortDirection::Descending;
            else
                Reject();
            sortKey = &e->args[1];
            e = &e->args[0];
        }
        if (!e->IsCall("Hierarchize") || e->args.size() != 1)
            Reject();
        e = &e->args[0];

        PivotMemberFilter filter;
        if (e->IsCall("Intersect") && e->args.size() == 2 && e->args[1].kind == MdxExpr::Kind::Set
            && !e->args[1].args.empty()) {
            const MdxExpr& descendants = e->args[1].args.back();
            if (!descendants.IsCall("Descendants") || descendants.args.empty())
                Reject();
            filter.mode = PivotMemberFilter::Mode::Include;
            filter.members = NameList(descendants.args[0]);
            e = &e->args[0];
        } else if (e->IsCall("Except") && e->args.size() == 2 && e->args[1].IsCall("Descendants")
            && !e->args[1].args.empty()) {
            filter.mode = PivotMemberFilter::Mode::Exclude;
            filter.members = NameList(e->args[1].args[0]);
            e = &e->args[0];
        }
        std::vector<std::string> hidden;
        if (e->IsCall("Except") && e->args.size() == 2 && e->args[1].kind == MdxExpr::Kind::Set) {
            for (const MdxExpr& level : e->args[1].args)
                hidden.push_back(LevelOf(level));
            e = &e->args[0];
        }
        std::vector<const MdxExpr*> drills;
        if (e->IsCall("DrilldownMember")) {
            if (e->args.size() != 3 || e->args[1].kind != MdxExpr::Kind::Set || !IsWord(e->args[2], "RECURSIVE"))
                Reject();
            for (const MdxExpr& d : e->args[1].args)
                drills.push_back(&d);
            e = &e->args[0];
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
        for (const MdxExpr* drill : drills) {
            if (drill->EndsWith("Members")) {
                const int index = LevelIndex(fieldSet, drill->Head());
                if (index < 0)
                    Reject();
                // A level not shown is drilled through; a shown one is a whole-level drill.
                if (std::find(hidden.begin(), hidden.end(), drill->Head()) == hidden.end())
                    fieldSet.fields[static_cast<std::size_t>(index)].isExpanded = true;
            } else if (drill->IsCall("Except") && drill->args.size() == 2) {
                const int index = LevelIndex(fieldSet, LevelOf(drill->args[0]));
                if (index < 0)
                    Reject();
                fieldSet.fields[static_cast<std::size_t>(index)].isExpanded = true;
                fieldSet.collapsedMembers = NameList(drill->args[1]);
            } else if (drill->IsName()) {
                fieldSet.expandedMembers.push_back(drill->text);
            } else {
                Reject();
            }
        }
        if (sortKey) {
            sort.byTotal = sortKey->EndsWith("Caption") ? std::string() : TotalKey(*sortKey, definition);
            fieldSet.sort = sort;
        }
        return fieldSet;
    }

    void ReadSlicer(PivotDefinition& definition) const
    {
        const MdxExpr& slicer = m_statement.slicer;
        if (slicer.kind == MdxExpr::Kind::Empty)
            return;
        std::vector<const MdxExpr*> parts;
        if (slicer.IsCall("CrossJoin")) {
            for (const MdxExpr& a : slicer.args)
                parts.push_back(&a);
        } else {
            parts.push_back(&slicer);
        }
        for (const MdxExpr* part : parts) {
            PivotFieldSet fieldSet;
            if (IsNameSet(*part)) {
                fieldSet = FieldSetOfMember(part->args.front().text);
                fieldSet.filter = {PivotMemberFilter::Mode::Include, NameList(*part)};
            } else if (part->IsCall("Except") && part->args.size() == 2 && part->args[0].IsCall("Descendants")
                && part->args[1].IsCall("Descendants") && !part->args[0].args.empty() && !part->args[1].args.empty()) {
                auto found = Lookup(LevelOf(part->args[0].args[0]));
                if (!found)
                    Reject();
                fieldSet = std::move(*found);
                fieldSet.filter = {PivotMemberFilter::Mode::Exclude, NameList(part->args[1].args[0])};
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
                if (MdxStatement::SameText(PivotMdxBuilder::Build(candidate), mdx))
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
