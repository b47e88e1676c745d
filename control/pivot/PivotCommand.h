#pragma once

namespace pivot {

//! The pivot table's command list: the numbers its toolbar, its context menus and hosts use
//! for its commands. Show details keeps the number hosts look for (12095); the pivot has no
//! detail pane of its own, so that command only reaches the host through the command event.
enum class PivotCommand : int {
    None = 0,
    SortAscending = 12001,
    SortDescending = 12002,
    SortNone = 12003,
    Filter = 12004,
    ClearFilter = 12005,
    Subtotals = 12006,
    Expand = 12007,
    Collapse = 12008,
    Refresh = 12009,
    Export = 12010,
    FieldList = 12011,
    PropertyToolbox = 12012,
    CreateCalculatedTotal = 12013,
    Cancel = 12014,
    GrandTotals = 12015,
    ExplainCell = 12016,
    Remove = 12017,
    MoveToRows = 12018,
    MoveToColumns = 12019,
    MoveToFilters = 12020,
    //! Undo and redo of the last layout step.
    Undo = 12040,
    Redo = 12041,
    ShowDetails = 12095,
};

//! Ids given to menu entries that are no command of the list (one per entry of a shown
//! menu, such as "sort by this total"), counted from here.
constexpr int kFirstMenuEntryId = 20000;

} // namespace pivot
