#pragma once

#include <QMdiSubWindow>

class CDocument;
class CView;

//! A report window: a tab of the main window's document area holding one
//! view of a document. Closing asks the document's SaveModified first; the
//! document goes away with its last window.
class CMDIChildWndEx : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit CMDIChildWndEx(QWidget* parent = nullptr);
    ~CMDIChildWndEx() override;

    //! Puts view into the window and attaches it to document.
    void Attach(CDocument* document, CView* view);
    CDocument* GetActiveDocument() const { return m_document; }
    CView* GetActiveView() const { return m_view; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    CDocument* m_document = nullptr;
    CView* m_view = nullptr;
};
