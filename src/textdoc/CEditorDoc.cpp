#include "CEditorDoc.h"

#include "CEditorView.h"
#include "CPasswordDlg.h"
#include "CSetPasswordDlg.h"
#include "CShellDialog.h"
#include "TextFile.h"

#include <QFileInfo>
#include <QMessageBox>

#include <utility>

namespace {
const char kSaveFilter[] = "Keystow Encrypted Text Files (*.etx)|*.etx|";
} // namespace

CEditorDoc::CEditorDoc()
    : CEncryptedDoc(QStringLiteral(".etx"), QString::fromLatin1(kSaveFilter)) {}

CEditorDoc::~CEditorDoc() = default;

CEditorView* CEditorDoc::GetView() const {
    for (CView* view : GetViews())
        if (auto* editor = dynamic_cast<CEditorView*>(view))
            return editor;
    return nullptr;
}

bool CEditorDoc::OnOpenDocument(const QString& path) {
    if (!CheckRegularFile(path))
        return false;
    CPasswordDlg dlg(DialogParent());
    dlg.m_useIdleTimer = true;
    dlg.m_screenMode = false;
    if (!TakePassword(dlg.DoModal(), dlg.m_password, m_filePassword))
        return false;
    CEditorView* view = GetView();
    FileIdentity read;
    FileFormat format = FileFormat::Compatible;
    if (!view || !view->LoadDocumentFile(path, m_filePassword.View(), &format, &read)) {
        Wipe(m_filePassword);
        return false;
    }
    SetDocumentFormat(format);
    SetModifiedFlag(false);
    RememberDiskFile(read);
    return true;
}

bool CEditorDoc::OnSaveDocument(const QString& path) {
    // Every save confirms or changes the password.
    CSetPasswordDlg dlg(DialogParent());
    dlg.m_password = m_filePassword;
    dlg.m_setMode = false;
    OfferFormat(dlg);
    SecretString password;
    if (!TakePassword(dlg.DoModal(), dlg.m_password, password))
        return false;
    const FileFormat format = TakeFormat(dlg);
    if (!ConfirmWriteOver(path)) {
        Wipe(password);
        return false;
    }

    CEditorView* view = GetView();
    QString reason;
    FileIdentity written;
    const bool saved = view && view->SaveDocumentFile(path, password.View(), &reason, format,
                                                      &written) == SaveResult::Saved;
    // The document takes the password and the format once the file has them.
    if (saved) {
        m_filePassword = std::move(password);
        SetDocumentFormat(format);
        RememberDiskFile(written);
        TellSaveNotice(path, reason);
    } else {
        TellNotSaved(path, reason); // nothing was replaced, and closing will ask again
    }
    Wipe(password);
    return saved;
}

bool CEditorDoc::SaveToNewName(const QString& path) {
    return OnSaveDocument(path);
}

bool CEditorDoc::ReloadFromDisk() {
    CEditorView* view = GetView();
    FileIdentity read;
    FileFormat format = FileFormat::Compatible;
    if (!view || !view->LoadDocumentFile(GetPathName(), m_filePassword.View(), &format, &read))
        return false;
    SetDocumentFormat(format);
    SetModifiedFlag(false);
    RememberDiskFile(read);
    return true;
}

void CEditorDoc::MarkPasswordChanged() {
    // Through the editor, whose own mark drives the document's.
    if (CEditorView* view = GetView())
        view->document()->setModified(true);
    SetModifiedFlag(true);
}
