#include "olap/util/MessageText.h"

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

} // namespace olap
