#pragma once

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace olap::providers {

//! Orders keys without regard to ASCII case, so "data source" finds "Data Source".
struct NoCaseLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const
    {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
        });
    }
};

//! A parsed connection string: key -> value, keys compared without regard to case, values
//! as written (already trimmed and unquoted by the parser).
using ConnectionProperties = std::map<std::string, std::string, NoCaseLess>;

//! The value of the first of KEYS that is present with a non-empty value, or nullopt.
inline std::optional<std::string> FirstProperty(
    const ConnectionProperties& properties, std::initializer_list<std::string_view> keys)
{
    for (const std::string_view key : keys) {
        const auto it = properties.find(key);
        if (it != properties.end() && !it->second.empty())
            return it->second;
    }
    return std::nullopt;
}

} // namespace olap::providers
