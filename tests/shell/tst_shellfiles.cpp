// The start-up's choice between its per-user file-type registration and the files of a
// system-wide install, and the per-user files agreeing with the installed ones.
#include "ShellTestSupport.h"

#include "CSingleInstance.h"
#include "CliRun.h"
#include "ShellRegistration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Places an empty file under folder/relative.
bool Touch(const QString& folder, const char* relative) {
    const QString path = QDir(folder).filePath(QLatin1String(relative));
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}

// Which files a data folder holds.
enum Held { None = 0, Mime = 1, SystemEntry = 2, UserEntry = 4 };

bool Fill(const QString& folder, int held) {
    return (!(held & Mime) || Touch(folder, kMimePackagePath)) &&
           (!(held & SystemEntry) || Touch(folder, kSystemDesktopEntryPath)) &&
           (!(held & UserEntry) || Touch(folder, kUserDesktopEntryPath));
}

} // namespace

class TestShellFiles : public QObject {
    Q_OBJECT
private slots:
    void installedSystemWide_data();
    void installedSystemWide();
    void startupRegistersOnlyWhenNotInstalled_data();
    void startupRegistersOnlyWhenNotInstalled();
    void userEntryAgreesWithInstalledEntry();
};

void TestShellFiles::installedSystemWide_data() {
    QTest::addColumn<int>("home");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::addColumn<bool>("homeListed");
    QTest::addColumn<QString>("homeSuffix");
    QTest::addColumn<bool>("installed");
    QTest::newRow("nothing anywhere") << int(None) << int(None) << int(None) << true << "" << false;
    QTest::newRow("both in a system folder")
        << int(None) << int(Mime | SystemEntry) << int(None) << true << "" << true;
    QTest::newRow("both in the second system folder")
        << int(None) << int(None) << int(Mime | SystemEntry) << true << "" << true;
    QTest::newRow("desktop entry only")
        << int(None) << int(SystemEntry) << int(None) << true << "" << false;
    QTest::newRow("MIME package only")
        << int(None) << int(Mime) << int(None) << true << "" << false;
    QTest::newRow("split across two folders")
        << int(None) << int(Mime) << int(SystemEntry) << true << "" << false;
    QTest::newRow("the per-user entry's name does not count")
        << int(None) << int(Mime | UserEntry) << int(None) << true << "" << false;
    QTest::newRow("both in the data home only")
        << int(Mime | SystemEntry) << int(None) << int(None) << true << "" << false;
    QTest::newRow("data home spelled with a trailing slash")
        << int(Mime | SystemEntry) << int(None) << int(None) << true << "/" << false;
    QTest::newRow("data home not listed")
        << int(Mime | SystemEntry) << int(None) << int(None) << false << "" << false;
}

void TestShellFiles::installedSystemWide() {
    QFETCH(int, home);
    QFETCH(int, first);
    QFETCH(int, second);
    QFETCH(bool, homeListed);
    QFETCH(QString, homeSuffix);
    QFETCH(bool, installed);
    QTemporaryDir dir;
    const QString homePath = dir.filePath(QStringLiteral("home"));
    const QString firstPath = dir.filePath(QStringLiteral("usr-local-share"));
    const QString secondPath = dir.filePath(QStringLiteral("usr-share"));
    QVERIFY(Fill(homePath, home) && Fill(firstPath, first) && Fill(secondPath, second));
    QStringList folders{firstPath, QString(), secondPath};
    if (homeListed)
        folders.prepend(homePath + homeSuffix);
    QCOMPARE(InstalledSystemWide(folders, homePath), installed);
}

void TestShellFiles::startupRegistersOnlyWhenNotInstalled_data() {
    QTest::addColumn<int>("system");
    QTest::addColumn<bool>("registered");
    QTest::newRow("not installed") << int(None) << true;
    QTest::newRow("installed system-wide") << int(Mime | SystemEntry) << false;
    QTest::newRow("half installed") << int(SystemEntry) << true;
}

void TestShellFiles::startupRegistersOnlyWhenNotInstalled() {
    QFETCH(int, system);
    QFETCH(bool, registered);
    const QString program = EditorProgram();
    QVERIFY2(QFileInfo(program).isExecutable(),
             "the keystow program must be built next to the tests (KEYSTOW_BIN_DIR)");
    QTemporaryDir dir;
    const QString dataHome = dir.filePath(QStringLiteral("home/.local/share"));
    const QString systemData = dir.filePath(QStringLiteral("usr/share"));
    QVERIFY(QDir().mkpath(dataHome) && QDir().mkpath(systemData));
    QVERIFY(Fill(systemData, system));
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("run"))));
    QVERIFY(QFile::setPermissions(dir.filePath(QStringLiteral("run")), QFileDevice::ReadOwner |
                                                                           QFileDevice::WriteOwner |
                                                                           QFileDevice::ExeOwner));

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOME"), dir.filePath(QStringLiteral("home")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("home/.config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    env.insert(QStringLiteral("XDG_DATA_DIRS"), systemData);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("run")));
    env.insert(QStringLiteral("KEYSTOW_DATA_DIR"), dir.filePath(QStringLiteral("data")));
    // No cache refresh started behind the test's back, writing while the folder goes away.
    env.insert(QStringLiteral("PATH"), dir.filePath(QStringLiteral("no-tools")));
    // The running program answers another start only from its event loop, after the
    // start-up (and its registration) has finished.
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, QStringList());
    QVERIFY(process.waitForStarted(10000));
    const QString socketPath = CSingleInstance(dir.filePath(QStringLiteral("run"))).SocketPath();
    QTRY_COMPARE_WITH_TIMEOUT(CSingleInstance::HandOver(socketPath, {}, 2000),
                              CSingleInstance::HandOverResult::Accepted, 30000);
    process.kill();
    QVERIFY(process.waitForFinished(10000));

    const QDir home(dataHome);
    QCOMPARE(QFileInfo::exists(home.filePath(QLatin1String(kMimePackagePath))), registered);
    QCOMPARE(QFileInfo::exists(home.filePath(QLatin1String(kUserDesktopEntryPath))), registered);
    // The system folder is never written to.
    QCOMPARE(QFileInfo::exists(QDir(systemData).filePath(QLatin1String(kUserDesktopEntryPath))),
             false);
}

void TestShellFiles::userEntryAgreesWithInstalledEntry() {
    // The per-user entry starts the program by its path and one file at a time; everything a
    // person sees in a menu or an Open With list is the same as the installed entry's.
    QTemporaryDir dir;
    const QString userPath = dir.filePath(QStringLiteral("user.desktop"));
    {
        QFile file(userPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(DesktopEntryText(QStringLiteral("/usr/bin/keystow")).toUtf8());
    }
    QSettings user(userPath, QSettings::IniFormat);
    QSettings installed(QStringLiteral(KEYSTOW_SOURCE_DIR "/data/org.keystow.Editor.desktop"),
                        QSettings::IniFormat);
    QCOMPARE(installed.status(), QSettings::NoError);
    for (const char* key : {"Type", "Name", "Comment", "Terminal", "Categories", "MimeType"}) {
        const QString name = QStringLiteral("Desktop Entry/") + QLatin1String(key);
        QVERIFY2(installed.contains(name), key);
        QCOMPARE(user.value(name), installed.value(name));
    }
}

std::unique_ptr<QObject> CreateShellFilesTest() {
    return std::make_unique<TestShellFiles>();
}

#include "tst_shellfiles.moc"
