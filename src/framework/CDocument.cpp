#include "CDocument.h"

#include "CMDIChildWnd.h"
#include "CMDIFrameWnd.h"
#include "CMultiDocTemplate.h"
#include "CView.h"
#include "CWinApp.h"
#include "resource.h"

#include <QFileInfo>
#include <QMdiSubWindow>
#include <QMessageBox>

CDocument::CDocument() {
    OnCommand(ID_FILE_CLOSE, [this] {
        if (SaveModified())
            OnCloseDocument();
    });
}

CDocument::~CDocument() {
    for (CView* view : m_views)
        view->m_pDocument = nullptr;
    if (m_pDocTemplate)
        m_pDocTemplate->RemoveDocument(this);
}

void CDocument::SetTitle(const QString& title) {
    if (m_strTitle == title)
        return;
    m_strTitle = title;
    emit titleChanged(title);
}

void CDocument::SetPathName(const QString& path, bool addToRecentList) {
    const QFileInfo info(path);
    m_strPathName = info.absoluteFilePath();
    SetTitle(info.fileName());
    emit pathNameChanged(m_strPathName);
    if (addToRecentList) {
        if (CWinApp* app = CWinApp::Current())
            app->AddToRecentFileList(m_strPathName);
    }
}

void CDocument::ClearPathName() {
    m_strPathName.clear();
}

void CDocument::SetModifiedFlag(bool modified) {
    if (m_bModified == modified)
        return;
    m_bModified = modified;
    emit modifiedChanged(modified);
}

void CDocument::AddView(CView* view) {
    if (!view || m_views.contains(view))
        return;
    if (CDocument* old = view->GetDocument())
        old->RemoveView(view);
    m_views.append(view);
    view->m_pDocument = this;
}

void CDocument::RemoveView(CView* view) {
    if (m_views.removeAll(view) > 0)
        view->m_pDocument = nullptr;
}

void CDocument::UpdateAllViews(CView* sender, long hint, QObject* hintObject) {
    const QList<CView*> views = m_views;
    for (CView* view : views) {
        if (view != sender)
            view->OnUpdate(sender, hint, hintObject);
    }
}

QList<CMDIChildWnd*> CDocument::GetFrames() const {
    QList<CMDIChildWnd*> frames;
    for (CView* view : m_views) {
        CMDIChildWnd* frame = view->GetParentFrame();
        if (frame && !frames.contains(frame))
            frames.append(frame);
    }
    return frames;
}

bool CDocument::OnNewDocument() {
    DeleteContents();
    m_strPathName.clear();
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnOpenDocument(const QString& path) {
    Q_UNUSED(path);
    DeleteContents();
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnSaveDocument(const QString& path) {
    Q_UNUSED(path);
    SetModifiedFlag(false);
    return true;
}

void CDocument::OnCloseDocument() {
    if (m_bClosing)
        return;
    m_bClosing = true;
    // The frames see IsClosing() and close without asking again.
    for (CMDIChildWnd* frame : GetFrames()) {
        if (frame->IsClosingFrame())
            continue;
        if (QMdiSubWindow* sub = frame->SubWindow())
            sub->close();
        else
            frame->close();
    }
    DeleteContents();
    // The template may go before the deferred delete runs: forget it now.
    if (m_pDocTemplate)
        m_pDocTemplate->RemoveDocument(this);
    m_pDocTemplate = nullptr;
    deleteLater();
}

bool CDocument::SaveModified() {
    if (!IsModified())
        return true;
    QWidget* parent = nullptr;
    QString caption;
    if (CWinApp* app = CWinApp::Current()) {
        parent = app->GetMainWnd();
        caption = app->GetAppName();
    }
    const QString name = m_strPathName.isEmpty() ? m_strTitle : m_strPathName;
    const auto answer = QMessageBox::question(
        parent, caption, tr("Save changes to %1?").arg(name),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Cancel)
        return false;
    if (answer == QMessageBox::Yes)
        return DoFileSave();
    return true;
}

bool CDocument::CanCloseFrame(CMDIChildWnd* frame) {
    const QList<CMDIChildWnd*> frames = GetFrames();
    for (CMDIChildWnd* other : frames) {
        if (other != frame)
            return true;
    }
    return SaveModified();
}

bool CDocument::DoFileSave() {
    if (m_strPathName.isEmpty())
        return false;
    return OnSaveDocument(m_strPathName);
}
