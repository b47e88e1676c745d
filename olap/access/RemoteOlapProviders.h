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

//! Installs the factory connections use for remote OLAP servers (tests put fakes here); an
//! empty factory restores the default, the XMLA client (providers::xmla::XmlaProvider::Open),
//! which refuses a bare server name without a configured XMLA server address with a message
//! saying so.
void SetRemoteOlapProviderFactory(RemoteOlapProviderFactory factory);

//! Opens a remote source with the installed factory (see SetRemoteOlapProviderFactory).
std::unique_ptr<OlapProvider> OpenRemoteOlapProvider(const providers::ConnectionProperties& properties);

} // namespace olap
