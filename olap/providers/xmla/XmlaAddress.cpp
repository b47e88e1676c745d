#include "olap/providers/xmla/XmlaAddress.h"

#include "olap/util/NameUtil.h"
#include "olap/util/OlapError.h"

namespace olap::providers::xmla {

bool IsHttpAddress(std::string_view source)
{
    return StartsWithNoCase(source, "http://") || StartsWithNoCase(source, "https://");
}

bool IsHttpsAddress(std::string_view source)
{
    return StartsWithNoCase(source, "https://");
}

std::string RedactedAddress(std::string_view address)
{
    const std::size_t scheme = address.find("://");
    if (scheme == std::string_view::npos)
        return std::string(address);
    const std::size_t hostStart = scheme + 3;
    const std::size_t hostEnd = address.find_first_of("/?#", hostStart);
    const std::string_view authority = address.substr(hostStart, hostEnd - hostStart);
    const std::size_t at = authority.rfind('@');
    if (at == std::string_view::npos)
        return std::string(address);
    return std::string(address.substr(0, hostStart)) + std::string(address.substr(hostStart + at + 1));
}

std::optional<std::string> ResolveServerAddress(std::string_view source, std::string_view addressTemplate)
{
    if (IsHttpAddress(source))
        return std::string(source);
    if (addressTemplate.empty())
        return std::nullopt;
    constexpr std::string_view kPlaceholder = "{server}";
    const std::size_t at = addressTemplate.find(kPlaceholder);
    if (!IsHttpAddress(addressTemplate) || at == std::string_view::npos)
        throw OlapError("The XMLA server address '" + RedactedAddress(addressTemplate)
            + "' is not an http:// or https:// address holding {server} (for example "
              "https://{server}/olap/msmdpump.dll)");
    if (source.find_first_of("/?#@ ") != std::string_view::npos)
        throw OlapError("'" + std::string(source) + "' is not a server name");
    std::string address(addressTemplate);
    address.replace(at, kPlaceholder.size(), source);
    return address;
}

} // namespace olap::providers::xmla
