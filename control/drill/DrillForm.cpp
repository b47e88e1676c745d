#include "control/drill/DrillForm.h"

#include "control/drill/DrillRowsModel.h"

#include "olap/recordset/Recordset.h"
#include "olap/recordset/RecordsetCsv.h"
#include "olap/util/AtomicFile.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <xlsxwriter.h>

namespace drill {

DrillForm::DrillForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DrillForm"));
    setModal(true);
    setWindowTitle(tr("Details"));
    resize(760, 480);

    m_model = new DrillRowsModel(this);
    m_view = new QTableView(this);
    m_view->setObjectName(QStringLiteral("rowsView"));
    m_view->setModel(m_model);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setSortingEnabled(false);
    QHeaderView* header = m_view->horizontalHeader();
    header->setSectionsMovable(true);
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header, &QHeaderView::customContextMenuRequested, this, &DrillForm::ShowColumnMenu);

    m_statement = new QLabel(this);
    m_statement->setObjectName(QStringLiteral("statementLabel"));
    m_statement->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_statement->setWordWrap(true);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("countLabel"));

    m_export = new QPushButton(tr("&Export..."), this);
    m_export->setObjectName(QStringLiteral("exportButton"));
    connect(m_export, &QPushButton::clicked, this, &DrillForm::Export);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_count, 1);
    bottom->addWidget(m_export);
    bottom->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_statement);
    layout->addWidget(m_view, 1);
    layout->addLayout(bottom);
}

DrillForm::~DrillForm() = default;

void DrillForm::Init(std::shared_ptr<const olap::recordset::Recordset> rows)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_model->SetRows(std::move(rows));
    m_view->resizeColumnsToContents();
    m_export->setEnabled(m_model->columnCount() > 0);
    m_count->setText(tr("%n row(s)", nullptr, m_model->rowCount()));
    QApplication::restoreOverrideCursor();
}

void DrillForm::ShowStatement(const QString& statement, int rowLimit, const QString& error)
{
    m_statement->setText(statement);
    QString count = tr("%n row(s)", nullptr, m_model->rowCount());
    if (rowLimit > 0 && m_model->rowCount() >= rowLimit)
        count += tr(", cut at the limit of %1 rows").arg(rowLimit);
    if (!error.isEmpty())
        count += QStringLiteral(" - ") + error;
    m_count->setText(count);
}

void DrillForm::ShowColumnMenu(const QPoint& position)
{
    QHeaderView* header = m_view->horizontalHeader();
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("columnMenu"));
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        QAction* action = menu.addAction(m_model->headerData(column, Qt::Horizontal).toString());
        action->setCheckable(true);
        action->setChecked(!header->isSectionHidden(column));
        connect(action, &QAction::toggled, this, [header, column](bool shown) {
            // The last shown column stays: a list without columns shows nothing to export.
            if (!shown && header->count() - header->hiddenSectionCount() <= 1)
                return;
            header->setSectionHidden(column, !shown);
        });
    }
    menu.exec(header->mapToGlobal(position));
}

std::vector<int> DrillForm::ShownColumns() const
{
    std::vector<int> columns;
    const QHeaderView* header = m_view->horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        if (!header->isSectionHidden(column))
            columns.push_back(column);
    }
    return columns;
}

bool DrillForm::ExportTo(const QString& path, QString* error) const
{
    const auto& rows = m_model->Rows();
    const std::vector<int> columns = ShownColumns();
    auto fail = [&](const std::string& why) {
        if (error)
            *error = QString::fromStdString(why);
        return false;
    };
    if (!rows || columns.empty())
        return fail("there are no rows to export");
    olap::AtomicFile file(path.toStdString());
    if (!file.Open())
        return fail(file.Error());
    if (path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive)) {
        lxw_workbook* workbook = workbook_new(file.TempPath().c_str());
        if (!workbook) {
            file.Discard();
            return fail("cannot create the workbook '" + path.toStdString() + "'");
        }
        lxw_worksheet* sheet = workbook_add_worksheet(workbook, "Details");
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const auto col = static_cast<lxw_col_t>(c);
            worksheet_write_string(
                sheet, 0, col, rows->FieldAt(static_cast<std::size_t>(columns[c])).Name().c_str(), nullptr);
        }
        for (std::size_t r = 0; r < rows->Rows().size(); ++r) {
            const auto row = static_cast<lxw_row_t>(r + 1);
            for (std::size_t c = 0; c < columns.size(); ++c) {
                const olap::recordset::CellValue& value = rows->Rows()[r][static_cast<std::size_t>(columns[c])];
                const auto col = static_cast<lxw_col_t>(c);
                if (value.IsNull())
                    continue;
                if (value.Kind() == olap::recordset::ValueKind::Integer
                    || value.Kind() == olap::recordset::ValueKind::Double)
                    worksheet_write_number(sheet, row, col, *value.ToDouble(), nullptr);
                else
                    worksheet_write_string(sheet, row, col, value.ToText().c_str(), nullptr);
            }
        }
        const lxw_error closed = workbook_close(workbook);
        if (closed != LXW_NO_ERROR) {
            file.Discard();
            return fail("cannot write '" + path.toStdString() + "': " + lxw_strerror(closed));
        }
    } else {
        std::string text;
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (c > 0)
                text += ',';
            text += olap::recordset::CsvField(rows->FieldAt(static_cast<std::size_t>(columns[c])).Name());
        }
        text += '\n';
        for (const auto& row : rows->Rows()) {
            for (std::size_t c = 0; c < columns.size(); ++c) {
                if (c > 0)
                    text += ',';
                text += olap::recordset::CsvField(row[static_cast<std::size_t>(columns[c])].ToText());
            }
            text += '\n';
        }
        if (!file.Write(text))
            return fail(file.Error());
    }
    if (!file.Commit())
        return fail(file.Error());
    return true;
}

void DrillForm::Export()
{
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Export details"), QString(), tr("Comma-separated values (*.csv);;Workbook (*.xlsx)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!ExportTo(path, &error))
        QMessageBox::warning(this, windowTitle(), tr("The rows could not be exported: %1").arg(error));
}

} // namespace drill
