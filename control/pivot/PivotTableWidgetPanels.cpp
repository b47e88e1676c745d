// The pivot table's own toolbar, title bar and property toolbox around the grid, and the
// commands of its command list that the toolbar runs on the selection.
#include "control/pivot/PivotTableWidget.h"

#include "control/pivot/PivotAreaBar.h"
#include "control/pivot/PivotCommandEdit.h"
#include "control/pivot/PivotContextMenu.h"
#include "control/pivot/PivotFieldList.h"
#include "control/pivot/PivotGrid.h"
#include "control/pivot/PivotLayoutEdit.h"
#include "control/pivot/PivotPropertyToolbox.h"
#include "control/pivot/PivotSession.h"
#include "control/pivot/PivotToolbar.h"
#include "control/pivot/model/PivotXlsxWriter.h"

#include "olap/adomd/CubeDef.h"

#include <QDebug>
#include <QFileDialog>
#include <QLabel>
#include <QMetaMethod>
#include <QSplitter>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

namespace pivot {

void PivotTableWidget::BuildPanels(QSplitter* splitter)
{
    m_splitter = splitter;
    m_toolbar = new PivotToolbar(this);
    m_toolbar->setVisible(false);
    m_titleBar = new QLabel(this);
    m_titleBar->setObjectName(QStringLiteral("pivotTitleBar"));
    m_titleBar->setAutoFillBackground(true);
    m_titleBar->setContentsMargins(6, 2, 6, 2);
    QFont bold = m_titleBar->font();
    bold.setBold(true);
    m_titleBar->setFont(bold);
    QPalette titlePalette = m_titleBar->palette();
    titlePalette.setColor(QPalette::Window, titlePalette.color(QPalette::Highlight));
    titlePalette.setColor(QPalette::WindowText, titlePalette.color(QPalette::HighlightedText));
    m_titleBar->setPalette(titlePalette);
    m_titleBar->setVisible(false);
    m_toolbox = new PivotPropertyToolbox(m_session, this, splitter);
    splitter->addWidget(m_toolbox);
    splitter->setStretchFactor(2, 0);
    m_toolbox->setVisible(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolbar);
    layout->addWidget(m_titleBar);
    layout->addWidget(splitter, 1);
    connect(m_session, &PivotSession::layoutChanged, this, &PivotTableWidget::UpdateTitle);
    connect(m_session, &PivotSession::definitionChanged, this, &PivotTableWidget::UpdateTitle);
    connect(m_grid, &PivotGrid::selectionChanged, m_toolbar, &PivotToolbar::UpdateState);
    connect(m_grid, &PivotGrid::selectionChanged, m_toolbox, &PivotPropertyToolbox::FollowSelection);
    FollowChips();
    UpdateTitle();
    m_toolbar->UpdateState();
}

void PivotTableWidget::UpdateTitle()
{
    const PivotDefinition& shown = m_session->ShownDefinition();
    const std::string& title = shown.titleCaption.empty() ? shown.dataMember : shown.titleCaption;
    m_titleBar->setText(QString::fromStdString(title));
}

void PivotTableWidget::MakeRoom(QWidget* panel, int width)
{
    if (!m_splitter || this->width() <= 0)
        return;
    QList<int> sizes = m_splitter->sizes();
    const int index = m_splitter->indexOf(panel);
    if (index < 0 || sizes.size() <= index)
        return;
    const int wanted = std::min(width, this->width() / 4);
    const int taken = wanted - sizes[index];
    if (taken <= 0)
        return;
    sizes[index] = wanted;
    sizes[0] = std::max(0, sizes[0] - taken);
    m_splitter->setSizes(sizes);
}

void PivotTableWidget::SetPanelVisible(Panel panel, bool visible)
{
    switch (panel) {
    case Panel::Toolbar:
        m_toolbar->setVisible(visible);
        break;
    case Panel::FieldList:
        SetFieldListVisible(visible);
        // The field list's sizing leaves nothing for a toolbox shown beside it.
        if (!m_toolbox->isHidden())
            MakeRoom(m_toolbox, 230);
        break;
    case Panel::PropertyToolbox:
        if (visible == !m_toolbox->isHidden())
            return;
        m_toolbox->setVisible(visible);
        if (visible) {
            m_toolbox->Reload();
            MakeRoom(m_toolbox, 230);
        }
        break;
    case Panel::TitleBar:
        m_titleBar->setVisible(visible);
        break;
    case Panel::DropAreas:
        for (AxisKind area : {AxisKind::Filter, AxisKind::Column, AxisKind::Row, AxisKind::Data})
            AreaBar(area)->setVisible(visible);
        break;
    }
    m_toolbar->UpdateState();
}

bool PivotTableWidget::PanelVisible(Panel panel) const
{
    switch (panel) {
    case Panel::Toolbar:
        return !m_toolbar->isHidden();
    case Panel::FieldList:
        return !m_fieldList->isHidden();
    case Panel::PropertyToolbox:
        return !m_toolbox->isHidden();
    case Panel::TitleBar:
        return !m_titleBar->isHidden();
    case Panel::DropAreas:
        return !AreaBar(AxisKind::Row)->isHidden();
    }
    return false;
}

PivotSelectionTarget PivotTableWidget::SelectionTarget() const
{
    if (PivotSelectionTarget chip = ChipTarget(); !chip.IsNone())
        return chip;
    if (!m_session->HasLayout() || m_grid->CurrentRow() < 0)
        return {};
    return PivotSelectionTarget::At(
        m_session->ShownDefinition(), m_session->Layout(), m_grid->CurrentRow(), m_grid->CurrentColumn());
}

bool PivotTableWidget::ExecuteCommand(PivotCommand command)
{
    const PivotSelectionTarget target = SelectionTarget();
    const PivotFieldSet* fieldSet = PivotCommandEdit::TargetFieldSet(m_session->Definition(), target);
    const std::string fieldSetName = fieldSet ? fieldSet->uniqueName : std::string();
    auto toggle = [this](Panel panel) {
        const bool visible = !PanelVisible(panel);
        SetPanelVisible(panel, visible);
        emit panelToggled(panel, visible);
        return true;
    };
    auto hasReceivers
        = [this](void (PivotTableWidget::*signal)()) { return isSignalConnected(QMetaMethod::fromSignal(signal)); };
    switch (command) {
    case PivotCommand::SortAscending:
    case PivotCommand::SortDescending: {
        const SortDirection direction
            = command == PivotCommand::SortAscending ? SortDirection::Ascending : SortDirection::Descending;
        return Edit([&](PivotDefinition& d) { return PivotCommandEdit::Sort(d, target, direction); });
    }
    case PivotCommand::SortNone:
        return Edit([&](PivotDefinition& d) {
            PivotFieldSet* set = d.FindFieldSet(fieldSetName);
            if (!set)
                return false;
            set->sort = {};
            return true;
        });
    case PivotCommand::Filter: {
        if (fieldSetName.empty())
            return false;
        QRect anchor;
        const PivotAreaBar* bar = target.kind == PivotSelectionTarget::Kind::FieldSet ? AreaBar(target.axis) : nullptr;
        const PivotAreaBar::Chip* chip
            = bar && ChipTarget().kind != PivotSelectionTarget::Kind::None ? bar->FindChip(fieldSetName) : nullptr;
        if (chip) {
            anchor = QRect(bar->mapToGlobal(chip->rect.topLeft()), chip->rect.size());
        } else if (m_grid->CurrentRow() >= 0) {
            const QRect cell = m_grid->CellRect(m_grid->CurrentRow(), m_grid->CurrentColumn());
            anchor = QRect(m_grid->viewport()->mapToGlobal(cell.topLeft()), cell.size());
        }
        return OpenFilter(QString::fromStdString(fieldSetName), anchor) != nullptr;
    }
    case PivotCommand::ClearFilter:
        return Edit([&](PivotDefinition& d) {
            PivotFieldSet* set = d.FindFieldSet(fieldSetName);
            if (!set)
                return false;
            set->filter = {};
            set->top = {};
            return true;
        });
    case PivotCommand::Subtotals:
        return Edit([&](PivotDefinition& d) { return PivotCommandEdit::ToggleSubtotals(d, target); });
    case PivotCommand::GrandTotals:
        return Edit([](PivotDefinition& d) {
            const bool on = !(d.rowGrandTotals || d.columnGrandTotals);
            d.rowGrandTotals = on;
            d.columnGrandTotals = on;
            return true;
        });
    case PivotCommand::Expand:
    case PivotCommand::Collapse: {
        const bool expand = command == PivotCommand::Expand;
        AxisKind axis = AxisKind::Row;
        int index = -1;
        if (target.kind == PivotSelectionTarget::Kind::Member && !target.member.empty()
            && PivotLayoutEdit::Locate(m_session->Definition(), target.fieldSet, &axis, &index))
            return m_session->SetMemberExpanded(axis, index, target.member, expand);
        if (!fieldSet)
            return false;
        const auto included = fieldSet->IncludedFields();
        if (included.empty())
            return false;
        const std::string level = included.front()->uniqueName;
        auto cube = m_cube;
        const auto levelOf = [cube](const std::string& member) -> std::string {
            const auto* m = cube ? cube->FindMember(member) : nullptr;
            return m ? m->GetLevel().UniqueName() : std::string();
        };
        return Edit([&](PivotDefinition& d) {
            return PivotLayoutEdit::SetLevelExpanded(d, fieldSetName, level, expand, levelOf);
        });
    }
    case PivotCommand::Refresh:
        if (hasReceivers(&PivotTableWidget::refreshRequested))
            emit refreshRequested();
        else
            m_session->Refresh();
        return true;
    case PivotCommand::Export: {
        if (hasReceivers(&PivotTableWidget::exportRequested)) {
            emit exportRequested();
            return true;
        }
        if (!m_session->HasLayout())
            return false;
        const QString path
            = QFileDialog::getSaveFileName(this, tr("Export to workbook"), QString(), tr("Excel workbook (*.xlsx)"));
        if (path.isEmpty())
            return false;
        try {
            PivotXlsxWriter::Write(m_session->Layout(), path.toStdString());
        } catch (const std::exception& e) {
            m_lastError = QString::fromUtf8(e.what());
            qWarning() << "pivot: the view was not exported:" << m_lastError;
            return false;
        }
        return true;
    }
    case PivotCommand::FieldList:
        return toggle(Panel::FieldList);
    case PivotCommand::PropertyToolbox:
        return toggle(Panel::PropertyToolbox);
    case PivotCommand::CreateCalculatedTotal: {
        std::string created;
        if (!Edit([&](PivotDefinition& d) {
                created = PivotCommandEdit::CreateCalculatedTotal(d, target);
                return !created.empty();
            }))
            return false;
        // The new total's name, expression and format are edited in the toolbox.
        m_toolbox->ShowTotal(created);
        if (!PanelVisible(Panel::PropertyToolbox))
            toggle(Panel::PropertyToolbox);
        return true;
    }
    case PivotCommand::Cancel:
        return m_session->Cancel();
    case PivotCommand::Undo:
        return m_session->Undo();
    case PivotCommand::Redo:
        return m_session->Redo();
    case PivotCommand::ExplainCell:
        if (target.kind != PivotSelectionTarget::Kind::Value)
            return false;
        ShowExplanation(m_grid->CurrentRow(), m_grid->CurrentColumn());
        return true;
    case PivotCommand::ShowDetails:
        if (!m_detailsAllowed || target.kind != PivotSelectionTarget::Kind::Value)
            return false;
        emit m_contextMenu->commandExecuted(
            platform::Variant(static_cast<std::int32_t>(command)), m_grid->CurrentRow(), m_grid->CurrentColumn());
        return true;
    case PivotCommand::Remove:
        return !fieldSetName.empty()
            && Edit([&](PivotDefinition& d) { return PivotLayoutEdit::RemoveFieldSet(d, fieldSetName); });
    case PivotCommand::MoveToRows:
    case PivotCommand::MoveToColumns:
    case PivotCommand::MoveToFilters: {
        const AxisKind area = command == PivotCommand::MoveToRows
            ? AxisKind::Row
            : (command == PivotCommand::MoveToColumns ? AxisKind::Column : AxisKind::Filter);
        return !fieldSetName.empty()
            && Edit([&](PivotDefinition& d) { return PivotLayoutEdit::MoveFieldSet(d, fieldSetName, area, -1); });
    }
    case PivotCommand::None:
        break;
    }
    return false;
}

} // namespace pivot
