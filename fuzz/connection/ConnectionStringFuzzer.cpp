// Fuzzes the connection-string parser (user text from the connect dialog and
// the data-source catalogue) and the ODBC string composed from what it parsed.
// Findings: crashes, sanitizer reports, a parse that loses its own keys (every
// key parsed must be found again), and a password, or any part of a braced one,
// that shows in the redacted ODBC string or in an error message.
#include "olap/access/ConnectionString.h"
#include "olap/providers/RelationalError.h"
#include "olap/providers/odbc/OdbcConnectionString.h"
#include "olap/util/OlapError.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

// Every provider maps to a driver, so that composing always gets past the provider table.
std::optional<std::string> AnyDriver(std::string_view)
{
    return std::string("Fuzz Driver");
}

// TEXT without its braced values ({...}, "}}" inside standing for '}'): what is left are the
// keys and plain values, where a password could show.
std::string WithoutBracedValues(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '{' || (i > 0 && text[i - 1] != '=')) {
            out += text[i];
            continue;
        }
        for (++i; i < text.size(); ++i) {
            if (text[i] == '}' && i + 1 < text.size() && text[i + 1] == '}')
                ++i;
            else if (text[i] == '}')
                break;
        }
    }
    return out;
}

void CheckOdbc(const olap::ConnectionString& parsed)
{
    olap::providers::ConnectionProperties properties;
    for (const auto& [key, value] : parsed.Pairs())
        properties[key] = value;
    const std::string odbc = olap::providers::ComposeOdbcConnectionString(properties, AnyDriver);
    const std::string redacted = WithoutBracedValues(olap::providers::RedactOdbcConnectionString(odbc));
    const std::optional<std::string> password = olap::providers::FirstProperty(properties, {"pwd", "Password"});
    if (!password || password->size() < 3 || *password == "***")
        return;
    // The password never shows after redaction, under any spelling of its key.
    for (const char* key : {"PWD=", "pwd=", "Pwd=", "Password=", "PASSWORD=", "password="}) {
        const std::string shown = key + *password + ";";
        if (redacted.rfind(shown, 0) == 0 || redacted.find(";" + shown) != std::string::npos)
            std::abort();
    }
}

// Whether TEXT shows any byte of the marked password (see CheckMarkedPassword).
bool ShowsMarker(std::string_view text)
{
    return text.find('\x01') != std::string_view::npos;
}

// Puts a braced password in front of the input, built from the input's own bytes (so it holds
// ';', '=', quotes and braces) and marked by a byte the input no longer has. No message and no
// redacted string may show the marker: no part of the password may leak, whatever keys,
// quotes or braces follow it.
void CheckMarkedPassword(std::string_view input)
{
    std::string body;
    for (const char c : input.substr(0, 64)) {
        if (c == '\x01')
            continue;
        body += c;
        if (c == '}')
            body += '}';
    }
    std::string rest;
    for (const char c : input)
        if (c != '\x01')
            rest += c;
    const std::string text = "PWD={\x01" + body + "\x01};" + rest;
    try {
        const olap::ConnectionString parsed = olap::ConnectionString::Parse(text);
        olap::providers::ConnectionProperties properties;
        for (const auto& [key, value] : parsed.Pairs())
            properties[key] = value;
        const std::string odbc = olap::providers::ComposeOdbcConnectionString(properties, AnyDriver);
        if (ShowsMarker(olap::providers::RedactOdbcConnectionString(odbc)))
            std::abort();
        if (ShowsMarker(olap::providers::HideOdbcPasswords("driver said: " + odbc, odbc)))
            std::abort();
    } catch (const olap::OlapError& error) {
        if (ShowsMarker(error.what()))
            std::abort();
    } catch (const olap::providers::RelationalError& error) {
        if (ShowsMarker(error.what()))
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckMarkedPassword(text);
    try {
        const olap::ConnectionString parsed = olap::ConnectionString::Parse(text);
        for (const auto& [key, value] : parsed.Pairs()) {
            if (key.empty())
                std::abort();
            const std::optional<std::string> found = parsed.Get(key);
            if (!found)
                std::abort();
        }
        CheckOdbc(parsed);
    } catch (const olap::OlapError&) {
        // A clear error for bad text is the expected outcome.
    } catch (const olap::providers::RelationalError&) {
        // So is a connection the composer refuses.
    }
    return 0;
}
