#pragma once

#include "control/pivot/model/AxisKind.h"
#include "control/pivot/model/PivotDefinition.h"
#include "control/pivot/model/PivotLayout.h"
#include "control/pivot/model/PivotUndoStack.h"

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
//!
//! Every change of the definition passes through here, so the layout history lives here too:
//! each change is one labelled step (PivotUndoStack, labels by PivotChangeLabel), a refresh of
//! the same definition is none. The user's edits (SetDefinition, SetMemberExpanded) follow the
//! defer switch (the areas change, the query waits for Update) and the guard (asked before a
//! changed layout is queried); the host's puts do neither.
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
    //! The user's edit: replaces the definition as one undo step and re-queries, unless the
    //! defer switch is on (the query waits for Update) or the guard says otherwise. The same
    //! definition again only re-queries.
    void SetDefinition(PivotDefinition definition);
    //! The host's edit of the view (a script adding a field): one undo step, queried at once
    //! whatever the defer switch, without asking the guard.
    void PutDefinition(PivotDefinition definition);
    //! A new view from the host (a definition text, a statement, another cube or connection):
    //! queried at once and the history starts over, since the steps before belong to another
    //! view and perhaps to another source.
    void OpenDefinition(PivotDefinition definition);
    //! Shows LAYOUT, laid out from DEFINITION, without querying (a caller that already has the
    //! answer, e.g. a synchronous report run, or a change of look only). Drops a running query.
    //! A changed definition is one undo step.
    void ShowLayout(PivotDefinition definition, PivotLayout layout);

    //! The layout history. Undo and Redo put the definition of the step before (after) in
    //! place and re-query (or wait, while deferred); false when there is no such step.
    const PivotUndoStack& History() const { return m_history; }
    bool Undo();
    bool Redo();
    //! Forgets every step; the current definition is where the history starts.
    void ClearHistory();
    //! The most steps kept (100 unless set).
    void SetHistoryLimit(int limit);

    //! While deferred, the user's edits change the definition (and so the areas) but do not
    //! query; Update runs one query for them. Switching it off runs what waits.
    void SetDeferred(bool deferred);
    bool IsDeferred() const { return m_deferred; }
    //! Whether the definition being edited differs from the one on show and no query for it
    //! runs: the grid does not show the areas' layout yet.
    bool IsPending() const;
    //! Queries the definition being edited (asking the guard when its layout is not the one
    //! on show). False when the guard declined.
    bool Update();

    //! What the guard answers about a layout before it is queried: run it, keep it in the
    //! areas without querying so a filter can be added first, or drop the change.
    enum class GuardAnswer { Continue, AddFilter, Cancel };
    //! Asked on the session's thread before a user's changed layout is queried.
    using Guard = std::function<GuardAnswer(const PivotDefinition& definition)>;
    void SetGuard(Guard guard) { m_guard = std::move(guard); }

    //! Whether a layout came (false until the first answer or ShowLayout).
    bool HasLayout() const { return m_hasLayout; }
    const PivotLayout& Layout() const { return *m_layout; }
    std::shared_ptr<const PivotLayout> SharedLayout() const { return m_layout; }

    //! Runs the current definition's query (while deferred, that of the layout on show: a
    //! refresh fetches new data, it does not apply a waiting layout). Without an executor, or
    //! when the MDX cannot be built, reports failed() and keeps the layout on show.
    void Refresh();
    //! Expands or collapses the member UNIQUENAME of field set FIELDSETINDEX on AXIS (Row or
    //! Column) and re-queries. Returns false (and changes nothing) when there is no such
    //! field set. A field set at that place that is not the member's hierarchy (the grid
    //! counts those on show, the areas may hold another order) gives way to the one that is.
    bool SetMemberExpanded(AxisKind axis, int fieldSetIndex, const std::string& uniqueName, bool expanded);
    //! Drops the running query and goes back to the definition on show (and the history to its
    //! step), so the areas match the grid again; while deferred the areas keep what waits.
    //! False when idle.
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
    //! The history changed (a step recorded, undone, redone or dropped).
    void historyChanged();
    //! The defer switch changed.
    void deferredChanged(bool deferred);

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
    //! Queues a query of DEFINITION on the worker.
    void Query(const PivotDefinition& definition);
    //! Makes DEFINITION the one being edited, recorded as one step when RECORD.
    void Replace(PivotDefinition definition, bool record);
    //! Goes back to the definition on show after a cancelled or failed query.
    void RevertToShown();
    //! Asks the guard about DEFINITION (Continue without a guard or for the layout on show).
    GuardAnswer Ask(const PivotDefinition& definition) const;
    //! Applies DEFINITION from the history and re-queries unless deferred.
    void ApplyFromHistory(const PivotDefinition& definition);
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
    PivotUndoStack m_history;
    Guard m_guard;
    bool m_deferred = false;
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
