#pragma once

#include "control/chart/ChartBuilder.h"
#include "control/chart/ChartData.h"
#include "control/chart/ChartDefinition.h"

#include <QPalette>
#include <QSize>

#include <string>

namespace chart {

//! Draws a chart into a picture file without a window (works on the offscreen platform; a
//! QApplication must exist). Formats: "png"; "gif", written PNG-encoded because Qt has no
//! GIF writer (the chart print loads the file back with Qt, which reads by content, so the
//! name's suffix does not matter); "svg". The file is written beside the target and
//! renamed into place, so a failed export leaves an existing file as it was.
class ChartPicture {
public:
    //! Writes the chart of DATA drawn with DEFINITION at SIZE pixels to PATH in FORMAT (case
    //! ignored). Returns false with a message in ERROR when the format is unknown, the size
    //! is empty or too large, or the file cannot be written.
    static bool Write(const ChartData& data, const ChartDefinition& definition, const QPalette& look,
        const std::string& path, const std::string& format, QSize size, std::string& error);

    //! The chart drawn into an image of SIZE pixels (a null image for an empty or too large
    //! size). BARDRAWING chooses how many bars are drawn (the default picks by their number).
    static QImage Render(const ChartData& data, const ChartDefinition& definition, const QPalette& look, QSize size,
        ChartBuilder::BarDrawing barDrawing = ChartBuilder::BarDrawing::Automatic);

    //! The largest side of an exported picture, in pixels.
    static constexpr int kMaxSide = 16384;
};

} // namespace chart
