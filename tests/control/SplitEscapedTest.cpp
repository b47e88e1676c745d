// Splitting tree entries and node paths at delimiters that an escape character can protect.
#include "control/query/SplitEscaped.h"

#include <gtest/gtest.h>

namespace {

TEST(SplitEscapedTest, SplitsAtUnescapedDelimiters)
{
    struct Case {
        const char* name;
        const char* text;
        const char* delimiters;
        const char* escape;
        bool trim;
        QStringList expected;
    };
    const Case cases[] = {
        {"tree entry", "[Time].[2023]~2023~True", "~", "\\", true, {"[Time].[2023]", "2023", "True"}},
        {"escaped closing bracket stays in the name", "[Store].[A]]B]~A]B~False", "~", "\\", true,
            {"[Store].[A]]B]", "A]B", "False"}},
        {"dots inside brackets do not split", "[Store].[St. Louis].[No. 5]~No. 5~False", "~", "\\", true,
            {"[Store].[St. Louis].[No. 5]", "No. 5", "False"}},
        {"escaped delimiter is kept, escape dropped", "[P].[a\\~b]~a\\~b~True", "~", "\\", true,
            {"[P].[a~b]", "a~b", "True"}},
        {"empty text gives one empty piece", "", "~", "\\", true, {""}},
        {"trailing delimiter gives an empty piece", "a~b~", "~", "\\", true, {"a", "b", ""}},
        {"trim removes blanks only when asked", " a ~ b ", "~", "\\", true, {"a", "b"}},
        {"no trim keeps blanks", " a ~ b ", "~", "\\", false, {" a ", " b "}},
        {"several delimiters", "a.b~c", "~.", "\\", true, {"a", "b", "c"}},
        {"letters match without case", "aXbxc", "x", "\\", false, {"a", "b", "c"}},
        {"only the first escape character counts", "a#~b", "~", "#!", false, {"a~b"}},
        {"no escape", "a\\~b", "~", "", false, {"a\\", "b"}},
        {"node path", "Sales\\Time\\2023\\Q1", "\\", "\\", true, {"Sales", "Time", "2023", "Q1"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitEscaped(
                      QString::fromUtf8(c.text), QString::fromUtf8(c.delimiters), QString::fromUtf8(c.escape), c.trim),
            c.expected)
            << c.name << ": got "
            << SplitEscaped(
                   QString::fromUtf8(c.text), QString::fromUtf8(c.delimiters), QString::fromUtf8(c.escape), c.trim)
                   .join(QLatin1Char('|'))
                   .toStdString();
    }
}

} // namespace
