// Layout history, deferred updates, the too-many-cells question and cancel over the sample
// cube: the session's steps and their labels (a refresh is none), real drags from the field
// list undone and redone with real key presses, the defer box and Update, the question's
// three answers, and a cancelled query taking the areas back to the layout on show.
#include "control/pivot/PivotAreaBar.h"
#include "control/pivot/PivotCellGuard.h"
#include "control/pivot/PivotDeferBox.h"
#include "control/pivot/PivotFieldList.h"
#include "control/pivot/PivotGrid.h"
#include "control/pivot/PivotPendingNote.h"
#include "control/pivot/PivotSession.h"
#include "control/pivot/PivotTableWidget.h"
#include "control/pivot/PivotToolbar.h"
#include "control/pivot/model/PivotXml.h"

#include "olap/access/Connection.h"
#include "olap/adomd/Catalog.h"
#include "olap/sample/SalesSample.h"

#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <atomic>
#include <chrono>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

using pivot::AxisKind;
using pivot::PivotDefinition;
using pivot::PivotSession;
using pivot::PivotTableWidget;
using Answer = PivotSession::GuardAnswer;

namespace {

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

//! The chips of a bar as "a/b".
QString ChipNames(const pivot::PivotAreaBar* bar)
{
    QStringList names;
    for (const auto& chip : bar->Chips())
        names << QString::fromStdString(chip.field.uniqueName);
    return names.join(QLatin1Char('/'));
}

QString AxisNames(const PivotDefinition& d, AxisKind axis)
{
    QStringList names;
    for (const auto& f : d.Axis(axis))
        names << QString::fromStdString(f.uniqueName);
    return names.join(QLatin1Char('/'));
}

} // namespace

class PivotUndoWidgetTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void sessionStepsAndLabels();
    void hostEditsAreStepsQueriedAtOnce();
    void dragUndoneAndRedoneWithKeys();
    void deferAndUpdate();
    void guardAnswers_data();
    void guardAnswers();
    void cancelRevertsTheAreas();

private:
    void WaitForLayout();
    PivotDefinition MovedTime() const;
    //! The view with Store taken from the filters onto the columns: more cells.
    PivotDefinition StoreOnColumns() const;

    QTemporaryDir m_dir;
    PivotDefinition m_view;
    std::shared_ptr<olap::Connection> m_connection;
    std::unique_ptr<olap::adomd::Catalog> m_catalog;
    std::unique_ptr<PivotSession> m_session;
    std::unique_ptr<PivotTableWidget> m_table;
    //! Queries run, and a pause each query makes until it is cancelled (for cancel tests).
    std::shared_ptr<std::atomic<int>> m_queries;
    std::shared_ptr<std::atomic<bool>> m_hold;
};

void PivotUndoWidgetTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const std::string dir = m_dir.path().toStdString();
    olap::SalesSample::WriteAll(dir, 3000, 7);
    std::string text = ReadText(PIVOT_TEST_DATA "/data/sales-view.xml");
    text.replace(text.find("@CUBE@"), 6, dir + "/Sales.cub");
    m_view = pivot::PivotXml::Read(text);
    m_connection = olap::Connection::Connect(m_view.connectionString);
    m_catalog = std::make_unique<olap::adomd::Catalog>();
    m_catalog->SetActiveConnection(m_view.connectionString);
}

void PivotUndoWidgetTest::init()
{
    m_session = std::make_unique<PivotSession>();
    m_queries = std::make_shared<std::atomic<int>>(0);
    m_hold = std::make_shared<std::atomic<bool>>(false);
    m_session->SetCancellableExecutor([connection = m_connection, queries = m_queries, hold = m_hold](
                                          const std::string& mdx, const olap::CancellationToken& token) {
        ++*queries;
        for (int i = 0; i < 4000 && *hold && !token.IsCancelled(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        olap::QueryOptions options;
        options.cancel = &token;
        return connection->ExecuteMdx(mdx, options);
    });
    m_table = std::make_unique<PivotTableWidget>(m_session.get());
    QVERIFY(m_table->SetCube(m_catalog->FindCubeDef("Sales")));
    m_table->SetPanelVisible(PivotTableWidget::Panel::Toolbar, true);
    m_table->resize(1000, 600);
    m_table->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_table.get()));
}

void PivotUndoWidgetTest::cleanup()
{
    *m_hold = false;
    m_table.reset();
    m_session.reset();
}

void PivotUndoWidgetTest::WaitForLayout()
{
    if (!m_session->IsWorking())
        return;
    QSignalSpy changed(m_session.get(), &PivotSession::layoutChanged);
    QVERIFY(changed.wait(10000));
    QVERIFY(!m_session->IsWorking());
}

PivotDefinition PivotUndoWidgetTest::MovedTime() const
{
    PivotDefinition d = m_view;
    d.rowAxis.push_back(d.columnAxis.front());
    d.columnAxis.clear();
    return d;
}

PivotDefinition PivotUndoWidgetTest::StoreOnColumns() const
{
    PivotDefinition d = m_view;
    d.columnAxis.push_back(d.filterAxis.front());
    d.filterAxis.clear();
    return d;
}

void PivotUndoWidgetTest::sessionStepsAndLabels()
{
    QSignalSpy history(m_session.get(), &PivotSession::historyChanged);
    m_session->SetDefinition(m_view);
    WaitForLayout();
    const pivot::PivotUndoStack& stack = m_session->History();
    QCOMPARE(stack.UndoCount(), 1);
    QCOMPARE(QString::fromStdString(stack.UndoLabel()), QStringLiteral("Add Product to Rows"));
    // Refreshes are no steps, and neither is the same definition again.
    m_session->Refresh();
    WaitForLayout();
    m_session->SetDefinition(m_view);
    WaitForLayout();
    QCOMPARE(stack.UndoCount(), 1);
    m_session->SetDefinition(MovedTime());
    WaitForLayout();
    QCOMPARE(QString::fromStdString(stack.UndoLabel()), QStringLiteral("Move Time to Rows"));
    QVERIFY(m_session->SetMemberExpanded(AxisKind::Row, 0, "[Product].[Food]", true));
    WaitForLayout();
    QCOMPARE(QString::fromStdString(stack.UndoLabel()), QStringLiteral("Expand Food"));
    QCOMPARE(stack.UndoCount(), 3);
    QVERIFY(history.count() >= 3);

    QVERIFY(m_session->Undo());
    WaitForLayout();
    QCOMPARE(QString::fromStdString(stack.RedoLabel()), QStringLiteral("Expand Food"));
    // A new change drops what could be redone.
    PivotDefinition sorted = MovedTime();
    sorted.rowAxis.front().sort = {pivot::SortDirection::Ascending, {}};
    m_session->SetDefinition(sorted);
    WaitForLayout();
    QVERIFY(m_session->ShownDefinition() == sorted);
    QVERIFY(!stack.CanRedo());
    QVERIFY(!m_session->Redo());
    QCOMPARE(QString::fromStdString(stack.UndoLabel()), QStringLiteral("Sort Product"));
}

void PivotUndoWidgetTest::hostEditsAreStepsQueriedAtOnce()
{
    m_session->SetDefinition(m_view);
    WaitForLayout();
    m_session->SetDefinition(MovedTime());
    WaitForLayout();
    QCOMPARE(m_session->History().UndoCount(), 2);
    // A script's edit is a step, queried at once even while deferred.
    m_session->SetDeferred(true);
    PivotDefinition titled = MovedTime();
    titled.titleCaption = "By host";
    m_session->PutDefinition(titled);
    QVERIFY(m_session->IsWorking());
    WaitForLayout();
    QCOMPARE(QString::fromStdString(m_session->History().UndoLabel()), QStringLiteral("Change Title"));
}

void PivotUndoWidgetTest::dragUndoneAndRedoneWithKeys()
{
    m_session->SetDefinition(m_view);
    WaitForLayout();
    const int rowsBefore = m_session->Layout().RowCount();
    const int columnsBefore = m_session->Layout().ColumnCount();
    auto* columns = m_table->AreaBar(AxisKind::Column);
    auto* rows = m_table->AreaBar(AxisKind::Row);
    QCOMPARE(ChipNames(columns), QStringLiteral("[Time]"));

    // A real drag of the Store hierarchy from the field list to the far end of the columns.
    QTreeWidgetItem* item = m_table->FieldList()->FindItem("[Store]");
    QVERIFY(item);
    QWidget* viewport = m_table->FieldList()->Tree()->viewport();
    const QPoint from = m_table->FieldList()->ItemRect(item).center();
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    QTest::mouseMove(viewport, from + QPoint(12, 6));
    const QPoint end
        = viewport->mapFromGlobal(columns->mapToGlobal(QPoint(columns->width() - 4, columns->height() / 2)));
    QTest::mouseMove(viewport, (from + end) / 2);
    QTest::mouseMove(viewport, end);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, end);
    WaitForLayout();
    QCOMPARE(ChipNames(columns), QStringLiteral("[Time]/[Store]"));
    QVERIFY(m_session->Layout().ColumnCount() != columnsBefore);
    QAction* undo = m_table->Toolbar()->Action(pivot::PivotCommand::Undo);
    QAction* redo = m_table->Toolbar()->Action(pivot::PivotCommand::Redo);
    QVERIFY(undo && redo);
    QVERIFY(undo->isEnabled());
    QCOMPARE(undo->toolTip(), QStringLiteral("Undo Move Store to Columns (Ctrl+Z)"));

    struct Step {
        const char* name;
        QWidget* target;
        Qt::KeyboardModifiers modifiers;
        Qt::Key key;
        const char* columns;
    };
    QWidget* tree = m_table->FieldList()->Tree();
    const Step steps[] = {
        {"Ctrl+Z on the grid", m_table->Grid(), Qt::ControlModifier, Qt::Key_Z, "[Time]"},
        {"Ctrl+Y on the rows bar", rows, Qt::ControlModifier, Qt::Key_Y, "[Time]/[Store]"},
        {"Ctrl+Z on the field tree", tree, Qt::ControlModifier, Qt::Key_Z, "[Time]"},
        {"Ctrl+Shift+Z on the grid", m_table->Grid(), Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z,
            "[Time]/[Store]"},
    };
    for (const Step& step : steps) {
        step.target->setFocus();
        QTest::keyClick(step.target, step.key, step.modifiers);
        WaitForLayout();
        QVERIFY2(ChipNames(columns) == QLatin1String(step.columns), step.name);
        // The grid shows what the chips say.
        QVERIFY2(AxisNames(m_session->ShownDefinition(), AxisKind::Column) == QLatin1String(step.columns), step.name);
    }
    // Undone once more: the grid has its old shape again.
    QTest::keyClick(m_table->Grid(), Qt::Key_Z, Qt::ControlModifier);
    WaitForLayout();
    QCOMPARE(m_session->Layout().RowCount(), rowsBefore);
    QCOMPARE(m_session->Layout().ColumnCount(), columnsBefore);
    QCOMPARE(undo->toolTip(), QStringLiteral("Undo Add Product to Rows (Ctrl+Z)"));
    QCOMPARE(redo->toolTip(), QStringLiteral("Redo Move Store to Columns (Ctrl+Y)"));
    // The toolbar buttons do the same.
    redo->trigger();
    WaitForLayout();
    QCOMPARE(ChipNames(columns), QStringLiteral("[Time]/[Store]"));
    undo->trigger();
    WaitForLayout();
    QVERIFY(m_session->ShownDefinition() == m_view);
}

void PivotUndoWidgetTest::deferAndUpdate()
{
    m_session->SetDefinition(m_view);
    WaitForLayout();
    pivot::PivotDeferBox* box = m_table->DeferBox();
    QVERIFY(box->isVisible());
    QVERIFY(!box->UpdateButton()->isEnabled());
    QTest::mouseClick(box->DeferCheck(), Qt::LeftButton);
    QVERIFY(m_session->IsDeferred());
    const int queries = *m_queries;
    // Two changes: the areas follow, nothing is asked, the grid notes the wait.
    m_session->SetDefinition(MovedTime());
    PivotDefinition sorted = MovedTime();
    sorted.rowAxis.front().sort = {pivot::SortDirection::Descending, {}};
    m_session->SetDefinition(sorted);
    QVERIFY(!m_session->IsWorking());
    QCOMPARE(int(*m_queries), queries);
    QCOMPARE(ChipNames(m_table->AreaBar(AxisKind::Row)), QStringLiteral("[Product]/[Time]"));
    QVERIFY(m_session->ShownDefinition() == m_view);
    QVERIFY(m_table->PendingNote()->isVisible());
    QVERIFY(box->UpdateButton()->isEnabled());
    QCOMPARE(m_session->History().UndoCount(), 3);
    // LUMETRA_SCREENSHOT_DIR set: the table with the waiting layout is saved as a picture.
    if (const QString dir = qEnvironmentVariable("LUMETRA_SCREENSHOT_DIR"); !dir.isEmpty())
        QVERIFY(m_table->grab().save(dir + QStringLiteral("/pivot-defer-undo.png")));
    // A refresh meanwhile fetches the layout on show, not what waits.
    m_session->Refresh();
    WaitForLayout();
    QVERIFY(m_session->ShownDefinition() == m_view);
    QVERIFY(m_table->PendingNote()->isVisible());
    // Update: one query for both changes.
    const int beforeUpdate = *m_queries;
    QTest::mouseClick(box->UpdateButton(), Qt::LeftButton);
    WaitForLayout();
    QCOMPARE(int(*m_queries), beforeUpdate + 1);
    QVERIFY(m_session->ShownDefinition() == sorted);
    QVERIFY(!m_table->PendingNote()->isVisible());
    QVERIFY(!box->UpdateButton()->isEnabled());
    // Undo while deferred changes the areas only; switching defer off applies it.
    QVERIFY(m_session->Undo());
    QVERIFY(!m_session->IsWorking());
    QVERIFY(m_table->PendingNote()->isVisible());
    QTest::mouseClick(box->DeferCheck(), Qt::LeftButton);
    QVERIFY(!m_session->IsDeferred());
    WaitForLayout();
    QVERIFY(m_session->ShownDefinition() == MovedTime());
    QVERIFY(!m_table->PendingNote()->isVisible());

    // Deferred, Time goes before Product; a glyph of the grid, which still shows Product
    // first, expands a member of Product, not of the field set now first in the areas.
    QTest::mouseClick(box->DeferCheck(), Qt::LeftButton);
    PivotDefinition reordered = MovedTime();
    std::swap(reordered.rowAxis[0], reordered.rowAxis[1]);
    m_session->SetDefinition(reordered);
    QVERIFY(m_session->SetMemberExpanded(AxisKind::Row, 0, "[Product].[Food]", true));
    QVERIFY(m_session->Definition().FindFieldSet("[Product]")->IsExpanded("[Product].[Food]"));
    QVERIFY(m_session->Definition().FindFieldSet("[Time]")->expandedMembers.empty());
    QCOMPARE(QString::fromStdString(m_session->History().UndoLabel()), QStringLiteral("Expand Food"));
}

void PivotUndoWidgetTest::guardAnswers_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("Continue") << int(Answer::Continue);
    QTest::newRow("Add filter") << int(Answer::AddFilter);
    QTest::newRow("Cancel") << int(Answer::Cancel);
}

void PivotUndoWidgetTest::guardAnswers()
{
    QFETCH(int, answer);
    m_session->SetDefinition(m_view);
    WaitForLayout();
    pivot::PivotCellGuard* guard = m_table->CellGuard();
    QCOMPARE(guard->Threshold(), 1e6);
    // The sample's view is small; a low threshold makes Store on the columns too much.
    const auto small = guard->Estimate(m_view);
    const auto large = guard->Estimate(StoreOnColumns());
    QVERIFY(small && large);
    QVERIFY(large->cells > small->cells);
    guard->SetThreshold(small->cells);
    int asked = 0;
    guard->SetAsker([&](const QString&) {
        ++asked;
        return Answer(answer);
    });
    // Within the threshold nothing is asked.
    PivotDefinition titled = m_view;
    titled.titleCaption = "Same size";
    m_session->SetDefinition(titled);
    WaitForLayout();
    QCOMPARE(asked, 0);
    const int steps = m_session->History().UndoCount();
    const int queries = *m_queries;
    m_session->SetDefinition(StoreOnColumns());
    QCOMPARE(asked, 1);
    QVERIFY(guard->LastQuestion().startsWith(QStringLiteral("About ")));
    QVERIFY(guard->LastQuestion().endsWith(QStringLiteral(" cells.")));
    switch (Answer(answer)) {
    case Answer::Continue:
        WaitForLayout();
        QVERIFY(m_session->ShownDefinition() == StoreOnColumns());
        QCOMPARE(m_session->History().UndoCount(), steps + 1);
        break;
    case Answer::AddFilter:
        // The areas take the change, the grid waits, the filter of the largest field set opens.
        QVERIFY(!m_session->IsWorking());
        QCOMPARE(int(*m_queries), queries);
        QVERIFY(m_session->Definition() == StoreOnColumns());
        QVERIFY(m_session->ShownDefinition() == titled);
        QVERIFY(m_table->PendingNote()->isVisible());
        QTRY_VERIFY(m_table->FilterPopup() != nullptr);
        QCOMPARE(m_session->History().UndoCount(), steps + 1);
        m_table->FilterPopup()->close();
        break;
    case Answer::Cancel:
        // The change never happened: areas, grid and history as before, nothing queried.
        QVERIFY(!m_session->IsWorking());
        QCOMPARE(int(*m_queries), queries);
        QVERIFY(m_session->Definition() == titled);
        QCOMPARE(ChipNames(m_table->AreaBar(AxisKind::Column)), QStringLiteral("[Time]"));
        QCOMPARE(m_session->History().UndoCount(), steps);
        QVERIFY(!m_table->PendingNote()->isVisible());
        break;
    }
    // An undo is never asked about again.
    m_session->Undo();
    WaitForLayout();
    QCOMPARE(asked, 1);
}

void PivotUndoWidgetTest::cancelRevertsTheAreas()
{
    struct Case {
        const char* name;
        bool escape;
        bool undo; // the cancelled query is an undo's, not a new change's
    };
    const Case cases[] = {{"Escape after a change", true, false}, {"stop button after a change", false, false},
        {"Escape after an undo", true, true}};
    for (const Case& c : cases) {
        *m_hold = false;
        m_session->OpenDefinition(m_view);
        WaitForLayout();
        if (c.undo) {
            m_session->SetDefinition(MovedTime());
            WaitForLayout();
        }
        const PivotDefinition shown = m_session->ShownDefinition();
        const int rows = m_session->Layout().RowCount();
        *m_hold = true;
        if (c.undo)
            m_session->Undo();
        else
            m_session->SetDefinition(MovedTime());
        QVERIFY2(m_session->IsWorking(), c.name);
        QVERIFY2(!(m_session->Definition() == shown), c.name);
        if (c.escape) {
            m_table->Grid()->setFocus();
            QTest::keyClick(m_table->Grid(), Qt::Key_Escape);
        } else {
            QAction* stop = m_table->Toolbar()->Action(pivot::PivotCommand::Cancel);
            QVERIFY2(stop->isEnabled(), c.name);
            stop->trigger();
        }
        QVERIFY2(!m_session->IsWorking(), c.name);
        // The chips match the grid again.
        QVERIFY2(m_session->Definition() == shown, c.name);
        QVERIFY2(ChipNames(m_table->AreaBar(AxisKind::Column)) == AxisNames(shown, AxisKind::Column), c.name);
        QVERIFY2(ChipNames(m_table->AreaBar(AxisKind::Row)) == AxisNames(shown, AxisKind::Row), c.name);
        QCOMPARE(m_session->Layout().RowCount(), rows);
        QVERIFY2(!m_table->PendingNote()->isVisible(), c.name);
        // The history stands at the step on show; an abandoned change can be redone, a
        // cancelled undo undone again.
        QVERIFY2(m_session->History().Current() == shown, c.name);
        QVERIFY2(c.undo ? m_session->History().CanUndo() : m_session->History().CanRedo(), c.name);
    }
    *m_hold = false;
    // While deferred, a cancelled Update keeps the areas: the note says the layout waits.
    m_session->SetDeferred(true);
    m_session->SetDefinition(StoreOnColumns());
    *m_hold = true;
    QVERIFY(m_session->Update());
    QVERIFY(m_session->Cancel());
    QVERIFY(m_session->Definition() == StoreOnColumns());
    QVERIFY(m_table->PendingNote()->isVisible());
}

QTEST_MAIN(PivotUndoWidgetTest)
#include "PivotUndoWidgetTest.moc"
