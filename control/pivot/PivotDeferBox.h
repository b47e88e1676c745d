#pragma once

#include <QWidget>

class QCheckBox;
class QPushButton;

namespace pivot {

class PivotSession;

//! The strip at the bottom of the field list (object name "deferLayoutBox"): "Defer layout
//! update" ("deferLayoutCheck") and "Update" ("updateLayoutButton"). While the box is
//! checked, moving fields changes the areas without querying; Update runs one query. The
//! button is enabled while the areas hold a layout the grid does not show.
class PivotDeferBox : public QWidget {
    Q_OBJECT
public:
    explicit PivotDeferBox(PivotSession* session, QWidget* parent = nullptr);

    QCheckBox* DeferCheck() const { return m_defer; }
    QPushButton* UpdateButton() const { return m_update; }

private:
    void Sync();

    PivotSession* m_session;
    QCheckBox* m_defer;
    QPushButton* m_update;
};

} // namespace pivot
