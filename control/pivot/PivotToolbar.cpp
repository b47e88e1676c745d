#include "control/pivot/PivotToolbar.h"

#include "control/pivot/PivotCommandEdit.h"
#include "control/pivot/PivotGrid.h"
#include "control/pivot/PivotSession.h"
#include "control/pivot/PivotTableWidget.h"

#include <QAction>
#include <QPainter>
#include <QPainterPath>

namespace pivot {

namespace {

struct Button {
    PivotCommand command;
    const char* objectName;
    const char* text;
    bool checkable;
    bool separatorBefore;
};

constexpr Button kButtons[] = {
    {PivotCommand::Undo, "pivotUndoAction", "Undo", false, false},
    {PivotCommand::Redo, "pivotRedoAction", "Redo", false, false},
    {PivotCommand::SortAscending, "pivotSortAscendingAction", "Sort Ascending", false, true},
    {PivotCommand::SortDescending, "pivotSortDescendingAction", "Sort Descending", false, false},
    {PivotCommand::Filter, "pivotFilterAction", "Filter", false, false},
    {PivotCommand::Subtotals, "pivotSubtotalsAction", "Subtotals", true, true},
    {PivotCommand::GrandTotals, "pivotGrandTotalsAction", "Grand Totals", true, false},
    {PivotCommand::CreateCalculatedTotal, "pivotCalculatedTotalAction", "New Calculated Total", false, false},
    {PivotCommand::Expand, "pivotExpandAction", "Expand", false, true},
    {PivotCommand::Collapse, "pivotCollapseAction", "Collapse", false, false},
    {PivotCommand::Refresh, "pivotRefreshAction", "Refresh", false, true},
    {PivotCommand::Cancel, "pivotCancelAction", "Stop the Query (Esc)", false, false},
    {PivotCommand::Export, "pivotExportAction", "Export to a Workbook", false, false},
    {PivotCommand::FieldList, "pivotFieldListAction", "Field List", true, true},
    {PivotCommand::PropertyToolbox, "pivotPropertyToolboxAction", "Property Toolbox", true, false},
};

// The colours of the program's pictures.
const QColor kInk(0x3a, 0x3f, 0x47);
const QColor kBlue(0x2f, 0x6f, 0xb8);
const QColor kGreen(0x2e, 0x8b, 0x57);
const QColor kRed(0xc6, 0x3d, 0x32);
const QColor kAmber(0xe0, 0x9a, 0x1f);

void Bars(QPainter& p, bool ascending)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    for (int i = 0; i < 4; ++i) {
        const int width = ascending ? 3 + 2 * i : 9 - 2 * i;
        p.drawRect(1, 2 + 3 * i, width, 2);
    }
    p.setPen(QPen(kInk, 1.4));
    p.drawLine(QPointF(12.5, 2), QPointF(12.5, 13));
    QPolygonF head;
    if (ascending)
        head << QPointF(9.5, 5.5) << QPointF(12.5, 1.5) << QPointF(15.5, 5.5);
    else
        head << QPointF(9.5, 9.5) << QPointF(12.5, 13.5) << QPointF(15.5, 9.5);
    p.setBrush(kInk);
    p.drawPolygon(head);
}

void Sigma(QPainter& p, bool doubleRule)
{
    p.setPen(QPen(kInk, 1.6, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    QPolygonF sigma;
    sigma << QPointF(12, 3) << QPointF(4, 3) << QPointF(8.5, 8) << QPointF(4, 13) << QPointF(12, 13);
    p.drawPolyline(sigma);
    if (doubleRule) {
        p.setPen(QPen(kBlue, 1));
        p.drawLine(QPointF(2, 14.5), QPointF(14, 14.5));
        p.drawLine(QPointF(2, 0.5), QPointF(14, 0.5));
    }
}

void Box(QPainter& p, bool plus)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 2.5, 11, 11));
    p.setPen(QPen(kBlue, 2));
    p.drawLine(QPointF(5, 8), QPointF(11, 8));
    if (plus)
        p.drawLine(QPointF(8, 5), QPointF(8, 11));
}

//! A curved arrow pointing left (undo) or right (redo).
void TurnArrow(QPainter& p, bool back)
{
    p.save();
    if (!back) {
        p.translate(16, 0);
        p.scale(-1, 1);
    }
    QPainterPath path;
    path.moveTo(13.5, 13);
    path.cubicTo(14.5, 6.5, 9, 4, 4.5, 6.5);
    p.setPen(QPen(kBlue, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    QPolygonF head;
    head << QPointF(1, 7.5) << QPointF(6.5, 2.5) << QPointF(7, 10);
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawPolygon(head);
    p.restore();
}

void Paint(QPainter& p, PivotCommand command)
{
    switch (command) {
    case PivotCommand::Undo:
        TurnArrow(p, true);
        break;
    case PivotCommand::Redo:
        TurnArrow(p, false);
        break;
    case PivotCommand::SortAscending:
        Bars(p, true);
        break;
    case PivotCommand::SortDescending:
        Bars(p, false);
        break;
    case PivotCommand::Filter: {
        QPolygonF funnel;
        funnel << QPointF(1.5, 2.5) << QPointF(14.5, 2.5) << QPointF(9.5, 8.5) << QPointF(9.5, 14) << QPointF(6.5, 12)
               << QPointF(6.5, 8.5);
        p.setPen(QPen(kInk, 1));
        p.setBrush(kAmber);
        p.drawPolygon(funnel);
        break;
    }
    case PivotCommand::Subtotals:
        Sigma(p, false);
        break;
    case PivotCommand::GrandTotals:
        Sigma(p, true);
        break;
    case PivotCommand::CreateCalculatedTotal: {
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(0xf4, 0xf6, 0xfa));
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        QFont font(QStringLiteral("Serif"));
        font.setPixelSize(10);
        font.setItalic(true);
        font.setBold(true);
        p.setFont(font);
        p.setPen(kBlue);
        p.drawText(QRectF(1, 1, 14, 14), Qt::AlignCenter, QStringLiteral("fx"));
        break;
    }
    case PivotCommand::Expand:
        Box(p, true);
        break;
    case PivotCommand::Collapse:
        Box(p, false);
        break;
    case PivotCommand::Refresh: {
        p.setPen(QPen(kGreen, 2, Qt::SolidLine, Qt::FlatCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(2.5, 2.5, 11, 11), 60 * 16, 280 * 16);
        QPolygonF head;
        head << QPointF(9, 0.5) << QPointF(14, 3) << QPointF(9.5, 6.5);
        p.setPen(Qt::NoPen);
        p.setBrush(kGreen);
        p.drawPolygon(head);
        break;
    }
    case PivotCommand::Cancel:
        p.setPen(Qt::NoPen);
        p.setBrush(kRed);
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 10.5));
        p.drawLine(QPointF(10.5, 5.5), QPointF(5.5, 10.5));
        break;
    case PivotCommand::Export: {
        p.setPen(QPen(kGreen.darker(120), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(0.5, 2.5, 10, 11));
        p.setPen(QPen(kGreen, 1));
        for (int y = 5; y < 13; y += 3)
            p.drawLine(QPointF(1, y + 0.5), QPointF(10, y + 0.5));
        p.drawLine(QPointF(4.5, 3), QPointF(4.5, 13));
        p.setPen(QPen(kBlue, 1.8));
        p.drawLine(QPointF(8, 8), QPointF(14, 8));
        QPolygonF head;
        head << QPointF(12, 5) << QPointF(15.5, 8) << QPointF(12, 11);
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawPolygon(head);
        break;
    }
    case PivotCommand::FieldList:
        p.setPen(QPen(kInk, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 3; ++i) {
            p.setBrush(i == 0 ? kAmber : kBlue);
            p.drawRect(QRectF(3.5, 3.5 + 3.5 * i, 2, 2));
            p.setBrush(kInk);
            p.drawRect(QRectF(7, 4 + 3.5 * i, 6, 1));
        }
        break;
    case PivotCommand::PropertyToolbox:
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(0xf4, 0xf6, 0xfa));
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setPen(QPen(kInk, 1));
        for (int i = 0; i < 3; ++i)
            p.drawLine(QPointF(3.5, 4.5 + 3.5 * i), QPointF(12.5, 4.5 + 3.5 * i));
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawRect(QRectF(8, 3, 2.5, 3));
        p.setBrush(kRed);
        p.drawRect(QRectF(4.5, 6.5, 2.5, 3));
        p.setBrush(kGreen);
        p.drawRect(QRectF(10, 10, 2.5, 3));
        break;
    default:
        break;
    }
}

} // namespace

PivotToolbar::PivotToolbar(PivotTableWidget* table) : QToolBar(table), m_table(table)
{
    setObjectName(QStringLiteral("pivotToolbar"));
    setIconSize(QSize(16, 16));
    setMovable(false);
    setFloatable(false);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (const Button& button : kButtons) {
        if (button.separatorBefore)
            addSeparator();
        QAction* action = addAction(Icon(button.command), tr(button.text));
        action->setObjectName(QLatin1String(button.objectName));
        action->setToolTip(tr(button.text));
        action->setCheckable(button.checkable);
        action->setProperty("pivotCommand", static_cast<int>(button.command));
        const PivotCommand command = button.command;
        connect(action, &QAction::triggered, this, [this, command] {
            m_table->ExecuteCommand(command);
            UpdateState();
        });
        m_actions[command] = action;
    }
    PivotSession* session = table->Session();
    connect(session, &PivotSession::workingChanged, this, &PivotToolbar::UpdateState);
    connect(session, &PivotSession::definitionChanged, this, &PivotToolbar::UpdateState);
    connect(session, &PivotSession::layoutChanged, this, &PivotToolbar::UpdateState);
    connect(session, &PivotSession::historyChanged, this, &PivotToolbar::UpdateState);
}

QAction* PivotToolbar::Action(PivotCommand command) const
{
    const auto it = m_actions.find(command);
    return it == m_actions.end() ? nullptr : it->second;
}

void PivotToolbar::UpdateState()
{
    const PivotSession* session = m_table->Session();
    const PivotDefinition& definition = session->Definition();
    const PivotSelectionTarget target = m_table->Grid() ? m_table->SelectionTarget() : PivotSelectionTarget();
    const PivotFieldSet* fieldSet = PivotCommandEdit::TargetFieldSet(definition, target);
    const bool hasTotals = !definition.IncludedTotals().empty();
    auto set = [this](PivotCommand command, bool enabled, bool checked = false) {
        if (QAction* action = Action(command)) {
            action->setEnabled(enabled);
            if (action->isCheckable())
                action->setChecked(checked);
        }
    };
    set(PivotCommand::SortAscending, fieldSet != nullptr);
    set(PivotCommand::SortDescending, fieldSet != nullptr);
    set(PivotCommand::Filter, fieldSet != nullptr && m_table->Cube() != nullptr);
    set(PivotCommand::Subtotals, fieldSet != nullptr, fieldSet && fieldSet->subtotals);
    set(PivotCommand::GrandTotals, true, definition.rowGrandTotals || definition.columnGrandTotals);
    set(PivotCommand::CreateCalculatedTotal, hasTotals);
    set(PivotCommand::Expand, fieldSet != nullptr);
    set(PivotCommand::Collapse, fieldSet != nullptr);
    set(PivotCommand::Refresh, true);
    set(PivotCommand::Cancel, session->IsWorking());
    set(PivotCommand::Export, session->HasLayout());
    set(PivotCommand::FieldList, true, m_table->PanelVisible(PivotTableWidget::Panel::FieldList));
    set(PivotCommand::PropertyToolbox, true, m_table->PanelVisible(PivotTableWidget::Panel::PropertyToolbox));
    // The tooltips name the step: "Undo Move Product to Columns (Ctrl+Z)".
    const PivotUndoStack& history = session->History();
    set(PivotCommand::Undo, history.CanUndo());
    set(PivotCommand::Redo, history.CanRedo());
    if (QAction* undo = Action(PivotCommand::Undo))
        undo->setToolTip(history.CanUndo() ? tr("Undo %1 (Ctrl+Z)").arg(QString::fromStdString(history.UndoLabel()))
                                           : tr("Undo (Ctrl+Z)"));
    if (QAction* redo = Action(PivotCommand::Redo))
        redo->setToolTip(history.CanRedo() ? tr("Redo %1 (Ctrl+Y)").arg(QString::fromStdString(history.RedoLabel()))
                                           : tr("Redo (Ctrl+Y)"));
}

QIcon PivotToolbar::Icon(PivotCommand command)
{
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing, true);
    Paint(painter, command);
    painter.end();
    return QIcon(picture);
}

} // namespace pivot
