#include "catalogue/CXHtmlTree.h"
#include "catalogue/CXHtmlTreeNotify.h"

#include <QApplication>
#include <QHelpEvent>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWidget>

namespace {

// The window holding the tree: answers its messages as told and records them.
class Host : public QWidget, public CXHtmlTreeNotify {
public:
    Host()
    {
        auto* layout = new QVBoxLayout(this);
        tree = new CXHtmlTree(this);
        tree->setObjectName("reportTree");
        layout->addWidget(tree);
        resize(300, 400);
    }

    int OnXHtmlTreeBeginDrag(const XHtmlTreeMessage& msg) override
    {
        log << QStringLiteral("begin %1 copy=%2").arg(Text(msg.item)).arg(msg.copy);
        return refuseBegin;
    }
    int OnXHtmlTreeEndDrag(const XHtmlTreeMessage& msg) override
    {
        log << QStringLiteral("end %1 on %2 copy=%3").arg(Text(msg.item), Text(msg.dropTarget)).arg(msg.copy);
        return refuseEnd;
    }
    int OnXHtmlTreeDropHover(const XHtmlTreeMessage& msg) override
    {
        hovered << Text(msg.dropTarget);
        return Text(msg.dropTarget) == refuseHoverOn ? 1 : 0;
    }
    int OnXHtmlTreeDisplayTooltip(const XHtmlTreeMessage& msg) override
    {
        log << QStringLiteral("tooltip %1").arg(Text(msg.item));
        return 0;
    }
    int OnXHtmlTreeCheckboxClicked(const XHtmlTreeMessage& msg) override
    {
        log << QStringLiteral("checkbox %1 %2").arg(Text(msg.item)).arg(msg.checked);
        return 0;
    }

    QString Text(QTreeWidgetItem* item) const
    {
        return item != nullptr ? tree->GetItemText(item) : QStringLiteral("-");
    }

    CXHtmlTree* tree = nullptr;
    QStringList log;
    QStringList hovered;
    int refuseBegin = 0;
    int refuseEnd = 0;
    QString refuseHoverOn;
};

// The tree as text: one "name(Filename1)" per item in pre-order, indented.
QString Shape(const CXHtmlTree& tree)
{
    QStringList lines;
    for (QTreeWidgetItem* it = tree.GetRootItem(); it != nullptr; it = tree.GetNextItem(it)) {
        const XHTMLTREEDATA* data = tree.GetItemData(it);
        lines << QString(CXHtmlTree::GetItemLevel(it) * 2, u' ') + tree.GetItemText(it) + u'('
                + (data != nullptr ? data->Filename1 : QStringLiteral("?")) + u')';
    }
    return lines.join(u'\n');
}

} // namespace

class TreeDragDropTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void plainDragMovesTheItemWithItsSubtree();
    void ctrlDragCopiesTheSubtreeWithRecordCopies();
    void escapeCancelsTheDrag();
    void dropOntoItselfOrADescendantChangesNothing();
    void parentCanRefuseTheDragOrTheDrop_data();
    void parentCanRefuseTheDragOrTheDrop();
    void expandAllKeepsTheSelection();
    void spaceTogglesACheckBox();
    void drawsTheMarkupOfItemTexts();
    void notesShowAsTooltips();
    void restingOnAFolderWhileDraggingOpensIt();

private:
    QTreeWidgetItem* Add(QTreeWidgetItem* parent, const QString& name);
    QTreeWidgetItem* Item(const QString& name) const;
    QPoint Center(QTreeWidgetItem* item) const { return m_host->tree->visualItemRect(item).center(); }
    void Drag(QTreeWidgetItem* from, QTreeWidgetItem* to, Qt::KeyboardModifiers atDrop = Qt::NoModifier);

    Host* m_host = nullptr;
    QString m_initialShape;
};

QTreeWidgetItem* TreeDragDropTest::Add(QTreeWidgetItem* parent, const QString& name)
{
    XHTMLTREEDATA data;
    data.Filename1 = name + ".xml";
    return m_host->tree->InsertItem(name, 1, parent, &data);
}

QTreeWidgetItem* TreeDragDropTest::Item(const QString& name) const
{
    return m_host->tree->FindItem(name, true, true, true, false, nullptr);
}

void TreeDragDropTest::init()
{
    m_host = new Host;
    QTreeWidgetItem* root = Add(nullptr, "Root");
    QTreeWidgetItem* a = Add(root, "Alpha");
    Add(a, "One");
    Add(a, "Two");
    Add(root, "Beta");
    m_host->tree->ExpandAll();
    m_host->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_host));
    m_initialShape = Shape(*m_host->tree);
}

void TreeDragDropTest::cleanup()
{
    delete m_host;
    m_host = nullptr;
}

void TreeDragDropTest::Drag(QTreeWidgetItem* from, QTreeWidgetItem* to, Qt::KeyboardModifiers atDrop)
{
    QWidget* viewport = m_host->tree->viewport();
    const QPoint start = Center(from);
    const QPoint end = Center(to);
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, start);
    QTest::mouseMove(viewport, start + QPoint(0, 3));
    QTest::mouseMove(viewport, start + QPoint(20, 3));
    QTest::mouseMove(viewport, end);
    QTest::mouseRelease(viewport, Qt::LeftButton, atDrop, end);
}

void TreeDragDropTest::plainDragMovesTheItemWithItsSubtree()
{
    Drag(Item("Alpha"), Item("Beta"));
    QCOMPARE(Shape(*m_host->tree),
        QStringLiteral("Root(Root.xml)\n  Beta(Beta.xml)\n    Alpha(Alpha.xml)\n"
                       "      One(One.xml)\n      Two(Two.xml)"));
    QCOMPARE(m_host->log, (QStringList {"begin Alpha copy=0", "end Alpha on Beta copy=0"}));
    QVERIFY(m_host->hovered.contains("Beta"));
    QCOMPARE(m_host->tree->currentItem(), Item("Alpha"));
}

void TreeDragDropTest::ctrlDragCopiesTheSubtreeWithRecordCopies()
{
    Drag(Item("Alpha"), Item("Beta"), Qt::ControlModifier);
    QCOMPARE(Shape(*m_host->tree),
        QStringLiteral("Root(Root.xml)\n  Alpha(Alpha.xml)\n    One(One.xml)\n"
                       "    Two(Two.xml)\n  Beta(Beta.xml)\n    Alpha(Alpha.xml)\n"
                       "      One(One.xml)\n      Two(Two.xml)"));
    QCOMPARE(m_host->log.last(), QStringLiteral("end Alpha on Beta copy=1"));
    QTreeWidgetItem* original = Item("Alpha");
    QTreeWidgetItem* copy = Item("Beta")->child(0);
    QVERIFY(m_host->tree->GetItemData(copy) != m_host->tree->GetItemData(original));
    m_host->tree->GetItemData(copy)->Filename1 = "changed";
    QCOMPARE(m_host->tree->GetItemData(original)->Filename1, QStringLiteral("Alpha.xml"));
}

void TreeDragDropTest::escapeCancelsTheDrag()
{
    QWidget* viewport = m_host->tree->viewport();
    const QPoint start = Center(Item("Alpha"));
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, start);
    QTest::mouseMove(viewport, start + QPoint(20, 3));
    QTest::mouseMove(viewport, Center(Item("Beta")));
    QTest::keyClick(m_host->tree, Qt::Key_Escape);
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, Center(Item("Beta")));
    QCOMPARE(Shape(*m_host->tree), m_initialShape);
    QCOMPARE(m_host->log, (QStringList {"begin Alpha copy=0", "end Alpha on - copy=0"}));
}

void TreeDragDropTest::dropOntoItselfOrADescendantChangesNothing()
{
    Drag(Item("Alpha"), Item("Two"));
    QCOMPARE(Shape(*m_host->tree), m_initialShape);
    QVERIFY(!m_host->hovered.contains("Two"));
    QCOMPARE(m_host->log.last(), QStringLiteral("end Alpha on - copy=0"));

    // Dropping back on itself: the mouse returns to the dragged item.
    QWidget* viewport = m_host->tree->viewport();
    const QPoint start = Center(Item("Beta"));
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, start);
    QTest::mouseMove(viewport, start + QPoint(30, 0));
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::ControlModifier, start + QPoint(30, 0));
    QCOMPARE(Shape(*m_host->tree), m_initialShape);
}

void TreeDragDropTest::parentCanRefuseTheDragOrTheDrop_data()
{
    QTest::addColumn<int>("refuseBegin");
    QTest::addColumn<int>("refuseEnd");
    QTest::addColumn<QString>("refuseHoverOn");
    QTest::addColumn<QStringList>("log");
    QTest::addRow("begin refused") << 1 << 0 << QString() << QStringList {"begin Alpha copy=0"};
    QTest::addRow("drop refused") << 0 << 1 << QString()
                                  << QStringList {"begin Alpha copy=0", "end Alpha on Beta copy=0"};
    QTest::addRow("hover refused") << 0 << 0 << QStringLiteral("Beta")
                                   << QStringList {"begin Alpha copy=0", "end Alpha on - copy=0"};
}

void TreeDragDropTest::parentCanRefuseTheDragOrTheDrop()
{
    QFETCH(int, refuseBegin);
    QFETCH(int, refuseEnd);
    QFETCH(QString, refuseHoverOn);
    QFETCH(QStringList, log);
    m_host->refuseBegin = refuseBegin;
    m_host->refuseEnd = refuseEnd;
    m_host->refuseHoverOn = refuseHoverOn;
    Drag(Item("Alpha"), Item("Beta"));
    QCOMPARE(Shape(*m_host->tree), m_initialShape);
    QCOMPARE(m_host->log, log);
}

void TreeDragDropTest::expandAllKeepsTheSelection()
{
    CXHtmlTree* tree = m_host->tree;
    tree->collapseAll();
    tree->SelectItem(nullptr);
    tree->ExpandAll();
    QVERIFY(Item("Alpha")->isExpanded());
    QCOMPARE(tree->selectedItems(), QList<QTreeWidgetItem*> {tree->GetRootItem()});

    tree->SelectItem(Item("Two"));
    tree->collapseAll();
    tree->ExpandAll();
    QCOMPARE(tree->selectedItems(), QList<QTreeWidgetItem*> {Item("Two")});
    QCOMPARE(tree->verticalScrollBar()->value(), 0);
}

void TreeDragDropTest::spaceTogglesACheckBox()
{
    auto* tree = new CXHtmlTree(m_host, true);
    m_host->layout()->addWidget(tree);
    QTreeWidgetItem* item = tree->InsertItem("Checked", 0, nullptr, nullptr);
    tree->show();
    tree->setFocus();
    tree->SelectItem(item);
    QTest::keyClick(tree, Qt::Key_Space);
    QCOMPARE(tree->GetItemData(item)->bChecked, 1);
    QCOMPARE(tree->GetStateImage(item), 2);
    QCOMPARE(m_host->log, QStringList {"checkbox Checked 1"});
}

void TreeDragDropTest::drawsTheMarkupOfItemTexts()
{
    CXHtmlTree* tree = m_host->tree;
    tree->DeleteAllItems();
    QTreeWidgetItem* root = tree->InsertItem("<b>Reports</b> &amp; more", CXHtmlTree::NO_IMAGE, nullptr, nullptr);
    tree->InsertItem("<font color=\"dodgerblue\">Sales per month</font>", CXHtmlTree::NO_IMAGE, root, nullptr);
    XHTMLTREEDATA separator;
    separator.bSeparator = 1;
    tree->InsertItem(QString(), CXHtmlTree::NO_IMAGE, root, &separator);
    XHTMLTREEDATA coloured;
    coloured.crText = 0x0000FF; // red as COLORREF
    tree->InsertItem("Stock", CXHtmlTree::NO_IMAGE, root, &coloured);
    tree->ExpandAll();
    tree->SelectItem(nullptr);
    const QImage image = tree->viewport()->grab().toImage();
    if (!qEnvironmentVariableIsEmpty("LUMETRA_SAVE_SCREENSHOTS"))
        image.save(qEnvironmentVariable("LUMETRA_SAVE_SCREENSHOTS") + "/tree.png");

    // Count the pixels near the pure colours in each row's rectangle.
    auto count = [&](QTreeWidgetItem* item, auto near) {
        int n = 0;
        const QRect rect = tree->visualItemRect(item).intersected(image.rect());
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x)
                n += near(QColor(image.pixel(x, y))) ? 1 : 0;
        return n;
    };
    auto blue = [](const QColor& c) { return c.red() < 90 && c.green() > 110 && c.green() < 180 && c.blue() > 220; };
    auto red = [](const QColor& c) { return c.red() > 200 && c.green() < 60 && c.blue() < 60; };
    QVERIFY(count(root->child(0), blue) > 5);
    QCOMPARE(count(root, blue), 0);
    QVERIFY(count(root->child(2), red) > 5);
    QCOMPARE(count(root->child(0), red), 0);
}

void TreeDragDropTest::notesShowAsTooltips()
{
    CXHtmlTree* tree = m_host->tree;
    tree->SetItemNote(Item("Beta"), "Monthly <sales>", 180);
    QHelpEvent onBeta(QEvent::ToolTip, Center(Item("Beta")), tree->viewport()->mapToGlobal(Center(Item("Beta"))));
    QApplication::sendEvent(tree->viewport(), &onBeta);
    QTRY_VERIFY(QToolTip::isVisible());
    QVERIFY(QToolTip::text().contains("Monthly &lt;sales&gt;"));
    QVERIFY(QToolTip::text().contains("width=\"180\""));
    QCOMPARE(m_host->log, QStringList {"tooltip Beta"});

    QToolTip::hideText();
    QHelpEvent onAlpha(QEvent::ToolTip, Center(Item("Alpha")), tree->viewport()->mapToGlobal(Center(Item("Alpha"))));
    QApplication::sendEvent(tree->viewport(), &onAlpha);
    QCOMPARE(m_host->log.size(), 1);
}

void TreeDragDropTest::restingOnAFolderWhileDraggingOpensIt()
{
    Item("Alpha")->setExpanded(false);
    QWidget* viewport = m_host->tree->viewport();
    const QPoint start = Center(Item("Beta"));
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, start);
    QTest::mouseMove(viewport, start + QPoint(20, 3));
    QTest::mouseMove(viewport, Center(Item("Alpha")));
    QTRY_VERIFY_WITH_TIMEOUT(Item("Alpha")->isExpanded(), 3000);
    QTest::mouseMove(viewport, Center(Item("Two")));
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, Center(Item("Two")));
    QCOMPARE(Item("Two")->childCount(), 1);
    QCOMPARE(m_host->tree->GetItemText(Item("Two")->child(0)), QStringLiteral("Beta"));
}

QTEST_MAIN(TreeDragDropTest)
#include "TreeDragDropTest.moc"
