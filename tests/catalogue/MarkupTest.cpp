#include "TestPrinters.h"
#include "uikit/CXHtmlMarkup.h"

#include <gtest/gtest.h>

namespace {

struct PlainCase {
    const char* name;
    const char* markup;
    const char* plain;
};

class PlainText : public ::testing::TestWithParam<PlainCase> { };

TEST_P(PlainText, RemovesMarkup)
{
    EXPECT_EQ(CXHtmlMarkup::PlainText(QString::fromUtf8(GetParam().markup)), QString::fromUtf8(GetParam().plain));
}

INSTANTIATE_TEST_SUITE_P(Cases, PlainText,
    ::testing::Values(PlainCase {"plain_text", "Sales per month", "Sales per month"},
        PlainCase {"font_element", "<font color=\"dodgerblue\">Sales</font>", "Sales"},
        PlainCase {"three_characters_stay", "<b>", "<b>"}, PlainCase {"three_characters_entity_stays", "&lt", "&lt"},
        PlainCase {"entities", "5 &gt; 3 &amp; 2", "5 > 3 & 2"},
        PlainCase {"decoded_lt_then_removed", "2 &lt; 4", "2  4"},
        PlainCase {"named_entities", "&euro;5 &copy;&nbsp;x", "€5 ©\u00a0x"},
        PlainCase {"escaped_tag_removed", "&lt;b&gt;bold", "bold"}, PlainCase {"amp_first_then_lt", "a&amp;lt;b", "ab"},
        PlainCase {"lone_lt_removed_alone", "x < y", "x  y"},
        PlainCase {"unknown_entity_stays", "a &zz; b", "a &zz; b"},
        PlainCase {"nested_tags", "a<b>c<i>d</i></b>e", "acde"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Markup, ParsesRunsWithTheirLook)
{
    const QList<CXHtmlMarkup::Run> runs
        = CXHtmlMarkup::Parse(u"<font color=\"dodgerblue\" "
                              u"face=\"Serif\">A</font><b>B<i>C</i></b><br/><u>D&amp;</u><font color=\"#FF0000\">E");
    ASSERT_EQ(runs.size(), 6);
    EXPECT_EQ(runs[0].text, QStringLiteral("A"));
    EXPECT_EQ(runs[0].color, QColor(30, 144, 255));
    EXPECT_EQ(runs[0].face, QStringLiteral("Serif"));
    EXPECT_TRUE(runs[1].bold && !runs[1].italic);
    EXPECT_TRUE(runs[2].bold && runs[2].italic);
    EXPECT_TRUE(runs[3].lineBreak);
    EXPECT_EQ(runs[4].text, QStringLiteral("D&"));
    EXPECT_TRUE(runs[4].underline && !runs[4].bold);
    EXPECT_EQ(runs[5].color, QColor(255, 0, 0));
}

TEST(Markup, KeepsWhatIsNotMarkup)
{
    const QList<CXHtmlMarkup::Run> runs = CXHtmlMarkup::Parse(u"a < b &zz; <blink>c</blink>");
    ASSERT_EQ(runs.size(), 1);
    EXPECT_EQ(runs[0].text, QStringLiteral("a < b &zz; c"));
}

} // namespace
