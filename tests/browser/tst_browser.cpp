#include "tst_browserhistory.h"
#include "tst_browsermenus.h"
#include "tst_browserwindow.h"

#include "TestRunner.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

// One executable for the area. Home and the desktop folders point at a folder of the run's
// own, so that a test can see everything browsing leaves on disk.
int main(int argc, char** argv) {
    QTemporaryDir home;
    const QByteArray root = QDir(home.path()).absolutePath().toLocal8Bit();
    qputenv("HOME", root);
    qputenv("XDG_CONFIG_HOME", root + "/.config");
    qputenv("XDG_DATA_HOME", root + "/.local/share");
    qputenv("XDG_CACHE_HOME", root + "/.cache");
    qputenv("XDG_STATE_HOME", root + "/.local/state");
    qputenv("KEYSTOW_TEST_HOME", root);
    QApplication app(argc, argv);
    TestSettingsFolder settings;
    int status = 0;
    status |= RunTestClass<TestBrowserHistory>("TestBrowserHistory", argc, argv);
    status |= RunTestClass<TestBrowserWindow>("TestBrowserWindow", argc, argv);
    // Last: the whole program registers its file types in the run's home folder.
    status |= RunTestClass<TestBrowserMenus>("TestBrowserMenus", argc, argv);
    return status;
}
