#pragma once

#include "framework/CView.h"
#include "views/ReportPlaceholder.h"

//! The view of an Office document report window.
class CDravikView : public CView {
    Q_OBJECT
public:
    explicit CDravikView(QWidget* parent = nullptr);
    //! MSG_INST and MSG_USER_INST open the catalogue report given as object.
    void OnUpdate(CView* sender, unsigned hint, void* object) override;

private:
    ReportPlaceholder m_placeholder;
};
