#include "control/pivot/PivotTableWidget.h"

#include "control/pivot/PivotAreaBar.h"
#include "control/pivot/PivotCellExplanation.h"
#include "control/pivot/PivotCellGuard.h"
#include "control/pivot/PivotColorRuleMenu.h"
#include "control/pivot/PivotContextMenu.h"
#include "control/pivot/PivotDeferBox.h"
#include "control/pivot/PivotDragController.h"
#include "control/pivot/PivotFieldList.h"
#include "control/pivot/PivotGrid.h"
#include "control/pivot/PivotGridDropTarget.h"
#include "control/pivot/PivotLayoutEdit.h"
#include "control/pivot/PivotMemberFilterPopup.h"
#include "control/pivot/PivotPendingNote.h"
#include "control/pivot/PivotSelectionTarget.h"
#include "control/pivot/PivotSession.h"
#include "control/pivot/PivotShowAsMenu.h"
#include "control/pivot/PivotUndoKeys.h"
#include "control/pivot/model/PivotLayout.h"

#include "olap/adomd/CubeDef.h"

#include <QAbstractItemView>
#include <QContextMenuEvent>
#include <QDebug>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QSplitter>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

namespace pivot {

PivotTableWidget::PivotTableWidget(PivotSession* session, QWidget* parent)
    : QWidget(parent), m_session(session), m_drag(new PivotDragController(session, this)),
      m_contextMenu(new PivotContextMenu(this))
{
    setObjectName(QStringLiteral("pivotTable"));
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("pivotSplitter"));
    auto* table = new QWidget(splitter);
    auto* grid = new QGridLayout(table);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(2);
    m_grid = new PivotGrid(session, table);
    m_gridTarget = std::make_unique<PivotGridDropTarget>(m_grid, m_drag);
    m_drag->AddTarget(m_gridTarget.get());
    auto bar = [&](AxisKind area, Qt::Orientation orientation) {
        auto* b = new PivotAreaBar(area, orientation, session, m_drag, table);
        m_bars[static_cast<int>(area)] = b;
        return b;
    };
    grid->addWidget(bar(AxisKind::Filter, Qt::Horizontal), 0, 0, 1, 2);
    grid->addWidget(bar(AxisKind::Column, Qt::Horizontal), 1, 1);
    // Rows and values share the left column: rows take the height, values sit below them.
    auto* left = new QVBoxLayout;
    left->setSpacing(2);
    left->addWidget(bar(AxisKind::Row, Qt::Vertical), 1);
    left->addWidget(bar(AxisKind::Data, Qt::Vertical), 0);
    grid->addLayout(left, 1, 0, 2, 1);
    grid->addWidget(m_grid, 2, 1);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(1, 1);
    m_grid->viewport()->installEventFilter(this);
    m_grid->installEventFilter(this);
    // Enter on a value and F5 run what the value's menu and the toolbar run.
    connect(m_grid, &PivotGrid::detailsRequested, this, [this] { ExecuteCommand(PivotCommand::ShowDetails); });
    connect(m_grid, &PivotGrid::refreshRequested, this, [this] { ExecuteCommand(PivotCommand::Refresh); });
    connect(m_grid, &PivotGrid::totalHeaderClicked, this, [this](AxisKind axis, const QString& total) {
        CycleTotalSort(axis == AxisKind::Column ? AxisKind::Row : AxisKind::Column, total.toStdString());
    });
    connect(m_grid, &PivotGrid::fieldButtonClicked, this, [this](AxisKind axis, int index, const QRect& button) {
        int seen = 0;
        for (const PivotFieldSet& f : m_session->ShownDefinition().Axis(axis)) {
            if (f.IncludedFields().empty())
                continue;
            if (seen++ == index) {
                OpenFilter(QString::fromStdString(f.uniqueName), button);
                return;
            }
        }
    });
    for (PivotAreaBar* b : m_bars) {
        connect(b, &PivotAreaBar::filterRequested, this,
            [this](const QString& name, const QRect& button) { OpenFilter(name, button); });
        connect(b, &PivotAreaBar::menuRequested, this, &PivotTableWidget::ShowBarMenu);
    }
    m_fieldList = new PivotFieldList(session, m_drag, splitter);
    splitter->addWidget(table);
    splitter->addWidget(m_fieldList);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    BuildPanels(splitter);
    // Layout history, deferred updates and the too-many-cells question.
    m_guard = new PivotCellGuard(this);
    m_deferBox = new PivotDeferBox(session, m_fieldList);
    if (m_fieldList->layout())
        m_fieldList->layout()->addWidget(m_deferBox);
    m_pendingNote = new PivotPendingNote(session, table);
    grid->addWidget(m_pendingNote, 3, 1);
    m_undoKeys = new PivotUndoKeys(session, this);
    m_undoKeys->Watch(m_grid);
    for (PivotAreaBar* b : m_bars)
        m_undoKeys->Watch(b);
    for (QAbstractItemView* view : m_fieldList->findChildren<QAbstractItemView*>())
        m_undoKeys->Watch(view);
}

PivotTableWidget::~PivotTableWidget()
{
    // A drag still running ends while every drop target is alive (the grid's goes first).
    m_drag->Cancel();
}

PivotAreaBar* PivotTableWidget::AreaBar(AxisKind area) const
{
    return m_bars[static_cast<int>(area)];
}

bool PivotTableWidget::SetCube(std::shared_ptr<const olap::adomd::CubeDef> cube)
{
    m_cube = std::move(cube);
    m_lastError.clear();
    PivotCubeFields fields;
    if (m_cube) {
        try {
            fields = PivotCubeFields::FromCube(*m_cube);
        } catch (const std::exception& e) {
            m_lastError = QString::fromStdString(e.what());
            qWarning() << "pivot: the cube's fields could not be read:" << m_lastError;
            m_cube.reset();
        }
    }
    SetCubeFields(std::move(fields));
    m_guard->SetCube(m_cube);
    return m_lastError.isEmpty();
}

void PivotTableWidget::SetCubeFields(PivotCubeFields fields)
{
    m_drag->SetCubeFields(std::move(fields));
    m_fieldList->Reload();
}

void PivotTableWidget::SetFieldListVisible(bool visible)
{
    if (visible == !m_fieldList->isHidden())
        return;
    m_fieldList->setVisible(visible);
    // A list that appears takes a quarter of the width (at most 220 pixels), not half of it:
    // the grid is what the user reads.
    auto* splitter = findChild<QSplitter*>(QStringLiteral("pivotSplitter"));
    if (visible && splitter && width() > 0) {
        const int list = std::min(220, width() / 4);
        splitter->setSizes({width() - list - splitter->handleWidth(), list});
    }
}

bool PivotTableWidget::Edit(const std::function<bool(PivotDefinition&)>& edit)
{
    PivotDefinition definition = m_session->Definition();
    if (!edit(definition) || definition == m_session->Definition())
        return false;
    m_session->SetDefinition(std::move(definition));
    return true;
}

PivotMemberFilterPopup* PivotTableWidget::OpenFilter(const QString& name, const QRect& anchor)
{
    const PivotFieldSet* fieldSet = m_session->Definition().FindFieldSet(name.toStdString());
    if (!fieldSet || !m_cube)
        return nullptr;
    const auto included = fieldSet->IncludedFields();
    const olap::adomd::Level* level = nullptr;
    try {
        level = included.empty() ? nullptr : m_cube->FindLevel(included.front()->uniqueName);
    } catch (const std::exception& e) {
        qWarning() << "pivot: the members of" << name << "could not be read:" << e.what();
    }
    if (!level)
        return nullptr;
    if (m_filterPopup)
        m_filterPopup->close();
    const QString caption
        = QString::fromStdString(fieldSet->caption.empty() ? fieldSet->uniqueName : fieldSet->caption);
    auto* popup = new PivotMemberFilterPopup(caption, *level, fieldSet->filter, this);
    popup->setAttribute(Qt::WA_DeleteOnClose);
    m_filterPopup = popup;
    std::vector<std::pair<std::string, QString>> totals;
    for (const PivotTotal* total : m_session->Definition().IncludedTotals())
        totals.emplace_back(total->name, QString::fromStdString(total->caption.empty() ? total->name : total->caption));
    popup->SetTopChoices(fieldSet->top, totals);
    popup->SetConditionChoices(fieldSet->condition, totals);
    if (!anchor.isNull())
        popup->move(anchor.bottomLeft() + QPoint(0, 2));
    const std::string fieldSetName = fieldSet->uniqueName;
    connect(popup, &QDialog::accepted, this, [this, popup, fieldSetName] {
        const PivotMemberFilter filter = popup->Filter();
        const PivotTopFilter top = popup->TopFilter();
        const PivotConditionFilter condition = popup->Condition();
        Edit([&](PivotDefinition& d) {
            PivotFieldSet* set = d.FindFieldSet(fieldSetName);
            if (!set)
                return false;
            set->filter = filter;
            set->top = top;
            set->condition = condition;
            d.isNotFiltered = true;
            for (const auto* axis : {&d.rowAxis, &d.columnAxis, &d.filterAxis}) {
                for (const PivotFieldSet& f : *axis)
                    d.isNotFiltered
                        = d.isNotFiltered && !f.filter.IsActive() && !f.top.IsActive() && !f.condition.IsActive();
            }
            return true;
        });
    });
    popup->open();
    return popup;
}

QMenu* PivotTableWidget::FieldSetMenu(const QString& name, const std::string& level, QWidget* parent)
{
    const std::string fieldSetName = name.toStdString();
    const PivotFieldSet* fieldSet = m_session->Definition().FindFieldSet(fieldSetName);
    AxisKind axis = AxisKind::Row;
    if (!fieldSet || !PivotLayoutEdit::Locate(m_session->Definition(), fieldSetName, &axis, nullptr))
        return nullptr;
    auto* menu = new QMenu(parent ? parent : this);
    menu->setObjectName(QStringLiteral("fieldSetMenu"));
    auto add = [&](QMenu* to, const QString& text, const char* objectName, std::function<bool(PivotDefinition&)> edit) {
        QAction* action = to->addAction(text);
        action->setObjectName(QString::fromLatin1(objectName));
        connect(action, &QAction::triggered, this, [this, edit = std::move(edit)] { Edit(edit); });
        return action;
    };
    auto sortEdit = [fieldSetName](SortDirection direction, const std::string& byTotal) {
        return [=](PivotDefinition& d) {
            PivotFieldSet* set = d.FindFieldSet(fieldSetName);
            if (!set)
                return false;
            set->sort = {direction, byTotal};
            return true;
        };
    };
    const PivotSort& sort = fieldSet->sort;
    auto mark = [](QAction* action, bool on) {
        action->setCheckable(true);
        action->setChecked(on);
    };
    mark(add(menu, tr("Sort A to Z"), "sortAscendingAction", sortEdit(SortDirection::Ascending, {})),
        sort.direction == SortDirection::Ascending && sort.byTotal.empty());
    mark(add(menu, tr("Sort Z to A"), "sortDescendingAction", sortEdit(SortDirection::Descending, {})),
        sort.direction == SortDirection::Descending && sort.byTotal.empty());
    const auto totals = m_session->Definition().IncludedTotals();
    if (!totals.empty()) {
        QMenu* byValue = menu->addMenu(tr("Sort by value"));
        byValue->setObjectName(QStringLiteral("sortByValueMenu"));
        for (const PivotTotal* total : totals) {
            const QString caption = QString::fromStdString(total->caption.empty() ? total->name : total->caption);
            mark(add(byValue, tr("%1, largest first").arg(caption), "sortByTotalDescendingAction",
                     sortEdit(SortDirection::Descending, total->name)),
                sort.direction == SortDirection::Descending && sort.byTotal == total->name);
            mark(add(byValue, tr("%1, smallest first").arg(caption), "sortByTotalAscendingAction",
                     sortEdit(SortDirection::Ascending, total->name)),
                sort.direction == SortDirection::Ascending && sort.byTotal == total->name);
        }
    }
    add(menu, tr("Hierarchy order"), "sortNoneAction", sortEdit(SortDirection::None, {}))->setEnabled(sort.IsActive());
    menu->addSeparator();
    QAction* filter = menu->addAction(tr("Filter\u2026"));
    filter->setObjectName(QStringLiteral("filterAction"));
    filter->setEnabled(m_cube != nullptr);
    connect(filter, &QAction::triggered, this, [this, name] { OpenFilter(name, QRect(QCursor::pos(), QSize(1, 1))); });
    add(menu, tr("Clear filter"), "clearFilterAction", [fieldSetName](PivotDefinition& d) {
        PivotFieldSet* set = d.FindFieldSet(fieldSetName);
        if (!set)
            return false;
        set->filter = {};
        set->top = {};
        set->condition = {};
        return true;
    })->setEnabled(fieldSet->filter.IsActive() || fieldSet->top.IsActive() || fieldSet->condition.IsActive());
    if (axis != AxisKind::Filter) {
        menu->addSeparator();
        QAction* subtotals = add(menu, tr("Subtotals"), "subtotalsAction", [fieldSetName](PivotDefinition& d) {
            PivotFieldSet* set = d.FindFieldSet(fieldSetName);
            if (!set)
                return false;
            set->subtotals = !set->subtotals;
            return true;
        });
        mark(subtotals, fieldSet->subtotals);
        // The whole level: the header's own, or the first one shown.
        std::string levelName = level;
        const auto included = fieldSet->IncludedFields();
        if (levelName.empty() && !included.empty())
            levelName = included.front()->uniqueName;
        const auto field = std::find_if(fieldSet->fields.begin(), fieldSet->fields.end(),
            [&](const PivotField& f) { return f.uniqueName == levelName; });
        if (field != fieldSet->fields.end()) {
            const QString caption = QString::fromStdString(field->caption.empty() ? field->uniqueName : field->caption);
            auto cube = m_cube;
            const auto levelOf = [cube](const std::string& member) -> std::string {
                const auto* m = cube ? cube->FindMember(member) : nullptr;
                return m ? m->GetLevel().UniqueName() : std::string();
            };
            add(menu, tr("Expand entire level %1").arg(caption), "expandLevelAction", [=](PivotDefinition& d) {
                return PivotLayoutEdit::SetLevelExpanded(d, fieldSetName, levelName, true, levelOf);
            })->setEnabled(!included.empty() && included.back()->uniqueName != levelName);
            add(menu, tr("Collapse entire level %1").arg(caption), "collapseLevelAction", [=](PivotDefinition& d) {
                return PivotLayoutEdit::SetLevelExpanded(d, fieldSetName, levelName, false, levelOf);
            });
        }
    }
    menu->addSeparator();
    const struct {
        AxisKind area;
        const char* objectName;
        QString text;
    } moves[] = {{AxisKind::Row, "moveToRowsAction", tr("Move to rows")},
        {AxisKind::Column, "moveToColumnsAction", tr("Move to columns")},
        {AxisKind::Filter, "moveToFiltersAction", tr("Move to filters")}};
    for (const auto& move : moves) {
        if (move.area == axis)
            continue;
        const AxisKind area = move.area;
        add(menu, move.text, move.objectName,
            [=](PivotDefinition& d) { return PivotLayoutEdit::MoveFieldSet(d, fieldSetName, area, -1); });
    }
    add(menu, tr("Remove"), "removeAction",
        [=](PivotDefinition& d) { return PivotLayoutEdit::RemoveFieldSet(d, fieldSetName); });
    return menu;
}

QMenu* PivotTableWidget::TotalMenu(const QString& name, QWidget* parent)
{
    const std::string totalName = name.toStdString();
    const PivotTotal* total = m_session->Definition().FindTotal(totalName);
    if (!total)
        return nullptr;
    auto* menu = new QMenu(parent ? parent : this);
    menu->setObjectName(QStringLiteral("totalMenu"));
    auto add = [&](const QString& text, const char* objectName, std::function<bool(PivotDefinition&)> edit) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(objectName));
        connect(action, &QAction::triggered, this, [this, edit = std::move(edit)] { Edit(edit); });
        return action;
    };
    // The innermost field set of the rows, and that of the columns, can be ordered by this total.
    for (AxisKind axis : {AxisKind::Row, AxisKind::Column}) {
        const auto& fieldSets = m_session->Definition().Axis(axis);
        if (fieldSets.empty())
            continue;
        const std::string fieldSetName = fieldSets.back().uniqueName;
        for (SortDirection direction : {SortDirection::Descending, SortDirection::Ascending}) {
            const bool rows = axis == AxisKind::Row;
            const bool down = direction == SortDirection::Descending;
            const QString text = (rows ? (down ? tr("Sort rows by this value, largest first")
                                               : tr("Sort rows by this value, smallest first"))
                                       : (down ? tr("Sort columns by this value, largest first")
                                               : tr("Sort columns by this value, smallest first")));
            add(text,
                rows ? (down ? "sortRowsDescendingAction" : "sortRowsAscendingAction")
                     : (down ? "sortColumnsDescendingAction" : "sortColumnsAscendingAction"),
                [=](PivotDefinition& d) {
                    PivotFieldSet* set = d.FindFieldSet(fieldSetName);
                    if (!set)
                        return false;
                    set->sort = {direction, totalName};
                    return true;
                });
        }
    }
    menu->addSeparator();
    PivotColorRuleMenu::Add(menu, m_session->Definition(), totalName,
        [this](const std::function<bool(PivotDefinition&)>& change) { Edit(change); });
    PivotShowAsMenu::Add(
        menu, m_session->Definition(), totalName,
        [this](const std::function<bool(PivotDefinition&)>& change) { Edit(change); },
        [session = m_session](const std::string& fieldSet) {
            return session->HasLayout() ? PivotShowAsMenu::ShownMembers(session->Layout(), fieldSet)
                                        : std::vector<PivotShowAsDialog::Choice>();
        },
        this);
    menu->addSeparator();
    add(tr("Remove"), "removeAction", [=](PivotDefinition& d) { return PivotLayoutEdit::RemoveTotal(d, totalName); });
    return menu;
}

void PivotTableWidget::ShowBarMenu(AxisKind area, const QString& name, const QPoint& globalPosition)
{
    if (name.isEmpty())
        return;
    QMenu* menu = area == AxisKind::Data                     ? TotalMenu(name)
        : name == QLatin1String(PivotFieldDrag::kValuesName) ? ValuesMenu()
                                                             : FieldSetMenu(name);
    menu = m_contextMenu->Prepare(menu, {-1, -1, area, name.toStdString()}, this);
    if (!menu)
        return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPosition);
}

QMenu* PivotTableWidget::ValuesMenu(QWidget* parent)
{
    const PivotDefinition& definition = m_session->Definition();
    auto* menu = new QMenu(parent ? parent : this);
    menu->setObjectName(QStringLiteral("valuesMenu"));
    auto add = [&](const QString& text, const char* objectName, AxisKind axis, int position, bool enabled) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(objectName));
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, [this, axis, position] {
            Edit([=](PivotDefinition& d) { return PivotLayoutEdit::MoveTotals(d, axis, position); });
        });
    };
    const AxisKind other = definition.totalsAxis == AxisKind::Row ? AxisKind::Column : AxisKind::Row;
    add(other == AxisKind::Row ? tr("Move Values to Rows") : tr("Move Values to Columns"), "moveValuesAcrossAction",
        other, -1, true);
    const int count = static_cast<int>(definition.Axis(definition.totalsAxis).size());
    const int at = definition.totalsPosition < 0 ? count : std::min(definition.totalsPosition, count);
    add(tr("Move Values outward"), "moveValuesOutAction", definition.totalsAxis, at - 1, at > 0);
    add(tr("Move Values inward"), "moveValuesInAction", definition.totalsAxis, at + 1 >= count ? -1 : at + 1,
        at < count);
    return menu;
}

void PivotTableWidget::ShowHeaderMenu(const QPoint& viewportPosition)
{
    int row = 0;
    int column = 0;
    if (!m_session->HasLayout() || !m_grid->CellAt(viewportPosition, &row, &column))
        return;
    const PivotLayout& layout = m_session->Layout();
    const PivotGridCell cell = layout.Cell(row, column);
    const PivotDefinition& shown = m_session->ShownDefinition();
    QMenu* menu = nullptr;
    if (cell.kind == PivotGridCell::Kind::Value) {
        std::string total = layout.Columns().TotalAt(column - layout.HeaderColumns());
        if (total.empty())
            total = layout.Rows().TotalAt(row - layout.HeaderRows());
        if (total.empty() && shown.IncludedTotals().size() == 1)
            total = shown.IncludedTotals().front()->name;
        if (const PivotTotal* t = shown.FindTotal(total))
            menu = TotalMenu(QString::fromStdString(t->name));
        if (!menu)
            menu = new QMenu(this);
        // "Why this number" explains the cell under the pointer.
        menu->insertSeparator(menu->actions().value(0));
        QAction* why = new QAction(tr("Why this number?"), menu);
        why->setObjectName(QStringLiteral("explainAction"));
        menu->insertAction(menu->actions().value(0), why);
        connect(why, &QAction::triggered, this, [this, row, column] { ShowExplanation(row, column); });
        if (m_detailsAllowed) {
            // The host shows the details (command 12095 reaches it through the command event).
            auto* details = new QAction(tr("Show &Details"), menu);
            details->setObjectName(QStringLiteral("showDetailsAction"));
            menu->insertAction(why, details);
        }
        if (m_cellMenuHook)
            m_cellMenuHook(*menu, row, column);
    } else if (cell.header && cell.header->fieldSetIndex >= 0) {
        const AxisKind axis = cell.kind == PivotGridCell::Kind::RowHeader ? AxisKind::Row : AxisKind::Column;
        if (const PivotFieldSet* f = PivotSelectionTarget::ShownFieldSet(shown, axis, cell.header->fieldSetIndex)) {
            std::string level;
            if (m_cube && cell.header->kind == PivotHeaderCell::Kind::Member) {
                if (const auto* member = m_cube->FindMember(cell.header->uniqueName))
                    level = member->GetLevel().UniqueName();
            }
            menu = FieldSetMenu(QString::fromStdString(f->uniqueName), level);
        }
    } else if (cell.header && cell.header->kind == PivotHeaderCell::Kind::Total) {
        menu = TotalMenu(QString::fromStdString(cell.header->uniqueName));
    } else if (cell.kind == PivotGridCell::Kind::Corner) {
        if (const PivotFieldSet* f = PivotSelectionTarget::CornerFieldSet(shown, layout, row, column))
            menu = FieldSetMenu(QString::fromStdString(f->uniqueName));
    }
    if (!menu || menu->isEmpty()) {
        delete menu;
        return;
    }
    menu = m_contextMenu->Prepare(menu, {row, column, AxisKind::Row, {}}, this);
    if (!menu)
        return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(m_grid->viewport()->mapToGlobal(viewportPosition));
}

QString PivotTableWidget::Explanation(int row, int column) const
{
    if (!m_session->HasLayout())
        return {};
    return QString::fromStdString(
        PivotCellExplanation::Explain(m_session->ShownDefinition(), m_session->Layout(), row, column));
}

void PivotTableWidget::ShowExplanation(int row, int column)
{
    const QString text = Explanation(row, column);
    if (text.isEmpty())
        return;
    auto* box = new QMessageBox(QMessageBox::Information, tr("Why this number"), text, QMessageBox::Close, this);
    box->setObjectName(QStringLiteral("explanationBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    box->open();
}

bool PivotTableWidget::eventFilter(QObject* watched, QEvent* event)
{
    // A click in the grid or the grid taking focus makes its cell the target again.
    if ((watched == m_grid->viewport() && event->type() == QEvent::MouseButtonPress)
        || (watched == m_grid && event->type() == QEvent::FocusIn))
        SetChipTarget(AxisKind::Row, {});
    if (watched == m_grid->viewport() && event->type() == QEvent::ContextMenu) {
        ShowHeaderMenu(static_cast<QContextMenuEvent*>(event)->pos());
        return true;
    }
    // The menu key and Shift+F10 open the menu of the current cell.
    if (watched == m_grid && event->type() == QEvent::ContextMenu
        && static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard) {
        if (m_grid->CurrentRow() >= 0)
            ShowHeaderMenu(m_grid->CellRect(m_grid->CurrentRow(), m_grid->CurrentColumn()).center());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace pivot
