#pragma once

#include "framework/CNavigationBar.h"

//! The program's navigation bar ("Shortcuts") with the Reports and
//! Favorites pages.
class COutlookBar : public CNavigationBar {
    Q_OBJECT
public:
    explicit COutlookBar(QWidget* parent = nullptr);
    static constexpr int kControlId = 185;
};
