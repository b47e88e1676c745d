#include "ReportFile.h"

namespace lumetra_report {

std::string DefinitionText(std::string_view fileText)
{
    constexpr std::string_view kEnd = "</xml>";
    const std::size_t end = fileText.rfind(kEnd);
    if (end == std::string_view::npos)
        return std::string(fileText);
    return std::string(fileText.substr(0, end + kEnd.size()));
}

} // namespace lumetra_report
