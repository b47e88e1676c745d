#include "TestPrinters.h"
#include "uikit/CXHtmlMarkup.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

namespace {

struct PlainCase {
    const char* name;
    const char* markup;
    const char* plain;
};

void PrintTo(const PlainCase& c, std::ostream* os)
{
    *os << c.name << ": \"" << c.markup << "\" -> \"" << c.plain << '"';
}

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

QString Joined(const QList<CXHtmlMarkup::Run>& runs)
{
    QString text;
    for (const CXHtmlMarkup::Run& run : runs)
        text += run.lineBreak ? QStringLiteral("|") : run.text;
    return text;
}

struct ElideCase {
    const char* name;
    const char* markup;
    int widthInChars; // the room, in widths of "x"
    bool elided;
};

void PrintTo(const ElideCase& c, std::ostream* os)
{
    *os << c.name << ": \"" << c.markup << "\" in " << c.widthInChars << " x-widths";
}

class Elide : public ::testing::TestWithParam<ElideCase> { };

TEST_P(Elide, CutsAtACharacterAndEndsInAnEllipsis)
{
    const QFont font;
    const QFontMetrics fm(font);
    const int width = fm.horizontalAdvance(QLatin1Char('x')) * GetParam().widthInChars;
    const QList<CXHtmlMarkup::Run> runs = CXHtmlMarkup::Parse(QString::fromUtf8(GetParam().markup));
    bool elided = false;
    const QList<CXHtmlMarkup::Run> cut = CXHtmlMarkup::Elide(runs, font, width, &elided);
    EXPECT_EQ(elided, GetParam().elided);
    const QStringList lines = Joined(cut).split(QLatin1Char('|'));
    const QStringList whole = Joined(runs).split(QLatin1Char('|'));
    ASSERT_EQ(lines.size(), whole.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lines[i].endsWith(QChar(0x2026))) {
            EXPECT_EQ(lines[i], whole[i]); // a line that fits is left alone
            continue;
        }
        // What is left is the start of the line, never half a character.
        const QString kept = lines[i].chopped(1);
        EXPECT_TRUE(whole[i].startsWith(kept)) << kept.toStdString();
        EXPECT_FALSE(kept.size() < whole[i].size() && whole[i].at(kept.size()).isMark())
            << "an accent was split from its letter";
    }
    EXPECT_LE(CXHtmlMarkup::Measure(cut, font).width(), std::max(width, fm.horizontalAdvance(QChar(0x2026))));
}

INSTANTIATE_TEST_SUITE_P(Cases, Elide,
    ::testing::Values(ElideCase {"fits", "Sales", 40, false},
        ElideCase {"too_long", "Sales per month and region", 8, true},
        ElideCase {"coloured_run_cut", "<font color=\"dodgerblue\">Quarterly reports of the north</font>", 10, true},
        ElideCase {"second_run_cut", "<b>Sales</b> per month and region", 10, true},
        ElideCase {"accent_kept_whole", "Caf\u0065\u0301\u0065\u0301\u0065\u0301\u0065\u0301 long name here", 5, true},
        ElideCase {"each_line_on_its_own", "Short<br>A rather long second line", 8, true},
        ElideCase {"no_room_leaves_an_ellipsis", "Sales", 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Elide, KeepsTheColourOfTheCutRun)
{
    const QFont font;
    const QList<CXHtmlMarkup::Run> runs
        = CXHtmlMarkup::Parse(u"<font color=\"dodgerblue\">Quarterly reports of the north</font>");
    const QList<CXHtmlMarkup::Run> cut
        = CXHtmlMarkup::Elide(runs, font, QFontMetrics(font).horizontalAdvance(QStringLiteral("Quarterly")));
    ASSERT_EQ(cut.size(), 1);
    EXPECT_EQ(cut[0].color, QColor(30, 144, 255));
    EXPECT_TRUE(cut[0].text.endsWith(QChar(0x2026)));
}

} // namespace
