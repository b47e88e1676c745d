#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>

//! The credits of the About box: text that rises through the upper 200
//! pixels of the control over a background picture, one pixel every 40 ms.
//! Lines starting with a TAB are headings (Arial 20 px bold, blue), lines
//! starting with a carriage return are bold (Arial 14 px), others regular.
class CAboutCtrl : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTextWidth = 220;
    static constexpr int kTextHeight = 300;
    static constexpr int kTextX = 194;

    CAboutCtrl(const QString& credits, QWidget* parent = nullptr);

    int ScrollPosition() const { return m_scroll; }
    //! Advances the credits by one step (the timer does this every 40 ms).
    void Tick();
    const QImage& TextPicture() const { return m_text; }
    const QImage& Frame() const { return m_frame; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void DrawText(const QString& credits);
    void DrawBackground();

    QImage m_text;
    QImage m_background;
    QImage m_frame;
    int m_scroll = 0;
    QTimer m_timer;
};
