#pragma once

#include "CDocument.h"
#include "FileIdentity.h"
#include "SecretString.h"

#include <TextFile.h>

#include <QString>

class CSetPasswordDlg;
class QWidget;

// What the program's encrypted document types share: the file password the document holds
// (never written anywhere, wiped when it goes), the file commands New, Open, Save, Save As and
// Set New File Password, and the question before closing. The type says how its content is
// written; the path is the document's path name, which changes only after a completed save.
class CEncryptedDoc : public CDocument {
    Q_OBJECT
public:
    // extension: ".etx" or ".ksw"; saveFilter: the Save As chooser's "name|pattern|" filter.
    CEncryptedDoc(const QString& extension, const QString& saveFilter);
    ~CEncryptedDoc() override;

    // The file password; empty while none is set (a new document).
    const SecretString& FilePassword() const { return m_filePassword; }

    // Before closing: unlocks the screen first when it is locked, then asks whether to save.
    // False keeps the document open, also when a save the person asked for did not complete.
    bool SaveModified() override;
    bool DoFileSave() override;

    // The file commands; each returns whether it completed.
    bool OnFileSave();
    bool OnFileSaveAs();
    bool OnSetFilePassword();

    // The container the document is written in: the file's when it was opened, the program-wide
    // choice for a new document, and what the person chose in the password dialog since.
    FileFormat DocumentFormat() const { return m_format; }
    void SetDocumentFormat(FileFormat format) { m_format = format; }

    // The name offered for a document without a path: its title, with the type's extension
    // when it has none.
    QString DefaultFileName() const;

protected:
    QWidget* DialogParent() const;
    // Writes the document to a new name for Save As, asking for the password as the type
    // does; false when nothing was written.
    virtual bool SaveToNewName(const QString& path) = 0;
    // Marks the document changed after a new file password: the file keeps the old one until
    // the next save, so closing must ask.
    virtual void MarkPasswordChanged() { SetModifiedFlag(true); }

    // Takes the password a dialog returned when it was confirmed, and wipes the dialog's copy
    // either way. True when the dialog was confirmed.
    static bool TakePassword(int result, SecretString& dialogPassword, SecretString& password);
    // The password dialog shows the document's format in its check box; the format chosen there
    // is returned by TakeFormat once the dialog was confirmed.
    void OfferFormat(CSetPasswordDlg& dlg) const;
    static FileFormat TakeFormat(const CSetPasswordDlg& dlg);
    static void Wipe(SecretString& secret) { secret.Clear(); }
    // Tells the person that a save did not complete, naming the file and the reason.
    void TellNotSaved(const QString& path, const QString& reason) const;
    // After a completed save: tells what of the old file's access could not be kept (the
    // write path's notice), when anything.
    void TellSaveNotice(const QString& path, const QString& notice) const;
    // Tells the person that a file could not be opened, naming it and the reason.
    void TellNotOpened(const QString& path, const QString& reason) const;
    // Before asking for a password: only regular files are opened, since reading a pipe,
    // FIFO or device could block the window for good. False, with the person told, otherwise.
    bool CheckRegularFile(const QString& path) const;

    SecretString m_filePassword;

    // Other programs' changes to the document's file. The types tell what they read and
    // wrote, ask right before they write over the document's own file, and know how to read
    // it again.
public:
    // The file as the document last read or wrote it; unknown for a new document.
    const FileIdentity& DiskFile() const { return m_diskFile; }
    // Offers to reload the file when another program changed it and nothing here is unsaved.
    void OnFrameActivated() override;

protected:
    // After a completed open or save of the document's own file.
    void RememberDiskFile(const FileIdentity& identity) { m_diskFile = identity; }
    // Right before a type writes path during Save: asks when another program changed, replaced
    // or removed the file since the document read or wrote it. False when nothing may be
    // written (the person cancelled, or chose Save As, which the Save then runs).
    bool ConfirmWriteOver(const QString& path);
    // Reads the document's file again with the password it holds; false, with the person told,
    // when it did not load (the document then stays as it was).
    virtual bool ReloadFromDisk() = 0;

private:
    enum class Overwrite { Yes, SaveAs, Cancel };
    // Compares the file with what the document last read or wrote and asks when they differ.
    Overwrite AskBeforeOverwriting();
    // Whether the file is still the one this Save looked at and may write over: one stat, as
    // the whole look was only moments ago.
    bool StillAsChecked() const;
    // Runs the Save command's write, checking the file again right before it is written.
    bool SaveOverOwnFile();
    void OfferReload();

    FileIdentity m_diskFile;
    // During a Save: what it found on disk and may write over (unknown: no readable file).
    FileIdentity m_checkedFile;
    FileIdentity::Disk m_checkedState = FileIdentity::Disk::Same;
    bool m_checked = false;
    bool m_checkingSave = false;
    bool m_saveAsInstead = false;
    // The other program's version the person chose to keep out of the window.
    FileIdentity m_declinedReload;
    bool m_reloadScheduled = false;
    bool m_offeringReload = false;

    QString m_extension;
    QString m_saveFilter;
    FileFormat m_format;
};
