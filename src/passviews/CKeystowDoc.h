#pragma once

#include "CEncryptedDoc.h"

#include <AccountStore.h>

#include <QString>

class CKeystowChildFrame;
class QWidget;

// An encrypted passwords document: three account lists read from and written to a .ksw file
// under the document's file password. The path is the framework's path name, which changes
// only after a completed open or save; the password is never written anywhere.
class CKeystowDoc : public CEncryptedDoc {
    Q_OBJECT
public:
    CKeystowDoc();
    ~CKeystowDoc() override;

    AccountStore& Accounts() { return m_accounts; }
    const AccountStore& Accounts() const { return m_accounts; }

    // The frame showing this document, or null.
    CKeystowChildFrame* GetFrame() const;

    bool OnNewDocument() override;
    // Asks for the password and loads the file. False when the person cancelled (silently)
    // or the file did not load (they have been told why).
    bool OnOpenDocument(const QString& path) override;
    // Writes the accounts to path, asking for a password first when none is set. False when
    // nothing was written (the person was told why unless they cancelled); the document then
    // stays modified.
    bool OnSaveDocument(const QString& path) override;
    void DeleteContents() override;

protected:
    bool SaveToNewName(const QString& path) override;
    bool ReloadFromDisk() override;

private:
    // Opens the file into loaded; on failure tells the person why, naming the file.
    bool ReadAccounts(const QString& path, const QString& password, AccountStore& loaded,
                      FileFormat& format, FileIdentity& read) const;
    // Writes the file, telling the person why when it fails.
    bool WriteFile(const QString& path, const QString& password, FileFormat format);
    // Writes with the current password, or with a new one asked for first.
    bool SaveWithPassword(const QString& path, bool askPassword);

    AccountStore m_accounts;
};
