#pragma once

#include <QDialog>

#include <memory>

class QLabel;
class QPushButton;
class QTableView;

namespace olap::recordset {
class Recordset;
}

namespace drill {

class DrillRowsModel;

//! The modal form that lists the detail rows of a drill-through: one column per field, the
//! statement that ran, the row count and whether the row limit cut the list. The user can
//! hide and reorder columns (drag a header; the header's context menu lists the columns)
//! and export the rows as shown to a csv or xlsx file.
class DrillForm : public QDialog {
    Q_OBJECT
public:
    explicit DrillForm(QWidget* parent = nullptr);
    ~DrillForm() override;

    //! Shows ROWS (null: the form stays empty). Every field becomes a column, in order.
    void Init(std::shared_ptr<const olap::recordset::Recordset> rows);
    //! Shows the statement that ran, the row count against ROWLIMIT and, when the statement
    //! failed, the source's message.
    void ShowStatement(const QString& statement, int rowLimit, const QString& error = {});

    QTableView* RowsView() const { return m_view; }
    //! Writes the rows with the columns as shown (visible ones, in their order) to PATH:
    //! xlsx when PATH ends in ".xlsx", csv otherwise. The file is replaced only by a complete
    //! copy. False with *ERROR set on failure.
    bool ExportTo(const QString& path, QString* error) const;

private:
    void ShowColumnMenu(const QPoint& position);
    void Export();
    std::vector<int> ShownColumns() const;

    DrillRowsModel* m_model = nullptr;
    QTableView* m_view = nullptr;
    QLabel* m_statement = nullptr;
    QLabel* m_count = nullptr;
    QPushButton* m_export = nullptr;
};

} // namespace drill
