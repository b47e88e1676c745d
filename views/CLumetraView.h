#pragma once

#include "framework/CView.h"

//! The view of an OLAP report window (one or two analysis controls).
class CLumetraView : public CView {
    Q_OBJECT
public:
    explicit CLumetraView(QWidget* parent = nullptr);
};
