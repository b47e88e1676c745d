#include "TestPrinters.h"
#include "catalogue/CXHtmlTree.h"

#include <gtest/gtest.h>

namespace {

struct FindCase {
    const char* name;
    QString itemText;
    QString search;
    bool matchCase;
    bool wholeWord;
    bool found;
};

class FindOne : public ::testing::TestWithParam<FindCase> { };

TEST_P(FindOne, MatchesAsTheWordRuleSays)
{
    CXHtmlTree tree;
    QTreeWidgetItem* item = tree.InsertItem(GetParam().itemText, CXHtmlTree::NO_IMAGE, nullptr, nullptr);
    QTreeWidgetItem* found
        = tree.FindItem(GetParam().search, GetParam().matchCase, true, GetParam().wholeWord, false, nullptr);
    EXPECT_EQ(found, GetParam().found ? item : nullptr);
}

INSTANTIATE_TEST_SUITE_P(Cases, FindOne,
    ::testing::Values(FindCase {"whole_word_exact", "Sales", "Sales", true, true, true},
        FindCase {"whole_word_skips_Salesforce", "Salesforce", "Sales", true, true, false},
        FindCase {"whole_word_digit_separates", "Sales2", "Sales", true, true, true},
        FindCase {"whole_word_space_separates", "Sales 2009", "Sales", true, true, true},
        FindCase {"substring_finds_Salesforce", "Salesforce", "Sales", true, false, true},
        FindCase {"substring_finds_Sales2", "Sales2", "Sales", true, false, true},
        FindCase {"substring_finds_Sales_2009", "Sales 2009", "Sales", true, false, true},
        FindCase {"whole_word_tries_later_occurrences", "Salesforce and Sales", "Sales", true, true, true},
        FindCase {"underscore_joins_words", "Sales_EU", "Sales", true, true, false},
        FindCase {"letter_before_joins", "PreSales", "Sales", true, true, false},
        FindCase {"non_ascii_letter_separates", "ÅSales", "Sales", true, true, true},
        FindCase {"match_case_differs", "Sales", "sales", true, false, false},
        FindCase {"ignore_case", "Sales", "sALES", false, true, true},
        FindCase {"markup_removed", "<font color=\"dodgerblue\">Sales</font>", "Sales", true, true, true},
        FindCase {"markup_is_not_searched", "<font color=\"dodgerblue\">Sales</font>", "font", false, false, false},
        FindCase {"only_199_characters", QString(195, u'x') + "Sales", "Sales", true, false, false},
        FindCase {"within_199_characters", QString(194, u'x') + "Sales", "Sales", true, false, true},
        FindCase {"empty_search", "Sales", "", true, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

class FindInTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_root = m_tree.InsertItem("Root", CXHtmlTree::NO_IMAGE, nullptr, nullptr);
        m_a = m_tree.InsertItem("Alpha", CXHtmlTree::NO_IMAGE, m_root, nullptr);
        m_a1 = m_tree.InsertItem("Beta one", CXHtmlTree::NO_IMAGE, m_a, nullptr);
        m_b = m_tree.InsertItem("Beta", CXHtmlTree::NO_IMAGE, m_root, nullptr);
    }
    CXHtmlTree m_tree;
    QTreeWidgetItem* m_root = nullptr;
    QTreeWidgetItem* m_a = nullptr;
    QTreeWidgetItem* m_a1 = nullptr;
    QTreeWidgetItem* m_b = nullptr;
};

TEST_F(FindInTree, SearchesInPreOrderFromTheStartItem)
{
    EXPECT_EQ(m_tree.FindItem("Beta", true, true, false, false, nullptr), m_a1);
    EXPECT_EQ(m_tree.FindItem("Beta", true, true, true, false, m_b), m_b);
    EXPECT_EQ(m_tree.FindItem("Alpha", true, true, false, false, m_a1), nullptr);
    EXPECT_EQ(m_tree.FindItem("Alpha", true, true, false, true, m_a1), m_a);
    EXPECT_EQ(m_tree.FindItem("Missing", true, true, false, true, m_a1), nullptr);
    EXPECT_EQ(m_tree.FindItem("Alpha", true, false, false, false, m_b), m_a);
    EXPECT_EQ(m_tree.FindItem("Beta", true, false, false, true, m_a), m_b);
}

TEST_F(FindInTree, WalksInPreOrderWithLevels)
{
    QList<QTreeWidgetItem*> order;
    for (QTreeWidgetItem* it = m_tree.GetRootItem(); it != nullptr; it = m_tree.GetNextItem(it))
        order << it;
    EXPECT_EQ(order, (QList<QTreeWidgetItem*> {m_root, m_a, m_a1, m_b}));
    QList<QTreeWidgetItem*> back;
    for (QTreeWidgetItem* it = m_b; it != nullptr; it = m_tree.GetPrevItem(it))
        back.prepend(it);
    EXPECT_EQ(back, order);
    EXPECT_EQ(CXHtmlTree::GetItemLevel(m_root), 0);
    EXPECT_EQ(CXHtmlTree::GetItemLevel(m_a1), 2);
}

TEST(Tree, OwnsACopyOfEveryRecord)
{
    CXHtmlTree tree;
    XHTMLTREEDATA data;
    data.Filename1 = "a.xml";
    QTreeWidgetItem* item = tree.InsertItem("A", 1, nullptr, &data);
    data.Filename1 = "changed";
    ASSERT_NE(tree.GetItemData(item), nullptr);
    EXPECT_EQ(tree.GetItemData(item)->Filename1, QStringLiteral("a.xml"));
    EXPECT_EQ(tree.GetItemData(nullptr), nullptr);
    CXHtmlTree other;
    EXPECT_EQ(tree.InsertItem("B", 1, other.InsertItem("X", 1, nullptr, nullptr), nullptr), nullptr)
        << "a parent from another tree is refused";
}

TEST(Tree, GetTextPlainRemovesMarkupOfLongerTexts)
{
    CXHtmlTree tree;
    QTreeWidgetItem* item = tree.InsertItem("<b>Sales</b>", 1, nullptr, nullptr);
    QTreeWidgetItem* shortItem = tree.InsertItem("<b>", 1, nullptr, nullptr);
    EXPECT_EQ(tree.GetItemText(item), QStringLiteral("<b>Sales</b>"));
    EXPECT_EQ(tree.GetItemText(item, true), QStringLiteral("Sales"));
    EXPECT_EQ(tree.GetItemText(shortItem, true), QStringLiteral("<b>"));
}

TEST(Tree, RecordLookupsFindNothingWhileEmptying)
{
    CXHtmlTree tree;
    QTreeWidgetItem* root = tree.InsertItem("Root", 0, nullptr, nullptr);
    QTreeWidgetItem* child = tree.InsertItem("Child", 0, root, nullptr);
    tree.SelectItem(child);
    bool sawEmptying = false;
    QObject::connect(&tree, &QTreeWidget::currentItemChanged, &tree, [&](QTreeWidgetItem*, QTreeWidgetItem*) {
        if (!tree.IsEmptying())
            return;
        sawEmptying = true;
        EXPECT_EQ(tree.GetItemData(root), nullptr);
    });
    tree.DeleteAllItems();
    EXPECT_TRUE(sawEmptying);
    EXPECT_FALSE(tree.IsEmptying());
    EXPECT_EQ(tree.topLevelItemCount(), 0);
}

TEST(Tree, DeleteItemTakesItsSeparatorsOffTheAncestors)
{
    const QByteArray text = "<root name=\"R\"><item name=\"F\"><item name=\"\" separator=\"1\"/>"
                            "<item name=\"S\"><item name=\"\" separator=\"1\"/><item name=\"x\" separator=\"1\"/>"
                            "</item></item></root>";
    CXHtmlTree tree;
    tree.ReadCatalogueText(text.constData(), text.size());
    QTreeWidgetItem* root = tree.GetRootItem();
    QTreeWidgetItem* folder = root->child(0);
    QTreeWidgetItem* sub = folder->child(1);
    EXPECT_EQ(tree.GetItemData(root)->nSeparatorCount, 3);
    EXPECT_EQ(tree.GetItemData(folder)->nSeparatorCount, 3);
    EXPECT_EQ(tree.GetItemData(sub)->nSeparatorCount, 2);
    EXPECT_EQ(tree.GetItemText(sub->child(1)), QString()) << "a separator has no text";
    EXPECT_EQ(tree.GetStateImage(sub->child(1)), 0);

    EXPECT_TRUE(tree.DeleteItem(sub));
    EXPECT_EQ(tree.GetItemData(root)->nSeparatorCount, 1);
    EXPECT_EQ(tree.GetItemData(folder)->nSeparatorCount, 1);
    EXPECT_EQ(folder->childCount(), 1);
    EXPECT_FALSE(tree.DeleteItem(nullptr));
}

TEST(Tree, CheckBoxStateImagesFollowTheRecord)
{
    CXHtmlTree tree(nullptr, true);
    XHTMLTREEDATA data;
    QTreeWidgetItem* unchecked = tree.InsertItem("a", 0, nullptr, &data);
    data.bChecked = 1;
    QTreeWidgetItem* checked = tree.InsertItem("b", 0, nullptr, &data);
    data.bEnabled = 0;
    QTreeWidgetItem* disabled = tree.InsertItem("c", 0, nullptr, &data);
    EXPECT_EQ(tree.GetStateImage(unchecked), 1);
    EXPECT_EQ(tree.GetStateImage(checked), 2);
    EXPECT_EQ(tree.GetStateImage(disabled), 6);
    tree.SetCheck(unchecked, true);
    EXPECT_EQ(tree.GetStateImage(unchecked), 2);
    EXPECT_EQ(tree.GetItemData(unchecked)->bChecked, 1);

    CXHtmlTree plain;
    EXPECT_EQ(plain.GetStateImage(plain.InsertItem("a", 0, nullptr, &data)), 0);
}

} // namespace
