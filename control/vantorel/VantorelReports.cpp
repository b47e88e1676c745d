// The control's report files: saving and opening the pivot file and its sibling chart file.
#include "control/Vantorel.h"

#include "control/chart/ChartWidget.h"
#include "control/vantorel/PivotComponent.h"
#include "control/vantorel/ReportFiles.h"
#include "control/vantorel/VantorelWidget.h"
#include "control/vantorel/WaitCursor.h"

#include <QFileDialog>
#include <QMessageBox>

using vantorel::ReportFiles;

namespace {

const QString kChartMarker = QStringLiteral("chartspace");
const QString kCrLf = QStringLiteral("\r\n");

} // namespace

bool Vantorel::WriteFile(const QString& fileName, const QString& text)
{
    QString error;
    if (ReportFiles::WriteText(fileName, text, &error))
        return true;
    Fail(QStringLiteral("The report file %1 could not be written: %2").arg(fileName, error));
    return false;
}

bool Vantorel::WriteReportPair(const QString& fileName, const QString& pivotText)
{
    bool written = true;
    const QString chartFile = ReportFiles::ChartFileName(fileName);
    if (m_chartVisible && !chartFile.isEmpty())
        written = WriteFile(chartFile, QString::fromStdString(ChartView().DefinitionText()));
    // The pivot file is written even when the chart file failed, so the table is not lost.
    return WriteFile(fileName, pivotText) && written;
}

QString Vantorel::PivotFileText() const
{
    QString text = m_pivot->XmlData();
    if (!m_pivot->HasRecordset() || m_sql.isEmpty())
        return text;
    return ReportFiles::WithSqlLines(text, m_sql, m_sqlConnection);
}

void Vantorel::LoadPivotText(const QString& pivotText)
{
    QString sql;
    QString connection;
    if (ReportFiles::SplitSqlLines(pivotText, &sql, &connection))
        QueryRows(connection, sql);
    m_pivot->SetXmlData(pivotText);
}

QString Vantorel::SaveReport(const QString& reportName, const QString& path)
{
    QString why;
    if (!ReportFiles::IsSafeReportName(reportName, &why)) {
        Fail(QStringLiteral("The report was not saved: %1").arg(why));
        return QString();
    }
    m_fileName = path + reportName + QStringLiteral(".xml");
    vantorel::WaitCursor wait;
    return WriteReportPair(m_fileName, PivotFileText()) ? m_fileName : QString();
}

QString Vantorel::SaveReportAs(const QString& reportName, const QString& path, const QString& dataSourcePath)
{
    QString why;
    if (!ReportFiles::IsSafeReportName(reportName, &why)) {
        Fail(QStringLiteral("The report was not saved: %1").arg(why));
        return QString();
    }
    m_fileName = path + reportName + QStringLiteral(".xml");
    vantorel::WaitCursor wait;
    // The rows of a relational report come from its SQL lines, which keep their connection.
    const QString text
        = m_pivot->HasRecordset() ? PivotFileText() : ReportFiles::MoveDataSource(m_pivot->XmlData(), dataSourcePath);
    return WriteReportPair(m_fileName, text) ? m_fileName : QString();
}

bool Vantorel::SaveFile(const QString& name)
{
    return SaveFileAs(name, QString());
}

bool Vantorel::SaveFileAs(const QString& name, const QString& dataSourcePath)
{
    if (name.isEmpty())
        return false;
    vantorel::WaitCursor wait;
    QString text = m_pivot->XmlData();
    if (!dataSourcePath.isNull() && !m_relational)
        text = ReportFiles::MoveDataSource(text, dataSourcePath);
    if (m_relational)
        text = ReportFiles::WithSqlLines(text, m_sql, m_sqlConnection);
    return WriteFile(name, text);
}

void Vantorel::Spara_Rapport()
{
    QString chosen;
    if (m_dialogs.saveFileName) {
        chosen = m_dialogs.saveFileName(m_window, m_fileName);
    } else {
        chosen = QFileDialog::getSaveFileName(
            m_window, QString(), m_fileName.isEmpty() ? QStringLiteral("*.XML") : m_fileName, QStringLiteral("*.XML"));
    }
    vantorel::WaitCursor wait;
    // A cancelled dialog keeps the name the report had.
    if (chosen.isEmpty())
        return;
    m_fileName = chosen;
    WriteReportPair(m_fileName, PivotFileText());
}

void Vantorel::OpenChartReport(const QString& pivotText, const QString& chartText)
{
    m_loadedDefinition = pivotText + kCrLf;
    LoadPivotText(m_loadedDefinition);
    if (!EnsureWindow()) {
        Fail(QStringLiteral("The chart needs a window system; the report opens as a table."));
        m_pivot->SetVisible(true);
        return;
    }
    chart::ChartWidget& view = ChartView();
    BindChart(m_pivot.get());
    if (!view.PutDefinitionText(chartText.toStdString()))
        Fail(QStringLiteral("The chart definition cannot be read: %1").arg(QString::fromStdString(view.LastError())));
    ChartSetUp();
}

void Vantorel::OpenTableReport(const QString& pivotText)
{
    m_loadedDefinition = pivotText + kCrLf;
    LoadPivotText(m_loadedDefinition);
    m_pivot->displayToolbar = false;
    m_pivot->activeViewOption = true;
    m_pivot->SetVisible(true);
}

void Vantorel::OppnaRapport(const QString& fileName)
{
    vantorel::WaitCursor wait;
    const QString pivotText = ReportFiles::ReadText(fileName);
    const QString chartText = ReportFiles::ReadText(ReportFiles::ChartFileName(fileName));
    if (!ReportFiles::Exists(fileName))
        Fail(QStringLiteral("The report file %1 cannot be read.").arg(fileName));
    if (ReportFiles::HasMarker(chartText, kChartMarker))
        OpenChartReport(pivotText, chartText);
    else
        OpenTableReport(pivotText);
    LayOut();
}

void Vantorel::OppnaRapportTyp(const QString& fileName, int type)
{
    if (!ReportFiles::Exists(fileName)) {
        Fail(QStringLiteral("The report file %1 does not exist.").arg(fileName));
        return;
    }
    vantorel::WaitCursor wait;
    m_localCube = true;
    const QString pivotText = ReportFiles::ReadText(fileName);
    m_localCube = ReportFiles::HasMarker(pivotText, QStringLiteral(".cub"));
    if (type != 2) {
        if (ReportFiles::HasMarker(pivotText, QStringLiteral("sqloledb")))
            m_relational = true;
        OpenTableReport(pivotText);
    } else {
        const QString chartText = ReportFiles::ReadText(ReportFiles::ChartFileName(fileName));
        if (ReportFiles::HasMarker(chartText, kChartMarker))
            OpenChartReport(pivotText, chartText);
        else
            Fail(QStringLiteral("The chart file of %1 holds no chart; nothing was opened.").arg(fileName));
    }
    LayOut();
}

void Vantorel::OnOppna()
{
    QString chosen;
    if (m_dialogs.openFileName) {
        chosen = m_dialogs.openFileName(m_window);
    } else {
        QFileDialog dialog(m_window, QStringLiteral("Öppna rapport"), QString(), QStringLiteral("*.XML"));
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.selectFile(QStringLiteral("*.XML"));
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().constFirst();
    }
    if (chosen.isEmpty()) {
        // A cancelled dialog keeps the name the report had.
        if (m_dialogs.message)
            m_dialogs.message(m_window, QStringLiteral("No file selected"));
        else
            QMessageBox::information(m_window, QString(), QStringLiteral("No file selected"), QMessageBox::Ok);
        return;
    }
    vantorel::WaitCursor wait;
    m_fileName = chosen;
    const QString pivotText = ReportFiles::ReadText(chosen);
    const QString chartText = ReportFiles::ReadText(ReportFiles::ChartFileName(chosen));
    if (ReportFiles::HasMarker(chartText, kChartMarker)) {
        OpenChartReport(pivotText, chartText);
    } else {
        ShowChartView(false);
        OpenTableReport(pivotText);
    }
    LayOut();
}
