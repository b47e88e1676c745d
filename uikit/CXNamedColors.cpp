#include "uikit/CXNamedColors.h"

#include "uikit/LeadingInteger.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

constexpr COLORREF kSystemFlag = CXNamedColors::kSystemFlag;

constexpr std::array<CXNamedColors::Entry, CXNamedColors::kCount> kTable {{
    {"AliceBlue", MakeRgb(0xF0, 0xF8, 0xFF)},
    {"AntiqueWhite", MakeRgb(0xFA, 0xEB, 0xD7)},
    {"Aqua", MakeRgb(0x00, 0xFF, 0xFF)},
    {"Aquamarine", MakeRgb(0x7F, 0xFF, 0xD4)},
    {"Azure", MakeRgb(0xF0, 0xFF, 0xFF)},
    {"Beige", MakeRgb(0xF5, 0xF5, 0xDC)},
    {"Bisque", MakeRgb(0xFF, 0xE4, 0xC4)},
    {"Black", MakeRgb(0x00, 0x00, 0x00)},
    {"BlanchedAlmond", MakeRgb(0xFF, 0xFF, 0xCD)},
    {"Blue", MakeRgb(0x00, 0x00, 0xFF)},
    {"BlueViolet", MakeRgb(0x8A, 0x2B, 0xE2)},
    {"Brown", MakeRgb(0xA5, 0x2A, 0x2A)},
    {"Burlywood", MakeRgb(0xDE, 0xB8, 0x87)},
    {"CadetBlue", MakeRgb(0x5F, 0x9E, 0xA0)},
    {"Chartreuse", MakeRgb(0x7F, 0xFF, 0x00)},
    {"Chocolate", MakeRgb(0xD2, 0x69, 0x1E)},
    {"Coral", MakeRgb(0xFF, 0x7F, 0x50)},
    {"CornflowerBlue", MakeRgb(0x64, 0x95, 0xED)},
    {"Cornsilk", MakeRgb(0xFF, 0xF8, 0xDC)},
    {"Crimson", MakeRgb(0xDC, 0x14, 0x3C)},
    {"Cyan", MakeRgb(0x00, 0xFF, 0xFF)},
    {"DarkBlue", MakeRgb(0x00, 0x00, 0x8B)},
    {"DarkCyan", MakeRgb(0x00, 0x8B, 0x8B)},
    {"DarkGoldenRod", MakeRgb(0xB8, 0x86, 0x0B)},
    {"DarkGray", MakeRgb(0xA9, 0xA9, 0xA9)},
    {"DarkGreen", MakeRgb(0x00, 0x64, 0x00)},
    {"DarkKhaki", MakeRgb(0xBD, 0xB7, 0x6B)},
    {"DarkMagenta", MakeRgb(0x8B, 0x00, 0x8B)},
    {"DarkOliveGreen", MakeRgb(0x55, 0x6B, 0x2F)},
    {"DarkOrange", MakeRgb(0xFF, 0x8C, 0x00)},
    {"DarkOrchid", MakeRgb(0x99, 0x32, 0xCC)},
    {"DarkRed", MakeRgb(0x8B, 0x00, 0x00)},
    {"DarkSalmon", MakeRgb(0xE9, 0x96, 0x7A)},
    {"DarkSeaGreen", MakeRgb(0x8F, 0xBC, 0x8F)},
    {"DarkSlateBlue", MakeRgb(0x48, 0x3D, 0x8B)},
    {"DarkSlateGray", MakeRgb(0x2F, 0x4F, 0x4F)},
    {"DarkTurquoise", MakeRgb(0x00, 0xCE, 0xD1)},
    {"DarkViolet", MakeRgb(0x94, 0x00, 0xD3)},
    {"DeepPink", MakeRgb(0xFF, 0x14, 0x93)},
    {"DeepSkyBlue", MakeRgb(0x00, 0xBF, 0xFF)},
    {"DimGray", MakeRgb(0x69, 0x69, 0x69)},
    {"DodgerBlue", MakeRgb(0x1E, 0x90, 0xFF)},
    {"FireBrick", MakeRgb(0xB2, 0x22, 0x22)},
    {"FloralWhite", MakeRgb(0xFF, 0xFA, 0xF0)},
    {"ForestGreen", MakeRgb(0x22, 0x8B, 0x22)},
    {"Fuchsia", MakeRgb(0xFF, 0x00, 0xFF)},
    {"Gainsboro", MakeRgb(0xDC, 0xDC, 0xDC)},
    {"GhostWhite", MakeRgb(0xF8, 0xF8, 0xFF)},
    {"Gold", MakeRgb(0xFF, 0xD7, 0x00)},
    {"GoldenRod", MakeRgb(0xDA, 0xA5, 0x20)},
    {"Gray", MakeRgb(0x7F, 0x7F, 0x7F)},
    {"Green", MakeRgb(0x00, 0x80, 0x00)},
    {"GreenYellow", MakeRgb(0xAD, 0xFF, 0x2F)},
    {"HoneyDew", MakeRgb(0xF0, 0xFF, 0xF0)},
    {"HotPink", MakeRgb(0xFF, 0x69, 0xB4)},
    {"IndianRed", MakeRgb(0xCD, 0x5C, 0x5C)},
    {"Indigo", MakeRgb(0x4B, 0x00, 0x82)},
    {"Ivory", MakeRgb(0xFF, 0xFF, 0xF0)},
    {"Khaki", MakeRgb(0xF0, 0xE6, 0x8C)},
    {"Lavender", MakeRgb(0xE6, 0xE6, 0xFA)},
    {"LavenderBlush", MakeRgb(0xFF, 0xF0, 0xF5)},
    {"Lawngreen", MakeRgb(0x7C, 0xFC, 0x00)},
    {"LemonChiffon", MakeRgb(0xFF, 0xFA, 0xCD)},
    {"LightBlue", MakeRgb(0xAD, 0xD8, 0xE6)},
    {"LightCoral", MakeRgb(0xF0, 0x80, 0x80)},
    {"LightCyan", MakeRgb(0xE0, 0xFF, 0xFF)},
    {"LightGoldenRodYellow", MakeRgb(0xFA, 0xFA, 0xD2)},
    {"LightGreen", MakeRgb(0x90, 0xEE, 0x90)},
    {"LightGrey", MakeRgb(0xD3, 0xD3, 0xD3)},
    {"LightPink", MakeRgb(0xFF, 0xB6, 0xC1)},
    {"LightSalmon", MakeRgb(0xFF, 0xA0, 0x7A)},
    {"LightSeaGreen", MakeRgb(0x20, 0xB2, 0xAA)},
    {"LightSkyBlue", MakeRgb(0x87, 0xCE, 0xFA)},
    {"LightSlateGray", MakeRgb(0x77, 0x88, 0x99)},
    {"LightSteelBlue", MakeRgb(0xB0, 0xC4, 0xDE)},
    {"LightYellow", MakeRgb(0xFF, 0xFF, 0xE0)},
    {"Lime", MakeRgb(0x00, 0xFF, 0x00)},
    {"LimeGreen", MakeRgb(0x32, 0xCD, 0x32)},
    {"Linen", MakeRgb(0xFA, 0xF0, 0xE6)},
    {"Magenta", MakeRgb(0xFF, 0x00, 0xFF)},
    {"Maroon", MakeRgb(0x80, 0x00, 0x00)},
    {"MediumAquamarine", MakeRgb(0x66, 0xCD, 0xAA)},
    {"MediumBlue", MakeRgb(0x00, 0x00, 0xCD)},
    {"MediumOrchid", MakeRgb(0xBA, 0x55, 0xD3)},
    {"MediumPurple", MakeRgb(0x93, 0x70, 0xDB)},
    {"MediumSeaGreen", MakeRgb(0x3C, 0xB3, 0x71)},
    {"MediumSlateBlue", MakeRgb(0x7B, 0x68, 0xEE)},
    {"MediumSpringGreen", MakeRgb(0x00, 0xFA, 0x9A)},
    {"MediumTurquoise", MakeRgb(0x48, 0xD1, 0xCC)},
    {"MediumVioletRed", MakeRgb(0xC7, 0x15, 0x85)},
    {"MidnightBlue", MakeRgb(0x19, 0x19, 0x70)},
    {"MintCream", MakeRgb(0xF5, 0xFF, 0xFA)},
    {"MistyRose", MakeRgb(0xFF, 0xE4, 0xE1)},
    {"Moccasin", MakeRgb(0xFF, 0xE4, 0xB5)},
    {"NavajoWhite", MakeRgb(0xFF, 0xDE, 0xAD)},
    {"Navy", MakeRgb(0x00, 0x00, 0x80)},
    {"OldLace", MakeRgb(0xFD, 0xF5, 0xE6)},
    {"Olive", MakeRgb(0x80, 0x80, 0x00)},
    {"OliveDrab", MakeRgb(0x6B, 0x8E, 0x23)},
    {"Orange", MakeRgb(0xFF, 0xA5, 0x00)},
    {"OrangeRed", MakeRgb(0xFF, 0x45, 0x00)},
    {"Orchid", MakeRgb(0xDA, 0x70, 0xD6)},
    {"PaleGoldenRod", MakeRgb(0xEE, 0xE8, 0xAA)},
    {"PaleGreen", MakeRgb(0x98, 0xFB, 0x98)},
    {"PaleTurquoise", MakeRgb(0xAF, 0xEE, 0xEE)},
    {"PaleVioletRed", MakeRgb(0xDB, 0x70, 0x93)},
    {"PapayaWhip", MakeRgb(0xFF, 0xEF, 0xD5)},
    {"PeachPuff", MakeRgb(0xFF, 0xDA, 0xB9)},
    {"Peru", MakeRgb(0xCD, 0x85, 0x3F)},
    {"Pink", MakeRgb(0xFF, 0xC0, 0xCB)},
    {"Plum", MakeRgb(0xDD, 0xA0, 0xDD)},
    {"PowderBlue", MakeRgb(0xB0, 0xE0, 0xE6)},
    {"Purple", MakeRgb(0x80, 0x00, 0x80)},
    {"Red", MakeRgb(0xFF, 0x00, 0x00)},
    {"RosyBrown", MakeRgb(0xBC, 0x8F, 0x8F)},
    {"RoyalBlue", MakeRgb(0x41, 0x69, 0xE1)},
    {"SaddleBrown", MakeRgb(0x8B, 0x45, 0x13)},
    {"Salmon", MakeRgb(0xFA, 0x80, 0x72)},
    {"SandyBrown", MakeRgb(0xF4, 0xA4, 0x60)},
    {"SeaGreen", MakeRgb(0x2E, 0x8B, 0x57)},
    {"SeaShell", MakeRgb(0xFF, 0xF5, 0xEE)},
    {"Sienna", MakeRgb(0xA0, 0x52, 0x2D)},
    {"Silver", MakeRgb(0xC0, 0xC0, 0xC0)},
    {"SkyBlue", MakeRgb(0x87, 0xCE, 0xEB)},
    {"SlateBlue", MakeRgb(0x6A, 0x5A, 0xCD)},
    {"SlateGray", MakeRgb(0x70, 0x80, 0x90)},
    {"Snow", MakeRgb(0xFF, 0xFA, 0xFA)},
    {"SpringGreen", MakeRgb(0x00, 0xFF, 0x7F)},
    {"SteelBlue", MakeRgb(0x46, 0x82, 0xB4)},
    {"Tan", MakeRgb(0xD2, 0xB4, 0x8C)},
    {"Teal", MakeRgb(0x00, 0x80, 0x80)},
    {"Thistle", MakeRgb(0xD8, 0xBF, 0xD8)},
    {"Tomato", MakeRgb(0xFF, 0x63, 0x47)},
    {"Turquoise", MakeRgb(0x40, 0xE0, 0xD0)},
    {"Violet", MakeRgb(0xEE, 0x82, 0xEE)},
    {"Wheat", MakeRgb(0xF5, 0xDE, 0xB3)},
    {"White", MakeRgb(0xFF, 0xFF, 0xFF)},
    {"WhiteSmoke", MakeRgb(0xF5, 0xF5, 0xF5)},
    {"Yellow", MakeRgb(0xFF, 0xFF, 0x00)},
    {"YellowGreen", MakeRgb(0x8B, 0xCD, 0x32)},
    {"ActiveBorder", kSystemFlag + 10},
    {"ActiveCaption", kSystemFlag + 2},
    {"ActiveCaptionText", kSystemFlag + 9},
    {"AppWorkspace", kSystemFlag + 12},
    {"Background", kSystemFlag + 1},
    {"BtnFace", kSystemFlag + 15},
    {"BtnHighlight", kSystemFlag + 20},
    {"BtnHilight", kSystemFlag + 20},
    {"BtnShadow", kSystemFlag + 16},
    {"BtnText", kSystemFlag + 18},
    {"CaptionText", kSystemFlag + 9},
    {"Control", kSystemFlag + 15},
    {"ControlDark", kSystemFlag + 16},
    {"ControlDarkDark", kSystemFlag + 21},
    {"ControlLight", kSystemFlag + 20},
    {"ControlLightLight", kSystemFlag + 20},
    {"ControlText", kSystemFlag + 18},
    {"Desktop", kSystemFlag + 1},
    {"GradientActiveCaption", kSystemFlag + 27},
    {"GradientInactiveCaption", kSystemFlag + 28},
    {"GrayText", kSystemFlag + 17},
    {"Highlight", kSystemFlag + 13},
    {"HighlightText", kSystemFlag + 14},
    {"HotLight", kSystemFlag + 26},
    {"HotTrack", kSystemFlag + 26},
    {"InactiveBorder", kSystemFlag + 11},
    {"InactiveCaption", kSystemFlag + 3},
    {"InactiveCaptionText", kSystemFlag + 19},
    {"Info", kSystemFlag + 24},
    {"InfoBk", kSystemFlag + 24},
    {"InfoText", kSystemFlag + 23},
    {"Menu", kSystemFlag + 4},
    {"MenuBar", kSystemFlag + 30},
    {"MenuHilight", kSystemFlag + 29},
    {"MenuText", kSystemFlag + 7},
    {"ScrollBar", kSystemFlag + 0},
    {"Window", kSystemFlag + 5},
    {"WindowFrame", kSystemFlag + 6},
    {"WindowText", kSystemFlag + 8},
}};

// Classic default values of the system colours 0..30, used when no GUI
// application (and so no palette) exists.
constexpr std::array<COLORREF, 31> kClassicSystem {{
    MakeRgb(0xC8, 0xC8, 0xC8),
    MakeRgb(0x00, 0x00, 0x00),
    MakeRgb(0x99, 0xB4, 0xD1),
    MakeRgb(0xBF, 0xCD, 0xDB),
    MakeRgb(0xF0, 0xF0, 0xF0),
    MakeRgb(0xFF, 0xFF, 0xFF),
    MakeRgb(0x64, 0x64, 0x64),
    MakeRgb(0x00, 0x00, 0x00),
    MakeRgb(0x00, 0x00, 0x00),
    MakeRgb(0x00, 0x00, 0x00),
    MakeRgb(0xB4, 0xB4, 0xB4),
    MakeRgb(0xF4, 0xF7, 0xFC),
    MakeRgb(0xAB, 0xAB, 0xAB),
    MakeRgb(0x00, 0x78, 0xD7),
    MakeRgb(0xFF, 0xFF, 0xFF),
    MakeRgb(0xF0, 0xF0, 0xF0),
    MakeRgb(0xA0, 0xA0, 0xA0),
    MakeRgb(0x6D, 0x6D, 0x6D),
    MakeRgb(0x00, 0x00, 0x00),
    MakeRgb(0x00, 0x00, 0x00),
    MakeRgb(0xFF, 0xFF, 0xFF),
    MakeRgb(0x69, 0x69, 0x69),
    MakeRgb(0xE3, 0xE3, 0xE3),
    MakeRgb(0x00, 0x00, 0x00),
    MakeRgb(0xFF, 0xFF, 0xE1),
    MakeRgb(0x00, 0x00, 0x00),
    MakeRgb(0x00, 0x66, 0xCC),
    MakeRgb(0xB9, 0xD1, 0xEA),
    MakeRgb(0xD7, 0xE4, 0xF2),
    MakeRgb(0x33, 0x99, 0xFF),
    MakeRgb(0xF0, 0xF0, 0xF0),
}};

COLORREF FromQColor(const QColor& c)
{
    return MakeRgb(c.red(), c.green(), c.blue());
}

// The palette colour standing in for a system colour index.
COLORREF PaletteColor(const QPalette& p, unsigned index)
{
    using R = QPalette::ColorRole;
    switch (index) {
    case 0: // scroll bar
    case 4: // menu
    case 30: // menu bar
        return FromQColor(p.color(R::Window));
    case 1: // desktop
        return FromQColor(p.color(R::Dark));
    case 2: // active caption
    case 13: // highlight
    case 29: // menu highlight
        return FromQColor(p.color(R::Highlight));
    case 3: // inactive caption
    case 28: // gradient of the inactive caption
        return FromQColor(p.color(QPalette::Inactive, R::Highlight));
    case 5: // window
        return FromQColor(p.color(R::Base));
    case 6: // window frame
        return FromQColor(p.color(R::Shadow));
    case 7: // menu text
    case 18: // button text
        return FromQColor(p.color(R::ButtonText));
    case 8: // window text
        return FromQColor(p.color(R::Text));
    case 9: // caption text
    case 14: // highlighted text
        return FromQColor(p.color(R::HighlightedText));
    case 10: // active border
    case 11: // inactive border
    case 15: // button face
        return FromQColor(p.color(R::Button));
    case 12: // application workspace
    case 16: // button shadow
        return FromQColor(p.color(R::Mid));
    case 17: // gray text
        return FromQColor(p.color(QPalette::Disabled, R::Text));
    case 19: // inactive caption text
        return FromQColor(p.color(QPalette::Inactive, R::HighlightedText));
    case 20: // button highlight
        return FromQColor(p.color(R::Light));
    case 21: // dark shadow
        return FromQColor(p.color(R::Shadow));
    case 22: // light
        return FromQColor(p.color(R::Midlight));
    case 23: // tooltip text
        return FromQColor(p.color(R::ToolTipText));
    case 24: // tooltip background
        return FromQColor(p.color(R::ToolTipBase));
    case 26: // hot tracking
        return FromQColor(p.color(R::Link));
    case 27: // gradient of the active caption
        return FromQColor(p.color(R::Highlight).lighter(150));
    default:
        return index < kClassicSystem.size() ? kClassicSystem[index] : 0;
    }
}

bool EqualsNoCase(QStringView a, const char* b)
{
    qsizetype i = 0;
    for (; b[i] != '\0'; ++i) {
        if (i >= a.size())
            return false;
        char16_t c = a[i].unicode();
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
        char d = b[i];
        if (d >= 'A' && d <= 'Z')
            d = static_cast<char>(d - 'A' + 'a');
        if (c != static_cast<unsigned char>(d))
            return false;
    }
    return i == a.size();
}

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

} // namespace

const std::array<CXNamedColors::Entry, CXNamedColors::kCount>& CXNamedColors::Table()
{
    return kTable;
}

std::optional<COLORREF> CXNamedColors::Lookup(QStringView name)
{
    for (const Entry& e : kTable) {
        if (EqualsNoCase(name, e.name))
            return e.value;
    }
    return std::nullopt;
}

QString CXNamedColors::NameOf(COLORREF value)
{
    for (const Entry& e : kTable) {
        if (e.value == value)
            return QString::fromLatin1(e.name);
    }
    return {};
}

COLORREF CXNamedColors::ToRgb(COLORREF value)
{
    if (!IsSystemColor(value))
        return value & 0x00FFFFFFu;
    const unsigned index = value & 0xFFu;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        return index < kClassicSystem.size() ? kClassicSystem[index] : 0;
    return PaletteColor(QGuiApplication::palette(), index);
}

QString CXNamedColors::ToText(COLORREF value)
{
    QString name = NameOf(value);
    if (!name.isEmpty())
        return name;
    const COLORREF rgb = ToRgb(value);
    return QStringLiteral("#%1%2%3")
        .arg(RedOf(rgb), 2, 16, QChar(u'0'))
        .arg(GreenOf(rgb), 2, 16, QChar(u'0'))
        .arg(BlueOf(rgb), 2, 16, QChar(u'0'))
        .toUpper();
}

COLORREF CXNamedColors::FromText(QStringView text)
{
    if (text.contains(u',')) {
        int parts[3] = {0, 0, 0};
        qsizetype start = 0;
        for (int k = 0; k < 3 && start <= text.size(); ++k) {
            qsizetype comma = text.indexOf(u',', start);
            const qsizetype end = comma < 0 ? text.size() : comma;
            parts[k] = LeadingInteger(text.mid(start, end - start));
            if (comma < 0)
                break;
            start = comma + 1;
        }
        return MakeRgb(parts[0], parts[1], parts[2]);
    }
    if (text.contains(u'#')) {
        if (text.size() != 7 || text[0] != u'#')
            return 0;
        int v[6];
        for (int k = 0; k < 6; ++k) {
            v[k] = HexDigit(text[k + 1]);
            if (v[k] < 0)
                return 0;
        }
        return MakeRgb(v[0] * 16 + v[1], v[2] * 16 + v[3], v[4] * 16 + v[5]);
    }
    const std::optional<COLORREF> named = Lookup(text);
    return named ? ToRgb(*named) : 0;
}
