#pragma once

// Running the several QtTest classes of one area's executable.

#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

// Runs one test class; a first argument naming a class runs only that one, with the rest of
// the arguments given to it.
template <class T> int RunTestClass(const char* name, int argc, char** argv) {
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

// Settings, the recent-file list included, go to a folder of the run's own while this lives.
class TestSettingsFolder {
public:
    TestSettingsFolder() {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
    }

private:
    QTemporaryDir m_dir;
};
