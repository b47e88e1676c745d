#include "TestPrinters.h"
#include "catalogue/CXmlDocument.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

struct TagCase {
    const char* name;
    const char* tag;
    int kind;
    const char* content;
};

class ClassifyTag : public ::testing::TestWithParam<TagCase> { };

TEST_P(ClassifyTag, Classifies)
{
    QString content;
    EXPECT_EQ(CXmlDocument::ClassifyTag(QString::fromUtf8(GetParam().tag), content), GetParam().kind);
    if (GetParam().kind != -1) {
        EXPECT_EQ(content, QString::fromUtf8(GetParam().content));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ClassifyTag,
    ::testing::Values(TagCase {"declaration", "<?xml version=\"1.0\"?>", -1, ""},
        TagCase {"comment", "<!-- x -->", -1, ""}, TagCase {"empty", "", -1, ""},
        TagCase {"opening", "<item name=\"a\">", 0, "item name=\"a\""}, TagCase {"closing", "</item>", 1, "item"},
        TagCase {"empty_element", "<item name=\"a\"/>", 2, "item name=\"a\""},
        TagCase {"bare_close_and_empty", "</>", 2, ""}, TagCase {"stray_bracket", ">", 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

QStringList Names(const CXmlElement& element)
{
    QStringList names;
    for (const auto& child : element.Children())
        names << child->Name() + u':' + child->GetAttribute(u"name");
    return names;
}

TEST(XmlDocument, ClosingTagClosesTheCurrentElementWhateverItsName)
{
    CXmlDocument doc;
    doc.Parse(QStringLiteral("<?xml version=\"1.0\"?><root name=\"R\"><folder name=\"A\"><x name=\"A1\"/></zzz>"
                             "<report name=\"B\">text</report></root>"));
    EXPECT_EQ(doc.Root().Name(), QStringLiteral("root"));
    EXPECT_EQ(Names(doc.Root()), (QStringList {"folder:A", "report:B"}));
    EXPECT_EQ(Names(*doc.Root().Children()[0]), (QStringList {"x:A1"}));
    EXPECT_EQ(doc.Root().Children()[1]->Value(), QStringLiteral("text"));
    EXPECT_FALSE(doc.Truncated());
}

TEST(XmlDocument, ParseClearsThePreviousDocument)
{
    CXmlDocument doc;
    doc.Parse(QStringLiteral("<root name=\"R\"><a/><b/></root>"));
    doc.Parse(QStringLiteral("<top name=\"T\"/>"));
    EXPECT_EQ(doc.Root().Name(), QStringLiteral("top"));
    EXPECT_TRUE(doc.Root().Children().empty());
}

TEST(XmlDocument, StopsAtNestingDeeperThanAllowed)
{
    QString text = QStringLiteral("<root name=\"R\">");
    for (int i = 0; i < CXmlDocument::kMaxDepth + 5; ++i)
        text += QStringLiteral("<a>");
    CXmlDocument doc;
    doc.Parse(text);
    EXPECT_TRUE(doc.Truncated());
    int depth = 0;
    for (const CXmlElement* e = &doc.Root(); !e->Children().empty(); e = e->Children()[0].get())
        ++depth;
    EXPECT_EQ(depth, CXmlDocument::kMaxDepth);
}

struct AttributeCase {
    const char* name;
    const char* attributes;
    const char* attribute;
    const char* value;
};

class GetAttribute : public ::testing::TestWithParam<AttributeCase> { };

TEST_P(GetAttribute, FindsAndDecodes)
{
    CXmlDocument doc;
    doc.Parse(QStringLiteral("<e ") + QString::fromUtf8(GetParam().attributes) + QStringLiteral(">"));
    EXPECT_EQ(doc.Root().GetAttribute(QString::fromUtf8(GetParam().attribute)), QString::fromUtf8(GetParam().value));
}

INSTANTIATE_TEST_SUITE_P(Cases, GetAttribute,
    ::testing::Values(AttributeCase {"first", "name=\"a\" Filename1=\"f\"", "name", "a"},
        AttributeCase {"later", "name=\"a\" Filename1=\"f\"", "Filename1", "f"},
        AttributeCase {"exact_name_only", "Filename1=\"f\"", "Filename", ""},
        AttributeCase {"case_sensitive", "Name=\"a\"", "name", ""}, AttributeCase {"missing", "name=\"a\"", "note", ""},
        AttributeCase {"not_inside_values", "note=\" name=x\" name=\"real\"", "name", "real"},
        AttributeCase {"escapes", "name=\"&lt;b&gt; &quot;q&quot; &amp;amp;\"", "name", "<b> \"q\" &amp;"},
        AttributeCase {"amp_then_lt_not_decoded_twice", "name=\"&amp;lt;\"", "name", "&lt;"},
        AttributeCase {"numeric_references", "name=\"&#8364;&#x4E2D;&#233;\"", "name", "€中é"},
        AttributeCase {"escaped_reference_stays_text", "name=\"&amp;#65;\"", "name", "&#65;"},
        AttributeCase {"line_break_references_dropped", "name=\"a&#10;b&#13;&#9;c\"", "name", "abc"},
        AttributeCase {
            "malformed_references_stay", "name=\"&#; &#x; &#12a; &#99999999;\"", "name", "&#; &#x; &#12a; &#99999999;"},
        AttributeCase {"unterminated_value_runs_to_end", "name=\"abc def", "name", "abc def"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
