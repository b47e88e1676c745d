#pragma once

#include <QFrame>
#include <QPointer>
#include <QRect>

//! Two panes stacked above and below a horizontal bar that the user drags
//! with the mouse (Escape during a drag puts everything back). The bottom
//! pane keeps its height when the window is resized; that height is kept
//! per splitter id in the user's profile and restored by the next splitter
//! of the same id. The bottom pane can be hidden for good, giving the top
//! pane the whole area. Rectangles are in client coordinates (inside the
//! one-pixel border).
class CSSplitter : public QFrame {
    Q_OBJECT
public:
    static constexpr int kDefaultId = 1202;
    static constexpr int kMinTopHeight = 5;
    static constexpr int kMinBottomHeight = 5;
    static constexpr int kBarWidth = 3;
    static constexpr int kDefaultBottomHeight = 10;
    static constexpr const char* kSectionPrefix = "splt\\init_h";
    static constexpr const char* kPositionEntry = "HorizSplitPos";

    explicit CSSplitter(int id = kDefaultId, QWidget* parent = nullptr);
    //! Stores the bottom pane's height when the splitter had one.
    ~CSSplitter() override;

    //! Creates the splitter as a child of view at rect and makes top and
    //! bottom its panes (they move into it; the view still deletes them).
    void Create(const QRect& rect, QWidget* view, QWidget* top, QWidget* bottom);
    //! Takes the panes and places the bar from the stored bottom height.
    void SetPanes(QWidget* top, QWidget* bottom);
    //! Hides the bottom pane and the bar for the rest of the window's life.
    void HideBottomPane();

    //! The profile section of this splitter ("splt\init_h" + id).
    QString ProfileSection() const;
    int Id() const { return m_id; }
    int BottomHeight() const { return m_bottomHeight; }
    bool IsBottomHidden() const { return m_bottomHidden; }
    bool IsDragging() const { return m_dragging; }
    QRect BarRect() const { return m_barRect; }
    QRect TopRect() const { return m_topRect; }
    QRect BottomRect() const { return m_bottomRect; }
    //! The band that follows the pointer during a drag.
    QWidget* Tracker() const { return m_tracker; }
    QWidget* TopPane() const { return m_top; }
    QWidget* BottomPane() const { return m_bottom; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QRect Client() const;
    void PlaceBar(int y);
    int Clamp(int y) const;
    void MovePane(QWidget* pane, const QRect& rect);
    void DrawTracker(int y);
    void EndDrag();
    void CancelDrag();

    int m_id;
    QPointer<QWidget> m_top;
    QPointer<QWidget> m_bottom;
    int m_bottomHeight = kDefaultBottomHeight;
    QRect m_barRect;
    QRect m_topRect;
    QRect m_bottomRect;
    bool m_horizontal = false;
    bool m_bottomHidden = false;
    bool m_dragging = false;
    int m_dragStart = 0;
    int m_trackedY = 0;
    QRect m_windowAtDragStart;
    QPointer<QWidget> m_focusBeforeDrag;
    QWidget* m_tracker;
};
