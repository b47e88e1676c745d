#include "olap/providers/odbc/OdbcConnectionString.h"

#include "olap/providers/RelationalError.h"
#include "olap/util/MessageText.h"
#include "olap/util/NameUtil.h"

#include <algorithm>
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
            "The provider '" + ShortForMessage(provider) + "' has no ODBC driver: set the registry value "
                + ShortForMessage(ProviderRegistryValue(valueName)) + " to the name of the ODBC driver to use");
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

namespace {

//! One "key=value" entry of an ODBC string: where its value starts and ends (braces included).
struct OdbcEntry {
    std::string_view key;
    std::size_t valueStart = 0;
    std::size_t valueEnd = 0;
    std::size_t next = 0; //!< where the next entry starts
    bool hasValue = false;
};

// Reads the entry at POS; a braced value may hold ';' ("}}" stands for '}').
OdbcEntry ReadEntry(std::string_view connection, std::size_t pos)
{
    OdbcEntry entry;
    std::size_t end = connection.find(';', pos);
    const std::size_t equals = connection.find('=', pos);
    if (equals != std::string_view::npos && (end == std::string_view::npos || equals < end)) {
        std::string_view key = connection.substr(pos, equals - pos);
        while (!key.empty() && key.front() == ' ')
            key.remove_prefix(1);
        while (!key.empty() && key.back() == ' ')
            key.remove_suffix(1);
        entry.key = key;
        entry.hasValue = true;
        entry.valueStart = equals + 1;
        if (entry.valueStart < connection.size() && connection[entry.valueStart] == '{') {
            std::size_t close = entry.valueStart + 1;
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
    }
    entry.valueEnd = end == std::string_view::npos ? connection.size() : end;
    entry.next = end == std::string_view::npos ? connection.size() : end + 1;
    return entry;
}

bool IsPasswordKey(std::string_view key)
{
    return EqualsNoCase(key, "PWD") || EqualsNoCase(key, "Password");
}

} // namespace

std::string RedactOdbcConnectionString(std::string_view connection)
{
    std::string result;
    std::size_t pos = 0;
    while (pos < connection.size()) {
        const OdbcEntry entry = ReadEntry(connection, pos);
        if (entry.hasValue && IsPasswordKey(entry.key)) {
            result += std::string(connection.substr(pos, entry.valueStart - pos)) + "***";
            result += std::string(connection.substr(entry.valueEnd, entry.next - entry.valueEnd));
        } else {
            result += std::string(connection.substr(pos, entry.next - pos));
        }
        pos = entry.next;
    }
    return result;
}

std::string HideOdbcPasswords(std::string message, std::string_view connection)
{
    std::vector<std::string> secrets;
    for (std::size_t pos = 0; pos < connection.size();) {
        const OdbcEntry entry = ReadEntry(connection, pos);
        pos = entry.next;
        if (!entry.hasValue || !IsPasswordKey(entry.key))
            continue;
        std::string value(connection.substr(entry.valueStart, entry.valueEnd - entry.valueStart));
        secrets.push_back(value);
        if (value.size() >= 2 && value.front() == '{' && value.back() == '}')
            value = value.substr(1, value.size() - 2);
        secrets.push_back(value);
        // A driver that reads the braces its own way may show any piece between ';' and '='.
        std::size_t start = 0;
        for (std::size_t i = 0; i <= value.size(); ++i) {
            if (i == value.size() || value[i] == ';' || value[i] == '=' || value[i] == '{' || value[i] == '}') {
                secrets.push_back(value.substr(start, i - start));
                start = i + 1;
            }
        }
    }
    // Longest first, so that a piece never leaves the rest of a longer secret behind.
    std::sort(
        secrets.begin(), secrets.end(), [](const std::string& x, const std::string& y) { return x.size() > y.size(); });
    for (const std::string& secret : secrets) {
        if (secret.size() < 3)
            continue;
        for (std::size_t at = message.find(secret); at != std::string::npos; at = message.find(secret, at + 3))
            message.replace(at, secret.size(), "***");
    }
    return message;
}

} // namespace olap::providers
