#pragma once

#include "CShellDialog.h"

class LockSettings;
class QCheckBox;
class QComboBox;
class QLineEdit;

// "Screen Lock Settings": the idle lock, the start-up lock, the screen password and the text
// shown on the lock window.
//
// DoModal shows the record given and returns IDOK once the person's choices are stored back
// into it (the caller saves the record and tells the main frame), or IDCANCEL for Cancel, Esc
// or the screen lock, with the record untouched. Every field is stored, enabled or not; the
// screen password and the prompt are cut to 259 characters and must be text the legacy code
// page can hold, and a screen password that is switched on must not be empty.
class CScreenLockSettingsDlg : public CShellDialog {
    Q_OBJECT
public:
    explicit CScreenLockSettingsDlg(LockSettings& settings, QWidget* parent = nullptr);

    // Entries of the idle-time list; the entry's index is what the record stores.
    static constexpr int kTimeoutEntries = 8;

protected:
    void OnInitDialog() override;

private:
    void UpdateEnabled();
    void OnOk();
    // Shows the message and puts the focus back into the field; false.
    bool Refuse(const QString& message, QLineEdit* field);

    LockSettings& m_settings;
    QCheckBox* m_lockEnabled;
    QComboBox* m_timeout;
    QCheckBox* m_lockAtStartup;
    QLineEdit* m_password;
    QLineEdit* m_confirm;
    QCheckBox* m_passwordEnabled;
    QLineEdit* m_prompt;
};
