// Drill-through from the control: the "Show details" button, the value cells' menu entry and
// the drill-through members by dispatch id, all over drill::DrillThrough.
#include "control/Vantorel.h"

#include "control/drill/DrillThrough.h"
#include "control/pivot/PivotCommand.h"
#include "control/pivot/PivotGrid.h"
#include "control/pivot/PivotSession.h"
#include "control/pivot/object/PivotFieldSetObject.h"
#include "control/pivot/object/PivotFilterUpdate.h"
#include "control/pivot/object/PivotMemberObject.h"
#include "control/pivot/object/PivotSelectionObject.h"
#include "control/pivot/object/PivotTableObject.h"
#include "control/vantorel/ControlObjects.h"
#include "control/vantorel/PivotComponent.h"
#include "control/vantorel/VantorelWidget.h"

#include <QMessageBox>
#include <QTimer>

namespace {

platform::Variant RowsObject(const drill::DrillThrough::RecordsetPtr& rows)
{
    if (!rows)
        return {};
    return platform::Variant(std::shared_ptr<platform::IDispatchObject>(
        std::make_shared<vantorel::RecordsetObject>(olap::recordset::Recordset(*rows))));
}

template <typename T> std::shared_ptr<T> ObjectArg(const std::vector<platform::Variant>& args, std::size_t index)
{
    return index < args.size() ? std::dynamic_pointer_cast<T>(args[index].toObject()) : nullptr;
}

} // namespace

void Vantorel::DrillMessage(const QString& text)
{
    Fail(text);
    QWidget* parent = m_window;
    if (m_dialogs.message)
        m_dialogs.message(parent, text);
    else
        QMessageBox::information(parent, QString(), text);
}

std::shared_ptr<pivot::PivotTableObject> Vantorel::DetailTable(int row, int column)
{
    pivot::PivotSession& session = m_pivot->Session();
    if (!session.HasLayout() || session.Layout().RowCount() == 0) {
        Fail(QStringLiteral("Drill-through: there is no view to show details of."));
        return {};
    }
    // The statement and the member lookups run here, on the UI thread: never on the
    // connection the session's worker queries on.
    std::shared_ptr<olap::Connection> connection = m_pivot->IdleConnection();
    if (!connection) {
        Fail(QStringLiteral("Drill-through: no connection to the source. %1").arg(m_pivot->LastError()));
        return {};
    }
    auto table
        = std::make_shared<pivot::PivotTableObject>(session.ShownDefinition(), session.SharedLayout(), connection);
    if (row < 0) {
        if (pivot::PivotGrid* grid = m_pivot->ExistingGrid()) {
            row = grid->CurrentRow();
            column = grid->CurrentColumn();
        }
    }
    if (row >= 0)
        table->Select(row, column);
    return table;
}

void Vantorel::ShowDetails(int row, int column)
{
    std::shared_ptr<pivot::PivotTableObject> table = DetailTable(row, column);
    if (!table)
        return;
    drill::DrillThrough drill(table, [this](const QString& text) { DrillMessage(text); });
    drill.Start(m_window);
    if (!drill.LastError().isEmpty())
        Fail(QStringLiteral("Drill-through: %1").arg(drill.LastError()));
}

void Vantorel::AdjustContextMenu(std::vector<platform::Variant>& entries)
{
    // The pivot offers its details entry (12095) while AllowDetails is on; over a cube that is
    // not a local cube file it becomes the control's drill-through entry.
    drill::DrillThrough::AdjustContextMenu(entries, m_localCube);
}

void Vantorel::OnPivotCommand(const platform::Variant& id, int row, int column)
{
    const bool drillEntry = id.type() == platform::Variant::Type::String
        && id.toString() == QLatin1String(drill::DrillThrough::kMenuCommand);
    const bool pivotDetails
        = id.type() == platform::Variant::Type::Int && id.toInt() == static_cast<int>(pivot::PivotCommand::ShowDetails);
    if (!drillEntry && !pivotDetails)
        return;
    // The form is modal: it opens once the menu has closed.
    QTimer::singleShot(0, m_pivot.get(), [this, row, column] { ShowDetails(row, column); });
}

platform::HResult Vantorel::InvokeDrillthroughMember(
    platform::DispId id, std::vector<platform::Variant>& args, platform::Variant* result)
{
    using platform::Variant;
    auto answer = [&](Variant value) {
        if (result)
            *result = std::move(value);
    };
    // A call with a selection of its own works on it; without one, on the current view.
    auto selection = ObjectArg<pivot::PivotSelectionObject>(args, 0);
    const bool takesAggregate = id == kSetAggregate || id == kDoDrillthrough || id == kDrillthroughData
        || id == kExecuteDrillthrough || id == kBuildDrillthroughSets;
    if (!m_drill || (takesAggregate && !selection)) {
        std::shared_ptr<pivot::PivotTableObject> table = DetailTable(-1, -1);
        if (!table) {
            answer(Variant());
            return platform::kSOk;
        }
        if (!selection)
            selection = table->Selection();
        m_drill = std::make_unique<drill::DrillThrough>(table, [this](const QString& text) { DrillMessage(text); });
    }
    drill::DrillThrough& drill = *m_drill;
    switch (id) {
    case kSetAggregate:
        answer(RowsObject(drill.SetAggregate(selection)));
        break;
    case kDoDrillthrough:
        answer(RowsObject(drill.DoDrillthrough(selection)));
        break;
    case kDrillthroughData:
        answer(RowsObject(drill.DrillthroughData(selection)));
        break;
    case kExecuteDrillthrough:
        answer(RowsObject(drill.ExecuteDrillthrough(selection)));
        break;
    case kBuildDrillthroughSets:
        answer(RowsObject(drill.BuildDrillthroughSets(selection)));
        break;
    case kGetAggregate:
        answer(drill.GetAggregate() ? Variant(std::shared_ptr<platform::IDispatchObject>(drill.GetAggregate()))
                                    : Variant());
        break;
    case kBuildMasterRecordset:
        answer(RowsObject(drill.BuildMasterRecordset()));
        break;
    case kGetRecordset:
        answer(RowsObject(drill.getRecordset()));
        break;
    case kTrulyGetMember: {
        auto member = drill.TrulyGetMember(ObjectArg<pivot::PivotMemberObject>(args, 0));
        answer(member ? Variant(std::shared_ptr<platform::IDispatchObject>(member)) : Variant());
        break;
    }
    case kHandleGroupAxisFromMember:
        drill.HandleGroupAxisFromMember(ObjectArg<pivot::PivotMemberObject>(args, 0));
        answer(Variant());
        break;
    case kHandleFieldSet:
        drill.HandleFieldSet(ObjectArg<pivot::PivotFieldSetObject>(args, 0),
            ObjectArg<pivot::PivotMemberObject>(args, 1), ObjectArg<pivot::PivotFilterUpdate>(args, 2));
        answer(Variant());
        break;
    default:
        return platform::kDispEMemberNotFound;
    }
    if (!drill.LastError().isEmpty())
        Fail(QStringLiteral("Drill-through: %1").arg(drill.LastError()));
    return platform::kSOk;
}
