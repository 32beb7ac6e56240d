#pragma once

#include "CActivityHost.h"

#include <QDialog>

class CLockWatch;

// Dialog results as the program has always used them; 0 means the screen lock closed it.
enum DialogResult { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// Base of every modal dialog: a 100 ms idle check closes the dialog once the main frame has
// locked (unless the check is off, as for the unlock prompt itself), with the dialog's own result, and asks the frame to run the dialog's command again
// after the unlock. Escape ends with IDCANCEL, not 0.
class CModalDialog : public QDialog {
    Q_OBJECT
public:
    explicit CModalDialog(QWidget* parent = nullptr);

    // The result the idle check closes with, and the command to run again after the unlock
    // (0 for none).
    void SetIdleClose(int result, int resumeCommand = 0);
    // Turns the idle check on or off (on by default).
    void SetUseIdleTimer(bool use);
    bool UsesIdleTimer() const;

    void reject() override;

protected:
    // One tick of the idle check; protected so that tests and subclasses can run it at once.
    virtual void OnIdleCheck();

private:
    void CloseForLock();

    CLockWatch* m_lockWatch;
    int m_idleResult = IDCANCEL;
    int m_resumeCommand = 0;
};
