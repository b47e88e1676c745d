#pragma once

#include "framework/CView.h"

//! The view of an Office document report window.
class CDravikView : public CView {
    Q_OBJECT
public:
    explicit CDravikView(QWidget* parent = nullptr);
};
