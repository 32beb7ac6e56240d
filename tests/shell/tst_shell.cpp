#include "ShellTestSupport.h"

#include <QApplication>
#include <QStandardPaths>
#include <QtTest>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Keystow"));
    QCoreApplication::setApplicationName(QStringLiteral("Keystow Editor"));
    // Start-up registers the file types under the data folder: keep that out of the real one.
    QStandardPaths::setTestModeEnabled(true);
    int failures = 0;
    for (auto create : {CreateLockSettingsTest, CreateSettingsTest, CreateMainFrameTest,
                        CreateLockDialogsTest, CreateLockWindowTest, CreateDocumentWindowsTest,
                        CreateScreenLockTest, CreateSingleInstanceTest, CreateHandOverTest,
                        CreateShellFilesTest, CreateWriteFaultsTest, CreateFileChangesTest}) {
        std::unique_ptr<QObject> test = create();
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
