#pragma once

class CXHtmlTree;
class QTreeWidgetItem;

//! The notification block a tree sends with each of its messages to its
//! parent (CXHtmlTreeNotify).
struct XHtmlTreeMessage {
    CXHtmlTree* tree = nullptr; //!< the tree that sends
    int ctrlId = 0; //!< the tree's control id
    QTreeWidgetItem* item = nullptr; //!< the item concerned; the dragged item for drag messages
    QTreeWidgetItem* dropTarget = nullptr; //!< drag messages: the item hovered or dropped on (null: none)
    bool copy = false; //!< drag messages: the drop copies rather than moves
    bool checked = false; //!< check box clicked: the new state
    bool expanded = false; //!< item expanded: true when expanded, false when collapsed
};
