// Bars drawn in one pass (offscreen): the picture matches the one Qt Charts draws bar by
// bar, bars show in their series' colours where they stand and not in gaps, many bars switch
// to the one-pass item by themselves, and hover and click find the bar under the pointer.
#include "control/chart/ChartBarLayer.h"
#include "control/chart/ChartBuilder.h"
#include "control/chart/ChartPicture.h"
#include "control/chart/ChartTypeTable.h"
#include "control/chart/ChartWidget.h"

#include <QAbstractBarSeries>
#include <QBarSet>
#include <QChart>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QLegend>
#include <QLegendMarker>
#include <QPainter>
#include <QSignalSpy>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QValueAxis>
#include <QtTest>

#include <cmath>
#include <memory>

using chart::ChartBarLayer;
using chart::ChartBuilder;
using chart::ChartData;
using chart::ChartSeries;
using chart::ChartType;
using BarDrawing = chart::ChartBuilder::BarDrawing;

namespace {

//! SERIES x CATEGORIES values that rise and fall, with a gap every GAPEVERY-th cell (0: none).
ChartData Dense(int seriesCount, int categoryCount, int gapEvery = 0, bool negatives = false)
{
    std::vector<std::string> categories;
    for (int c = 0; c < categoryCount; ++c)
        categories.push_back("P" + std::to_string(c));
    std::vector<ChartSeries> series;
    int cell = 0;
    for (int s = 0; s < seriesCount; ++s) {
        ChartSeries one {"M" + std::to_string(s), {}, {}};
        for (int c = 0; c < categoryCount; ++c, ++cell) {
            if (gapEvery > 0 && cell % gapEvery == gapEvery - 1) {
                one.values.push_back(std::nullopt);
                one.texts.push_back("");
                continue;
            }
            double value = 10 + (c * 7 + s * 13) % 40;
            if (negatives && (c + s) % 5 == 0)
                value = -value / 2;
            one.values.push_back(value);
            one.texts.push_back(std::to_string(static_cast<int>(value)));
        }
        series.push_back(std::move(one));
    }
    return ChartData(categories, series, "Dense");
}

chart::ChartDefinition Definition(ChartType type)
{
    chart::ChartDefinition definition;
    definition.type = type;
    definition.hasLegend = true;
    return definition;
}

//! A chart filled in a scene of its own at SIZE, as the picture export draws it.
struct Stage {
    QGraphicsScene scene;
    QChart* chart = new QChart;

    Stage(const ChartData& data, const chart::ChartDefinition& definition, BarDrawing drawing, QSize size)
    {
        scene.addItem(chart);
        ChartBuilder::Fill(*chart, data, definition, QPalette(), {}, {}, drawing);
        chart->setGeometry(QRectF(QPointF(0, 0), QSizeF(size)));
        scene.setSceneRect(QRectF(QPointF(0, 0), QSizeF(size)));
    }

    ChartBarLayer* Layer() const
    {
        for (QGraphicsItem* item : chart->childItems()) {
            if (auto* layer = dynamic_cast<ChartBarLayer*>(item))
                return layer;
        }
        return nullptr;
    }

    QImage Draw()
    {
        QImage image(scene.sceneRect().size().toSize(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        scene.render(&painter);
        return image;
    }
};

//! The share of pixels in which A and B differ by more than a few steps of any channel.
double DifferentShare(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return 1;
    qint64 different = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > 24 || std::abs(qGreen(p) - qGreen(q)) > 24
                || std::abs(qBlue(p) - qBlue(q)) > 24)
                ++different;
        }
    }
    return static_cast<double>(different) / (static_cast<double>(a.width()) * a.height());
}

bool Near(QRgb pixel, const QColor& colour)
{
    return std::abs(qRed(pixel) - colour.red()) < 8 && std::abs(qGreen(pixel) - colour.green()) < 8
        && std::abs(qBlue(pixel) - colour.blue()) < 8;
}

} // namespace

class ChartBarLayerTest : public QObject {
    Q_OBJECT

private slots:
    void onePassLooksLikeBarByBar_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("series");
        QTest::addColumn<int>("categories");
        QTest::addColumn<bool>("negatives");
        QTest::addRow("clustered columns, 50 x 200") << int(ChartType::ColumnClustered) << 50 << 200 << false;
        QTest::addRow("clustered columns, 6 x 12, negatives") << int(ChartType::ColumnClustered) << 6 << 12 << true;
        QTest::addRow("stacked columns, negatives") << int(ChartType::ColumnStacked) << 8 << 60 << true;
        QTest::addRow("100%% stacked columns") << int(ChartType::ColumnStacked100) << 8 << 60 << false;
        QTest::addRow("clustered bars") << int(ChartType::BarClustered) << 4 << 30 << false;
        QTest::addRow("stacked bars") << int(ChartType::BarStacked) << 5 << 40 << false;
        QTest::addRow("100%% stacked bars") << int(ChartType::BarStacked100) << 5 << 40 << false;
        QTest::addRow("columns and a line") << int(ChartType::ColumnLine) << 7 << 50 << false;
        QTest::addRow("stacked columns and a line") << int(ChartType::ColumnStackedLine) << 7 << 50 << false;
    }
    void onePassLooksLikeBarByBar()
    {
        QFETCH(int, type);
        QFETCH(int, series);
        QFETCH(int, categories);
        QFETCH(bool, negatives);
        const ChartData data = Dense(series, categories, 0, negatives);
        const chart::ChartDefinition definition = Definition(*chart::ChartTypeTable::FromNumber(type));
        const QSize size(1000, 600);
        Stage items(data, definition, BarDrawing::ItemPerBar, size);
        Stage onePass(data, definition, BarDrawing::OnePass, size);
        QVERIFY(!items.Layer());
        QVERIFY(onePass.Layer());
        // The same frame: plot area, axes and legend entries.
        QCOMPARE(onePass.chart->plotArea(), items.chart->plotArea());
        QCOMPARE(onePass.chart->legend()->markers().size(), items.chart->legend()->markers().size());
        for (Qt::Orientation orientation : {Qt::Horizontal, Qt::Vertical}) {
            const QAbstractAxis* a = items.chart->axes(orientation).value(0);
            const QAbstractAxis* b = onePass.chart->axes(orientation).value(0);
            QVERIFY(a && b);
            QCOMPARE(b->type(), a->type());
            if (const auto* values = qobject_cast<const QValueAxis*>(a)) {
                QCOMPARE(qobject_cast<const QValueAxis*>(b)->min(), values->min());
                QCOMPARE(qobject_cast<const QValueAxis*>(b)->max(), values->max());
            }
        }
        const QImage expected = items.Draw();
        const QImage actual = onePass.Draw();
        QCOMPARE(actual.size(), size);
        const double share = DifferentShare(expected, actual);
        QVERIFY2(share < 0.002, qPrintable(QStringLiteral("%1 of the pixels differ").arg(share)));
    }

    void onScreenLooksLikeBarByBar_data()
    {
        QTest::addColumn<int>("type");
        QTest::addRow("clustered columns") << int(ChartType::ColumnClustered);
        QTest::addRow("stacked bars") << int(ChartType::BarStacked);
    }
    void onScreenLooksLikeBarByBar()
    {
        QFETCH(int, type);
        chart::ChartWidget widget;
        widget.resize(1000, 600);
        QVERIFY(widget.SetChartTypeNumber(type));
        widget.SetData(Dense(50, 200, 17));
        widget.ShowLegend();
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        const QImage onePass = widget.grab().toImage();
        widget.SetBarDrawing(BarDrawing::ItemPerBar);
        // The refilled chart lays its legend out on the next turn of the event loop.
        QTest::qWait(50);
        const QImage items = widget.grab().toImage();
        QCOMPARE(onePass.size(), items.size());
        const double share = DifferentShare(items, onePass);
        QVERIFY2(share < 0.002, qPrintable(QStringLiteral("%1 of the pixels differ").arg(share)));
    }

    void barsShowInTheirColoursAndGapsStayEmpty()
    {
        // Few wide bars (all rising from the axis at the bottom), every fifth cell empty.
        constexpr int kSeries = 3;
        constexpr int kCategories = 8;
        const ChartData data = Dense(kSeries, kCategories, 5);
        const chart::ChartDefinition definition = Definition(ChartType::ColumnClustered);
        Stage stage(data, definition, BarDrawing::OnePass, QSize(800, 500));
        ChartBarLayer* layer = stage.Layer();
        QVERIFY(layer);
        const QImage image = stage.Draw();
        const QRectF plot = stage.chart->plotArea();
        const double slot = plot.width() / kCategories;
        int bars = 0;
        int gaps = 0;
        for (int s = 0; s < kSeries; ++s) {
            for (int c = 0; c < kCategories; ++c) {
                // The middle half of each category's slot, shared by the series in turn.
                const QPointF foot(plot.left() + (c + 0.25) * slot + (s + 0.5) * slot / 2 / kSeries, plot.bottom() - 3);
                const QString where = QStringLiteral("series %1, category %2").arg(s).arg(c);
                if (!data.Series()[s].values[c]) {
                    QVERIFY2(!layer->BarRect(s, c), qPrintable(where));
                    QVERIFY2(!layer->BarAt(foot), qPrintable(where));
                    QVERIFY2(Near(image.pixel(foot.toPoint()), Qt::white), qPrintable(where));
                    ++gaps;
                    continue;
                }
                const std::optional<QRectF> rect = layer->BarRect(s, c);
                QVERIFY2(rect && rect->contains(foot), qPrintable(where));
                QVERIFY2(
                    Near(image.pixel(foot.toPoint()), ChartBuilder::SeriesColour(definition, s)), qPrintable(where));
                QCOMPARE(layer->BarAt(foot), (std::optional<std::pair<int, int>>({s, c})));
                ++bars;
            }
        }
        QCOMPARE(gaps, 4);
        QCOMPARE(bars, 20);
        // Above the bars the plot shows the background.
        QCOMPARE(layer->BarAt(plot.topLeft() + QPointF(2, 2)), std::nullopt);
    }

    void manyBarsSwitchToOnePass_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("series");
        QTest::addColumn<int>("categories");
        QTest::addColumn<bool>("onePass");
        QTest::addRow("50 x 200 columns") << int(ChartType::ColumnClustered) << 50 << 200 << true;
        QTest::addRow("1,000 bars exactly") << int(ChartType::BarStacked) << 10 << 100 << false;
        QTest::addRow("1,010 bars") << int(ChartType::BarStacked) << 10 << 101 << true;
        QTest::addRow("combination: the line's series is no bar") << int(ChartType::ColumnLine) << 11 << 100 << false;
        QTest::addRow("lines are never bars") << int(ChartType::Line) << 50 << 200 << false;
        QTest::addRow("few columns") << int(ChartType::ColumnClustered) << 2 << 4 << false;
    }
    void manyBarsSwitchToOnePass()
    {
        QFETCH(int, type);
        QFETCH(int, series);
        QFETCH(int, categories);
        QFETCH(bool, onePass);
        chart::ChartWidget widget;
        QVERIFY(widget.SetChartTypeNumber(type));
        widget.SetData(Dense(series, categories));
        bool found = false;
        for (QGraphicsItem* item : widget.Chart()->childItems())
            found = found || dynamic_cast<ChartBarLayer*>(item);
        QCOMPARE(found, onePass);
        // A later fill replaces the item rather than adding one.
        widget.SetData(Dense(series, categories));
        int layers = 0;
        for (QGraphicsItem* item : widget.Chart()->childItems())
            layers += dynamic_cast<ChartBarLayer*>(item) ? 1 : 0;
        QCOMPARE(layers, onePass ? 1 : 0);
    }

    void hoverAndClickFindTheBar_data()
    {
        QTest::addColumn<int>("type");
        QTest::addRow("clustered columns") << int(ChartType::ColumnClustered);
        QTest::addRow("stacked bars") << int(ChartType::BarStacked);
    }
    void hoverAndClickFindTheBar()
    {
        QFETCH(int, type);
        chart::ChartWidget widget;
        widget.resize(700, 450);
        widget.SetBarDrawing(BarDrawing::OnePass);
        QVERIFY(widget.SetChartTypeNumber(type));
        widget.SetData(Dense(3, 4));
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        auto* view = widget.findChild<QGraphicsView*>(QStringLiteral("chartView"));
        QVERIFY(view);
        ChartBarLayer* layer = nullptr;
        for (QGraphicsItem* item : widget.Chart()->childItems())
            layer = layer ? layer : dynamic_cast<ChartBarLayer*>(item);
        QVERIFY(layer);
        QSignalSpy spy(&widget, &chart::ChartWidget::selectionChanged);
        const std::optional<QRectF> bar = layer->BarRect(2, 1);
        QVERIFY(bar);
        const QPoint at = view->mapFromScene(widget.Chart()->mapToScene(bar->center()));
        QTest::mouseMove(view->viewport(), at);
        QTRY_COMPARE(widget.CurrentTooltip(), ChartBuilder::TooltipText(widget.Data(), 2, 1));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 2);
        QCOMPARE(spy.at(0).at(1).toInt(), 1);
        // Leaving the bars clears the tooltip; a click beside them selects nothing.
        const QPoint beside
            = view->mapFromScene(widget.Chart()->mapToScene(widget.Chart()->plotArea().topRight() + QPointF(-3, 3)));
        QTest::mouseMove(view->viewport(), beside);
        QTRY_VERIFY(widget.CurrentTooltip().isEmpty());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, beside);
        QCOMPARE(spy.count(), 1);
    }

    void exportedPictureOfManyBars_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addRow("png") << "png";
        QTest::addRow("svg") << "svg";
    }
    void exportedPictureOfManyBars()
    {
        QFETCH(QString, format);
        QTemporaryDir dir;
        const QString path = dir.filePath("dense." + format);
        chart::ChartWidget widget;
        const ChartData data = Dense(50, 200, 17);
        widget.SetData(data);
        QVERIFY2(widget.ExportPicture(path.toStdString(), format.toStdString(), QSize(1200, 700)),
            widget.LastError().c_str());
        QImage image(1200, 700, QImage::Format_ARGB32);
        if (format == QLatin1String("png")) {
            QVERIFY(image.load(path));
        } else {
            image.fill(Qt::white);
            QSvgRenderer renderer(path);
            QVERIFY(renderer.isValid());
            QPainter painter(&image);
            renderer.render(&painter);
        }
        QCOMPARE(image.size(), QSize(1200, 700));
        // Every series colour shows somewhere in the plot.
        for (int s = 0; s < 7; ++s) {
            const QColor colour = ChartBuilder::SeriesColour(widget.Definition(), s);
            int pixels = 0;
            for (int y = 0; y < image.height(); y += 2) {
                for (int x = 0; x < image.width(); x += 2)
                    pixels += Near(image.pixel(x, y), colour) ? 1 : 0;
            }
            QVERIFY2(pixels > 50, qPrintable(QStringLiteral("series colour %1: %2 pixels").arg(s).arg(pixels)));
        }
        if (format != QLatin1String("png"))
            return;
        // The picture file holds what the chart draws bar by bar.
        const QImage expected = chart::ChartPicture::Render(
            data, widget.Definition(), widget.palette(), QSize(1200, 700), BarDrawing::ItemPerBar);
        const double share = DifferentShare(expected, image);
        QVERIFY2(share < 0.002, qPrintable(QStringLiteral("%1 of the pixels differ").arg(share)));
    }
};

QTEST_MAIN(ChartBarLayerTest)
#include "ChartBarLayerTest.moc"
