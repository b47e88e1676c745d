#pragma once

#include <QWidget>

class CDocument;

//! A view of a document: a widget inside a report window.
class CView : public QWidget {
    Q_OBJECT
public:
    explicit CView(QWidget* parent = nullptr) : QWidget(parent) { }
    ~CView() override;

    CDocument* GetDocument() const { return m_document; }
    void SetDocument(CDocument* document) { m_document = document; }

    //! Called by the document's UpdateAllViews; the default does nothing.
    virtual void OnUpdate(CView* sender, unsigned hint, void* object);
    //! Runs command id when the view handles it; true when it did.
    virtual bool OnCmdMsg(int id);
    //! Whether the view handles command id (routing and update handlers).
    virtual bool HandlesCommand(int id) const;

private:
    CDocument* m_document = nullptr;
};
