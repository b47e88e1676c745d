#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace olap {

//! The longest text, in bytes, that ShortForMessage keeps whole.
inline constexpr std::size_t kMessageNameLength = 200;

//! TEXT as an error message shows a name, a path or a statement: whole when it has at most
//! MAXBYTES bytes, else its first MAXBYTES bytes (never cutting a UTF-8 character) followed by
//! "…", so a huge name cannot swell a message.
std::string ShortForMessage(std::string_view text, std::size_t maxBytes = kMessageNameLength);

//! Helpers for texts that are echoed in messages.
class MessageText {
public:
    //! Longest name or path a message echoes whole, in characters.
    static constexpr std::size_t kMaxEchoed = 200;

    //! text when it has at most maxChars characters; otherwise its start and
    //! end with " ... " between them, maxChars characters in all. Counts
    //! UTF-8 characters and never cuts one in two.
    static std::string Shorten(const std::string& text, std::size_t maxChars = kMaxEchoed);
};

} // namespace olap
