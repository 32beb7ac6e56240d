#pragma once

#include "CShellDialog.h"
#include "SecretString.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QMessageBox;
class QPushButton;

// "Set Password": a new file password typed twice. DoModal gives IDOK (both fields equal and
// not empty; m_password holds the new password) or IDCANCEL (Cancel, Esc or the screen lock).
class CSetPasswordDlg : public CShellDialog {
    Q_OBJECT
public:
    explicit CSetPasswordDlg(QWidget* parent = nullptr);

    // In: the password shown in both fields (empty by default). Out: the new password, at
    // most 259 code-page bytes; on cancel, the first field as last typed or the value given.
    SecretString m_password;
    // True captions OK "Set" instead of "Save".
    bool m_setMode = false;
    // In: whether the document uses the strong format; out: whether the file is to be written
    // in it (the person's choice in the check box).
    bool m_strong = false;

protected:
    void OnInitDialog() override;
    void OnIdleCheck() override;

private:
    void OnPasswordChanged();
    void OnConfirmChanged();
    void OnOk();
    void UpdateOk();

    QLineEdit* m_edit;
    QLineEdit* m_confirm;
    QLabel* m_problem;
    QCheckBox* m_strongBox;
    QPushButton* m_ok;
    QMessageBox* m_message = nullptr;
    bool m_confirmEmpty = true;
};
