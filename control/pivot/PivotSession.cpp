#include "control/pivot/PivotSession.h"

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

void PivotSession::SetDefinition(PivotDefinition definition)
{
    m_definition = std::move(definition);
    emit definitionChanged();
    Refresh();
}

void PivotSession::ShowLayout(PivotDefinition definition, PivotLayout layout)
{
    ++m_generation;
    StopRunning();
    {
        std::lock_guard lock(m_mutex);
        m_pending.reset();
    }
    m_definition = definition;
    m_shown = std::move(definition);
    m_layout = std::make_shared<const PivotLayout>(std::move(layout));
    m_hasLayout = true;
    m_lastError.clear();
    SetWorking(false);
    emit definitionChanged();
    emit layoutChanged();
}

void PivotSession::Refresh()
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
        m_pending.emplace(Request {generation, m_definition, m_executor, m_token});
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
        m_definition = m_shown;
        emit definitionChanged();
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
    if (axis != AxisKind::Row && axis != AxisKind::Column)
        return false;
    auto& fieldSets = m_definition.Axis(axis);
    if (fieldSetIndex < 0 || fieldSetIndex >= static_cast<int>(fieldSets.size()) || uniqueName.empty())
        return false;
    fieldSets[static_cast<std::size_t>(fieldSetIndex)].SetExpanded(uniqueName, expanded);
    emit definitionChanged();
    Refresh();
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
    m_definition = m_shown;
    SetWorking(false);
    emit definitionChanged();
    emit cancelled();
    return true;
}

void PivotSession::SetWorking(bool working)
{
    if (m_working == working)
        return;
    m_working = working;
    emit workingChanged(working);
}

} // namespace pivot
