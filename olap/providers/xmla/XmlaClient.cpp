#include "olap/providers/xmla/XmlaClient.h"

#include "olap/providers/xmla/XmlaAddress.h"
#include "olap/providers/xmla/XmlaResponseParser.h"
#include "olap/util/NameUtil.h"
#include "olap/util/OlapError.h"

namespace olap::providers::xmla {

XmlaClient::XmlaClient(XmlaSettings settings, std::shared_ptr<HttpTransport> transport)
    : m_settings(std::move(settings)), m_transport(std::move(transport))
{
    if (!m_transport)
        throw OlapError("An XMLA connection needs an HTTP transport");
    m_settings.http.cancel = &m_cancel;
}

XmlaClient::~XmlaClient()
{
    if (m_sessionId.empty())
        return;
    try {
        const XmlaSessionHeader end {XmlaSessionHeader::Kind::End, m_sessionId};
        HttpOptions options = m_settings.http;
        options.timeoutSeconds = options.connectTimeoutSeconds > 0 ? options.connectTimeoutSeconds : 10;
        options.cancel = nullptr;
        const HttpRequest request {m_settings.address, std::string(XmlaRequest::kDiscoverAction),
            XmlaRequest::Discover("DISCOVER_DATASOURCES", {}, {{"Format", "Tabular"}}, end)};
        XmlaResponseParser(m_transport->Post(request, options), m_settings.address);
    } catch (const std::exception& e) {
        m_lastError = std::string("Ending the XMLA session failed: ") + e.what();
    }
}

XmlaPairs XmlaClient::Properties(std::string_view format, bool withCatalog) const
{
    XmlaPairs properties;
    if (!m_settings.dataSourceInfo.empty())
        properties.emplace_back("DataSourceInfo", m_settings.dataSourceInfo);
    if (withCatalog && !m_settings.catalog.empty())
        properties.emplace_back("Catalog", m_settings.catalog);
    properties.emplace_back("Format", std::string(format));
    if (format == "Multidimensional")
        properties.emplace_back("AxisFormat", "TupleFormat");
    if (m_settings.http.timeoutSeconds > 0)
        properties.emplace_back("Timeout", std::to_string(m_settings.http.timeoutSeconds));
    return properties;
}

HttpResponse XmlaClient::Send(
    std::string_view action, const std::function<std::string(const XmlaSessionHeader&)>& build)
{
    XmlaSessionHeader session;
    if (!m_sessionId.empty())
        session = {XmlaSessionHeader::Kind::Use, m_sessionId};
    else if (m_sessionsOffered)
        session.kind = XmlaSessionHeader::Kind::Begin;
    const HttpRequest request {m_settings.address, std::string(action), build(session)};
    m_cancel.store(false);
    HttpResponse response = m_transport->Post(request, m_settings.http);
    if (session.kind == XmlaSessionHeader::Kind::Begin) {
        // Parsed once here for the header; a server that ignores BeginSession is not asked again.
        try {
            m_sessionId = XmlaResponseParser(response, m_settings.address).SessionId();
        } catch (const OlapError&) {
        }
        m_sessionsOffered = !m_sessionId.empty();
    }
    return response;
}

void XmlaClient::Connect()
{
    XmlaPairs properties {{"Format", "Tabular"}};
    const XmlaRowset sources = XmlaRowset(
        XmlaResponseParser(Send(XmlaRequest::kDiscoverAction,
                               [&](const XmlaSessionHeader& session) {
                                   return XmlaRequest::Discover("DISCOVER_DATASOURCES", {}, properties, session);
                               }),
            m_settings.address)
            .ToRowset());
    const SchemaRowset rows = sources.ToSchemaRowset();
    if (m_settings.dataSourceInfo.empty() && !rows.rows.empty())
        m_settings.dataSourceInfo = rows.Value(rows.rows.front(), "DataSourceName");

    // Servers that do not list StateSupport (or refuse the request) get no sessions.
    try {
        const SchemaRowset state = Discover("DISCOVER_PROPERTIES", {{"PropertyName", "StateSupport"}}).ToSchemaRowset();
        for (const auto& row : state.rows) {
            if (EqualsNoCase(state.Value(row, "PropertyName"), "StateSupport"))
                m_sessionsOffered = EqualsNoCase(state.Value(row, "Value"), "Sessions");
        }
    } catch (const OlapError& e) {
        m_lastError = std::string("Session support unknown, working without sessions: ") + e.what();
    }

    const SchemaRowset catalogs = Discover("DBSCHEMA_CATALOGS", {}).ToSchemaRowset();
    std::string names;
    for (const auto& row : catalogs.rows) {
        const std::string name = catalogs.Value(row, "CATALOG_NAME");
        if (m_settings.catalog.empty() || EqualsNoCase(name, m_settings.catalog)) {
            m_settings.catalog = name;
            return;
        }
        names += (names.empty() ? "" : ", ") + name;
    }
    if (!m_settings.catalog.empty())
        throw OlapError("The OLAP server '" + RedactedAddress(m_settings.address) + "' has no catalog '"
            + m_settings.catalog + "'" + (names.empty() ? std::string() : " (it has " + names + ")"));
}

XmlaRowset XmlaClient::Discover(std::string_view requestType, const XmlaPairs& restrictions)
{
    const bool withCatalog = requestType != "DISCOVER_DATASOURCES" && requestType != "DBSCHEMA_CATALOGS";
    const XmlaPairs properties = Properties("Tabular", withCatalog);
    const HttpResponse response = Send(XmlaRequest::kDiscoverAction, [&](const XmlaSessionHeader& session) {
        return XmlaRequest::Discover(requestType, restrictions, properties, session);
    });
    return XmlaResponseParser(response, m_settings.address).ToRowset();
}

CellSet XmlaClient::ExecuteMultidimensional(std::string_view statement)
{
    const XmlaPairs properties = Properties("Multidimensional", true);
    const HttpResponse response = Send(XmlaRequest::kExecuteAction,
        [&](const XmlaSessionHeader& session) { return XmlaRequest::Execute(statement, properties, session); });
    return XmlaResponseParser(response, m_settings.address).ToCellSet();
}

XmlaRowset XmlaClient::ExecuteTabular(std::string_view statement)
{
    const XmlaPairs properties = Properties("Tabular", true);
    const HttpResponse response = Send(XmlaRequest::kExecuteAction,
        [&](const XmlaSessionHeader& session) { return XmlaRequest::Execute(statement, properties, session); });
    return XmlaResponseParser(response, m_settings.address).ToRowset(true);
}

} // namespace olap::providers::xmla
