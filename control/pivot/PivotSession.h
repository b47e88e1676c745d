#pragma once

#include "control/pivot/model/AxisKind.h"
#include "control/pivot/model/PivotDefinition.h"
#include "control/pivot/model/PivotLayout.h"

#include "olap/query/CancellationToken.h"
#include "olap/query/QueryResult.h"

#include <QObject>
#include <QString>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace pivot {

//! What a pivot view shows and how it gets it: the definition the user builds, the query that
//! runs it, and the layout of the last answer. The grid widget paints the layout and sends
//! user actions (expand, collapse) here; tests drive a session without any widget.
//!
//! Queries run on one worker thread, one at a time; the answer is laid out there too and
//! delivered on the session's thread through a queued call. A newer request makes the running
//! one stale: its answer is dropped when it arrives, and its cancellation token is tripped so
//! the engine (or the remote server's request) stops early. Cancel drops the running query the
//! same way and restores the definition of the layout on show, so the grid always matches the
//! definition.
class PivotSession : public QObject {
    Q_OBJECT
public:
    //! Runs one MDX statement; called on the worker thread. Throws on failure.
    using Executor = std::function<olap::QueryResult(const std::string& mdx)>;
    //! Runs one MDX statement and stops early (throwing) once TOKEN is cancelled.
    using CancellableExecutor
        = std::function<olap::QueryResult(const std::string& mdx, const olap::CancellationToken& token)>;

    explicit PivotSession(QObject* parent = nullptr);
    //! Waits for a running query to end (its answer is dropped).
    ~PivotSession() override;

    //! The statement runner for the next refreshes (a running query keeps its own). It is
    //! called by one thread at a time (the worker), so it may hold a connection the session's
    //! thread does not use meanwhile.
    void SetExecutor(Executor executor);
    //! As SetExecutor, for a runner that honours the token (Connection::ExecuteMdx with the
    //! token in its QueryOptions): a cancelled or superseded query stops instead of running on.
    void SetCancellableExecutor(CancellableExecutor executor) { m_executor = std::move(executor); }

    //! The definition being edited; the layout on show belongs to ShownDefinition().
    const PivotDefinition& Definition() const { return m_definition; }
    const PivotDefinition& ShownDefinition() const { return m_shown; }
    //! Replaces the definition and re-queries.
    void SetDefinition(PivotDefinition definition);
    //! Shows LAYOUT, laid out from DEFINITION, without querying (a caller that already has the
    //! answer, e.g. a synchronous report run). Drops a running query.
    void ShowLayout(PivotDefinition definition, PivotLayout layout);

    //! Whether a layout came (false until the first answer or ShowLayout).
    bool HasLayout() const { return m_hasLayout; }
    const PivotLayout& Layout() const { return *m_layout; }
    std::shared_ptr<const PivotLayout> SharedLayout() const { return m_layout; }

    //! Runs the current definition's query. Without an executor, or when the MDX cannot be
    //! built, reports failed() and keeps the layout on show.
    void Refresh();
    //! Expands or collapses the member UNIQUENAME of field set FIELDSETINDEX on AXIS (Row or
    //! Column) and re-queries. Returns false (and changes nothing) when there is no such
    //! field set.
    bool SetMemberExpanded(AxisKind axis, int fieldSetIndex, const std::string& uniqueName, bool expanded);
    //! Drops the running query and goes back to the definition on show. False when idle.
    bool Cancel();

    bool IsWorking() const { return m_working; }
    //! The message of the last failed query or definition, empty after a success.
    const QString& LastError() const { return m_lastError; }

signals:
    //! A new layout is on show.
    void layoutChanged();
    //! The definition being edited changed (an edit, or a cancel or failure that went back
    //! to the definition on show); the field list and area bars follow it.
    void definitionChanged();
    //! A query started (true) or ended, failed or was cancelled (false).
    void workingChanged(bool working);
    //! A query failed; the layout on show is unchanged.
    void failed(const QString& message);
    //! Cancel() stopped a running query; the layout on show is unchanged.
    void cancelled();

private:
    struct Request {
        unsigned generation = 0;
        PivotDefinition definition;
        CancellableExecutor executor;
        std::shared_ptr<olap::CancellationToken> token;
    };
    struct Outcome {
        std::optional<PivotLayout> layout;
        QString error;
    };
    void StartWorker();
    void Deliver(unsigned generation, const PivotDefinition& definition, const std::shared_ptr<Outcome>& outcome);
    void SetWorking(bool working);
    void JoinWorker();
    //! Trips the token of the running query (it is stale or cancelled).
    void StopRunning();

    PivotDefinition m_definition;
    PivotDefinition m_shown;
    std::shared_ptr<const PivotLayout> m_layout = std::make_shared<PivotLayout>();
    CancellableExecutor m_executor;
    //! The token of the query the worker runs or will run next; tripped when it goes stale.
    std::shared_ptr<olap::CancellationToken> m_token;
    QString m_lastError;
    bool m_working = false;
    bool m_hasLayout = false;

    //! Bumped by every request and cancel; an answer of an older generation is stale.
    unsigned m_generation = 0;
    //! The worker and the request waiting for it (guarded by m_mutex).
    std::thread m_worker;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<Request> m_pending;
    bool m_stopping = false;
};

} // namespace pivot
