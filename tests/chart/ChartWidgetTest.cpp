// The chart widget on the offscreen platform: following data changes in the same chart
// object, the type table as the cycling uses it, legend, definition text put and refused,
// gaps, tooltips, and pictures read back.
#include "control/chart/ChartWidget.h"
#include "control/chart/ChartBuilder.h"
#include "control/chart/ChartPicture.h"
#include "control/chart/ChartReport.h"
#include "control/chart/ChartTypeTable.h"
#include "control/chart/ChartXml.h"
#include "control/pivot/model/PivotLayout.h"

#include <QAbstractBarSeries>
#include <QCategoryAxis>
#include <QChart>
#include <QComboBox>
#include <QGraphicsView>
#include <QLegend>
#include <QLineEdit>
#include <QLineSeries>
#include <QPainter>
#include <QPieSeries>
#include <QSignalSpy>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

#include <set>

using chart::ChartData;
using chart::ChartSeries;
using chart::ChartWidget;

namespace {

ChartData Sample(int seriesCount = 2)
{
    std::vector<ChartSeries> series;
    for (int s = 0; s < seriesCount; ++s) {
        ChartSeries one {"S" + std::to_string(s), {}, {}};
        for (int c = 0; c < 4; ++c) {
            one.values.push_back(10.0 * (s + 1) + c);
            one.texts.push_back("$" + std::to_string(10 * (s + 1) + c) + ".00");
        }
        series.push_back(one);
    }
    return ChartData({"Drink - Juice", "Drink - Beer", "Food", "Other"}, series, "Sales");
}

int DistinctColours(const QImage& image)
{
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); y += 4) {
        for (int x = 0; x < image.width(); x += 4)
            colours.insert(image.pixel(x, y));
    }
    return static_cast<int>(colours.size());
}

} // namespace

class ChartWidgetTest : public QObject {
    Q_OBJECT

private slots:
    void followsDataInTheSameChart()
    {
        ChartWidget widget;
        QChart* chart = widget.Chart();
        widget.SetData(Sample(2));
        QCOMPARE(widget.Chart(), chart);
        QCOMPARE(chart->series().size(), 1); // one bar series holding a set per data series
        widget.SetChartTypeNumber(static_cast<int>(chart::ChartType::Line));
        QCOMPARE(chart->series().size(), 2);
        widget.SetData(Sample(3));
        QCOMPARE(widget.Chart(), chart);
        QCOMPARE(chart->series().size(), 3);
    }

    void typeTableAsTheCyclingUsesIt_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<bool>("accepted");
        QTest::addRow("first type") << 0 << true;
        QTest::addRow("doughnut") << 13 << true;
        QTest::addRow("last type") << chart::ChartTypeTable::Count() - 1 << true;
        QTest::addRow("one past the last") << chart::ChartTypeTable::Count() << false;
        QTest::addRow("negative") << -1 << false;
    }
    void typeTableAsTheCyclingUsesIt()
    {
        QFETCH(int, number);
        QFETCH(bool, accepted);
        ChartWidget widget;
        widget.SetData(Sample());
        QVERIFY(widget.SetChartTypeNumber(4));
        QCOMPARE(widget.SetChartTypeNumber(number), accepted);
        QCOMPARE(widget.ChartTypeNumber(), accepted ? number : 4);
        QCOMPARE(widget.LastError().empty(), accepted);
    }

    void everyTypeDraws()
    {
        ChartWidget widget;
        ChartData data = Sample();
        for (int number = 0; number < chart::ChartTypeTable::Count(); ++number) {
            QVERIFY(widget.SetChartTypeNumber(number));
            widget.SetData(data);
            QVERIFY2(!widget.Chart()->series().isEmpty(), qPrintable(QString::number(number)));
        }
        widget.SetData(ChartData()); // nothing to draw must not fail either
        QVERIFY(widget.Chart()->series().size() <= 1);
    }

    void legendToggles()
    {
        ChartWidget widget;
        widget.SetData(Sample());
        QVERIFY(!widget.Chart()->legend()->isVisible());
        widget.ShowLegend();
        QVERIFY(widget.Chart()->legend()->isVisible());
        QVERIFY(widget.DefinitionText().find("<x:HasLegend />") != std::string::npos);
        widget.SetHasLegend(false);
        QVERIFY(!widget.Chart()->legend()->isVisible());
    }

    void combinationsDrawTheLastSeriesAsALine_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("seriesCount");
        QTest::addColumn<int>("barSets");
        QTest::addColumn<int>("lines");
        QTest::addRow("columns and a line") << int(chart::ChartType::ColumnLine) << 3 << 2 << 1;
        QTest::addRow("with markers") << int(chart::ChartType::ColumnLineMarkers) << 2 << 1 << 1;
        QTest::addRow("stacked columns and a line") << int(chart::ChartType::ColumnStackedLine) << 3 << 2 << 1;
        QTest::addRow("one series: columns only") << int(chart::ChartType::ColumnLine) << 1 << 1 << 0;
    }
    void combinationsDrawTheLastSeriesAsALine()
    {
        QFETCH(int, type);
        QFETCH(int, seriesCount);
        QFETCH(int, barSets);
        QFETCH(int, lines);
        ChartWidget widget;
        QVERIFY(widget.SetChartTypeNumber(type));
        widget.SetData(Sample(seriesCount));
        int sets = 0;
        int lineSeries = 0;
        for (QAbstractSeries* series : widget.Chart()->series()) {
            if (auto* bars = qobject_cast<QAbstractBarSeries*>(series))
                sets += static_cast<int>(bars->count());
            if (auto* line = qobject_cast<QLineSeries*>(series)) {
                ++lineSeries;
                QCOMPARE(line->name(), QString::fromStdString("S" + std::to_string(seriesCount - 1)));
                QCOMPARE(line->pointsVisible(), type == int(chart::ChartType::ColumnLineMarkers));
            }
        }
        QCOMPARE(sets, barSets);
        QCOMPARE(lineSeries, lines);
    }

    void valueAxisSpeaksThePivotsFormat()
    {
        ChartWidget widget;
        widget.SetData(Sample(2)); // texts "$10.00" ... "$23.00"
        QCOMPARE(widget.Data().ValueFormat(), std::string("\"$\"#,##0.00"));
        auto* axis = qobject_cast<QCategoryAxis*>(widget.Chart()->axes(Qt::Vertical).value(0));
        QVERIFY(axis);
        const QStringList labels = axis->categoriesLabels();
        QVERIFY(labels.size() >= 3);
        QCOMPARE(labels.first(), QStringLiteral("$0.00"));
        for (const QString& label : labels)
            QVERIFY2(label.startsWith('$') && label.endsWith(".00"), qPrintable(label));
        QVERIFY(axis->max() >= 23);
        // 100% stacks keep Qt's own percent axis.
        QVERIFY(widget.SetChartTypeNumber(int(chart::ChartType::ColumnStacked100)));
        QVERIFY(!qobject_cast<QCategoryAxis*>(widget.Chart()->axes(Qt::Vertical).value(0)));
    }

    void crowdedCaptionsStandUprightAndWhole()
    {
        ChartWidget widget;
        widget.SetData(Sample()); // four short captions fit side by side
        QAbstractAxis* few = widget.Chart()->axes(Qt::Horizontal).value(0);
        QVERIFY(few);
        QCOMPARE(few->labelsAngle(), 0);
        std::vector<std::string> categories;
        for (int c = 0; c < 12; ++c)
            categories.push_back("2024 - Quarter " + std::to_string(c));
        widget.SetData(ChartData(categories, {{"S", std::vector<std::optional<double>>(12, 1.0), {}}}));
        QAbstractAxis* many = widget.Chart()->axes(Qt::Horizontal).value(0);
        QCOMPARE(many->labelsAngle(), -90);
        // Whole while the view has room for them; shortened, not cut off, in a short view.
        widget.resize(600, 500);
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        QTRY_VERIFY(!many->truncateLabels());
        widget.resize(600, 120);
        QTRY_VERIFY(many->truncateLabels());
        widget.resize(600, 500);
        QTRY_VERIFY(!many->truncateLabels());
    }

    void commandsAndFonts()
    {
        ChartWidget widget;
        widget.SetData(ChartData({"a", "b", "c"}, {{"S", {2.0, 3.0, 1.0}, {}}}));
        QVERIFY(widget.ExecuteCommand(chart::ChartCommand::SortDescending));
        QCOMPARE(widget.Data().Categories(), (std::vector<std::string> {"b", "a", "c"}));
        // The order holds for the next data too, and is part of the look.
        widget.SetData(ChartData({"x", "y"}, {{"S", {1.0, 9.0}, {}}}));
        QCOMPARE(widget.Data().Categories(), (std::vector<std::string> {"y", "x"}));
        QVERIFY(widget.DefinitionText().find("<x:Sort>Descending</x:Sort>") != std::string::npos);
        QVERIFY(widget.ExecuteCommand(chart::ChartCommand::SortAscending));
        QCOMPARE(widget.Data().Categories(), (std::vector<std::string> {"x", "y"}));

        QVERIFY(!widget.ExecuteCommand(chart::ChartCommand::CreateCalculatedTotal));
        QVERIFY(!widget.LastError().empty());
        QVERIFY(widget.ExecuteCommand(chart::ChartCommand::ShowLegend));
        QVERIFY(widget.HasLegend());

        widget.SetFont("DejaVu Sans Mono", 13);
        QCOMPARE(widget.Chart()->legend()->font().pointSizeF(), 13.0);
        QCOMPARE(widget.Chart()->titleFont().family(), QStringLiteral("DejaVu Sans Mono"));
        QCOMPARE(widget.Axes().size(), std::size_t {2});
        for (chart::ChartAxisFont::Axis axis : widget.Axes()) {
            if (axis == chart::ChartAxisFont::Axis::Value)
                widget.SetAxisFont(axis, "DejaVu Serif", 9);
        }
        QCOMPARE(widget.Chart()->axes(Qt::Vertical).value(0)->labelsFont().family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(widget.Chart()->axes(Qt::Horizontal).value(0)->labelsFont().pointSizeF(), 13.0);
        QVERIFY(widget.SetChartTypeNumber(int(chart::ChartType::Pie)));
        QVERIFY(widget.Axes().empty());
    }

    void ownToolbarAndPropertyToolbox()
    {
        ChartWidget widget;
        widget.SetData(Sample());
        widget.show();
        auto* toolbar = widget.findChild<QToolBar*>(QStringLiteral("chartToolbar"));
        auto* toolbox = widget.findChild<QWidget*>(QStringLiteral("chartPropertyToolbox"));
        QVERIFY(toolbar && toolbox);
        QVERIFY(!widget.DisplayToolbar() && !widget.DisplayPropertyToolbox());
        widget.SetDisplayToolbar(!widget.DisplayToolbar());
        QVERIFY(widget.DisplayToolbar() && toolbar->isVisible());

        auto* type = toolbar->findChild<QComboBox*>(QStringLiteral("chartTypeCombo"));
        QVERIFY(type);
        type->setCurrentIndex(int(chart::ChartType::Doughnut));
        QCOMPARE(widget.ChartTypeNumber(), int(chart::ChartType::Doughnut));
        QVERIFY(widget.SetChartTypeNumber(int(chart::ChartType::Line)));
        QCOMPARE(type->currentIndex(), int(chart::ChartType::Line)); // the toolbar follows

        widget.SetDisplayPropertyToolbox(true);
        QVERIFY(toolbox->isVisible());
        auto* title = toolbox->findChild<QLineEdit*>(QStringLiteral("titleEdit"));
        QVERIFY(title);
        title->setText(QStringLiteral("Units by year"));
        emit title->editingFinished();
        QCOMPARE(widget.Definition().title, std::string("Units by year"));
        QCOMPARE(widget.Chart()->title(), QStringLiteral("Units by year"));
        QCOMPARE(widget.ChartTypeNumber(), int(chart::ChartType::Line)); // nothing else changed
    }

    void definitionPutAfterRebindingRestoresTheLook()
    {
        ChartWidget first;
        first.SetData(Sample());
        QVERIFY(first.SetChartTypeNumber(static_cast<int>(chart::ChartType::AreaStacked)));
        first.ShowLegend();
        first.SetAxisFont(chart::ChartAxisFont::Axis::Value, "DejaVu Sans", 11);
        const std::string text = first.DefinitionText();

        ChartWidget second;
        second.SetData(Sample());
        QVERIFY(second.PutDefinitionText(text));
        QCOMPARE(second.DefinitionText(), text);
        QCOMPARE(second.ChartTypeNumber(), static_cast<int>(chart::ChartType::AreaStacked));
        QVERIFY(second.Chart()->legend()->isVisible());
    }

    void aWidgetOnAKeptModelShowsTheChartAsItWas()
    {
        std::shared_ptr<chart::ChartModel> model;
        std::string text;
        {
            ChartWidget first;
            model = first.Model();
            first.SetData(Sample());
            QVERIFY(first.SetChartTypeNumber(static_cast<int>(chart::ChartType::Doughnut)));
            first.ShowLegend();
            first.SetFont("DejaVu Sans", 12);
            first.SetAxisFont(chart::ChartAxisFont::Axis::Category, "DejaVu Serif", 9);
            chart::ChartDefinition look = first.Definition();
            look.palette[30] = "#abcdef";
            first.SetDefinition(look);
            QVERIFY(first.SetOption(ChartWidget::kFollowDataSource, false));
            first.SetEnableEvents(false);
            first.SetDisplayToolbar(true);
            text = first.DefinitionText();
        }
        ChartWidget second(model);
        QCOMPARE(second.DefinitionText(), text);
        QCOMPARE(second.ChartTypeNumber(), static_cast<int>(chart::ChartType::Doughnut));
        QVERIFY(second.Chart()->legend()->isVisible());
        QCOMPARE(second.Chart()->legend()->font().pointSizeF(), 12.0);
        QVERIFY(!second.Option(ChartWidget::kFollowDataSource));
        QVERIFY(!second.EnableEvents());
        QVERIFY(second.DisplayToolbar());
        auto* type = second.findChild<QComboBox*>(QStringLiteral("chartTypeCombo"));
        QVERIFY(type);
        QCOMPARE(type->currentIndex(), static_cast<int>(chart::ChartType::Doughnut)); // the toolbar agrees
        // A widget without a model of its own starts as a new chart.
        ChartWidget fresh;
        QCOMPARE(fresh.DefinitionText(), chart::ChartXml::DefaultText());
        QVERIFY(fresh.Model() != model);
    }

    void damagedDefinitionKeepsTheChart()
    {
        ChartWidget widget;
        widget.SetData(Sample());
        widget.SetChartTypeNumber(7);
        const std::string before = widget.DefinitionText();
        QVERIFY(!widget.PutDefinitionText("<xml xmlns:x=\"urn:schemas-microsoft-com:office:excel\"><x:ChartSpace>"));
        QVERIFY(widget.LastError().find("chart definition") != std::string::npos);
        QCOMPARE(widget.DefinitionText(), before);
    }

    void gapsBreakLines()
    {
        ChartData data({"a", "b", "c", "d"}, {{"S", {1.0, std::nullopt, 3.0, 4.0}, {"1", "", "3", "4"}}});
        ChartWidget widget;
        widget.SetChartTypeNumber(static_cast<int>(chart::ChartType::Line));
        widget.SetData(data);
        QCOMPARE(widget.Chart()->series().size(), 2); // a run before the gap and one after
        auto* after = qobject_cast<QLineSeries*>(widget.Chart()->series().at(1));
        QVERIFY(after);
        QCOMPARE(after->count(), 2);
    }

    void pieShowsTheFirstSeries()
    {
        ChartData data({"a", "b", "c"}, {{"S", {1.0, std::nullopt, 3.0}, {}}, {"T", {5.0, 6.0, 7.0}, {}}});
        ChartWidget widget;
        widget.SetChartTypeNumber(static_cast<int>(chart::ChartType::Pie));
        widget.SetData(data);
        QCOMPARE(widget.Chart()->series().size(), 1);
        auto* pie = qobject_cast<QPieSeries*>(widget.Chart()->series().at(0));
        QVERIFY(pie);
        QCOMPARE(pie->count(), 2); // the gap has no slice
    }

    void tooltipsNameBothCaptionsAndTheExactValue()
    {
        const ChartData data({"Food"},
            {{"Units",
                 {
                     1234.5,
                 },
                 {"1,234.50"}},
                {"Cost", {std::nullopt}, {""}}});
        QCOMPARE(chart::ChartBuilder::TooltipText(data, 0, 0), QStringLiteral("Units\nFood: 1,234.50"));
        QCOMPARE(chart::ChartBuilder::TooltipText(data, 1, 0), QStringLiteral("Cost\nFood: (empty)"));
        QCOMPARE(chart::ChartBuilder::TooltipText(data, 2, 0), QString());
    }

    void defaultPaletteIsReplacedByAStoredOne()
    {
        chart::ChartDefinition definition;
        const QColor readable = chart::ChartBuilder::SeriesColour(definition, 0);
        QVERIFY(readable != QColor(Qt::black));
        definition.palette[24] = "#123456";
        QCOMPARE(chart::ChartBuilder::SeriesColour(definition, 0), QColor("#123456"));
    }

    void picturesReadBack_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addRow("png") << "png";
        QTest::addRow("gif request gives a picture Qt reads") << "gif";
    }
    void picturesReadBack()
    {
        QFETCH(QString, format);
        QTemporaryDir dir;
        const QString path = dir.filePath("Bild." + format);
        ChartWidget widget;
        widget.SetData(Sample());
        widget.ShowLegend();
        QVERIFY2(widget.ExportPicture(path.toStdString(), format.toStdString(), QSize(800, 400)),
            widget.LastError().c_str());
        QImage image;
        QVERIFY(image.load(path));
        QCOMPARE(image.size(), QSize(800, 400));
        QVERIFY(DistinctColours(image) > 3); // background, text and at least two series colours
    }

    void svgReadsBack()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("chart.svg");
        ChartWidget widget;
        widget.SetData(Sample());
        QVERIFY2(widget.ExportPicture(path.toStdString(), "SVG", QSize(640, 480)), widget.LastError().c_str());
        QSvgRenderer renderer(path);
        QVERIFY(renderer.isValid());
        QCOMPARE(renderer.viewBox(), QRect(0, 0, 640, 480));
        QImage image(640, 480, QImage::Format_ARGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        QVERIFY(DistinctColours(image) > 3);
    }

    void exportFailuresKeepTheFile_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("message");
        QTest::addRow("unknown format") << "bmp" << QSize(10, 10) << "formats are png, gif and svg";
        QTest::addRow("empty size") << "png" << QSize(0, 10) << "each side";
        QTest::addRow("huge size") << "png" << QSize(100000, 10) << "each side";
    }
    void exportFailuresKeepTheFile()
    {
        QFETCH(QString, format);
        QFETCH(QSize, size);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath("kept.png");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("old");
        file.close();
        ChartWidget widget;
        widget.SetData(Sample());
        QVERIFY(!widget.ExportPicture(path.toStdString(), format.toStdString(), size));
        QVERIFY2(QString::fromStdString(widget.LastError()).contains(message), widget.LastError().c_str());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("old"));
    }

    void siblingChartNames_data()
    {
        QTest::addColumn<QString>("pivot");
        QTest::addColumn<QString>("chart");
        QTest::addRow("ordinary") << "/r/Sales.xml"
                                  << "/r/SalesChart.xml";
        QTest::addRow("four characters") << ".xml"
                                         << "Chart.xml";
        QTest::addRow("too short") << "a.x"
                                   << "";
    }
    void siblingChartNames()
    {
        QFETCH(QString, pivot);
        QFETCH(QString, chart);
        QCOMPARE(QString::fromStdString(chart::ChartReport::SiblingChartName(pivot.toStdString())), chart);
    }

    void reportPairRendersOrSaysWhy()
    {
        QTemporaryDir dir;
        const std::string chartFile = dir.filePath("SalesChart.xml").toStdString();
        const std::string out = dir.filePath("out.png").toStdString();
        const pivot::PivotLayout layout; // no result: an empty chart is still a picture
        std::string error;
        QVERIFY(!chart::ChartReport::Render(layout, chartFile, out, "png", QSize(200, 100), error));
        QVERIFY2(error.find("cannot read the chart file") != std::string::npos, error.c_str());

        QFile file(QString::fromStdString(chartFile));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<xml>no chart here</xml>");
        file.close();
        QVERIFY(!chart::ChartReport::Render(layout, chartFile, out, "png", QSize(200, 100), error));
        QVERIFY2(error.find("holds no chart definition") != std::string::npos, error.c_str());

        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(chart::ChartXml::DefaultText().c_str());
        file.close();
        QVERIFY2(chart::ChartReport::Render(layout, chartFile, out, "png", QSize(200, 100), error), error.c_str());
        QCOMPARE(QImage(QString::fromStdString(out)).size(), QSize(200, 100));
    }

    void clickRaisesSelectionChange()
    {
        ChartWidget widget;
        widget.resize(400, 300);
        widget.SetData(Sample(1));
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        QSignalSpy spy(&widget, &ChartWidget::selectionChanged);
        // The first bar sits in the first category's slot of the plot area.
        const QRectF plot = widget.Chart()->plotArea();
        auto* view = widget.findChild<QWidget*>(QStringLiteral("chartView"));
        QVERIFY(view);
        const QPoint bar(static_cast<int>(plot.left() + plot.width() / 8), static_cast<int>(plot.bottom() - 5));
        QTest::mouseClick(static_cast<QGraphicsView*>(view)->viewport(), Qt::LeftButton, {}, bar);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 0);
        QCOMPARE(spy.at(0).at(1).toInt(), 0);
        widget.SetEnableEvents(false);
        QTest::mouseClick(static_cast<QGraphicsView*>(view)->viewport(), Qt::LeftButton, {}, bar);
        QCOMPARE(spy.count(), 1);
    }
};

QTEST_MAIN(ChartWidgetTest)
#include "ChartWidgetTest.moc"
