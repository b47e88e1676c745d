#include "control/pivot/model/PivotColorRule.h"

namespace pivot {

std::optional<std::uint32_t> PivotColorRule::ParseColor(const std::string& text)
{
    if (text.size() != 7 || text[0] != '#')
        return std::nullopt;
    std::uint32_t value = 0;
    for (std::size_t i = 1; i < 7; ++i) {
        const char c = text[i];
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
}

} // namespace pivot
