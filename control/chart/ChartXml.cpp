#include "control/chart/ChartXml.h"

#include "control/chart/ChartError.h"
#include "control/chart/ChartTypeTable.h"

#include "control/pivot/model/ExcelXml.h"

#include <pugixml.hpp>

#include <charconv>
#include <cmath>
#include <sstream>

namespace chart {

namespace {

bool IsColour(const std::string& text)
{
    if (text.size() != 7 || text[0] != '#')
        return false;
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (!std::isxdigit(static_cast<unsigned char>(text[i])))
            return false;
    }
    return true;
}

class Reader {
public:
    Reader(std::string_view text, std::string prefix) : m_text(text), m_prefix(std::move(prefix)) { }

    [[noreturn]] void Fail(const pugi::xml_node& node, const std::string& message) const
    {
        throw ChartError("chart definition, " + pivot::ExcelXml::Where(m_text, node.offset_debug()) + ": " + message);
    }

    //! The local name of NODE when it is an element in the excel namespace, else "".
    std::string Local(const pugi::xml_node& node) const { return pivot::ExcelXml::Local(node, m_prefix); }

    int Integer(const pugi::xml_node& node, int low, int high) const
    {
        const std::string text = node.child_value();
        int value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low || value > high)
            Fail(node,
                "'" + text + "' in " + std::string(node.name()) + " is not a whole number from " + std::to_string(low)
                    + " to " + std::to_string(high));
        return value;
    }

    double FontSize(const pugi::xml_node& node) const
    {
        const std::string text = node.child_value();
        double value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)
            || value <= 0 || value > 1000)
            Fail(node, "'" + text + "' in " + std::string(node.name()) + " is not a font size from 0 to 1000");
        return value;
    }

    //! NODE as XML text with the excel prefix written as x.
    std::string Keep(const pugi::xml_node& node) const { return pivot::ExcelXml::Keep(node, m_prefix); }

    void ReadPalette(const pugi::xml_node& node, ChartDefinition& definition) const
    {
        std::size_t count = 0;
        for (pugi::xml_node child : node.children()) {
            if (Local(child) != "Entry")
                continue;
            const std::string colour = child.child_value();
            if (!IsColour(colour))
                Fail(child, "palette entry '" + colour + "' is not a colour such as #8080FF");
            if (count < definition.palette.size())
                definition.palette[count] = colour;
            ++count;
        }
        if (count != definition.palette.size())
            Fail(node,
                "the palette has " + std::to_string(count) + " entries, "
                    + std::to_string(ChartDefinition::kPaletteSize) + " expected");
    }

    ChartAxisFont ReadAxisFont(const pugi::xml_node& node) const
    {
        ChartAxisFont font;
        bool hasAxis = false;
        for (pugi::xml_node child : node.children()) {
            const std::string local = Local(child);
            if (local == "Axis") {
                const std::string axis = child.child_value();
                if (axis == "Category")
                    font.axis = ChartAxisFont::Axis::Category;
                else if (axis == "Value")
                    font.axis = ChartAxisFont::Axis::Value;
                else
                    Fail(child, "axis '" + axis + "' is neither Category nor Value");
                hasAxis = true;
            } else if (local == "Name") {
                font.name = child.child_value();
            } else if (local == "Size") {
                font.size = FontSize(child);
            }
        }
        if (!hasAxis)
            Fail(node, "an axis font names no x:Axis");
        return font;
    }

    ChartDefinition ReadSpace(const pugi::xml_node& space) const
    {
        ChartDefinition definition;
        definition.owcVersion.reset();
        bool hasPalette = false;
        for (pugi::xml_node child : space.children()) {
            const std::string local = Local(child);
            if (child.type() != pugi::node_element)
                continue;
            if (local == "OWCVersion") {
                definition.owcVersion = child.child_value();
            } else if (local == "Width") {
                definition.width = Integer(child, 1, 1000000);
            } else if (local == "Height") {
                definition.height = Integer(child, 1, 1000000);
            } else if (local == "Palette") {
                if (hasPalette)
                    Fail(child, "a second palette");
                ReadPalette(child, definition);
                hasPalette = true;
            } else if (local == "DefaultFont") {
                definition.defaultFont = child.child_value();
            } else if (local == "FontSize") {
                definition.fontSize = FontSize(child);
            } else if (local == "Sort") {
                const std::string order = child.child_value();
                if (order == "Ascending")
                    definition.sort = ChartSort::Ascending;
                else if (order == "Descending")
                    definition.sort = ChartSort::Descending;
                else
                    Fail(child, "sort order '" + order + "' is neither Ascending nor Descending");
            } else if (local == "Title") {
                definition.title = child.child_value();
            } else if (local == "ChartType") {
                const std::string name = child.child_value();
                const std::optional<ChartType> type = ChartTypeTable::FromName(name);
                if (!type)
                    Fail(child, "'" + name + "' is not a chart type");
                definition.type = *type;
            } else if (local == "HasLegend") {
                definition.hasLegend = true;
            } else if (local == "AxisFont") {
                ChartAxisFont font = ReadAxisFont(child);
                for (const ChartAxisFont& other : definition.axisFonts) {
                    if (other.axis == font.axis)
                        Fail(child, "a second font for the same axis");
                }
                definition.axisFonts.push_back(std::move(font));
            } else {
                definition.unknownElements.push_back(Keep(child));
            }
        }
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

std::string SizeText(double size)
{
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, size);
    return error == std::errc() ? std::string(buffer, end) : std::string("0");
}

} // namespace

ChartDefinition ChartXml::Read(std::string_view text)
{
    pugi::xml_document document;
    const pugi::xml_parse_result parsed
        = document.load_buffer(text.data(), text.size(), pivot::ExcelXml::kParseOptions);
    if (!parsed)
        throw ChartError(
            "chart definition, " + pivot::ExcelXml::Where(text, parsed.offset) + ": " + parsed.description());
    const pugi::xml_node root = document.document_element();
    if (!root)
        throw ChartError("the chart definition is empty");
    if (std::string(root.name()) != "xml")
        throw ChartError("not a chart definition: the root element is '" + std::string(root.name()) + "', not 'xml'");
    const std::string prefix = pivot::ExcelXml::NamespacePrefix(root);
    if (prefix.empty())
        throw ChartError("not a chart definition: the root element binds no prefix to " + std::string(kNamespace));
    Reader reader(text, prefix);
    pugi::xml_node space;
    for (pugi::xml_node child : root.children()) {
        const std::string local = reader.Local(child);
        if (local == "ChartSpace") {
            if (space)
                reader.Fail(child, "the definition holds a second chart space");
            space = child;
        } else if (local == "PivotTable") {
            reader.Fail(child, "the definition holds a pivot table, not a chart");
        }
    }
    if (!space)
        throw ChartError("not a chart definition: no " + prefix + ":ChartSpace element under 'xml'");
    return reader.ReadSpace(space);
}

std::string ChartXml::Write(const ChartDefinition& definition)
{
    pugi::xml_document document;
    pugi::xml_node root = document.append_child("xml");
    root.append_attribute("xmlns:x").set_value(kNamespace);
    pugi::xml_node space = root.append_child("x:ChartSpace");
    if (definition.owcVersion)
        AddText(space, "x:OWCVersion", *definition.owcVersion);
    AddText(space, "x:Width", std::to_string(definition.width));
    AddText(space, "x:Height", std::to_string(definition.height));
    pugi::xml_node palette = space.append_child("x:Palette");
    for (const std::string& colour : definition.palette)
        AddText(palette, "x:Entry", colour);
    AddText(space, "x:DefaultFont", definition.defaultFont);
    if (definition.fontSize > 0)
        AddText(space, "x:FontSize", SizeText(definition.fontSize));
    if (!definition.title.empty())
        AddText(space, "x:Title", definition.title);
    if (definition.type != ChartType::ColumnClustered)
        AddText(space, "x:ChartType", ChartTypeTable::Name(definition.type));
    if (definition.hasLegend)
        space.append_child("x:HasLegend");
    if (definition.sort != ChartSort::None)
        AddText(space, "x:Sort", definition.sort == ChartSort::Ascending ? "Ascending" : "Descending");
    for (const ChartAxisFont& font : definition.axisFonts) {
        pugi::xml_node node = space.append_child("x:AxisFont");
        AddText(node, "x:Axis", font.axis == ChartAxisFont::Axis::Category ? "Category" : "Value");
        if (!font.name.empty())
            AddText(node, "x:Name", font.name);
        if (font.size > 0)
            AddText(node, "x:Size", SizeText(font.size));
    }
    for (const std::string& kept : definition.unknownElements) {
        pugi::xml_document fragment;
        if (fragment.load_buffer(kept.data(), kept.size(), pivot::ExcelXml::kParseOptions))
            space.append_copy(fragment.document_element());
    }
    std::ostringstream out;
    document.save(out, " ", pugi::format_indent | pugi::format_no_declaration, pugi::encoding_utf8);
    return out.str();
}

std::string ChartXml::DefaultText()
{
    return Write(ChartDefinition());
}

} // namespace chart
