#include "control/chart/ChartXml.h"

#include "control/chart/ChartError.h"
#include "control/chart/ChartTypeTable.h"

#include <pugixml.hpp>

#include <charconv>
#include <cmath>
#include <sstream>

namespace chart {

namespace {

// Values are kept exactly as read (no line-end folding), so a save never changes them.
constexpr unsigned kParseOptions = (pugi::parse_default & ~pugi::parse_eol) | pugi::parse_ws_pcdata_single;

//! Line and column (1-based) of byte OFFSET in TEXT.
std::string Where(std::string_view text, std::ptrdiff_t offset)
{
    int line = 1;
    int column = 1;
    for (std::ptrdiff_t i = 0; i < offset && i < static_cast<std::ptrdiff_t>(text.size()); ++i) {
        if (text[static_cast<std::size_t>(i)] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

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
        throw ChartError("chart definition, " + Where(m_text, node.offset_debug()) + ": " + message);
    }

    //! The local name of NODE when it is an element in the excel namespace, else "".
    std::string Local(const pugi::xml_node& node) const
    {
        if (node.type() != pugi::node_element)
            return {};
        const std::string name = node.name();
        if (name.size() > m_prefix.size() + 1 && name.compare(0, m_prefix.size(), m_prefix) == 0
            && name[m_prefix.size()] == ':')
            return name.substr(m_prefix.size() + 1);
        return {};
    }

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
    std::string Keep(const pugi::xml_node& node) const
    {
        pugi::xml_document copy;
        pugi::xml_node kept = copy.append_copy(node);
        if (m_prefix != "x") {
            std::vector<pugi::xml_node> pending {kept};
            while (!pending.empty()) {
                pugi::xml_node current = pending.back();
                pending.pop_back();
                const std::string local = Local(current);
                if (!local.empty())
                    current.set_name(("x:" + local).c_str());
                for (pugi::xml_node child : current.children())
                    pending.push_back(child);
            }
        }
        std::ostringstream out;
        kept.print(out, "", pugi::format_raw);
        return out.str();
    }

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
    const pugi::xml_parse_result parsed = document.load_buffer(text.data(), text.size(), kParseOptions);
    if (!parsed)
        throw ChartError("chart definition, " + Where(text, parsed.offset) + ": " + parsed.description());
    const pugi::xml_node root = document.document_element();
    if (!root)
        throw ChartError("the chart definition is empty");
    if (std::string(root.name()) != "xml")
        throw ChartError("not a chart definition: the root element is '" + std::string(root.name()) + "', not 'xml'");
    std::string prefix;
    for (pugi::xml_attribute attribute : root.attributes()) {
        const std::string name = attribute.name();
        if (name.rfind("xmlns:", 0) == 0 && std::string(attribute.value()) == kNamespace) {
            prefix = name.substr(6);
            break;
        }
    }
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
    if (!definition.title.empty())
        AddText(space, "x:Title", definition.title);
    if (definition.type != ChartType::ColumnClustered)
        AddText(space, "x:ChartType", ChartTypeTable::Name(definition.type));
    if (definition.hasLegend)
        space.append_child("x:HasLegend");
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
        if (fragment.load_buffer(kept.data(), kept.size(), kParseOptions))
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
