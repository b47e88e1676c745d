#include "control/pivot/PivotTableWidget.h"

#include "control/pivot/PivotAreaBar.h"
#include "control/pivot/PivotDragController.h"
#include "control/pivot/PivotFieldList.h"
#include "control/pivot/PivotGrid.h"
#include "control/pivot/PivotGridDropTarget.h"
#include "control/pivot/PivotSession.h"

#include "olap/adomd/CubeDef.h"

#include <QDebug>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QSplitter>
#include <QVBoxLayout>

#include <exception>

namespace pivot {

PivotTableWidget::PivotTableWidget(PivotSession* session, QWidget* parent)
    : QWidget(parent), m_session(session), m_drag(new PivotDragController(session, this))
{
    setObjectName(QStringLiteral("pivotTable"));
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("pivotSplitter"));
    auto* table = new QWidget(splitter);
    auto* grid = new QGridLayout(table);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(2);
    m_grid = new PivotGrid(session, table);
    m_gridTarget = std::make_unique<PivotGridDropTarget>(m_grid, m_drag);
    m_drag->AddTarget(m_gridTarget.get());
    auto bar = [&](AxisKind area, Qt::Orientation orientation) {
        auto* b = new PivotAreaBar(area, orientation, session, m_drag, table);
        m_bars[static_cast<int>(area)] = b;
        return b;
    };
    grid->addWidget(bar(AxisKind::Filter, Qt::Horizontal), 0, 0, 1, 2);
    grid->addWidget(bar(AxisKind::Column, Qt::Horizontal), 1, 1);
    // Rows and values share the left column: rows take the height, values sit below them.
    auto* left = new QVBoxLayout;
    left->setSpacing(2);
    left->addWidget(bar(AxisKind::Row, Qt::Vertical), 1);
    left->addWidget(bar(AxisKind::Data, Qt::Vertical), 0);
    grid->addLayout(left, 1, 0, 2, 1);
    grid->addWidget(m_grid, 2, 1);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(1, 1);
    m_fieldList = new PivotFieldList(session, m_drag, splitter);
    splitter->addWidget(table);
    splitter->addWidget(m_fieldList);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
}

PivotTableWidget::~PivotTableWidget() = default;

PivotAreaBar* PivotTableWidget::AreaBar(AxisKind area) const
{
    return m_bars[static_cast<int>(area)];
}

bool PivotTableWidget::SetCube(std::shared_ptr<const olap::adomd::CubeDef> cube)
{
    m_cube = std::move(cube);
    m_lastError.clear();
    PivotCubeFields fields;
    if (m_cube) {
        try {
            fields = PivotCubeFields::FromCube(*m_cube);
        } catch (const std::exception& e) {
            m_lastError = QString::fromStdString(e.what());
            qWarning() << "pivot: the cube's fields could not be read:" << m_lastError;
            m_cube.reset();
        }
    }
    SetCubeFields(std::move(fields));
    return m_lastError.isEmpty();
}

void PivotTableWidget::SetCubeFields(PivotCubeFields fields)
{
    m_drag->SetCubeFields(std::move(fields));
    m_fieldList->Reload();
}

void PivotTableWidget::SetFieldListVisible(bool visible)
{
    m_fieldList->setVisible(visible);
}

} // namespace pivot
