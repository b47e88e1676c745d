// The area bars' chips as the target of the table's commands: a selected chip stands for its
// field set or total, as a header or a field caption in the grid does.
#include "control/pivot/PivotTableWidget.h"

#include "control/pivot/PivotAreaBar.h"
#include "control/pivot/PivotLayoutEdit.h"
#include "control/pivot/PivotPropertyToolbox.h"
#include "control/pivot/PivotSession.h"
#include "control/pivot/PivotToolbar.h"

namespace pivot {

void PivotTableWidget::FollowChips()
{
    for (PivotAreaBar* bar : m_bars) {
        connect(bar, &PivotAreaBar::chipSelected, this,
            [this](AxisKind area, const QString& name) { SetChipTarget(area, name.toStdString()); });
    }
}

void PivotTableWidget::SetChipTarget(AxisKind area, const std::string& name)
{
    if (area == m_chipArea && name == m_chipName)
        return;
    m_chipArea = area;
    m_chipName = name;
    // A chip chosen elsewhere leaves the other bars without a selected chip.
    for (PivotAreaBar* bar : m_bars) {
        if (bar->Area() != area || name.empty())
            bar->SetCurrentIndex(-1);
    }
    if (m_toolbar)
        m_toolbar->UpdateState();
    if (m_toolbox)
        m_toolbox->FollowSelection();
}

PivotSelectionTarget PivotTableWidget::ChipTarget() const
{
    if (m_chipName.empty())
        return {};
    const PivotDefinition& definition = m_session->Definition();
    AxisKind area = m_chipArea;
    int index = -1;
    // A field set moved since its chip was selected is found on its new axis.
    if (area != AxisKind::Data)
        PivotLayoutEdit::Locate(definition, m_chipName, &area, &index);
    return PivotSelectionTarget::ForChip(definition, area, m_chipName);
}

} // namespace pivot
