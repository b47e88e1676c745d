#include "control/pivot/model/PivotUndoStack.h"

#include <algorithm>

namespace pivot {

void PivotUndoStack::Reset(const PivotDefinition& definition)
{
    m_states.clear();
    m_states.push_back({{}, definition});
    m_cursor = 0;
}

void PivotUndoStack::Record(const std::string& label, const PivotDefinition& after)
{
    if (after == Current())
        return;
    m_states.erase(m_states.begin() + static_cast<std::ptrdiff_t>(m_cursor) + 1, m_states.end());
    m_states.push_back({label, after});
    m_cursor = m_states.size() - 1;
    Trim();
}

std::string PivotUndoStack::UndoLabel() const
{
    return CanUndo() ? m_states[m_cursor].label : std::string();
}

std::string PivotUndoStack::RedoLabel() const
{
    return CanRedo() ? m_states[m_cursor + 1].label : std::string();
}

const PivotDefinition* PivotUndoStack::Undo()
{
    if (!CanUndo())
        return nullptr;
    --m_cursor;
    return &m_states[m_cursor].definition;
}

const PivotDefinition* PivotUndoStack::Redo()
{
    if (!CanRedo())
        return nullptr;
    ++m_cursor;
    return &m_states[m_cursor].definition;
}

void PivotUndoStack::Rewind(const PivotDefinition& definition, const std::string& label)
{
    for (std::size_t i = m_cursor + 1; i-- > 0;) {
        if (m_states[i].definition == definition) {
            m_cursor = i;
            return;
        }
    }
    for (std::size_t i = m_cursor + 1; i < m_states.size(); ++i) {
        if (m_states[i].definition == definition) {
            m_cursor = i;
            return;
        }
    }
    Record(label, definition);
}

void PivotUndoStack::SetLimit(int limit)
{
    m_limit = std::max(1, limit);
    Trim();
}

void PivotUndoStack::Trim()
{
    // The first state has no step of its own: LIMIT steps need LIMIT + 1 states.
    const std::size_t keep = static_cast<std::size_t>(m_limit) + 1;
    if (m_states.size() <= keep)
        return;
    const std::size_t drop = std::min(m_states.size() - keep, m_cursor);
    m_states.erase(m_states.begin(), m_states.begin() + static_cast<std::ptrdiff_t>(drop));
    m_cursor -= drop;
    m_states.front().label.clear();
}

} // namespace pivot
