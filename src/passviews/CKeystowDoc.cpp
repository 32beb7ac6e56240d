#include "CKeystowDoc.h"

#include "BusyWork.h"
#include "CDecryptFailedDlg.h"
#include "CKeystowChildFrame.h"
#include "CLeftView.h"
#include "CModalDialog.h"
#include "CPasswordDlg.h"
#include "CSetPasswordDlg.h"
#include "CShellDialog.h"

#include <PasswordsFile.h>
#include <StrongTextFile.h>

#include <QFileInfo>
#include <QMessageBox>

#include <utility>

namespace {
const char kSaveFilter[] = "Keystow Encrypted Data Files (*.ksw)|*.ksw|";
} // namespace

CKeystowDoc::CKeystowDoc()
    : CEncryptedDoc(QStringLiteral(".ksw"), QString::fromLatin1(kSaveFilter)) {}

CKeystowDoc::~CKeystowDoc() = default;

CKeystowChildFrame* CKeystowDoc::GetFrame() const {
    for (CMDIChildWnd* frame : GetFrames())
        if (auto* passwords = qobject_cast<CKeystowChildFrame*>(frame))
            return passwords;
    return nullptr;
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
    if (!CheckRegularFile(path))
        return false;
    CPasswordDlg dlg(DialogParent());
    dlg.m_useIdleTimer = true;
    dlg.m_screenMode = false;
    const bool confirmed = dlg.DoModal() == IDOK;
    SecretString password = std::move(dlg.m_password);
    if (!confirmed)
        return false; // the person changed their mind: nothing to tell

    AccountStore loaded;
    FileIdentity read;
    FileFormat format = FileFormat::Compatible;
    if (!ReadAccounts(path, password.View(), loaded, format, read)) {
        Wipe(password);
        return false;
    }
    m_accounts = std::move(loaded);
    SetDocumentFormat(format);
    m_filePassword = std::move(password);
    SetModifiedFlag(false);
    RememberDiskFile(read);
    return true;
}

bool CKeystowDoc::ReadAccounts(const QString& path, const QString& password, AccountStore& loaded,
                               FileFormat& format, FileIdentity& read) const {
    const QString fileName = QFileInfo(path).fileName();
    QString reason;
    PasswordsLoadResult result = PasswordsLoadResult::NotRead;
    RunWithBusyCursor(
        [&] { result = OpenPasswordsFile(path, password, loaded, &reason, &format, &read); });
    switch (result) {
    case PasswordsLoadResult::Loaded:
        return true;
    case PasswordsLoadResult::NotDecrypted: {
        CDecryptFailedDlg failed(DialogParent());
        failed.m_fileName = fileName;
        failed.DoModal();
        break;
    }
    case PasswordsLoadResult::Damaged:
        // Never opened in part: a changed file could hide or alter accounts.
        ShowMessageBox(DialogParent(), QMessageBox::Warning, DamagedFileMessage(fileName));
        break;
    case PasswordsLoadResult::NotPasswords:
        ShowMessageBox(DialogParent(), QMessageBox::Warning, NotPasswordsDocumentMessage(fileName));
        break;
    case PasswordsLoadResult::NotRead:
        TellNotOpened(path, reason);
        break;
    }
    return false;
}

bool CKeystowDoc::WriteFile(const QString& path, const QString& password, FileFormat format) {
    if (!ConfirmWriteOver(path))
        return false;
    QString reason;
    FileIdentity written;
    SaveResult saved = SaveResult::NotWritten;
    RunWithBusyCursor(
        [&] { saved = SavePasswordsFile(path, password, m_accounts, &reason, format, &written); });
    if (saved != SaveResult::Saved) {
        TellNotSaved(path, reason);
        return false;
    }
    RememberDiskFile(written);
    TellSaveNotice(path, reason);
    return true;
}

bool CKeystowDoc::SaveWithPassword(const QString& path, bool askPassword) {
    SecretString password = m_filePassword;
    // A save without the dialog keeps the format: a strong document stays strong.
    FileFormat format = DocumentFormat();
    if (askPassword) {
        CSetPasswordDlg dlg(DialogParent());
        dlg.m_setMode = false;
        OfferFormat(dlg);
        const bool confirmed = dlg.DoModal() == IDOK;
        password = std::move(dlg.m_password);
        if (!confirmed)
            return false;
        format = TakeFormat(dlg);
    }
    // The document takes the new password and format only once the file is written with them.
    const bool written = WriteFile(path, password.View(), format);
    if (written) {
        m_filePassword = std::move(password);
        SetDocumentFormat(format);
        SetModifiedFlag(false);
    }
    return written;
}

bool CKeystowDoc::OnSaveDocument(const QString& path) {
    return SaveWithPassword(path, m_filePassword.isEmpty());
}

bool CKeystowDoc::SaveToNewName(const QString& path) {
    // A new name always takes a new password; path, title and password change only once the
    // file is written.
    return SaveWithPassword(path, true);
}

bool CKeystowDoc::ReloadFromDisk() {
    AccountStore loaded;
    FileIdentity read;
    FileFormat format = FileFormat::Compatible;
    if (!ReadAccounts(GetPathName(), m_filePassword.View(), loaded, format, read))
        return false;
    SetDocumentFormat(format);
    // No form may keep showing a record of the old accounts: the pane goes blank first.
    CKeystowChildFrame* frame = GetFrame();
    if (frame)
        frame->ShowPaneView(frame->blankRootViewId);
    m_accounts = std::move(loaded);
    SetModifiedFlag(false);
    RememberDiskFile(read);
    if (frame && frame->GetLeftView())
        frame->GetLeftView()->OnInitialUpdate();
    return true;
}
