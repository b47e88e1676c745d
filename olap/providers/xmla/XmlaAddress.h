#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace olap::providers::xmla {

//! Whether SOURCE is an http:// or https:// address (scheme compared without case).
bool IsHttpAddress(std::string_view source);
//! Whether SOURCE is an https:// address.
bool IsHttpsAddress(std::string_view source);

//! ADDRESS with any "user:password@" part removed, for messages and logs.
std::string RedactedAddress(std::string_view address);

//! The address of the XMLA endpoint for a Data Source: an http(s) address as it stands; a
//! bare server name through TEMPLATE, in which "{server}" stands for the name (for example
//! "https://{server}/olap/msmdpump.dll"). Returns nullopt for a bare name without a template;
//! throws OlapError for a template that is not an http(s) address holding "{server}".
std::optional<std::string> ResolveServerAddress(std::string_view source, std::string_view addressTemplate);

} // namespace olap::providers::xmla
