#include "control/pivot/PivotContextMenu.h"

#include "control/pivot/PivotCommand.h"

#include <QAction>
#include <QDebug>
#include <QMenu>
#include <QPointer>

namespace pivot {

namespace {

// The pivot's own menu entries by object name.
const std::map<QString, PivotCommand>& CommandsByName()
{
    static const std::map<QString, PivotCommand> commands {
        {QStringLiteral("sortAscendingAction"), PivotCommand::SortAscending},
        {QStringLiteral("sortDescendingAction"), PivotCommand::SortDescending},
        {QStringLiteral("sortNoneAction"), PivotCommand::SortNone},
        {QStringLiteral("filterAction"), PivotCommand::Filter},
        {QStringLiteral("clearFilterAction"), PivotCommand::ClearFilter},
        {QStringLiteral("subtotalsAction"), PivotCommand::Subtotals},
        {QStringLiteral("expandLevelAction"), PivotCommand::Expand},
        {QStringLiteral("collapseLevelAction"), PivotCommand::Collapse},
        {QStringLiteral("moveToRowsAction"), PivotCommand::MoveToRows},
        {QStringLiteral("moveToColumnsAction"), PivotCommand::MoveToColumns},
        {QStringLiteral("moveToFiltersAction"), PivotCommand::MoveToFilters},
        {QStringLiteral("removeAction"), PivotCommand::Remove},
        {QStringLiteral("explainAction"), PivotCommand::ExplainCell},
        {QStringLiteral("showDetailsAction"), PivotCommand::ShowDetails},
    };
    return commands;
}

struct Collector {
    std::map<int, QAction*>* commands;
    std::map<QString, QString>* menuNames;
    int next = kFirstMenuEntryId;

    PivotContextMenu::Entries Collect(const QMenu& menu)
    {
        PivotContextMenu::Entries entries;
        for (QAction* action : menu.actions()) {
            if (action->isSeparator()) {
                entries.emplace_back();
                continue;
            }
            if (QMenu* sub = action->menu()) {
                if (menuNames && !sub->objectName().isEmpty())
                    menuNames->emplace(action->text(), sub->objectName());
                entries.emplace_back(std::vector<platform::Variant> {
                    platform::Variant(action->text()), platform::Variant(Collect(*sub))});
                continue;
            }
            int id = PivotContextMenu::CommandIdOf(*action);
            if (id == 0 || (commands && commands->count(id)))
                id = next++;
            if (commands)
                (*commands)[id] = action;
            entries.emplace_back(std::vector<platform::Variant> {
                platform::Variant(action->text()), platform::Variant(std::int32_t(id))});
        }
        return entries;
    }
};

// A number held as a number or a text of digits (hosts hand ids back either way).
bool NumericId(const platform::Variant& id, int* number)
{
    bool ok = false;
    switch (id.type()) {
    case platform::Variant::Type::Int:
    case platform::Variant::Type::Double:
        *number = id.toInt();
        return true;
    case platform::Variant::Type::String:
        *number = id.toString().toInt(&ok);
        return ok;
    default:
        return false;
    }
}

} // namespace

PivotContextMenu::PivotContextMenu(QObject* parent) : QObject(parent)
{
}

int PivotContextMenu::CommandIdOf(const QAction& action)
{
    const QVariant own = action.property("pivotCommand");
    if (own.isValid())
        return own.toInt();
    const auto it = CommandsByName().find(action.objectName());
    return it == CommandsByName().end() ? 0 : static_cast<int>(it->second);
}

PivotContextMenu::Entries PivotContextMenu::ToEntries(const QMenu& menu, std::map<int, QAction*>* commands)
{
    Collector collector {commands, nullptr};
    return collector.Collect(menu);
}

QMenu* PivotContextMenu::Prepare(QMenu* menu, const Context& context, QWidget* parent)
{
    if (!menu)
        return nullptr;
    std::map<int, QAction*> commands;
    std::map<QString, QString> menuNames;
    Collector collector {&commands, &menuNames};
    Entries entries = collector.Collect(*menu);
    if (m_before)
        m_before(context, entries);
    auto* shown = new QMenu(parent);
    shown->setObjectName(menu->objectName());
    // The pivot's own actions stay alive (hidden) as long as the menu built from them.
    menu->setParent(shown, menu->windowFlags());
    menu->hide();
    Fill(*shown, entries, commands, menuNames, context);
    if (shown->isEmpty()) {
        delete shown;
        return nullptr;
    }
    return shown;
}

void PivotContextMenu::Fill(QMenu& target, const Entries& entries, const std::map<int, QAction*>& commands,
    const std::map<QString, QString>& menuNames, const Context& context)
{
    for (const platform::Variant& entry : entries) {
        if (entry.isEmpty()) {
            target.addSeparator();
            continue;
        }
        const auto& parts = entry.toArray();
        if (entry.type() != platform::Variant::Type::Array || parts.size() < 2) {
            qWarning() << "pivot: a context menu entry is neither a separator nor a caption and a command; left out";
            continue;
        }
        const QString caption = parts[0].toString();
        const platform::Variant& id = parts[1];
        if (id.type() == platform::Variant::Type::Array) {
            QMenu* sub = target.addMenu(caption);
            if (const auto it = menuNames.find(caption); it != menuNames.end())
                sub->setObjectName(it->second);
            Fill(*sub, id.toArray(), commands, menuNames, context);
            continue;
        }
        if (id.isEmpty() || id.type() == platform::Variant::Type::Object) {
            qWarning() << "pivot: the context menu entry" << caption << "has no command id; left out";
            continue;
        }
        QAction* action = target.addAction(caption);
        int number = 0;
        QAction* own = nullptr;
        if (NumericId(id, &number)) {
            if (const auto it = commands.find(number); it != commands.end())
                own = it->second;
        }
        if (own) {
            action->setObjectName(own->objectName());
            action->setCheckable(own->isCheckable());
            action->setChecked(own->isChecked());
            action->setEnabled(own->isEnabled());
        } else {
            action->setObjectName(id.type() == platform::Variant::Type::String
                    ? id.toString()
                    : QStringLiteral("command%1").arg(id.toString()));
        }
        const QPointer<QAction> ownAction(own);
        connect(action, &QAction::triggered, this, [this, ownAction, id, context] {
            if (ownAction)
                ownAction->trigger();
            emit commandExecuted(id, context.row, context.column);
        });
    }
}

} // namespace pivot
