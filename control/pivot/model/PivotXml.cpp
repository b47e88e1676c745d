#include "control/pivot/model/PivotXml.h"

#include "control/pivot/model/MdxNames.h"
#include "control/pivot/model/PivotError.h"

#include "control/pivot/model/ExcelXml.h"

#include <pugixml.hpp>

#include <charconv>
#include <cmath>
#include <sstream>
#include <utility>

namespace pivot {

namespace {

using ConditionKind = PivotConditionFilter::Kind;

//! The text forms of the label (x:LabelFilter) and value (x:ValueFilter) filter kinds.
constexpr std::pair<ConditionKind, const char*> kConditionNames[] = {
    {ConditionKind::CaptionBeginsWith, "BeginsWith"},
    {ConditionKind::CaptionNotBeginsWith, "NotBeginsWith"},
    {ConditionKind::CaptionContains, "Contains"},
    {ConditionKind::CaptionNotContains, "NotContains"},
    {ConditionKind::CaptionEquals, "Equals"},
    {ConditionKind::CaptionNotEquals, "NotEquals"},
    {ConditionKind::ValueGreater, "GreaterThan"},
    {ConditionKind::ValueLess, "LessThan"},
    {ConditionKind::ValueBetween, "Between"},
    {ConditionKind::ValueNotBetween, "NotBetween"},
};

std::string ConditionName(ConditionKind kind)
{
    for (const auto& [k, name] : kConditionNames) {
        if (k == kind)
            return name;
    }
    return {};
}

std::string FormatDouble(double value)
{
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : std::string("0");
}

class Reader {
public:
    Reader(std::string_view text, std::string prefix) : m_text(text), m_prefix(std::move(prefix)) { }

    [[noreturn]] void Fail(const pugi::xml_node& node, const std::string& message) const
    {
        throw PivotError("pivot definition, " + ExcelXml::Where(m_text, node.offset_debug()) + ": " + message);
    }

    //! The local name of NODE when it is an element in the excel namespace, else "".
    std::string Local(const pugi::xml_node& node) const { return ExcelXml::Local(node, m_prefix); }

    std::string Text(const pugi::xml_node& node) const { return node.child_value(); }

    void ReadStyle(const pugi::xml_node& node, const std::string& local, PivotTextStyle& style) const
    {
        if (const std::string why = style.Read(local, Text(node)); !why.empty())
            Fail(node, why);
    }

    int Integer(const pugi::xml_node& node) const
    {
        const std::string text = Text(node);
        int value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (text.empty() || error != std::errc() || end != text.data() + text.size())
            Fail(node, "'" + text + "' in " + std::string(node.name()) + " is not a whole number");
        return value;
    }

    double Real(const pugi::xml_node& node) const
    {
        const std::string text = Text(node);
        double value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
            Fail(node, "'" + text + "' in " + std::string(node.name()) + " is not a number");
        return value;
    }

    ConditionKind Condition(const pugi::xml_node& node, bool label) const
    {
        const std::string text = Text(node);
        for (const auto& [kind, name] : kConditionNames) {
            const bool isLabel = kind <= ConditionKind::CaptionNotEquals;
            if (text == name && isLabel == label)
                return kind;
        }
        Fail(node,
            (label ? "label filter '" : "value filter '") + text
                + (label ? "' is not BeginsWith, Contains, Equals or one of their Not forms"
                         : "' is not GreaterThan, LessThan, Between or NotBetween"));
    }

    std::string UniqueName(const pugi::xml_node& node) const
    {
        std::string text = Text(node);
        if (!MdxNames::IsUniqueName(text))
            Fail(node,
                "'" + text + "' in " + std::string(node.name()) + " is not a unique name such as [Dimension].[Member]");
        return text;
    }

    //! NODE as XML text with the excel prefix written as x.
    std::string Keep(const pugi::xml_node& node) const { return ExcelXml::Keep(node, m_prefix); }

    PivotField ReadField(const pugi::xml_node& node) const
    {
        PivotField field;
        bool named = false;
        for (pugi::xml_node child : node.children()) {
            const std::string local = Local(child);
            if (local == "Name") {
                field.uniqueName = UniqueName(child);
                named = true;
            } else if (local == "Caption") {
                field.caption = Text(child);
            } else if (local == "NotIncluded") {
                field.isIncluded = false;
            } else if (local == "Expanded") {
                field.isExpanded = true;
            }
        }
        if (!named)
            Fail(node, "a field has no x:Name");
        return field;
    }

    AxisKind ReadFieldSet(const pugi::xml_node& node, PivotFieldSet& fieldSet) const
    {
        std::optional<AxisKind> orientation;
        bool named = false;
        std::optional<PivotMemberFilter::Mode> filterMode;
        for (pugi::xml_node child : node.children()) {
            const std::string local = Local(child);
            if (local == "Name") {
                fieldSet.uniqueName = UniqueName(child);
                named = true;
            } else if (local == "Caption") {
                fieldSet.caption = Text(child);
            } else if (local == "Orientation") {
                const std::string text = Text(child);
                if (text == "Row")
                    orientation = AxisKind::Row;
                else if (text == "Column")
                    orientation = AxisKind::Column;
                else if (text == "Filter")
                    orientation = AxisKind::Filter;
                else
                    Fail(child, "orientation '" + text + "' is not Row, Column or Filter");
            } else if (local == "NoSubtotals") {
                fieldSet.subtotals = false;
            } else if (local == "Field") {
                fieldSet.fields.push_back(ReadField(child));
            } else if (local == "ExpandedMember") {
                fieldSet.expandedMembers.push_back(UniqueName(child));
            } else if (local == "CollapsedMember") {
                fieldSet.collapsedMembers.push_back(UniqueName(child));
            } else if (local == "FilterMode") {
                const std::string text = Text(child);
                if (text == "Include")
                    filterMode = PivotMemberFilter::Mode::Include;
                else if (text == "Exclude")
                    filterMode = PivotMemberFilter::Mode::Exclude;
                else
                    Fail(child, "filter mode '" + text + "' is not Include or Exclude");
            } else if (local == "FilterMember") {
                fieldSet.filter.members.push_back(UniqueName(child));
            } else if (local == "SortDirection") {
                const std::string text = Text(child);
                if (text == "Ascending")
                    fieldSet.sort.direction = SortDirection::Ascending;
                else if (text == "Descending")
                    fieldSet.sort.direction = SortDirection::Descending;
                else
                    Fail(child, "sort direction '" + text + "' is not Ascending or Descending");
            } else if (local == "SortBy") {
                fieldSet.sort.byTotal = Text(child);
            } else if (local == "TopBottom") {
                const std::string text = Text(child);
                if (text == "Top")
                    fieldSet.top.mode = PivotTopFilter::Mode::Top;
                else if (text == "Bottom")
                    fieldSet.top.mode = PivotTopFilter::Mode::Bottom;
                else
                    Fail(child, "top filter '" + text + "' is not Top or Bottom");
            } else if (local == "TopBottomCount") {
                fieldSet.top.count = Integer(child);
                if (fieldSet.top.count <= 0)
                    Fail(child, "a top or bottom filter keeps at least one member");
            } else if (local == "TopBottomBy") {
                fieldSet.top.byTotal = Text(child);
            } else if (PivotTextStyle::IsElement(local)) {
                ReadStyle(child, local, fieldSet.style);
            } else if (local == "LabelFilter" || local == "ValueFilter") {
                if (fieldSet.condition.kind != ConditionKind::None)
                    Fail(child, "field set " + fieldSet.uniqueName + " has a second label or value filter");
                fieldSet.condition.kind = Condition(child, local == "LabelFilter");
            } else if (local == "LabelFilterText") {
                fieldSet.condition.text = Text(child);
            } else if (local == "ValueFilterBy") {
                fieldSet.condition.byTotal = Text(child);
            } else if (local == "ValueFilterValue") {
                fieldSet.condition.value = Real(child);
            } else if (local == "ValueFilterValue2") {
                fieldSet.condition.value2 = Real(child);
            }
        }
        if (!named)
            Fail(node, "a field set has no x:Name");
        if (!orientation)
            Fail(node, "field set " + fieldSet.uniqueName + " has no x:Orientation");
        if (fieldSet.top.mode != PivotTopFilter::Mode::None && fieldSet.top.byTotal.empty())
            Fail(node, "field set " + fieldSet.uniqueName + " has a top or bottom filter without x:TopBottomBy");
        if (fieldSet.condition.IsValue() && fieldSet.condition.byTotal.empty())
            Fail(node, "field set " + fieldSet.uniqueName + " has a value filter without x:ValueFilterBy");
        if (filterMode)
            fieldSet.filter.mode = *filterMode;
        else if (!fieldSet.filter.members.empty())
            Fail(node, "field set " + fieldSet.uniqueName + " lists filter members without x:FilterMode");
        return *orientation;
    }

    PivotTotal ReadTotal(const pugi::xml_node& node) const
    {
        PivotTotal total;
        pugi::xml_node nameNode;
        for (pugi::xml_node child : node.children()) {
            const std::string local = Local(child);
            if (local == "Name") {
                total.name = Text(child);
                nameNode = child;
            } else if (local == "Caption") {
                total.caption = Text(child);
            } else if (local == "Expression") {
                total.expression = Text(child);
            } else if (local == "NumberFormat") {
                total.numberFormat = Text(child);
            } else if (local == "NotIncluded") {
                total.isIncluded = false;
            } else if (PivotTextStyle::IsElement(local)) {
                ReadStyle(child, local, total.style);
            } else if (PivotShowAs::IsElement(local)) {
                if (const std::string why = total.showAs.Read(local, Text(child)); !why.empty())
                    Fail(child, why);
            }
        }
        if (total.name.empty())
            Fail(node, "a total has no x:Name");
        if (const std::string why = total.showAs.Problem(); !why.empty())
            Fail(node, "total " + total.name + ": " + why);
        if (!total.IsCalculated() && !MdxNames::IsUniqueName(total.name))
            Fail(nameNode, "'" + total.name + "' is neither a measure's unique name nor a calculated total");
        return total;
    }

    PivotColorRule ReadColorRule(const pugi::xml_node& node) const
    {
        PivotColorRule rule;
        for (pugi::xml_node child : node.children()) {
            const std::string local = Local(child);
            std::string* color = local == "LowColor" ? &rule.lowColor
                : local == "MidColor"                ? &rule.midColor
                : local == "HighColor"               ? &rule.highColor
                : local == "BarColor"                ? &rule.barColor
                                                     : nullptr;
            if (local == "Total") {
                rule.total = Text(child);
            } else if (local == "Kind") {
                const std::string text = Text(child);
                if (text == "ColorScale2")
                    rule.kind = PivotColorRule::Kind::ColorScale2;
                else if (text == "ColorScale3")
                    rule.kind = PivotColorRule::Kind::ColorScale3;
                else if (text == "DataBar")
                    rule.kind = PivotColorRule::Kind::DataBar;
                else
                    Fail(child, "colour rule kind '" + text + "' is not ColorScale2, ColorScale3 or DataBar");
            } else if (color) {
                *color = Text(child);
                if (!PivotColorRule::ParseColor(*color))
                    Fail(
                        child, "'" + *color + "' in " + std::string(child.name()) + " is not a colour such as #63BE7B");
            } else if (local == "IncludeTotals") {
                rule.includeTotals = true;
            }
        }
        if (rule.total.empty())
            Fail(node, "a colour rule names no x:Total");
        return rule;
    }

    void ReadView(const pugi::xml_node& view, PivotDefinition& definition) const
    {
        definition.isNotFiltered = false;
        for (pugi::xml_node child : view.children()) {
            const std::string local = Local(child);
            if (local == "IsNotFiltered") {
                definition.isNotFiltered = true;
            } else if (local == "Title") {
                definition.titleCaption = Text(child);
            } else if (local == "CommandText") {
                definition.commandText = Text(child);
            } else if (local == "ShowEmptyMembers") {
                definition.nonEmpty = false;
            } else if (local == "NoRowGrandTotals") {
                definition.rowGrandTotals = false;
            } else if (local == "NoColumnGrandTotals") {
                definition.columnGrandTotals = false;
            } else if (local == "TotalsOrientation") {
                const std::string text = Text(child);
                if (text == "Row")
                    definition.totalsAxis = AxisKind::Row;
                else if (text == "Column")
                    definition.totalsAxis = AxisKind::Column;
                else
                    Fail(child, "totals orientation '" + text + "' is not Row or Column");
            } else if (local == "TotalsPosition") {
                definition.totalsPosition = Integer(child);
                if (definition.totalsPosition < -1)
                    Fail(child, "totals position " + Text(child) + " is below -1");
            } else if (local == "FieldSet") {
                PivotFieldSet fieldSet;
                const AxisKind axis = ReadFieldSet(child, fieldSet);
                if (definition.FindFieldSet(fieldSet.uniqueName))
                    Fail(child, "field set " + fieldSet.uniqueName + " is placed twice");
                definition.Axis(axis).push_back(std::move(fieldSet));
            } else if (local == "Total") {
                PivotTotal total = ReadTotal(child);
                if (definition.FindTotal(total.name))
                    Fail(child, "total " + total.name + " is defined twice");
                definition.totals.push_back(std::move(total));
            } else if (local == "ColorRule") {
                PivotColorRule rule = ReadColorRule(child);
                if (definition.FindColorRule(rule.total))
                    Fail(child, "total " + rule.total + " has a second colour rule");
                definition.colorRules.push_back(std::move(rule));
            } else if (child.type() == pugi::node_element) {
                definition.unknownViewElements.push_back(Keep(child));
            }
        }
    }

    PivotDefinition ReadTable(const pugi::xml_node& table) const
    {
        PivotDefinition definition;
        definition.display = PivotDisplayOptions::None();
        PivotDisplayOptions& display = definition.display;
        bool haveView = false;
        for (pugi::xml_node child : table.children()) {
            const std::string local = Local(child);
            if (local == "OWCVersion") {
                display.owcVersion = Text(child);
            } else if (local == "NoDisplayToolbar") {
                display.noDisplayToolbar = true;
            } else if (local == "DisplayScreenTips") {
                display.displayScreenTips = true;
            } else if (local == "NoAutoFit") {
                display.noAutoFit = true;
            } else if (local == "MaxHeight") {
                display.maxHeight = Integer(child);
            } else if (local == "MaxWidth") {
                display.maxWidth = Integer(child);
            } else if (local == "Height") {
                display.height = Integer(child);
            } else if (local == "Width") {
                display.width = Integer(child);
            } else if (local == "CubeProvider") {
                display.cubeProvider = Text(child);
            } else if (local == "CacheDetails") {
                display.cacheDetails = true;
            } else if (local == "ConnectionString") {
                definition.connectionString = Text(child);
            } else if (local == "DataMember") {
                definition.dataMember = Text(child);
            } else if (local == "PivotView") {
                if (haveView)
                    Fail(child, "the pivot table has a second x:PivotView");
                haveView = true;
                ReadView(child, definition);
            } else if (child.type() == pugi::node_element) {
                definition.unknownTableElements.push_back(Keep(child));
            }
        }
        if (!haveView)
            definition.isNotFiltered = false;
        return definition;
    }

private:
    std::string_view m_text;
    std::string m_prefix;
};

void AddText(pugi::xml_node parent, const char* name, const std::string& text)
{
    parent.append_child(name).append_child(pugi::node_pcdata).set_value(text.c_str());
}

void AddFlag(pugi::xml_node parent, const char* name, bool on)
{
    if (on)
        parent.append_child(name);
}

void AddKept(pugi::xml_node parent, const std::vector<std::string>& elements)
{
    for (const std::string& text : elements) {
        pugi::xml_document fragment;
        if (fragment.load_buffer(text.data(), text.size(), ExcelXml::kParseOptions))
            parent.append_copy(fragment.document_element());
    }
}

const char* OrientationName(AxisKind axis)
{
    switch (axis) {
    case AxisKind::Row:
        return "Row";
    case AxisKind::Column:
        return "Column";
    case AxisKind::Filter:
    case AxisKind::Data:
        break;
    }
    return "Filter";
}

void WriteStyle(pugi::xml_node node, const PivotTextStyle& style)
{
    for (const PivotTextStyle::Element& element : style.Elements()) {
        const std::string name = "x:" + element.name;
        if (element.flag)
            AddFlag(node, name.c_str(), true);
        else
            AddText(node, name.c_str(), element.text);
    }
}

void WriteFieldSet(pugi::xml_node view, const PivotFieldSet& fieldSet, AxisKind axis)
{
    pugi::xml_node node = view.append_child("x:FieldSet");
    AddText(node, "x:Name", fieldSet.uniqueName);
    if (!fieldSet.caption.empty())
        AddText(node, "x:Caption", fieldSet.caption);
    AddText(node, "x:Orientation", OrientationName(axis));
    AddFlag(node, "x:NoSubtotals", !fieldSet.subtotals);
    for (const PivotField& field : fieldSet.fields) {
        pugi::xml_node fieldNode = node.append_child("x:Field");
        AddText(fieldNode, "x:Name", field.uniqueName);
        if (!field.caption.empty())
            AddText(fieldNode, "x:Caption", field.caption);
        AddFlag(fieldNode, "x:NotIncluded", !field.isIncluded);
        AddFlag(fieldNode, "x:Expanded", field.isExpanded);
    }
    for (const std::string& member : fieldSet.expandedMembers)
        AddText(node, "x:ExpandedMember", member);
    for (const std::string& member : fieldSet.collapsedMembers)
        AddText(node, "x:CollapsedMember", member);
    if (fieldSet.filter.IsActive()) {
        AddText(node, "x:FilterMode", fieldSet.filter.mode == PivotMemberFilter::Mode::Include ? "Include" : "Exclude");
        for (const std::string& member : fieldSet.filter.members)
            AddText(node, "x:FilterMember", member);
    }
    if (fieldSet.sort.IsActive()) {
        AddText(
            node, "x:SortDirection", fieldSet.sort.direction == SortDirection::Ascending ? "Ascending" : "Descending");
        if (!fieldSet.sort.byTotal.empty())
            AddText(node, "x:SortBy", fieldSet.sort.byTotal);
    }
    if (fieldSet.top.IsActive()) {
        AddText(node, "x:TopBottom", fieldSet.top.mode == PivotTopFilter::Mode::Top ? "Top" : "Bottom");
        AddText(node, "x:TopBottomCount", std::to_string(fieldSet.top.count));
        AddText(node, "x:TopBottomBy", fieldSet.top.byTotal);
    }
    WriteStyle(node, fieldSet.style);
    const PivotConditionFilter& condition = fieldSet.condition;
    if (condition.IsLabel()) {
        AddText(node, "x:LabelFilter", ConditionName(condition.kind));
        AddText(node, "x:LabelFilterText", condition.text);
    } else if (condition.IsActive()) {
        AddText(node, "x:ValueFilter", ConditionName(condition.kind));
        AddText(node, "x:ValueFilterBy", condition.byTotal);
        AddText(node, "x:ValueFilterValue", FormatDouble(condition.value));
        if (condition.kind == ConditionKind::ValueBetween || condition.kind == ConditionKind::ValueNotBetween)
            AddText(node, "x:ValueFilterValue2", FormatDouble(condition.value2));
    }
}

} // namespace

PivotDefinition PivotXml::Read(std::string_view text)
{
    pugi::xml_document document;
    const pugi::xml_parse_result parsed
        = document.load_buffer(text.data(), text.size(), ExcelXml::kParseOptions, pugi::encoding_utf8);
    if (!parsed)
        throw PivotError("pivot definition, " + ExcelXml::Where(text, parsed.offset) + ": " + parsed.description());
    const pugi::xml_node root = document.document_element();
    if (!root)
        throw PivotError("the pivot definition is empty");
    if (std::string(root.name()) != "xml")
        throw PivotError(
            "not a pivot table definition: the root element is '" + std::string(root.name()) + "', not 'xml'");
    const std::string prefix = ExcelXml::NamespacePrefix(root);
    if (prefix.empty())
        throw PivotError(
            "not a pivot table definition: the root element binds no prefix to " + std::string(kNamespace));
    Reader reader(text, prefix);
    pugi::xml_node table;
    for (pugi::xml_node child : root.children()) {
        const std::string local = reader.Local(child);
        if (local == "PivotTable") {
            if (table)
                reader.Fail(child, "the definition holds a second pivot table");
            table = child;
        } else if (local == "ChartSpace") {
            reader.Fail(child, "the definition holds a chart, not a pivot table");
        }
    }
    if (!table)
        throw PivotError("not a pivot table definition: no " + prefix + ":PivotTable element under 'xml'");
    return reader.ReadTable(table);
}

std::string PivotXml::Write(const PivotDefinition& definition)
{
    pugi::xml_document document;
    pugi::xml_node root = document.append_child("xml");
    root.append_attribute("xmlns:x").set_value(kNamespace);
    pugi::xml_node table = root.append_child("x:PivotTable");
    const PivotDisplayOptions& display = definition.display;
    if (display.owcVersion)
        AddText(table, "x:OWCVersion", *display.owcVersion);
    AddFlag(table, "x:NoDisplayToolbar", display.noDisplayToolbar);
    AddFlag(table, "x:DisplayScreenTips", display.displayScreenTips);
    AddFlag(table, "x:NoAutoFit", display.noAutoFit);
    const std::pair<const char*, const std::optional<int>*> sizes[] = {{"x:MaxHeight", &display.maxHeight},
        {"x:MaxWidth", &display.maxWidth}, {"x:Height", &display.height}, {"x:Width", &display.width}};
    for (const auto& [name, value] : sizes) {
        if (*value)
            AddText(table, name, std::to_string(**value));
    }
    if (!definition.connectionString.empty())
        AddText(table, "x:ConnectionString", definition.connectionString);
    if (!definition.dataMember.empty())
        AddText(table, "x:DataMember", definition.dataMember);
    if (display.cubeProvider)
        AddText(table, "x:CubeProvider", *display.cubeProvider);
    AddFlag(table, "x:CacheDetails", display.cacheDetails);
    AddKept(table, definition.unknownTableElements);

    pugi::xml_node view = table.append_child("x:PivotView");
    AddFlag(view, "x:IsNotFiltered", definition.isNotFiltered);
    if (!definition.titleCaption.empty())
        AddText(view, "x:Title", definition.titleCaption);
    if (definition.IsRawQuery())
        AddText(view, "x:CommandText", definition.commandText);
    AddFlag(view, "x:ShowEmptyMembers", !definition.nonEmpty);
    AddFlag(view, "x:NoRowGrandTotals", !definition.rowGrandTotals);
    AddFlag(view, "x:NoColumnGrandTotals", !definition.columnGrandTotals);
    if (definition.totalsAxis == AxisKind::Row)
        AddText(view, "x:TotalsOrientation", "Row");
    if (definition.totalsPosition >= 0)
        AddText(view, "x:TotalsPosition", std::to_string(definition.totalsPosition));
    for (AxisKind axis : {AxisKind::Row, AxisKind::Column, AxisKind::Filter}) {
        for (const PivotFieldSet& fieldSet : definition.Axis(axis))
            WriteFieldSet(view, fieldSet, axis);
    }
    for (const PivotTotal& total : definition.totals) {
        pugi::xml_node node = view.append_child("x:Total");
        AddText(node, "x:Name", total.name);
        if (!total.caption.empty())
            AddText(node, "x:Caption", total.caption);
        if (!total.expression.empty())
            AddText(node, "x:Expression", total.expression);
        if (!total.numberFormat.empty())
            AddText(node, "x:NumberFormat", total.numberFormat);
        AddFlag(node, "x:NotIncluded", !total.isIncluded);
        WriteStyle(node, total.style);
        for (const auto& [local, text] : total.showAs.Elements())
            AddText(node, ("x:" + local).c_str(), text);
    }
    for (const PivotColorRule& rule : definition.colorRules) {
        pugi::xml_node node = view.append_child("x:ColorRule");
        AddText(node, "x:Total", rule.total);
        AddText(node, "x:Kind",
            rule.kind == PivotColorRule::Kind::ColorScale2       ? "ColorScale2"
                : rule.kind == PivotColorRule::Kind::ColorScale3 ? "ColorScale3"
                                                                 : "DataBar");
        AddText(node, "x:LowColor", rule.lowColor);
        AddText(node, "x:MidColor", rule.midColor);
        AddText(node, "x:HighColor", rule.highColor);
        AddText(node, "x:BarColor", rule.barColor);
        AddFlag(node, "x:IncludeTotals", rule.includeTotals);
    }
    AddKept(view, definition.unknownViewElements);

    std::ostringstream out;
    document.save(out, " ", pugi::format_indent | pugi::format_no_declaration, pugi::encoding_utf8);
    return out.str();
}

std::string PivotXml::DefaultText()
{
    return Write(PivotDefinition());
}

} // namespace pivot
