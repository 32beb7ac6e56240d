#include "CKeystowDoc.h"

#include "CActivityHost.h"
#include "CDecryptFailedDlg.h"
#include "CDocManager.h"
#include "CKeystowChildFrame.h"
#include "CMDIFrameWnd.h"
#include "CModalDialog.h"
#include "CMultiDocTemplate.h"
#include "CNewDocumentDlg.h"
#include "CPasswordDlg.h"
#include "CReplaceFileDlg.h"
#include "CSaveChangesDlg.h"
#include "CSetPasswordDlg.h"
#include "CShellDialog.h"
#include "CTimedFileDialog.h"
#include "CWinApp.h"
#include "resource.h"

#include <PasswordsFile.h>

#include <QFileInfo>
#include <QMessageBox>

namespace {
const char kOpenFilter[] = "Keystow Encrypted Files (*.etx;*.ksw)|*.etx;*.ksw|Keystow Encrypted "
                           "Data Files (*.ksw)|*.ksw|Keystow Encrypted Text Files "
                           "(*.etx)|*.etx|";
const char kSaveFilter[] = "Keystow Encrypted Data Files (*.ksw)|*.ksw|";

void Wipe(QString& secret) {
    secret.fill(QChar(0));
    secret.clear();
}

// True when the file name (not its folder) has an extension.
bool NameHasDot(const QString& path) {
    return QFileInfo(path).fileName().contains('.');
}

CMultiDocTemplate* TemplateFor(int resourceId) {
    CWinApp* app = CWinApp::Current();
    if (!app)
        return nullptr;
    for (CMultiDocTemplate* tmpl : app->GetDocManager()->GetTemplates())
        if (tmpl->GetResourceId() == resourceId)
            return tmpl;
    return nullptr;
}
} // namespace

CKeystowDoc::CKeystowDoc() {
    OnCommand(ID_FILE_NEW, [this] { OnFileNew(); });
    OnCommand(ID_FILE_OPEN, [this] { OnFileOpen(); });
    OnCommand(ID_FILE_SAVE, [this] { OnFileSave(); });
    OnCommand(ID_FILE_SAVE_AS, [this] { OnFileSaveAs(); });
    OnCommand(ID_SET_FILE_PASSWORD, [this] { OnSetFilePassword(); });
}

CKeystowDoc::~CKeystowDoc() {
    Wipe(m_filePassword);
}

CKeystowChildFrame* CKeystowDoc::GetFrame() const {
    for (CMDIChildWnd* frame : GetFrames())
        if (auto* passwords = qobject_cast<CKeystowChildFrame*>(frame))
            return passwords;
    return nullptr;
}

QWidget* CKeystowDoc::DialogParent() const {
    if (CWinApp* app = CWinApp::Current())
        if (app->GetMainWnd())
            return app->GetMainWnd();
    CKeystowChildFrame* frame = GetFrame();
    return frame ? frame->window() : nullptr;
}

QString CKeystowDoc::DefaultFileName() const {
    const QString name = GetTitle();
    return name.contains('.') ? name : name + QStringLiteral(".ksw");
}

void CKeystowDoc::DeleteContents() {
    m_accounts = AccountStore();
}

bool CKeystowDoc::OnNewDocument() {
    if (!CDocument::OnNewDocument())
        return false;
    DeleteContents();
    Wipe(m_filePassword);
    return true;
}

bool CKeystowDoc::OnOpenDocument(const QString& path) {
    CPasswordDlg dlg(DialogParent());
    dlg.m_useIdleTimer = true;
    dlg.m_screenMode = false;
    const bool confirmed = dlg.DoModal() == IDOK;
    QString password = dlg.m_password;
    Wipe(dlg.m_password);
    if (!confirmed)
        return false; // the person changed their mind: nothing to tell

    const QString fileName = QFileInfo(path).fileName();
    AccountStore loaded;
    QString reason;
    const PasswordsLoadResult result = OpenPasswordsFile(path, password, loaded, &reason);
    switch (result) {
    case PasswordsLoadResult::Loaded:
        m_accounts = std::move(loaded);
        m_filePassword = password;
        Wipe(password);
        SetModifiedFlag(false);
        return true;
    case PasswordsLoadResult::NotDecrypted: {
        CDecryptFailedDlg failed(DialogParent());
        failed.m_fileName = fileName;
        failed.DoModal();
        break;
    }
    case PasswordsLoadResult::NotPasswords:
        QMessageBox::warning(DialogParent(), AppCaption(), NotPasswordsDocumentMessage(fileName));
        break;
    case PasswordsLoadResult::NotRead:
        QMessageBox::warning(
            DialogParent(), AppCaption(),
            tr("%1 could not be opened.\n%2")
                .arg(fileName, reason.isEmpty() ? tr("The file could not be read.") : reason));
        break;
    }
    Wipe(password);
    return false;
}

bool CKeystowDoc::WriteFile(const QString& path, const QString& password) {
    QString reason;
    if (SavePasswordsFile(path, password, m_accounts, &reason) != SaveResult::Saved) {
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

bool CKeystowDoc::SaveWithPassword(const QString& path, bool askPassword) {
    QString password = m_filePassword;
    if (askPassword) {
        CSetPasswordDlg dlg(DialogParent());
        dlg.m_setMode = false;
        const bool confirmed = dlg.DoModal() == IDOK;
        password = dlg.m_password;
        Wipe(dlg.m_password);
        if (!confirmed) {
            Wipe(password);
            return false;
        }
    }
    // The document takes the new password only once the file is really written with it.
    const bool written = WriteFile(path, password);
    if (written) {
        m_filePassword = password;
        SetModifiedFlag(false);
    }
    Wipe(password);
    return written;
}

bool CKeystowDoc::OnSaveDocument(const QString& path) {
    return SaveWithPassword(path, m_filePassword.isEmpty());
}

bool CKeystowDoc::OnFileSave() {
    if (GetPathName().isEmpty())
        return OnFileSaveAs();
    return OnSaveDocument(GetPathName());
}

bool CKeystowDoc::DoFileSave() {
    return OnFileSave();
}

bool CKeystowDoc::OnFileSaveAs() {
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
    // A dot in a folder name is no extension.
    if (!NameHasDot(path))
        path += QStringLiteral(".ksw");
    if (QFileInfo::exists(path)) {
        CReplaceFileDlg replace(DialogParent());
        if (replace.DoModal() != IDOK)
            return false;
    }
    // A new name always takes a new password; path, title and password change only once the
    // file is written.
    if (!SaveWithPassword(path, true))
        return false;
    SetPathName(path);
    return true;
}

bool CKeystowDoc::OnSetFilePassword() {
    CSetPasswordDlg dlg(DialogParent());
    dlg.m_password = m_filePassword;
    dlg.m_setMode = true;
    const bool confirmed = dlg.DoModal() == IDOK;
    if (confirmed) {
        m_filePassword = dlg.m_password;
        // The file on disk still has the old password until the next save: closing must ask.
        SetModifiedFlag(true);
    }
    Wipe(dlg.m_password);
    return confirmed;
}

void CKeystowDoc::OnFileOpen() {
    CTimedFileDialog dlg(true, QString(), QString(), OFN_FILEMUSTEXIST, QLatin1String(kOpenFilter),
                         DialogParent());
    if (dlg.DoModal() != IDOK)
        return;
    const QString path = dlg.GetPathName();
    if (path.isEmpty())
        return;
    if (CWinApp* app = CWinApp::Current())
        app->OpenDocumentFile(path);
}

void CKeystowDoc::OnFileNew() {
    CNewDocumentDlg dlg(DialogParent());
    int resourceId = 0;
    switch (dlg.DoModal()) {
    case CNewDocumentDlg::NewTextDocument:
        resourceId = IDR_TEXTTYPE;
        break;
    case CNewDocumentDlg::NewPasswordsDocument:
        resourceId = IDR_KEYSTOWTYPE;
        break;
    default:
        return;
    }
    if (CMultiDocTemplate* tmpl = TemplateFor(resourceId))
        tmpl->OpenDocumentFile(QString());
}

bool CKeystowDoc::SaveModified() {
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
