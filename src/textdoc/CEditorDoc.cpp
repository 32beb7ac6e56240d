#include "CEditorDoc.h"

#include "CActivityHost.h"
#include "CEditorView.h"
#include "CMDIFrameWnd.h"
#include "CPasswordDlg.h"
#include "CReplaceFileDlg.h"
#include "CSaveChangesDlg.h"
#include "CSetPasswordDlg.h"
#include "CShellDialog.h"
#include "CTimedFileDialog.h"
#include "CWinApp.h"
#include "DocumentCommands.h"
#include "TextFile.h"
#include "resource.h"

#include <QFileInfo>
#include <QMessageBox>

namespace {
const char kSaveFilter[] = "Keystow Encrypted Text Files (*.etx)|*.etx|";

void Wipe(QString& secret) {
    secret.fill(QChar(0));
    secret.clear();
}

// Takes the password a dialog returned when it was confirmed, and wipes the dialog's copy
// either way. True when the dialog was confirmed.
bool TakePassword(int result, QString& dialogPassword, QString& filePassword) {
    const bool confirmed = result == IDOK;
    if (confirmed)
        filePassword = dialogPassword;
    Wipe(dialogPassword);
    return confirmed;
}

// True when the file name (not its folder) has an extension.
bool NameHasDot(const QString& path) {
    return QFileInfo(path).fileName().contains('.');
}

} // namespace

CEditorDoc::CEditorDoc() {
    OnCommand(ID_FILE_NEW, [this] { RunFileNewCommand(DialogParent()); });
    OnCommand(ID_FILE_OPEN, [this] { RunFileOpenCommand(DialogParent()); });
    OnCommand(ID_FILE_SAVE, [this] { OnFileSave(); });
    OnCommand(ID_FILE_SAVE_AS, [this] { OnFileSaveAs(); });
    OnCommand(ID_SET_FILE_PASSWORD, [this] { OnSetFilePassword(); });
}

CEditorDoc::~CEditorDoc() {
    Wipe(filePassword);
}

CEditorView* CEditorDoc::GetView() const {
    for (CView* view : GetViews())
        if (auto* editor = dynamic_cast<CEditorView*>(view))
            return editor;
    return nullptr;
}

QWidget* CEditorDoc::DialogParent() const {
    if (CWinApp* app = CWinApp::Current())
        if (app->GetMainWnd())
            return app->GetMainWnd();
    CEditorView* view = GetView();
    return view ? view->window() : nullptr;
}

QString CEditorDoc::DefaultFileName() const {
    const QString name = GetTitle();
    return name.contains('.') ? name : name + QStringLiteral(".etx");
}

bool CEditorDoc::OnOpenDocument(const QString& path) {
    CPasswordDlg dlg(DialogParent());
    dlg.m_useIdleTimer = true;
    dlg.m_screenMode = false;
    if (!TakePassword(dlg.DoModal(), dlg.m_password, filePassword))
        return false;
    CEditorView* view = GetView();
    if (!view || !view->LoadDocumentFile(path, filePassword)) {
        Wipe(filePassword);
        return false;
    }
    SetModifiedFlag(false);
    return true;
}

bool CEditorDoc::OnSaveDocument(const QString& path) {
    // Every save confirms or changes the password.
    CSetPasswordDlg dlg(DialogParent());
    dlg.m_password = filePassword;
    dlg.m_setMode = false;
    if (!TakePassword(dlg.DoModal(), dlg.m_password, filePassword))
        return false;

    CEditorView* view = GetView();
    if (!view)
        return false;
    QString reason;
    if (view->SaveDocumentFile(path, filePassword, &reason) != SaveResult::Saved) {
        // Nothing was replaced; the person must know, and closing will ask again.
        QMessageBox::warning(
            DialogParent(), AppCaption(),
            tr("The document was not saved to %1.\n%2")
                .arg(QFileInfo(path).fileName(),
                     reason.isEmpty() ? tr("The file could not be written.") : reason));
        return false;
    }
    return true;
}

bool CEditorDoc::OnFileSave() {
    if (GetPathName().isEmpty())
        return OnFileSaveAs();
    return OnSaveDocument(GetPathName());
}

bool CEditorDoc::DoFileSave() {
    return OnFileSave();
}

bool CEditorDoc::OnFileSaveAs() {
    QString initial = DefaultFileName();
    if (!GetPathName().isEmpty())
        initial = QFileInfo(QFileInfo(GetPathName()).absolutePath(), initial).filePath();
    CTimedFileDialog dlg(false, QString(), initial, OFN_HIDEREADONLY, QLatin1String(kSaveFilter),
                         DialogParent());
    if (dlg.DoModal() != IDOK)
        return false;
    QString path = dlg.GetPathName();
    if (path.isEmpty())
        return false;
    if (!NameHasDot(path))
        path += QStringLiteral(".etx");
    if (QFileInfo::exists(path)) {
        CReplaceFileDlg replace(DialogParent());
        if (replace.DoModal() != IDOK)
            return false;
    }
    // The document takes the new name only once the file is really there.
    if (!OnSaveDocument(path))
        return false;
    SetPathName(path);
    return true;
}

void CEditorDoc::OnSetFilePassword() {
    CSetPasswordDlg dlg(DialogParent());
    dlg.m_password = filePassword;
    dlg.m_setMode = true;
    if (!TakePassword(dlg.DoModal(), dlg.m_password, filePassword))
        return;
    // The file keeps its old password until the next save: closing must ask for it.
    if (CEditorView* view = GetView())
        view->document()->setModified(true);
    SetModifiedFlag(true);
}

bool CEditorDoc::SaveModified() {
    // While the screen is locked nothing of the document shows before the screen password.
    if (CActivityHost* host = CActivityHost::Current()) {
        if (host->m_locked && !host->UnlockForClose())
            return false;
    }
    if (!IsModified())
        return true;
    CSaveChangesDlg dlg(DialogParent());
    dlg.m_fileName = GetPathName().isEmpty() ? DefaultFileName() : GetPathName();
    switch (dlg.DoModal()) {
    case IDYES:
        // A save that did not complete keeps the document open: nothing is lost.
        return OnFileSave();
    case IDCANCEL:
        return false;
    default:
        return true;
    }
}
