#include "tst_editex.h"
#include "tst_editordoc.h"
#include "tst_editorview.h"

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
    status |= Run<TestCEditEx>("TestCEditEx", argc, argv);
    status |= Run<TestCEditorView>("TestCEditorView", argc, argv);
    status |= Run<TestCEditorDoc>("TestCEditorDoc", argc, argv);
    return status;
}
