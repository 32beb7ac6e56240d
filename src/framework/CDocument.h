#pragma once

#include "CCmdTarget.h"

#include <QList>
#include <QObject>
#include <QString>

class CMultiDocTemplate;
class CMDIChildWnd;
class CView;

// Base of every document: its title, path name, modified flag and views. Documents are
// created by their template, get OnNewDocument or OnOpenDocument once, and are deleted after
// OnCloseDocument. Derived documents override the On... operations; the defaults do no file
// input or output of their own.
class CDocument : public QObject, public CCmdTarget {
    Q_OBJECT
public:
    CDocument();
    ~CDocument() override;

    const QString& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(const QString& title);
    const QString& GetPathName() const { return m_strPathName; }
    // Sets the path and, from its file name, the title; adds the file to the recent list.
    virtual void SetPathName(const QString& path, bool addToRecentList = true);
    void ClearPathName();

    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true);

    CMultiDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }

    const QList<CView*>& GetViews() const { return m_views; }
    CView* GetFirstView() const { return m_views.isEmpty() ? nullptr : m_views.first(); }
    void AddView(CView* view);
    void RemoveView(CView* view);
    // Calls OnUpdate of every view except sender.
    void UpdateAllViews(CView* sender, long hint = 0, QObject* hintObject = nullptr);
    // The distinct child frames that show this document's views.
    QList<CMDIChildWnd*> GetFrames() const;

    virtual bool OnNewDocument();
    virtual bool OnOpenDocument(const QString& path);
    virtual bool OnSaveDocument(const QString& path);
    // Closes every frame of the document and deletes it once control returns to the loop.
    virtual void OnCloseDocument();
    // Asked before the document closes; true lets it close. The default asks with a message
    // box whether to save and saves through DoFileSave.
    virtual bool SaveModified();
    // Asked when a frame of the document closes: only the last frame asks SaveModified.
    virtual bool CanCloseFrame(CMDIChildWnd* frame);
    // Saves to the path name; the default hands it to OnSaveDocument.
    virtual bool DoFileSave();
    virtual void DeleteContents() {}
    // A window of the document became the active one, or the program came back to the front
    // with it active.
    virtual void OnFrameActivated() {}

    bool IsClosing() const { return m_bClosing; }

signals:
    void titleChanged(const QString& title);
    void modifiedChanged(bool modified);
    // The document took a file name: opened from it, or saved under it.
    void pathNameChanged(const QString& path);

private:
    friend class CMultiDocTemplate;

    QString m_strTitle;
    QString m_strPathName;
    bool m_bModified = false;
    bool m_bClosing = false;
    CMultiDocTemplate* m_pDocTemplate = nullptr;
    QList<CView*> m_views;
};
