#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace vantorel {

//! Report files are one byte per character in the Windows-1252 code page. Encode writes a
//! character that page cannot hold as an XML character reference ("&#8364;" style, decimal),
//! which the definition reader turns back into the character, so nothing is lost; Decode
//! reads the bytes back (the five bytes the page leaves undefined read as the C1 controls of
//! the same number, as Windows does).
class WindowsAnsi {
public:
    static std::string Encode(const QString& text);
    static QString Decode(std::string_view bytes);
    //! The Windows-1252 byte of CODEPOINT, or -1 when the page has none.
    static int ByteOf(char32_t codePoint);
};

} // namespace vantorel
