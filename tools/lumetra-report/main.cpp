// lumetra-report: prints the MDX of a saved pivot definition, or renders the view it
// describes against its connection, for scheduled exports and tests.
#include "ReportFile.h"

#include "control/chart/ChartReport.h"
#include "control/pivot/PivotGrid.h"
#include "control/pivot/PivotSession.h"
#include "control/pivot/model/PivotError.h"
#include "control/pivot/model/PivotLayout.h"
#include "control/pivot/model/PivotMdxBuilder.h"
#include "control/pivot/model/PivotTextWriter.h"
#include "control/pivot/model/PivotXlsxWriter.h"
#include "control/pivot/model/PivotXml.h"
#include "control/vantorel/ReportFiles.h"
#include "control/vantorel/WindowsAnsi.h"
#include "olap/EngineVersion.h"
#include "olap/access/Connection.h"
#include "olap/access/LocalCubeProvider.h"
#include "olap/access/RecordsetCube.h"
#include "olap/model/Cube.h"
#include "olap/util/AtomicFile.h"
#include "platform/ProviderDrivers.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QScrollBar>

#include <exception>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace {

const char* const kUsage
    = "usage: lumetra-report mdx FILE\n"
      "       lumetra-report render FILE [--format csv|html|xlsx|png] [--out F]\n"
      "       lumetra-report render FILE --view chart [--format png|svg|gif] [--size WxH] --out F\n"
      "       lumetra-report --help | --version\n";

const char* const kHelp = "Prints the MDX of a saved pivot definition, or renders the view it describes.\n"
                          "\n"
                          "  mdx FILE      print the MDX statement the view asks its cube\n"
                          "  render FILE   open the view against its connection and write it as the grid\n"
                          "                shows it: csv (one line per grid row, header rows first,\n"
                          "                merged captions repeated), html (a table with merged headers)\n"
                          "                xlsx (a workbook with merged headers and number formats) or\n"
                          "                png (the painted grid, drawn offscreen)\n"
                          "  --format F    csv (default), html, xlsx or png (xlsx and png need --out)\n"
                          "  --out F       write to F (replaced whole, or left as it was on failure)\n"
                          "                instead of standard output\n"
                          "  --view V      table (default) or chart: the chart of the report pair, drawn\n"
                          "                with the look kept in the chart file beside FILE (Sales.xml ->\n"
                          "                SalesChart.xml) as png (default), svg or gif (PNG-encoded)\n"
                          "  --size WxH    the chart picture's size in pixels (default 800x400)\n"
                          "\n"
                          "Exit status 0 on success, 1 with a message on standard error otherwise.\n";

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Options {
    std::string command;
    std::string file;
    std::string format = "csv";
    std::string out;
    std::string view = "table";
    int width = 800;
    int height = 400;
};

//! "WxH" with both sides from 1 to 16384.
bool ParseSize(const std::string& text, int& width, int& height)
{
    const std::size_t x = text.find('x');
    if (x == std::string::npos)
        return false;
    try {
        std::size_t used = 0;
        width = std::stoi(text.substr(0, x), &used);
        if (used != x)
            return false;
        height = std::stoi(text.substr(x + 1), &used);
        if (used != text.size() - x - 1)
            return false;
    } catch (const std::exception&) {
        return false;
    }
    return width >= 1 && height >= 1 && width <= 16384 && height <= 16384;
}

Options ParseArguments(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                throw UsageError(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--format") {
            o.format = value();
            if (o.format != "csv" && o.format != "html" && o.format != "xlsx" && o.format != "png" && o.format != "svg"
                && o.format != "gif")
                throw UsageError("unknown --format '" + o.format + "' (csv, html, xlsx, png, svg or gif)");
        } else if (arg == "--view") {
            o.view = value();
            if (o.view != "table" && o.view != "chart")
                throw UsageError("unknown --view '" + o.view + "' (table or chart)");
        } else if (arg == "--size") {
            const std::string size = value();
            if (!ParseSize(size, o.width, o.height))
                throw UsageError("--size '" + size + "' is not WxH with sides from 1 to 16384");
        } else if (arg == "--out") {
            o.out = value();
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw UsageError("unknown option '" + arg + "'");
        } else if (o.command.empty()) {
            o.command = arg;
            if (o.command != "mdx" && o.command != "render")
                throw UsageError("unknown command '" + arg + "' (mdx or render)");
        } else if (o.file.empty()) {
            o.file = arg;
        } else {
            throw UsageError("unexpected argument '" + arg + "'");
        }
    }
    if (o.command.empty())
        throw UsageError("no command given");
    if (o.file.empty())
        throw UsageError(o.command + " needs a definition FILE");
    if (o.command == "mdx" && (!o.out.empty() || o.format != "csv" || o.view != "table"))
        throw UsageError("--format, --view and --out belong to render");
    if (o.view == "chart") {
        // A chart is a picture: png unless asked otherwise, always into a file.
        if (o.format == "csv")
            o.format = "png";
        if (o.format != "png" && o.format != "svg" && o.format != "gif")
            throw UsageError("--view chart draws png, svg or gif, not " + o.format);
        if (o.out.empty())
            throw UsageError("--view chart needs --out (a picture is not written to standard output)");
        return o;
    }
    if (o.format == "svg" || o.format == "gif")
        throw UsageError("--format " + o.format + " draws a chart: add --view chart");
    if ((o.format == "xlsx" || o.format == "png") && o.out.empty())
        throw UsageError("--format " + o.format + " needs --out (a binary file is not written to standard output)");
    return o;
}

std::string ReadReportText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read '" + path + "': no such file or no permission");
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        throw std::runtime_error("cannot read '" + path + "'");
    return text.str();
}

pivot::PivotDefinition ReadDefinition(const std::string& path, const std::string& text)
{
    try {
        return pivot::PivotXml::Read(lumetra_report::DefinitionText(text));
    } catch (const pivot::PivotError& e) {
        throw std::runtime_error("'" + path + "': " + e.what());
    }
}

//! A connection to the cube the report reads: for a report over a relational source, a cube
//! of the rows its SQL lines return (named as the definition's data member, as the control
//! names it); else the definition's own connection.
std::unique_ptr<olap::Connection> OpenSource(
    const Options& options, const std::string& text, const pivot::PivotDefinition& definition)
{
    olap::providers::SetDefaultProviderDriverLookup(platform::RegistryProviderDriver);
    QString sql;
    QString sqlConnection;
    if (vantorel::ReportFiles::SplitSqlLines(vantorel::WindowsAnsi::Decode(text), &sql, &sqlConnection)) {
        try {
            olap::Connection source;
            source.SetCursorLocation(static_cast<int>(olap::CursorLocation::Client));
            source.Open(sqlConnection.toStdString());
            const olap::recordset::Recordset rows = source.Execute(sql.toStdString());
            source.Close();
            const std::string cubeName = definition.dataMember.empty() ? "Query" : definition.dataMember;
            return std::make_unique<olap::Connection>(
                std::make_unique<olap::LocalCubeProvider>(olap::RecordsetCube::Build(rows, cubeName)));
        } catch (const std::exception& e) {
            throw std::runtime_error("cannot read the rows of '" + options.file + "': " + e.what());
        }
    }
    if (definition.connectionString.empty())
        throw std::runtime_error("'" + options.file + "' names no connection");
    try {
        return olap::Connection::Connect(definition.connectionString);
    } catch (const std::exception& e) {
        throw std::runtime_error("cannot open the source of '" + options.file + "': " + e.what());
    }
}

void Emit(const Options& options, const std::string& text)
{
    if (options.out.empty()) {
        std::cout << text;
        std::cout.flush();
        if (!std::cout)
            throw std::runtime_error("cannot write to standard output");
        return;
    }
    olap::WriteFileAtomically(options.out, text);
}

//! The grid as the widget paints it, whole, up to a size a PNG reader still opens.
void WritePng(const pivot::PivotDefinition& definition, pivot::PivotLayout layout, const std::string& path)
{
    constexpr int kMaxSide = 16000;
    // A scheduled export has no display: draw offscreen unless the caller chose a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "lumetra-report";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    pivot::PivotSession session;
    session.ShowLayout(definition, std::move(layout));
    pivot::PivotGrid grid(&session);
    grid.setFrameShape(QFrame::NoFrame);
    grid.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const QSize full = grid.FullSize();
    if (full.isEmpty())
        throw std::runtime_error("the view has no cells to draw");
    if (full.width() > kMaxSide || full.height() > kMaxSide)
        throw std::runtime_error("the view is too large for an image (" + std::to_string(full.width()) + " x "
            + std::to_string(full.height()) + " pixels, at most " + std::to_string(kMaxSide) + " a side)");
    grid.resize(full);
    // No current-cell frame in an export.
    grid.ClearSelection();
    const QImage image = grid.grab().toImage();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        throw std::runtime_error("cannot encode the grid as PNG");
    olap::WriteFileAtomically(path, std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

//! The chart of the report pair: the pivot file's view drawn with the sibling chart file's look.
void WriteChart(const Options& options, const pivot::PivotLayout& layout)
{
    const std::string chartFile = chart::ChartReport::SiblingChartName(options.file);
    if (chartFile.empty())
        throw std::runtime_error("'" + options.file + "' is too short a name to have a chart file beside it");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "lumetra-report";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    std::string error;
    if (!chart::ChartReport::Render(
            layout, chartFile, options.out, options.format, QSize(options.width, options.height), error))
        throw std::runtime_error(error);
}

int Run(const Options& options)
{
    const std::string text = ReadReportText(options.file);
    const pivot::PivotDefinition definition = ReadDefinition(options.file, text);
    const std::string mdx = pivot::PivotMdxBuilder::Build(definition);
    if (options.command == "mdx") {
        Emit(options, mdx + "\n");
        return 0;
    }
    const std::unique_ptr<olap::Connection> connection = OpenSource(options, text, definition);
    if (!connection->IsOlap())
        throw std::runtime_error("the source of '" + options.file + "' is not a cube");
    olap::QueryResult result = connection->ExecuteMdx(mdx);
    pivot::PivotLayout layout(definition, std::move(result.cellSet));
    if (options.view == "chart") {
        WriteChart(options, layout);
        return 0;
    }
    if (options.format == "xlsx") {
        pivot::PivotXlsxWriter::Write(layout, options.out);
        return 0;
    }
    if (options.format == "png") {
        WritePng(definition, std::move(layout), options.out);
        return 0;
    }
    Emit(
        options, options.format == "html" ? pivot::PivotTextWriter::Html(layout) : pivot::PivotTextWriter::Csv(layout));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage << "\n" << kHelp;
            return 0;
        }
        if (arg == "--version") {
            std::cout << "lumetra-report " << olap::EngineVersion() << "\n";
            return 0;
        }
    }
    Options options;
    try {
        options = ParseArguments(argc, argv);
    } catch (const UsageError& e) {
        std::cerr << "lumetra-report: " << e.what() << "\n" << kUsage;
        return 1;
    }
    try {
        return Run(options);
    } catch (const std::exception& e) {
        std::cerr << "lumetra-report: " << e.what() << "\n";
        return 1;
    }
}
