#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class CDocument;
class CMDIChildWnd;
class CView;

// Joins a document class, its child frame and its view under one resource id, and creates
// them together in the main frame's MDI area. The document string has seven newline-separated
// fields (window title, document name, name in the New list, filter name, filter extension,
// file type id, file type name); new documents are named from the document name with a
// running number (Untitled1, Untitled2, ...).
class CMultiDocTemplate {
public:
    enum DocStringIndex {
        windowTitle,
        docName,
        fileNewName,
        filterName,
        filterExt,
        regFileTypeId,
        regFileTypeName
    };
    enum Confidence { noAttempt, maybeAttemptForeign, yesAttemptNative, yesAlreadyOpen };

    using DocFactory = std::function<CDocument*()>;
    using FrameFactory = std::function<CMDIChildWnd*()>;
    using ViewFactory = std::function<CView*()>;

    CMultiDocTemplate(int resourceId, const QString& docString, DocFactory docFactory,
                      FrameFactory frameFactory, ViewFactory viewFactory = {});
    virtual ~CMultiDocTemplate();
    CMultiDocTemplate(const CMultiDocTemplate&) = delete;
    CMultiDocTemplate& operator=(const CMultiDocTemplate&) = delete;

    int GetResourceId() const { return m_nIDResource; }
    // One field of the document string; empty when the field is missing.
    QString GetDocString(DocStringIndex index) const;

    // The menu shown while one of this template's windows is active; 0 = the main frame's
    // default menu.
    void SetSharedMenu(int menuId) { m_nSharedMenu = menuId; }
    int GetSharedMenu() const { return m_nSharedMenu; }

    const QList<CDocument*>& GetDocuments() const { return m_docs; }
    void AddDocument(CDocument* doc);
    void RemoveDocument(CDocument* doc);

    // How well a file fits this template: yesAlreadyOpen (doc is set to the open document),
    // yesAttemptNative when the extension matches, otherwise maybeAttemptForeign.
    virtual Confidence MatchDocType(const QString& path, CDocument*& doc) const;

    // An empty path creates a new, untitled document; otherwise the document opens the file.
    // Returns null when the document refused (its window is then gone too).
    virtual CDocument* OpenDocumentFile(const QString& path, bool makeVisible = true);

    virtual CDocument* CreateNewDocument();
    virtual CMDIChildWnd* CreateNewFrame(CDocument* doc);
    virtual void InitialUpdateFrame(CMDIChildWnd* frame, CDocument* doc, bool makeVisible = true);
    virtual void SetDefaultTitle(CDocument* doc);

    // False for a type registered before its document class exists.
    bool CanCreateDocuments() const { return static_cast<bool>(m_docFactory); }

    int UntitledCount() const { return m_nUntitledCount; }

private:
    void DestroyFrame(CMDIChildWnd* frame);

    int m_nIDResource;
    QStringList m_docStrings;
    DocFactory m_docFactory;
    FrameFactory m_frameFactory;
    ViewFactory m_viewFactory;
    int m_nSharedMenu = 0;
    int m_nUntitledCount = 0;
    QList<CDocument*> m_docs;
};
