#pragma once

#include "CEncryptedDoc.h"

#include <QString>

class CEditorView;

// An encrypted text document: its text lives in its one CEditorView. The password is asked for
// when the file opens and confirmed on every save; it is never written anywhere.
class CEditorDoc : public CEncryptedDoc {
    Q_OBJECT
public:
    CEditorDoc();
    ~CEditorDoc() override;

    CEditorView* GetView() const;

    bool OnOpenDocument(const QString& path) override;
    // Confirms the password and writes the text to path. False when the person cancelled or
    // the file was not written (they have been told why); the document then stays modified.
    bool OnSaveDocument(const QString& path) override;

protected:
    bool SaveToNewName(const QString& path) override;
    void MarkPasswordChanged() override;
    bool ReloadFromDisk() override;
};
