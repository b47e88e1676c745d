// The print and export actions with real widgets on the offscreen platform: the spreadsheet
// program found (or not) on a search path of our own, the messages, printing into a PDF
// through QPrinter, the print preview, and the chart picture.
#include "ExportTestView.h"
#include "support/ModalHelper.h"
#include "support/TestFiles.h"

#include "control/chart/ChartData.h"
#include "control/chart/ChartWidget.h"
#include "control/export/OwcHelper.h"
#include "control/export/PrintSheet.h"
#include "control/export/SheetPainter.h"

#include <QDir>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <unzip.h>

using exporting::ExportMessage;
using exporting::OwcHelper;
using exporting::PrintSource;
using exporting::SpreadsheetProgram;

namespace {

QByteArray ZipEntry(const QString& zip, const char* name)
{
    unzFile file = unzOpen(zip.toLocal8Bit().constData());
    if (!file)
        return {};
    QByteArray text;
    if (unzLocateFile(file, name, 0) == UNZ_OK && unzOpenCurrentFile(file) == UNZ_OK) {
        char buffer[4096];
        int n = 0;
        while ((n = unzReadCurrentFile(file, buffer, sizeof buffer)) > 0)
            text.append(buffer, n);
        unzCloseCurrentFile(file);
    }
    unzClose(file);
    return text;
}

//! An executable shell script NAME in FOLDER running BODY.
void WriteScript(const QString& folder, const QString& name, const QByteArray& body)
{
    const QString path = QDir(folder).filePath(name);
    WriteFile(path, "#!/bin/sh\n" + body + "\n");
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
}

int PdfPages(const QByteArray& pdf)
{
    return static_cast<int>(pdf.count("/Type /Page\n") + pdf.count("/Type /Page>") + pdf.count("/Type /Page "));
}

chart::ChartData SmallChartData()
{
    const ExportTestView view = ExportTestView::Make(3, "Chart");
    return chart::ChartData::FromLayout(view.layout);
}

} // namespace

class OwcHelperTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_root.isValid());
        m_messages.clear();
        m_bin = QDir(m_root.path()).filePath(QStringLiteral("bin-%1").arg(++m_round));
        QVERIFY(QDir().mkpath(m_bin));
    }

    void programLookup_data()
    {
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        const QStringList calcArgs {QStringLiteral("--calc"), QStringLiteral("-n")};
        QTest::addRow("nothing installed") << QStringList() << QString() << QStringList();
        QTest::addRow("localc") << QStringList {"localc"} << "localc" << QStringList {"-n"};
        QTest::addRow("localc before soffice") << QStringList {"soffice", "localc"} << "localc" << QStringList {"-n"};
        QTest::addRow("libreoffice") << QStringList {"libreoffice"} << "libreoffice" << calcArgs;
        QTest::addRow("soffice") << QStringList {"soffice"} << "soffice" << calcArgs;
        QTest::addRow("desktop default for xlsx")
            << QStringList {"xdg-open", "xdg-mime"} << "xdg-open" << QStringList();
        QTest::addRow("xdg-open without a default application")
            << QStringList {"xdg-open", "xdg-mime-none"} << QString() << QStringList();
    }

    void programLookup()
    {
        QFETCH(QStringList, installed);
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        for (const QString& name : installed) {
            if (name == QLatin1String("xdg-mime"))
                WriteScript(m_bin, name, "echo libreoffice-calc.desktop");
            else if (name == QLatin1String("xdg-mime-none"))
                WriteScript(m_bin, QStringLiteral("xdg-mime"), "exit 0");
            else
                WriteScript(m_bin, name, "exit 0");
        }
        const SpreadsheetProgram found(m_bin);
        QCOMPARE(found.IsAvailable(), !program.isEmpty());
        QCOMPARE(QFileInfo(found.Program()).fileName(), program);
        QCOMPARE(found.Arguments(), arguments);
    }

    void previewOpensTheWorkbookInTheSpreadsheetProgram()
    {
        WriteScript(m_bin, QStringLiteral("localc"), "printf '%s\\n' \"$@\" > \"$(dirname \"$0\")/args.txt\"");
        const ExportTestView view = ExportTestView::Make(2, "Sales/Year");
        OwcHelper helper(Seams(m_bin));
        QVERIFY2(helper.Preview(PrintSource::Pivot(view.definition, view.layout), true, nullptr),
            helper.LastError().c_str());
        QVERIFY(m_messages.isEmpty());
        const QString workbook = helper.LastWorkbook();
        QCOMPARE(QFileInfo(workbook).fileName(), QStringLiteral("Sales_Year.xlsx"));
        QVERIFY(workbook.startsWith(m_root.path() + QStringLiteral("/lumetra-export-")));
        QCOMPARE(QFileInfo(QFileInfo(workbook).path()).permissions() & (QFile::ReadOther | QFile::ReadGroup),
            QFile::Permissions());
        const QString args = QDir(m_bin).filePath(QStringLiteral("args.txt"));
        QTRY_VERIFY(QFile::exists(args) && !ReadFile(args).isEmpty());
        QCOMPARE(ReadFile(args), "-n\n" + workbook.toUtf8() + "\n");
        const QByteArray sheet = ZipEntry(workbook, "xl/worksheets/sheet1.xml");
        QVERIFY(sheet.contains("orientation=\"landscape\""));
        QVERIFY(sheet.contains("<oddHeader>&amp;CSales/Year</oddHeader>"));
        QVERIFY(ZipEntry(workbook, "xl/workbook.xml").contains("Pivot!$A:$B,Pivot!$1:$6"));
    }

    void exportDataLeavesTheOrientationToTheProgram()
    {
        WriteScript(m_bin, QStringLiteral("soffice"), "exit 0");
        const ExportTestView view = ExportTestView::Make(1, "");
        OwcHelper helper(Seams(m_bin));
        QVERIFY(helper.ExportData(PrintSource::Pivot(view.definition, view.layout), nullptr));
        QCOMPARE(QFileInfo(helper.LastWorkbook()).fileName(), QStringLiteral("Pivot.xlsx"));
        const QByteArray sheet = ZipEntry(helper.LastWorkbook(), "xl/worksheets/sheet1.xml");
        QVERIFY(!sheet.contains("orientation="));
        QVERIFY(sheet.contains("<printOptions gridLines=\"1\"/>"));
        // Only a pivot view is exported.
        QVERIFY(helper.ExportData(PrintSource::Picture(QImage(4, 4, QImage::Format_RGB32)), nullptr));
        QVERIFY(helper.LastWorkbook().isEmpty());
    }

    void noSpreadsheetProgramMessage_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addRow("preview without a preview window") << "preview";
        QTest::addRow("export data") << "export data";
    }

    void noSpreadsheetProgramMessage()
    {
        QFETCH(QString, action);
        const ExportTestView view = ExportTestView::Make(1, "T");
        OwcHelper::Seams seams = Seams(QString());
        seams.canPreview = [] { return false; };
        OwcHelper helper(seams);
        const PrintSource source = PrintSource::Pivot(view.definition, view.layout);
        QVERIFY(!(action == QLatin1String("preview") ? helper.Preview(source, false, nullptr)
                                                     : helper.ExportData(source, nullptr)));
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].kind, ExportMessage::Kind::NoSpreadsheetProgram);
        QCOMPARE(m_messages[0].title, QApplication::applicationDisplayName());
        QCOMPARE(m_messages[0].text,
            QStringLiteral("Unable to create the Excel.Appliation object! This could be for one of the following "
                           "reasons:\r\r\r\n    - Excel is not installed on this system.\r\n"
                           "    - Excel is not registered properly."));
        QVERIFY(helper.LastWorkbook().isEmpty());
    }

    void defaultMessageBoxBreaksLinesAtCarriageReturns()
    {
        OwcHelper::Seams seams = Seams(QString());
        seams.showMessage = nullptr;
        seams.canPreview = [] { return false; };
        OwcHelper helper(seams);
        const ExportTestView view = ExportTestView::Make(1, "T");
        QString text;
        QString title;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        WhenModalShows([&](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                title = box->windowTitle();
                icon = box->icon();
            }
            ClickMessageBoxButton(modal, QMessageBox::Ok, &text);
        });
        QVERIFY(!helper.ExportData(PrintSource::Pivot(view.definition, view.layout), nullptr));
        QCOMPARE(icon, QMessageBox::Critical);
        QCOMPARE(title, QApplication::applicationDisplayName());
        QCOMPARE(text,
            QStringLiteral("Unable to create the Excel.Appliation object! This could be for one of the following "
                           "reasons:\n\n\n    - Excel is not installed on this system.\n"
                           "    - Excel is not registered properly."));
    }

    void failuresShowTheHelperLibraryMessage()
    {
        WriteScript(m_bin, QStringLiteral("localc"), "exit 0");
        const ExportTestView view = ExportTestView::Make(1, "T");
        OwcHelper::Seams seams = Seams(m_bin);
        seams.makePrinter = [] { return std::unique_ptr<QPrinter>(); };
        seams.workRoot = QDir(m_root.path()).filePath(QStringLiteral("no-such-folder"));
        OwcHelper helper(seams);
        const PrintSource source = PrintSource::Pivot(view.definition, view.layout);
        QVERIFY(!helper.Print(source, false, nullptr));
        QVERIFY(!helper.Preview(source, false, nullptr));
        QCOMPARE(m_messages.size(), 2);
        for (const ExportMessage& message : m_messages) {
            QCOMPARE(message.kind, ExportMessage::Kind::Failure);
            QCOMPARE(message.title, QStringLiteral("OWC Helper Library"));
            QVERIFY2(message.text.startsWith(QStringLiteral("Encountered the following error:\n")),
                qPrintable(message.text));
        }
        QVERIFY(m_messages[0].text.contains(QStringLiteral("no printer")));
        QVERIFY(m_messages[1].text.contains(QStringLiteral("work folder")));
    }

    void printGoesToThePrinterWithoutAWindow_data()
    {
        QTest::addColumn<bool>("landscape");
        QTest::addRow("portrait") << false;
        QTest::addRow("landscape") << true;
    }

    void printGoesToThePrinterWithoutAWindow()
    {
        QFETCH(bool, landscape);
        const ExportTestView view = ExportTestView::Make(60, "Sales by year");
        const QString pdf = QDir(m_root.path()).filePath(QStringLiteral("out-%1.pdf").arg(m_round));
        WriteScript(m_bin, QStringLiteral("localc"), "touch \"$(dirname \"$0\")/started\"");
        OwcHelper::Seams seams = Seams(m_bin);
        seams.makePrinter = [pdf] {
            auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(pdf);
            printer->setPageSize(QPageSize(QPageSize::A4));
            return printer;
        };
        OwcHelper helper(seams);
        QVERIFY2(helper.Print(PrintSource::Pivot(view.definition, view.layout), landscape, nullptr),
            helper.LastError().c_str());
        QVERIFY(m_messages.isEmpty());
        QVERIFY(QApplication::topLevelWidgets().isEmpty() || !QApplication::activeModalWidget());
        const QByteArray bytes = ReadFile(pdf);
        QVERIFY(bytes.startsWith("%PDF"));

        QPrinter reference(QPrinter::HighResolution);
        reference.setOutputFormat(QPrinter::PdfFormat);
        reference.setPageSize(QPageSize(QPageSize::A4));
        reference.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        const exporting::PrintSheet sheet(view.layout, view.definition,
            exporting::PrintViewShape::Of(view.definition, true, true, true), "Sales by year");
        const int pages = exporting::SheetPainter::PageCount(sheet, reference);
        QVERIFY(pages > 1);
        QCOMPARE(PdfPages(bytes), pages);
        const QRegularExpressionMatch box
            = QRegularExpression(QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]"))
                  .match(QString::fromLatin1(bytes));
        QVERIFY(box.hasMatch());
        QCOMPARE(box.captured(1).toDouble() > box.captured(2).toDouble(), landscape);
        // Printing never starts the spreadsheet program nor leaves a workbook.
        QTest::qWait(100);
        QVERIFY(!QFile::exists(QDir(m_bin).filePath(QStringLiteral("started"))));
        QVERIFY(helper.LastWorkbook().isEmpty());
    }

    void pageCodesExpand()
    {
        QCOMPARE(exporting::SheetPainter::ExpandCodes("Page &P of &N", 2, 7), QStringLiteral("Page 2 of 7"));
        QCOMPARE(exporting::SheetPainter::ExpandCodes("A && B &", 1, 1), QStringLiteral("A & B &"));
    }

    void previewWithoutSpreadsheetProgramShowsThePages()
    {
        const ExportTestView view = ExportTestView::Make(40, "Sales by year");
        OwcHelper helper(Seams(QString()));
        int pages = 0;
        WhenModalShows([&](QWidget* modal) {
            auto* dialog = qobject_cast<QPrintPreviewDialog*>(modal);
            QVERIFY(dialog);
            dialog->resize(900, 700);
            auto* widget = dialog->findChild<QPrintPreviewWidget*>();
            QVERIFY(widget);
            widget->setZoomFactor(0.6);
            QTest::qWait(50);
            pages = widget->pageCount();
            const QString shot = qEnvironmentVariable("EXPORT_PREVIEW_SHOT");
            if (!shot.isEmpty()) {
                dialog->grab().save(shot);
                widget->setCurrentPage(2);
                QTest::qWait(50);
                dialog->grab().save(QString(shot).replace(QStringLiteral(".png"), QStringLiteral("-2.png")));
            }
            dialog->reject();
        });
        QVERIFY2(helper.Preview(PrintSource::Pivot(view.definition, view.layout), false, nullptr),
            helper.LastError().c_str());
        QVERIFY(m_messages.isEmpty());
        QVERIFY(pages > 1);
        QVERIFY(helper.LastWorkbook().isEmpty());
    }

    void chartPrintsItsPicture()
    {
        chart::ChartWidget widget;
        widget.SetData(SmallChartData());
        widget.resize(400, 300);
        WriteScript(m_bin, QStringLiteral("localc"), "exit 0");
        OwcHelper helper(Seams(m_bin));
        QVERIFY2(helper.Preview(PrintSource::Chart(widget), true, nullptr), helper.LastError().c_str());
        const QString workbook = helper.LastWorkbook();
        QCOMPARE(QFileInfo(workbook).fileName(), QStringLiteral("Chart.xlsx"));
        QVERIFY(ZipEntry(workbook, "xl/media/image1.png").startsWith("\x89PNG"));
        const QByteArray sheet = ZipEntry(workbook, "xl/worksheets/sheet1.xml");
        QVERIFY(sheet.contains("orientation=\"landscape\""));
        QVERIFY(sheet.contains("<oddFooter>&amp;CPage &amp;P of &amp;N</oddFooter>"));
        // Only the workbook stays: the picture went to a private file that is gone.
        QCOMPARE(QDir(QFileInfo(workbook).path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
            QStringList {QStringLiteral("Chart.xlsx")});
        QCOMPARE(QDir(m_root.path()).entryList({QStringLiteral("lumetra-chart-*")}, QDir::Dirs), QStringList());

        const QString pdf = QDir(m_root.path()).filePath(QStringLiteral("chart.pdf"));
        OwcHelper::Seams seams = Seams(QString());
        seams.makePrinter = [pdf] {
            auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(pdf);
            return printer;
        };
        OwcHelper printer(seams);
        QVERIFY2(printer.Print(PrintSource::Chart(widget), false, nullptr), printer.LastError().c_str());
        QCOMPARE(PdfPages(ReadFile(pdf)), 1);

        // Without a spreadsheet program the preview shows the picture on one landscape page.
        int pages = 0;
        QPageLayout::Orientation orientation = QPageLayout::Portrait;
        WhenModalShows([&](QWidget* modal) {
            auto* widget = modal->findChild<QPrintPreviewWidget*>();
            QVERIFY(widget);
            modal->resize(900, 700);
            QTest::qWait(50);
            pages = widget->pageCount();
            orientation = widget->orientation();
            const QString shot = qEnvironmentVariable("EXPORT_CHART_SHOT");
            if (!shot.isEmpty())
                modal->grab().save(shot);
            qobject_cast<QDialog*>(modal)->reject();
        });
        OwcHelper previewer(Seams(QString()));
        QVERIFY2(previewer.Preview(PrintSource::Chart(widget), true, nullptr), previewer.LastError().c_str());
        QCOMPARE(pages, 1);
        QCOMPARE(orientation, QPageLayout::Landscape);
    }

    void exportDefinitionPassesOverFailures()
    {
        WriteScript(m_bin, QStringLiteral("localc"), "exit 0");
        const ExportTestView view = ExportTestView::Make(1, "T");
        OwcHelper helper(Seams(m_bin));
        std::string saved;
        const auto save = [&saved](const std::string& text, std::string&) {
            saved = text;
            return true;
        };
        QVERIFY(helper.ExportDefinition("<xml/>", save, PrintSource::Pivot(view.definition, view.layout), nullptr));
        QCOMPARE(saved, std::string("<xml/>"));
        QCOMPARE(QFileInfo(helper.LastWorkbook()).fileName(), QStringLiteral("Export.xlsx"));

        const auto refuse = [](const std::string&, std::string& error) {
            error = "disk full";
            return false;
        };
        OwcHelper bare(Seams(QString()));
        QVERIFY(!bare.ExportDefinition("<xml/>", refuse, PrintSource::Pivot(view.definition, view.layout), nullptr));
        QVERIFY(m_messages.isEmpty());
        QVERIFY2(bare.LastError().find("disk full") != std::string::npos, bare.LastError().c_str());
        QVERIFY2(bare.LastError().find("no spreadsheet program") != std::string::npos, bare.LastError().c_str());
        // The export was still written after the report file failed.
        QVERIFY(QFile::exists(bare.LastWorkbook()));
    }

private:
    OwcHelper::Seams Seams(const QString& searchPath)
    {
        OwcHelper::Seams seams;
        seams.searchPath = searchPath;
        seams.showMessage = [this](const ExportMessage& message, QWidget*) { m_messages.append(message); };
        seams.workRoot = m_root.path();
        return seams;
    }

    QTemporaryDir m_root;
    QString m_bin;
    int m_round = 0;
    QList<ExportMessage> m_messages;
};

QTEST_MAIN(OwcHelperTest)
#include "OwcHelperTest.moc"
