#include "control/chart/ChartPicture.h"

#include "control/chart/ChartBuilder.h"

#include "olap/util/AtomicFile.h"

#include <QBuffer>
#include <QChart>
#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include <exception>

namespace chart {

namespace {

//! A chart placed in a scene of its own at SIZE, ready to be drawn.
class Stage {
public:
    Stage(const ChartData& data, const ChartDefinition& definition, const QPalette& look, QSize size,
        ChartBuilder::BarDrawing barDrawing = ChartBuilder::BarDrawing::Automatic)
    {
        m_chart = new QChart;
        m_scene.addItem(m_chart); // the scene owns the chart
        ChartBuilder::Fill(*m_chart, data, definition, look, {}, {}, barDrawing);
        m_chart->setGeometry(QRectF(QPointF(0, 0), QSizeF(size)));
        m_scene.setSceneRect(QRectF(QPointF(0, 0), QSizeF(size)));
    }

    void Draw(QPainter& painter, QSize size)
    {
        m_scene.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)), m_scene.sceneRect());
    }

private:
    QGraphicsScene m_scene;
    QChart* m_chart = nullptr;
};

} // namespace

QImage ChartPicture::Render(const ChartData& data, const ChartDefinition& definition, const QPalette& look, QSize size,
    ChartBuilder::BarDrawing barDrawing)
{
    if (size.isEmpty() || size.width() > kMaxSide || size.height() > kMaxSide)
        return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(look.color(QPalette::Base));
    Stage stage(data, definition, look, size, barDrawing);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    stage.Draw(painter, size);
    painter.end();
    return image;
}

bool ChartPicture::Write(const ChartData& data, const ChartDefinition& definition, const QPalette& look,
    const std::string& path, const std::string& format, QSize size, std::string& error)
{
    const QString kind = QString::fromStdString(format).toLower();
    if (kind != QLatin1String("png") && kind != QLatin1String("gif") && kind != QLatin1String("svg")) {
        error = "cannot export a chart as '" + format + "': the formats are png, gif and svg";
        return false;
    }
    if (size.isEmpty() || size.width() > kMaxSide || size.height() > kMaxSide) {
        error = "cannot export a chart of " + std::to_string(size.width()) + " by " + std::to_string(size.height())
            + " pixels: each side must be from 1 to " + std::to_string(kMaxSide);
        return false;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (kind == QLatin1String("svg")) {
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        generator.setTitle(QString::fromStdString(definition.title.empty() ? data.Title() : definition.title));
        Stage stage(data, definition, look, size);
        QPainter painter;
        if (!painter.begin(&generator)) {
            error = "cannot draw the chart as svg";
            return false;
        }
        painter.fillRect(QRect(QPoint(0, 0), size), look.color(QPalette::Base));
        stage.Draw(painter, size);
        painter.end();
    } else {
        const QImage image = Render(data, definition, look, size);
        if (image.isNull() || !image.save(&buffer, "PNG")) {
            error = "cannot encode the chart as png";
            return false;
        }
    }
    buffer.close();
    try {
        olap::WriteFileAtomically(path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    } catch (const std::exception& failure) {
        error = "cannot write the chart picture " + path + ": " + failure.what();
        return false;
    }
    return true;
}

} // namespace chart
