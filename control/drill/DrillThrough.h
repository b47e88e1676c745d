#pragma once

#include "control/drill/Tuple.h"

#include "olap/recordset/Recordset.h"
#include "platform/dispatch/Variant.h"

#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace pivot {
class PivotFieldSetObject;
class PivotFilterUpdate;
class PivotMemberObject;
class PivotSelectionObject;
class PivotTableObject;
} // namespace pivot

namespace drill {

//! Drill-through: the detail rows of the cube's source data behind one cell of the pivot
//! table. The control calls Start from its "Show details" button and from the context-menu
//! command kMenuCommand (AdjustContextMenu puts it in place of the pivot's own entry
//! kShowDetailsCommand). The steps are public, so a host can run them one by one.
//!
//! The cell's coordinates (the members on the row and column axis, the view's filters) are
//! walked through the pivot's object model into a tuple; where the filter of a field set
//! keeps several members, they become one set in the statement, so the rows are exactly
//! those the cell counts. The statement runs on the pivot's own connection with at most
//! kMaxRows rows; a failing statement is passed over (LastError keeps its message) and gives
//! an empty list.
class DrillThrough {
public:
    using MemberPtr = std::shared_ptr<pivot::PivotMemberObject>;
    using RecordsetPtr = std::shared_ptr<olap::recordset::Recordset>;
    //! Shows a message to the user (a plain box with an OK button by default).
    using MessageSink = std::function<void(const QString& text)>;

    static constexpr int kMaxRows = 5000;
    static constexpr int kCommandTimeout = 6000;
    //! The pivot table's own "show details" context-menu command.
    static constexpr int kShowDetailsCommand = 12095;
    static constexpr const char* kMenuCommand = "mnuDrillthrough";
    static constexpr const char* kMenuCaption = "S&how Details";
    //! The most members of filtered field sets one statement takes; more are refused.
    static constexpr int kMaxMultiFilterMembers = 1000;

    static const QString& TooManyMembersMessage();
    static const QString& NoMemberMessage();

    //! A drill-through over TABLE (its active view, data member and connection).
    explicit DrillThrough(std::shared_ptr<pivot::PivotTableObject> table, MessageSink messages = {});

    //! The whole procedure of the button and the menu command: hourglass, a fresh tuple,
    //! SetAggregate(the table's selection), then the rows in a modal DrillForm over PARENT.
    void Start(QWidget* parent);

    //! The most members of filtered field sets one statement takes (kMaxMultiFilterMembers
    //! unless set); one more abandons the drill-through with TooManyMembersMessage().
    void SetMultiFilterLimit(int limit) { m_multiFilterLimit = limit; }

    //! Starts over: empty statement, no current member, fresh tuple, abort flag cleared.
    void Reset();
    //! Keeps AGGREGATE and returns BuildDrillthroughSets(AGGREGATE) (null without one).
    RecordsetPtr SetAggregate(std::shared_ptr<pivot::PivotSelectionObject> aggregate);
    const std::shared_ptr<pivot::PivotSelectionObject>& GetAggregate() const { return m_aggregate; }
    RecordsetPtr DoDrillthrough(std::shared_ptr<pivot::PivotSelectionObject> aggregate);
    RecordsetPtr DrillthroughData(std::shared_ptr<pivot::PivotSelectionObject> aggregate);
    //! The same as SetAggregate.
    RecordsetPtr ExecuteDrillthrough(std::shared_ptr<pivot::PivotSelectionObject> aggregate);
    //! Builds the statement for AGGREGATE's cell and returns BuildMasterRecordset() (null
    //! when the selection holds no cell or the drill-through was abandoned).
    RecordsetPtr BuildDrillthroughSets(const std::shared_ptr<pivot::PivotSelectionObject>& aggregate);
    //! Adds the members of one axis coordinate: the cell's member and every member around it.
    //! A member stands for itself (the view shows its whole value); a total stands for the
    //! members its field set's filter keeps.
    void HandleGroupAxisFromMember(const MemberPtr& start);
    //! The cube member behind an axis member; null for a total.
    MemberPtr TrulyGetMember(const MemberPtr& groupMember);
    //! Finds the members of FIELDSET under ROOT that FILTERUPDATE keeps. A top-level call
    //! (no filter update) adds what it found to the tuple.
    void HandleFieldSet(const std::shared_ptr<pivot::PivotFieldSetObject>& fieldSet, const MemberPtr& root,
        std::shared_ptr<pivot::PivotFilterUpdate> filterUpdate);
    //! Runs the statement on the table's connection (kMaxRows, kCommandTimeout). Null when
    //! nothing is sent; a failing statement gives a closed recordset.
    RecordsetPtr getRecordset();
    //! A copy of getRecordset()'s rows in a new in-memory recordset (no fields when the
    //! statement failed).
    RecordsetPtr BuildMasterRecordset();

    //! Turns the pivot's own "show details" entry of MENU (an array of entries, each an array
    //! of caption and command id; a sub-menu entry holds an array instead of an id) into the
    //! drill-through entry. A local cube gets no entry. Returns whether it changed anything.
    static bool AdjustContextMenu(std::vector<platform::Variant>& menu, bool localCube);

    const std::string& Statement() const { return m_statement; }
    //! The text sent to the source (with its row limit).
    const std::string& SentText() const { return m_sentText; }
    const Tuple& CurrentTuple() const { return m_tuple; }
    const MemberPtr& CurrentMember() const { return m_currentMember; }
    bool Aborted() const { return m_abort; }
    int MultiFilterCount() const { return m_multiFilterCount; }
    const RecordsetPtr& MasterRecordset() const { return m_master; }
    //! The source's message when the statement failed, else empty.
    const QString& LastError() const { return m_lastError; }
    //! A caption for the rows: "Details for <title> (<members>)".
    QString Description() const;

private:
    struct MultiFilterMember {
        MemberPtr member;
        int group = 0;
        std::shared_ptr<Tuple> tuple;
    };
    struct MultiFilterGroup {
        std::string fieldSet;
        int NumMultiFilterMembers = 0;
    };

    void HandleTotal(const MemberPtr& total);
    void HandleAxisMember(const MemberPtr& member);
    void AddToTuple(const MemberPtr& member);
    bool RecordMultiFilter(const std::shared_ptr<pivot::PivotFieldSetObject>& fieldSet, const MemberPtr& member);
    void Message(const QString& text);

    std::shared_ptr<pivot::PivotTableObject> m_table;
    MessageSink m_messages;
    std::string m_statement;
    std::string m_sentText;
    Tuple m_tuple;
    MemberPtr m_currentMember;
    std::vector<MultiFilterMember> m_multiFilterMembers;
    std::vector<MultiFilterGroup> m_multiFilterGroups;
    int m_multiFilterCount = 0;
    int m_multiFilterLimit = kMaxMultiFilterMembers;
    bool m_abort = false;
    std::shared_ptr<pivot::PivotSelectionObject> m_aggregate;
    RecordsetPtr m_master;
    QString m_lastError;
};

} // namespace drill
