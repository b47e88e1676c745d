#include "olap/providers/xmla/XmlaResponseParser.h"

#include "olap/providers/xmla/XmlaAddress.h"
#include "olap/providers/xmla/XmlaServerError.h"

#include <pugixml.hpp>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <map>

namespace olap::providers::xmla {
namespace {

constexpr std::string_view kSoapNamespace = "http://schemas.xmlsoap.org/soap/envelope/";
constexpr std::string_view kXmlaNamespace = "urn:schemas-microsoft-com:xml-analysis";
constexpr std::size_t kMaxRowsetValues = std::size_t {1} << 23;
constexpr std::size_t kMaxShownText = 400;
//! Member properties an axis may list (each member keeps a value of each).
constexpr std::size_t kMaxProperties = 256;

// An XML element name with the characters XML names cannot hold written back: XMLA writes
// them as _xHHHH_ ("Store_x0020_Type" is "Store Type").
std::string DecodedXmlName(std::string_view name)
{
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        unsigned code = 0;
        bool escaped = name[i] == '_' && i + 6 < name.size() && name[i + 1] == 'x' && name[i + 6] == '_';
        for (std::size_t k = 2; escaped && k < 6; ++k) {
            const char c = name[i + k];
            const int digit = c >= '0' && c <= '9' ? c - '0'
                : c >= 'a' && c <= 'f'             ? c - 'a' + 10
                : c >= 'A' && c <= 'F'             ? c - 'A' + 10
                                                   : -1;
            escaped = digit >= 0;
            code = code * 16 + static_cast<unsigned>(digit < 0 ? 0 : digit);
        }
        if (!escaped) {
            out += name[i];
            continue;
        }
        // UTF-8 of the code unit (surrogate halves are kept as they come).
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
        i += 6;
    }
    return out;
}

std::string_view LocalName(const char* name)
{
    const std::string_view full(name);
    const std::size_t colon = full.find(':');
    return colon == std::string_view::npos ? full : full.substr(colon + 1);
}

std::string_view LocalName(const pugi::xml_node& node)
{
    return LocalName(node.name());
}

// The namespace an element's prefix is bound to, looked up through its ancestors.
std::string_view NamespaceOf(const pugi::xml_node& node)
{
    const std::string_view full(node.name());
    const std::size_t colon = full.find(':');
    const std::string attribute
        = colon == std::string_view::npos ? std::string("xmlns") : "xmlns:" + std::string(full.substr(0, colon));
    for (pugi::xml_node n = node; n; n = n.parent()) {
        if (const pugi::xml_attribute a = n.attribute(attribute.c_str()))
            return a.value();
    }
    return {};
}

pugi::xml_node Child(const pugi::xml_node& node, std::string_view localName)
{
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element && LocalName(child) == localName)
            return child;
    }
    return {};
}

// An attribute by local name, whatever its prefix (xsi:type, sql:field).
pugi::xml_attribute Attribute(const pugi::xml_node& node, std::string_view localName)
{
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
        if (LocalName(a.name()) == localName)
            return a;
    }
    return {};
}

std::string Shortened(std::string text)
{
    if (text.size() > kMaxShownText) {
        text.resize(kMaxShownText);
        text += "...";
    }
    return text;
}

// Readable text of an error page: tags dropped, white space collapsed.
std::string PlainText(std::string_view body)
{
    std::string out;
    bool inTag = false;
    bool space = false;
    for (const char c : body) {
        if (c == '<') {
            inTag = true;
            space = true;
        } else if (c == '>') {
            inTag = false;
        } else if (!inTag) {
            if (c == ' ' || c == '\n' || c == '\r' || c == '\t') {
                space = true;
            } else {
                if (space && !out.empty())
                    out += ' ';
                space = false;
                out += c;
            }
        }
        if (out.size() > kMaxShownText)
            break;
    }
    return Shortened(out);
}

std::string TrimmedText(const pugi::xml_node& node)
{
    std::string text = node.child_value();
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::string ShortestNumber(double value)
{
    std::array<char, 32> buffer {};
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return ec == std::errc() ? std::string(buffer.data(), end) : std::string();
}

std::optional<double> ParseNumber(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\n' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\n' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

template <typename Integer> std::optional<Integer> ParseInteger(std::string_view text)
{
    Integer value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

void AppendUtf8(std::string& out, unsigned long code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// An element name with the XML name escapes (_x0020_ for a space) decoded.
std::string DecodedName(std::string_view name)
{
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '_' && i + 6 < name.size() && name[i + 1] == 'x') {
            const std::size_t close = name.find('_', i + 2);
            const std::size_t digits = close == std::string_view::npos ? 0 : close - i - 2;
            unsigned long code = 0;
            if (digits == 4 || digits == 8) {
                const char* first = name.data() + i + 2;
                const auto [ptr, ec] = std::from_chars(first, first + digits, code, 16);
                if (ec == std::errc() && ptr == first + digits && code <= 0x10FFFF && code != 0) {
                    AppendUtf8(out, code);
                    i = close;
                    continue;
                }
            }
        }
        out += name[i];
    }
    return out;
}

std::string HierarchyUniqueName(std::string_view name)
{
    if (name.empty() || name.front() == '[')
        return std::string(name);
    std::string out = "[";
    for (const char c : name) {
        out += c;
        if (c == ']')
            out += ']';
    }
    return out + "]";
}

// The bracketed parts of a unique name ("[Time].[2023].[Q1]" -> Time, 2023, Q1).
std::vector<std::string> NameParts(std::string_view uniqueName)
{
    std::vector<std::string> parts;
    bool inside = false;
    for (std::size_t i = 0; i < uniqueName.size(); ++i) {
        const char c = uniqueName[i];
        if (!inside) {
            if (c == '[') {
                inside = true;
                parts.emplace_back();
            }
        } else if (c == ']') {
            if (i + 1 < uniqueName.size() && uniqueName[i + 1] == ']') {
                parts.back() += ']';
                ++i;
            } else {
                inside = false;
            }
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

// Calls VISIT for every element below NODE, in document order, without recursion.
template <typename Visit> void ForEachDescendant(const pugi::xml_node& node, Visit visit)
{
    pugi::xml_node n = node.first_child();
    while (n) {
        if (n.type() == pugi::node_element)
            visit(n);
        if (n.first_child()) {
            n = n.first_child();
            continue;
        }
        while (n && n != node && !n.next_sibling())
            n = n.parent();
        if (!n || n == node)
            break;
        n = n.next_sibling();
    }
}

std::string FaultText(const pugi::xml_node& fault)
{
    std::string text = TrimmedText(Child(fault, "faultstring"));
    if (text.empty())
        text = TrimmedText(Child(Child(fault, "Reason"), "Text"));
    std::vector<std::string> details;
    ForEachDescendant(Child(fault, "detail"), [&](const pugi::xml_node& node) {
        std::string detail;
        if (const pugi::xml_attribute description = node.attribute("Description"))
            detail = description.value();
        else if (LocalName(node) == "desc" || LocalName(node) == "Description")
            detail = TrimmedText(node);
        if (!detail.empty() && detail != text && std::find(details.begin(), details.end(), detail) == details.end())
            details.push_back(detail);
    });
    for (const std::string& detail : details)
        text += (text.empty() ? "" : ": ") + detail;
    return Shortened(text.empty() ? std::string("no description") : text);
}

} // namespace

struct XmlaResponseParser::Impl {
    pugi::xml_document document;
    pugi::xml_node result; // the element inside <return>
    std::string sessionId;
    std::string server;

    [[noreturn]] void Fail(const std::string& what) const
    {
        throw OlapError("The answer of the OLAP server '" + server + "' " + what);
    }
    //! PROPERTIES: the element names of the axis' member properties (DIMENSION PROPERTIES);
    //! the member gets one value per name, "" where its element is missing.
    CellSet::Member ReadMember(const pugi::xml_node& node, const std::vector<std::string>& properties) const;
    std::vector<std::vector<CellSet::Member>> ReadSet(
        const pugi::xml_node& node, const std::vector<std::string>& properties) const;
};

XmlaResponseParser::XmlaResponseParser(const HttpResponse& response, std::string_view server)
    : m_impl(std::make_unique<Impl>())
{
    Impl& d = *m_impl;
    d.server = RedactedAddress(server);
    const bool httpError = response.status < 200 || response.status >= 300;
    const std::string statusText = "HTTP " + std::to_string(response.status);
    if (response.status == 401 || response.status == 403)
        throw OlapError("The OLAP server '" + d.server + "' refused the user name or password (" + statusText
            + (PlainText(response.body).empty() ? std::string() : ": " + PlainText(response.body)) + ")");

    const pugi::xml_parse_result parsed = d.document.load_buffer(response.body.data(), response.body.size(),
        pugi::parse_default & ~pugi::parse_wconv_attribute, pugi::encoding_auto);
    if (!parsed) {
        if (httpError)
            throw OlapError("The OLAP server '" + d.server + "' answered with an error (" + statusText
                + (PlainText(response.body).empty() ? std::string() : ": " + PlainText(response.body)) + ")");
        const std::string_view body = response.body;
        const std::size_t end = body.find_last_not_of(" \t\r\n");
        if (body.empty() || end == std::string_view::npos)
            d.Fail("is empty");
        const std::size_t start = body.find_first_not_of(" \t\r\n");
        if (body[start] != '<' && body.substr(start, 3) != "\xEF\xBB\xBF")
            d.Fail("is not XMLA: it is not XML at all (it starts with '" + PlainText(body.substr(start, 40)) + "')");
        if (parsed.status == pugi::status_no_document_element || static_cast<std::size_t>(parsed.offset) >= end)
            d.Fail("ends early (" + std::to_string(body.size()) + " bytes): the answer was cut short");
        d.Fail("is not XMLA: it is not well-formed XML (" + std::string(parsed.description()) + " at byte "
            + std::to_string(parsed.offset) + ")");
    }

    const pugi::xml_node envelope = d.document.document_element();
    if (LocalName(envelope) != "Envelope" || NamespaceOf(envelope) != kSoapNamespace) {
        if (httpError)
            throw OlapError("The OLAP server '" + d.server + "' answered with an error (" + statusText + ": "
                + PlainText(response.body) + ")");
        d.Fail("is not XMLA: it starts with <" + Shortened(envelope.name()) + "> in namespace '"
            + Shortened(std::string(NamespaceOf(envelope))) + "' instead of a SOAP envelope");
    }
    const pugi::xml_node body = Child(envelope, "Body");
    if (const pugi::xml_node fault = Child(body, "Fault")) {
        std::string code = TrimmedText(Child(fault, "faultcode"));
        code = std::string(LocalName(code.c_str()));
        throw XmlaServerError("The OLAP server '" + d.server + "' reported an error: " + FaultText(fault)
                + (httpError ? " (" + statusText + ")" : std::string()),
            code);
    }
    if (httpError)
        throw OlapError("The OLAP server '" + d.server + "' answered with an error (" + statusText + ": "
            + PlainText(response.body) + ")");
    if (!body)
        d.Fail("is not XMLA: its SOAP envelope has no body");

    if (const pugi::xml_node header = Child(envelope, "Header")) {
        if (const pugi::xml_node session = Child(header, "Session"))
            d.sessionId = Attribute(session, "SessionId").value();
    }
    pugi::xml_node answer;
    for (pugi::xml_node child = body.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element) {
            answer = child;
            break;
        }
    }
    const std::string_view answerName = answer ? LocalName(answer) : std::string_view();
    if (answerName != "DiscoverResponse" && answerName != "ExecuteResponse")
        d.Fail("is not XMLA: its SOAP body holds <" + Shortened(answer ? answer.name() : "nothing")
            + "> instead of a Discover or Execute response");
    if (NamespaceOf(answer) != kXmlaNamespace)
        d.Fail("is not XMLA: its " + std::string(answerName) + " is in namespace '"
            + Shortened(std::string(NamespaceOf(answer))) + "' instead of '" + std::string(kXmlaNamespace) + "'");
    const pugi::xml_node ret = Child(answer, "return");
    d.result = Child(ret, "root");
    if (!d.result)
        d.Fail("holds no result (no <return><root> in its " + std::string(answerName) + ")");

    // Errors inside a result (Exception / Messages) stand for a failed request.
    if (const pugi::xml_node messages = Child(d.result, "Messages")) {
        std::string text;
        for (pugi::xml_node error = messages.first_child(); error; error = error.next_sibling()) {
            if (LocalName(error) != "Error")
                continue;
            const std::string description = error.attribute("Description").value();
            text += (text.empty() ? "" : "; ") + (description.empty() ? std::string("unknown error") : description);
        }
        if (!text.empty())
            throw XmlaServerError("The OLAP server '" + d.server + "' reported an error: " + Shortened(text), "Server");
    }
}

XmlaResponseParser::~XmlaResponseParser() = default;

const std::string& XmlaResponseParser::SessionId() const
{
    return m_impl->sessionId;
}

CellSet::Member XmlaResponseParser::Impl::ReadMember(
    const pugi::xml_node& node, const std::vector<std::string>& properties) const
{
    CellSet::Member member;
    member.properties.resize(properties.size());
    member.hierarchyUniqueName = HierarchyUniqueName(node.attribute("Hierarchy").value());
    for (pugi::xml_node field = node.first_child(); field; field = field.next_sibling()) {
        const std::string_view name = LocalName(field);
        if (name == "UName")
            member.uniqueName = field.child_value();
        else if (name == "Caption")
            member.caption = field.child_value();
        else if (name == "LName")
            member.levelUniqueName = field.child_value();
        else if (name == "LNum")
            member.levelDepth = ParseInteger<int>(TrimmedText(field)).value_or(0);
        else if (name == "DisplayInfo")
            member.childCount = ParseInteger<unsigned long>(TrimmedText(field)).value_or(0) & 0xFFFF;
        else if (name == "PARENT_UNIQUE_NAME")
            member.parentUniqueName = field.child_value();
        else if (name == "MEMBER_NAME")
            member.name = field.child_value();
        else if (name == "CHILDREN_CARDINALITY")
            member.childCount = ParseInteger<std::size_t>(TrimmedText(field)).value_or(member.childCount);
        if (const auto p = std::find(properties.begin(), properties.end(), name); p != properties.end())
            member.properties[static_cast<std::size_t>(p - properties.begin())] = field.child_value();
    }
    if (member.uniqueName.empty())
        Fail("holds a member without a unique name (UName)");
    if (member.name.empty()) {
        const std::vector<std::string> parts = NameParts(member.uniqueName);
        member.name = parts.empty() ? member.uniqueName : parts.back();
    }
    if (member.caption.empty())
        member.caption = member.name;
    if (member.hierarchyUniqueName.empty()) {
        const std::vector<std::string> parts = NameParts(member.uniqueName);
        if (!parts.empty())
            member.hierarchyUniqueName = HierarchyUniqueName(parts.front());
    }
    return member;
}

// The positions of a Tuples, Members or CrossProduct element.
std::vector<std::vector<CellSet::Member>> XmlaResponseParser::Impl::ReadSet(
    const pugi::xml_node& node, const std::vector<std::string>& properties) const
{
    std::vector<std::vector<CellSet::Member>> positions;
    const std::string_view kind = LocalName(node);
    if (kind == "Tuples") {
        for (pugi::xml_node tuple = node.first_child(); tuple; tuple = tuple.next_sibling()) {
            if (LocalName(tuple) != "Tuple")
                continue;
            std::vector<CellSet::Member>& members = positions.emplace_back();
            for (pugi::xml_node m = tuple.first_child(); m; m = m.next_sibling()) {
                if (LocalName(m) == "Member")
                    members.push_back(ReadMember(m, properties));
            }
        }
    } else if (kind == "Members") {
        for (pugi::xml_node m = node.first_child(); m; m = m.next_sibling()) {
            if (LocalName(m) == "Member")
                positions.push_back({ReadMember(m, properties)});
        }
    } else if (kind == "CrossProduct") {
        positions.emplace_back();
        for (pugi::xml_node part = node.first_child(); part; part = part.next_sibling()) {
            if (LocalName(part) != "Members" && LocalName(part) != "Tuples")
                continue;
            const auto factor = ReadSet(part, properties);
            if (!factor.empty() && positions.size() > kMaxCells / factor.size())
                Fail("holds an axis with more than " + std::to_string(kMaxCells) + " positions");
            std::vector<std::vector<CellSet::Member>> product;
            product.reserve(positions.size() * factor.size());
            for (const auto& left : positions) {
                for (const auto& right : factor) {
                    std::vector<CellSet::Member>& tuple = product.emplace_back(left);
                    tuple.insert(tuple.end(), right.begin(), right.end());
                }
            }
            positions = std::move(product);
        }
    }
    return positions;
}

CellSet XmlaResponseParser::ToCellSet() const
{
    const Impl& d = *m_impl;
    const pugi::xml_node olapInfo = Child(d.result, "OlapInfo");
    const pugi::xml_node axesNode = Child(d.result, "Axes");
    if (!olapInfo && !axesNode)
        d.Fail("holds no multidimensional data set (no OlapInfo or Axes): the server sent "
            + std::string(Child(d.result, "row") ? "a rowset" : "something else"));
    CellSet cellSet;
    cellSet.cubeName = TrimmedText(Child(Child(Child(olapInfo, "CubeInfo"), "Cube"), "CubeName"));

    std::map<std::string, std::vector<std::string>> hierarchiesByAxis;
    // The member properties of each axis beyond the ones every member has (DIMENSION
    // PROPERTIES), by element name, each once: a property asked for without a hierarchy is
    // listed under each hierarchy of the axis.
    std::map<std::string, std::vector<std::string>> propertiesByAxis;
    for (pugi::xml_node info = Child(olapInfo, "AxesInfo").first_child(); info; info = info.next_sibling()) {
        if (LocalName(info) != "AxisInfo")
            continue;
        std::vector<std::string>& names = hierarchiesByAxis[info.attribute("name").value()];
        std::vector<std::string>& properties = propertiesByAxis[info.attribute("name").value()];
        for (pugi::xml_node h = info.first_child(); h; h = h.next_sibling()) {
            if (LocalName(h) != "HierarchyInfo")
                continue;
            names.push_back(HierarchyUniqueName(h.attribute("name").value()));
            for (pugi::xml_node p = h.first_child(); p; p = p.next_sibling()) {
                const std::string name(LocalName(p));
                if (p.type() != pugi::node_element || name == "UName" || name == "Caption" || name == "LName"
                    || name == "LNum" || name == "DisplayInfo")
                    continue;
                if (std::find(properties.begin(), properties.end(), name) == properties.end()) {
                    if (properties.size() >= kMaxProperties)
                        d.Fail("lists more than " + std::to_string(kMaxProperties) + " member properties on an axis");
                    properties.push_back(name);
                }
            }
        }
    }
    static const std::vector<std::string> kNoProperties;

    std::map<int, CellSet::Axis> axes;
    for (pugi::xml_node axisNode = axesNode.first_child(); axisNode; axisNode = axisNode.next_sibling()) {
        if (LocalName(axisNode) != "Axis")
            continue;
        const std::string name = axisNode.attribute("name").value();
        CellSet::Axis axis;
        const auto listed = propertiesByAxis.find(name);
        const std::vector<std::string>& properties = listed == propertiesByAxis.end() ? kNoProperties : listed->second;
        for (const std::string& p : properties)
            axis.properties.push_back(DecodedXmlName(p));
        for (pugi::xml_node set = axisNode.first_child(); set; set = set.next_sibling()) {
            if (set.type() != pugi::node_element)
                continue;
            auto positions = d.ReadSet(set, properties);
            if (axis.positions.size() + positions.size() > kMaxCells)
                d.Fail("holds an axis with more than " + std::to_string(kMaxCells) + " positions");
            for (const std::vector<CellSet::Member>& position : positions)
                axis.positions.push_back(position);
        }
        if (const auto info = hierarchiesByAxis.find(name); info != hierarchiesByAxis.end())
            axis.hierarchies = info->second;
        else if (!axis.positions.empty())
            for (const CellSet::Member& m : axis.positions.front())
                axis.hierarchies.push_back(m.hierarchyUniqueName);
        for (const auto& tuple : axis.positions) {
            if (tuple.size() != axis.positions.front().size())
                d.Fail("holds axis '" + Shortened(name) + "' whose tuples differ in size");
        }
        if (name == "SlicerAxis") {
            axis.ordinal = -1;
            cellSet.slicer = std::move(axis);
            continue;
        }
        const std::optional<int> ordinal
            = name.rfind("Axis", 0) == 0 ? ParseInteger<int>(std::string_view(name).substr(4)) : std::nullopt;
        if (!ordinal || *ordinal < 0 || *ordinal > 127 || axes.count(*ordinal))
            d.Fail("holds an axis named '" + Shortened(name) + "' (expected Axis0, Axis1, ... once each)");
        axis.ordinal = *ordinal;
        axes.emplace(*ordinal, std::move(axis));
    }
    std::size_t cellCount = 1;
    for (auto& [ordinal, axis] : axes) {
        if (ordinal != static_cast<int>(cellSet.axes.size()))
            d.Fail("lacks axis Axis" + std::to_string(cellSet.axes.size()));
        const std::size_t size = axis.positions.size();
        if (size != 0 && cellCount > kMaxCells / size)
            d.Fail("holds more than " + std::to_string(kMaxCells) + " cells; narrow the query");
        cellCount *= size;
        cellSet.axes.push_back(std::move(axis));
    }
    // A slicer with one empty tuple stands for no WHERE clause.
    if (cellSet.slicer.positions.size() == 1 && cellSet.slicer.positions.front().empty())
        cellSet.slicer.positions.clear();
    cellSet.cells.resize(cellCount);

    for (pugi::xml_node cell = Child(d.result, "CellData").first_child(); cell; cell = cell.next_sibling()) {
        if (LocalName(cell) != "Cell")
            continue;
        const std::optional<std::size_t> ordinal = ParseInteger<std::size_t>(cell.attribute("CellOrdinal").value());
        if (!ordinal || *ordinal >= cellCount)
            d.Fail("holds a cell with ordinal '" + Shortened(cell.attribute("CellOrdinal").value())
                + "' outside the cell set of " + std::to_string(cellCount) + " cells");
        CellSet::Cell& out = cellSet.cells[*ordinal];
        out = {};
        bool hasFormatted = false;
        for (pugi::xml_node field = cell.first_child(); field; field = field.next_sibling()) {
            const std::string_view name = LocalName(field);
            if (name == "FmtValue") {
                out.formatted = field.child_value();
                hasFormatted = true;
            } else if (name == "Value") {
                if (std::strcmp(Attribute(field, "nil").value(), "true") == 0)
                    continue;
                if (const pugi::xml_node error = Child(field, "Error")) {
                    out.text = "#Error";
                    out.formatted = TrimmedText(Child(error, "Description"));
                    hasFormatted = true;
                    continue;
                }
                const std::string_view type = LocalName(Attribute(field, "type").value());
                const char* text = field.child_value();
                if (type.empty() || XmlaRowset::IsNumericType(std::string(type))) {
                    if (const std::optional<double> number = ParseNumber(text)) {
                        out.value = number;
                        continue;
                    }
                }
                out.text = text;
            }
        }
        if (!hasFormatted)
            out.formatted = out.value ? ShortestNumber(*out.value) : out.text.value_or("");
    }
    return cellSet;
}

XmlaRowset XmlaResponseParser::ToRowset(bool drillthrough) const
{
    const Impl& d = *m_impl;
    if (Child(d.result, "OlapInfo") || Child(d.result, "Axes"))
        d.Fail("holds a multidimensional data set where a rowset was expected");
    XmlaRowset rowset;
    std::map<std::string, std::size_t, std::less<>> columnIndex;
    auto addColumn = [&](std::string name, std::string label, std::string type) {
        const auto [it, added] = columnIndex.emplace(name, rowset.columns.size());
        if (added)
            rowset.columns.push_back({std::move(name), std::move(label), std::move(type)});
        return it->second;
    };
    if (const pugi::xml_node schema = Child(d.result, "schema")) {
        pugi::xml_node rowType;
        for (pugi::xml_node type = schema.first_child(); type; type = type.next_sibling()) {
            if (LocalName(type) == "complexType" && std::strcmp(type.attribute("name").value(), "row") == 0)
                rowType = type;
        }
        ForEachDescendant(rowType, [&](const pugi::xml_node& e) {
            if (LocalName(e) != "element" || !e.attribute("name"))
                return;
            std::string name = DecodedName(e.attribute("name").value());
            const pugi::xml_attribute field = Attribute(e, "field");
            std::string label = field ? std::string(field.value()) : name;
            addColumn(std::move(name), std::move(label), std::string(LocalName(e.attribute("type").value())));
        });
    }
    std::vector<bool> typedRows;
    std::size_t values = 0;
    // Rows mostly repeat the previous row's elements in the same order: the column of the k-th
    // element is looked up by name only when its name differs from the previous row's.
    std::vector<std::pair<const char*, std::size_t>> previous;
    std::vector<std::pair<const char*, std::size_t>> current;
    for (pugi::xml_node row = d.result.first_child(); row; row = row.next_sibling()) {
        if (LocalName(row) != "row")
            continue;
        auto& out = rowset.rows.emplace_back(rowset.columns.size());
        bool typed = false;
        current.clear();
        for (pugi::xml_node value = row.first_child(); value; value = value.next_sibling()) {
            if (value.type() != pugi::node_element)
                continue;
            const pugi::xml_attribute type = Attribute(value, "type");
            typed = typed || type;
            const std::size_t k = current.size();
            std::size_t index = 0;
            if (k < previous.size() && std::strcmp(previous[k].first, value.name()) == 0) {
                index = previous[k].second;
            } else {
                std::string name = DecodedName(LocalName(value));
                const auto known = columnIndex.find(name);
                index = known != columnIndex.end() ? known->second
                                                   : addColumn(name, name, std::string(LocalName(type.value())));
            }
            current.emplace_back(value.name(), index);
            if (index >= out.size())
                out.resize(index + 1);
            out[index] = value.child_value();
        }
        std::swap(previous, current);
        typedRows.push_back(typed);
        values += rowset.columns.size();
        if (values > kMaxRowsetValues)
            d.Fail("holds more than " + std::to_string(kMaxRowsetValues) + " values; narrow the request");
    }
    if (rowset.columns.size() * rowset.rows.size() > kMaxRowsetValues)
        d.Fail("holds more than " + std::to_string(kMaxRowsetValues) + " values; narrow the request");
    for (auto& row : rowset.rows)
        row.resize(rowset.columns.size());

    // Some servers send the number of matching rows first, in every column and untyped.
    if (drillthrough && !rowset.rows.empty() && !typedRows.front()) {
        const auto& first = rowset.rows.front();
        std::optional<long long> count;
        bool same = !first.empty();
        for (const auto& value : first) {
            const std::optional<long long> n = value ? ParseInteger<long long>(*value) : std::nullopt;
            same = same && n && *n >= 0 && (!count || *count == *n);
            count = n;
        }
        const std::size_t dataRows = rowset.rows.size() - 1;
        if (same && count && static_cast<unsigned long long>(*count) >= dataRows
            && (dataRows == 0 ? *count == 0 : static_cast<bool>(typedRows[1]))) {
            rowset.totalRows = *count;
            rowset.rows.erase(rowset.rows.begin());
        }
    }
    return rowset;
}

} // namespace olap::providers::xmla
