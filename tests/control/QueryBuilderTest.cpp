// The query builder over the sample cube: lists, the lazily filled tree, picking, checking a
// query and what the form hands back.
#include "support/ModalHelper.h"
#include "support/TempRegistry.h"

#include "control/query/MdxCompleter.h"
#include "control/query/frmConnect.h"
#include "control/query/frmQueryBuilder.h"
#include "olap/sample/SalesSample.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
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

    void completionWordRunsBackOverWholeNames_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("word");
        QTest::addRow("open bracketed name") << "SELECT [Store].[Co"
                                             << "[Store].[Co";
        QTest::addRow("blank inside the open bracket") << "{[Unit Sa"
                                                       << "[Unit Sa";
        QTest::addRow("function after a name") << "[Store].[Country].Mem"
                                               << "Mem";
        QTest::addRow("bare function") << "NON EMPTY CrossJ"
                                       << "CrossJ";
        QTest::addRow("after a comma") << "{[Time].[2023], [Me"
                                       << "[Me";
        QTest::addRow("closed name with an escaped bracket") << "x [A]]B].[C"
                                                             << "[A]]B].[C";
        QTest::addRow("nothing") << "SELECT "
                                 << "";
    }

    void completionWordRunsBackOverWholeNames()
    {
        QFETCH(QString, text);
        QFETCH(QString, word);
        QPlainTextEdit editor;
        MdxCompleter completer(&editor);
        editor.setPlainText(QStringLiteral("first line\n") + text);
        editor.moveCursor(QTextCursor::End);
        QCOMPARE(completer.WordBeforeCursor(), word);
    }

    void typingCompletesSchemaAndFunctionNames()
    {
        frmQueryBuilder form;
        Open(form);
        auto* mdx = Find<QPlainTextEdit>(&form, "mdxEdit");
        auto* completer = mdx->findChild<MdxCompleter*>();
        QVERIFY(completer);
        QVERIFY(completer->Names().contains(QStringLiteral("[Measures].[Store Cost]")));
        QVERIFY(completer->Names().contains(QStringLiteral("[Store]")));
        QVERIFY2(!completer->Names().contains(QStringLiteral("[Store].[Country]")), "levels come with their node");

        mdx->setFocus();
        QTest::keyClicks(mdx, QStringLiteral("SELECT [Store Co"));
        QVERIFY(completer->Completer()->popup()->isVisible());
        QTest::keyClick(completer->Completer()->popup(), Qt::Key_Return);
        QCOMPARE(mdx->toPlainText(), QStringLiteral("SELECT [Measures].[Store Cost]"));

        auto* tree = Find<QTreeWidget>(&form, "schemaTree");
        Press(tree, ChildNamed(tree->topLevelItem(0), QStringLiteral("Store")), Qt::Key_Right);
        QVERIFY(completer->Names().contains(QStringLiteral("[Store].[Country]")));
        mdx->setFocus();
        mdx->moveCursor(QTextCursor::End);
        QTest::keyClicks(mdx, QStringLiteral(" ON COLUMNS, [Store].[Country].Mem"));
        QTest::keyClick(mdx, Qt::Key_Space, Qt::ControlModifier);
        QVERIFY(completer->Completer()->popup()->isVisible());
        QTest::keyClick(completer->Completer()->popup(), Qt::Key_Return);
        QCOMPARE(
            mdx->toPlainText(), QStringLiteral("SELECT [Measures].[Store Cost] ON COLUMNS, [Store].[Country].Members"));
    }

    // With LUMETRA_SCREENSHOT_DIR set, saves both dialogs filled as a user leaves them, to look at.
    void screenshots()
    {
        const QString dir = qEnvironmentVariable("LUMETRA_SCREENSHOT_DIR");
        if (dir.isEmpty())
            QSKIP("LUMETRA_SCREENSHOT_DIR is not set");
        frmConnect connect;
        connect.show();
        QVERIFY(QTest::qWaitForWindowExposed(&connect));
        Find<QLineEdit>(&connect, "serverEdit")->setText(m_dir.filePath(QStringLiteral("Sales.cub")));
        QTest::mouseClick(Find<QPushButton>(&connect, "connectButton"), Qt::LeftButton);
        auto* databases = Find<QListWidget>(&connect, "databaseList");
        QVERIFY(databases->count() > 0);
        QTest::mouseClick(
            databases->viewport(), Qt::LeftButton, {}, databases->visualItemRect(databases->item(0)).center());
        QVERIFY(connect.grab().save(dir + QStringLiteral("/connect.png")));

        frmQueryBuilder form;
        form.SetQueryText(QStringLiteral("-- units by country\nSELECT [Measures].[Unit Sales] ON COLUMNS,\n"
                                         "  NON EMPTY [Store].[Country].Members ON ROWS\nFROM [Sales]\n"
                                         "WHERE ([Time].[2023], [Product].[Drink])"));
        Open(form);
        auto* tree = Find<QTreeWidget>(&form, "schemaTree");
        QTreeWidgetItem* store = ChildNamed(tree->topLevelItem(0), QStringLiteral("Store"));
        Press(tree, store, Qt::Key_Right);
        Press(tree, ChildNamed(store, QStringLiteral("Country")), Qt::Key_Right);
        QVERIFY(form.grab().save(dir + QStringLiteral("/querybuilder.png")));
    }
};

int RunQueryBuilderTest(int argc, char** argv)
{
    QueryBuilderTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "QueryBuilderTest.moc"
