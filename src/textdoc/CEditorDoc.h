#pragma once

#include "CDocument.h"

#include <QString>

class CEditorView;

// An encrypted text document: its text lives in its one CEditorView, its file password here
// (the path is the document's path name, set once a file is really read or written). The password
// is asked for when the file opens and confirmed on every save; it is never written anywhere.
class CEditorDoc : public CDocument {
    Q_OBJECT
public:
    CEditorDoc();
    ~CEditorDoc() override;

    // The file password, at most 259 code-page bytes; empty for a new document.
    QString filePassword;

    CEditorView* GetView() const;

    bool OnOpenDocument(const QString& path) override;
    // Confirms the password and writes the text to path. False when the person cancelled or
    // the file was not written (they have been told why); the document then stays modified.
    bool OnSaveDocument(const QString& path) override;
    // Before closing: unlocks the screen first when it is locked, then asks whether to save.
    // False keeps the document open, also when a save the person asked for did not complete.
    bool SaveModified() override;
    bool DoFileSave() override;

    // The File and Settings commands of a text document; each returns whether it completed.
    bool OnFileSave();
    bool OnFileSaveAs();
    void OnSetFilePassword();

    // The name offered for a document without a path: its title, with ".etx" when it has no
    // extension.
    QString DefaultFileName() const;

private:
    QWidget* DialogParent() const;
};
