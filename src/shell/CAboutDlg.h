#pragma once

#include "CShellDialog.h"

// "About Keystow Editor": product name, version, build date and time, and the web site.
// DoModal returns IDOK (OK, Enter), IDCANCEL (Esc) or 0 when the screen lock closed it; then
// About (ID_APP_ABOUT) is asked to run again after the unlock.
class CAboutDlg : public CShellDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    static const char* const kVersion;
    // The build's date and time as the compiler gives them, one blank between.
    static QString BuildStamp();
};
