#include "control/pivot/model/PivotTextStyle.h"

#include <cctype>
#include <charconv>

namespace pivot {

namespace {

constexpr int kLargestFontSize = 400;

} // namespace

bool PivotTextStyle::IsElement(const std::string& local)
{
    return local == "FontName" || local == "FontSize" || local == "FontBold" || local == "FontItalic"
        || local == "TextColor" || local == "FillColor";
}

bool PivotTextStyle::IsColor(const std::string& text)
{
    if (text.size() != 7 || text[0] != '#')
        return false;
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (!std::isxdigit(static_cast<unsigned char>(text[i])))
            return false;
    }
    return true;
}

std::string PivotTextStyle::Read(const std::string& local, const std::string& text)
{
    if (local == "FontName") {
        fontName = text;
    } else if (local == "FontSize") {
        int size = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), size);
        if (text.empty() || error != std::errc() || end != text.data() + text.size() || size < 1
            || size > kLargestFontSize)
            return "font size '" + text + "' is not a whole number of points from 1 to 400";
        fontSize = size;
    } else if (local == "FontBold") {
        bold = true;
    } else if (local == "FontItalic") {
        italic = true;
    } else if (local == "TextColor" || local == "FillColor") {
        if (!IsColor(text))
            return "colour '" + text + "' is not written as #RRGGBB";
        (local == "TextColor" ? textColor : fillColor) = text;
    }
    return {};
}

std::vector<PivotTextStyle::Element> PivotTextStyle::Elements() const
{
    std::vector<Element> elements;
    if (!fontName.empty())
        elements.push_back({"FontName", fontName});
    if (fontSize > 0)
        elements.push_back({"FontSize", std::to_string(fontSize)});
    if (bold)
        elements.push_back({"FontBold", {}, true});
    if (italic)
        elements.push_back({"FontItalic", {}, true});
    if (!textColor.empty())
        elements.push_back({"TextColor", textColor});
    if (!fillColor.empty())
        elements.push_back({"FillColor", fillColor});
    return elements;
}

} // namespace pivot
