#pragma once

#include <string>
#include <string_view>

namespace pivot {

//! The small pieces of MDX name syntax the pivot model needs.
class MdxNames {
public:
    //! NAME as one bracketed segment: "Sales [EU]" -> "[Sales [EU]]]".
    static std::string Quote(std::string_view name);
    //! Whether TEXT is a member, level or hierarchy unique name: one or more segments
    //! "[...]" (with "]]" inside) or "&[...]", joined by dots, and nothing else. Names read
    //! from a definition are checked with it before they go into a query.
    static bool IsUniqueName(std::string_view text);
    //! The text of the last segment of a unique name without brackets ("[A].[B]]x]" ->
    //! "B]x"); TEXT itself when it is not a unique name.
    static std::string LastSegment(std::string_view text);
};

} // namespace pivot
