#pragma once

#include "olap/providers/xmla/HttpTransport.h"
#include "olap/providers/xmla/XmlaRequest.h"
#include "olap/providers/xmla/XmlaRowset.h"
#include "olap/providers/xmla/XmlaSettings.h"
#include "olap/query/CellSet.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace olap::providers::xmla {

//! The requests of one XMLA connection: Discover and Execute over a transport, with the data
//! source, the catalog and, where the server offers them, a session. Every call throws
//! OlapError (XmlaServerError for what the server reported) and leaves the client usable.
class XmlaClient {
public:
    XmlaClient(XmlaSettings settings, std::shared_ptr<HttpTransport> transport);
    //! Ends the session, if one was begun; a failure there is kept in LastError only.
    ~XmlaClient();
    XmlaClient(const XmlaClient&) = delete;
    XmlaClient& operator=(const XmlaClient&) = delete;

    //! Asks the server for its data sources (DISCOVER_DATASOURCES) to learn the DataSourceInfo
    //! requests name (unless the settings give one), whether it offers sessions, and, without a
    //! catalog in the settings, takes the first catalog it lists. Throws when it cannot reach
    //! the server or the catalog named is not there.
    void Connect();

    //! A Discover of REQUESTTYPE with RESTRICTIONS; the catalog goes along as a property.
    XmlaRowset Discover(std::string_view requestType, const XmlaPairs& restrictions);
    //! Runs STATEMENT with Format Multidimensional.
    CellSet ExecuteMultidimensional(std::string_view statement);
    //! Runs STATEMENT with Format Tabular (DRILLTHROUGH), the leading row count taken out.
    XmlaRowset ExecuteTabular(std::string_view statement);

    //! Stops the request running now (from any thread); it fails as cancelled.
    void Cancel() { m_cancel.store(true); }
    //! Requests from now on also stop when TOKEN is cancelled (nullptr: no token). The caller
    //! keeps TOKEN alive while it is set.
    void SetCancellationToken(const CancellationToken* token) { m_settings.http.token = token; }

    const XmlaSettings& Settings() const { return m_settings; }
    //! Whether requests go out in a session (BeginSession was answered with a SessionId).
    bool InSession() const { return !m_sessionId.empty(); }
    //! The last failure passed over without throwing (ending the session), or "".
    const std::string& LastError() const { return m_lastError; }

private:
    HttpResponse Send(std::string_view action, const std::function<std::string(const XmlaSessionHeader&)>& build);
    XmlaPairs Properties(std::string_view format, bool withCatalog) const;

    XmlaSettings m_settings;
    std::shared_ptr<HttpTransport> m_transport;
    std::atomic<bool> m_cancel {false};
    bool m_sessionsOffered = false;
    std::string m_sessionId;
    std::string m_lastError;
};

} // namespace olap::providers::xmla
