#pragma once

#include "framework/CView.h"
#include "views/ReportPlaceholder.h"

//! The view of an OLAP report window (one or two analysis controls).
class CLumetraView : public CView {
    Q_OBJECT
public:
    explicit CLumetraView(QWidget* parent = nullptr);
    //! MSG_INST and MSG_USER_INST open the catalogue report given as object.
    void OnUpdate(CView* sender, unsigned hint, void* object) override;

private:
    ReportPlaceholder m_placeholder;
};
