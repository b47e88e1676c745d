#include "TestPrinters.h"
#include "uikit/CXContrast.h"

#include <gtest/gtest.h>

namespace {

struct RatioCase {
    const char* name;
    QRgb a;
    QRgb b;
    double ratio;
};

void PrintTo(const RatioCase& c, std::ostream* os)
{
    *os << c.name << ": " << QColor(c.a).name().toStdString() << " and " << QColor(c.b).name().toStdString();
}

class ContrastRatio : public ::testing::TestWithParam<RatioCase> { };

TEST_P(ContrastRatio, MatchesTheGuidelines)
{
    EXPECT_NEAR(CXContrast::Ratio(QColor(GetParam().a), QColor(GetParam().b)), GetParam().ratio, 0.05);
    EXPECT_NEAR(CXContrast::Ratio(QColor(GetParam().b), QColor(GetParam().a)), GetParam().ratio, 0.05);
}

INSTANTIATE_TEST_SUITE_P(Cases, ContrastRatio,
    ::testing::Values(RatioCase {"black_on_white", 0x000000, 0xffffff, 21.0},
        RatioCase {"same_colour", 0x336699, 0x336699, 1.0},
        RatioCase {"grey_767676_on_white", 0x767676, 0xffffff, 4.54},
        RatioCase {"dodgerblue_on_white", 0x1e90ff, 0xffffff, 3.24}),
    [](const auto& info) { return std::string(info.param.name); });

struct ReadableCase {
    const char* name;
    QRgb color;
    QRgb background;
    bool changed;
};

void PrintTo(const ReadableCase& c, std::ostream* os)
{
    *os << c.name << ": " << QColor(c.color).name().toStdString() << " on "
        << QColor(c.background).name().toStdString();
}

class Readable : public ::testing::TestWithParam<ReadableCase> { };

TEST_P(Readable, ReachesTheRatioWithTheLeastChange)
{
    const QColor background(GetParam().background);
    const QColor original(GetParam().color);
    const QColor result = CXContrast::Readable(original, background);
    EXPECT_GE(CXContrast::Ratio(result, background), CXContrast::kMinimumTextRatio);
    EXPECT_EQ(result != original, GetParam().changed);
    if (GetParam().changed) {
        // Only just far enough: a step back would fall short.
        const QColor halfway((result.red() + original.red()) / 2, (result.green() + original.green()) / 2,
            (result.blue() + original.blue()) / 2);
        EXPECT_LT(CXContrast::Ratio(halfway, background), CXContrast::kMinimumTextRatio);
        // The hue stays where there is one to keep.
        if (original.hue() >= 0 && result.saturation() > 0) {
            EXPECT_NEAR(result.hue(), original.hue(), 6);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, Readable,
    ::testing::Values(ReadableCase {"black_stays", 0x000000, 0xffffff, false},
        ReadableCase {"dodgerblue_darkened_on_white", 0x1e90ff, 0xffffff, true},
        ReadableCase {"yellow_darkened_on_white", 0xffff00, 0xffffff, true},
        ReadableCase {"navy_lightened_on_black", 0x000080, 0x000000, true},
        ReadableCase {"grey_on_mid_grey_goes_to_the_end_that_can_reach", 0x808080, 0x777777, true}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
