#pragma once

#include "CShellDialog.h"

// Another program changed a document's file on disk. Before a save writes over it: "NAME was
// changed by another program after you opened it. Overwrite those changes?" with Overwrite
// (IDOK), Save As... (kSaveAs) and Cancel (IDCANCEL, the default; also Esc, the close box and
// the screen lock). When the window comes to the front with nothing unsaved: "NAME was changed
// by another program. Reload it?" with Yes (IDYES) and No (IDNO, the default).
class CFileChangedDlg : public CShellDialog {
    Q_OBJECT
public:
    enum class Question { Overwrite, Reload };
    // The result and the button id of Save As...
    static constexpr int kSaveAs = 57604; // the Save As command's id

    // path: the document's file; only its name is shown.
    CFileChangedDlg(Question question, const QString& path, QWidget* parent = nullptr);

    Question GetQuestion() const { return m_question; }

protected:
    void OnInitDialog() override;

private:
    Question m_question;
};
