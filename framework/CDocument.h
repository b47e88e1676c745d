#pragma once

#include <QList>
#include <QObject>
#include <QString>

class CView;
class CDocTemplate;

//! A document of the document/view layer: a title, the modified flag and the
//! views that show it. Views are added by the template that made them.
class CDocument : public QObject {
    Q_OBJECT
public:
    CDocument() = default;

    const QString& GetTitle() const { return m_title; }
    void SetTitle(const QString& title) { m_title = title; }
    bool IsModified() const { return m_modified; }
    void SetModifiedFlag(bool modified = true) { m_modified = modified; }

    const QList<CView*>& Views() const { return m_views; }
    void AddView(CView* view);
    void RemoveView(CView* view);
    CDocTemplate* GetDocTemplate() const { return m_template; }
    void SetDocTemplate(CDocTemplate* docTemplate) { m_template = docTemplate; }

    //! Calls OnUpdate(sender, hint, object) on every view but the sender.
    void UpdateAllViews(CView* sender, unsigned hint = 0, void* object = nullptr);

    //! Asked before a window of the document closes: true allows closing.
    //! The default allows it.
    virtual bool SaveModified();

private:
    QString m_title;
    bool m_modified = false;
    QList<CView*> m_views;
    CDocTemplate* m_template = nullptr;
};
