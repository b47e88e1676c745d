#pragma once

#include "control/chart/ChartDefinition.h"

#include <QFrame>

class QCheckBox;
class QComboBox;
class QFontComboBox;
class QLineEdit;
class QDoubleSpinBox;

namespace chart {

//! The chart's property toolbox: a panel beside the chart for its title, type, legend and
//! font. It shows a definition (Show) and reports each edit as the changed definition;
//! the chart takes it and shows the result.
class ChartPropertyToolbox : public QFrame {
    Q_OBJECT

public:
    explicit ChartPropertyToolbox(QWidget* parent = nullptr);

    //! Shows DEFINITION's values without reporting them as edits.
    void Show(const ChartDefinition& definition);

signals:
    //! The user changed a value: DEFINITION is the shown one with that change.
    void edited(const chart::ChartDefinition& definition);
    //! The close button was pressed.
    void closeRequested();

private:
    void Report();

    ChartDefinition m_shown;
    QLineEdit* m_title = nullptr;
    QComboBox* m_type = nullptr;
    QCheckBox* m_legend = nullptr;
    QFontComboBox* m_font = nullptr;
    QDoubleSpinBox* m_size = nullptr;
};

} // namespace chart
