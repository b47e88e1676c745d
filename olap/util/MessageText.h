#pragma once

#include <cstddef>
#include <string>

namespace olap {

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
