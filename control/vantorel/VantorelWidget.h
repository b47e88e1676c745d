#pragma once

#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>
#include <map>

class QToolButton;

namespace chart {
class ChartWidget;
}

namespace pivot {
class PivotFieldList;
class PivotTableWidget;
} // namespace pivot

namespace vantorel {

class PivotComponent;

//! The control's window: the image toolbar at the top and, below it, the pivot table
//! (`OlapPT`: area bars, grid and field list) and the chart (`ptChart`), one of which is normally shown. Positions
//! follow the control's design in twips at 15 twips per pixel. The window lays out the visible view on every resize
//! through the control's layout rule; what a button does is the control's matter (ButtonClicked).
class VantorelWidget : public QWidget {
    Q_OBJECT
public:
    //! Where the view goes, in twips, for an inner size of WIDTH by HEIGHT twips: below the
    //! toolbar (its top kept at CURRENTTOP) with the toolbar's height and margins taken off,
    //! or from the top without it. Sizes are never negative.
    static QRect ViewRect(int width, int height, bool toolbarShown, int currentTop);
    //! The design top of the views (below the toolbar), in twips.
    static constexpr int kViewTopTwips = 240;

    VantorelWidget(PivotComponent* pivot, chart::ChartWidget* chart, QWidget* parent = nullptr);

    QToolButton* Button(const QString& name) const;
    //! Whether the button NAME is set visible (whether or not the window is on screen).
    bool ButtonShown(const QString& name) const;
    void SetButtonShown(const QString& name, bool shown);

    //! Places the visible view (the chart when it is shown, else the grid when it is shown).
    //! CHARTSHOWN and the pivot's flag decide, not whether the window is on screen.
    void LayOut(bool toolbarShown, bool chartShown);
    //! What LayOut reads when the window is resized.
    void SetLayoutState(std::function<void(VantorelWidget&)> relayout) { m_relayout = std::move(relayout); }

    //! The pivot table widget (null until made).
    pivot::PivotTableWidget* PivotView() const;
    chart::ChartWidget* ChartView() const { return m_chart; }
    //! The pivot table's field list, shown while its DisplayFieldList is on.
    pivot::PivotFieldList* FieldList() const;

signals:
    void ButtonClicked(const QString& name);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    PivotComponent* m_pivot;
    chart::ChartWidget* m_chart;
    std::map<QString, QToolButton*> m_buttons;
    std::map<QString, bool> m_shown;
    std::function<void(VantorelWidget&)> m_relayout;
};

} // namespace vantorel
