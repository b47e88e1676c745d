#include "control/vantorel/VantorelWidget.h"

#include "control/chart/ChartWidget.h"
#include "control/pivot/PivotFieldList.h"
#include "control/pivot/PivotTableWidget.h"
#include "control/vantorel/PivotComponent.h"
#include "control/vantorel/ToolbarButtons.h"

#include <QToolButton>

#include <algorithm>

namespace vantorel {

namespace {

// Height of a toolbar button and the margins the view keeps below and beside it, in twips.
constexpr int kButtonHeight = 240;
constexpr int kToolbarGap = 30;
constexpr int kMargin = 10;

int Twips(int pixels)
{
    return pixels * ToolbarButtons::kTwipsPerPixel;
}

} // namespace

QRect VantorelWidget::ViewRect(int width, int height, bool toolbarShown, int currentTop)
{
    const int viewWidth = std::max(0, width - kMargin);
    if (toolbarShown)
        return QRect(0, currentTop, viewWidth, std::max(0, height - kMargin - (kButtonHeight + kToolbarGap)));
    return QRect(0, 0, viewWidth, std::max(0, height - kMargin));
}

VantorelWidget::VantorelWidget(PivotComponent* pivot, chart::ChartWidget* chart, QWidget* parent)
    : QWidget(parent), m_pivot(pivot), m_chart(chart)
{
    setObjectName(QStringLiteral("Vantorel"));
    // The design size of the control (the pivot table's 7500 by 4725 twips).
    resize(500, 315);
    for (const ToolbarButton& info : ToolbarButtons::All()) {
        const QString name = QLatin1String(info.name);
        auto* button = new QToolButton(this);
        button->setObjectName(name);
        button->setAutoRaise(true);
        button->setIcon(QIcon(ToolbarButtons::Image(name)));
        button->setIconSize(QSize(16, 16));
        button->setToolTip(QLatin1String(info.tooltip));
        button->setAccessibleName(QLatin1String(info.tooltip));
        button->setFocusPolicy(Qt::NoFocus);
        const int side = ToolbarButtons::ToPixels(ToolbarButtons::kButtonTwips);
        button->setGeometry(ToolbarButtons::ToPixels(info.leftTwips), 0, side, side);
        button->setVisible(info.visibleAtStart);
        m_shown[name] = info.visibleAtStart;
        m_buttons[name] = button;
        connect(button, &QToolButton::clicked, this, [this, name] { emit ButtonClicked(name); });
    }
    m_pivot->Table(this)->setGeometry(0, ToolbarButtons::ToPixels(kViewTopTwips), 500, 299);
    m_pivot->UpdateTableCube();
    m_chart->setParent(this);
    m_chart->setObjectName(QStringLiteral("ptChart"));
    m_chart->setGeometry(0, ToolbarButtons::ToPixels(kViewTopTwips), 505, 257);
}

QToolButton* VantorelWidget::Button(const QString& name) const
{
    const auto it = m_buttons.find(name);
    return it == m_buttons.end() ? nullptr : it->second;
}

bool VantorelWidget::ButtonShown(const QString& name) const
{
    const auto it = m_shown.find(name);
    return it != m_shown.end() && it->second;
}

void VantorelWidget::SetButtonShown(const QString& name, bool shown)
{
    if (QToolButton* button = Button(name)) {
        m_shown[name] = shown;
        button->setVisible(shown);
    }
}

pivot::PivotTableWidget* VantorelWidget::PivotView() const
{
    return m_pivot->ExistingTable();
}

pivot::PivotFieldList* VantorelWidget::FieldList() const
{
    return PivotView() ? PivotView()->FieldList() : nullptr;
}

void VantorelWidget::LayOut(bool toolbarShown, bool chartShown)
{
    pivot::PivotTableWidget* table = PivotView();
    QWidget* view = chartShown ? static_cast<QWidget*>(m_chart) : (m_pivot->Visible() ? table : nullptr);
    if (view) {
        const QRect twips = ViewRect(Twips(width()), Twips(height()), toolbarShown, Twips(view->y()));
        const int top = toolbarShown ? (twips.top() == 0 ? kViewTopTwips : twips.top()) : 0;
        view->setGeometry(ToolbarButtons::ToPixels(twips.left()), ToolbarButtons::ToPixels(top),
            ToolbarButtons::ToPixels(twips.width()), ToolbarButtons::ToPixels(twips.height()));
    }
    // The table shows its toolbar, field list, property toolbox, title and drop areas as its
    // display settings say (sized after the table has its place).
    if (table)
        m_pivot->ApplyDisplay();
}

void VantorelWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_relayout)
        m_relayout(*this);
}

} // namespace vantorel
