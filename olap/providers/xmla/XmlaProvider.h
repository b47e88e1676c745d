#pragma once

#include "olap/access/OlapProvider.h"
#include "olap/providers/ConnectionProperties.h"
#include "olap/providers/xmla/XmlaClient.h"

#include <memory>
#include <string>
#include <string_view>

namespace olap::providers::xmla {

//! Cubes of a remote OLAP server reached over XMLA (SOAP over http or https), behind the same
//! interface as a local cube: MDX runs on the server (SELECT in Format Multidimensional,
//! DRILLTHROUGH in Format Tabular) and the schema rowsets come from its MDSCHEMA_* Discover
//! answers. Answers are read whole into memory up to the connection's response limit
//! ("Max Response Size", 256 MB by default).
class XmlaProvider : public OlapProvider {
public:
    //! Connects over TRANSPORT with SETTINGS (see XmlaClient::Connect). Throws OlapError.
    XmlaProvider(XmlaSettings settings, std::shared_ptr<HttpTransport> transport);
    ~XmlaProvider() override;

    //! Opens the server a connection string names (see XmlaSettings) over libcurl; the
    //! factory connections use for http(s) Data Sources and resolvable server names. Throws
    //! OlapError with a message naming XMLA and the server.
    static std::unique_ptr<OlapProvider> Open(const ConnectionProperties& properties);

    std::string Name() const override { return "MSOLAP"; }
    std::string Catalog() const override { return m_client.Settings().catalog; }
    //! Runs MDX on the server. A statement the server rejects throws MdxError with its text.
    QueryResult Execute(std::string_view mdx) override;
    //! Runs MDX on the server; OPTIONS' token stops the request while it waits for the answer
    //! (it then throws QueryCancelled, as a local cube does). The memory budget is the
    //! server's business; the answer's size is bounded by "Max Response Size".
    QueryResult ExecuteMdx(std::string_view mdx, const QueryOptions& options) override;
    //! Reads the members rowset one level at a time (each request restricted to the level), so
    //! no single answer holds a whole large dimension.
    SchemaRowset Discover(SchemaRowsetKind kind, std::string_view cube) override;
    //! The server keeps its own cache; nothing is cached here.
    void ClearCache() override { }

    //! Any Discover request (MDSCHEMA_SETS, DISCOVER_DATASOURCES, ...) with RESTRICTIONS, in the
    //! connection's catalog.
    SchemaRowset DiscoverRowset(std::string_view requestType, const XmlaPairs& restrictions = {});
    //! The members of level LEVELUNIQUENAME of CUBE only.
    SchemaRowset DiscoverMembers(std::string_view cube, std::string_view levelUniqueName);
    //! Stops the running request from another thread (the pivot's cancel); it throws as cancelled.
    void Cancel() { m_client.Cancel(); }
    const XmlaClient& Client() const { return m_client; }

private:
    void RequireCube(std::string_view cube);

    XmlaClient m_client;
};

} // namespace olap::providers::xmla
