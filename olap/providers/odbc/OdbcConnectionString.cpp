#include "olap/providers/odbc/OdbcConnectionString.h"

#include "olap/providers/RelationalError.h"
#include "olap/util/NameUtil.h"

#include <set>
#include <vector>

namespace olap::providers {

namespace {

std::string OdbcValue(std::string_view value, bool alwaysBraced = false)
{
    if (value.size() >= 2 && value.front() == '{' && value.back() == '}')
        return std::string(value); // braced already, as written for ODBC
    const bool needsBraces = alwaysBraced || value.find_first_of(";{}") != std::string_view::npos
        || (!value.empty() && (value.front() == ' ' || value.back() == ' '));
    if (!needsBraces)
        return std::string(value);
    std::string braced = "{";
    for (const char c : value) {
        braced += c;
        if (c == '}')
            braced += '}';
    }
    return braced + "}";
}

class Composer {
public:
    void Add(std::string_view key, std::string_view value)
    {
        m_text += std::string(key) + "=" + OdbcValue(value) + ";";
    }
    void AddRaw(std::string_view text)
    {
        m_text += std::string(text);
        if (!m_text.empty() && m_text.back() != ';')
            m_text += ';';
    }
    std::string Text() const { return m_text; }

private:
    std::string m_text;
};

void PassThrough(
    const ConnectionProperties& properties, const std::set<std::string, NoCaseLess>& consumed, Composer& composer)
{
    for (const auto& [key, value] : properties)
        if (!consumed.count(key))
            composer.Add(key, value);
}

std::string ComposeForDriverManager(const ConnectionProperties& properties)
{
    Composer composer;
    std::set<std::string, NoCaseLess> consumed = {"Provider", "Extended Properties", "Persist Security Info"};
    const bool named = FirstProperty(properties, {"DSN", "Driver", "FileDSN"}).has_value();
    if (!named) {
        if (const auto dsn = FirstProperty(properties, {"Data Source"}))
            composer.Add("DSN", *dsn);
        consumed.insert("Data Source");
    }
    const std::pair<const char*, const char*> renames[]
        = {{"Initial Catalog", "DATABASE"}, {"User ID", "UID"}, {"Password", "PWD"}};
    for (const auto& [from, to] : renames) {
        if (const auto it = properties.find(from); it != properties.end()) {
            if (!properties.count(to))
                composer.Add(to, it->second);
            consumed.insert(from);
        }
    }
    PassThrough(properties, consumed, composer);
    if (const auto extended = FirstProperty(properties, {"Extended Properties"}))
        composer.AddRaw(*extended);
    return composer.Text();
}

} // namespace

std::string ComposeOdbcConnectionString(const ConnectionProperties& properties, const ProviderDriverLookup& lookup)
{
    const std::string provider = FirstProperty(properties, {"Provider"}).value_or("");
    if (provider.empty() || StartsWithNoCase(provider, "MSDASQL"))
        return ComposeForDriverManager(properties);

    const auto recognised = RecognisedRelationalProvider(provider);
    std::optional<std::string> driver;
    if (lookup) {
        driver = lookup(provider);
        if ((!driver || driver->empty()) && recognised && !EqualsNoCase(*recognised, provider))
            driver = lookup(*recognised);
    }
    if (!driver || driver->empty()) {
        const std::string valueName(recognised ? *recognised : std::string_view(provider));
        throw RelationalError(RelationalFailure::ProviderNotMapped,
            "The provider '" + provider + "' has no ODBC driver: set the registry value "
                + ProviderRegistryValue(valueName) + " to the name of the ODBC driver to use");
    }

    Composer composer;
    composer.AddRaw("DRIVER=" + OdbcValue(*driver, true));
    std::set<std::string, NoCaseLess> consumed
        = {"Provider", "Extended Properties", "Persist Security Info", "Driver", "Server", "Data Source", "Database",
            "Initial Catalog", "uid", "User ID", "pwd", "Password", "Trusted_Connection", "Integrated Security"};
    const bool fileDatabase = recognised
        && (StartsWithNoCase(*recognised, "Microsoft.Jet") || StartsWithNoCase(*recognised, "Microsoft.ACE"));
    if (fileDatabase) {
        if (const auto file = FirstProperty(properties, {"Data Source", "Database", "Server"}))
            composer.Add("DBQ", *file);
    } else {
        if (const auto server = FirstProperty(properties, {"Server", "Data Source"}))
            composer.Add("SERVER", *server);
        if (const auto database = FirstProperty(properties, {"Database", "Initial Catalog"}))
            composer.Add("DATABASE", *database);
    }
    if (const auto user = FirstProperty(properties, {"uid", "User ID"}))
        composer.Add("UID", *user);
    if (const auto password = FirstProperty(properties, {"pwd", "Password"}))
        composer.Add("PWD", *password);
    if (const auto trusted = FirstProperty(properties, {"Trusted_Connection"}))
        composer.Add("Trusted_Connection", *trusted);
    else if (const auto integrated = FirstProperty(properties, {"Integrated Security"});
             integrated && EqualsNoCase(*integrated, "SSPI"))
        composer.Add("Trusted_Connection", "Yes");
    PassThrough(properties, consumed, composer);
    return composer.Text();
}

std::string RedactOdbcConnectionString(std::string_view connection)
{
    std::string result;
    size_t pos = 0;
    while (pos < connection.size()) {
        size_t end = connection.find(';', pos);
        const size_t equals = connection.find('=', pos);
        if (equals != std::string_view::npos && (end == std::string_view::npos || equals < end)) {
            std::string_view key = connection.substr(pos, equals - pos);
            while (!key.empty() && key.front() == ' ')
                key.remove_prefix(1);
            while (!key.empty() && key.back() == ' ')
                key.remove_suffix(1);
            // A braced value may hold ';'.
            size_t valueStart = equals + 1;
            if (valueStart < connection.size() && connection[valueStart] == '{') {
                size_t close = valueStart + 1;
                while (close < connection.size()) {
                    if (connection[close] == '}') {
                        if (close + 1 < connection.size() && connection[close + 1] == '}') {
                            close += 2;
                            continue;
                        }
                        break;
                    }
                    ++close;
                }
                end = connection.find(';', close);
            }
            if (EqualsNoCase(key, "PWD") || EqualsNoCase(key, "Password")) {
                result += std::string(connection.substr(pos, equals + 1 - pos)) + "***";
                if (end != std::string_view::npos)
                    result += ';';
                pos = end == std::string_view::npos ? connection.size() : end + 1;
                continue;
            }
        }
        if (end == std::string_view::npos)
            end = connection.size() - 1;
        result += std::string(connection.substr(pos, end + 1 - pos));
        pos = end + 1;
    }
    return result;
}

} // namespace olap::providers
