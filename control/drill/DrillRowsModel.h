#pragma once

#include <QAbstractTableModel>

#include <memory>

namespace olap::recordset {
class Recordset;
}

namespace drill {

//! The rows of a drill-through as a table: one column per field (its name as header), one
//! row per record; numbers right-aligned, null as an empty cell. Read-only.
class DrillRowsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DrillRowsModel(QObject* parent = nullptr) : QAbstractTableModel(parent) { }

    //! Shows ROWS (null: nothing).
    void SetRows(std::shared_ptr<const olap::recordset::Recordset> rows);
    const std::shared_ptr<const olap::recordset::Recordset>& Rows() const { return m_rows; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::shared_ptr<const olap::recordset::Recordset> m_rows;
};

} // namespace drill
