#include "TestPrinters.h"
#include "uikit/CXNamedColors.h"

#include <gtest/gtest.h>

namespace {

TEST(NamedColors, TableHoldsWebThenSystemColoursInOrder)
{
    const auto& table = CXNamedColors::Table();
    ASSERT_EQ(table.size(), 179u);
    EXPECT_STREQ(table[0].name, "AliceBlue");
    EXPECT_STREQ(table[139].name, "YellowGreen");
    EXPECT_EQ(table[139].value, MakeRgb(0x8B, 0xCD, 0x32));
    EXPECT_STREQ(table[140].name, "ActiveBorder");
    EXPECT_EQ(table[140].value, 0x8000000Au);
    EXPECT_STREQ(table[178].name, "WindowText");
    EXPECT_EQ(table[178].value, 0x80000008u);
}

struct TextCase {
    const char* name;
    const char* text;
    COLORREF expected;
};

class ColourFromText : public ::testing::TestWithParam<TextCase> { };

TEST_P(ColourFromText, Reads)
{
    EXPECT_EQ(CXNamedColors::FromText(QString::fromUtf8(GetParam().text)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ColourFromText,
    ::testing::Values(TextCase {"hex", "#1E90FF", MakeRgb(30, 144, 255)},
        TextCase {"hex_lower_case", "#1e90ff", MakeRgb(30, 144, 255)},
        TextCase {"decimal_triple", "30,144,255", MakeRgb(30, 144, 255)},
        TextCase {"decimal_with_spaces", " 30, 144 ,255", MakeRgb(30, 144, 255)},
        TextCase {"missing_blue_is_0", "255,128", MakeRgb(255, 128, 0)},
        TextCase {"comma_wins_over_hash", "#1,2,3", MakeRgb(0, 2, 3)},
        TextCase {"parts_keep_their_low_byte", "256,0,-1", MakeRgb(0, 0, 255)},
        TextCase {"name_any_case", "dODGERbLUE", MakeRgb(30, 144, 255)}, TextCase {"short_hex_is_black", "#1E90F", 0},
        TextCase {"long_hex_is_black", "#1E90FF0", 0}, TextCase {"bad_digit_is_black", "#1E90FG", 0},
        TextCase {"hash_not_first_is_black", "1E90FF#", 0}, TextCase {"unknown_name_is_black", "Dodger", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NamedColors, FirstEntryOfAValueWinsOnWrite)
{
    EXPECT_EQ(CXNamedColors::ToText(MakeRgb(0, 255, 255)), QStringLiteral("Aqua"));
    EXPECT_EQ(CXNamedColors::ToText(MakeRgb(255, 0, 255)), QStringLiteral("Fuchsia"));
    EXPECT_EQ(CXNamedColors::ToText(MakeRgb(30, 144, 255)), QStringLiteral("DodgerBlue"));
    EXPECT_EQ(CXNamedColors::ToText(MakeRgb(0x12, 0x34, 0x56)), QStringLiteral("#123456"));
    EXPECT_EQ(CXNamedColors::ToText(0x80000000u + 20), QStringLiteral("BtnHighlight"));
}

TEST(NamedColors, SystemColoursReadAsTheirCurrentValue)
{
    const COLORREF window = CXNamedColors::ToRgb(0x80000005u);
    EXPECT_FALSE(CXNamedColors::IsSystemColor(window));
    EXPECT_EQ(CXNamedColors::FromText(u"window"), window);
    // An index outside the table is written as the hex of its current value.
    const COLORREF other = CXNamedColors::ToRgb(0x80000019u);
    EXPECT_TRUE(CXNamedColors::ToText(0x80000019u).startsWith(u'#'));
    EXPECT_EQ(CXNamedColors::FromText(CXNamedColors::ToText(0x80000019u)), other);
}

} // namespace
