#pragma once

#include <functional>

class CDocument;
class CMDIChildWndEx;
class CView;
class CMDIFrameWndEx;

//! Makes a document with its report window and view, for the main window.
class CDocTemplate {
public:
    using DocumentFactory = std::function<CDocument*()>;
    using FrameFactory = std::function<CMDIChildWndEx*()>;
    using ViewFactory = std::function<CView*()>;

    CDocTemplate(int resourceId, DocumentFactory document, FrameFactory frame, ViewFactory view);
    virtual ~CDocTemplate() = default;

    int GetResourceId() const { return m_resourceId; }

    //! Creates a new document, its report window and view inside mainFrame
    //! and shows the window. Returns the document, or null when a part
    //! could not be made.
    CDocument* OpenDocumentFile(CMDIFrameWndEx* mainFrame);

private:
    int m_resourceId;
    DocumentFactory m_document;
    FrameFactory m_frame;
    ViewFactory m_view;
};
