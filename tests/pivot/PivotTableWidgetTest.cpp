// The pivot table widget over the sample cube, driven by real mouse drags: fields from the
// field list onto each area bar and onto the grid's headers and empty-area hints, chips
// moved between areas (keeping their filter and sort), reordered, and removed by dragging
// them out; refused drops and Escape leave the view as it was; double click and check marks
// add and remove fields; the search keeps the path to each hit. The layout edits behind the
// drops are checked as data.
#include "control/pivot/PivotTableWidget.h"
#include "control/pivot/PivotAreaBar.h"
#include "control/pivot/PivotContextMenu.h"
#include "control/pivot/PivotDragController.h"
#include "control/pivot/PivotFieldList.h"
#include "control/pivot/PivotGrid.h"
#include "control/pivot/PivotLayoutEdit.h"
#include "control/pivot/PivotMemberCheckModel.h"
#include "control/pivot/PivotMemberFilterPopup.h"
#include "control/pivot/PivotSession.h"
#include "control/pivot/PivotShowAsMenu.h"
#include "control/pivot/model/PivotMdxBuilder.h"
#include "control/pivot/model/PivotXml.h"

#include "olap/access/Connection.h"
#include "olap/adomd/Catalog.h"
#include "olap/sample/SalesSample.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

using pivot::AxisKind;
using pivot::PivotAreaBar;
using pivot::PivotDefinition;
using pivot::PivotLayoutEdit;
using pivot::PivotSession;
using pivot::PivotTableWidget;

namespace {

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

//! "[Product]/[Time]" style summary of an axis, for readable comparisons.
QString AxisNames(const PivotDefinition& definition, AxisKind axis)
{
    QStringList names;
    if (axis == AxisKind::Data) {
        for (const auto* total : definition.IncludedTotals())
            names << QString::fromStdString(total->name);
    } else {
        for (const auto& fieldSet : definition.Axis(axis))
            names << QString::fromStdString(fieldSet.uniqueName);
    }
    return names.join(QLatin1Char('/'));
}

pivot::PivotCubeFields::Hierarchy Hierarchy(const std::string& name, std::vector<std::string> levels)
{
    pivot::PivotCubeFields::Hierarchy h {name, name, {}};
    for (auto& level : levels)
        h.levels.push_back({level, level});
    return h;
}

} // namespace

class PivotTableWidgetTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void layoutEditsAsData();
    void dragFieldsOntoAreaBars();
    void dragFieldsOntoGrid();
    void chipsMoveReorderAndLeave();
    void refusedAndCancelledDrags();
    void doubleClickAndChecks();
    void searchKeepsAncestors();
    void memberFilterPopup();
    void memberCheckModelStates();
    void headerMenus();
    void sortKeptOnDrill();
    void explainsACell();
    void gridFieldButtonOpensFilter();
    void labelAndValueFiltersFromThePopup();
    void colorRulesFromTheValueMenu();
    void showValuesAsFromTheValueMenu();
    void valuesChipMovesTheTotals();

private:
    void WaitForLayout();
    //! A real drag: press on SOURCE at FROM, move past the drag distance, move to TO in
    //! TARGET's coordinates and release there (the press widget keeps the mouse throughout).
    void Drag(QWidget* source, const QPoint& from, QWidget* target, const QPoint& to,
        const std::function<void()>& beforeRelease = {});
    //! Drags field NAME from the field list to TARGET at TO.
    void DragField(const std::string& name, QWidget* target, const QPoint& to);
    QWidget* TreeViewport() const;
    PivotDefinition EmptyView() const;

    QTemporaryDir m_dir;
    PivotDefinition m_view;
    std::shared_ptr<olap::Connection> m_connection;
    std::unique_ptr<olap::adomd::Catalog> m_catalog;
    std::unique_ptr<PivotSession> m_session;
    std::unique_ptr<PivotTableWidget> m_table;
};

void PivotTableWidgetTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const std::string dir = m_dir.path().toStdString();
    olap::SalesSample::WriteAll(dir, 3000, 7);
    std::string text = ReadText(PIVOT_TEST_DATA "/data/sales-view.xml");
    text.replace(text.find("@CUBE@"), 6, dir + "/Sales.cub");
    m_view = pivot::PivotXml::Read(text);
    m_connection = olap::Connection::Connect(m_view.connectionString);
    // The field list reads the cube on its own connection.
    m_catalog = std::make_unique<olap::adomd::Catalog>();
    m_catalog->SetActiveConnection(m_view.connectionString);
}

void PivotTableWidgetTest::init()
{
    m_session = std::make_unique<PivotSession>();
    auto connection = m_connection;
    m_session->SetExecutor([connection](const std::string& mdx) { return connection->ExecuteMdx(mdx); });
    m_table = std::make_unique<PivotTableWidget>(m_session.get());
    QVERIFY(m_table->SetCube(m_catalog->FindCubeDef("Sales")));
    m_table->resize(1000, 600);
    m_table->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_table.get()));
}

void PivotTableWidgetTest::cleanup()
{
    m_table.reset();
    m_session.reset();
}

PivotDefinition PivotTableWidgetTest::EmptyView() const
{
    PivotDefinition view;
    view.connectionString = m_view.connectionString;
    view.dataMember = m_view.dataMember;
    return view;
}

void PivotTableWidgetTest::WaitForLayout()
{
    if (!m_session->IsWorking())
        return;
    QSignalSpy changed(m_session.get(), &PivotSession::layoutChanged);
    QVERIFY(changed.wait(10000));
    QVERIFY(!m_session->IsWorking());
}

QWidget* PivotTableWidgetTest::TreeViewport() const
{
    return m_table->FieldList()->Tree()->viewport();
}

void PivotTableWidgetTest::Drag(
    QWidget* source, const QPoint& from, QWidget* target, const QPoint& to, const std::function<void()>& beforeRelease)
{
    QTest::mousePress(source, Qt::LeftButton, {}, from);
    QTest::mouseMove(source, from + QPoint(12, 6));
    const QPoint end = source->mapFromGlobal(target->mapToGlobal(to));
    QTest::mouseMove(source, (from + end) / 2);
    QTest::mouseMove(source, end);
    if (beforeRelease)
        beforeRelease();
    QTest::mouseRelease(source, Qt::LeftButton, {}, end);
}

void PivotTableWidgetTest::DragField(const std::string& name, QWidget* target, const QPoint& to)
{
    QTreeWidgetItem* item = m_table->FieldList()->FindItem(name);
    QVERIFY2(item, name.c_str());
    const QRect rect = m_table->FieldList()->ItemRect(item);
    Drag(TreeViewport(), rect.center(), target, to);
}

void PivotTableWidgetTest::layoutEditsAsData()
{
    const auto product = Hierarchy("[Product]", {"[Product].[Category]", "[Product].[Subcategory]"});
    const auto time = Hierarchy("[Time]", {"[Time].[Year]", "[Time].[Quarter]"});
    const auto store = Hierarchy("[Store]", {"[Store].[Country]"});
    PivotDefinition base = EmptyView();
    PivotLayoutEdit::PlaceFieldSet(base, product, AxisKind::Row, -1);
    PivotLayoutEdit::PlaceFieldSet(base, time, AxisKind::Row, -1);
    PivotLayoutEdit::PlaceFieldSet(base, store, AxisKind::Column, -1);
    base.rowAxis[0].sort.direction = pivot::SortDirection::Ascending;
    base.rowAxis[0].filter = {pivot::PivotMemberFilter::Mode::Include, {"[Product].[Drink]"}};
    PivotLayoutEdit::PlaceTotal(base, "[Measures].[Unit Sales]", "Units", -1);
    PivotLayoutEdit::PlaceTotal(base, "[Measures].[Store Sales]", "", -1);
    base.totals.push_back({"Margin", "", "[Measures].[Store Sales] - [Measures].[Store Cost]", "", true});

    struct Case {
        const char* name;
        std::function<bool(PivotDefinition&)> edit;
        bool applies;
        const char* rows;
        const char* columns;
        const char* filters;
        const char* data;
    };
    const std::vector<Case> cases = {
        {"move down within the rows counts the old place",
            [](auto& d) { return PivotLayoutEdit::MoveFieldSet(d, "[Product]", AxisKind::Row, 2); }, true,
            "[Time]/[Product]", "[Store]", "", "[Measures].[Unit Sales]/[Measures].[Store Sales]/Margin"},
        {"placing a field set in the view moves it",
            [&](auto& d) { return PivotLayoutEdit::PlaceFieldSet(d, time, AxisKind::Column, 0); }, true, "[Product]",
            "[Time]/[Store]", "", "[Measures].[Unit Sales]/[Measures].[Store Sales]/Margin"},
        {"to the filters", [](auto& d) { return PivotLayoutEdit::MoveFieldSet(d, "[Store]", AxisKind::Filter, -1); },
            true, "[Product]/[Time]", "", "[Store]", "[Measures].[Unit Sales]/[Measures].[Store Sales]/Margin"},
        {"a field set cannot go to the data area",
            [](auto& d) { return PivotLayoutEdit::MoveFieldSet(d, "[Store]", AxisKind::Data, 0); }, false,
            "[Product]/[Time]", "[Store]", "", "[Measures].[Unit Sales]/[Measures].[Store Sales]/Margin"},
        {"unknown field set", [](auto& d) { return PivotLayoutEdit::RemoveFieldSet(d, "[Nowhere]"); }, false,
            "[Product]/[Time]", "[Store]", "", "[Measures].[Unit Sales]/[Measures].[Store Sales]/Margin"},
        {"total moved to the front", [](auto& d) { return PivotLayoutEdit::PlaceTotal(d, "Margin", "", 0); }, true,
            "[Product]/[Time]", "[Store]", "", "Margin/[Measures].[Unit Sales]/[Measures].[Store Sales]"},
        {"total moved right counts the old place",
            [](auto& d) { return PivotLayoutEdit::PlaceTotal(d, "[Measures].[Unit Sales]", "", 2); }, true,
            "[Product]/[Time]", "[Store]", "", "[Measures].[Store Sales]/[Measures].[Unit Sales]/Margin"},
        {"calculated total removed stays defined",
            [](auto& d) { return PivotLayoutEdit::RemoveTotal(d, "Margin") && d.totals.size() == 3; }, true,
            "[Product]/[Time]", "[Store]", "", "[Measures].[Unit Sales]/[Measures].[Store Sales]"},
        {"stored measure removed",
            [](auto& d) { return PivotLayoutEdit::RemoveTotal(d, "[Measures].[Store Sales]") && d.totals.size() == 2; },
            true, "[Product]/[Time]", "[Store]", "", "[Measures].[Unit Sales]/Margin"},
        {"the last level shown stays",
            [](auto& d) { return PivotLayoutEdit::SetFieldIncluded(d, "[Store]", "[Store].[Country]", false); }, false,
            "[Product]/[Time]", "[Store]", "", "[Measures].[Unit Sales]/[Measures].[Store Sales]/Margin"},
    };
    for (const Case& c : cases) {
        PivotDefinition d = base;
        QCOMPARE(c.edit(d), c.applies);
        if (!c.applies)
            QVERIFY2(d == base, c.name);
        QCOMPARE(AxisNames(d, AxisKind::Row), QString::fromLatin1(c.rows));
        QCOMPARE(AxisNames(d, AxisKind::Column), QString::fromLatin1(c.columns));
        QCOMPARE(AxisNames(d, AxisKind::Filter), QString::fromLatin1(c.filters));
        QCOMPARE(AxisNames(d, AxisKind::Data), QString::fromLatin1(c.data));
        // A moved field set keeps its filter and sort.
        const auto* product = d.FindFieldSet("[Product]");
        QVERIFY2(product && product->filter.IsActive() && product->sort.IsActive(), c.name);
    }

    // A hierarchy placed from a lower level keeps the levels above, not shown.
    PivotDefinition d = EmptyView();
    QVERIFY(PivotLayoutEdit::PlaceFieldSet(d, time, AxisKind::Column, -1, 1));
    QCOMPARE(d.columnAxis.front().fields.size(), 2u);
    QVERIFY(!d.columnAxis.front().fields[0].isIncluded);
    QVERIFY(d.columnAxis.front().fields[1].isIncluded);
}

void PivotTableWidgetTest::dragFieldsOntoAreaBars()
{
    m_session->SetDefinition(EmptyView());
    WaitForLayout();
    struct Case {
        const char* name;
        std::string field;
        AxisKind area;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"hierarchy to rows", "[Product]", AxisKind::Row, "[Product]"},
        {"level to columns", "[Time].[Year]", AxisKind::Column, "[Time]"},
        {"hierarchy to filters", "[Store]", AxisKind::Filter, "[Store]"},
        {"measure to values", "[Measures].[Unit Sales]", AxisKind::Data, "[Measures].[Unit Sales]"},
        {"second measure after the first", "[Measures].[Store Sales]", AxisKind::Data,
            "[Measures].[Unit Sales]/[Measures].[Store Sales]"},
    };
    for (const Case& c : cases) {
        PivotAreaBar* bar = m_table->AreaBar(c.area);
        // Dropped at the far end of the bar: appended.
        DragField(c.field, bar, QPoint(bar->width() - 4, bar->height() / 2 + (c.area == AxisKind::Data ? 20 : 0)));
        QCOMPARE(m_table->DragController()->IsDragging(), false);
        QVERIFY2(m_session->IsWorking(), c.name);
        WaitForLayout();
        QCOMPARE(AxisNames(m_session->ShownDefinition(), c.area), QString::fromLatin1(c.expected));
        QVERIFY2(bar->FindChip(c.field.substr(0, c.field.find("].") + 1)) || bar->FindChip(c.field), c.name);
    }
    // The level dropped shows from its level down; the grid shows what the bars hold.
    const auto& time = m_session->ShownDefinition().columnAxis.front();
    QVERIFY(time.fields.front().isIncluded);
    QVERIFY(m_session->Layout().ValueColumns() > 2);
    QVERIFY(m_table->FieldList()->FindItem("[Product]")->checkState(0) == Qt::Checked);
    QVERIFY(m_table->FieldList()->FindItem("[Product]")->font(0).bold());

    // A measure dropped between the two chips lands between them.
    PivotAreaBar* data = m_table->AreaBar(AxisKind::Data);
    const QRect second = data->FindChip("[Measures].[Store Sales]")->rect;
    DragField("[Measures].[Store Cost]", data, QPoint(second.center().x(), second.top() + 2));
    WaitForLayout();
    QCOMPARE(AxisNames(m_session->ShownDefinition(), AxisKind::Data),
        QStringLiteral("[Measures].[Unit Sales]/[Measures].[Store Cost]/[Measures].[Store Sales]"));

    if (const QByteArray shot = qgetenv("PIVOT_TABLE_SHOT"); !shot.isEmpty())
        m_table->grab().save(QString::fromLocal8Bit(shot));
}

void PivotTableWidgetTest::dragFieldsOntoGrid()
{
    // An empty view: the grid shows hint boxes for rows, columns and measures.
    m_session->SetDefinition(EmptyView());
    WaitForLayout();
    pivot::PivotGrid* grid = m_table->Grid();
    const QRect rowsHint = grid->EmptyAreaRect(AxisKind::Row);
    const QRect columnsHint = grid->EmptyAreaRect(AxisKind::Column);
    QVERIFY(!rowsHint.isEmpty());
    QVERIFY(!columnsHint.isEmpty());
    QVERIFY(!grid->EmptyAreaRect(AxisKind::Data).isEmpty());
    if (const QByteArray shot = qgetenv("PIVOT_EMPTY_SHOT"); !shot.isEmpty())
        m_table->grab().save(QString::fromLocal8Bit(shot));

    DragField("[Product]", grid->viewport(), rowsHint.center());
    WaitForLayout();
    QCOMPARE(AxisNames(m_session->ShownDefinition(), AxisKind::Row), QStringLiteral("[Product]"));
    DragField("[Measures].[Unit Sales]", grid->viewport(), QPoint(5, 5));
    WaitForLayout();
    QCOMPARE(AxisNames(m_session->ShownDefinition(), AxisKind::Data), QStringLiteral("[Measures].[Unit Sales]"));
    QVERIFY(grid->EmptyAreaRect(AxisKind::Row).isEmpty());
    DragField("[Time]", grid->viewport(), grid->EmptyAreaRect(AxisKind::Column).center());
    WaitForLayout();
    QCOMPARE(AxisNames(m_session->ShownDefinition(), AxisKind::Column), QStringLiteral("[Time]"));

    // Onto the left half of the row header: before Product. Onto a column header's lower
    // half: after Time.
    const auto& layout = m_session->Layout();
    const int firstValueRow = layout.HeaderRows();
    const QRect productHeader = grid->CellRect(firstValueRow, 0);
    DragField("[Customer]", grid->viewport(), QPoint(productHeader.left() + 3, productHeader.center().y()));
    WaitForLayout();
    QCOMPARE(AxisNames(m_session->ShownDefinition(), AxisKind::Row), QStringLiteral("[Customer]/[Product]"));
    const int headerColumns = m_session->Layout().HeaderColumns();
    const QRect yearHeader = grid->CellRect(0, headerColumns);
    DragField("[Store]", grid->viewport(), QPoint(yearHeader.center().x(), yearHeader.bottom() - 2));
    WaitForLayout();
    QCOMPARE(AxisNames(m_session->ShownDefinition(), AxisKind::Column), QStringLiteral("[Time]/[Store]"));
    QVERIFY(grid->DropIndicator().isEmpty());
}

void PivotTableWidgetTest::chipsMoveReorderAndLeave()
{
    m_session->SetDefinition(m_view);
    WaitForLayout();
    PivotAreaBar* rows = m_table->AreaBar(AxisKind::Row);
    PivotAreaBar* columns = m_table->AreaBar(AxisKind::Column);
    PivotAreaBar* data = m_table->AreaBar(AxisKind::Data);

    // Product (filtered? no: sorted) moves from rows to columns in front of Time, keeping
    // its sort and expansion.
    const QRect product = rows->FindChip("[Product]")->rect;
    const QRect time = columns->FindChip("[Time]")->rect;
    Drag(rows, product.center(), columns, QPoint(time.left() + 2, time.center().y()));
    WaitForLayout();
    QCOMPARE(AxisNames(m_session->ShownDefinition(), AxisKind::Column), QStringLiteral("[Product]/[Time]"));
    QCOMPARE(AxisNames(m_session->ShownDefinition(), AxisKind::Row), QString());
    const auto* moved = m_session->ShownDefinition().FindFieldSet("[Product]");
    QVERIFY(moved->sort.IsActive());
    QVERIFY(moved->IsExpanded("[Product].[Drink]"));
    QCOMPARE(columns->FindChip("[Product]")->sort, -1);

    // Reorder within the bar: Product dragged past Time.
    const QRect first = columns->FindChip("[Product]")->rect;
    const QRect second = columns->FindChip("[Time]")->rect;
    Drag(columns, first.center(), columns, QPoint(second.right() - 2, second.center().y()));
    WaitForLayout();
    QCOMPARE(AxisNames(m_session->ShownDefinition(), AxisKind::Column), QStringLiteral("[Time]/[Product]"));

    // The filtered Store chip is marked, and dragged out onto the field list it leaves.
    PivotAreaBar* filters = m_table->AreaBar(AxisKind::Filter);
    QVERIFY(filters->FindChip("[Store]")->filtered);
    Qt::CursorShape shapeOutside = Qt::ArrowCursor;
    Drag(filters, filters->FindChip("[Store]")->rect.center(), TreeViewport(), QPoint(20, 20),
        [&] { shapeOutside = m_table->DragController()->PointerShape(); });
    QCOMPARE(shapeOutside, Qt::BitmapCursor);
    WaitForLayout();
    QCOMPARE(AxisNames(m_session->ShownDefinition(), AxisKind::Filter), QString());
    QVERIFY(filters->Chips().empty());

    // The total's chip dragged out leaves the values.
    Drag(data, data->Chips().front().rect.center(), TreeViewport(), QPoint(20, 20));
    WaitForLayout();
    QCOMPARE(AxisNames(m_session->ShownDefinition(), AxisKind::Data), QString());
}

void PivotTableWidgetTest::refusedAndCancelledDrags()
{
    m_session->SetDefinition(m_view);
    WaitForLayout();
    const PivotDefinition before = m_session->Definition();
    PivotAreaBar* rows = m_table->AreaBar(AxisKind::Row);
    PivotAreaBar* data = m_table->AreaBar(AxisKind::Data);

    struct Case {
        const char* name;
        std::function<void()> act;
        Qt::CursorShape shape;
    };
    Qt::CursorShape shape = Qt::ArrowCursor;
    auto record = [&] { shape = m_table->DragController()->PointerShape(); };
    const std::vector<Case> cases = {
        {"measure onto the rows",
            [&] {
                const QRect item
                    = m_table->FieldList()->ItemRect(m_table->FieldList()->FindItem("[Measures].[Store Sales]"));
                Drag(TreeViewport(), item.center(), rows, QPoint(rows->width() / 2, rows->height() - 5), record);
            },
            Qt::ForbiddenCursor},
        {"hierarchy onto the values",
            [&] {
                const QRect item = m_table->FieldList()->ItemRect(m_table->FieldList()->FindItem("[Customer]"));
                Drag(TreeViewport(), item.center(), data, QPoint(data->width() / 2, data->height() - 5), record);
            },
            Qt::ForbiddenCursor},
        {"field from the list dropped back on the list",
            [&] {
                const QRect item = m_table->FieldList()->ItemRect(m_table->FieldList()->FindItem("[Customer]"));
                Drag(TreeViewport(), item.center(), TreeViewport(), item.center() + QPoint(0, 40), record);
            },
            Qt::ForbiddenCursor},
        {"escape cancels a chip drag",
            [&] {
                Drag(rows, rows->FindChip("[Product]")->rect.center(), TreeViewport(), QPoint(10, 10), [&] {
                    record();
                    QTest::keyClick(m_table.get(), Qt::Key_Escape);
                    QVERIFY(!m_table->DragController()->IsDragging());
                });
            },
            Qt::BitmapCursor},
        {"drop onto a value cell",
            [&] {
                const QRect item = m_table->FieldList()->ItemRect(m_table->FieldList()->FindItem("[Customer]"));
                const auto& layout = m_session->Layout();
                Drag(TreeViewport(), item.center(), m_table->Grid()->viewport(),
                    m_table->Grid()->CellRect(layout.HeaderRows(), layout.HeaderColumns()).center(), record);
            },
            Qt::ForbiddenCursor},
    };
    for (const Case& c : cases) {
        shape = Qt::ArrowCursor;
        c.act();
        QCOMPARE(shape, c.shape);
        QVERIFY2(!m_session->IsWorking(), c.name);
        QVERIFY2(m_session->Definition() == before, c.name);
        QVERIFY2(!m_table->DragController()->IsDragging(), c.name);
        QVERIFY2(rows->DropIndex() < 0 && m_table->Grid()->DropIndicator().isEmpty(), c.name);
    }
}

void PivotTableWidgetTest::doubleClickAndChecks()
{
    m_session->SetDefinition(m_view);
    WaitForLayout();
    pivot::PivotFieldList* list = m_table->FieldList();
    auto doubleClick = [&](const std::string& name) {
        const QRect rect = list->ItemRect(list->FindItem(name));
        QTest::mouseDClick(TreeViewport(), Qt::LeftButton, {}, rect.center());
    };
    auto toggleCheck = [&](const std::string& name) {
        QTreeWidgetItem* item = list->FindItem(name);
        item->setCheckState(0, item->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    };
    struct Case {
        const char* name;
        std::function<void()> act;
        AxisKind axis;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"double click adds a measure to the values", [&] { doubleClick("[Measures].[Store Sales]"); }, AxisKind::Data,
            "[Measures].[Unit Sales]/[Measures].[Store Sales]"},
        {"double click on a measure in the view changes nothing", [&] { doubleClick("[Measures].[Store Sales]"); },
            AxisKind::Data, "[Measures].[Unit Sales]/[Measures].[Store Sales]"},
        {"double click adds a hierarchy to the end of the rows", [&] { doubleClick("[Customer]"); }, AxisKind::Row,
            "[Product]/[Customer]"},
        {"unchecking removes a field set", [&] { toggleCheck("[Customer]"); }, AxisKind::Row, "[Product]"},
        {"unchecking removes a measure", [&] { toggleCheck("[Measures].[Unit Sales]"); }, AxisKind::Data,
            "[Measures].[Store Sales]"},
        {"checking a level shows it", [&] { toggleCheck("[Product].[Product]"); }, AxisKind::Row, "[Product]"},
    };
    for (const Case& c : cases) {
        c.act();
        WaitForLayout();
        QCOMPARE(AxisNames(m_session->Definition(), c.axis), QString::fromLatin1(c.expected));
    }
    QVERIFY(m_session->Definition().rowAxis.front().fields[2].isIncluded);
    // Hiding the last level shown of Time removes the field set instead.
    toggleCheck("[Time].[Year]");
    WaitForLayout();
    QCOMPARE(AxisNames(m_session->Definition(), AxisKind::Column), QString());
    QCOMPARE(list->FindItem("[Time].[Year]")->checkState(0), Qt::Unchecked);
}

void PivotTableWidgetTest::searchKeepsAncestors()
{
    pivot::PivotFieldList* list = m_table->FieldList();
    QTest::keyClicks(list->SearchEdit(), QStringLiteral("quart"));
    QTreeWidgetItem* quarter = list->FindItem("[Time].[Quarter]");
    QVERIFY(quarter && !quarter->isHidden());
    QVERIFY(!quarter->parent()->isHidden());
    QVERIFY(!quarter->parent()->parent()->isHidden());
    QVERIFY(list->FindItem("[Time].[Year]")->isHidden());
    QVERIFY(list->FindItem("[Product]")->isHidden());
    QVERIFY(list->FindItem("[Measures].[Unit Sales]")->isHidden());
    list->SearchEdit()->clear();
    QVERIFY(!list->FindItem("[Product]")->isHidden());
}

void PivotTableWidgetTest::memberFilterPopup()
{
    m_session->SetDefinition(m_view);
    WaitForLayout();
    PivotAreaBar* rows = m_table->AreaBar(AxisKind::Row);
    // A real click on the chip's filter button opens the popup.
    QTest::mouseClick(rows, Qt::LeftButton, {}, rows->FindChip("[Product]")->button.center());
    pivot::PivotMemberFilterPopup* popup = m_table->FilterPopup();
    QVERIFY(popup);
    QVERIFY(QTest::qWaitForWindowExposed(popup));
    QCOMPARE(popup->SelectAll()->checkState(), Qt::Checked);
    QCOMPARE(popup->Note()->text(), QStringLiteral("3 of 3 selected"));
    auto* model = popup->Model();
    QPushButton* ok = popup->Buttons()->button(QDialogButtonBox::Ok);

    // Select all cleared by a click: nothing is in and OK is refused; a second click
    // brings everything back.
    QTest::mouseClick(popup->SelectAll(), Qt::LeftButton, {}, QPoint(8, popup->SelectAll()->height() / 2));
    QCOMPARE(popup->SelectAll()->checkState(), Qt::Unchecked);
    QVERIFY(!ok->isEnabled());
    QCOMPARE(popup->Note()->text(), QStringLiteral("Select at least one item."));
    QTest::mouseClick(popup->SelectAll(), Qt::LeftButton, {}, QPoint(8, popup->SelectAll()->height() / 2));
    QVERIFY(ok->isEnabled());
    QVERIFY(!popup->Filter().IsActive());

    // Food out: an exclude list of one, Select all partly checked.
    QModelIndex food;
    for (int r = 0; r < model->rowCount(); ++r) {
        if (model->index(r, 0).data().toString() == QStringLiteral("Food"))
            food = model->index(r, 0);
    }
    QVERIFY(food.isValid());
    QVERIFY(model->setData(food, Qt::Unchecked, Qt::CheckStateRole));
    popup->Tree()->expand(model->index(0, 0));
    if (const QByteArray shot = qgetenv("PIVOT_FILTER_SHOT"); !shot.isEmpty())
        popup->grab().save(QString::fromLocal8Bit(shot));
    QCOMPARE(popup->SelectAll()->checkState(), Qt::PartiallyChecked);
    QCOMPARE(popup->Note()->text(), QStringLiteral("2 of 3 selected"));
    QTest::mouseClick(ok, Qt::LeftButton);
    WaitForLayout();
    const auto& filter = m_session->ShownDefinition().rowAxis.front().filter;
    QCOMPARE(static_cast<int>(filter.mode), static_cast<int>(pivot::PivotMemberFilter::Mode::Exclude));
    QCOMPARE(filter.members, std::vector<std::string> {"[Product].[Food]"});
    QVERIFY(rows->FindChip("[Product]")->filtered);
    QVERIFY(!m_session->ShownDefinition().isNotFiltered);
    for (int r = m_session->Layout().HeaderRows(); r < m_session->Layout().RowCount(); ++r)
        QVERIFY(m_session->Layout().Cell(r, 0).text != "Food");

    // Reopened, it shows the filter; Cancel changes nothing.
    popup = m_table->OpenFilter(QStringLiteral("[Product]"));
    QVERIFY(popup);
    QCOMPARE(popup->Model()->StateOf("[Product].[Food]"), Qt::Unchecked);
    QCOMPARE(popup->Model()->StateOf("[Product].[Drink]"), Qt::Checked);
    const PivotDefinition before = m_session->Definition();
    QTest::mouseClick(popup->Buttons()->button(QDialogButtonBox::Cancel), Qt::LeftButton);
    QVERIFY(!m_session->IsWorking());
    QVERIFY(m_session->Definition() == before);

    // Top 1 by units, with every member in again: only the best seller stays.
    popup = m_table->OpenFilter(QStringLiteral("[Product]"));
    QVERIFY(popup && popup->TopMode()->isVisible());
    QTest::mouseClick(popup->SelectAll(), Qt::LeftButton, {}, QPoint(8, popup->SelectAll()->height() / 2));
    popup->TopMode()->setCurrentIndex(popup->TopMode()->findText(QStringLiteral("Top")));
    QVERIFY(popup->TopCount()->isEnabled());
    popup->TopCount()->setValue(1);
    QTest::mouseClick(popup->Buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    WaitForLayout();
    const auto& product = m_session->ShownDefinition().rowAxis.front();
    QVERIFY(!product.filter.IsActive());
    QVERIFY(product.top.mode == pivot::PivotTopFilter::Mode::Top && product.top.count == 1);
    QCOMPARE(product.top.byTotal, std::string("[Measures].[Unit Sales]"));
    QVERIFY(rows->FindChip("[Product]")->filtered);
    const auto& layout = m_session->Layout();
    QCOMPARE(layout.ValueRows(), 2); // Food and the grand total
    QCOMPARE(QString::fromStdString(layout.Cell(layout.HeaderRows(), 0).text), QStringLiteral("Food"));
    // Reopened, the popup shows it.
    popup = m_table->OpenFilter(QStringLiteral("[Product]"));
    QCOMPARE(popup->TopFilter(), product.top);
    popup->reject();
}

void PivotTableWidgetTest::memberCheckModelStates()
{
    const auto cube = m_catalog->FindCubeDef("Sales");
    const olap::adomd::Level* category = cube->FindLevel("[Product].[Category]");
    QVERIFY(category);
    const olap::adomd::Member* drink = cube->FindMember("[Product].[Drink]");
    QVERIFY(drink && drink->Children().size() > 1);
    const std::string firstChild = drink->Children().front()->UniqueName();
    std::vector<std::string> otherChildren;
    for (std::size_t i = 1; i < drink->Children().size(); ++i)
        otherChildren.push_back(drink->Children()[i]->UniqueName());

    using Mode = pivot::PivotMemberFilter::Mode;
    struct Case {
        const char* name;
        pivot::PivotMemberFilter start;
        std::function<void(pivot::PivotMemberCheckModel&)> act;
        pivot::PivotMemberFilter expected;
        Qt::CheckState drinkState;
    };
    auto setState = [](pivot::PivotMemberCheckModel& m, const std::string& name, bool on) {
        std::function<bool(const QModelIndex&)> walk = [&](const QModelIndex& parent) {
            for (int r = 0; r < m.rowCount(parent); ++r) {
                const QModelIndex index = m.index(r, 0, parent);
                if (index.data(Qt::ToolTipRole).toString().toStdString() == name)
                    return m.setData(index, on ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
                if (walk(index))
                    return true;
            }
            return false;
        };
        QVERIFY(walk({}));
    };
    const std::vector<Case> cases = {
        {"no filter, all in", {}, [](auto&) {}, {}, Qt::Checked},
        {"include opens with only the listed member", {Mode::Include, {"[Product].[Drink]"}}, [](auto&) {},
            {Mode::Include, {"[Product].[Drink]"}}, Qt::Checked},
        {"a child out makes its parent partly checked", {}, [&](auto& m) { setState(m, firstChild, false); },
            {Mode::Exclude, {firstChild}}, Qt::PartiallyChecked},
        {"only one child in: the shorter include list", {},
            [&](auto& m) {
                m.SetAllChecked(false);
                setState(m, firstChild, true);
            },
            {Mode::Include, {firstChild}}, Qt::PartiallyChecked},
        {"parent checked again covers its children", {Mode::Exclude, {firstChild}},
            [&](auto& m) { setState(m, "[Product].[Drink]", true); }, {}, Qt::Checked},
        // Drink and Food in, one member out: the exclude list is the shorter.
        {"search then select all checks only the hits", {Mode::Include, {"[Product].[Food]"}},
            [&](auto& m) {
                m.SetSearch(QString::fromStdString(drink->Caption()));
                QVERIFY(m.rowCount() >= 1);
                m.SetAllChecked(true);
                m.SetSearch({});
            },
            {Mode::Exclude, {"[Product].[Non-Consumable]"}}, Qt::Checked},
        {"a name the cube lacks is dropped", {Mode::Include, {"[Product].[Gone]", "[Product].[Drink]"}}, [](auto&) {},
            {Mode::Include, {"[Product].[Drink]"}}, Qt::Checked},
    };
    for (const Case& c : cases) {
        pivot::PivotMemberCheckModel model(*category, c.start);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        c.act(model);
        const pivot::PivotMemberFilter got = model.Filter();
        QVERIFY2(got.mode == c.expected.mode, c.name);
        auto sorted = [](std::vector<std::string> v) {
            std::sort(v.begin(), v.end());
            return v;
        };
        QVERIFY2(sorted(got.members) == sorted(c.expected.members), c.name);
        QVERIFY2(model.StateOf("[Product].[Drink]") == c.drinkState, c.name);
    }
    (void)otherChildren;
}

void PivotTableWidgetTest::headerMenus()
{
    m_session->SetDefinition(m_view);
    WaitForLayout();
    auto trigger = [&](QMenu* menu, const char* objectName) {
        QVERIFY(menu);
        QAction* action = menu->findChild<QAction*>(QString::fromLatin1(objectName));
        QVERIFY2(action && action->isEnabled(), objectName);
        action->trigger();
        delete menu;
        WaitForLayout();
    };
    const QString product = QStringLiteral("[Product]");
    auto shownProduct = [&] { return m_session->ShownDefinition().FindFieldSet("[Product]"); };
    trigger(m_table->FieldSetMenu(product), "sortAscendingAction");
    QVERIFY(shownProduct()->sort.direction == pivot::SortDirection::Ascending && shownProduct()->sort.byTotal.empty());
    trigger(m_table->FieldSetMenu(product), "subtotalsAction");
    QVERIFY(!shownProduct()->subtotals);
    trigger(m_table->FieldSetMenu(product), "subtotalsAction");
    QVERIFY(shownProduct()->subtotals);
    trigger(m_table->FieldSetMenu(product, "[Product].[Category]"), "expandLevelAction");
    QVERIFY(shownProduct()->fields[0].isExpanded);
    QVERIFY(shownProduct()->expandedMembers.empty());
    const int expandedRows = m_session->Layout().RowCount();
    QVERIFY(expandedRows > 10);
    trigger(m_table->FieldSetMenu(product, "[Product].[Category]"), "collapseLevelAction");
    QVERIFY(!shownProduct()->fields[0].isExpanded);
    QCOMPARE(m_session->Layout().RowCount(), 6);
    trigger(m_table->FieldSetMenu(product), "moveToColumnsAction");
    QCOMPARE(AxisNames(m_session->ShownDefinition(), AxisKind::Column), QStringLiteral("[Time]/[Product]"));
    QVERIFY(shownProduct()->sort.IsActive());

    // A real context menu on a row header of the grid: Time back on rows, then its menu.
    trigger(m_table->FieldSetMenu(QStringLiteral("[Time]")), "moveToRowsAction");
    const auto& layout = m_session->Layout();
    pivot::PivotGrid* grid = m_table->Grid();
    const QPoint header = grid->CellRect(layout.HeaderRows(), 0).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, header, grid->viewport()->mapToGlobal(header));
    QApplication::sendEvent(grid->viewport(), &event);
    QMenu* menu = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QStringLiteral("fieldSetMenu") && w->isVisible())
            menu = qobject_cast<QMenu*>(w);
    }
    QVERIFY(menu);
    QVERIFY(menu->findChild<QAction*>(QStringLiteral("moveToColumnsAction")));
    menu->close();

    // The menu key on the current cell (a row header) opens the same menu.
    grid->SetCurrentCell(layout.HeaderRows(), 0);
    QContextMenuEvent keyEvent(QContextMenuEvent::Keyboard, QPoint(0, 0), grid->mapToGlobal(QPoint(0, 0)));
    QApplication::sendEvent(grid, &keyEvent);
    menu = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QStringLiteral("fieldSetMenu") && w->isVisible())
            menu = qobject_cast<QMenu*>(w);
    }
    QVERIFY(menu);
    menu->close();

    // A value cell's menu sorts the rows by its total.
    const QPoint value = grid->CellRect(layout.HeaderRows(), layout.HeaderColumns()).center();
    QContextMenuEvent valueEvent(QContextMenuEvent::Mouse, value, grid->viewport()->mapToGlobal(value));
    QApplication::sendEvent(grid->viewport(), &valueEvent);
    menu = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QStringLiteral("totalMenu") && w->isVisible())
            menu = qobject_cast<QMenu*>(w);
    }
    QVERIFY(menu);
    menu->findChild<QAction*>(QStringLiteral("sortRowsDescendingAction"))->trigger();
    menu->close();
    WaitForLayout();
    const auto* time = m_session->ShownDefinition().FindFieldSet("[Time]");
    QVERIFY(time->sort.direction == pivot::SortDirection::Descending);
    QCOMPARE(time->sort.byTotal, std::string("[Measures].[Unit Sales]"));
}

void PivotTableWidgetTest::sortKeptOnDrill()
{
    // Product sorted by Unit Sales, largest first: after Food is expanded by a click on its
    // glyph, Food's children arrive sorted too.
    PivotDefinition view = m_view;
    view.columnAxis.clear();
    view.filterAxis.clear();
    view.rowAxis.front().expandedMembers.clear();
    m_session->SetDefinition(view);
    WaitForLayout();
    pivot::PivotGrid* grid = m_table->Grid();
    const auto& layout = m_session->Layout();
    int food = -1;
    for (int r = layout.HeaderRows(); r < layout.RowCount(); ++r) {
        if (layout.Cell(r, 0).text == "Food")
            food = r;
    }
    QVERIFY(food > 0);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->GlyphRect(food, 0).center());
    WaitForLayout();
    const auto& expanded = m_session->Layout();
    std::vector<double> children;
    for (int r = expanded.HeaderRows(); r < expanded.RowCount(); ++r) {
        const auto cell = expanded.Cell(r, 1);
        if (cell.header && cell.header->kind == pivot::PivotHeaderCell::Kind::Member
            && expanded.Cell(r, 0).text == "Food")
            children.push_back(expanded.Cell(r, expanded.HeaderColumns()).value.value_or(0));
    }
    QVERIFY(children.size() > 1);
    QVERIFY(std::is_sorted(children.rbegin(), children.rend()));
}

void PivotTableWidgetTest::explainsACell()
{
    PivotDefinition view = m_view;
    view.rowAxis.front().filter = {pivot::PivotMemberFilter::Mode::Exclude, {"[Product].[Food]"}};
    view.totals.push_back({"Margin", "Margin", "[Measures].[Store Sales] - [Measures].[Store Cost]", "#,##0.00", true});
    m_session->SetDefinition(view);
    WaitForLayout();
    const auto& layout = m_session->Layout();
    // The first value column of the second total (Margin) on the first value row.
    int column = -1;
    for (int c = layout.HeaderColumns(); c < layout.ColumnCount() && column < 0; ++c) {
        const auto* total
            = m_session->ShownDefinition().FindTotal(layout.Columns().TotalAt(c - layout.HeaderColumns()));
        if (total && total->name == "Margin")
            column = c;
    }
    QVERIFY(column > 0);
    const int row = layout.HeaderRows();
    const QString text = m_table->Explanation(row, column);
    const QString rowMember = QString::fromStdString(layout.Cell(row, 0).header->uniqueName);
    const QStringList expected = {QStringLiteral("Value: ") + QString::fromStdString(layout.Cell(row, column).text),
        QStringLiteral("  ") + rowMember, QStringLiteral("  [Time].[2022]"), QStringLiteral("Total: Margin (Margin)"),
        QStringLiteral("  formula: [Measures].[Store Sales] - [Measures].[Store Cost]"),
        QStringLiteral("  format: #,##0.00"), QStringLiteral("[Store]: only [Store].[Canada]"),
        QStringLiteral("Product [Product]: all but [Product].[Food] (totals count these only)")};
    for (const QString& line : expected)
        QVERIFY2(text.contains(line), qPrintable(line + QStringLiteral(" not in\n") + text));
    QVERIFY(m_table->Explanation(0, 0).isEmpty());

    // The value cell's context menu offers it.
    pivot::PivotGrid* grid = m_table->Grid();
    const QPoint at = grid->CellRect(row, column).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, grid->viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid->viewport(), &event);
    QMenu* menu = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QStringLiteral("totalMenu") && w->isVisible())
            menu = qobject_cast<QMenu*>(w);
    }
    QVERIFY(menu);
    menu->findChild<QAction*>(QStringLiteral("explainAction"))->trigger();
    menu->close();
    auto* box = m_table->findChild<QWidget*>(QStringLiteral("explanationBox"));
    QVERIFY(box && box->isVisible());
    box->close();
}

void PivotTableWidgetTest::gridFieldButtonOpensFilter()
{
    m_session->SetDefinition(m_view);
    WaitForLayout();
    pivot::PivotGrid* grid = m_table->Grid();
    const auto& layout = m_session->Layout();
    // Product's three captions share one button, on the first; Time's is on its caption.
    const int captions = layout.HeaderRows() - 1;
    QVERIFY(!grid->FieldButtonRect(captions, 0).isEmpty());
    QVERIFY(grid->FieldButtonRect(captions, 1).isEmpty());
    QVERIFY(grid->FieldButtonRect(0, 0).isEmpty());
    QVERIFY(!grid->FieldButtonRect(0, layout.HeaderColumns() - 1).isEmpty());
    if (const QByteArray shot = qgetenv("PIVOT_GRID_BUTTON_SHOT"); !shot.isEmpty())
        m_table->grab().save(QString::fromLocal8Bit(shot));

    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->FieldButtonRect(captions, 0).center());
    pivot::PivotMemberFilterPopup* popup = m_table->FilterPopup();
    QVERIFY(popup && popup->isVisible());
    QCOMPARE(popup->windowTitle(), QStringLiteral("Filter Product"));
    popup->reject();
    QTest::mouseClick(
        grid->viewport(), Qt::LeftButton, {}, grid->FieldButtonRect(0, layout.HeaderColumns() - 1).center());
    QVERIFY(m_table->FilterPopup() && m_table->FilterPopup()->windowTitle() == QStringLiteral("Filter Time"));
    m_table->FilterPopup()->reject();
}

void PivotTableWidgetTest::labelAndValueFiltersFromThePopup()
{
    m_session->SetDefinition(m_view);
    WaitForLayout();
    using Kind = pivot::PivotConditionFilter::Kind;
    auto open = [&] {
        pivot::PivotMemberFilterPopup* popup = m_table->OpenFilter(QStringLiteral("[Product]"));
        if (popup)
            (void)QTest::qWaitForWindowExposed(popup);
        return popup;
    };
    auto choose = [](pivot::PivotMemberFilterPopup* popup, Kind kind) {
        popup->ConditionKind()->setCurrentIndex(popup->ConditionKind()->findData(static_cast<int>(kind)));
    };

    // A label filter: the text box shows, the value boxes do not; typed text, OK.
    pivot::PivotMemberFilterPopup* popup = open();
    QVERIFY(popup);
    QVERIFY(popup->ConditionKind()->isVisible());
    QVERIFY(!popup->ConditionText()->isVisible());
    choose(popup, Kind::CaptionNotContains);
    QVERIFY(popup->ConditionText()->isVisible());
    QVERIFY(!popup->ConditionValue()->isVisible());
    QTest::keyClicks(popup->ConditionText(), QStringLiteral("OO"));
    QTest::mouseClick(popup->Buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    WaitForLayout();
    const auto* product = m_session->ShownDefinition().FindFieldSet("[Product]");
    QVERIFY(product->condition.kind == Kind::CaptionNotContains);
    QCOMPARE(product->condition.text, std::string("OO"));
    QVERIFY(m_table->AreaBar(AxisKind::Row)->FindChip("[Product]")->filtered);
    QVERIFY(!m_session->ShownDefinition().isNotFiltered);
    for (int r = m_session->Layout().HeaderRows(); r < m_session->Layout().RowCount(); ++r)
        QVERIFY(m_session->Layout().Cell(r, 0).text != "Food");

    // A value filter between two bounds (given high first), reopened as set.
    popup = open();
    QVERIFY(popup->Condition() == product->condition);
    choose(popup, Kind::ValueBetween);
    QVERIFY(!popup->ConditionText()->isVisible());
    QVERIFY(popup->ConditionBy()->isVisible() && popup->ConditionValue2()->isVisible());
    popup->ConditionValue()->setValue(100000);
    popup->ConditionValue2()->setValue(200);
    QTest::mouseClick(popup->Buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    WaitForLayout();
    product = m_session->ShownDefinition().FindFieldSet("[Product]");
    QVERIFY(product->condition.kind == Kind::ValueBetween);
    QCOMPARE(product->condition.byTotal, std::string("[Measures].[Unit Sales]"));
    // Every category shown lies within the bounds on the grand total column.
    const auto& layout = m_session->Layout();
    const int grandColumn = layout.ColumnCount() - 1;
    int shown = 0;
    for (int r = layout.HeaderRows(); r < layout.RowCount(); ++r) {
        const auto cell = layout.Cell(r, grandColumn);
        // Category lines only: a collapsed category spans the inner band, an expanded one
        // has its total there; the children of Drink are not filtered themselves.
        const auto inner = layout.Cell(r, layout.HeaderColumns() - 1);
        const bool category
            = inner.anchorColumn == 0 || (inner.header && inner.header->kind == pivot::PivotHeaderCell::Kind::Subtotal);
        if (layout.Cell(r, 0).isGrandTotal || !cell.value || !category)
            continue;
        QVERIFY2(*cell.value >= 200 && *cell.value <= 100000, cell.text.c_str());
        ++shown;
    }
    QVERIFY(shown > 0);

    // "Clear filter" takes the condition off too.
    QMenu* menu = m_table->FieldSetMenu(QStringLiteral("[Product]"));
    menu->findChild<QAction*>(QStringLiteral("clearFilterAction"))->trigger();
    delete menu;
    WaitForLayout();
    QVERIFY(!m_session->ShownDefinition().FindFieldSet("[Product]")->condition.IsActive());
}

void PivotTableWidgetTest::colorRulesFromTheValueMenu()
{
    m_session->SetDefinition(m_view);
    WaitForLayout();
    auto trigger = [&](const char* objectName) {
        QMenu* menu = m_table->TotalMenu(QStringLiteral("[Measures].[Unit Sales]"));
        QVERIFY(menu);
        QAction* action = menu->findChild<QAction*>(QString::fromLatin1(objectName));
        QVERIFY2(action && action->isEnabled(), objectName);
        action->trigger();
        delete menu;
        WaitForLayout();
    };
    trigger("colorScale3Action");
    const pivot::PivotColorRule* rule = m_session->ShownDefinition().FindColorRule("[Measures].[Unit Sales]");
    QVERIFY(rule && rule->kind == pivot::PivotColorRule::Kind::ColorScale3 && !rule->includeTotals);
    trigger("colorRuleTotalsAction");
    trigger("dataBarAction");
    rule = m_session->ShownDefinition().FindColorRule("[Measures].[Unit Sales]");
    // A change of kind keeps the totals switch.
    QVERIFY(rule && rule->kind == pivot::PivotColorRule::Kind::DataBar && rule->includeTotals);
    // The rule is in the definition text and comes back from it.
    const std::string text = pivot::PivotXml::Write(m_session->ShownDefinition());
    QVERIFY(text.find("<x:Kind>DataBar</x:Kind>") != std::string::npos);
    QVERIFY(pivot::PivotXml::Read(text) == m_session->ShownDefinition());
    trigger("clearColorRuleAction");
    QVERIFY(m_session->ShownDefinition().colorRules.empty());
}

void PivotTableWidgetTest::showValuesAsFromTheValueMenu()
{
    using Mode = pivot::PivotShowAs::Mode;
    m_session->SetDefinition(m_view);
    WaitForLayout();
    const QString total = QStringLiteral("[Measures].[Unit Sales]");
    // The submenu reaches the before-context-menu handler with the rest of the menu.
    {
        QMenu* menu = m_table->TotalMenu(total);
        const auto entries = pivot::PivotContextMenu::ToEntries(*menu);
        delete menu;
        bool found = false;
        for (const auto& entry : entries)
            found = found || (!entry.isEmpty() && entry.toArray()[0].toString() == QStringLiteral("Show Values As"));
        QVERIFY(found);
    }
    auto trigger = [&](Mode mode) {
        QMenu* menu = m_table->TotalMenu(total);
        QAction* action = menu->findChild<QAction*>(pivot::PivotShowAsMenu::ActionName(mode));
        QVERIFY(action && action->isEnabled());
        action->trigger();
        delete menu;
    };

    // A share: the grand total row is 100%, and the caption the user gave the total stays.
    trigger(Mode::PercentOfColumnTotal);
    WaitForLayout();
    QCOMPARE(m_session->ShownDefinition().totals[0].showAs.mode, Mode::PercentOfColumnTotal);
    const pivot::PivotLayout& layout = m_session->Layout();
    const int last = layout.RowCount() - 1;
    const int first = layout.HeaderColumns();
    QCOMPARE(layout.Cell(last, first).text, std::string("100.00%"));
    bool captioned = false;
    for (int r = 0; r < layout.HeaderRows(); ++r)
        captioned = captioned || layout.Cell(r, first).text == "Units";
    QVERIFY(captioned);
    const QString why = m_table->Explanation(last - 1, first);
    QVERIFY2(why.contains(QStringLiteral("shown as: % of column total")), qPrintable(why));
    QVERIFY2(why.contains(QStringLiteral("format: 0.00%")), qPrintable(why));

    // A difference asks for its base field and item first; Cancel changes nothing.
    auto dialog = [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QStringLiteral("showAsDialog") && w->isVisible())
                return qobject_cast<QDialog*>(w);
        }
        return static_cast<QDialog*>(nullptr);
    };
    trigger(Mode::DifferenceFrom);
    QDialog* asked = dialog();
    QVERIFY(asked);
    asked->reject();
    QTest::qWait(50);
    QCOMPARE(m_session->Definition().totals[0].showAs.mode, Mode::PercentOfColumnTotal);

    trigger(Mode::DifferenceFrom);
    asked = dialog();
    QVERIFY(asked);
    auto* field = asked->findChild<QComboBox*>(QStringLiteral("baseFieldCombo"));
    auto* item = asked->findChild<QComboBox*>(QStringLiteral("baseItemCombo"));
    QVERIFY(field && item);
    field->setCurrentIndex(field->findData(QStringLiteral("[Time]")));
    // The years the grid shows are offered after (previous) and (next).
    const int year = item->findData(QStringLiteral("[Time].[2022]"));
    QVERIFY(year >= 2);
    item->setCurrentIndex(year);
    if (const QByteArray dir = qgetenv("PIVOT_SCREENSHOT_DIR"); !dir.isEmpty())
        asked->grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/show-values-as-dialog.png"));
    asked->accept();
    WaitForLayout();
    const pivot::PivotShowAs& shown = m_session->ShownDefinition().totals[0].showAs;
    QCOMPARE(shown.mode, Mode::DifferenceFrom);
    QCOMPARE(shown.baseFieldSet, std::string("[Time]"));
    QCOMPARE(shown.baseMember, std::string("[Time].[2022]"));
    // The definition text keeps the choice.
    const std::string text = pivot::PivotXml::Write(m_session->ShownDefinition());
    QVERIFY(text.find("<x:ShowAsBaseItem>[Time].[2022]</x:ShowAsBaseItem>") != std::string::npos);

    if (const QByteArray dir = qgetenv("PIVOT_SCREENSHOT_DIR"); !dir.isEmpty()) {
        QMenu* menu = m_table->TotalMenu(total);
        QMenu* sub = menu->findChild<QMenu*>(QStringLiteral("showValuesAsMenu"));
        menu->popup(m_table->mapToGlobal(QPoint(100, 100)));
        sub->popup(m_table->mapToGlobal(QPoint(300, 100)));
        QTest::qWait(100);
        menu->grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/value-menu.png"));
        sub->grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/show-values-as-menu.png"));
        m_table->grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/difference-grid.png"));
        delete menu;
    }

    // Back to the values as they are.
    trigger(Mode::Normal);
    WaitForLayout();
    QVERIFY(!m_session->ShownDefinition().totals[0].showAs.IsActive());
}

void PivotTableWidgetTest::valuesChipMovesTheTotals()
{
    // One total: no Σ chip. Two: the chip sits after Time on the columns.
    m_session->SetDefinition(m_view);
    WaitForLayout();
    PivotAreaBar* rows = m_table->AreaBar(AxisKind::Row);
    PivotAreaBar* columns = m_table->AreaBar(AxisKind::Column);
    QVERIFY(!columns->FindChip(pivot::PivotFieldDrag::kValuesName));
    auto view = m_view;
    view.totals.push_back({"[Measures].[Store Sales]", "Sales", "", "", true});
    m_session->SetDefinition(view);
    WaitForLayout();
    const auto* values = columns->FindChip(pivot::PivotFieldDrag::kValuesName);
    QVERIFY(values);
    QVERIFY(columns->Chips().back().field.kind == pivot::PivotFieldDrag::Kind::Values);

    // Dragged in front of Product on the rows: the totals become the outer row block.
    const QRect product = rows->FindChip("[Product]")->rect;
    Drag(columns, values->rect.center(), rows, QPoint(product.left() + 2, product.center().y()));
    WaitForLayout();
    QVERIFY(m_session->ShownDefinition().totalsAxis == AxisKind::Row);
    QCOMPARE(m_session->ShownDefinition().totalsPosition, 0);
    QVERIFY(!columns->FindChip(pivot::PivotFieldDrag::kValuesName));
    QVERIFY(rows->Chips().front().field.kind == pivot::PivotFieldDrag::Kind::Values);
    const auto& layout = m_session->Layout();
    QCOMPARE(layout.Rows().BandCaption(0), std::string("Totals"));
    QCOMPARE(QString::fromStdString(layout.Cell(layout.HeaderRows(), 0).text), QStringLiteral("Units"));
    // Dropped outside every area, the chip stays where it is.
    Drag(rows, rows->Chips().front().rect.center(), TreeViewport(), QPoint(20, 20));
    QVERIFY(!m_session->IsWorking());
    QVERIFY(m_session->Definition().totalsAxis == AxisKind::Row);

    // Its menu moves it inward, then back to the columns.
    auto trigger = [&](const char* objectName) {
        QMenu* menu = m_table->ValuesMenu();
        QAction* action = menu->findChild<QAction*>(QString::fromLatin1(objectName));
        QVERIFY2(action && action->isEnabled(), objectName);
        action->trigger();
        delete menu;
        WaitForLayout();
    };
    QMenu* menu = m_table->ValuesMenu();
    QVERIFY(!menu->findChild<QAction*>(QStringLiteral("moveValuesOutAction"))->isEnabled());
    delete menu;
    trigger("moveValuesInAction");
    QCOMPARE(m_session->ShownDefinition().totalsPosition, -1);
    trigger("moveValuesAcrossAction");
    QVERIFY(m_session->ShownDefinition().totalsAxis == AxisKind::Column);
    QVERIFY(columns->FindChip(pivot::PivotFieldDrag::kValuesName));
    QVERIFY(pivot::PivotMdxBuilder::Build(m_session->ShownDefinition()).find("CrossJoin(Hierarchize([Time]")
        != std::string::npos);
}

QTEST_MAIN(PivotTableWidgetTest)
#include "PivotTableWidgetTest.moc"
