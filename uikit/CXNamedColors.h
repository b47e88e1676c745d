#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>
#include <optional>

//! A COLORREF value: 0x00BBGGRR for a plain colour, or 0x80000000 plus an
//! index for a system colour (resolved against the current palette).
using COLORREF = std::uint32_t;

//! Builds a COLORREF from red, green and blue; each part keeps its low byte.
constexpr COLORREF MakeRgb(int r, int g, int b)
{
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int RedOf(COLORREF c)
{
    return static_cast<int>(c & 0xFF);
}
constexpr int GreenOf(COLORREF c)
{
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int BlueOf(COLORREF c)
{
    return static_cast<int>((c >> 16) & 0xFF);
}

//! The fixed table of named colours shared by the catalogue files and the
//! markup drawing: 140 web colours followed by 39 system colours, in a fixed
//! order. Names compare without case on lookup; the first entry of a value
//! wins when a value is turned back into a name.
class CXNamedColors {
public:
    struct Entry {
        const char* name;
        COLORREF value;
    };
    static constexpr std::size_t kCount = 179;
    //! Flag bit that marks a system colour value.
    static constexpr COLORREF kSystemFlag = 0x80000000u;

    //! The whole table in its fixed order.
    static const std::array<Entry, kCount>& Table();

    //! The value of the entry named name (case-insensitive), or nothing.
    static std::optional<COLORREF> Lookup(QStringView name);

    //! The name of the first entry whose value equals value, or an empty string.
    static QString NameOf(COLORREF value);

    //! True for a system colour value (0x80000000 plus an index).
    static bool IsSystemColor(COLORREF value) { return (value & kSystemFlag) != 0; }

    //! The current RGB value of a colour: a system colour is looked up in the
    //! application's palette (a classic default set without a GUI
    //! application); a plain colour is returned as it is.
    static COLORREF ToRgb(COLORREF value);

    //! Colour to text, as catalogue files store it: the entry name when the
    //! value is in the table, else "#RRGGBB" of its current RGB value.
    static QString ToText(COLORREF value);

    //! Text to colour: "r,g,b" in decimal (missing parts 0), "#RRGGBB"
    //! (anything malformed gives black), or a table name (unknown gives
    //! black). A system colour name gives its current RGB value.
    static COLORREF FromText(QStringView text);
};
