// Feeds arbitrary bytes to the cube schema reader. Only crashes, sanitizer
// reports and exceptions other than OlapError count as findings.
#include "olap/schema/SchemaReader.h"
#include "olap/util/OlapError.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        const auto schema = olap::SchemaReader::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
        for (const auto& cube : schema.cubes) {
            if (cube.name.empty())
                __builtin_trap(); // the reader promises named cubes
        }
    } catch (const olap::OlapError&) {
    }
    return 0;
}
