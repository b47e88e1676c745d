#include "control/drill/DrillRowsModel.h"

#include "olap/recordset/Recordset.h"

namespace drill {

void DrillRowsModel::SetRows(std::shared_ptr<const olap::recordset::Recordset> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int DrillRowsModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_rows)
        return 0;
    return static_cast<int>(m_rows->Rows().size());
}

int DrillRowsModel::columnCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_rows)
        return 0;
    return static_cast<int>(m_rows->FieldCount());
}

QVariant DrillRowsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !m_rows || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const olap::recordset::CellValue& value
        = m_rows->Rows()[static_cast<std::size_t>(index.row())][static_cast<std::size_t>(index.column())];
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(value.ToText());
    case Qt::TextAlignmentRole:
        if (value.Kind() == olap::recordset::ValueKind::Integer || value.Kind() == olap::recordset::ValueKind::Double)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant DrillRowsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    if (!m_rows || section < 0 || section >= columnCount())
        return {};
    return QString::fromStdString(m_rows->FieldAt(static_cast<std::size_t>(section)).Name());
}

} // namespace drill
