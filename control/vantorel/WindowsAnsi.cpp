#include "control/vantorel/WindowsAnsi.h"

#include <QList>

#include <array>

namespace vantorel {

namespace {

// Bytes 0x80-0x9F of Windows-1252; 0 marks the five the page leaves undefined.
constexpr std::array<char16_t, 32> kHighControls {0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6,
    0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC,
    0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

} // namespace

int WindowsAnsi::ByteOf(char32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<int>(codePoint);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] != 0 && kHighControls[i] == codePoint)
            return static_cast<int>(0x80 + i);
    }
    // The undefined bytes stand for the C1 controls of their own number.
    if (codePoint == 0x81 || codePoint == 0x8D || codePoint == 0x8F || codePoint == 0x90 || codePoint == 0x9D)
        return static_cast<int>(codePoint);
    return -1;
}

std::string WindowsAnsi::Encode(const QString& text)
{
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (const char32_t codePoint : text.toUcs4()) {
        const int byte = ByteOf(codePoint);
        if (byte >= 0) {
            out += static_cast<char>(static_cast<unsigned char>(byte));
        } else {
            out += "&#";
            out += std::to_string(static_cast<unsigned long>(codePoint));
            out += ';';
        }
    }
    return out;
}

QString WindowsAnsi::Decode(std::string_view bytes)
{
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && byte < 0xA0 && kHighControls[byte - 0x80] != 0)
            out += QChar(kHighControls[byte - 0x80]);
        else
            out += QChar(static_cast<char16_t>(byte));
    }
    return out;
}

} // namespace vantorel
