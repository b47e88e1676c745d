#pragma once

#include "control/pivot/PivotFieldDrag.h"

#include <QPoint>
#include <QWidget>

#include <string>

class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace pivot {

class PivotDragController;
class PivotSession;

//! The field list of a pivot view: the cube's measures (a group at the top, with the view's
//! calculated totals) and its dimensions with their hierarchies and levels, as a tree. Fields
//! in the view are bold and checked; checking or double-clicking a field adds it (measures to
//! the values, others to the end of the rows), unchecking removes it. Fields are dragged onto
//! the areas and the grid. The search box filters the tree, keeping the path to every hit.
class PivotFieldList : public QWidget {
    Q_OBJECT
public:
    PivotFieldList(PivotSession* session, PivotDragController* drag, QWidget* parent = nullptr);

    //! Fills the tree from the controller's cube fields.
    void Reload();
    //! The tree item of field NAME (a measure's, hierarchy's or level's unique name), or null.
    QTreeWidgetItem* FindItem(const std::string& name) const;
    //! Where item ITEM is drawn, in the tree viewport's coordinates (scrolled into view).
    QRect ItemRect(QTreeWidgetItem* item) const;
    QTreeWidget* Tree() const { return m_tree; }
    QLineEdit* SearchEdit() const { return m_search; }
    //! The drag an item stands for (false for a group heading).
    static bool ItemField(const QTreeWidgetItem* item, PivotFieldDrag* drag);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SyncWithDefinition();
    void ApplySearch(const QString& text);
    void OnItemChanged(QTreeWidgetItem* item, int column);
    void OnItemDoubleClicked(QTreeWidgetItem* item, int column);

    PivotSession* m_session;
    PivotDragController* m_drag;
    QLineEdit* m_search;
    QTreeWidget* m_tree;
    QTreeWidgetItem* m_pressedItem = nullptr;
    QPoint m_pressPosition;
    bool m_syncing = false;
};

} // namespace pivot
