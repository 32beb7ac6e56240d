#pragma once

#include "CShellDialog.h"

class QPushButton;

// "New Document...": which kind of document File New creates.
class CNewDocumentDlg : public CShellDialog {
    Q_OBJECT
public:
    // DoModal's results besides IDCANCEL (2, Esc) and 0 (the close box or the screen lock,
    // which also sets the New resume flag).
    enum { NewTextDocument = 1, NewPasswordsDocument = 3 };

    explicit CNewDocumentDlg(QWidget* parent = nullptr);

protected:
    void OnInitDialog() override;
    void closeEvent(QCloseEvent* event) override;

private:
    QPushButton* AddChoice(int id, int iconId, const QString& text, const QString& tip, int result);
};
