#include "control/pivot/model/PivotMdxBuilder.h"

#include "control/pivot/model/MdxNames.h"
#include "control/pivot/model/PivotError.h"
#include "control/pivot/model/PivotShowAsMdx.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace pivot {

namespace {

std::string Join(const std::vector<std::string>& parts, const char* separator)
{
    std::string result;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            result += separator;
        result += parts[i];
    }
    return result;
}

//! TEXT as a single-quoted MDX string ('' inside).
std::string QuoteString(const std::string& text)
{
    std::string result = "'";
    for (char c : text) {
        result += c;
        if (c == '\'')
            result += '\'';
    }
    result += '\'';
    return result;
}

const std::string& CheckName(const std::string& name, const std::string& what)
{
    if (!MdxNames::IsUniqueName(name))
        throw PivotError(what + " '" + name + "' is not a unique name such as [Dimension].[Member]");
    return name;
}

std::string MemberList(const std::vector<std::string>& members, const std::string& fieldSet)
{
    std::vector<std::string> checked;
    checked.reserve(members.size());
    for (const std::string& member : members)
        checked.push_back(CheckName(member, "member of field set " + fieldSet));
    return "{" + Join(checked, ", ") + "}";
}

//! The value expression of total NAME read on the total members OTHERTOTALS.
std::string TotalKey(const std::string& name, const std::vector<std::string>& otherTotals)
{
    std::string key = MdxNames::IsUniqueName(name) ? name : "[Measures]." + MdxNames::Quote(name);
    if (!otherTotals.empty())
        key = "(" + key + ", " + Join(otherTotals, ", ") + ")";
    return key;
}

//! SET cut to FIELDSET's top or bottom N by their total, or SET as it is.
std::string TopMembers(
    const PivotFieldSet& fieldSet, const std::string& set, const std::vector<std::string>& otherTotals)
{
    if (!fieldSet.top.IsActive())
        return set;
    const char* function = fieldSet.top.mode == PivotTopFilter::Mode::Top ? "TopCount(" : "BottomCount(";
    return function + set + ", " + std::to_string(fieldSet.top.count) + ", "
        + TotalKey(fieldSet.top.byTotal, otherTotals) + ")";
}

//! VALUE as an MDX number in its shortest exact form.
std::string Number(double value)
{
    if (!std::isfinite(value))
        throw PivotError("a value filter's bound is not a finite number");
    // Fixed notation: the shortest digits that read back as VALUE, with no exponent.
    char buffer[400];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (error != std::errc())
        throw PivotError("a value filter's bound cannot be written");
    return std::string(buffer, end);
}

std::string AsciiLower(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

//! SET cut to the members meeting FIELDSET's label or value filter, or SET as it is.
std::string ConditionMembers(
    const PivotFieldSet& fieldSet, const std::string& set, const std::vector<std::string>& otherTotals)
{
    const PivotConditionFilter& condition = fieldSet.condition;
    if (!condition.IsActive())
        return set;
    using Kind = PivotConditionFilter::Kind;
    const std::string caption = "LCase(" + CheckName(fieldSet.uniqueName, "field set") + ".CurrentMember.Caption)";
    // A double-quoted string, so the test can sit inside a single-quoted member formula.
    std::string text = "\"";
    for (char c : AsciiLower(condition.text)) {
        text += c;
        if (c == '"')
            text += '"';
    }
    text += '"';
    std::string test;
    if (condition.IsLabel()) {
        switch (condition.kind) {
        case Kind::CaptionBeginsWith:
        case Kind::CaptionNotBeginsWith:
            test = "InStr(" + caption + ", " + text + ") = 1";
            break;
        case Kind::CaptionContains:
        case Kind::CaptionNotContains:
            test = "InStr(" + caption + ", " + text + ") > 0";
            break;
        default:
            test = caption + " = " + text;
            break;
        }
        if (condition.kind == Kind::CaptionNotBeginsWith || condition.kind == Kind::CaptionNotContains
            || condition.kind == Kind::CaptionNotEquals)
            test = "NOT (" + test + ")";
    } else {
        const std::string key = TotalKey(condition.byTotal, otherTotals);
        const double low = std::min(condition.value, condition.value2);
        const double high = std::max(condition.value, condition.value2);
        switch (condition.kind) {
        case Kind::ValueGreater:
            test = key + " > " + Number(condition.value);
            break;
        case Kind::ValueLess:
            test = key + " < " + Number(condition.value);
            break;
        case Kind::ValueBetween:
            test = key + " >= " + Number(low) + " AND " + key + " <= " + Number(high);
            break;
        default:
            test = key + " < " + Number(low) + " OR " + key + " > " + Number(high);
            break;
        }
    }
    return "Filter(" + set + ", " + test + ")";
}

//! The members of FIELDSET's first shown field that its label, value and top filters keep.
std::string BaseMembers(const PivotFieldSet& fieldSet, const std::vector<std::string>& otherTotals)
{
    const auto included = fieldSet.IncludedFields();
    const std::string members = CheckName(included.front()->uniqueName, "field") + ".Members";
    return TopMembers(fieldSet, ConditionMembers(fieldSet, members, otherTotals), otherTotals);
}

//! Whether the members FIELDSET keeps depend on values (a top or a value filter), so its total
//! member reads the other field sets' totals.
bool KeepsByValue(const PivotFieldSet& fieldSet)
{
    return fieldSet.top.IsActive() || (fieldSet.condition.IsValue() && fieldSet.condition.IsActive());
}

//! The member aggregating every member of FIELDSET's first shown field, unfiltered.
std::string AllMemberName(const PivotFieldSet& fieldSet)
{
    return CheckName(fieldSet.uniqueName, "field set") + "." + MdxNames::Quote("Pivot All");
}

//! The total members of every field set on the rows and columns but SELF. FORFILTER: for the
//! test of a top or value filter, which goes into SELF's total member: a field set that keeps
//! members by value as well is read on all its members (AllMemberName) instead, since its
//! total reads SELF's and the two totals would depend on each other.
std::vector<std::string> OtherTotals(
    const PivotDefinition& definition, const PivotFieldSet* self, bool forFilter = false)
{
    std::vector<std::string> totals;
    for (const auto* axis : {&definition.rowAxis, &definition.columnAxis}) {
        for (const PivotFieldSet& fieldSet : *axis) {
            if (&fieldSet == self || fieldSet.IncludedFields().empty())
                continue;
            if (forFilter && KeepsByValue(fieldSet))
                totals.push_back(AllMemberName(fieldSet));
            else
                totals.push_back(PivotMdxBuilder::TotalMemberName(fieldSet.uniqueName));
        }
    }
    return totals;
}

//! One block of an axis: a field set's member set and its total member, or the totals.
struct Block {
    std::string members;
    std::string total;
    bool isData = false;
    bool subtotals = false;
};

//! FIELDSET's members, drilled, filtered, hierarchized and sorted. A sort by a total reads
//! the total in OTHERTOTALS (the total members of every other field set on the rows and
//! columns), so it orders by the grand total line, not by the first member of another axis;
//! top and value filters read it in FILTERTOTALS (OtherTotals for a filter).
std::string FieldSetMembers(const PivotFieldSet& fieldSet, const std::vector<std::string>& otherTotals,
    const std::vector<std::string>& filterTotals)
{
    const std::string& name = CheckName(fieldSet.uniqueName, "field set");
    const auto included = fieldSet.IncludedFields();
    if (included.empty())
        throw PivotError("field set " + name + " has no field that is shown");
    const PivotField* first = included.front();
    const PivotField* last = included.back();
    const std::string base = BaseMembers(fieldSet, filterTotals);

    // Members to drill: the expanded ones, every member of a fully expanded field, and every
    // member of a field that is not shown but lies between two shown ones (drilled through).
    std::vector<std::string> drill;
    for (const std::string& member : fieldSet.expandedMembers)
        drill.push_back(CheckName(member, "expanded member of field set " + name));
    std::vector<std::string> hidden;
    bool seenFirst = false;
    for (const PivotField& field : fieldSet.fields) {
        const std::string& level = CheckName(field.uniqueName, "field");
        if (&field == first)
            seenFirst = true;
        if (!seenFirst)
            continue;
        if (!field.isIncluded) {
            hidden.push_back(level + ".Members");
            if (field.uniqueName != last->uniqueName
                && std::any_of(included.begin(), included.end(), [&](auto* f) { return f > &field; }))
                drill.push_back(level + ".Members");
        } else if (field.isExpanded && &field != last) {
            if (fieldSet.collapsedMembers.empty())
                drill.push_back(level + ".Members");
            else
                drill.push_back("Except(" + level + ".Members, " + MemberList(fieldSet.collapsedMembers, name) + ")");
        }
    }
    std::string set = base;
    if (!drill.empty())
        set = "DrilldownMember(" + set + ", {" + Join(drill, ", ") + "}, RECURSIVE)";
    if (!hidden.empty())
        set = "Except(" + set + ", {" + Join(hidden, ", ") + "})";

    const PivotMemberFilter& filter = fieldSet.filter;
    if (filter.IsActive() && !filter.members.empty()) {
        std::string list = MemberList(filter.members, name);
        if (filter.mode == PivotMemberFilter::Mode::Include) {
            // A kept member shows with its ancestors (the path to it) and its descendants.
            std::vector<std::string> keep;
            for (const std::string& member : filter.members)
                keep.push_back("Ascendants(" + member + ")");
            keep.push_back("Descendants(" + list + ", 0, SELF_AND_AFTER)");
            set = "Intersect(" + set + ", {" + Join(keep, ", ") + "})";
        } else {
            set = "Except(" + set + ", Descendants(" + list + ", 0, SELF_AND_AFTER))";
        }
    }
    set = "Hierarchize(" + set + ")";

    if (fieldSet.sort.IsActive()) {
        const char* direction = fieldSet.sort.direction == SortDirection::Ascending ? "ASC" : "DESC";
        const std::string key = fieldSet.sort.byTotal.empty() ? name + ".CurrentMember.Caption"
                                                              : TotalKey(fieldSet.sort.byTotal, otherTotals);
        set = "Order(" + set + ", " + key + ", " + direction + ")";
    }
    return set;
}

//! The members FIELDSET's member filter keeps, as one set whose members do not overlap
//! where the filter excludes, or "" when it has no filter.
std::string KeptMembers(const PivotFieldSet& fieldSet)
{
    const PivotMemberFilter& filter = fieldSet.filter;
    if (!filter.IsActive() || filter.members.empty())
        return {};
    const std::string& name = CheckName(fieldSet.uniqueName, "field set");
    std::string list = MemberList(filter.members, name);
    if (filter.mode == PivotMemberFilter::Mode::Include)
        return list;
    if (fieldSet.fields.empty())
        throw PivotError("field set " + name + " excludes members but lists no field");
    const std::string top = CheckName(fieldSet.fields.front().uniqueName, "field") + ".Members";
    return "Except(Descendants(" + top + ", , LEAVES), Descendants(" + list + ", , LEAVES))";
}

std::vector<Block> AxisBlocks(const PivotDefinition& definition, AxisKind axis)
{
    std::vector<Block> blocks;
    for (const PivotAxisBlock& info : PivotMdxBuilder::Blocks(definition, axis)) {
        Block block;
        if (info.IsData()) {
            std::vector<std::string> names;
            for (const PivotTotal* total : definition.IncludedTotals())
                names.push_back(total->IsCalculated() ? total->UniqueName() : CheckName(total->name, "total"));
            block.members = "{" + Join(names, ", ") + "}";
            block.total = block.members;
            block.isData = true;
        } else {
            block.members = FieldSetMembers(
                *info.fieldSet, OtherTotals(definition, info.fieldSet), OtherTotals(definition, info.fieldSet, true));
            block.total = "{" + PivotMdxBuilder::TotalMemberName(info.fieldSet->uniqueName) + "}";
            block.subtotals = info.fieldSet->subtotals;
        }
        blocks.push_back(std::move(block));
    }
    return blocks;
}

std::string CrossTotals(const std::vector<Block>& blocks, std::size_t from)
{
    std::vector<std::string> totals;
    for (std::size_t i = from; i < blocks.size(); ++i)
        totals.push_back(blocks[i].total);
    return totals.size() == 1 ? totals.front() : "CrossJoin(" + Join(totals, ", ") + ")";
}

//! The set of BLOCKS from K on. GRANDTOTAL: the axis shows grand totals, which the totals
//! block takes in when it is outermost (each total's grand total closes its own group).
std::string AxisSet(const std::vector<Block>& blocks, std::size_t k, bool grandTotal)
{
    if (k + 1 == blocks.size())
        return blocks[k].members;
    std::string inner = AxisSet(blocks, k + 1, grandTotal);
    const bool fieldSetInside = std::any_of(
        blocks.begin() + static_cast<std::ptrdiff_t>(k) + 1, blocks.end(), [](const Block& b) { return !b.isData; });
    if (fieldSetInside) {
        // A member's subtotal comes first, before the members of the field sets inside it.
        if (!blocks[k].isData && blocks[k].subtotals)
            inner = "{" + CrossTotals(blocks, k + 1) + ", " + inner + "}";
        else if (blocks[k].isData && k == 0 && grandTotal)
            inner = "{" + inner + ", " + CrossTotals(blocks, k + 1) + "}";
    }
    return "CrossJoin(" + blocks[k].members + ", " + inner + ")";
}

//! The set an axis keeps its non-empty lines against when shown-as totals are on it: the
//! total members of the field sets on the OTHER axis with the totals' own values JUDGEDBY, so
//! a line is kept where the values it shows something of are there.
std::string JudgingSet(const std::vector<Block>& other, const std::vector<std::string>& judgedBy)
{
    std::vector<std::string> parts;
    for (const Block& block : other) {
        if (!block.isData)
            parts.push_back(block.total);
    }
    parts.push_back("{" + Join(judgedBy, ", ") + "}");
    return parts.size() == 1 ? parts.front() : "CrossJoin(" + Join(parts, ", ") + ")";
}

//! The axis of BLOCKS. JUDGEDBY (the own values of the totals, when some are shown as
//! something else) decides which lines are empty, in place of the shown values: a difference
//! from the previous member is empty on the first, yet that line has values to show.
std::string Axis(const PivotDefinition& definition, const std::vector<Block>& blocks, bool grandTotal,
    const std::vector<Block>& other, const std::vector<std::string>& judgedBy)
{
    std::string set = AxisSet(blocks, 0, grandTotal);
    const bool hasFieldSet = std::any_of(blocks.begin(), blocks.end(), [](const Block& b) { return !b.isData; });
    if (grandTotal && hasFieldSet && !blocks.front().isData)
        set = "{" + set + ", " + CrossTotals(blocks, 0) + "}";
    if (!definition.nonEmpty)
        return set;
    if (!judgedBy.empty())
        return "NonEmpty(" + set + ", " + JudgingSet(other, judgedBy) + ")";
    return "NON EMPTY " + set;
}

//! The statement of DEFINITION, whose shown-as totals are expanded already; JUDGEDBY as for
//! Axis.
std::string Statement(const PivotDefinition& definition, const std::vector<std::string>& judgedBy);

} // namespace

std::string PivotMdxBuilder::ConditionText(const PivotConditionFilter& condition)
{
    using Kind = PivotConditionFilter::Kind;
    auto number = [](double v) {
        std::string text = std::isfinite(v) ? Number(v) : "?";
        return text;
    };
    switch (condition.kind) {
    case Kind::None:
        return {};
    case Kind::CaptionBeginsWith:
        return "caption begins with '" + condition.text + "'";
    case Kind::CaptionNotBeginsWith:
        return "caption does not begin with '" + condition.text + "'";
    case Kind::CaptionContains:
        return "caption contains '" + condition.text + "'";
    case Kind::CaptionNotContains:
        return "caption does not contain '" + condition.text + "'";
    case Kind::CaptionEquals:
        return "caption equals '" + condition.text + "'";
    case Kind::CaptionNotEquals:
        return "caption does not equal '" + condition.text + "'";
    case Kind::ValueGreater:
        return condition.byTotal + " greater than " + number(condition.value);
    case Kind::ValueLess:
        return condition.byTotal + " less than " + number(condition.value);
    case Kind::ValueBetween:
        return condition.byTotal + " between " + number(std::min(condition.value, condition.value2)) + " and "
            + number(std::max(condition.value, condition.value2));
    case Kind::ValueNotBetween:
        return condition.byTotal + " not between " + number(std::min(condition.value, condition.value2)) + " and "
            + number(std::max(condition.value, condition.value2));
    }
    return {};
}

std::string PivotMdxBuilder::TotalMemberName(const std::string& hierarchyUniqueName)
{
    return hierarchyUniqueName + "." + MdxNames::Quote(kTotalMemberName);
}

std::vector<PivotAxisBlock> PivotMdxBuilder::Blocks(const PivotDefinition& definition, AxisKind axis)
{
    std::vector<PivotAxisBlock> blocks;
    for (const PivotFieldSet& fieldSet : definition.Axis(axis)) {
        const int bands = static_cast<int>(fieldSet.IncludedFields().size());
        if (bands > 0)
            blocks.push_back({&fieldSet, bands});
    }
    if (definition.totalsAxis == axis && !definition.IncludedTotals().empty()) {
        const std::size_t position = definition.totalsPosition < 0
            ? blocks.size()
            : std::min(blocks.size(), static_cast<std::size_t>(definition.totalsPosition));
        blocks.insert(blocks.begin() + static_cast<std::ptrdiff_t>(position), PivotAxisBlock {nullptr, 1});
    }
    return blocks;
}

bool PivotMdxBuilder::RowsOnFirstAxis(const PivotDefinition& definition)
{
    return Blocks(definition, AxisKind::Column).empty();
}

std::string PivotMdxBuilder::Build(const PivotDefinition& definition)
{
    if (definition.IsRawQuery())
        return definition.commandText;
    if (!PivotShowAsMdx::Any(definition))
        return Statement(definition, {});
    // Totals shown as shares, differences or ranks become calculated totals of their own;
    // empty lines are still those where the totals' own values are empty.
    std::vector<std::string> judgedBy;
    for (const PivotTotal* total : definition.IncludedTotals())
        judgedBy.push_back(total->IsCalculated() ? total->BaseUniqueName() : CheckName(total->name, "total"));
    return Statement(PivotShowAsMdx::Expand(definition), judgedBy);
}

namespace {

std::string Statement(const PivotDefinition& definition, const std::vector<std::string>& judgedBy)
{
    if (definition.dataMember.empty())
        throw PivotError("the view names no cube (data member)");

    std::vector<std::string> with;
    for (const PivotTotal& total : definition.totals) {
        if (!total.IsCalculated())
            continue;
        if (total.name.empty())
            throw PivotError("a calculated total has no name");
        std::string member = "MEMBER " + total.UniqueName() + " AS " + QuoteString(total.expression);
        if (!total.numberFormat.empty())
            member += ", FORMAT_STRING = " + QuoteString(total.numberFormat);
        with.push_back(std::move(member));
    }
    for (const auto* axis : {&definition.columnAxis, &definition.rowAxis}) {
        for (const PivotFieldSet& fieldSet : *axis) {
            const auto included = fieldSet.IncludedFields();
            if (included.empty())
                continue;
            // The total counts only the members the filter keeps (Aggregate over members of one
            // hierarchy counts each stored row once).
            std::string kept = KeptMembers(fieldSet);
            // A top or bottom filter cuts the total as it cuts the axis (read on the same
            // totals of the other field sets); with a member filter as well, the member
            // filter's members make the total.
            if (kept.empty())
                kept = BaseMembers(fieldSet, OtherTotals(definition, &fieldSet, true));
            // The unfiltered total another field set's top or value filter reads.
            bool readByOthers = false;
            for (const auto* others : {&definition.rowAxis, &definition.columnAxis, &definition.filterAxis}) {
                for (const PivotFieldSet& other : *others)
                    readByOthers = readByOthers || (&other != &fieldSet && KeepsByValue(other));
            }
            if (readByOthers && KeepsByValue(fieldSet))
                with.push_back("MEMBER " + AllMemberName(fieldSet) + " AS "
                    + QuoteString("Aggregate(" + CheckName(included.front()->uniqueName, "field") + ".Members)"));
            // Quoted as a string: a name or a label filter's text with a quote in it stays inside.
            with.push_back("MEMBER " + PivotMdxBuilder::TotalMemberName(CheckName(fieldSet.uniqueName, "field set"))
                + " AS " + QuoteString("Aggregate(" + kept + ")"));
        }
    }

    std::vector<Block> columns = AxisBlocks(definition, AxisKind::Column);
    std::vector<Block> rows = AxisBlocks(definition, AxisKind::Row);
    bool columnGrand = definition.columnGrandTotals;
    // Without column blocks the rows go on the first axis: an MDX query has no second axis
    // without a first one.
    if (columns.empty()) {
        columns = std::move(rows);
        rows.clear();
        columnGrand = definition.rowGrandTotals;
    }

    std::string mdx;
    if (!with.empty())
        mdx = "WITH\n  " + Join(with, "\n  ") + "\n";
    mdx += "SELECT";
    if (!columns.empty())
        mdx += "\n  " + Axis(definition, columns, columnGrand, rows, judgedBy) + " ON COLUMNS";
    if (!rows.empty())
        mdx += ",\n  " + Axis(definition, rows, definition.rowGrandTotals, columns, judgedBy) + " ON ROWS";
    mdx += "\nFROM " + MdxNames::Quote(definition.dataMember);

    std::vector<std::string> slicer;
    for (const PivotFieldSet& fieldSet : definition.filterAxis) {
        std::string set = KeptMembers(fieldSet);
        if (set.empty() && (fieldSet.top.IsActive() || fieldSet.condition.IsActive())
            && !fieldSet.IncludedFields().empty())
            set = BaseMembers(fieldSet, OtherTotals(definition, &fieldSet, true));
        if (!set.empty())
            slicer.push_back(std::move(set));
    }
    if (!slicer.empty())
        mdx += "\nWHERE " + (slicer.size() == 1 ? slicer.front() : "CrossJoin(" + Join(slicer, ", ") + ")");
    return mdx;
}

} // namespace

} // namespace pivot
