#include "tst_AccountForms.h"
#include "tst_AddPages.h"
#include "tst_CKeystowChildFrame.h"
#include "tst_CKeystowDoc.h"
#include "tst_CLeftView.h"
#include "tst_ViewActivity.h"
#include "tst_WebAddress.h"

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

namespace {
// Runs one test class; a first argument naming a class runs only that one, with the rest of
// the arguments given to it.
template <class T> int Run(const char* name, int argc, char** argv) {
    if (argc > 1 && argv[1][0] != '-') {
        if (std::strcmp(argv[1], name) != 0)
            return 0;
        argv[1] = argv[0];
        ++argv;
        --argc;
    }
    T test;
    return QTest::qExec(&test, argc, argv);
}
} // namespace

// One executable for the area; each class runs in turn and any failure fails the run.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    // The recent-file list and other settings go to a folder of the run's own.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    int status = 0;
    status |= Run<TestCKeystowDoc>("TestCKeystowDoc", argc, argv);
    status |= Run<TestCKeystowChildFrame>("TestCKeystowChildFrame", argc, argv);
    status |= Run<TestCLeftView>("TestCLeftView", argc, argv);
    status |= Run<TestAccountForms>("TestAccountForms", argc, argv);
    status |= Run<TestAddPages>("TestAddPages", argc, argv);
    status |= Run<TestWebAddress>("TestWebAddress", argc, argv);
    status |= Run<TestViewActivity>("TestViewActivity", argc, argv);
    return status;
}
