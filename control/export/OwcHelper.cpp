#include "control/export/OwcHelper.h"

#include "control/export/PrintSheet.h"
#include "control/export/SheetPainter.h"

#include "control/chart/ChartWidget.h"
#include "control/pivot/model/PivotXlsxWriter.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>

#include <exception>

namespace exporting {

namespace {

using Orientation = pivot::PivotSheetOptions::Orientation;

//! The chart picture's size, in pixels.
constexpr int kPictureWidth = 800;
constexpr int kPictureHeight = 400;

//! A file name made of TEXT: no folder separators or control characters, not hidden, at
//! most 80 characters; FALLBACK when nothing is left.
QString FileName(const std::string& text, const QString& fallback)
{
    QString name;
    for (const QChar c : QString::fromStdString(text)) {
        if (c == u'/' || c == u'\\' || c.category() == QChar::Other_Control)
            name += u'_';
        else
            name += c;
    }
    name = name.trimmed().left(80);
    while (name.startsWith(u'.'))
        name.remove(0, 1);
    return name.isEmpty() ? fallback : name;
}

void ShowMessageBox(const ExportMessage& message, QWidget* parent)
{
    // A carriage return alone breaks the line in the message, as on the desktop the text
    // was written for; Qt's labels break only at line feeds.
    QString shown = message.text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    QMessageBox box(QMessageBox::Critical, message.title, shown, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("exportMessageBox"));
    box.exec();
}

void ShowPreviewDialog(QPrinter& printer, const std::function<void(QPrinter&)>& paint, QWidget* parent)
{
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("printPreviewDialog"));
    QObject::connect(
        &dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&paint](QPrinter* target) { paint(*target); });
    dialog.exec();
}

std::unique_ptr<QPrinter> DefaultPrinter()
{
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (printer.isNull())
        return nullptr;
    return std::make_unique<QPrinter>(printer, QPrinter::HighResolution);
}

bool IsWidgetApplication()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

pivot::PivotSheetOptions PictureOptions(Orientation orientation)
{
    pivot::PivotSheetOptions options;
    options.orientation = orientation;
    options.printGridlines = true;
    options.centerFooter = PrintSheet::kFooter;
    options.freezeHeaders = false;
    return options;
}

PrintSheet SheetOf(const PrintSource& source)
{
    const PrintViewShape shape = PrintViewShape::Of(
        *source.definition, source.titleBarVisible, source.columnLabelVisible, source.rowLabelVisible);
    return PrintSheet(*source.layout, *source.definition, shape, source.titleCaption);
}

} // namespace

OwcHelper::OwcHelper(Seams seams) : m_seams(std::move(seams))
{
    if (!m_seams.showMessage)
        m_seams.showMessage = ShowMessageBox;
    if (!m_seams.makePrinter)
        m_seams.makePrinter = DefaultPrinter;
    if (!m_seams.canPreview)
        m_seams.canPreview = IsWidgetApplication;
    if (!m_seams.preview)
        m_seams.preview = ShowPreviewDialog;
    if (m_seams.workRoot.isEmpty())
        m_seams.workRoot = QDir::tempPath();
}

OwcHelper::~OwcHelper() = default;

bool OwcHelper::Fail(QWidget* parent, const std::string& error, bool show)
{
    m_lastError = error;
    qWarning("export: %s", error.c_str());
    if (show)
        m_seams.showMessage(ExportMessage::Failure(QString::fromStdString(error)), parent);
    return false;
}

bool OwcHelper::FailNoProgram(QWidget* parent)
{
    m_lastError = "no spreadsheet program is installed and no print preview can be shown";
    qWarning("export: %s", m_lastError.c_str());
    m_seams.showMessage(ExportMessage::NoSpreadsheetProgram(QApplication::applicationDisplayName()), parent);
    return false;
}

QString OwcHelper::NewWorkFolder(std::string& error) const
{
    // The spreadsheet program reads the workbook after this call returns, so the folder
    // stays; it is private to the user (mode 0700) and named uniquely.
    QTemporaryDir folder(m_seams.workRoot + QStringLiteral("/lumetra-export-XXXXXX"));
    if (!folder.isValid()) {
        error = "cannot make a work folder in " + m_seams.workRoot.toStdString() + ": "
            + folder.errorString().toStdString();
        return {};
    }
    folder.setAutoRemove(false);
    return folder.path();
}

bool OwcHelper::ChartPicture(const PrintSource& source, QString& pictureFile, QImage& picture, std::string& error)
{
    if (!source.chart) {
        picture = source.chartPicture;
        if (pictureFile.isEmpty())
            return true;
        if (!picture.save(pictureFile, "PNG")) {
            error = "cannot write the chart picture " + pictureFile.toStdString();
            return false;
        }
        return true;
    }
    // The chart's own picture export needs a file; it goes into the caller's private folder.
    QTemporaryDir scratch(m_seams.workRoot + QStringLiteral("/lumetra-chart-XXXXXX"));
    if (pictureFile.isEmpty() && !scratch.isValid()) {
        error = "cannot make a work folder for the chart picture: " + scratch.errorString().toStdString();
        return false;
    }
    const QString file = pictureFile.isEmpty() ? scratch.filePath(QStringLiteral("chart.png")) : pictureFile;
    chart::ChartWidget* chart = source.chart;
    if (!chart->ExportPicture(file.toStdString(), "png", QSize(kPictureWidth, kPictureHeight))) {
        error = chart->LastError();
        return false;
    }
    if (!picture.load(file)) {
        error = "cannot read the chart picture back";
        return false;
    }
    return true;
}

bool OwcHelper::WriteWorkbook(
    const PrintSource& source, const QString& name, Orientation orientation, std::string& error)
{
    const QString folder = NewWorkFolder(error);
    if (folder.isEmpty())
        return false;
    const QString path = QDir(folder).filePath(name);
    try {
        if (source.IsPivot()) {
            const PrintSheet sheet = SheetOf(source);
            pivot::PivotXlsxWriter::Write(*source.layout, path.toStdString(), sheet.SheetOptions(orientation));
        } else {
            QString pictureFile = QDir(folder).filePath(QStringLiteral(".chart.png"));
            QImage picture;
            const bool drawn = ChartPicture(source, pictureFile, picture, error);
            if (drawn)
                pivot::PivotXlsxWriter::WritePicture(
                    pictureFile.toStdString(), path.toStdString(), PictureOptions(orientation));
            QFile::remove(pictureFile);
            if (!drawn)
                return false;
        }
    } catch (const std::exception& failure) {
        error = failure.what();
        return false;
    }
    m_lastWorkbook = path;
    return true;
}

bool OwcHelper::Paint(const PrintSource& source, QPrinter& printer, std::string& error)
{
    if (source.IsPivot())
        return SheetPainter::PaintSheet(SheetOf(source), printer, error);
    QString noFile;
    QImage picture;
    if (!ChartPicture(source, noFile, picture, error))
        return false;
    return SheetPainter::PaintPicture(picture, {}, PrintSheet::kFooter, printer, error);
}

bool OwcHelper::Print(const PrintSource& source, bool landscape, QWidget* parent)
{
    m_lastError.clear();
    m_lastWorkbook.clear();
    if (!source.IsPivot() && !source.IsChart())
        return true;
    std::unique_ptr<QPrinter> printer = m_seams.makePrinter();
    if (!printer)
        return Fail(parent, "cannot print: no printer is set up on this system");
    printer->setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer->setDocName(QString::fromStdString(source.titleCaption.empty() ? "Lumetra" : source.titleCaption));
    std::string error;
    if (!Paint(source, *printer, error))
        return Fail(parent, error);
    return true;
}

bool OwcHelper::Preview(const PrintSource& source, bool landscape, QWidget* parent)
{
    m_lastError.clear();
    m_lastWorkbook.clear();
    if (!source.IsPivot() && !source.IsChart())
        return true;
    const Orientation orientation = landscape ? Orientation::Landscape : Orientation::Portrait;
    const SpreadsheetProgram program(m_seams.searchPath, m_seams.launcher);
    std::string error;
    if (program.IsAvailable()) {
        const QString name
            = FileName(source.titleCaption, source.IsPivot() ? QStringLiteral("Pivot") : QStringLiteral("Chart"));
        if (!WriteWorkbook(source, name + QStringLiteral(".xlsx"), orientation, error))
            return Fail(parent, error);
        QString opened;
        if (!program.Open(m_lastWorkbook, opened))
            return Fail(parent, opened.toStdString());
        return true;
    }
    if (!m_seams.canPreview())
        return FailNoProgram(parent);

    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setDocName(QString::fromStdString(source.titleCaption));
    // A chart's picture is drawn once, not on every repaint of the preview.
    PrintSource shown = source;
    if (source.chart) {
        QString noFile;
        QImage picture;
        if (!ChartPicture(source, noFile, picture, error))
            return Fail(parent, error);
        shown = PrintSource::Picture(picture);
    }
    std::string paintError;
    m_seams.preview(
        printer,
        [&](QPrinter& target) {
            std::string failed;
            if (!Paint(shown, target, failed) && paintError.empty())
                paintError = failed;
        },
        parent);
    if (!paintError.empty())
        return Fail(parent, paintError);
    return true;
}

bool OwcHelper::ExportData(const PrintSource& source, QWidget* parent)
{
    m_lastError.clear();
    m_lastWorkbook.clear();
    if (!source.IsPivot())
        return true;
    const SpreadsheetProgram program(m_seams.searchPath, m_seams.launcher);
    if (!program.IsAvailable())
        return FailNoProgram(parent);
    std::string error;
    const QString name = FileName(source.titleCaption, QStringLiteral("Pivot")) + QStringLiteral(".xlsx");
    if (!WriteWorkbook(source, name, Orientation::Default, error))
        return Fail(parent, error);
    QString opened;
    if (!program.Open(m_lastWorkbook, opened))
        return Fail(parent, opened.toStdString());
    return true;
}

bool OwcHelper::ExportDefinition(const std::string& definitionText,
    const std::function<bool(const std::string& text, std::string& error)>& saveReport, const PrintSource& source,
    [[maybe_unused]] QWidget* parent)
{
    m_lastError.clear();
    m_lastWorkbook.clear();
    std::string failures;
    auto passOver = [&](const std::string& error) {
        qWarning("export: %s", error.c_str());
        failures += (failures.empty() ? "" : "; ") + error;
    };
    if (saveReport) {
        std::string error;
        if (!saveReport(definitionText, error))
            passOver(error.empty() ? std::string("the report file was not written") : error);
    }
    if (source.IsPivot()) {
        const SpreadsheetProgram program(m_seams.searchPath, m_seams.launcher);
        std::string error;
        QString opened;
        // The pivot's own export keeps its plain form: the view as it shows, without the
        // print arrangement.
        const QString folder = NewWorkFolder(error);
        if (folder.isEmpty()) {
            passOver(error);
        } else {
            const QString path = QDir(folder).filePath(QStringLiteral("Export.xlsx"));
            try {
                pivot::PivotXlsxWriter::Write(*source.layout, path.toStdString());
                m_lastWorkbook = path;
                if (!program.Open(path, opened))
                    passOver(opened.toStdString());
            } catch (const std::exception& failure) {
                passOver(failure.what());
            }
        }
    }
    m_lastError = failures;
    return failures.empty();
}

} // namespace exporting
