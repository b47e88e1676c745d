#include "olap/mdx/PropertyNames.h"

#include <array>

namespace olap::mdx {

namespace {

constexpr std::array<std::string_view, 28> kPropertyNames {
    "AllMembers",
    "Caption",
    "Children",
    "Count",
    "Current",
    "CurrentMember",
    "CurrentOrdinal",
    "DataMember",
    "DefaultMember",
    "Dimension",
    "FirstChild",
    "FirstSibling",
    "Hierarchy",
    "Key",
    "LastChild",
    "LastSibling",
    "Level",
    "Levels",
    "MemberValue",
    "Members",
    "Name",
    "NextMember",
    "Ordinal",
    "Parent",
    "PrevMember",
    "Siblings",
    "UniqueName",
    "Value",
};

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

bool IsPropertyName(std::string_view name)
{
    for (std::string_view candidate : kPropertyNames) {
        if (EqualsIgnoringCase(candidate, name))
            return true;
    }
    return false;
}

} // namespace olap::mdx
