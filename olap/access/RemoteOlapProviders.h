#pragma once

#include "olap/access/OlapProvider.h"
#include "olap/providers/ConnectionProperties.h"

#include <functional>
#include <memory>

namespace olap {

//! Opens a remote OLAP server from the properties of a connection string whose Data Source
//! is an http:// or https:// address or a server name. Throws OlapError when it cannot.
using RemoteOlapProviderFactory
    = std::function<std::unique_ptr<OlapProvider>(const providers::ConnectionProperties& properties)>;

//! Installs the factory connections use for remote OLAP servers (the XMLA client does this
//! when it is linked in); an empty factory restores the default, which refuses every remote
//! source with a message saying that remote servers need the XMLA provider.
void SetRemoteOlapProviderFactory(RemoteOlapProviderFactory factory);

//! Opens a remote source with the installed factory (see SetRemoteOlapProviderFactory).
std::unique_ptr<OlapProvider> OpenRemoteOlapProvider(const providers::ConnectionProperties& properties);

} // namespace olap
