#include "olap/util/MessageText.h"

#include <string_view>
#include <vector>

namespace olap {

std::string ShortForMessage(std::string_view text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return std::string(text);
    std::size_t cut = maxBytes;
    // Step back over UTF-8 continuation bytes so the cut falls between characters.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return std::string(text.substr(0, cut)) + "\xE2\x80\xA6";
}

std::string MessageText::Shorten(const std::string& text, std::size_t maxChars)
{
    // Offsets where each UTF-8 character starts.
    std::vector<std::size_t> starts;
    starts.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            starts.push_back(i);
    }
    static constexpr std::string_view kGap = " ... ";
    if (starts.size() <= maxChars)
        return text;
    if (maxChars < kGap.size() + 2)
        return text.substr(0, starts[maxChars]);
    const std::size_t keep = maxChars - kGap.size();
    const std::size_t head = keep - keep / 2;
    const std::size_t tail = keep / 2;
    return text.substr(0, starts[head]) + std::string(kGap) + text.substr(starts[starts.size() - tail]);
}

} // namespace olap
