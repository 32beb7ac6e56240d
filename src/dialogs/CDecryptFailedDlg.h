#pragma once

#include "CShellDialog.h"

class QLabel;

// Tells that a file did not decrypt with the password given. DoModal gives IDOK, IDCANCEL
// (Esc or the close box) or 0 when the screen lock closed it.
class CDecryptFailedDlg : public CShellDialog {
    Q_OBJECT
public:
    explicit CDecryptFailedDlg(QWidget* parent = nullptr);

    // The file's name; a folder in front of it is not shown.
    QString m_fileName;

protected:
    void OnInitDialog() override;

private:
    QLabel* m_message;
};
