#pragma once

#include "CShellDialog.h"
#include "resource.h"

class QCheckBox;
class QToolButton;

// "Welcome": the start page with picture buttons for a new or an existing document and the
// product's web site, and the switch that shows the page at every start.
//
// The page does not run commands itself; DoModal says what the person chose and the caller
// acts on it. Whatever way the page closes, the switch is written first (SetShowWelcome).
class CWelcomeDlg : public CShellDialog {
    Q_OBJECT
public:
    // What DoModal returns.
    enum Result {
        // The screen lock closed the page; the welcome page (ID_WIZARD) is asked to run again
        // after the unlock.
        ClosedByLock = 0,
        // Esc or the close box: nothing to do.
        Cancelled = IDCANCEL,
        // "Create a new encrypted document...": run New (ID_FILE_NEW, the document chooser).
        NewDocument = ID_FILE_NEW,
        // "Open an existing encrypted document...": run Open (ID_FILE_OPEN).
        OpenDocument = ID_FILE_OPEN,
    };

    explicit CWelcomeDlg(QWidget* parent = nullptr);
    ~CWelcomeDlg() override;

    void done(int result) override;

protected:
    void OnInitDialog() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QToolButton* AddPictureButton(int id, const QIcon& icon, const QString& text);
    void StoreShowSwitch();

    QCheckBox* m_showAtStartup;
    bool m_switchRead = false;
};
