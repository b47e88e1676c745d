#include "olap/providers/RelationalSource.h"

namespace olap::providers {

std::string RelationalSource::QuoteName(std::string_view name)
{
    std::string quoted = "\"";
    for (const char c : name) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

} // namespace olap::providers
