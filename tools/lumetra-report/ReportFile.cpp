#include "ReportFile.h"

namespace lumetra_report {

namespace {

std::string_view Trimmed(std::string_view text)
{
    constexpr std::string_view kSpace = " \t\r\n";
    const std::size_t first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

} // namespace

std::string DefinitionText(std::string_view fileText)
{
    constexpr std::string_view kEnd = "</xml>";
    const std::size_t end = fileText.rfind(kEnd);
    if (end == std::string_view::npos)
        return std::string(fileText);
    return std::string(fileText.substr(0, end + kEnd.size()));
}

bool ReadSqlLines(std::string_view fileText, SqlLines& lines)
{
    constexpr std::string_view kEnd = "</xml>";
    const std::size_t end = fileText.rfind(kEnd);
    if (end == std::string_view::npos)
        return false;
    // The lines after the definition, blank ones skipped: the first is the SQL text, the
    // second the connection string.
    std::string_view rest = fileText.substr(end + kEnd.size());
    std::string_view found[2];
    int count = 0;
    while (!rest.empty() && count < 2) {
        const std::size_t newline = rest.find('\n');
        const std::string_view line = Trimmed(rest.substr(0, newline));
        rest = newline == std::string_view::npos ? std::string_view() : rest.substr(newline + 1);
        if (!line.empty())
            found[count++] = line;
    }
    if (count < 2)
        return false;
    lines.sql = std::string(found[0]);
    lines.connection = std::string(found[1]);
    return true;
}

} // namespace lumetra_report
