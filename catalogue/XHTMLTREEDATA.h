#pragma once

#include <QString>

#include <cstdint>

//! The record every catalogue item carries. For a report, Filename1 and
//! Filename2 are the report files of the first and second pane, relative to
//! the report folder; for a data source, Filename1 is the cube and Filename2
//! the connection string. Copying a record copies every field.
struct XHTMLTREEDATA {
    //! Colour value meaning "the tree's default colour".
    static constexpr std::int32_t kDefaultColor = -1;

    std::int32_t bChecked = 0;
    std::int32_t bEnabled = 1;
    std::int32_t bSeparator = 0;
    std::int32_t Reporttype1 = 0;
    std::int32_t Reporttype2 = 0;
    QString Filename1;
    QString Filename2;
    QString strPlainText;
    //! Tree bookkeeping: number of separator items below the item.
    std::int32_t nSeparatorCount = 0;
    //! The item's note (a tooltip text) and the tooltip's width in pixels (0: the tree's default).
    QString pszNote;
    std::int32_t nNoteWidth = 0;
    //! Text colour and text background colour as COLORREF (0x00BBGGRR), or kDefaultColor.
    std::int32_t crText = kDefaultColor;
    std::int32_t crTextBackground = kDefaultColor;

    bool operator==(const XHTMLTREEDATA&) const = default;
};
