#pragma once

#include "catalogue/CXHtmlTreeNotify.h"

#include <QDialog>

class CXHtmlTree;
class QLabel;

//! "Organize Favorites": delete, rename, create folders and move favourites
//! (by dragging them in the tree). Every change is written to the
//! favourites file at once.
class CFavOrgDlg : public QDialog, public CXHtmlTreeNotify {
    Q_OBJECT
public:
    explicit CFavOrgDlg(QWidget* parent = nullptr);
    CXHtmlTree* Tree() const { return m_tree; }

    void OnDelete();
    void OnChangeName();
    void OnCreateFolder();

    int OnXHtmlTreeEndDrag(const XHtmlTreeMessage& msg) override;

private:
    CXHtmlTree* m_tree;
    QLabel* m_problem;
};
