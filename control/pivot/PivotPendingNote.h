#pragma once

#include <QLabel>

namespace pivot {

class PivotSession;

//! The note under the grid (object name "pendingLayoutNote") while the areas hold a layout
//! the grid does not show yet (deferred, or waiting for a filter after the cell guard's
//! question), with an "Update" link that runs its query. Hidden otherwise.
class PivotPendingNote : public QLabel {
    Q_OBJECT
public:
    explicit PivotPendingNote(PivotSession* session, QWidget* parent = nullptr);

private:
    void Sync();

    PivotSession* m_session;
};

} // namespace pivot
