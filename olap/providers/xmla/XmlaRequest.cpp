#include "olap/providers/xmla/XmlaRequest.h"

#include "olap/util/OlapError.h"

namespace olap::providers::xmla {
namespace {

constexpr std::string_view kXmlaNamespace = "urn:schemas-microsoft-com:xml-analysis";

bool IsXmlName(std::string_view name)
{
    if (name.empty())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        const bool digit = (c >= '0' && c <= '9') || c == '-' || c == '.';
        if (!letter && !(digit && i > 0))
            return false;
    }
    return true;
}

void AppendPairs(std::string& out, const XmlaPairs& pairs, std::string_view what)
{
    for (const auto& [name, value] : pairs) {
        if (!IsXmlName(name))
            throw OlapError("'" + name + "' cannot be sent as an XMLA " + std::string(what) + " name");
        out += '<';
        out += name;
        out += '>';
        out += XmlaRequest::Escape(value, name);
        out += "</";
        out += name;
        out += '>';
    }
}

std::string Envelope(const XmlaSessionHeader& session, const std::string& body)
{
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\">";
    const std::string ns = " xmlns=\"" + std::string(kXmlaNamespace) + "\" SOAP-ENV:mustUnderstand=\"1\"";
    switch (session.kind) {
    case XmlaSessionHeader::Kind::None:
        break;
    case XmlaSessionHeader::Kind::Begin:
        out += "<SOAP-ENV:Header><BeginSession" + ns + "/></SOAP-ENV:Header>";
        break;
    case XmlaSessionHeader::Kind::Use:
        out += "<SOAP-ENV:Header><Session" + ns + " SessionId=\"" + XmlaRequest::Escape(session.sessionId, "SessionId")
            + "\"/></SOAP-ENV:Header>";
        break;
    case XmlaSessionHeader::Kind::End:
        out += "<SOAP-ENV:Header><EndSession" + ns + " SessionId=\""
            + XmlaRequest::Escape(session.sessionId, "SessionId") + "\"/></SOAP-ENV:Header>";
        break;
    }
    out += "<SOAP-ENV:Body>" + body + "</SOAP-ENV:Body></SOAP-ENV:Envelope>";
    return out;
}

} // namespace

std::string XmlaRequest::Escape(std::string_view text, std::string_view field)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        case '\t':
        case '\n':
            out += c;
            break;
        case '\r':
            out += "&#13;";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20)
                throw OlapError("The " + std::string(field) + " holds a control character (code "
                    + std::to_string(static_cast<int>(c)) + ") that cannot be sent to an XMLA server");
            out += c;
        }
    }
    return out;
}

std::string XmlaRequest::Discover(std::string_view requestType, const XmlaPairs& restrictions,
    const XmlaPairs& properties, const XmlaSessionHeader& session)
{
    std::string body = "<Discover xmlns=\"" + std::string(kXmlaNamespace) + "\"><RequestType>"
        + Escape(requestType, "request type") + "</RequestType><Restrictions><RestrictionList>";
    AppendPairs(body, restrictions, "restriction");
    body += "</RestrictionList></Restrictions><Properties><PropertyList>";
    AppendPairs(body, properties, "property");
    body += "</PropertyList></Properties></Discover>";
    return Envelope(session, body);
}

std::string XmlaRequest::Execute(
    std::string_view statement, const XmlaPairs& properties, const XmlaSessionHeader& session)
{
    std::string body = "<Execute xmlns=\"" + std::string(kXmlaNamespace) + "\"><Command><Statement>"
        + Escape(statement, "statement") + "</Statement></Command><Properties><PropertyList>";
    AppendPairs(body, properties, "property");
    body += "</PropertyList></Properties></Execute>";
    return Envelope(session, body);
}

} // namespace olap::providers::xmla
