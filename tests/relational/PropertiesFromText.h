#pragma once

#include "olap/providers/ConnectionProperties.h"

#include <string>
#include <string_view>

// A small stand-in for the connection string parser: "key=value;" pairs, values trimmed, a
// value quoted with " or ' may hold ';'.
inline olap::providers::ConnectionProperties PropertiesFromText(std::string_view text)
{
    const auto trim = [](std::string s) {
        while (!s.empty() && s.front() == ' ')
            s.erase(s.begin());
        while (!s.empty() && s.back() == ' ')
            s.pop_back();
        return s;
    };
    olap::providers::ConnectionProperties properties;
    std::string key, value;
    bool inValue = false;
    char quote = 0;
    const auto flush = [&] {
        if (inValue && !trim(key).empty())
            properties[trim(key)] = quote ? value : trim(value);
        key.clear();
        value.clear();
        inValue = false;
        quote = 0;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (!inValue) {
            if (c == '=')
                inValue = true;
            else if (c == ';')
                flush();
            else
                key += c;
        } else if (c == ';') {
            flush();
        } else if ((c == '"' || c == '\'') && trim(value).empty()) {
            quote = c;
            value.clear();
            size_t close = text.find(c, i + 1);
            if (close == std::string_view::npos)
                close = text.size();
            value = std::string(text.substr(i + 1, close - i - 1));
            i = close;
        } else {
            value += c;
        }
    }
    flush();
    return properties;
}
