#pragma once

#include "control/pivot/PivotCubeFields.h"
#include "control/pivot/model/AxisKind.h"

#include <QWidget>

#include <memory>

namespace olap::adomd {
class CubeDef;
}

namespace pivot {

class PivotAreaBar;
class PivotDragController;
class PivotFieldList;
class PivotGrid;
class PivotGridDropTarget;
class PivotSession;

//! The pivot table as the user works with it: the area bars (filters and columns above the
//! grid, values beside the columns, rows on the left), the painted grid, and the field list
//! on the right. Fields move by dragging among them; the grid takes drops on its headers.
//! The session stays the caller's: this widget edits its definition and shows its layout.
class PivotTableWidget : public QWidget {
    Q_OBJECT
public:
    explicit PivotTableWidget(PivotSession* session, QWidget* parent = nullptr);
    ~PivotTableWidget() override;

    //! The cube whose fields the field list offers and whose members the filters list. The
    //! cube definition is read here, on the calling thread, so it should have a connection
    //! of its own, not the one the session's queries run on. A cube that cannot be read
    //! leaves the field list empty and returns false (the message is in LastError()).
    bool SetCube(std::shared_ptr<const olap::adomd::CubeDef> cube);
    //! The same with fields already read (no member lists for the filters).
    void SetCubeFields(PivotCubeFields fields);
    const std::shared_ptr<const olap::adomd::CubeDef>& Cube() const { return m_cube; }
    const QString& LastError() const { return m_lastError; }

    PivotSession* Session() const { return m_session; }
    PivotGrid* Grid() const { return m_grid; }
    PivotFieldList* FieldList() const { return m_fieldList; }
    PivotAreaBar* AreaBar(AxisKind area) const;
    PivotDragController* DragController() const { return m_drag; }
    //! Shows or hides the field list (the grid keeps its place).
    void SetFieldListVisible(bool visible);

private:
    PivotSession* m_session;
    PivotDragController* m_drag;
    PivotGrid* m_grid;
    std::unique_ptr<PivotGridDropTarget> m_gridTarget;
    PivotFieldList* m_fieldList;
    PivotAreaBar* m_bars[4] = {};
    std::shared_ptr<const olap::adomd::CubeDef> m_cube;
    QString m_lastError;
};

} // namespace pivot
