#pragma once

#include <string>
#include <vector>

namespace pivot {

//! The look the user gave a total or a field set: font, bold, italic, text and fill colour.
//! Every part left at its default takes the grid's own (its font, the palette's colours).
//! Stored in the definition as elements of the total or field set (x:FontName, x:FontSize,
//! x:FontBold, x:FontItalic, x:TextColor, x:FillColor), each only when set.
struct PivotTextStyle {
    std::string fontName;
    //! Points; 0 keeps the grid's size.
    int fontSize = 0;
    bool bold = false;
    bool italic = false;
    //! "#RRGGBB", or empty for the palette's colour.
    std::string textColor;
    std::string fillColor;

    //! One stored element: its local name and text (a flag has no text).
    struct Element {
        std::string name;
        std::string text;
        bool flag = false;
    };

    bool IsDefault() const { return *this == PivotTextStyle(); }
    //! Whether LOCAL names one of the style's elements.
    static bool IsElement(const std::string& local);
    //! Takes element LOCAL with TEXT into the style. Returns "" or why the text is refused
    //! (a size outside 1 to 400 points, a colour that is not "#RRGGBB").
    std::string Read(const std::string& local, const std::string& text);
    //! The elements to store, in a fixed order.
    std::vector<Element> Elements() const;
    //! Whether TEXT is a colour as stored: "#" and six hexadecimal digits.
    static bool IsColor(const std::string& text);

    bool operator==(const PivotTextStyle&) const = default;
};

} // namespace pivot
