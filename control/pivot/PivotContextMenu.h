#pragma once

#include "control/pivot/model/AxisKind.h"

#include "platform/dispatch/Variant.h"

#include <QObject>

#include <functional>
#include <map>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QWidget;

namespace pivot {

//! The before-context-menu and command events of the pivot table. Before one of its menus
//! shows, the menu is handed to the host as data: an array of entries, each an array of
//! caption and command id (a number or a text), a sub-menu an array of caption and an array
//! of entries, a separator an empty value. The host may add, remove, rename or reorder
//! entries; the menu shown is built from what it leaves. A chosen entry runs the pivot's own
//! command when its id is one (a number of its command list, or the id its own entry had)
//! and then raises commandExecuted with the id as the entry gives it.
class PivotContextMenu : public QObject {
    Q_OBJECT
public:
    //! What a menu is for: grid cell (ROW, COLUMN), or the chip NAME of area AREA (ROW -1).
    struct Context {
        int row = -1;
        int column = -1;
        AxisKind area = AxisKind::Row;
        std::string name;
    };
    using Entries = std::vector<platform::Variant>;
    using BeforeHandler = std::function<void(const Context& context, Entries& entries)>;

    explicit PivotContextMenu(QObject* parent = nullptr);

    //! The before-context-menu handler (one; a new one replaces the old).
    void SetBeforeContextMenu(BeforeHandler handler) { m_before = std::move(handler); }

    //! The menu to show in place of MENU (the pivot's own, built with its actions): MENU as
    //! entries, changed by the handler, built again as a menu under PARENT. MENU becomes a
    //! hidden child of the result, which the caller owns. Null when nothing is left.
    QMenu* Prepare(QMenu* menu, const Context& context, QWidget* parent);

    //! MENU as entries. COMMANDS (may be null) receives the action behind each command id.
    static Entries ToEntries(const QMenu& menu, std::map<int, QAction*>* commands = nullptr);
    //! The command-list id of the pivot's own action ACTION (by its "pivotCommand" property,
    //! else its object name), 0 when it has none.
    static int CommandIdOf(const QAction& action);

signals:
    //! Entry ID of a menu for CONTEXT was chosen (after the pivot's own command ran).
    void commandExecuted(const platform::Variant& id, int row, int column);

private:
    void Fill(QMenu& target, const Entries& entries, const std::map<int, QAction*>& commands,
        const std::map<QString, QString>& menuNames, const Context& context);

    BeforeHandler m_before;
};

} // namespace pivot
