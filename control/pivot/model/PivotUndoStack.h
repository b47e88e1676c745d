#pragma once

#include "control/pivot/model/PivotDefinition.h"

#include <cstddef>
#include <string>
#include <vector>

namespace pivot {

//! The layout history of a pivot view: a line of definitions, each after the first reached by
//! one labelled step ("Move Product to Columns"), and a cursor on the definition being edited.
//! Undo moves the cursor back, redo forward; a new step drops the steps ahead of the cursor.
//! The oldest steps fall off once there are more than the limit. Plain data: no Qt, no
//! query; the session decides when a definition is recorded and what an undo re-queries.
class PivotUndoStack {
public:
    static constexpr int kDefaultLimit = 100;

    //! Starts the history at DEFINITION with no steps.
    void Reset(const PivotDefinition& definition);
    //! Records the step LABEL that leads from the current definition to AFTER. Drops the steps
    //! ahead of the cursor (they can no longer be redone) and the oldest ones past the limit.
    //! Nothing happens when AFTER is the current definition.
    void Record(const std::string& label, const PivotDefinition& after);

    bool CanUndo() const { return m_cursor > 0; }
    bool CanRedo() const { return m_cursor + 1 < m_states.size(); }
    //! The labels of the step an undo or a redo would take ("" when there is none).
    std::string UndoLabel() const;
    std::string RedoLabel() const;
    //! Moves the cursor one step back (forward) and returns the definition it lands on; null
    //! when there is no such step.
    const PivotDefinition* Undo();
    const PivotDefinition* Redo();
    //! Puts the cursor on DEFINITION again (a query that was cancelled or failed brings back the
    //! definition on show): the nearest earlier match, else the nearest later one, keeping every
    //! step so the abandoned ones can be redone. Without a match it is recorded as a new step
    //! labelled LABEL.
    void Rewind(const PivotDefinition& definition, const std::string& label);

    //! The most steps kept (at least 1).
    void SetLimit(int limit);
    int Limit() const { return m_limit; }
    //! The number of steps that can be undone and redone.
    int UndoCount() const { return static_cast<int>(m_cursor); }
    int RedoCount() const { return static_cast<int>(m_states.size() - m_cursor - 1); }
    const PivotDefinition& Current() const { return m_states[m_cursor].definition; }

private:
    struct State {
        //! The label of the step that led here (empty for the first state).
        std::string label;
        PivotDefinition definition;
    };
    void Trim();

    std::vector<State> m_states {State {}};
    std::size_t m_cursor = 0;
    int m_limit = kDefaultLimit;
};

} // namespace pivot
