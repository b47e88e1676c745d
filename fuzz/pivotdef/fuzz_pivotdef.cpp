// Feeds arbitrary bytes to the pivot definition reader. A definition it accepts must write
// back to a text that reads as the same definition and writes the same bytes again, and must
// either give MDX or a PivotError. Only crashes, sanitizer reports, broken round trips and
// exceptions other than PivotError count as findings.
#include "control/pivot/model/PivotError.h"
#include "control/pivot/model/PivotMdxBuilder.h"
#include "control/pivot/model/PivotXml.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    pivot::PivotDefinition definition;
    try {
        definition = pivot::PivotXml::Read(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const pivot::PivotError&) {
        return 0;
    }
    const std::string text = pivot::PivotXml::Write(definition);
    pivot::PivotDefinition again;
    try {
        again = pivot::PivotXml::Read(text);
    } catch (const pivot::PivotError&) {
        __builtin_trap(); // what the writer wrote must read
    }
    if (pivot::PivotXml::Write(again) != text)
        __builtin_trap(); // a second save must not change the text
    try {
        (void)pivot::PivotMdxBuilder::Build(again);
    } catch (const pivot::PivotError&) {
    }
    return 0;
}
