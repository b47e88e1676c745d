#include "control/drill/DrillStatement.h"

#include "control/pivot/model/MdxNames.h"

#include <cctype>

namespace drill {

namespace {

constexpr std::string_view kKeyword = "DRILLTHROUGH";

bool IsPlainName(std::string_view name)
{
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name.front())))
        return false;
    for (char c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_')
            return false;
    }
    return true;
}

std::string Join(const std::vector<std::string>& items)
{
    std::string text;
    for (const std::string& item : items) {
        if (!text.empty())
            text += ", ";
        text += item;
    }
    return text;
}

} // namespace

std::string DrillStatement::Build(std::string_view dataMember, const std::vector<DrillGroup>& groups)
{
    std::string cube = IsPlainName(dataMember) || pivot::MdxNames::IsUniqueName(dataMember)
        ? std::string(dataMember)
        : pivot::MdxNames::Quote(dataMember);
    std::string text = std::string(kKeyword) + " SELECT FROM " + cube;
    if (groups.empty())
        return text;
    bool sets = false;
    std::vector<std::string> members;
    for (const DrillGroup& group : groups) {
        sets = sets || group.members.size() > 1;
        if (!group.members.empty())
            members.push_back(group.members.front());
    }
    if (!sets)
        return text + " WHERE (" + Join(members) + ")";
    std::vector<std::string> parts;
    parts.reserve(groups.size());
    for (const DrillGroup& group : groups)
        parts.push_back("{" + Join(group.members) + "}");
    if (parts.size() == 1)
        return text + " WHERE " + parts.front();
    return text + " WHERE CrossJoin(" + Join(parts) + ")";
}

std::string DrillStatement::WithRowLimit(std::string_view statement, int maxRows)
{
    if (maxRows <= 0)
        return {};
    if (statement.size() < kKeyword.size())
        return std::string(statement);
    for (std::size_t i = 0; i < kKeyword.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(statement[i])) != kKeyword[i])
            return std::string(statement);
    }
    if (statement.size() > kKeyword.size() && !std::isspace(static_cast<unsigned char>(statement[kKeyword.size()])))
        return std::string(statement);
    return std::string(statement.substr(0, kKeyword.size())) + " MAXROWS " + std::to_string(maxRows)
        + std::string(statement.substr(kKeyword.size()));
}

} // namespace drill
