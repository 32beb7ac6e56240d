#pragma once

#include "CActivityHost.h"

#include <QDialog>

class QTimer;

// Dialog results as the program has always used them; 0 means the screen lock closed it.
enum DialogResult { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// Base of every modal dialog: a 100 ms idle check closes the dialog once the main frame has
// locked, with the dialog's own result, and sets its resume flag so that the frame can open
// it again after the unlock. Escape ends with IDCANCEL, not 0.
class CModalDialog : public QDialog {
    Q_OBJECT
public:
    explicit CModalDialog(QWidget* parent = nullptr);

    // The result the idle check closes with, and the resume flag it sets (-1 for none).
    void SetIdleClose(int result, int resumeFlag = -1);
    // Turns the idle check on or off (on by default); takes effect when the dialog shows.
    void SetUseIdleTimer(bool use) { m_useIdleTimer = use; }
    bool UsesIdleTimer() const { return m_useIdleTimer; }

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // One tick of the idle check; protected so that tests and subclasses can run it at once.
    virtual void OnIdleCheck();

private:
    QTimer* m_idleTimer;
    bool m_useIdleTimer = true;
    int m_idleResult = IDCANCEL;
    int m_resumeFlag = -1;
};
