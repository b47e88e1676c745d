#pragma once

#include "catalogue/XHtmlTreeMessage.h"

//! What a CXHtmlTree tells the window that holds it. The tree finds its
//! receiver as the one set with CXHtmlTree::SetNotify, or else as the nearest
//! parent widget that implements this interface; without one every answer is
//! 0. There is one call for each of the tree's registered messages
//! ("WM_XHTMLTREE_CHECKBOX_CLICKED", "WM_XHTMLTREE_ITEM_EXPANDED",
//! "WM_XHTMLTREE_DISPLAY_TOOLTIP", "WM_XHTMLTREE_INIT_TOOLTIP",
//! "WM_XHTMLTREE_BEGIN_DRAG", "WM_XHTMLTREE_END_DRAG",
//! "WM_XHTMLTREE_DROP_HOVER"). Calls are made synchronously on the
//! user-interface thread; the receiver must not delete the items named in
//! the message while it answers. A non-zero answer to a drag call refuses the
//! drag (begin), the drop (end) or the hovered item as drop target (hover);
//! the other answers are ignored. The defaults answer 0.
class CXHtmlTreeNotify {
public:
    virtual ~CXHtmlTreeNotify() = default;

    //! An item's check box was clicked; msg.checked is the new state.
    virtual int OnXHtmlTreeCheckboxClicked(const XHtmlTreeMessage& msg);
    //! An item was expanded or collapsed (msg.expanded).
    virtual int OnXHtmlTreeItemExpanded(const XHtmlTreeMessage& msg);
    //! The note of msg.item is about to be shown as a tooltip.
    virtual int OnXHtmlTreeDisplayTooltip(const XHtmlTreeMessage& msg);
    //! The tree made its note tooltip window (on initialise).
    virtual int OnXHtmlTreeInitTooltip(const XHtmlTreeMessage& msg);
    //! A drag of msg.item is about to begin; non-zero refuses it.
    virtual int OnXHtmlTreeBeginDrag(const XHtmlTreeMessage& msg);
    //! The drag ends: dropped on msg.dropTarget, or cancelled when that is
    //! null. Non-zero refuses the drop.
    virtual int OnXHtmlTreeEndDrag(const XHtmlTreeMessage& msg);
    //! The mouse hovers msg.dropTarget while dragging; non-zero makes it no
    //! drop target.
    virtual int OnXHtmlTreeDropHover(const XHtmlTreeMessage& msg);
};
