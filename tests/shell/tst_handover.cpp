// Files from outside the running program: a second start of the real keystow program handing
// its files over, the lock holding them, drops of several files and the desktop's open request.
// The running program is the whole shell in this process, so the test answers its dialogs.
#include "ShellTestSupport.h"

#include "CDocManager.h"
#include "CEditorDoc.h"
#include "CEditorView.h"
#include "CMultiDocTemplate.h"
#include "CSaveChangesDlg.h"
#include "CScreenLockController.h"
#include "CSingleInstance.h"
#include "CWelcomeDlg.h"
#include "CliRun.h"
#include "DialogScript.h"
#include "LockSettingsFile.h"
#include "resource.h"

#include <CPasswordDlg.h>
#include <TextFile.h>

#include <QApplication>
#include <QEventLoop>
#include <QFileOpenEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QTimer>
#include <QtTest>

#include <future>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
const QString kPassword = QStringLiteral("open sesame");
const QByteArray kScreenPassword = "screen secret";

// Types the password into the prompt and confirms it.
DialogScript::Step TypePassword(const QString& password, bool screenMode) {
    return [password, screenMode](QWidget* widget) {
        auto* dialog = qobject_cast<CPasswordDlg*>(widget);
        QVERIFY2(dialog, widget->metaObject()->className());
        QCOMPARE(dialog->m_screenMode, screenMode);
        QLineEdit* edit = dialog->findChild<QLineEdit*>();
        QVERIFY(edit);
        QTest::keyClicks(edit, password);
        QTest::keyClick(edit, Qt::Key_Return);
    };
}
} // namespace

class TestHandOver : public QObject, protected ShellFixture {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void secondStartHandsFilesOver_data();
    void secondStartHandsFilesOver();
    void openFileIsActivatedNotOpenedTwice();
    void secondStartWithoutFileBringsFrameBack();
    void missingFileNotHandedOver();
    void realProgramReplacesStaleSocket();
    void lockedProgramHoldsFilesUntilUnlock_data();
    void lockedProgramHoldsFilesUntilUnlock();
    void lockDuringPromptAsksAgainAfterUnlock();
    void welcomePageMakesWayForHandedFile();
    void severalDroppedFilesOpenEach();
    void dropOnLockedFrameRefused();
    void fileOpenEventOpensFile();
    void filesRefusedWhileClosing();
    void tooManyFilesRefused();

private:
    QString MakeTextFile(const QString& name, const QString& text);
    // Runs keystow with the arguments against the runtime folder here; its exit code.
    int RunSecondStart(const QStringList& arguments);
    QProcessEnvironment ProgramEnvironment() const;
    void SetScreenPassword(const QByteArray& password);
    CEditorDoc* DocumentFor(const QString& path) const;

    std::unique_ptr<QTemporaryDir> m_runtime;
    std::unique_ptr<CSingleInstance> m_instance;
};

void TestHandOver::init() {
    QVERIFY(StartShell());
    m_runtime = std::make_unique<QTemporaryDir>();
    m_instance = std::make_unique<CSingleInstance>(m_runtime->path());
    QCOMPARE(m_instance->Start({}), CSingleInstance::Role::Server);
    CEditorApp* app = m_app.get();
    m_instance->SetReceiver([app](const QStringList& files) { return app->ReceiveFiles(files); },
                            [app] { return app->TakesFiles(); });
}

void TestHandOver::cleanup() {
    if (m_frame && m_frame->m_locked) {
        DialogScript script; // the screen password in force when the lock fell
        script.Then(TypePassword(QString::fromLatin1(kScreenPassword), true));
        m_frame->UnlockForClose();
    }
    m_instance.reset();
    StopShell();
    m_runtime.reset();
}

QString TestHandOver::MakeTextFile(const QString& name, const QString& text) {
    const QString path = m_dir->filePath(name);
    if (SaveTextFile(path, kPassword, text) != SaveResult::Saved)
        return QString();
    return path;
}

QProcessEnvironment TestHandOver::ProgramEnvironment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime->path());
    env.insert(QStringLiteral("HOME"), m_dir->path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir->filePath(QStringLiteral("config")));
    // Nowhere to register the file types: no helper keeps writing into the test's folder
    // after the program has gone.
    env.insert(QStringLiteral("XDG_DATA_HOME"), QStringLiteral("/dev/null/data"));
    env.insert(QStringLiteral("KEYSTOW_DATA_DIR"), m_dir->filePath(QStringLiteral("data")));
    return env;
}

int TestHandOver::RunSecondStart(const QStringList& arguments) {
    const QString program = EditorProgram();
    if (!QFileInfo(program).isExecutable()) {
        qWarning("the keystow program must be built next to the tests (KEYSTOW_BIN_DIR)");
        return -1;
    }
    QProcess process;
    process.setProcessEnvironment(ProgramEnvironment());
    // Relative names are the second start's to resolve, against its own folder.
    process.setWorkingDirectory(m_dir->path());
    process.start(program, arguments);
    if (!process.waitForStarted(10000))
        return -1;
    // The event loop runs meanwhile: this process is the program the files go to.
    QEventLoop loop;
    connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    if (process.state() != QProcess::NotRunning)
        loop.exec();
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    if (process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}

void TestHandOver::SetScreenPassword(const QByteArray& password) {
    LockSettings& settings = m_app->GetLockSettings();
    settings.setPasswordEnabled(password.isEmpty() ? 0 : 1);
    settings.setScreenPassword(password);
    QVERIFY(LockSettingsFile::Write(m_app->LockSettingsPath(), settings));
    m_app->LoadLockSettings();
}

CEditorDoc* TestHandOver::DocumentFor(const QString& path) const {
    for (CDocument* doc : m_app->GetDocManager()->GetDocuments())
        if (QFileInfo(doc->GetPathName()) == QFileInfo(path))
            return qobject_cast<CEditorDoc*>(doc);
    return nullptr;
}

void TestHandOver::secondStartHandsFilesOver_data() {
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<bool>("relative");
    QTest::newRow("one file") << QStringList{QStringLiteral("one.etx")} << false;
    QTest::newRow("two files, relative names")
        << QStringList{QStringLiteral("first.etx"), QStringLiteral("second one.etx")} << true;
}

void TestHandOver::secondStartHandsFilesOver() {
    QFETCH(QStringList, names);
    QFETCH(bool, relative);
    QStringList arguments;
    DialogScript script;
    for (const QString& name : names) {
        const QString path = MakeTextFile(name, QStringLiteral("text of ") + name);
        QVERIFY(!path.isEmpty());
        arguments << (relative ? name : path);
        script.Then(TypePassword(kPassword, false));
    }
    QCOMPARE(RunSecondStart(arguments), 0);
    QTRY_VERIFY(script.Finished());
    QTRY_COMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), names.size());
    for (const QString& name : names) {
        CEditorDoc* doc = DocumentFor(m_dir->filePath(name));
        QVERIFY2(doc, qPrintable(name));
        QCOMPARE(doc->GetView()->toPlainText(), QStringLiteral("text of ") + name);
    }
    QVERIFY(m_app->PendingFiles().isEmpty());
    QVERIFY(m_frame->isVisible());
    QVERIFY(m_instance->IsListening());
}

void TestHandOver::openFileIsActivatedNotOpenedTwice() {
    const QString path = MakeTextFile(QStringLiteral("twice.etx"), QStringLiteral("once"));
    DialogScript script;
    script.Then(TypePassword(kPassword, false));
    QCOMPARE(RunSecondStart({path}), 0);
    QTRY_COMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 1);
    CDocument* handed = DocumentFor(path);
    QVERIFY(handed);
    QVERIFY(m_app->m_pTextTemplate->OpenDocumentFile(QString()));
    QVERIFY(m_frame->GetActiveDocument() != handed);
    // Again: no second password prompt, the open window comes to the front.
    QCOMPARE(RunSecondStart({path}), 0);
    QTRY_COMPARE(m_frame->GetActiveDocument(), handed);
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 2);
    QCOMPARE(script.Seen().size(), 1);
}

void TestHandOver::secondStartWithoutFileBringsFrameBack() {
    m_frame->showMinimized();
    QTRY_VERIFY(m_frame->isMinimized());
    QCOMPARE(RunSecondStart({}), 0);
    QTRY_VERIFY(!m_frame->isMinimized());
    QVERIFY(m_frame->isVisible());
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 0);
    QVERIFY(!QApplication::activeModalWidget());
}

void TestHandOver::missingFileNotHandedOver() {
    // Refused by the second start itself, naming the file, as at a first start.
    QCOMPARE(RunSecondStart({m_dir->filePath(QStringLiteral("missing.etx"))}), 1);
    QVERIFY(m_app->PendingFiles().isEmpty());
}

void TestHandOver::realProgramReplacesStaleSocket() {
    // A crashed program left its socket in another runtime folder: the next real start
    // replaces it and then takes hand-overs itself.
    m_instance.reset();
    QTemporaryDir runtime;
    const QString socketPath = CSingleInstance(runtime.path()).SocketPath();
    {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(fd >= 0);
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, QFile::encodeName(socketPath).constData(),
                 sizeof address.sun_path);
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
    }
    QCOMPARE(CSingleInstance::HandOver(socketPath, {}), CSingleInstance::HandOverResult::NoServer);
    QProcess first;
    QProcessEnvironment env = ProgramEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    first.setProcessEnvironment(env);
    first.start(EditorProgram());
    QVERIFY(first.waitForStarted(10000));
    QTRY_COMPARE_WITH_TIMEOUT(CSingleInstance::HandOver(socketPath, {}, 2000),
                              CSingleInstance::HandOverResult::Accepted, 30000);
    QCOMPARE(first.state(), QProcess::Running);
    first.kill();
    QVERIFY(first.waitForFinished(10000));
}

void TestHandOver::lockedProgramHoldsFilesUntilUnlock_data() {
    QTest::addColumn<QByteArray>("screenPassword");
    QTest::newRow("no screen password") << QByteArray();
    QTest::newRow("screen password") << kScreenPassword;
}

void TestHandOver::lockedProgramHoldsFilesUntilUnlock() {
    QFETCH(QByteArray, screenPassword);
    SetScreenPassword(screenPassword);
    const QString path = MakeTextFile(QStringLiteral("held.etx"), QStringLiteral("held text"));
    m_frame->LockWithPrompt();
    QVERIFY(m_frame->m_locked);
    DialogScript script;
    QCOMPARE(RunSecondStart({path}), 0);
    // Taken, but nothing of it shows: no prompt over the lock, no window, however often the
    // program tries.
    QCOMPARE(m_app->PendingFiles(), QStringList{path});
    QVERIFY(!m_app->OpenPendingFiles());
    QVERIFY(!m_app->OpenPendingFiles());
    QVERIFY(script.Seen().isEmpty());
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 0);
    QVERIFY(m_frame->m_locked);
    // The screen password first, then the file's own prompt.
    if (!screenPassword.isEmpty())
        script.Then(TypePassword(QString::fromLatin1(screenPassword), true));
    script.Then(TypePassword(kPassword, false));
    QVERIFY(m_frame->UnlockScreen());
    QTRY_VERIFY(script.Finished());
    QTRY_COMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 1);
    QVERIFY(DocumentFor(path));
    QCOMPARE(DocumentFor(path)->GetView()->toPlainText(), QStringLiteral("held text"));
    QVERIFY(m_app->PendingFiles().isEmpty());
}

void TestHandOver::lockDuringPromptAsksAgainAfterUnlock() {
    // The lock falls while the file's prompt is up: the prompt goes, the file waits again.
    const QString path = MakeTextFile(QStringLiteral("again.etx"), QStringLiteral("again"));
    {
        DialogScript script;
        script.Then([this](QWidget* dialog) {
            QVERIFY(qobject_cast<CPasswordDlg*>(dialog));
            m_frame->LockWithDefaultText();
        });
        m_app->ReceiveFiles({path});
        QTRY_VERIFY(script.Finished());
        QTRY_VERIFY(!QApplication::activeModalWidget());
    }
    QVERIFY(m_frame->m_locked);
    QCOMPARE(m_app->PendingFiles(), QStringList{path});
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 0);
    DialogScript after;
    after.Then(TypePassword(kPassword, false));
    QVERIFY(m_frame->UnlockScreen());
    QTRY_VERIFY(after.Finished());
    QTRY_COMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 1);
}

void TestHandOver::welcomePageMakesWayForHandedFile() {
    const QString path = MakeTextFile(QStringLiteral("welcome.etx"), QStringLiteral("hi"));
    DialogScript script;
    // The start page is up when the file comes; it goes, and the file's prompt follows.
    script.Then([this, path](QWidget* dialog) {
        QVERIFY(qobject_cast<CWelcomeDlg*>(dialog));
        m_app->ReceiveFiles({path});
    });
    script.Then(TypePassword(kPassword, false));
    QVERIFY(m_frame->ExecuteCommand(ID_WIZARD));
    QTRY_VERIFY(script.Finished());
    QTRY_COMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 1);
}

void TestHandOver::severalDroppedFilesOpenEach() {
    QList<QUrl> urls;
    DialogScript script;
    for (const QString& name : {QStringLiteral("a.etx"), QStringLiteral("b.etx")}) {
        urls << QUrl::fromLocalFile(MakeTextFile(name, name));
        script.Then(TypePassword(kPassword, false));
    }
    // A folder among them is passed over.
    urls << QUrl::fromLocalFile(m_dir->path());
    QMimeData mime;
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_frame, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_frame, &drop);
    QTRY_VERIFY(script.Finished());
    QTRY_COMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 2);
    QVERIFY(DocumentFor(m_dir->filePath(QStringLiteral("a.etx"))));
    QVERIFY(DocumentFor(m_dir->filePath(QStringLiteral("b.etx"))));
}

void TestHandOver::dropOnLockedFrameRefused() {
    const QString path = MakeTextFile(QStringLiteral("dropped.etx"), QStringLiteral("x"));
    m_frame->LockWithDefaultText();
    QVERIFY(m_frame->ScreenLock()->LockWindow());
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    for (QWidget* target : {static_cast<QWidget*>(m_frame), m_frame->ScreenLock()->LockWindow()}) {
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QVERIFY(!enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        QVERIFY(!drop.isAccepted());
    }
    QVERIFY(m_app->PendingFiles().isEmpty());
    QVERIFY(!QApplication::activeModalWidget());
}

void TestHandOver::fileOpenEventOpensFile() {
    const QString path = MakeTextFile(QStringLiteral("dock.etx"), QStringLiteral("from dock"));
    m_frame->LockWithDefaultText();
    QFileOpenEvent event(path);
    QApplication::sendEvent(qApp, &event);
    // Held while locked, like every file from outside.
    QCOMPARE(m_app->PendingFiles(), QStringList{path});
    QVERIFY(!m_app->OpenPendingFiles());
    DialogScript script;
    script.Then(TypePassword(kPassword, false));
    QVERIFY(m_frame->UnlockScreen());
    QTRY_VERIFY(script.Finished());
    QTRY_VERIFY(DocumentFor(path));
    QCOMPARE(DocumentFor(path)->GetView()->toPlainText(), QStringLiteral("from dock"));
}

void TestHandOver::filesRefusedWhileClosing() {
    // A file handed over while Exit asks about an unsaved document would be lost with the
    // program: it is refused, so the start that sent it opens it itself. Once the person
    // cancels the exit, hand-overs are taken again.
    QVERIFY(m_app->m_pTextTemplate->OpenDocumentFile(QString()));
    static_cast<CEditorDoc*>(m_frame->GetActiveDocument())
        ->GetView()
        ->insertPlainText(QStringLiteral("unsaved"));
    const QString path = MakeTextFile(QStringLiteral("late.etx"), QStringLiteral("late"));
    const QString socketPath = m_instance->SocketPath();
    const auto handOver = [&socketPath, &path] {
        auto result = std::async(std::launch::async, [&socketPath, &path] {
            return CSingleInstance::HandOver(socketPath, {path});
        });
        while (result.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return result.get();
    };
    CSingleInstance::HandOverResult whileAsking = CSingleInstance::HandOverResult::NoServer;
    DialogScript script;
    script.Then([&](QWidget* dialog) {
        auto* question = qobject_cast<CSaveChangesDlg*>(dialog);
        QVERIFY2(question, dialog->metaObject()->className());
        whileAsking = handOver();
        question->done(IDCANCEL);
    });
    script.Then(TypePassword(kPassword, false));
    m_frame->ExecuteCommand(ID_APP_EXIT);
    QTRY_COMPARE(script.Seen().size(), 1);
    QCOMPARE(whileAsking, CSingleInstance::HandOverResult::Refused);
    QVERIFY(m_frame->isVisible());
    QVERIFY(m_app->PendingFiles().isEmpty());
    QCOMPARE(handOver(), CSingleInstance::HandOverResult::Accepted);
    QTRY_VERIFY(script.Finished());
    QTRY_VERIFY(DocumentFor(path));
}

void TestHandOver::tooManyFilesRefused() {
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("many")));
    QStringList paths;
    for (int i = 0; i <= CSingleInstance::kMaxFiles; ++i) {
        paths << m_dir->filePath(QStringLiteral("many/%1.etx").arg(i));
        QFile file(paths.last());
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    // The most one start hands over is taken; one more is refused, by either way in.
    QVERIFY(CEditorApp::CheckCommandLineFiles(paths.mid(1)));
    QVERIFY(!CEditorApp::CheckCommandLineFiles(paths));
    QVERIFY(!m_app->ReceiveFiles(paths));
    QVERIFY(m_app->PendingFiles().isEmpty());
}

std::unique_ptr<QObject> CreateHandOverTest() {
    return std::make_unique<TestHandOver>();
}

#include "tst_handover.moc"
