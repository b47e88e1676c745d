// Feeds arbitrary bytes to the chart definition reader. A definition it accepts must write
// back to a text that reads as the same definition and writes the same bytes again. Only
// crashes, sanitizer reports, broken round trips and exceptions other than ChartError count
// as findings.
#include "control/chart/ChartError.h"
#include "control/chart/ChartXml.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    chart::ChartDefinition definition;
    try {
        definition = chart::ChartXml::Read(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const chart::ChartError&) {
        return 0;
    }
    const std::string text = chart::ChartXml::Write(definition);
    chart::ChartDefinition again;
    try {
        again = chart::ChartXml::Read(text);
    } catch (const chart::ChartError&) {
        __builtin_trap(); // what the writer wrote must read
    }
    if (!(again == definition) || chart::ChartXml::Write(again) != text)
        __builtin_trap(); // a second save must not change the definition or the text
    return 0;
}
