#include "olap/providers/xmla/XmlaSettings.h"

#include "olap/providers/xmla/XmlaAddress.h"
#include "olap/util/MessageText.h"
#include "olap/util/OlapError.h"

#include <charconv>
#include <cstdlib>
#include <limits>

namespace olap::providers::xmla {
namespace {

long WholeNumber(const ConnectionProperties& properties, std::initializer_list<std::string_view> keys,
    std::string_view shownKey, long fallback, long maximum)
{
    const std::optional<std::string> text = FirstProperty(properties, keys);
    if (!text)
        return fallback;
    long value = 0;
    const char* end = text->data() + text->size();
    const auto [ptr, ec] = std::from_chars(text->data(), end, value);
    if (ec != std::errc() || ptr != end || value < 0 || value > maximum)
        throw OlapError("\"" + std::string(shownKey) + "\" in the connection string must be a whole number from 0 to "
            + std::to_string(maximum) + ", not '" + *text + "'");
    return value;
}

} // namespace

XmlaSettings XmlaSettings::FromProperties(const ConnectionProperties& properties)
{
    const std::optional<std::string> source = FirstProperty(properties, {"Data Source", "Location"});
    if (!source)
        throw OlapError("The connection string names no Data Source (the address of an XMLA server)");
    std::string addressTemplate = FirstProperty(properties, {"XMLA Server Address"}).value_or("");
    if (addressTemplate.empty()) {
        if (const char* fromEnvironment = std::getenv("LUMETRA_XMLA_SERVER_ADDRESS"))
            addressTemplate = fromEnvironment;
    }
    const std::optional<std::string> address = ResolveServerAddress(*source, addressTemplate);
    if (!address)
        throw OlapError("Cannot connect to the OLAP server '" + ShortForMessage(*source)
            + "': a server name is reached through the XMLA provider only when an XMLA server address is "
              "configured (\"XMLA Server Address=https://{server}/olap/msmdpump.dll\" in the connection string or "
              "LUMETRA_XMLA_SERVER_ADDRESS); give the server's http:// or https:// address as Data Source instead. "
              "Local cube files are named by their path (a file ending in .cub).");

    XmlaSettings settings;
    settings.address = *address;
    settings.catalog = FirstProperty(properties, {"Initial Catalog", "Catalog"}).value_or("");
    settings.dataSourceInfo = FirstProperty(properties, {"DataSourceInfo"}).value_or("");
    settings.http.user = FirstProperty(properties, {"User ID", "uid", "User Name"}).value_or("");
    settings.http.password = FirstProperty(properties, {"Password", "pwd"}).value_or("");
    constexpr long kDay = 24L * 60 * 60;
    settings.http.connectTimeoutSeconds = WholeNumber(properties, {"Connect Timeout"}, "Connect Timeout", 30, kDay);
    settings.http.timeoutSeconds
        = WholeNumber(properties, {"Timeout", "Command Timeout", "Command Time out"}, "Timeout", 0, kDay);
    const long maxMb = WholeNumber(properties, {"Max Response Size"}, "Max Response Size",
        static_cast<long>(HttpOptions::kDefaultMaxResponseBytes / (std::size_t {1024} * 1024)),
        static_cast<long>(
            std::min<std::size_t>(std::numeric_limits<std::size_t>::max() / (std::size_t {1024} * 1024), 1L << 20)));
    if (maxMb == 0)
        throw OlapError("\"Max Response Size\" in the connection string must be at least 1 (MB)");
    settings.http.maxResponseBytes = static_cast<std::size_t>(maxMb) * 1024 * 1024;
    return settings;
}

} // namespace olap::providers::xmla
