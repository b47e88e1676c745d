// The drill-through form as the user meets it: started the way the control's button starts
// it, the rows listed, OK clicked; columns hidden through the header's menu and reordered by
// dragging a header, then the rows exported as shown; the plain message box.
#include "DrillSample.h"

#include "control/drill/DrillForm.h"
#include "control/drill/DrillThrough.h"
#include "control/pivot/object/PivotFieldSetObject.h"

#include "support/ModalHelper.h"

#include <QContextMenuEvent>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace drilltest;

class DrillFormTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void startListsTheRowsAndOkCloses();
    void columnsHiddenAndMovedAreExportedAsShown();
    void messagesArePlainBoxes();

private:
    std::shared_ptr<pivot::PivotTableObject> KitTable(int* kitRow);

    QTemporaryDir m_dir;
    std::string m_connectionString;
    std::shared_ptr<olap::Connection> m_connection;
};

void DrillFormTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_connectionString = WriteCube(m_dir.path().toStdString());
    m_connection = olap::Connection::Connect(m_connectionString);
}

std::shared_ptr<pivot::PivotTableObject> DrillFormTest::KitTable(int* kitRow)
{
    auto table
        = Table(View(m_connectionString, {Expanded(Product(2), {"[Product].[Drink]"})}, {Time(1)}, {}), m_connection);
    const pivot::PivotLayout& layout = table->Layout();
    *kitRow = -1;
    for (int r = layout.HeaderRows(); r < layout.RowCount() && *kitRow < 0; ++r) {
        if (layout.Cell(r, 1).text == "Drillthrough Kit")
            *kitRow = r;
    }
    return table;
}

void DrillFormTest::startListsTheRowsAndOkCloses()
{
    int kitRow = -1;
    auto table = KitTable(&kitRow);
    QVERIFY(kitRow >= 0);
    const int column = table->Layout().HeaderColumns();
    QVERIFY(table->Select(kitRow, column));
    const double value = table->Layout().Cell(kitRow, column).value.value_or(0);

    QWidget host;
    host.show();
    drill::DrillThrough drill(table);
    int shownRows = -1;
    QString statement;
    QString count;
    bool formSeen = false;
    WhenModalShows([&](QWidget* modal) {
        auto* form = qobject_cast<drill::DrillForm*>(modal);
        if (!form)
            return;
        formSeen = true;
        shownRows = form->RowsView()->model()->rowCount();
        statement = form->findChild<QLabel*>(QStringLiteral("statementLabel"))->text();
        count = form->findChild<QLabel*>(QStringLiteral("countLabel"))->text();
        QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("okButton")), Qt::LeftButton);
    });
    drill.Start(&host);
    QVERIFY(formSeen);
    QVERIFY(drill.MasterRecordset());
    QCOMPARE(shownRows, static_cast<int>(drill.MasterRecordset()->RecordCount()));
    QVERIFY(shownRows > 0);
    QVERIFY(statement.startsWith(QStringLiteral("DRILLTHROUGH MAXROWS 5000 SELECT FROM Sales WHERE")));
    QVERIFY(statement.contains(QString::fromLatin1(kKit)));
    QVERIFY(count.startsWith(QString::number(shownRows)));
    double sum = 0;
    const std::size_t units = drill.MasterRecordset()->FieldIndex("Unit Sales");
    for (const auto& row : drill.MasterRecordset()->Rows())
        sum += row[units].ToDouble().value_or(0);
    QCOMPARE(sum, value);
}

void DrillFormTest::columnsHiddenAndMovedAreExportedAsShown()
{
    auto rows = std::make_shared<olap::recordset::Recordset>();
    rows->AppendField("Product", olap::recordset::DataType::VarWChar);
    rows->AppendField("Store", olap::recordset::DataType::VarWChar);
    rows->AppendField("Unit Sales", olap::recordset::DataType::Double);
    rows->Open();
    rows->AppendRow({std::string(R"(a\nb)"), std::string("Toronto, Queen St"), 3.0});
    rows->AppendRow({std::string("Drillthrough Kit"), std::string("Seattle"), 4.5});

    drill::DrillForm form;
    form.Init(rows);
    form.ShowStatement(QStringLiteral("DRILLTHROUGH MAXROWS 2 SELECT FROM Sales"), 2);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTableView* view = form.RowsView();
    QHeaderView* header = view->horizontalHeader();
    QCOMPARE(view->model()->rowCount(), 2);
    QCOMPARE(view->model()->columnCount(), 3);
    QVERIFY(form.findChild<QLabel*>(QStringLiteral("countLabel"))->text().contains(QStringLiteral("limit of 2")));

    // The header's menu: untick "Store".
    bool menuSeen = false;
    QTimer::singleShot(50, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        menuSeen = true;
        for (QAction* action : menu->actions()) {
            if (action->text() == QStringLiteral("Store"))
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
        }
        menu->close();
    });
    const QPoint at(header->sectionViewportPosition(1) + 5, header->height() / 2);
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, header->viewport()->mapToGlobal(at));
    QApplication::sendEvent(header->viewport(), &request);
    QVERIFY(menuSeen);
    QVERIFY(header->isSectionHidden(1));

    // Drag "Unit Sales" before "Product".
    const int y = header->height() / 2;
    const QPoint from(header->sectionViewportPosition(2) + header->sectionSize(2) / 2, y);
    const QPoint to(header->sectionViewportPosition(0) + 2, y);
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), header->viewport()->mapToGlobal(QPointF(to)), Qt::NoButton,
        Qt::LeftButton, Qt::NoModifier);
    QMouseEvent step(QEvent::MouseMove, QPointF((from + to) / 2),
        header->viewport()->mapToGlobal(QPointF((from + to) / 2)), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(header->viewport(), &step);
    QApplication::sendEvent(header->viewport(), &move);
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, to);
    QCOMPARE(header->visualIndex(2), 0);

    QTemporaryDir dir;
    QString error;
    const QString csv = dir.filePath(QStringLiteral("rows.csv"));
    QVERIFY2(form.ExportTo(csv, &error), qPrintable(error));
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), QStringLiteral("Unit Sales,Product\n3,a\\nb\n4.5,Drillthrough Kit\n"));

    const QString xlsx = dir.filePath(QStringLiteral("rows.xlsx"));
    QVERIFY2(form.ExportTo(xlsx, &error), qPrintable(error));
    QFile book(xlsx);
    QVERIFY(book.open(QIODevice::ReadOnly));
    QCOMPARE(book.read(2), QByteArray("PK"));

    // A folder that does not exist: a clear error, nothing written.
    QVERIFY(!form.ExportTo(dir.filePath(QStringLiteral("missing/rows.csv")), &error));
    QVERIFY(!error.isEmpty());
}

void DrillFormTest::messagesArePlainBoxes()
{
    int kitRow = -1;
    auto table = KitTable(&kitRow);
    drill::DrillThrough drill(table);
    auto ghost = std::make_shared<pivot::PivotFieldSetObject>(
        Filtered(Store(1), pivot::PivotMemberFilter::Mode::Include, {"[Store].[Atlantis]"}), pivot::AxisKind::Filter,
        table->Catalog());
    QString text;
    bool plain = false;
    WhenModalShows([&](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            plain = box->icon() == QMessageBox::NoIcon && box->buttons().size() == 1;
        ClickMessageBoxButton(modal, QMessageBox::Ok, &text);
    });
    drill.HandleFieldSet(ghost, ghost->TopMember(), nullptr);
    QCOMPARE(text, drill::DrillThrough::NoMemberMessage());
    QVERIFY(plain);
}

QTEST_MAIN(DrillFormTest)
#include "DrillFormTest.moc"
