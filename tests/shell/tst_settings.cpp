// Per-user settings: defaults, window placement on creation and on close, the welcome switch,
// and the program's command line.
#include "ShellTestSupport.h"

#include "CEditorApp.h"
#include "CMainFrame.h"
#include "CliRun.h"
#include "ShellRegistration.h"

#include "CDocManager.h"
#include "DialogScript.h"

#include <CPasswordDlg.h>
#include <TextFile.h>

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void defaultsWhenNothingStored();
    void firstWindowAtDefaultPlace();
    void storedPlacementUsedOnSameScreen();
    void storedPlacementIgnoredOnOtherScreen_data();
    void storedPlacementIgnoredOnOtherScreen();
    void closeStoresPlacementAsIntegers();
    void maximisedCloseStoresNormalRectangle();
    void welcomeSwitch();
    void commandLine_data();
    void commandLine();
    void fileTypesRegistered();
    void desktopExecQuoting_data();
    void desktopExecQuoting();
    void commandLineFileAsksPassword_data();
    void commandLineFileAsksPassword();

private:
    QSettings* Settings();
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QSettings> m_settings;
};

void TestSettings::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir->path());
    CEditorApp::SetScreenSizeForTesting(QSize(1280, 1024));
}

void TestSettings::cleanup() {
    m_settings.reset();
    CEditorApp::SetScreenSizeForTesting(QSize());
    m_dir.reset();
}

QSettings* TestSettings::Settings() {
    m_settings =
        std::make_unique<QSettings>(QStringLiteral("Keystow"), QStringLiteral("Keystow Editor"));
    return m_settings.get();
}

void TestSettings::defaultsWhenNothingStored() {
    CEditorApp app;
    app.SetRegistryKey(QStringLiteral("Keystow"));
    int x = 100, y = 100, cx = 768, cy = 612, xs = 1280, ys = 1024;
    app.ReadWindowPlacement(x, y, cx, cy, xs, ys);
    QCOMPARE(QList<int>({x, y, cx, cy, xs, ys}), QList<int>({100, 100, 768, 612, 1280, 1024}));
    QCOMPARE(app.GetShowWelcome(), 1);
    QCOMPARE(app.GetAppName(), QStringLiteral("Keystow Editor"));
}

void TestSettings::firstWindowAtDefaultPlace() {
    CEditorApp::SetScreenSizeForTesting(QSize(1366, 768));
    CEditorApp app;
    QVERIFY(app.InitInstance());
    // 3/5 of the screen, integer division first: 1366 / 5 * 3 = 819, 768 / 5 * 3 = 459.
    QCOMPARE(app.MainFrame()->geometry(), QRect(100, 100, 819, 459));
    QCOMPARE(app.MainFrame()->windowTitle(), QStringLiteral("Keystow Editor"));
}

void TestSettings::storedPlacementUsedOnSameScreen() {
    QSettings* s = Settings();
    s->setValue(QStringLiteral("Settings/X"), 40);
    s->setValue(QStringLiteral("Settings/Y"), 50);
    s->setValue(QStringLiteral("Settings/CX"), 600);
    s->setValue(QStringLiteral("Settings/CY"), 500);
    s->setValue(QStringLiteral("Settings/XScreen"), 1280);
    s->setValue(QStringLiteral("Settings/YScreen"), 1024);
    s->sync();
    CEditorApp app;
    QVERIFY(app.InitInstance());
    QCOMPARE(app.MainFrame()->geometry(), QRect(40, 50, 600, 500));
}

void TestSettings::storedPlacementIgnoredOnOtherScreen_data() {
    QTest::addColumn<int>("xScreen");
    QTest::addColumn<int>("yScreen");
    QTest::newRow("other width") << 1920 << 1024;
    QTest::newRow("other height") << 1280 << 800;
    QTest::newRow("both other") << 800 << 600;
}

void TestSettings::storedPlacementIgnoredOnOtherScreen() {
    QFETCH(int, xScreen);
    QFETCH(int, yScreen);
    QSettings* s = Settings();
    s->setValue(QStringLiteral("Settings/X"), 700);
    s->setValue(QStringLiteral("Settings/Y"), 10);
    s->setValue(QStringLiteral("Settings/CX"), 900);
    s->setValue(QStringLiteral("Settings/CY"), 700);
    s->setValue(QStringLiteral("Settings/XScreen"), xScreen);
    s->setValue(QStringLiteral("Settings/YScreen"), yScreen);
    s->sync();
    CEditorApp app;
    QVERIFY(app.InitInstance());
    CMainFrame* frame = app.MainFrame();
    QCOMPARE(frame->geometry(), QRect(100, 100, 768, 612));

    // The next close stores this screen's size with the window's place.
    QVERIFY(frame->close());
    s = Settings();
    QCOMPARE(s->value(QStringLiteral("Settings/XScreen")).toInt(), 1280);
    QCOMPARE(s->value(QStringLiteral("Settings/YScreen")).toInt(), 1024);
    QCOMPARE(s->value(QStringLiteral("Settings/CX")).toInt(), 768);
}

void TestSettings::closeStoresPlacementAsIntegers() {
    CEditorApp app;
    QVERIFY(app.InitInstance());
    CMainFrame* frame = app.MainFrame();
    frame->setGeometry(150, 160, 640, 480);
    QVERIFY(frame->close());
    QSettings* s = Settings();
    const QVariant x = s->value(QStringLiteral("Settings/X"));
    QCOMPARE(x.toInt(), 150);
    QCOMPARE(s->value(QStringLiteral("Settings/Y")).toInt(), 160);
    QCOMPARE(s->value(QStringLiteral("Settings/CX")).toInt(), 640);
    QCOMPARE(s->value(QStringLiteral("Settings/CY")).toInt(), 480);

    // And the next start puts the window back there.
    CEditorApp next;
    QVERIFY(next.InitInstance());
    QCOMPARE(next.MainFrame()->geometry(), QRect(150, 160, 640, 480));
}

void TestSettings::maximisedCloseStoresNormalRectangle() {
    CEditorApp app;
    QVERIFY(app.InitInstance());
    CMainFrame* frame = app.MainFrame();
    frame->setGeometry(210, 220, 500, 400);
    QVERIFY(QTest::qWaitForWindowExposed(frame));
    frame->showMaximized();
    QTRY_VERIFY(frame->isMaximized());
    QVERIFY(frame->close());
    QVERIFY(!frame->isMaximized());
    QSettings* s = Settings();
    QCOMPARE(s->value(QStringLiteral("Settings/X")).toInt(), 210);
    QCOMPARE(s->value(QStringLiteral("Settings/Y")).toInt(), 220);
    QCOMPARE(s->value(QStringLiteral("Settings/CX")).toInt(), 500);
    QCOMPARE(s->value(QStringLiteral("Settings/CY")).toInt(), 400);
}

void TestSettings::welcomeSwitch() {
    CEditorApp app;
    app.SetRegistryKey(QStringLiteral("Keystow"));
    app.SetShowWelcome(0);
    QCOMPARE(app.GetShowWelcome(), 0);
    QCOMPARE(Settings()->value(QStringLiteral("Settings/wzrd")).toInt(), 0);
    app.SetShowWelcome(1);
    QCOMPARE(app.GetShowWelcome(), 1);
}

void TestSettings::commandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output");
    QTest::newRow("version") << QStringList{QStringLiteral("--version")} << 0
                             << QStringLiteral("Keystow Editor");
    QTest::newRow("help") << QStringList{QStringLiteral("--help")} << 0
                          << QStringLiteral("[FILE...]");
    QTest::newRow("help names --new-instance")
        << QStringList{QStringLiteral("--help")} << 0 << QStringLiteral("--new-instance");
    QTest::newRow("missing file ends the program")
        << QStringList{QStringLiteral("/nonexistent/folder/notes.etx")} << 1 << QString();
    QTest::newRow("two files, both missing")
        << QStringList{QStringLiteral("a.etx"), QStringLiteral("b.etx")} << 1 << QString();
    QTest::newRow("missing file with --new-instance")
        << QStringList{QStringLiteral("--new-instance"), QStringLiteral("/nonexistent/x.etx")} << 1
        << QString();
}

void TestSettings::commandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    const QString program = EditorProgram();
    QVERIFY2(QFileInfo(program).isExecutable(),
             "the keystow program must be built next to the tests (KEYSTOW_BIN_DIR)");
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOME"), m_dir->path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir->path());
    env.insert(QStringLiteral("KEYSTOW_DATA_DIR"), m_dir->path());
    // Never handed to a program the person runs.
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir->path());
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), exitCode);
    if (!output.isEmpty())
        QVERIFY(QString::fromLocal8Bit(process.readAllStandardOutput()).contains(output));
}

void TestSettings::fileTypesRegistered() {
    const QString home = m_dir->filePath(QStringLiteral("share"));
    QVERIFY(RegisterShellFileTypes(QStringLiteral("/opt/keystow/bin/keystow"), home));
    const QString mimePath = home + QStringLiteral("/mime/packages/keystow-editor.xml");
    const QString desktopPath = home + QStringLiteral("/applications/keystow-editor.desktop");
    QFile mime(mimePath);
    QVERIFY(mime.open(QIODevice::ReadOnly));
    const QByteArray mimeText = mime.readAll();
    QVERIFY(mimeText.contains("<glob pattern=\"*.etx\"/>"));
    QVERIFY(mimeText.contains("<glob pattern=\"*.ksw\"/>"));
    QVERIFY(mimeText.contains("Keystow Encrypted Text"));
    QVERIFY(mimeText.contains("Keystow Encrypted Data"));
    QSettings desktop(desktopPath, QSettings::IniFormat);
    QCOMPARE(desktop.value(QStringLiteral("Desktop Entry/Name")).toString(),
             QStringLiteral("Keystow Editor"));

    // Every start registers again; an unchanged file is left alone. Its time is set back an
    // hour first, so that a rewrite shows whatever the file system's time resolution.
    const QDateTime before = QFileInfo(desktopPath).lastModified().addSecs(-3600);
    {
        QFile entry(desktopPath);
        QVERIFY(entry.open(QIODevice::ReadWrite));
        QVERIFY(entry.setFileTime(before, QFileDevice::FileModificationTime));
    }
    QVERIFY(RegisterShellFileTypes(QStringLiteral("/opt/keystow/bin/keystow"), home));
    QCOMPARE(QFileInfo(desktopPath).lastModified(), before);
    // A moved program is written anew.
    QVERIFY(RegisterShellFileTypes(QStringLiteral("/usr/bin/keystow"), home));
    QFile entry(desktopPath);
    QVERIFY(entry.open(QIODevice::ReadOnly));
    QVERIFY(entry.readAll().contains("Exec=\"/usr/bin/keystow\" %F"));
    QVERIFY(!RegisterShellFileTypes(QStringLiteral("/usr/bin/keystow"), QString()));
}

void TestSettings::desktopExecQuoting_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("execLine");
    QTest::newRow("plain") << "/usr/bin/keystow"
                           << "Exec=\"/usr/bin/keystow\" %F";
    QTest::newRow("space") << "/opt/my apps/keystow"
                           << "Exec=\"/opt/my apps/keystow\" %F";
    QTest::newRow("dollar and percent") << "/opt/$x/100%/keystow"
                                        << "Exec=\"/opt/\\\\$x/100%%/keystow\" %F";
    QTest::newRow("quote and backslash") << "/opt/a\"b\\c/keystow"
                                         << "Exec=\"/opt/a\\\\\"b\\\\\\\\c/keystow\" %F";
}

void TestSettings::desktopExecQuoting() {
    QFETCH(QString, program);
    QFETCH(QString, execLine);
    const QStringList lines = DesktopEntryText(program).split(QLatin1Char('\n'));
    QVERIFY2(lines.contains(execLine), qPrintable(DesktopEntryText(program)));
}

void TestSettings::commandLineFileAsksPassword_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("started");
    QTest::newRow("right password") << "right one" << true;
    QTest::newRow("cancelled") << QString() << false;
    QTest::newRow("wrong password") << "wrong one" << false;
}

void TestSettings::commandLineFileAsksPassword() {
    QFETCH(QString, typed);
    QFETCH(bool, started);
    const QString path = m_dir->filePath(QStringLiteral("named.etx"));
    QCOMPARE(SaveTextFile(path, QStringLiteral("right one"), QStringLiteral("hello")),
             SaveResult::Saved);
    bool asked = false;
    DialogScript script;
    script.Then([&](QWidget* dialog) {
        QVERIFY(qobject_cast<CPasswordDlg*>(dialog));
        asked = true;
        QLineEdit* edit = dialog->findChild<QLineEdit*>();
        QVERIFY(edit);
        if (typed.isEmpty()) {
            QTest::keyClick(edit, Qt::Key_Escape);
            return;
        }
        QTest::keyClicks(edit, typed);
        QTest::keyClick(edit, Qt::Key_Return);
    });
    // A wrong password is answered by the decrypt-failed message, closed with Esc.
    const bool wrong = !typed.isEmpty() && typed != QStringLiteral("right one");
    if (wrong) {
        script.Then([](QWidget* dialog) {
            QVERIFY(!qobject_cast<CPasswordDlg*>(dialog));
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
    }
    CEditorApp app;
    app.SetCommandLineFile(path);
    QCOMPARE(app.InitInstance(), started);
    QVERIFY(asked);
    QVERIFY(script.Finished());
    QCOMPARE(script.Seen().size(), wrong ? 2 : 1);
    QCOMPARE(app.MainFrame()->isVisible(), started);
    QCOMPARE(app.GetDocManager()->GetOpenDocumentCount(), started ? 1 : 0);
}

std::unique_ptr<QObject> CreateSettingsTest() {
    return std::make_unique<TestSettings>();
}

#include "tst_settings.moc"
