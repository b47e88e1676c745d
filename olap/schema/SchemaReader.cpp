#include "olap/schema/SchemaReader.h"

#include "olap/mdx/Parser.h"
#include "olap/util/MessageText.h"
#include "olap/util/NameUtil.h"
#include "olap/util/OlapError.h"
#include "olap/util/RegularFile.h"

#include <pugixml.hpp>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace olap {

const SchemaCube* SchemaDefinition::FindCube(const std::string& cubeName) const
{
    for (const SchemaCube& cube : cubes) {
        if (EqualsNoCase(cube.name, cubeName))
            return &cube;
    }
    return nullptr;
}

namespace {

class Reader {
public:
    explicit Reader(std::string_view xml) : m_xml(xml) { }

    SchemaDefinition Read();

private:
    [[noreturn]] void Fail(const pugi::xml_node& node, const std::string& what) const;
    std::string Describe(const pugi::xml_node& node) const;
    std::size_t LineOf(std::ptrdiff_t offset) const;
    std::string Attr(const pugi::xml_node& node, const char* name) const { return node.attribute(name).as_string(); }
    std::string Required(const pugi::xml_node& node, const char* name) const;
    bool Bool(const pugi::xml_node& node, const char* name, bool fallback) const;
    SchemaTable ReadTable(const pugi::xml_node& node) const;
    SchemaDimension ReadDimension(const pugi::xml_node& node, bool inCube) const;
    SchemaHierarchy ReadHierarchy(const pugi::xml_node& node, const std::string& dimension) const;
    SchemaLevel ReadLevel(const pugi::xml_node& node) const;
    SchemaProperty ReadProperty(const pugi::xml_node& node) const;
    std::string Type(const pugi::xml_node& node) const;
    SchemaCube ReadCube(
        const pugi::xml_node& node, const std::vector<std::pair<SchemaDimension, pugi::xml_node>>& shared) const;
    CalculatedDefinition ReadCalculated(const pugi::xml_node& node, bool isSet) const;

    std::string_view m_xml;
};

std::size_t Reader::LineOf(std::ptrdiff_t offset) const
{
    if (offset < 0)
        return 0;
    const auto end = std::min<std::size_t>(static_cast<std::size_t>(offset), m_xml.size());
    return 1
        + static_cast<std::size_t>(std::count(m_xml.begin(), m_xml.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
}

std::string Reader::Describe(const pugi::xml_node& node) const
{
    std::string text = "<" + std::string(node.name()) + ">";
    const char* name = node.attribute("name").as_string();
    if (*name)
        text += " '" + ShortForMessage(name) + "'";
    const std::size_t line = LineOf(node.offset_debug());
    if (line > 0)
        text += " (line " + std::to_string(line) + ")";
    return text;
}

void Reader::Fail(const pugi::xml_node& node, const std::string& what) const
{
    throw OlapError("invalid cube schema: " + Describe(node) + ": " + what);
}

std::string Reader::Required(const pugi::xml_node& node, const char* name) const
{
    pugi::xml_attribute attr = node.attribute(name);
    if (!attr)
        Fail(node, std::string("attribute '") + name + "' is missing");
    std::string value = attr.as_string();
    if (value.empty())
        Fail(node, std::string("attribute '") + name + "' is empty");
    return value;
}

bool Reader::Bool(const pugi::xml_node& node, const char* name, bool fallback) const
{
    pugi::xml_attribute attr = node.attribute(name);
    if (!attr)
        return fallback;
    const std::string value = attr.as_string();
    if (EqualsNoCase(value, "true"))
        return true;
    if (EqualsNoCase(value, "false"))
        return false;
    Fail(node, std::string("attribute '") + name + "' must be true or false, not '" + value + "'");
}

SchemaTable Reader::ReadTable(const pugi::xml_node& node) const
{
    SchemaTable table;
    table.name = Required(node, "name");
    table.schema = Attr(node, "schema");
    for (pugi::xml_node child : node.children()) {
        if (child.type() != pugi::node_element)
            continue;
        const std::string tag = child.name();
        if (tag == "SQL")
            Fail(child, "SQL filters on tables are not supported");
        if (tag != "Annotations" && tag != "AggExclude" && tag != "AggName" && tag != "AggPattern" && tag != "Hint")
            Fail(child, "unexpected element inside <Table>");
    }
    return table;
}

// The `type` attribute of a level or property, spelled as the schema language spells it.
std::string Reader::Type(const pugi::xml_node& node) const
{
    static const char* const kTypes[] = {"String", "Numeric", "Integer", "Boolean", "Date", "Time", "Timestamp"};
    const std::string type = Attr(node, "type");
    auto it = std::find_if(std::begin(kTypes), std::end(kTypes), [&](const char* t) { return EqualsNoCase(t, type); });
    if (it == std::end(kTypes))
        Fail(node,
            "attribute 'type' must be String, Numeric, Integer, Boolean, Date, Time or Timestamp, not '" + type + "'");
    return *it;
}

SchemaProperty Reader::ReadProperty(const pugi::xml_node& node) const
{
    SchemaProperty p;
    p.property.name = Required(node, "name");
    p.column = Required(node, "column");
    if (node.attribute("type"))
        p.property.type = Type(node);
    if (node.attribute("formatter"))
        Fail(node, "attribute 'formatter' (property formatters) is not supported");
    for (pugi::xml_node child : node.children()) {
        if (child.type() == pugi::node_element && std::string(child.name()) != "Annotations")
            Fail(child, "is not supported inside <Property> (use the column attribute)");
    }
    return p;
}

SchemaLevel Reader::ReadLevel(const pugi::xml_node& node) const
{
    SchemaLevel level;
    level.name = Required(node, "name");
    level.caption = Attr(node, "caption");
    for (pugi::xml_node child : node.children()) {
        if (child.type() != pugi::node_element)
            continue;
        const std::string tag = child.name();
        if (tag == "Property") {
            level.properties.push_back(ReadProperty(child));
            for (std::size_t i = 0; i + 1 < level.properties.size(); ++i) {
                if (EqualsNoCase(level.properties[i].property.name, level.properties.back().property.name))
                    Fail(child, "the level has another property of this name");
            }
            continue;
        }
        if (tag == "Annotations")
            continue;
        if (tag == "KeyExpression" || tag == "NameExpression" || tag == "CaptionExpression"
            || tag == "OrdinalExpression" || tag == "ParentExpression" || tag == "Closure" || tag == "MemberFormatter")
            Fail(child, "is not supported (use column attributes on the Level)");
        Fail(child, "unexpected element inside <Level>");
    }
    level.column = Required(node, "column");
    level.nameColumn = Attr(node, "nameColumn");
    level.captionColumn = Attr(node, "captionColumn");
    level.ordinalColumn = Attr(node, "ordinalColumn");
    if (node.attribute("type"))
        level.type = Type(node);
    level.uniqueMembers = Bool(node, "uniqueMembers", false);
    if (node.attribute("levelType")) {
        const std::string text = Attr(node, "levelType");
        auto type = ParseLevelType(text);
        if (!type || *type == LevelType::All || *type == LevelType::Measures)
            Fail(node, "attribute 'levelType' has the unknown value '" + text + "'");
        level.levelType = *type;
    }
    if (node.attribute("table"))
        Fail(node, "attribute 'table' (levels over joined tables) is not supported");
    if (node.attribute("parentColumn"))
        Fail(node, "parent-child hierarchies (attribute 'parentColumn') are not supported");
    return level;
}

SchemaHierarchy Reader::ReadHierarchy(const pugi::xml_node& node, const std::string& dimension) const
{
    SchemaHierarchy h;
    h.name = Attr(node, "name");
    h.caption = Attr(node, "caption");
    h.hasAll = Bool(node, "hasAll", true);
    h.allMemberName = Attr(node, "allMemberName");
    h.allMemberCaption = Attr(node, "allMemberCaption");
    h.primaryKey = Attr(node, "primaryKey");
    for (pugi::xml_node child : node.children()) {
        if (child.type() != pugi::node_element)
            continue;
        const std::string tag = child.name();
        if (tag == "Table") {
            if (h.table)
                Fail(child, "a hierarchy may have only one <Table>");
            h.table = ReadTable(child);
        } else if (tag == "Level") {
            SchemaLevel level = ReadLevel(child);
            for (const SchemaLevel& other : h.levels) {
                if (EqualsNoCase(other.name, level.name))
                    Fail(child, "a level of that name is already defined in dimension '" + dimension + "'");
            }
            h.levels.push_back(std::move(level));
        } else if (tag == "Join" || tag == "View" || tag == "InlineTable") {
            Fail(child, "is not supported as the source of a hierarchy (use one <Table>)");
        } else if (tag != "Annotations" && tag != "MemberReaderParameter") {
            Fail(child, "unexpected element inside <Hierarchy>");
        }
    }
    if (h.levels.empty())
        Fail(node, "the hierarchy of dimension '" + dimension + "' has no <Level>");
    if (h.table && h.primaryKey.empty())
        Fail(node, "attribute 'primaryKey' is missing (needed with a <Table>)");
    if (!h.hasAll && node.attribute("allMemberName"))
        h.allMemberName.clear();
    return h;
}

SchemaDimension Reader::ReadDimension(const pugi::xml_node& node, bool inCube) const
{
    SchemaDimension dim;
    dim.name = Required(node, "name");
    dim.caption = Attr(node, "caption");
    dim.foreignKey = Attr(node, "foreignKey");
    const std::string type = Attr(node, "type");
    if (type.empty() || type == "StandardDimension")
        dim.type = DimensionType::Standard;
    else if (type == "TimeDimension")
        dim.type = DimensionType::Time;
    else
        Fail(node, "attribute 'type' must be StandardDimension or TimeDimension, not '" + type + "'");
    bool seen = false;
    for (pugi::xml_node child : node.children()) {
        if (child.type() != pugi::node_element)
            continue;
        const std::string tag = child.name();
        if (tag == "Hierarchy") {
            if (seen)
                Fail(child, "dimension '" + dim.name + "' has more than one hierarchy, which is not supported");
            dim.hierarchy = ReadHierarchy(child, dim.name);
            seen = true;
        } else if (tag != "Annotations") {
            Fail(child, "unexpected element inside <Dimension>");
        }
    }
    if (!seen)
        Fail(node, "the dimension has no <Hierarchy>");
    if (inCube && dim.hierarchy.table && dim.foreignKey.empty())
        Fail(node, "attribute 'foreignKey' is missing (needed when the hierarchy has its own <Table>)");
    return dim;
}

CalculatedDefinition Reader::ReadCalculated(const pugi::xml_node& node, bool isSet) const
{
    CalculatedDefinition def;
    def.kind = isSet ? CalculatedDefinition::Kind::Set : CalculatedDefinition::Kind::Member;
    def.name = Required(node, "name");
    def.caption = Attr(node, "caption");
    def.formula = Attr(node, "formula");
    def.formatString = Attr(node, "formatString");
    if (!isSet) {
        def.hierarchy = Attr(node, "hierarchy");
        if (def.hierarchy.empty()) {
            const std::string dimension = Required(node, "dimension");
            def.hierarchy = dimension.front() == '[' ? dimension : BracketName(dimension);
        }
    }
    for (pugi::xml_node child : node.children()) {
        if (child.type() != pugi::node_element)
            continue;
        const std::string tag = child.name();
        if (tag == "Formula")
            def.formula = child.text().as_string();
        else if (tag == "CalculatedMemberProperty") {
            if (EqualsNoCase(Attr(child, "name"), "FORMAT_STRING"))
                def.formatString = Attr(child, "value");
        } else if (tag != "Annotations")
            Fail(child, std::string("unexpected element inside <") + node.name() + ">");
    }
    if (def.formula.empty())
        Fail(node, "no formula (attribute 'formula' or element <Formula>)");
    // A formula that does not parse would make every query of the cube fail, so the schema
    // is refused before a cube is built from it.
    if (const auto problem = SchemaReader::CheckFormula(def))
        Fail(node, *problem);
    return def;
}

SchemaCube Reader::ReadCube(
    const pugi::xml_node& node, const std::vector<std::pair<SchemaDimension, pugi::xml_node>>& shared) const
{
    SchemaCube cube;
    cube.name = Required(node, "name");
    cube.caption = Attr(node, "caption");
    cube.defaultMeasure = Attr(node, "defaultMeasure");
    bool hasTable = false;
    auto addDimension = [&](SchemaDimension dim, const pugi::xml_node& at) {
        if (EqualsNoCase(dim.name, "Measures"))
            Fail(at, "the name 'Measures' is reserved");
        for (const SchemaDimension& other : cube.dimensions) {
            if (EqualsNoCase(other.name, dim.name))
                Fail(at, "a dimension of that name is already defined in cube '" + cube.name + "'");
        }
        cube.dimensions.push_back(std::move(dim));
    };
    for (pugi::xml_node child : node.children()) {
        if (child.type() != pugi::node_element)
            continue;
        const std::string tag = child.name();
        if (tag == "Table") {
            if (hasTable)
                Fail(child, "a cube may have only one fact <Table>");
            cube.fact = ReadTable(child);
            hasTable = true;
        } else if (tag == "View" || tag == "InlineTable" || tag == "Join") {
            Fail(child, "is not supported as the fact table (use <Table>)");
        } else if (tag == "Dimension") {
            addDimension(ReadDimension(child, true), child);
        } else if (tag == "DimensionUsage") {
            const std::string source = Required(child, "source");
            auto it = std::find_if(shared.begin(), shared.end(),
                [&](const auto& entry) { return EqualsNoCase(entry.first.name, source); });
            if (it == shared.end())
                Fail(child, "no shared dimension '" + source + "' in the schema");
            SchemaDimension dim = it->first;
            dim.name = Attr(child, "name").empty() ? dim.name : Attr(child, "name");
            if (!Attr(child, "caption").empty())
                dim.caption = Attr(child, "caption");
            dim.foreignKey = Attr(child, "foreignKey");
            if (dim.hierarchy.table && dim.foreignKey.empty())
                Fail(child, "attribute 'foreignKey' is missing");
            if (child.attribute("level") || child.attribute("usagePrefix"))
                Fail(child, "attributes 'level' and 'usagePrefix' are not supported");
            addDimension(std::move(dim), child);
        } else if (tag == "Measure") {
            SchemaMeasure measure;
            measure.name = Required(child, "name");
            measure.caption = Attr(child, "caption");
            if (child.child("MeasureExpression"))
                Fail(child, "<MeasureExpression> is not supported (use attribute 'column')");
            measure.column = Required(child, "column");
            const std::string agg = Required(child, "aggregator");
            auto parsed = ParseAggregator(agg);
            if (!parsed)
                Fail(child,
                    "attribute 'aggregator' must be sum, count, min, max, avg or distinct-count, not '" + agg + "'");
            measure.aggregator = *parsed;
            measure.formatString = Attr(child, "formatString");
            for (const SchemaMeasure& other : cube.measures) {
                if (EqualsNoCase(other.name, measure.name))
                    Fail(child, "a measure of that name is already defined in cube '" + cube.name + "'");
            }
            for (pugi::xml_node inner : child.children()) {
                if (inner.type() == pugi::node_element && std::string(inner.name()) != "Annotations"
                    && std::string(inner.name()) != "CalculatedMemberProperty")
                    Fail(inner, "unexpected element inside <Measure>");
            }
            cube.measures.push_back(std::move(measure));
        } else if (tag == "CalculatedMember") {
            cube.calculated.push_back(ReadCalculated(child, false));
        } else if (tag == "NamedSet") {
            cube.calculated.push_back(ReadCalculated(child, true));
        } else if (tag != "Annotations") {
            Fail(child, "unexpected element inside <Cube>");
        }
    }
    if (!hasTable)
        Fail(node, "the cube has no fact <Table>");
    if (!cube.defaultMeasure.empty()) {
        auto it = std::find_if(cube.measures.begin(), cube.measures.end(),
            [&](const SchemaMeasure& m) { return EqualsNoCase(m.name, cube.defaultMeasure); });
        if (it == cube.measures.end())
            Fail(node, "defaultMeasure '" + cube.defaultMeasure + "' is not a measure of the cube");
    }
    return cube;
}

SchemaDefinition Reader::Read()
{
    pugi::xml_document doc;
    pugi::xml_parse_result parsed
        = doc.load_buffer(m_xml.data(), m_xml.size(), pugi::parse_default, pugi::encoding_auto);
    if (!parsed)
        throw OlapError("invalid cube schema: XML error at line " + std::to_string(LineOf(parsed.offset)) + ": "
            + parsed.description());
    pugi::xml_node root = doc.document_element();
    if (std::string(root.name()) != "Schema")
        throw OlapError("invalid cube schema: the root element is <" + std::string(root.name()) + ">, not <Schema>");
    SchemaDefinition schema;
    schema.name = Required(root, "name");
    std::vector<std::pair<SchemaDimension, pugi::xml_node>> shared;
    for (pugi::xml_node child : root.children()) {
        if (child.type() != pugi::node_element)
            continue;
        const std::string tag = child.name();
        if (tag == "Dimension") {
            SchemaDimension dim = ReadDimension(child, false);
            for (const auto& other : shared) {
                if (EqualsNoCase(other.first.name, dim.name))
                    Fail(child, "a shared dimension of that name is already defined");
            }
            shared.emplace_back(std::move(dim), child);
        }
    }
    for (pugi::xml_node child : root.children()) {
        if (child.type() != pugi::node_element)
            continue;
        const std::string tag = child.name();
        if (tag == "Cube") {
            SchemaCube cube = ReadCube(child, shared);
            if (schema.FindCube(cube.name))
                Fail(child, "a cube of that name is already defined");
            schema.cubes.push_back(std::move(cube));
        } else if (tag == "Dimension" || tag == "VirtualCube" || tag == "Role" || tag == "Parameter"
            || tag == "UserDefinedFunction" || tag == "Annotations" || tag == "NamedSet") {
            continue;
        } else {
            Fail(child, "unexpected element inside <Schema>");
        }
    }
    if (schema.cubes.empty())
        Fail(root, "the schema defines no <Cube>");
    return schema;
}

} // namespace

std::optional<std::string> SchemaReader::CheckFormula(const CalculatedDefinition& definition)
{
    const mdx::ParseResult<mdx::Expr> parsed = mdx::ParseExpression(definition.formula);
    if (parsed.Ok())
        return std::nullopt;
    return "the formula does not parse: " + parsed.error.message;
}

SchemaDefinition SchemaReader::Parse(std::string_view xml)
{
    return Reader(xml).Read();
}

SchemaDefinition SchemaReader::ReadFile(const std::string& path)
{
    // Looked at with stat first: reading a FIFO would wait for a writer.
    if (const auto notFile = RegularFile::Describe(path))
        throw OlapError("the cube schema '" + ShortForMessage(path) + "' " + *notFile);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw OlapError("cannot read the cube schema '" + ShortForMessage(path) + "'");
    std::ostringstream text;
    text << in.rdbuf();
    try {
        return Parse(text.str());
    } catch (const OlapError& e) {
        throw OlapError(ShortForMessage(path) + ": " + e.what());
    }
}

} // namespace olap
