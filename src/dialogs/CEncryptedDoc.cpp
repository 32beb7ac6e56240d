#include "CEncryptedDoc.h"

#include "CActivityHost.h"
#include "CFileChangedDlg.h"
#include "CMDIChildWnd.h"
#include "CMDIFrameWnd.h"
#include "CModalDialog.h"
#include "CReplaceFileDlg.h"
#include "CSaveChangesDlg.h"
#include "CSetPasswordDlg.h"
#include "CShellDialog.h"
#include "CTimedFileDialog.h"
#include "CWinApp.h"
#include "DocumentCommands.h"
#include "NewDocumentFormat.h"
#include "resource.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <utility>

CEncryptedDoc::CEncryptedDoc(const QString& extension, const QString& saveFilter)
    : m_extension(extension), m_saveFilter(saveFilter), m_format(NewDocumentsFormat()) {
    OnCommand(ID_FILE_NEW, [this] { RunFileNewCommand(DialogParent()); });
    OnCommand(ID_FILE_OPEN, [this] { RunFileOpenCommand(DialogParent()); });
    OnCommand(ID_FILE_SAVE, [this] { OnFileSave(); });
    OnCommand(ID_FILE_SAVE_AS, [this] { OnFileSaveAs(); });
    OnCommand(ID_SET_FILE_PASSWORD, [this] { OnSetFilePassword(); });
}

// The password wipes itself.
CEncryptedDoc::~CEncryptedDoc() = default;

bool CEncryptedDoc::TakePassword(int result, SecretString& dialogPassword, SecretString& password) {
    const bool confirmed = result == IDOK;
    if (confirmed)
        password = std::move(dialogPassword); // moves the buffer: no second copy to wipe
    Wipe(dialogPassword);
    return confirmed;
}

QWidget* CEncryptedDoc::DialogParent() const {
    if (CWinApp* app = CWinApp::Current())
        if (app->GetMainWnd())
            return app->GetMainWnd();
    const QList<CMDIChildWnd*> frames = GetFrames();
    return frames.isEmpty() ? nullptr : frames.first()->window();
}

QString CEncryptedDoc::DefaultFileName() const {
    const QString name = GetTitle();
    return name.contains(QLatin1Char('.')) ? name : name + m_extension;
}

void CEncryptedDoc::TellNotSaved(const QString& path, const QString& reason) const {
    // Nothing was replaced; the person must know, and closing will ask again.
    ShowMessageBox(DialogParent(), QMessageBox::Warning,
                   tr("The document was not saved to %1.\n%2")
                       .arg(QFileInfo(path).fileName(),
                            reason.isEmpty() ? tr("The file could not be written.") : reason));
}

void CEncryptedDoc::TellSaveNotice(const QString& path, const QString& notice) const {
    if (!notice.isEmpty())
        ShowMessageBox(DialogParent(), QMessageBox::Information,
                       tr("%1\n%2").arg(QFileInfo(path).fileName(), notice));
}

void CEncryptedDoc::TellNotOpened(const QString& path, const QString& reason) const {
    ShowMessageBox(DialogParent(), QMessageBox::Warning,
                   tr("Cannot open %1.\n%2")
                       .arg(QDir::toNativeSeparators(path),
                            reason.isEmpty() ? tr("The file could not be read.") : reason));
}

bool CEncryptedDoc::CheckRegularFile(const QString& path) const {
    const QFileInfo info(path);
    // A missing file is for the load to report; anything else that is not a plain file is
    // refused here, before the password prompt.
    if (!info.exists() || info.isFile())
        return true;
    TellNotOpened(path, info.isDir() ? tr("It is a folder, not a file.")
                                     : tr("It is not a regular file (a pipe, device or the like), "
                                          "so it is not opened."));
    return false;
}

bool CEncryptedDoc::OnFileSave() {
    if (GetPathName().isEmpty())
        return OnFileSaveAs();
    return SaveOverOwnFile();
}

bool CEncryptedDoc::DoFileSave() {
    return OnFileSave();
}

bool CEncryptedDoc::OnFileSaveAs() {
    QString initial = DefaultFileName();
    if (!GetPathName().isEmpty())
        initial = QFileInfo(QFileInfo(GetPathName()).absolutePath(), initial).filePath();
    CTimedFileDialog dlg(false, QString(), initial, OFN_HIDEREADONLY, m_saveFilter, DialogParent());
    if (dlg.DoModal() != IDOK)
        return false;
    QString path = dlg.GetPathName();
    if (path.isEmpty())
        return false;
    // Only the file name counts: a dot in a folder name is no extension.
    if (!QFileInfo(path).fileName().contains(QLatin1Char('.')))
        path += m_extension;
    if (QFileInfo::exists(path)) {
        CReplaceFileDlg replace(DialogParent());
        if (replace.DoModal() != IDOK)
            return false;
    }
    // The document takes the new name only once the file is really there.
    if (!SaveToNewName(path))
        return false;
    SetPathName(path);
    return true;
}

bool CEncryptedDoc::OnSetFilePassword() {
    CSetPasswordDlg dlg(DialogParent());
    dlg.m_password = m_filePassword;
    dlg.m_setMode = true;
    OfferFormat(dlg);
    if (!TakePassword(dlg.DoModal(), dlg.m_password, m_filePassword))
        return false;
    // Like the password, the format reaches the file with the next save.
    m_format = TakeFormat(dlg);
    MarkPasswordChanged();
    return true;
}

void CEncryptedDoc::OfferFormat(CSetPasswordDlg& dlg) const {
    dlg.m_strong = m_format == FileFormat::Strong;
}

FileFormat CEncryptedDoc::TakeFormat(const CSetPasswordDlg& dlg) {
    return dlg.m_strong ? FileFormat::Strong : FileFormat::Compatible;
}

bool CEncryptedDoc::SaveModified() {
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

bool CEncryptedDoc::SaveOverOwnFile() {
    m_checked = false;
    m_saveAsInstead = false;
    // Asked before the password, so that nobody types it for a save they then cancel.
    switch (AskBeforeOverwriting()) {
    case Overwrite::Yes:
        break;
    case Overwrite::SaveAs:
        return OnFileSaveAs();
    case Overwrite::Cancel:
        return false;
    }
    // The type looks again right before it writes: the file may change while it asks for the
    // password.
    m_checkingSave = true;
    const bool saved = OnSaveDocument(GetPathName());
    m_checkingSave = false;
    m_checked = false;
    m_checkedFile = FileIdentity();
    if (!saved && std::exchange(m_saveAsInstead, false))
        return OnFileSaveAs();
    return saved;
}

bool CEncryptedDoc::ConfirmWriteOver(const QString& path) {
    if (!m_checkingSave || path != GetPathName() || StillAsChecked())
        return true;
    switch (AskBeforeOverwriting()) {
    case Overwrite::Yes:
        return true;
    case Overwrite::SaveAs:
        m_saveAsInstead = true;
        return false;
    case Overwrite::Cancel:
        break;
    }
    return false;
}

bool CEncryptedDoc::StillAsChecked() const {
    if (!m_checked)
        return false;
    const FileIdentity::Disk now = m_checkedFile.CompareMetadataWith(GetPathName());
    return now == (m_checkedFile.IsKnown() ? FileIdentity::Disk::Same : m_checkedState);
}

CEncryptedDoc::Overwrite CEncryptedDoc::AskBeforeOverwriting() {
    const QString path = GetPathName();
    if (path.isEmpty() || !m_diskFile.IsKnown())
        return Overwrite::Yes; // nothing was read from or written to this name yet
    const FileIdentity::Disk state = m_diskFile.CompareWith(path);
    if (state == FileIdentity::Disk::Same) {
        m_checkedFile = m_diskFile;
        m_checked = true;
        return Overwrite::Yes;
    }
    // What is there now, to know it again right before the write.
    const FileIdentity now =
        state == FileIdentity::Disk::Missing ? FileIdentity() : FileIdentity::OfPath(path);
    CFileChangedDlg dlg(CFileChangedDlg::Question::Overwrite, path, DialogParent());
    switch (dlg.DoModal()) {
    case IDOK:
        m_checkedFile = now;
        m_checkedState = state;
        m_checked = true;
        return Overwrite::Yes;
    case CFileChangedDlg::kSaveAs:
        return Overwrite::SaveAs;
    default:
        return Overwrite::Cancel; // Cancel, Esc, the close box or the lock
    }
}

void CEncryptedDoc::OnFrameActivated() {
    if (m_reloadScheduled)
        return;
    m_reloadScheduled = true;
    // Once the activation has settled: a question from inside it would steal it.
    QTimer::singleShot(0, this, [this] {
        m_reloadScheduled = false;
        OfferReload();
    });
}

void CEncryptedDoc::OfferReload() {
    const QString path = GetPathName();
    if (m_offeringReload || IsModified() || IsClosing() || path.isEmpty() || !m_diskFile.IsKnown())
        return;
    // Nothing of the document shows over the lock, nor in the middle of another question; the
    // next activation asks.
    if (CActivityHost* host = CActivityHost::Current(); host && host->m_locked)
        return;
    if (QApplication::activeModalWidget())
        return;
    // One stat on every activation; the file is read only when it is another one now. (A save
    // reads and hashes it whole, so a write that kept size and time is still caught there.)
    // A removed file leaves the window as it is: there is nothing to reload.
    if (m_diskFile.CompareMetadataWith(path) != FileIdentity::Disk::Changed)
        return;
    if (m_declinedReload.CompareMetadataWith(path) == FileIdentity::Disk::Same)
        return;
    const FileIdentity now = FileIdentity::OfPath(path);
    if (!now.IsKnown())
        return;
    m_offeringReload = true;
    CFileChangedDlg dlg(CFileChangedDlg::Question::Reload, path, DialogParent());
    const bool reload = dlg.DoModal() == IDYES && !IsModified();
    m_offeringReload = false;
    // A version kept out, or one that did not load, is not offered again.
    if (!reload || !ReloadFromDisk())
        m_declinedReload = now;
}
