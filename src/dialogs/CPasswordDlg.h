#pragma once

#include "CShellDialog.h"
#include "SecretString.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

// "Enter Password": asks for a file password, or with m_screenMode for the screen password.
// DoModal gives IDOK (m_password holds the non-empty password) or IDCANCEL (Cancel, Esc,
// the close box, or the screen lock while m_useIdleTimer is on).
class CPasswordDlg : public CShellDialog {
    Q_OBJECT
public:
    explicit CPasswordDlg(QWidget* parent = nullptr);

    // Out: the password typed, at most 259 code-page bytes; on cancel, the field as last
    // changed.
    SecretString m_password;
    // False while the screen is locked: the dialog then ignores the lock.
    bool m_useIdleTimer = true;
    // True asks for the screen password ("Screen Password:").
    bool m_screenMode = false;

    // After repeated wrong screen passwords: the field takes input only once ms milliseconds
    // of the program's clock have passed since from; the wait shows in the prompt meanwhile.
    void SetInputDelay(quint32 from, quint32 ms);
    bool IsWaiting() const { return m_waitMs != 0; }

protected:
    void OnInitDialog() override;

private:
    void OnPasswordChanged();
    void OnOk();
    void UpdateWait();

    QLabel* m_label;
    QLineEdit* m_edit;
    QLabel* m_problem;
    QPushButton* m_ok;
    QLabel* m_wait;
    QTimer* m_waitTimer;
    quint32 m_waitFrom = 0;
    quint32 m_waitMs = 0;
};
