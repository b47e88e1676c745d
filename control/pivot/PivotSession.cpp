#include "control/pivot/PivotSession.h"

#include "control/pivot/model/PivotChangeLabel.h"
#include "control/pivot/model/PivotMdxBuilder.h"

#include <QDebug>

#include <exception>

namespace pivot {

PivotSession::PivotSession(QObject* parent) : QObject(parent)
{
}

PivotSession::~PivotSession()
{
    JoinWorker();
}

void PivotSession::JoinWorker()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_pending.reset();
    }
    StopRunning();
    m_wake.notify_all();
    if (m_worker.joinable())
        m_worker.join();
}

void PivotSession::SetExecutor(Executor executor)
{
    if (!executor) {
        m_executor = nullptr;
        return;
    }
    m_executor
        = [run = std::move(executor)](const std::string& mdx, const olap::CancellationToken&) { return run(mdx); };
}

void PivotSession::StopRunning()
{
    if (m_token)
        m_token->Cancel();
    m_token.reset();
}

void PivotSession::Replace(PivotDefinition definition, bool record)
{
    if (record)
        m_history.Record(PivotChangeLabel::Describe(m_definition, definition), definition);
    m_definition = std::move(definition);
    emit definitionChanged();
    emit historyChanged();
}

PivotSession::GuardAnswer PivotSession::Ask(const PivotDefinition& definition) const
{
    if (!m_guard || (m_hasLayout && definition == m_shown))
        return GuardAnswer::Continue;
    return m_guard(definition);
}

void PivotSession::SetDefinition(PivotDefinition definition)
{
    if (definition == m_definition) {
        // The same layout again: a refresh, not a step.
        if (!m_deferred)
            Refresh();
        return;
    }
    if (m_deferred) {
        Replace(std::move(definition), true);
        return;
    }
    switch (Ask(definition)) {
    case GuardAnswer::Cancel:
        // The change is dropped: the areas show the definition they had.
        emit definitionChanged();
        return;
    case GuardAnswer::AddFilter:
        // The areas take the change; the grid waits for a filter (or Update).
        Replace(std::move(definition), true);
        return;
    case GuardAnswer::Continue:
        break;
    }
    Replace(std::move(definition), true);
    Query(m_definition);
}

void PivotSession::PutDefinition(PivotDefinition definition)
{
    if (!(definition == m_definition))
        Replace(std::move(definition), true);
    Query(m_definition);
}

void PivotSession::OpenDefinition(PivotDefinition definition)
{
    m_history.Reset(definition);
    Replace(std::move(definition), false);
    Query(m_definition);
}

void PivotSession::ShowLayout(PivotDefinition definition, PivotLayout layout)
{
    ++m_generation;
    StopRunning();
    {
        std::lock_guard lock(m_mutex);
        m_pending.reset();
    }
    m_history.Record(PivotChangeLabel::Describe(m_definition, definition), definition);
    m_definition = definition;
    m_shown = std::move(definition);
    m_layout = std::make_shared<const PivotLayout>(std::move(layout));
    m_hasLayout = true;
    m_lastError.clear();
    SetWorking(false);
    emit definitionChanged();
    emit historyChanged();
    emit layoutChanged();
}

bool PivotSession::Undo()
{
    const PivotDefinition* definition = m_history.Undo();
    if (!definition)
        return false;
    ApplyFromHistory(*definition);
    return true;
}

bool PivotSession::Redo()
{
    const PivotDefinition* definition = m_history.Redo();
    if (!definition)
        return false;
    ApplyFromHistory(*definition);
    return true;
}

void PivotSession::ApplyFromHistory(const PivotDefinition& definition)
{
    // A step undone or redone was asked about when it was made: no second question.
    Replace(definition, false);
    if (!m_deferred)
        Query(m_definition);
}

void PivotSession::ClearHistory()
{
    m_history.Reset(m_definition);
    emit historyChanged();
}

void PivotSession::SetHistoryLimit(int limit)
{
    m_history.SetLimit(limit);
    emit historyChanged();
}

void PivotSession::SetDeferred(bool deferred)
{
    if (m_deferred == deferred)
        return;
    m_deferred = deferred;
    emit deferredChanged(deferred);
    // Switched off, what waited is applied, as with Update.
    if (!deferred && IsPending())
        Update();
}

bool PivotSession::IsPending() const
{
    return !m_working && (!m_hasLayout || !(m_definition == m_shown)) && !(m_definition == PivotDefinition());
}

bool PivotSession::Update()
{
    if (Ask(m_definition) != GuardAnswer::Continue)
        return false;
    Query(m_definition);
    return true;
}

void PivotSession::Refresh()
{
    // While deferred, a refresh fetches the data of the layout on show, not what waits.
    Query(m_deferred && m_hasLayout ? m_shown : m_definition);
}

void PivotSession::Query(const PivotDefinition& definition)
{
    if (!m_executor) {
        m_lastError = tr("The view has no data source.");
        emit failed(m_lastError);
        return;
    }
    const unsigned generation = ++m_generation;
    StopRunning();
    m_token = std::make_shared<olap::CancellationToken>();
    {
        std::lock_guard lock(m_mutex);
        m_pending.emplace(Request {generation, definition, m_executor, m_token});
    }
    StartWorker();
    m_wake.notify_all();
    SetWorking(true);
}

void PivotSession::StartWorker()
{
    if (m_worker.joinable())
        return;
    // One worker for the session's life: queries on one connection never overlap.
    m_worker = std::thread([this] {
        for (;;) {
            Request request;
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [this] { return m_stopping || m_pending.has_value(); });
                if (m_stopping)
                    return;
                request = std::move(*m_pending);
                m_pending.reset();
            }
            auto outcome = std::make_shared<Outcome>();
            try {
                const std::string mdx = PivotMdxBuilder::Build(request.definition);
                outcome->layout.emplace(request.definition, request.executor(mdx, *request.token).cellSet);
            } catch (const std::exception& e) {
                outcome->error = QString::fromStdString(e.what());
            }
            QMetaObject::invokeMethod(
                this,
                [this, generation = request.generation, definition = std::move(request.definition), outcome] {
                    Deliver(generation, definition, outcome);
                },
                Qt::QueuedConnection);
        }
    });
}

void PivotSession::Deliver(
    unsigned generation, const PivotDefinition& definition, const std::shared_ptr<Outcome>& outcome)
{
    if (generation != m_generation) {
        qDebug() << "pivot: dropped the answer of a stale or cancelled query";
        return;
    }
    SetWorking(false);
    if (!outcome->layout) {
        qWarning() << "pivot: query failed:" << outcome->error;
        m_lastError = outcome->error;
        RevertToShown();
        emit failed(m_lastError);
        return;
    }
    m_lastError.clear();
    m_shown = definition;
    m_layout = std::make_shared<const PivotLayout>(std::move(*outcome->layout));
    m_hasLayout = true;
    emit layoutChanged();
}

bool PivotSession::SetMemberExpanded(AxisKind axis, int fieldSetIndex, const std::string& uniqueName, bool expanded)
{
    if ((axis != AxisKind::Row && axis != AxisKind::Column) || uniqueName.empty())
        return false;
    PivotDefinition definition = m_definition;
    auto& fieldSets = definition.Axis(axis);
    PivotFieldSet* target = fieldSetIndex >= 0 && fieldSetIndex < static_cast<int>(fieldSets.size())
        ? &fieldSets[static_cast<std::size_t>(fieldSetIndex)]
        : nullptr;
    // The grid's index counts the field sets of the layout on show; while the areas hold
    // another one (deferred, or a query on its way) the member's hierarchy finds its field set.
    const auto owns = [&uniqueName](const PivotFieldSet& f) {
        return uniqueName.size() > f.uniqueName.size() && uniqueName.compare(0, f.uniqueName.size(), f.uniqueName) == 0
            && uniqueName[f.uniqueName.size()] == '.';
    };
    if (!target || !owns(*target)) {
        for (AxisKind a : {AxisKind::Row, AxisKind::Column}) {
            for (PivotFieldSet& f : definition.Axis(a)) {
                if (owns(f))
                    target = &f;
            }
        }
    }
    if (!target)
        return false;
    target->SetExpanded(uniqueName, expanded);
    SetDefinition(std::move(definition));
    return true;
}

bool PivotSession::Cancel()
{
    if (!m_working)
        return false;
    ++m_generation;
    StopRunning();
    {
        std::lock_guard lock(m_mutex);
        m_pending.reset();
    }
    SetWorking(false);
    RevertToShown();
    emit cancelled();
    return true;
}

void PivotSession::RevertToShown()
{
    // While deferred the areas keep what the user laid out: the grid's note says it waits.
    if (m_deferred || m_definition == m_shown)
        return;
    m_history.Rewind(m_shown, PivotChangeLabel::Describe(m_definition, m_shown));
    m_definition = m_shown;
    emit definitionChanged();
    emit historyChanged();
}

void PivotSession::SetWorking(bool working)
{
    if (m_working == working)
        return;
    m_working = working;
    emit workingChanged(working);
}

} // namespace pivot
