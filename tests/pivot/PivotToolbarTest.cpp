// The pivot table's commands on the selection, its before-context-menu and command events,
// its own toolbar, title bar and drop-area switches, and the property toolbox writing into
// the definition (the look stored in the definition text, and painted).
#include "control/pivot/PivotToolbar.h"
#include "control/pivot/PivotAreaBar.h"
#include "control/pivot/PivotCommandEdit.h"
#include "control/pivot/PivotContextMenu.h"
#include "control/pivot/PivotFieldList.h"
#include "control/pivot/PivotGrid.h"
#include "control/pivot/PivotPropertyToolbox.h"
#include "control/pivot/PivotSession.h"
#include "control/pivot/PivotTableWidget.h"
#include "control/pivot/model/PivotError.h"
#include "control/pivot/model/PivotXml.h"

#include "olap/access/Connection.h"
#include "olap/adomd/Catalog.h"
#include "olap/sample/SalesSample.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

using pivot::AxisKind;
using pivot::PivotCommand;
using pivot::PivotDefinition;
using pivot::PivotSelectionTarget;
using pivot::PivotTableWidget;
using platform::Variant;

namespace {

// Rows: Product (Category) and Store (Country); columns: Time (Year) with two totals inside.
PivotDefinition SampleView(const std::string& cube)
{
    PivotDefinition d;
    d.connectionString = "Provider=MSOLAP.2;Data Source=" + cube + ";Initial Catalog=Sales";
    d.dataMember = "Sales";
    pivot::PivotFieldSet product;
    product.uniqueName = "[Product]";
    product.caption = "Product";
    product.fields.push_back({"[Product].[Category]", "Category", true, false});
    // No subtotal lines: the first row shows a product and a store member.
    product.subtotals = false;
    pivot::PivotFieldSet store;
    store.uniqueName = "[Store]";
    store.caption = "Store";
    store.fields.push_back({"[Store].[Country]", "Country", true, false});
    pivot::PivotFieldSet time;
    time.uniqueName = "[Time]";
    time.caption = "Time";
    time.fields.push_back({"[Time].[Year]", "Year", true, false});
    d.rowAxis = {product, store};
    d.columnAxis = {time};
    pivot::PivotTotal units;
    units.name = "[Measures].[Unit Sales]";
    units.caption = "Units";
    pivot::PivotTotal sales;
    sales.name = "[Measures].[Store Sales]";
    sales.caption = "Sales";
    sales.numberFormat = "#,##0.00";
    d.totals = {units, sales};
    return d;
}

QMenu* VisibleMenu()
{
    QMenu* found = nullptr;
    (void)QTest::qWaitFor([&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* menu = qobject_cast<QMenu*>(w); menu && menu->isVisible())
                found = menu;
        }
        return found != nullptr;
    });
    return found;
}

} // namespace

class PivotToolbarTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        olap::SalesSample::WriteAll(m_dir.path().toStdString(), 3000, 7);
        m_view = SampleView(m_dir.filePath(QStringLiteral("Sales.cub")).toStdString());
        m_connection = olap::Connection::Connect(m_view.connectionString);
        m_catalog = std::make_unique<olap::adomd::Catalog>();
        m_catalog->SetActiveConnection(m_view.connectionString);
    }

    void init()
    {
        m_session = std::make_unique<pivot::PivotSession>();
        auto connection = m_connection;
        m_session->SetExecutor([connection](const std::string& mdx) { return connection->ExecuteMdx(mdx); });
        m_table = std::make_unique<PivotTableWidget>(m_session.get());
        QVERIFY(m_table->SetCube(m_catalog->FindCubeDef("Sales")));
        m_table->resize(1000, 600);
        m_table->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_table.get()));
        m_session->SetDefinition(m_view);
        QVERIFY(WaitForLayout());
    }

    void cleanup()
    {
        m_table.reset();
        m_session.reset();
    }

    // What a cell stands for, by where it lies in the grid.
    void selectionTargets_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("fieldSet");
        QTest::addColumn<QString>("total");
        using K = PivotSelectionTarget::Kind;
        QTest::newRow("row caption") << "storeCaption" << int(K::FieldSet) << "[Store]"
                                     << "";
        QTest::newRow("column caption") << "timeCaption" << int(K::FieldSet) << "[Time]"
                                        << "";
        QTest::newRow("row member") << "productMember" << int(K::Member) << "[Product]"
                                    << "";
        QTest::newRow("inner row member") << "storeMember" << int(K::Member) << "[Store]"
                                          << "";
        QTest::newRow("column member") << "yearMember" << int(K::Member) << "[Time]"
                                       << "";
        QTest::newRow("total caption") << "salesCaption" << int(K::Total) << ""
                                       << "[Measures].[Store Sales]";
        QTest::newRow("value of the first total") << "unitsValue" << int(K::Value) << ""
                                                  << "[Measures].[Unit Sales]";
        QTest::newRow("value of the second total") << "salesValue" << int(K::Value) << ""
                                                   << "[Measures].[Store Sales]";
        QTest::newRow("outside") << "outside" << int(K::None) << ""
                                 << "";
    }
    void selectionTargets()
    {
        QFETCH(QString, where);
        QFETCH(int, kind);
        QFETCH(QString, fieldSet);
        QFETCH(QString, total);
        const QPoint cell = Cell(where);
        const PivotSelectionTarget target
            = PivotSelectionTarget::At(m_session->ShownDefinition(), m_session->Layout(), cell.y(), cell.x());
        QCOMPARE(int(target.kind), kind);
        QCOMPARE(QString::fromStdString(target.fieldSet), fieldSet);
        QCOMPARE(QString::fromStdString(target.total), total);
    }

    // Sort from the toolbar acts on the selected cell; with nothing selected on the first row
    // field set by the first total.
    void sortActsOnTheSelection_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("sorted");
        QTest::addColumn<QString>("byTotal");
        QTest::newRow("nothing selected") << ""
                                          << "[Product]"
                                          << "[Measures].[Unit Sales]";
        QTest::newRow("inner row caption") << "storeCaption"
                                           << "[Store]"
                                           << "";
        QTest::newRow("column member") << "yearMember"
                                       << "[Time]"
                                       << "";
        QTest::newRow("total caption") << "salesCaption"
                                       << "[Store]"
                                       << "[Measures].[Store Sales]";
        QTest::newRow("value cell") << "salesValue"
                                    << "[Store]"
                                    << "[Measures].[Store Sales]";
    }
    void sortActsOnTheSelection()
    {
        QFETCH(QString, where);
        QFETCH(QString, sorted);
        QFETCH(QString, byTotal);
        Select(where);
        m_table->SetPanelVisible(PivotTableWidget::Panel::Toolbar, true);
        QAction* sort = m_table->Toolbar()->Action(PivotCommand::SortDescending);
        QVERIFY(sort && sort->isEnabled());
        sort->trigger();
        const PivotDefinition& d = m_session->Definition();
        for (const auto* axis : {&d.rowAxis, &d.columnAxis}) {
            for (const pivot::PivotFieldSet& f : *axis) {
                const bool expected = f.uniqueName == sorted.toStdString();
                QCOMPARE(f.sort.direction == pivot::SortDirection::Descending, expected);
                if (expected)
                    QCOMPARE(QString::fromStdString(f.sort.byTotal), byTotal);
            }
        }
        QVERIFY(WaitForLayout());
        QVERIFY2(m_session->LastError().isEmpty(), qPrintable(m_session->LastError()));
    }

    // A new calculated total copies the selected total (else the first) and opens the toolbox on it.
    void calculatedTotalStartsFromTheSelection_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("format");
        QTest::newRow("nothing selected") << ""
                                          << "[Measures].[Unit Sales]"
                                          << "";
        QTest::newRow("value of the second total") << "salesValue"
                                                   << "[Measures].[Store Sales]"
                                                   << "#,##0.00";
        QTest::newRow("row member falls back") << "productMember"
                                               << "[Measures].[Unit Sales]"
                                               << "";
    }
    void calculatedTotalStartsFromTheSelection()
    {
        QFETCH(QString, where);
        QFETCH(QString, expression);
        QFETCH(QString, format);
        Select(where);
        QVERIFY(m_table->ExecuteCommand(PivotCommand::CreateCalculatedTotal));
        const pivot::PivotTotal* added = m_session->Definition().FindTotal("New Total");
        QVERIFY(added);
        QCOMPARE(QString::fromStdString(added->expression), expression);
        QCOMPARE(QString::fromStdString(added->numberFormat), format);
        QVERIFY(m_table->PanelVisible(PivotTableWidget::Panel::PropertyToolbox));
        QVERIFY(WaitForLayout());
        // The toolbox keeps the new total while the re-query reports the same cell again.
        QCOMPARE(m_table->PropertyToolbox()->SubjectName(), std::string("New Total"));
        QVERIFY(m_table->ExecuteCommand(PivotCommand::CreateCalculatedTotal));
        QVERIFY(m_session->Definition().FindTotal("New Total 2"));
    }

    // The pivot's menus reach the host as entries; what the host leaves is what shows, and a
    // chosen entry raises the command event with its id.
    void beforeContextMenuChangesAreHonoured()
    {
        const QPoint cell = Cell(QStringLiteral("storeMember"));
        int calls = 0;
        std::vector<std::pair<Variant, int>> commands;
        QObject::connect(m_table->ContextMenu(), &pivot::PivotContextMenu::commandExecuted, m_table.get(),
            [&](const Variant& id, int row, int) { commands.emplace_back(id, row); });
        m_table->ContextMenu()->SetBeforeContextMenu(
            [&](const pivot::PivotContextMenu::Context& context, std::vector<Variant>& entries) {
                ++calls;
                QCOMPARE(context.row, cell.y());
                QCOMPARE(context.column, cell.x());
                std::erase_if(entries, [](const Variant& e) {
                    return e.type() == Variant::Type::Array && e.toArray()[1].toInt() == int(PivotCommand::Remove);
                });
                for (Variant& e : entries) {
                    if (e.type() == Variant::Type::Array && e.toArray()[1].toInt() == int(PivotCommand::SortAscending))
                        e = Variant(std::vector<Variant> {Variant("Ascending!"), e.toArray()[1]});
                }
                entries.emplace_back();
                entries.emplace_back(std::vector<Variant> {Variant("Custom"), Variant(std::int32_t(777))});
                entries.emplace_back(std::vector<Variant> {Variant("More"),
                    Variant(std::vector<Variant> {
                        Variant(std::vector<Variant> {Variant("Deep"), Variant("deepCommand")})})});
            });

        auto open = [&] {
            const QPoint at = m_table->Grid()->CellRect(cell.y(), cell.x()).center();
            QContextMenuEvent event(QContextMenuEvent::Mouse, at, m_table->Grid()->viewport()->mapToGlobal(at));
            QApplication::sendEvent(m_table->Grid()->viewport(), &event);
            return VisibleMenu();
        };
        QMenu* menu = open();
        QVERIFY(menu);
        QCOMPARE(calls, 1);
        QVERIFY(!menu->findChild<QAction*>(QStringLiteral("removeAction"), Qt::FindDirectChildrenOnly));
        QAction* custom = menu->findChild<QAction*>(QStringLiteral("command777"));
        QVERIFY(custom);
        QVERIFY(menu->findChild<QAction*>(QStringLiteral("deepCommand")));
        QAction* ascending
            = menu->findChild<QAction*>(QStringLiteral("sortAscendingAction"), Qt::FindDirectChildrenOnly);
        QVERIFY(ascending);
        QCOMPARE(ascending->text(), QStringLiteral("Ascending!"));
        custom->trigger();
        menu->close();
        QCOMPARE(commands.size(), std::size_t(1));
        QCOMPARE(commands[0].first.toInt(), 777);
        QCOMPARE(commands[0].second, cell.y());

        // A renamed entry of the pivot still runs the pivot's command.
        menu = open();
        QVERIFY(menu);
        menu->findChild<QAction*>(QStringLiteral("sortAscendingAction"), Qt::FindDirectChildrenOnly)->trigger();
        menu->close();
        QCOMPARE(m_session->Definition().FindFieldSet("[Store]")->sort.direction, pivot::SortDirection::Ascending);
        QCOMPARE(commands.size(), std::size_t(2));
        QCOMPARE(commands[1].first.toInt(), int(PivotCommand::SortAscending));
    }

    // Menus as entries: separators are empty, sub-menus nest, the pivot's own commands keep
    // their numbers and other entries get numbers of their own.
    void menusBecomeEntries()
    {
        QMenu menu;
        menu.addAction(QStringLiteral("Up"))->setObjectName(QStringLiteral("sortAscendingAction"));
        menu.addSeparator();
        QMenu* sub = menu.addMenu(QStringLiteral("Sub"));
        sub->addAction(QStringLiteral("Host"));
        sub->addAction(QStringLiteral("Other"));
        std::map<int, QAction*> commands;
        const auto entries = pivot::PivotContextMenu::ToEntries(menu, &commands);
        QCOMPARE(entries.size(), std::size_t(3));
        QCOMPARE(entries[0].toArray()[1].toInt(), int(PivotCommand::SortAscending));
        QVERIFY(entries[1].isEmpty());
        const auto& nested = entries[2].toArray()[1].toArray();
        QCOMPARE(nested.size(), std::size_t(2));
        QCOMPARE(nested[0].toArray()[1].toInt(), pivot::kFirstMenuEntryId);
        QCOMPARE(nested[1].toArray()[1].toInt(), pivot::kFirstMenuEntryId + 1);
        QCOMPARE(commands.size(), std::size_t(3));
    }

    // The toolbar, title bar and drop areas show as their switches say; the toolbar's field
    // list and toolbox buttons switch their panels and tell the host.
    void panelsFollowTheirSwitches()
    {
        using Panel = PivotTableWidget::Panel;
        QVERIFY(!m_table->Toolbar()->isVisible());
        QVERIFY(!m_table->TitleBar()->isVisible());
        m_table->SetPanelVisible(Panel::Toolbar, true);
        m_table->SetPanelVisible(Panel::TitleBar, true);
        QVERIFY(m_table->Toolbar()->isVisible());
        QCOMPARE(m_table->TitleBar()->text(), QStringLiteral("Sales"));
        m_table->SetPanelVisible(Panel::DropAreas, false);
        QVERIFY(!m_table->AreaBar(AxisKind::Row)->isVisible());
        QVERIFY(!m_table->AreaBar(AxisKind::Filter)->isVisible());
        QSignalSpy toggled(m_table.get(), &PivotTableWidget::panelToggled);
        const bool listShown = m_table->FieldList()->isVisible();
        m_table->Toolbar()->Action(PivotCommand::FieldList)->trigger();
        QCOMPARE(m_table->FieldList()->isVisible(), !listShown);
        m_table->Toolbar()->Action(PivotCommand::PropertyToolbox)->trigger();
        QVERIFY(m_table->PropertyToolbox()->isVisible());
        QVERIFY(m_table->Toolbar()->Action(PivotCommand::PropertyToolbox)->isChecked());
        QCOMPARE(toggled.size(), 2);
        m_table->PropertyToolbox()->findChild<QToolButton*>(QStringLiteral("toolboxClose"))->click();
        QVERIFY(!m_table->PropertyToolbox()->isVisible());
        QCOMPARE(toggled.size(), 3);
        // Grand totals off from the toolbar, and the stop button only while a query runs.
        QVERIFY(!m_table->Toolbar()->Action(PivotCommand::Cancel)->isEnabled());
        m_table->Toolbar()->Action(PivotCommand::GrandTotals)->trigger();
        QVERIFY(!m_session->Definition().rowGrandTotals && !m_session->Definition().columnGrandTotals);
        QVERIFY(m_table->Toolbar()->Action(PivotCommand::Cancel)->isEnabled());
        m_table->Toolbar()->Action(PivotCommand::Cancel)->trigger();
        QVERIFY(!m_session->IsWorking());
        QVERIFY(m_session->Definition().rowGrandTotals);
    }

    // The toolbox edits the selected total or field set; a change of look repaints without a
    // query, and the definition text keeps it.
    void toolboxWritesIntoTheDefinition()
    {
        using Panel = PivotTableWidget::Panel;
        m_table->SetPanelVisible(Panel::PropertyToolbox, true);
        pivot::PivotPropertyToolbox* box = m_table->PropertyToolbox();
        Select(QStringLiteral("salesValue"));
        QCOMPARE(box->SubjectKind(), std::string("total"));
        QCOMPARE(box->SubjectName(), std::string("[Measures].[Store Sales]"));
        auto* caption = box->findChild<QLineEdit*>(QStringLiteral("toolboxCaption"));
        caption->setText(QStringLiteral("Revenue"));
        emit caption->editingFinished();
        QCOMPARE(m_session->Definition().FindTotal("[Measures].[Store Sales]")->caption, std::string("Revenue"));
        QVERIFY(WaitForLayout());
        auto* format = box->findChild<QComboBox*>(QStringLiteral("toolboxNumberFormat"));
        const int index = format->findData(QStringLiteral("#,#"));
        QVERIFY(index > 0);
        format->setCurrentIndex(index);
        emit format->activated(index);
        QCOMPARE(m_session->Definition().FindTotal("[Measures].[Store Sales]")->numberFormat, std::string("#,#"));
        QVERIFY(WaitForLayout());

        // Look only: no query.
        box->findChild<QToolButton*>(QStringLiteral("toolboxBold"))->click();
        QVERIFY(!m_session->IsWorking());
        QVERIFY(m_session->ShownDefinition().FindTotal("[Measures].[Store Sales]")->style.bold);
        QAction* text = ColourAction(box, "toolboxTextColourMenu", "#c00000");
        QVERIFY(text);
        text->trigger();
        QCOMPARE(m_session->ShownDefinition().FindTotal("[Measures].[Store Sales]")->style.textColor,
            std::string("#c00000"));

        // A field set: its fill colour is painted behind its members.
        Select(QStringLiteral("storeMember"));
        QCOMPARE(box->SubjectKind(), std::string("fieldset"));
        QAction* fill = ColourAction(box, "toolboxFillColourMenu", "#ffc000");
        QVERIFY(fill);
        fill->trigger();
        QCOMPARE(m_session->ShownDefinition().FindFieldSet("[Store]")->style.fillColor, std::string("#ffc000"));
        m_table->Grid()->ClearSelection();
        const QPoint member = Cell(QStringLiteral("storeMember"));
        const QRect rect = m_table->Grid()->CellRect(member.y(), member.x());
        const QImage picture = m_table->Grid()->viewport()->grab().toImage();
        QCOMPARE(QColor(picture.pixel(rect.right() - 3, rect.bottom() - 3)).name(), QStringLiteral("#ffc000"));

        // The definition text keeps the look.
        const PivotDefinition back = pivot::PivotXml::Read(pivot::PivotXml::Write(m_session->Definition()));
        QCOMPARE(back, m_session->Definition());
        QVERIFY(pivot::PivotXml::Write(back).find("<x:TextColor>#c00000</x:TextColor>") != std::string::npos);
    }

    void badStyleTextIsRefused_data()
    {
        QTest::addColumn<QString>("element");
        QTest::addColumn<QString>("message");
        QTest::newRow("size zero") << "<x:FontSize>0</x:FontSize>"
                                   << "font size";
        QTest::newRow("size not a number") << "<x:FontSize>big</x:FontSize>"
                                           << "font size";
        QTest::newRow("size too large") << "<x:FontSize>401</x:FontSize>"
                                        << "font size";
        QTest::newRow("named colour") << "<x:TextColor>red</x:TextColor>"
                                      << "#RRGGBB";
        QTest::newRow("short colour") << "<x:FillColor>#fff</x:FillColor>"
                                      << "#RRGGBB";
    }
    void badStyleTextIsRefused()
    {
        QFETCH(QString, element);
        QFETCH(QString, message);
        const std::string text = "<xml xmlns:x=\"urn:schemas-microsoft-com:office:excel\"><x:PivotTable><x:PivotView>"
                                 "<x:Total><x:Name>[Measures].[Unit Sales]</x:Name>"
            + element.toStdString() + "</x:Total></x:PivotView></x:PivotTable></xml>";
        try {
            (void)pivot::PivotXml::Read(text);
            QFAIL("a bad style was read");
        } catch (const pivot::PivotError& error) {
            QVERIFY2(QString::fromUtf8(error.what()).contains(message), error.what());
        }
    }

private:
    static QAction* ColourAction(QWidget* box, const char* menu, const char* colour)
    {
        for (QAction* a : box->findChildren<QAction*>(QStringLiteral("colour") + QLatin1String(colour))) {
            if (a->parent()->objectName() == QLatin1String(menu))
                return a;
        }
        return nullptr;
    }

    bool WaitForLayout()
    {
        return QTest::qWaitFor([&] { return !m_session->IsWorking() && m_session->HasLayout(); }, 20000);
    }

    // Grid cells by what they show.
    QPoint Cell(const QString& where) const
    {
        const pivot::PivotLayout& layout = m_session->Layout();
        const int hr = layout.HeaderRows();
        const int hc = layout.HeaderColumns();
        if (where == u"storeCaption")
            return {1, hr - 1};
        if (where == u"timeCaption")
            return {0, 0};
        if (where == u"productMember")
            return {0, hr};
        if (where == u"storeMember")
            return {1, hr};
        if (where == u"yearMember")
            return {hc, 0};
        if (where == u"salesCaption")
            return {hc + 1, hr - 1};
        if (where == u"unitsValue")
            return {hc, hr};
        if (where == u"salesValue")
            return {hc + 1, hr};
        return {layout.ColumnCount() + 5, layout.RowCount() + 5};
    }

    void Select(const QString& where)
    {
        if (where.isEmpty()) {
            m_table->Grid()->ClearSelection();
            return;
        }
        const QPoint cell = Cell(where);
        m_table->Grid()->SetCurrentCell(cell.y(), cell.x());
    }

    QTemporaryDir m_dir;
    PivotDefinition m_view;
    std::shared_ptr<olap::Connection> m_connection;
    std::unique_ptr<olap::adomd::Catalog> m_catalog;
    std::unique_ptr<pivot::PivotSession> m_session;
    std::unique_ptr<PivotTableWidget> m_table;
};

QTEST_MAIN(PivotToolbarTest)
#include "PivotToolbarTest.moc"
