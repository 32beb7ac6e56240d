#pragma once

#include "ShellTestSupport.h"

#include <QObject>

// Browser windows in the whole program: which menu bar the main window shows while one is
// active, and what it offers.
class TestBrowserMenus : public QObject, protected ShellFixture {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void menuBarFollowsActiveWindow_data();
    void menuBarFollowsActiveWindow();
    void defaultMenuCommandsWithBrowserActive();
    void blockedWindowNamedInStatusBar();

private:
    CDocument* Open(char kind);
};
