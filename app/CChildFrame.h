#pragma once

#include "framework/CMDIChildWndEx.h"

//! The frame of every report window; it adds nothing to the framework's.
class CChildFrame : public CMDIChildWndEx {
    Q_OBJECT
public:
    using CMDIChildWndEx::CMDIChildWndEx;
};
