#pragma once

#include "olap/providers/ConnectionProperties.h"
#include "olap/providers/xmla/HttpTransport.h"

#include <string>

namespace olap::providers::xmla {

//! What an XMLA connection takes from its connection string:
//! - Data Source (or Location): the endpoint address, or a server name resolved through the
//!   "XMLA Server Address" property or else the LUMETRA_XMLA_SERVER_ADDRESS environment
//!   variable (a template such as "https://{server}/olap/msmdpump.dll");
//! - Initial Catalog (or Catalog): the catalog every request names;
//! - User ID (uid) and Password (pwd): HTTP basic authentication, over https only;
//! - Connect Timeout and Timeout (or Command Timeout): seconds, 0 for none;
//! - Max Response Size: the largest answer in MB (default 256);
//! - DataSourceInfo: the server's data source, when it is not the first one it lists.
struct XmlaSettings {
    std::string address;
    std::string catalog;
    std::string dataSourceInfo;
    HttpOptions http;

    //! Reads PROPERTIES. Throws OlapError for a missing Data Source, a bare server name without
    //! an address template (naming the XMLA provider, as connections without it always said),
    //! and for a time-out or size that is not a whole number in range.
    static XmlaSettings FromProperties(const ConnectionProperties& properties);
};

} // namespace olap::providers::xmla
