#include "control/vantorel/FieldListPanel.h"

#include "control/vantorel/PivotComponent.h"

#include "olap/access/SchemaRowset.h"

#include <QSignalBlocker>

namespace vantorel {

FieldListPanel::FieldListPanel(PivotComponent* pivot, QWidget* parent) : QTreeWidget(parent), m_pivot(pivot)
{
    setObjectName(QStringLiteral("fieldList"));
    setHeaderLabel(QStringLiteral("Fields"));
    setAccessibleName(QStringLiteral("Pivot table field list"));
    connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item, int) { OnActivated(item); });
    connect(this, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int) { OnChanged(item); });
    connect(m_pivot, &PivotComponent::viewChanged, this, &FieldListPanel::MarkUsed);
}

void FieldListPanel::Reload()
{
    const QSignalBlocker block(this);
    clear();
    olap::SchemaRowset measures;
    olap::SchemaRowset hierarchies;
    olap::SchemaRowset levels;
    if (!m_pivot->Discover(olap::SchemaRowsetKind::Measures, &measures)
        || !m_pivot->Discover(olap::SchemaRowsetKind::Hierarchies, &hierarchies)
        || !m_pivot->Discover(olap::SchemaRowsetKind::Levels, &levels))
        return;
    auto* totals = new QTreeWidgetItem(this, {QStringLiteral("Totals")});
    for (const auto& row : measures.rows) {
        const QString name = QString::fromStdString(measures.Value(row, "MEASURE_UNIQUE_NAME"));
        auto* item = new QTreeWidgetItem(totals, {QString::fromStdString(measures.Value(row, "MEASURE_CAPTION"))});
        item->setData(0, kKindRole, Measure);
        item->setData(0, kNameRole, name);
        item->setToolTip(0, name);
    }
    for (const auto& row : hierarchies.rows) {
        const QString name = QString::fromStdString(hierarchies.Value(row, "HIERARCHY_UNIQUE_NAME"));
        if (name.startsWith(QStringLiteral("[Measures]"), Qt::CaseInsensitive))
            continue;
        auto* item = new QTreeWidgetItem(this, {QString::fromStdString(hierarchies.Value(row, "HIERARCHY_CAPTION"))});
        item->setData(0, kKindRole, Hierarchy);
        item->setData(0, kNameRole, name);
        item->setToolTip(0, name);
        for (const auto& level : levels.rows) {
            if (QString::fromStdString(levels.Value(level, "HIERARCHY_UNIQUE_NAME")) != name
                || levels.Value(level, "LEVEL_TYPE") == "All")
                continue;
            auto* child = new QTreeWidgetItem(item, {QString::fromStdString(levels.Value(level, "LEVEL_CAPTION"))});
            child->setData(0, kKindRole, Level);
            child->setData(0, kNameRole, QString::fromStdString(levels.Value(level, "LEVEL_UNIQUE_NAME")));
        }
    }
    totals->setExpanded(true);
    MarkUsed();
}

QTreeWidgetItem* FieldListPanel::Find(const QString& name) const
{
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* top = topLevelItem(i);
        if (top->data(0, kNameRole).toString() == name)
            return top;
        for (int j = 0; j < top->childCount(); ++j) {
            if (top->child(j)->data(0, kNameRole).toString() == name)
                return top->child(j);
        }
    }
    return nullptr;
}

void FieldListPanel::MarkUsed()
{
    m_marking = true;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* top = topLevelItem(i);
        QList<QTreeWidgetItem*> items {top};
        for (int j = 0; j < top->childCount(); ++j)
            items.append(top->child(j));
        for (QTreeWidgetItem* item : items) {
            const int kind = item->data(0, kKindRole).toInt();
            if (kind != Measure && kind != Hierarchy)
                continue;
            const bool used = m_pivot->UsesField(item->data(0, kNameRole).toString());
            QFont font = item->font(0);
            font.setBold(used);
            item->setFont(0, font);
            item->setCheckState(0, used ? Qt::Checked : Qt::Unchecked);
        }
    }
    m_marking = false;
}

void FieldListPanel::OnActivated(QTreeWidgetItem* item)
{
    const int kind = item->data(0, kKindRole).toInt();
    QTreeWidgetItem* entry = kind == Level ? item->parent() : item;
    if (kind == Measure || kind == Hierarchy || kind == Level)
        m_pivot->AddField(entry->data(0, kNameRole).toString(), kind == Measure);
}

void FieldListPanel::OnChanged(QTreeWidgetItem* item)
{
    if (m_marking)
        return;
    const int kind = item->data(0, kKindRole).toInt();
    if (kind != Measure && kind != Hierarchy)
        return;
    const QString name = item->data(0, kNameRole).toString();
    if (item->checkState(0) == Qt::Checked)
        m_pivot->AddField(name, kind == Measure);
    else
        m_pivot->RemoveField(name);
}

} // namespace vantorel
