#pragma once

#include "control/pivot/PivotDropTarget.h"
#include "control/pivot/PivotFieldDrag.h"
#include "control/pivot/model/AxisKind.h"

#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

#include <string>
#include <vector>

namespace pivot {

class PivotDragController;
class PivotSession;

//! One area of a pivot view (filters, columns, rows or values) as a bar of chips: the field
//! sets on that axis, or the shown totals. An empty bar says what to drop on it. Chips are
//! dragged to reorder, to move to another area or, dropped outside every area, to remove.
//! A field set's chip has a filter button (a funnel when the field set is filtered, with an
//! arrow when it is sorted); the button and the context menu are reported for the view to
//! act on.
class PivotAreaBar : public QWidget, public PivotDropTarget {
    Q_OBJECT
public:
    struct Chip {
        PivotFieldDrag field;
        QString text;
        bool filtered = false;
        //! 0 none, 1 ascending, -1 descending.
        int sort = 0;
        QRect rect;
        QRect button;
    };

    PivotAreaBar(AxisKind area, Qt::Orientation orientation, PivotSession* session, PivotDragController* drag,
        QWidget* parent = nullptr);

    AxisKind Area() const { return m_area; }
    const std::vector<Chip>& Chips() const { return m_chips; }
    //! The chip of field set or total NAME, or null.
    const Chip* FindChip(const std::string& name) const;
    //! The hint shown while the area is empty.
    QString Hint() const;
    //! The chip the user selected (a click, or the arrow keys while the bar has focus), -1 for
    //! none. It stays on its field set or total while the bar is rebuilt.
    int CurrentIndex() const { return m_current; }
    //! Selects chip INDEX (-1: none) and reports it with chipSelected.
    void SetCurrentIndex(int index);
    //! Where a drop would land now (-1: no drop shown).
    int DropIndex() const { return m_dropIndex; }

    QWidget* DropWidget() override { return this; }
    bool DragOver(const PivotFieldDrag& drag, const QPoint& point) override;
    void DragLeave() override;
    bool DropAt(const PivotFieldDrag& drag, const QPoint& point) override;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    //! The filter button of field set NAME was clicked; BUTTON is its global rectangle.
    void filterRequested(const QString& name, const QRect& button);
    //! The chip of field set or total NAME was selected (it becomes the target of the
    //! table's commands until a grid cell is selected).
    void chipSelected(AxisKind area, const QString& name);
    //! A context menu was asked for on the chip of NAME (empty: on the bar) at GLOBALPOSITION.
    void menuRequested(AxisKind area, const QString& name, const QPoint& globalPosition);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void Rebuild();
    void LayoutChips();
    int ChipAt(const QPoint& point) const;
    int InsertIndexAt(const QPoint& point) const;
    QString Title() const;

    AxisKind m_area;
    Qt::Orientation m_orientation;
    PivotSession* m_session;
    PivotDragController* m_drag;
    std::vector<Chip> m_chips;
    int m_dropIndex = -1;
    int m_current = -1;
    //! The field set or total of the current chip, to find it again after a rebuild.
    std::string m_currentName;
    int m_pressed = -1;
    bool m_pressedButton = false;
    QPoint m_pressPosition;
};

} // namespace pivot
