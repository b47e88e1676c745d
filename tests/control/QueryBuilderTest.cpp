// The query builder over the sample cube: lists, the lazily filled tree, picking, checking a
// query and what the form hands back.
#include "support/ModalHelper.h"
#include "support/TempRegistry.h"

#include "control/query/frmQueryBuilder.h"
#include "olap/sample/SalesSample.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

namespace {

template <typename T> T* Find(QWidget* parent, const char* name)
{
    T* child = parent->findChild<T*>(QString::fromUtf8(name));
    if (!child)
        qFatal("no widget %s", name);
    return child;
}

QTreeWidgetItem* ChildNamed(QTreeWidgetItem* parent, const QString& text)
{
    for (int i = 0; i < parent->childCount(); ++i)
        if (parent->child(i)->text(0) == text)
            return parent->child(i);
    return nullptr;
}

bool HasPlaceholderOnly(const QTreeWidgetItem* item)
{
    return item->childCount() == 1 && item->child(0)->text(0).isEmpty();
}

// Expands or collapses ITEM with the keyboard, as a user does.
void Press(QTreeWidget* tree, QTreeWidgetItem* item, Qt::Key key)
{
    tree->setFocus();
    tree->setCurrentItem(item);
    QTest::keyClick(tree->viewport(), key);
    QTest::keyClick(tree, key);
}

// Clicks Check Query and returns the text of the message box it shows.
QString CheckQuery(frmQueryBuilder& form)
{
    auto shown = std::make_shared<QString>();
    WhenModalShows([shown](QWidget* modal) { ClickMessageBoxButton(modal, QMessageBox::Ok, shown.get()); });
    QTest::mouseClick(Find<QPushButton>(&form, "checkQueryButton"), Qt::LeftButton);
    return *shown;
}

} // namespace

class QueryBuilderTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<TempRegistry> m_registry;

    QString Connection() const
    {
        return QStringLiteral("Provider=MSOLAP.2; Data Source=") + m_dir.filePath(QStringLiteral("Sales.cub"))
            + QStringLiteral("; Initial Catalog=Sales");
    }

    void Open(frmQueryBuilder& form, const QString& cube = QStringLiteral("[Sales]"))
    {
        form.SetConnection(Connection(), cube);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    }

private slots:
    void initTestCase()
    {
        m_registry = std::make_unique<TempRegistry>();
        olap::SalesSample::WriteAll(m_dir.path().toStdString(), 2000, 11);
    }

    void cleanupTestCase() { m_registry.reset(); }

    void listsTheCubeItsMeasuresAndDimensions()
    {
        frmQueryBuilder form;
        QCOMPARE(form.windowTitle(), QStringLiteral("QueryBuilder"));
        QCOMPARE(form.font().family(), QStringLiteral("Verdana"));
        QCOMPARE(Find<QLabel>(&form, "measuresLabel")->text(), QStringLiteral("Measures"));
        QCOMPARE(Find<QLabel>(&form, "dimensionsLabel")->text(), QStringLiteral("Dimensions"));
        QCOMPARE(Find<QPushButton>(&form, "checkQueryButton")->text(), QStringLiteral("Check Query"));
        QCOMPARE(Find<QPushButton>(&form, "buildReportButton")->text(), QStringLiteral("Build report"));
        QCOMPARE(Find<QPushButton>(&form, "cancelButton")->text(), QStringLiteral("Cancel"));
        Open(form);

        auto* cubes = Find<QComboBox>(&form, "cubeCombo");
        QCOMPARE(cubes->count(), 1);
        QCOMPARE(cubes->currentText(), QStringLiteral("Sales"));
        auto* measures = Find<QListWidget>(&form, "measureList");
        QCOMPARE(measures->count(), 5);
        QCOMPARE(measures->item(0)->text(), QStringLiteral("[Measures].[Unit Sales]"));

        auto* tree = Find<QTreeWidget>(&form, "schemaTree");
        QCOMPARE(tree->topLevelItemCount(), 1);
        QTreeWidgetItem* root = tree->topLevelItem(0);
        QCOMPARE(root->text(0), QStringLiteral("Sales"));
        QCOMPARE(root->data(0, frmQueryBuilder::kKeyRole).toString(), QStringLiteral("Root"));
        QStringList dimensions;
        for (int i = 0; i < root->childCount(); ++i) {
            dimensions << root->child(i)->text(0);
            QVERIFY(HasPlaceholderOnly(root->child(i)));
        }
        QCOMPARE(dimensions,
            (QStringList {QStringLiteral("Time"), QStringLiteral("Product"), QStringLiteral("Store"),
                QStringLiteral("Customer")}));
        QCOMPARE(root->child(0)->data(0, frmQueryBuilder::kKeyRole).toString(), QStringLiteral("[Time]"));
        QCOMPARE(root->child(0)->data(0, frmQueryBuilder::kTagRole).toStringList(),
            (QStringList {QStringLiteral("[Time]"), QStringLiteral("Time"), QStringLiteral("True")}));
    }

    void eachNodeIsFilledOnceOnFirstExpansion()
    {
        frmQueryBuilder form;
        Open(form);
        auto* tree = Find<QTreeWidget>(&form, "schemaTree");
        QTreeWidgetItem* store = ChildNamed(tree->topLevelItem(0), QStringLiteral("Store"));
        QVERIFY(store);

        Press(tree, store, Qt::Key_Right);
        QVERIFY(store->isExpanded());
        QStringList levels;
        for (int i = 0; i < store->childCount(); ++i)
            levels << store->child(i)->data(0, frmQueryBuilder::kKeyRole).toString();
        QCOMPARE(levels,
            (QStringList {QStringLiteral("[Store].[(All)]"), QStringLiteral("[Store].[Country]"),
                QStringLiteral("[Store].[City]"), QStringLiteral("[Store].[Store]")}));
        QTreeWidgetItem* firstLevel = store->child(0);

        // Collapsing and expanding again keeps the same nodes: nothing is read twice.
        Press(tree, store, Qt::Key_Left);
        QVERIFY(!store->isExpanded());
        Press(tree, store, Qt::Key_Right);
        QCOMPARE(store->childCount(), levels.size());
        QCOMPARE(store->child(0), firstLevel);

        QTreeWidgetItem* country = ChildNamed(store, QStringLiteral("Country"));
        QVERIFY(HasPlaceholderOnly(country));
        Press(tree, country, Qt::Key_Right);
        QVERIFY(country->childCount() > 0);
        QVERIFY(!HasPlaceholderOnly(country));
        QTreeWidgetItem* firstCountry = country->child(0);
        const QString countryName = firstCountry->data(0, frmQueryBuilder::kKeyRole).toString();
        QVERIFY2(countryName.startsWith(QStringLiteral("[Store].[")), qPrintable(countryName));
        QVERIFY(HasPlaceholderOnly(firstCountry));

        // A member's children come from the member, and leaves get no placeholder.
        Press(tree, firstCountry, Qt::Key_Right);
        QVERIFY(firstCountry->childCount() > 0);
        const QString city = firstCountry->child(0)->data(0, frmQueryBuilder::kKeyRole).toString();
        QVERIFY2(city.startsWith(countryName.chopped(0) + QStringLiteral(".[")), qPrintable(city));
        Press(tree, firstCountry->child(0), Qt::Key_Right);
        QTreeWidgetItem* shop = firstCountry->child(0)->child(0);
        QVERIFY(shop);
        QCOMPARE(shop->childCount(), 0);
        QCOMPARE(shop->data(0, frmQueryBuilder::kTagRole).toStringList().value(2), QStringLiteral("False"));
    }

    void pickingFillsTheQueryBox()
    {
        frmQueryBuilder form;
        Open(form);
        auto* measures = Find<QListWidget>(&form, "measureList");
        auto* mdx = Find<QPlainTextEdit>(&form, "mdxEdit");
        QTest::mouseClick(
            measures->viewport(), Qt::LeftButton, {}, measures->visualItemRect(measures->item(1)).center());
        QCOMPARE(mdx->toPlainText(), measures->item(1)->text());

        auto* tree = Find<QTreeWidget>(&form, "schemaTree");
        QTreeWidgetItem* time = ChildNamed(tree->topLevelItem(0), QStringLiteral("Time"));
        const QPoint at = tree->visualItemRect(time).center();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(mdx->toPlainText(), QStringLiteral("Time"));
    }

    void checkQueryReportsSuccessOrTheEnginesMessageAtItsPlace()
    {
        frmQueryBuilder form;
        Open(form);
        auto* mdx = Find<QPlainTextEdit>(&form, "mdxEdit");
        mdx->setFocus();
        QTest::keyClicks(mdx, QStringLiteral("SELECT [Measures].[Unit Sales] ON COLUMNS FROM [Sales]"));
        QCOMPARE(CheckQuery(form), QStringLiteral("Test is Successful"));

        mdx->clear();
        QTest::keyClicks(mdx, QStringLiteral("SELECT [Measures].[Unit Sales] ON COLUMNS"));
        QTest::keyClick(mdx, Qt::Key_Return);
        QTest::keyClicks(mdx, QStringLiteral("FROM [Sales] WHERE [Time].[1888]"));
        const QString message = CheckQuery(form);
        QVERIFY2(message.contains(QStringLiteral("line 2")), qPrintable(message));
        QCOMPARE(mdx->textCursor().blockNumber(), 1);
        QVERIFY2(mdx->textCursor().positionInBlock() > 0, qPrintable(message));
    }

    void buildReportReturnsTheTextAndCancelNothing()
    {
        frmQueryBuilder form;
        form.SetQueryText(QStringLiteral("SELECT FROM [Sales]"));
        Open(form);
        QCOMPARE(Find<QPlainTextEdit>(&form, "mdxEdit")->toPlainText(), QStringLiteral("SELECT FROM [Sales]"));
        QTest::mouseClick(Find<QPushButton>(&form, "buildReportButton"), Qt::LeftButton);
        QCOMPARE(form.GetMDX(), QStringLiteral("SELECT FROM [Sales]"));
        QVERIFY(!form.isVisible());

        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::mouseClick(Find<QPushButton>(&form, "cancelButton"), Qt::LeftButton);
        QCOMPARE(form.GetMDX(), QString());
    }

    void unreachableSourceGivesEmptyListsAndANewConnectionReloads()
    {
        frmQueryBuilder form;
        form.SetConnection(QStringLiteral("Provider=MSOLAP.2; Data Source=") + m_dir.filePath(QStringLiteral("no.cub")),
            QStringLiteral("(Sales)"));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(Find<QComboBox>(&form, "cubeCombo")->count(), 0);
        QCOMPARE(Find<QComboBox>(&form, "cubeCombo")->currentText(), QStringLiteral("Sales"));
        QCOMPARE(Find<QListWidget>(&form, "measureList")->count(), 0);
        QCOMPARE(Find<QTreeWidget>(&form, "schemaTree")->topLevelItem(0)->childCount(), 0);
        form.hide();

        Open(form);
        QCOMPARE(Find<QListWidget>(&form, "measureList")->count(), 5);
        QCOMPARE(Find<QTreeWidget>(&form, "schemaTree")->topLevelItem(0)->childCount(), 4);
    }
};

int RunQueryBuilderTest(int argc, char** argv)
{
    QueryBuilderTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "QueryBuilderTest.moc"
