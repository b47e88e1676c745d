#include "olap/util/ValueFormatter.h"

#include <gtest/gtest.h>

#include <iterator>

namespace {

TEST(ValueFormatter, FormatsAsTheMondrianPeerDoes)
{
    struct Case {
        double value;
        const char* format;
        const char* text;
    };
    // Answers recorded from the peer server, except where marked.
    const Case cases[] = {
        {1234.5678, "Standard", "1,235"},
        {4940, "Standard", "4,940"},
        {0.000012345, "Standard", "0"},
        {-1234.5, "Currency", "($1,234.50)"}, // the peer prints the generic currency sign
        {0.12345, "Percent", "12.35%"},
        {1234.5678, "Fixed", "1235"},
        {-1234.5678, "#,##0.00;(#,##0.00)", "(1,234.57)"},
        {0, "#,##0.0;-#,##0.0;\"zero\"", "zero"},
        {1234.5678, "", "1,234.568"},
        {0.5, "#,##0", "1"},
        {2.5, "0", "3"},
        {1234567.891, "General Number", "1,234,567.891"},
        {1234.5, "$#,##0.00", "$1,234.50"},
        {0.256, "0.0%", "25.6%"},
        {1e20, "#,##0", "100,000,000,000,000,000,000"},
        {-0.4, "0", "0"},
        {123.456, "00000.0", "00123.5"},
        {1234.5678, "#.##", "1234.57"},
        {2719.46, "#,##0.00", "2,719.46"},
        {-2719.46, "#,##0.00", "-2,719.46"},
        {2.6055152394775, "#,##0.000", "2.606"},
        {4.68707482993197, "0.00", "4.69"},
        {7, "\\#0 \"units\"", "#7 units"},
        // Group separators for every length of the integer part.
        {11432, "Standard", "11,432"},
        {55663.54, "#,##0.00", "55,663.54"},
        {-12345, "#,##0", "-12,345"},
        {1234567, "#,##0", "1,234,567"},
        {12345678, "#,##0", "12,345,678"},
        // Not from the peer: no integer digit, zero padding under groups, many decimals,
        // a negative value that rounds to zero, text around the number.
        {0.5, "#.##", ".5"},
        {123.456, "#,##00000.0", "00,123.5"},
        {1.5, "0.00000000000000000000", "1.50000000000000000000"},
        {5e-7, "0.000000", "0.000001"},
        {-0.004, "0.00", "0.00"},
        {12345.5, "\"EUR \"#,##0.0\" net\"", "EUR 12,345.5 net"},
        {0.004, "#,##0.00;;\"z\"", "z"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(olap::ValueFormatter::Format(c.value, c.format), c.text) << c.value << " with '" << c.format << "'";
    // Taken again in a rotation of more formats than the formatter keeps at hand, and once
    // more backwards: each value still gets its own format.
    for (int round = 0; round < 3; ++round) {
        for (const Case& c : cases)
            EXPECT_EQ(olap::ValueFormatter::Format(c.value, c.format), c.text) << "round " << round;
        for (auto it = std::rbegin(cases); it != std::rend(cases); ++it)
            EXPECT_EQ(olap::ValueFormatter::Format(it->value, it->format), it->text) << "backwards, round " << round;
    }
}

} // namespace
