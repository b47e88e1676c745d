#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace olap {

//! One part of a unique name: `[Q1]` gives {"Q1", false}, `&[3]` gives {"3", true}.
struct NameSegment {
    std::string text;
    bool isKey = false;

    bool operator==(const NameSegment&) const = default;
};

//! Puts NAME in brackets the way unique names print it: `]` inside becomes `]]`.
std::string BracketName(std::string_view name);

//! Splits a unique name such as `[Time].[2024].&[3]` into its segments.
//! Unbracketed identifiers are accepted (`Time.Year`). Returns false on a
//! malformed name (unclosed bracket, empty segment, stray characters).
bool SplitUniqueName(std::string_view uniqueName, std::vector<NameSegment>& segments);

//! Shortest decimal text that reads back as the same double; integers print
//! without a fraction ("2088", "479.25", "1e+21").
std::string FormatNumber(double value);

//! ASCII case-insensitive equality (names of cube objects).
bool EqualsNoCase(std::string_view a, std::string_view b);

//! Whether TEXT starts with PREFIX, ignoring ASCII case.
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

//! TEXT with ASCII capitals made small (keys for case-insensitive lookups).
std::string ToLowerAscii(std::string_view text);

} // namespace olap
