#pragma once

#include <QTreeWidget>

namespace vantorel {

class PivotComponent;

//! The pivot table's field list: the cube's measures at the top, then its hierarchies with
//! their levels. A double click adds a measure to the totals and a hierarchy (or one of its
//! levels) to the end of the row axis; fields already in the view are bold and checked, and
//! unchecking one takes it out of the view. The list is read from the cube when it is shown
//! or the connection changes; a source that cannot be read gives an empty list and says why
//! in the pivot table's LastError().
class FieldListPanel : public QTreeWidget {
    Q_OBJECT
public:
    //! Item data: the kind of entry and its unique name.
    static constexpr int kKindRole = Qt::UserRole;
    static constexpr int kNameRole = Qt::UserRole + 1;
    enum Kind { Measure = 1, Hierarchy = 2, Level = 3 };

    explicit FieldListPanel(PivotComponent* pivot, QWidget* parent = nullptr);

    //! Reads the measures and hierarchies of the pivot table's cube again.
    void Reload();
    //! Marks the entries in use in the current definition.
    void MarkUsed();
    //! The top-level or child entry whose unique name is NAME, or null.
    QTreeWidgetItem* Find(const QString& name) const;

private:
    void OnActivated(QTreeWidgetItem* item);
    void OnChanged(QTreeWidgetItem* item);

    PivotComponent* m_pivot;
    bool m_marking = false;
};

} // namespace vantorel
