#include "olap/providers/spreadsheet/XlsxWorkbook.h"

#include "olap/providers/RelationalError.h"
#include "olap/providers/spreadsheet/SheetGrid.h"

#include <pugixml.hpp>
#include <unzip.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <map>
#include <optional>
#include <set>

namespace olap::providers {

using recordset::CellValue;

namespace {

constexpr std::size_t kMaxPartBytes = std::size_t {256} * 1024 * 1024;
constexpr std::size_t kMaxRows = 1'048'576;
constexpr std::size_t kMaxColumns = 16'384;

class Archive {
public:
    explicit Archive(const std::string& path) : m_path(path), m_zip(unzOpen64(path.c_str())) { }
    ~Archive()
    {
        if (m_zip)
            unzClose(m_zip);
    }
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    bool IsOpen() const { return m_zip != nullptr; }

    [[noreturn]] void Fail(const std::string& what) const
    {
        throw RelationalError(
            RelationalFailure::NotADatabase, "'" + m_path + "' cannot be read as an Excel workbook: " + what);
    }

    //! The unpacked part NAME, or nullopt when the archive has no such part.
    std::optional<std::string> Read(const std::string& name)
    {
        if (unzLocateFile(m_zip, name.c_str(), 2) != UNZ_OK)
            return std::nullopt;
        if (unzOpenCurrentFile(m_zip) != UNZ_OK)
            Fail("the part " + name + " cannot be unpacked");
        std::string data;
        char buffer[65536];
        int read;
        while ((read = unzReadCurrentFile(m_zip, buffer, sizeof buffer)) > 0) {
            if (data.size() + static_cast<std::size_t>(read) > kMaxPartBytes) {
                unzCloseCurrentFile(m_zip);
                Fail("the part " + name + " is larger than 256 MB");
            }
            data.append(buffer, static_cast<std::size_t>(read));
        }
        const int closed = unzCloseCurrentFile(m_zip);
        if (read < 0 || closed != UNZ_OK)
            Fail("the part " + name + " is damaged");
        return data;
    }

    pugi::xml_document ReadXml(const std::string& name, bool required)
    {
        pugi::xml_document document;
        const auto data = Read(name);
        if (!data) {
            if (required)
                Fail("the part " + name + " is missing");
            return document;
        }
        const pugi::xml_parse_result result = document.load_buffer(data->data(), data->size());
        if (!result)
            Fail("the part " + name + " is not well-formed XML (" + result.description() + " at byte "
                + std::to_string(result.offset) + ")");
        return document;
    }

private:
    std::string m_path;
    unzFile m_zip;
};

// Element and attribute names without their namespace prefix, since writers differ.
std::string_view LocalName(const char* name)
{
    const std::string_view text(name);
    const auto colon = text.rfind(':');
    return colon == std::string_view::npos ? text : text.substr(colon + 1);
}

pugi::xml_node Child(pugi::xml_node node, std::string_view name)
{
    for (pugi::xml_node child : node.children())
        if (child.type() == pugi::node_element && LocalName(child.name()) == name)
            return child;
    return {};
}

template <typename Visit> void Children(pugi::xml_node node, std::string_view name, Visit visit)
{
    for (pugi::xml_node child : node.children())
        if (child.type() == pugi::node_element && LocalName(child.name()) == name)
            visit(child);
}

pugi::xml_attribute Attribute(pugi::xml_node node, std::string_view name)
{
    for (pugi::xml_attribute attribute : node.attributes())
        if (LocalName(attribute.name()) == name)
            return attribute;
    return {};
}

// The text of a string item: its own <t>, or the <t> of each rich-text run (phonetic runs
// left out).
std::string StringItemText(pugi::xml_node item)
{
    std::string text;
    if (const pugi::xml_node t = Child(item, "t"))
        text += t.text().get();
    Children(item, "r", [&](pugi::xml_node run) {
        if (const pugi::xml_node t = Child(run, "t"))
            text += t.text().get();
    });
    return text;
}

bool IsDateFormatCode(std::string_view code)
{
    bool inQuotes = false, inBrackets = false;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(code[i])));
        if (inQuotes) {
            inQuotes = c != '"';
            continue;
        }
        if (inBrackets) {
            inBrackets = c != ']';
            continue;
        }
        if (c == '"')
            inQuotes = true;
        else if (c == '[')
            inBrackets = true;
        else if (c == '\\' || c == '_' || c == '*')
            ++i; // the next character is literal or padding
        else if (c == 'y' || c == 'm' || c == 'd' || c == 'h' || c == 's')
            return true;
        else if (c == ';')
            return false; // only the first section decides
    }
    return false;
}

bool IsBuiltinDateFormat(long id)
{
    return (id >= 14 && id <= 22) || (id >= 45 && id <= 47);
}

// Which cell styles (indexes into cellXfs) format numbers as dates.
std::vector<bool> DateStyles(Archive& archive)
{
    const pugi::xml_document styles = archive.ReadXml("xl/styles.xml", false);
    const pugi::xml_node root = styles.document_element();
    std::set<long> dateFormats;
    Children(Child(root, "numFmts"), "numFmt", [&](pugi::xml_node format) {
        if (IsDateFormatCode(Attribute(format, "formatCode").as_string()))
            dateFormats.insert(Attribute(format, "numFmtId").as_int(-1));
    });
    std::vector<bool> result;
    Children(Child(root, "cellXfs"), "xf", [&](pugi::xml_node xf) {
        const long id = Attribute(xf, "numFmtId").as_int(0);
        result.push_back(IsBuiltinDateFormat(id) || dateFormats.count(id) > 0);
    });
    return result;
}

// Parses a cell reference such as "AB12" into zero-based row and column.
bool ParseReference(std::string_view reference, std::size_t& row, std::size_t& column)
{
    std::size_t pos = 0, col = 0, r = 0;
    while (pos < reference.size() && std::isalpha(static_cast<unsigned char>(reference[pos]))) {
        col = col * 26 + static_cast<std::size_t>(std::toupper(static_cast<unsigned char>(reference[pos])) - 'A' + 1);
        if (col > kMaxColumns)
            return false;
        ++pos;
    }
    const std::size_t digits = pos;
    while (pos < reference.size() && std::isdigit(static_cast<unsigned char>(reference[pos]))) {
        r = r * 10 + static_cast<std::size_t>(reference[pos] - '0');
        if (r > kMaxRows)
            return false;
        ++pos;
    }
    if (col == 0 || pos == digits || r == 0 || pos != reference.size())
        return false;
    row = r - 1;
    column = col - 1;
    return true;
}

std::optional<double> ParseNumber(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

struct SharedContext {
    std::vector<std::string> strings;
    std::vector<bool> dateStyles;
};

CellValue ReadCell(Archive& archive, const SharedContext& shared, pugi::xml_node cell, const std::string& sheet)
{
    const std::string type = Attribute(cell, "t").as_string("n");
    const pugi::xml_node v = Child(cell, "v");
    const std::string text = v.text().get();
    if (type == "inlineStr")
        return CellValue(StringItemText(Child(cell, "is")));
    if (!v)
        return CellValue();
    if (type == "s") {
        const auto index = ParseNumber(text);
        if (!index || *index < 0 || *index >= static_cast<double>(shared.strings.size())
            || *index != std::floor(*index))
            archive.Fail("worksheet '" + sheet + "' refers to shared string " + text + ", which does not exist");
        return CellValue(shared.strings[static_cast<std::size_t>(*index)]);
    }
    if (type == "str")
        return CellValue(text);
    if (type == "b")
        return CellValue(text == "1" || text == "true");
    if (type == "e")
        return CellValue();
    if (type == "d") {
        if (const auto date = recordset::DateTime::Parse(text))
            return CellValue(*date);
        return CellValue(text);
    }
    const auto number = ParseNumber(text);
    if (!number)
        archive.Fail("worksheet '" + sheet + "' holds the number '" + text + "', which is not a number");
    const long style = Attribute(cell, "s").as_int(0);
    if (style >= 0 && static_cast<std::size_t>(style) < shared.dateStyles.size()
        && shared.dateStyles[static_cast<std::size_t>(style)]) {
        if (const auto date = recordset::DateTime::FromSerial(*number))
            return CellValue(*date);
    }
    return CellValue(*number);
}

Worksheet ReadSheet(Archive& archive, const SharedContext& shared, const std::string& name, const std::string& part)
{
    const pugi::xml_document document = archive.ReadXml(part, true);
    const pugi::xml_node data = Child(document.document_element(), "sheetData");
    SheetGrid grid;
    std::size_t nextRow = 0;
    Children(data, "row", [&](pugi::xml_node row) {
        std::size_t rowIndex = nextRow;
        if (const pugi::xml_attribute r = Attribute(row, "r")) {
            const unsigned long long number = r.as_ullong(0);
            if (number == 0 || number > kMaxRows)
                archive.Fail("worksheet '" + name + "' has a row numbered '" + r.value() + "'");
            rowIndex = static_cast<std::size_t>(number - 1);
        }
        std::size_t nextColumn = 0;
        Children(row, "c", [&](pugi::xml_node cell) {
            std::size_t cellRow = rowIndex, column = nextColumn;
            if (const pugi::xml_attribute reference = Attribute(cell, "r")) {
                if (!ParseReference(reference.value(), cellRow, column))
                    archive.Fail("worksheet '" + name + "' has a cell at '" + reference.value() + "'");
            }
            if (column >= kMaxColumns)
                archive.Fail("worksheet '" + name + "' has more than 16384 columns");
            grid.Set(cellRow, column, ReadCell(archive, shared, cell, name));
            nextColumn = column + 1;
        });
        nextRow = rowIndex + 1;
    });
    Worksheet sheet;
    sheet.name = name;
    sheet.rows = grid.Rows(name);
    return sheet;
}

// Resolves a relationship target against the folder of the workbook part.
std::string PartName(std::string target)
{
    if (!target.empty() && target.front() == '/')
        return target.substr(1);
    while (target.rfind("./", 0) == 0)
        target.erase(0, 2);
    return "xl/" + target;
}

} // namespace

std::vector<Worksheet> ReadXlsxWorkbook(const std::string& path)
{
    Archive archive(path);
    if (!archive.IsOpen())
        archive.Fail("it is not a zip archive, as .xlsx files are, or it is damaged");

    SharedContext shared;
    const pugi::xml_document strings = archive.ReadXml("xl/sharedStrings.xml", false);
    Children(
        strings.document_element(), "si", [&](pugi::xml_node item) { shared.strings.push_back(StringItemText(item)); });
    shared.dateStyles = DateStyles(archive);

    std::map<std::string, std::string> targets;
    const pugi::xml_document relations = archive.ReadXml("xl/_rels/workbook.xml.rels", false);
    Children(relations.document_element(), "Relationship", [&](pugi::xml_node relation) {
        targets[Attribute(relation, "Id").as_string()] = PartName(Attribute(relation, "Target").as_string());
    });

    const pugi::xml_document workbook = archive.ReadXml("xl/workbook.xml", true);
    std::vector<Worksheet> sheets;
    std::size_t position = 0;
    Children(Child(workbook.document_element(), "sheets"), "sheet", [&](pugi::xml_node sheet) {
        ++position;
        const std::string name = Attribute(sheet, "name").as_string();
        const auto target = targets.find(Attribute(sheet, "id").as_string());
        const std::string part
            = target != targets.end() ? target->second : "xl/worksheets/sheet" + std::to_string(position) + ".xml";
        if (name.empty())
            archive.Fail("worksheet " + std::to_string(position) + " has no name");
        sheets.push_back(ReadSheet(archive, shared, name, part));
    });
    if (sheets.empty())
        archive.Fail("the workbook lists no worksheets");
    return sheets;
}

} // namespace olap::providers
