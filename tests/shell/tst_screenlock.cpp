#include "ShellTestSupport.h"

#include "CDocManager.h"
#include "CEditorApp.h"
#include "CEditorDoc.h"
#include "CEditorView.h"
#include "CMDIChildWnd.h"
#include "CMainFrame.h"
#include "CMultiDocTemplate.h"
#include "CPasswordDlg.h"
#include "CScreenLockController.h"
#include "CShellDialog.h"
#include "DialogScript.h"
#include "LockSettingsFile.h"
#include "TickClock.h"
#include "resource.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QMimeData>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

#include <memory>

namespace {
quint32 g_now = 0;

// Types the screen password into the unlock prompt and confirms it.
DialogScript::Step TypeScreenPassword(const QString& password) {
    return [password](QWidget* d) {
        auto* dlg = qobject_cast<CPasswordDlg*>(d);
        QVERIFY(dlg);
        QVERIFY(dlg->m_screenMode);
        auto* edit = qobject_cast<QLineEdit*>(dlg->GetDlgItem(IDC_PASSWORD));
        QVERIFY(edit);
        edit->setText(password);
        dlg->done(IDOK);
    };
}

DialogScript::Step AnswerBox(QMessageBox::StandardButton button, QString* text = nullptr) {
    return [button, text](QWidget* d) {
        auto* box = qobject_cast<QMessageBox*>(d);
        QVERIFY(box);
        if (text)
            *text = box->text();
        box->button(button)->click();
    };
}
} // namespace

// The screen lock as a person meets it: when it falls, what gets past it (nothing), how it
// lifts, and what comes back afterwards.
class TestScreenLock : public QObject, protected ShellFixture {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void idleLockThreshold_data();
    void idleLockThreshold();
    void neverWhileMinimisedOrSwitchedOff();
    void lockedFrameKeepsItsSize_data();
    void lockedFrameKeepsItsSize();
    void emptyPasswordUnlocksAtOnce_data();
    void emptyPasswordUnlocksAtOnce();
    void wrongPasswordThenCancelStaysLocked();
    void retryThenRightPasswordUnlocks();
    void nothingGetsPastTheLock_data();
    void nothingGetsPastTheLock();
    void closingWhileLockedAsksFirst();
    void captionNamesTheProgramOnly();
    void questionsOpenWhenTheLockFallsGoAsNo();
    void interruptedCommandsComeBackInOrder();
    void dialogClosedByTheLockReopens_data();
    void dialogClosedByTheLockReopens();
    void startupLockThenWelcome();
    void welcomeButtonsLeadOn_data();
    void welcomeButtonsLeadOn();

private:
    void SetSettings(bool lockEnabled, const QByteArray& password, int timeoutIndex = 0);
    CEditorDoc* OpenTextDocument(const QString& text);
};

void TestScreenLock::init() {
    g_now = 5000000;
    TickClock::SetSource([] { return g_now; });
    QVERIFY(StartShell());
}

void TestScreenLock::cleanup() {
    UnlockForTearDown();
    StopShell();
    TickClock::SetSource({});
}

void TestScreenLock::SetSettings(bool lockEnabled, const QByteArray& password, int timeoutIndex) {
    LockSettings& settings = m_app->GetLockSettings();
    settings.setLockEnabled(lockEnabled ? 1 : 0);
    settings.setPasswordEnabled(password.isEmpty() ? 0 : 1);
    settings.setScreenPassword(password);
    m_screenPassword = password;
    settings.setTimeoutIndex(static_cast<quint32>(timeoutIndex));
    settings.setPromptText("Locked");
    // Every lock and unlock reads the file again: it must say the same.
    QVERIFY(LockSettingsFile::Write(m_app->LockSettingsPath(), settings));
    m_app->LoadLockSettings();
}

CEditorDoc* TestScreenLock::OpenTextDocument(const QString& text) {
    auto* doc = qobject_cast<CEditorDoc*>(m_app->m_pTextTemplate->OpenDocumentFile(QString()));
    if (doc) {
        doc->GetView()->setPlainText(text);
        doc->GetView()->document()->setModified(false);
        doc->SetModifiedFlag(false);
    }
    return doc;
}

void TestScreenLock::idleLockThreshold_data() {
    QTest::addColumn<quint32>("lastActivity");
    QTest::addColumn<quint32>("elapsed");
    QTest::addColumn<bool>("locks");
    // One minute chosen: the whole seconds idle must exceed 60.
    QTest::newRow("60.999 s") << quint32(1000) << quint32(60999) << false;
    QTest::newRow("61 s") << quint32(1000) << quint32(61000) << true;
    QTest::newRow("61 s across the wrap")
        << quint32(0xFFFFFFFFu - 20000u) << quint32(61000) << true;
    QTest::newRow("60.999 s across the wrap")
        << quint32(0xFFFFFFFFu - 20000u) << quint32(60999) << false;
}

void TestScreenLock::idleLockThreshold() {
    QFETCH(quint32, lastActivity);
    QFETCH(quint32, elapsed);
    QFETCH(bool, locks);
    SetSettings(true, QByteArray(), 0);
    QCOMPARE(m_frame->m_timeoutSeconds, quint32(60));
    m_frame->m_lastActivity = lastActivity;
    g_now = lastActivity + elapsed;
    m_frame->OnFrameTimer();
    QCOMPARE(bool(m_frame->m_locked), locks);
    QCOMPARE(m_frame->ScreenLock()->LockWindow() != nullptr, locks);
}

void TestScreenLock::neverWhileMinimisedOrSwitchedOff() {
    SetSettings(false, QByteArray(), 0);
    m_frame->m_lastActivity = 0;
    g_now = 3600000;
    m_frame->OnFrameTimer();
    QVERIFY(!m_frame->m_locked);

    SetSettings(true, QByteArray(), 0);
    m_frame->showMinimized();
    QTRY_VERIFY(m_frame->isMinimized());
    m_frame->OnFrameTimer();
    QVERIFY(!m_frame->m_locked);
    // Restored with the idle time long past: the next tick locks.
    m_frame->showNormal();
    QTRY_VERIFY(!m_frame->isMinimized());
    m_frame->OnFrameTimer();
    QVERIFY(m_frame->m_locked);
}

void TestScreenLock::lockedFrameKeepsItsSize_data() {
    QTest::addColumn<QString>("attempt");
    QTest::addColumn<QSize>("size");
    QTest::newRow("larger") << "resize" << QSize(1200, 900);
    QTest::newRow("smaller") << "resize" << QSize(320, 240);
    QTest::newRow("maximised") << "maximise" << QSize(1000, 800);
    QTest::newRow("full screen") << "full screen" << QSize(1000, 800);
}

void TestScreenLock::lockedFrameKeepsItsSize() {
    QFETCH(QString, attempt);
    QFETCH(QSize, size);
    OpenTextDocument(QStringLiteral("secret text"));
    m_frame->resize(900, 700);
    QTRY_COMPARE(m_frame->size(), QSize(900, 700));
    QVERIFY(m_frame->ExecuteCommand(ID_LOCK));
    QVERIFY(m_frame->m_locked);
    QWidget* lock = m_frame->ScreenLock()->LockWindow();
    QVERIFY(lock && lock->isVisible());
    if (attempt == QLatin1String("resize"))
        m_frame->resize(size);
    else if (attempt == QLatin1String("maximise"))
        m_frame->showMaximized();
    else
        m_frame->showFullScreen();
    QTest::qWait(100); // the window system's answer, if any
    QTRY_COMPARE(m_frame->size(), QSize(900, 700));
    QVERIFY(!(m_frame->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)));
    // Toolbar, document area and status bar all lie under the lock window.
    const QRect covered = lock->geometry();
    QCOMPARE(covered.bottom(), m_frame->rect().bottom());
    QCOMPARE(covered.width(), m_frame->width());
    for (QWidget* part :
         {static_cast<QWidget*>(m_frame->ToolBar()), static_cast<QWidget*>(m_frame->MdiArea()),
          static_cast<QWidget*>(m_frame->StatusBar())})
        QVERIFY(covered.contains(part->geometry()));
    QVERIFY(lock->hasFocus());
    // Unlocked, the frame takes any size again.
    QVERIFY(m_frame->UnlockScreen());
    m_frame->showNormal();
    m_frame->resize(size);
    QTRY_COMPARE(m_frame->size(), size);
}

void TestScreenLock::emptyPasswordUnlocksAtOnce_data() {
    QTest::addColumn<bool>("throughWindow");
    QTest::addColumn<bool>("click");
    QTest::newRow("key to the lock window") << false << false;
    QTest::newRow("click on the lock window") << false << true;
    // A window system hands input to the native window first.
    QTest::newRow("key through the window") << true << false;
    QTest::newRow("click through the window") << true << true;
}

void TestScreenLock::emptyPasswordUnlocksAtOnce() {
    QFETCH(bool, throughWindow);
    QFETCH(bool, click);
    SetSettings(false, QByteArray());
    QVERIFY(m_frame->ExecuteCommand(ID_LOCK));
    DialogScript script; // no prompt expected
    QWindow* window = m_frame->windowHandle();
    const QPoint inside = m_frame->ScreenLock()->LockWindow()->geometry().center();
    if (throughWindow && click)
        QTest::mouseClick(window, Qt::LeftButton, {}, inside);
    else if (throughWindow)
        QTest::keyClick(window, Qt::Key_A);
    else if (click)
        QTest::mouseClick(m_frame->ScreenLock()->LockWindow(), Qt::LeftButton);
    else
        QTest::keyClick(m_frame->ScreenLock()->LockWindow(), Qt::Key_A);
    QTRY_VERIFY(!m_frame->m_locked);
    QVERIFY(script.Seen().isEmpty());
    QVERIFY(!m_frame->ScreenLock()->LockWindow());
}

void TestScreenLock::wrongPasswordThenCancelStaysLocked() {
    SetSettings(false, "sesame");
    QVERIFY(m_frame->ExecuteCommand(ID_LOCK));
    QString message;
    DialogScript script;
    script.Then(TypeScreenPassword(QStringLiteral("wrong")))
        .Then(AnswerBox(QMessageBox::Cancel, &message));
    QTest::keyClick(m_frame->ScreenLock()->LockWindow(), Qt::Key_Space);
    QTRY_VERIFY(script.Finished());
    QTRY_VERIFY(!m_frame->IsUnlocking());
    QVERIFY(m_frame->m_locked);
    QCOMPARE(message, QStringLiteral("You have entered an incrorrect screen password. Retry? "));
    // The next key asks again.
    DialogScript again;
    again.Then([](QWidget* d) { static_cast<QDialog*>(d)->reject(); });
    QTest::mouseClick(m_frame->ScreenLock()->LockWindow(), Qt::LeftButton);
    QTRY_VERIFY(again.Finished());
    QTRY_VERIFY(!m_frame->IsUnlocking());
    QVERIFY(m_frame->m_locked);
}

void TestScreenLock::retryThenRightPasswordUnlocks() {
    SetSettings(false, "sesame");
    QVERIFY(m_frame->ExecuteCommand(ID_LOCK));
    DialogScript script;
    script.Then(TypeScreenPassword(QStringLiteral("Sesame")))
        .Then(AnswerBox(QMessageBox::Retry))
        .Then(TypeScreenPassword(QStringLiteral("sesame")));
    QTest::keyClick(m_frame->ScreenLock()->LockWindow(), Qt::Key_Return);
    QTRY_VERIFY(!m_frame->m_locked);
    QVERIFY(script.Finished());
    QCOMPARE(script.Seen(), (QStringList{"CPasswordDlg", "QMessageBox", "CPasswordDlg"}));
}

void TestScreenLock::nothingGetsPastTheLock_data() {
    QTest::addColumn<QKeyCombination>("key");
    QTest::newRow("Ctrl+S") << QKeyCombination(Qt::CTRL | Qt::Key_S);
    QTest::newRow("Ctrl+O") << QKeyCombination(Qt::CTRL | Qt::Key_O);
    QTest::newRow("Ctrl+N") << QKeyCombination(Qt::CTRL | Qt::Key_N);
    QTest::newRow("Ctrl+F4") << QKeyCombination(Qt::CTRL | Qt::Key_F4);
    QTest::newRow("Ctrl+F6") << QKeyCombination(Qt::CTRL | Qt::Key_F6);
    QTest::newRow("F3") << QKeyCombination(Qt::Key_F3);
    QTest::newRow("Ctrl+A") << QKeyCombination(Qt::CTRL | Qt::Key_A);
    QTest::newRow("Ctrl+C") << QKeyCombination(Qt::CTRL | Qt::Key_C);
    QTest::newRow("a letter") << QKeyCombination(Qt::Key_X);
}

void TestScreenLock::nothingGetsPastTheLock() {
    QFETCH(QKeyCombination, key);
    SetSettings(false, "sesame");
    CEditorDoc* doc = OpenTextDocument(QStringLiteral("secret text"));
    OpenTextDocument(QStringLiteral("second"));
    doc->GetFrames().first()->ActivateFrame();
    QApplication::clipboard()->setText(QStringLiteral("clip"));
    const int windows = m_frame->MdiArea()->subWindowList().size();
    QVERIFY(m_frame->ExecuteCommand(ID_LOCK));
    // What the lock left on the clipboard (it empties it where the program owns it).
    const QString clip = QApplication::clipboard()->text();

    // Every target a key could reach: the lock window, the document's editor below it, the
    // frame itself.
    for (QWidget* target :
         {m_frame->ScreenLock()->LockWindow(), static_cast<QWidget*>(doc->GetView()),
          static_cast<QWidget*>(m_frame)}) {
        DialogScript script;
        script.Then([](QWidget* d) { static_cast<QDialog*>(d)->reject(); });
        QTest::keyClick(target, key.key(), key.keyboardModifiers());
        QTRY_VERIFY(script.Finished());
        QTRY_VERIFY(!m_frame->IsUnlocking());
        // Only the unlock prompt came, and it went as cancelled: still locked, nothing ran.
        QCOMPARE(script.Seen(), QStringList{"CPasswordDlg"});
        QVERIFY(m_frame->m_locked);
        QCOMPARE(doc->GetView()->toPlainText(), QStringLiteral("secret text"));
        QVERIFY(!doc->IsModified());
        QCOMPARE(m_frame->MdiArea()->subWindowList().size(), windows);
        QCOMPARE(m_frame->MDIGetActive()->GetActiveDocument(), doc);
        QCOMPARE(QApplication::clipboard()->text(), clip);
    }
    // Commands held back also when something asks for them directly.
    QVERIFY(!m_frame->ExecuteCommand(ID_FILE_SAVE));
    QVERIFY(!m_frame->ExecuteCommand(ID_FILE_CLOSE));
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 2);
}

void TestScreenLock::closingWhileLockedAsksFirst() {
    SetSettings(false, "sesame");
    OpenTextDocument(QStringLiteral("secret"));
    QVERIFY(m_frame->ExecuteCommand(ID_LOCK));
    DialogScript cancel;
    cancel.Then([](QWidget* d) { static_cast<QDialog*>(d)->reject(); });
    QVERIFY(!m_frame->close());
    QVERIFY(cancel.Finished());
    QVERIFY(m_frame->isVisible());
    QVERIFY(m_frame->m_locked);
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 1);

    // With the right password the close goes on (nothing was modified: no question).
    DialogScript right;
    right.Then(TypeScreenPassword(QStringLiteral("sesame")));
    QVERIFY(m_frame->close());
    QVERIFY(right.Finished());
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 0);
}

void TestScreenLock::captionNamesTheProgramOnly() {
    CEditorDoc* doc = OpenTextDocument(QStringLiteral("x"));
    doc->GetFrames().first()->SubWindow()->showMaximized();
    QTRY_VERIFY(m_frame->ShownCaption().contains(doc->GetTitle()));
    QVERIFY(m_frame->ExecuteCommand(ID_LOCK));
    QCOMPARE(m_frame->ShownCaption(), QStringLiteral("Keystow Editor"));
    // A document window renamed while locked does not reach the caption.
    doc->SetTitle(QStringLiteral("renamed.etx"));
    QCoreApplication::processEvents();
    QCOMPARE(m_frame->ShownCaption(), QStringLiteral("Keystow Editor"));
    SetSettings(false, QByteArray());
    QVERIFY(m_frame->UnlockScreen());
    QTRY_VERIFY(m_frame->ShownCaption().contains(QStringLiteral("renamed.etx")));
}

void TestScreenLock::questionsOpenWhenTheLockFallsGoAsNo() {
    SetSettings(true, QByteArray(), 0);
    QMessageBox::StandardButton answer = QMessageBox::Yes;
    QTimer::singleShot(0, this, [this] {
        QTRY_VERIFY(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()));
        // Walked away from the question: the lock falls and takes it.
        m_frame->m_lastActivity = 0;
        g_now = 3600000;
    });
    answer = QMessageBox::question(m_frame, QStringLiteral("Keystow Editor"),
                                   QStringLiteral("Delete?"), QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(answer, QMessageBox::No);
    QVERIFY(m_frame->m_locked);
}

void TestScreenLock::interruptedCommandsComeBackInOrder() {
    SetSettings(false, QByteArray());
    QVERIFY(m_frame->ExecuteCommand(ID_LOCK));
    // Asked in another order than they run.
    for (int command : {ID_APP_ABOUT, ID_FILE_OPEN, ID_FILE_SAVE_AS, ID_SCREEN_LOCK_OPTIONS,
                        ID_FILE_NEW, ID_WIZARD})
        m_frame->RequestResume(command);
    m_frame->ScreenLock()->SetResume(CScreenLockController::ResumeWelcomeAtStartup, true);
    DialogScript script; // every dialog cancelled as it comes
    QTest::keyClick(m_frame->ScreenLock()->LockWindow(), Qt::Key_Space);
    QTRY_VERIFY(!m_frame->m_locked);
    QTRY_COMPARE(script.Seen().size(), 5);
    // Save As needs a document, so it has nothing to show here; both welcome flags open the
    // page once.
    QCOMPARE(script.Seen(), (QStringList{"CWelcomeDlg", "CNewDocumentDlg", "CScreenLockSettingsDlg",
                                         "CTimedFileDialog", "CAboutDlg"}));
    QVERIFY(!m_frame->ScreenLock()->AnyResumePending());
}

void TestScreenLock::dialogClosedByTheLockReopens_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("dialog");
    QTest::newRow("About") << int(ID_APP_ABOUT) << "CAboutDlg";
    QTest::newRow("welcome") << int(ID_WIZARD) << "CWelcomeDlg";
    QTest::newRow("New") << int(ID_FILE_NEW) << "CNewDocumentDlg";
    QTest::newRow("Open") << int(ID_FILE_OPEN) << "CTimedFileDialog";
    QTest::newRow("Screen Lock Options") << int(ID_SCREEN_LOCK_OPTIONS) << "CScreenLockSettingsDlg";
}

void TestScreenLock::dialogClosedByTheLockReopens() {
    QFETCH(int, command);
    QFETCH(QString, dialog);
    SetSettings(true, QByteArray(), 0);
    DialogScript script;
    script.Then([](QWidget*) {
        // Left alone past the idle time: the frame locks and the dialog closes itself.
        g_now += 3600000;
    });
    QVERIFY(m_frame->ExecuteCommand(command));
    QTRY_VERIFY(m_frame->m_locked);
    QVERIFY(script.Finished());
    QVERIFY(!QApplication::activeModalWidget());
    // After the unlock the same dialog opens again (cancelled here by the script).
    QTest::mouseClick(m_frame->ScreenLock()->LockWindow(), Qt::LeftButton);
    QTRY_VERIFY(!m_frame->m_locked);
    QTRY_COMPARE(script.Seen(), (QStringList{dialog, dialog}));
}

void TestScreenLock::startupLockThenWelcome() {
    SetSettings(false, QByteArray());
    m_app->GetLockSettings().setLockAtStartup(1);
    QVERIFY(LockSettingsFile::Write(m_app->LockSettingsPath(), m_app->GetLockSettings()));
    m_app->SetShowWelcome(1);
    m_app.reset();
    m_app = std::make_unique<CEditorApp>();
    m_app->SetLockSettingsPath(m_dir->filePath(QStringLiteral("locksettings.dat")));
    QVERIFY(m_app->InitInstance());
    m_frame = m_app->MainFrame();
    QVERIFY(m_frame->m_locked);
    m_app->ShowStartupWelcome(); // waits for the unlock
    DialogScript script;
    QTest::keyClick(m_frame->ScreenLock()->LockWindow(), Qt::Key_Space);
    QTRY_VERIFY(!m_frame->m_locked);
    QTRY_COMPARE(script.Seen(), QStringList{"CWelcomeDlg"});
}

void TestScreenLock::welcomeButtonsLeadOn_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("next");
    QTest::newRow("new") << int(IDC_WELCOME_NEW) << "CNewDocumentDlg";
    QTest::newRow("open") << int(IDC_WELCOME_OPEN) << "CTimedFileDialog";
}

void TestScreenLock::welcomeButtonsLeadOn() {
    QFETCH(int, button);
    QFETCH(QString, next);
    DialogScript script;
    script.Then([button](QWidget* d) {
        auto* page = qobject_cast<CShellDialog*>(d);
        QVERIFY(page);
        auto* picture = qobject_cast<QAbstractButton*>(page->GetDlgItem(button));
        QVERIFY(picture);
        picture->click();
    });
    QVERIFY(m_frame->ExecuteCommand(ID_WIZARD));
    // The chooser or the file dialog follows (cancelled by the script).
    QTRY_COMPARE(script.Seen(), (QStringList{"CWelcomeDlg", next}));
}

std::unique_ptr<QObject> CreateScreenLockTest() {
    return std::make_unique<TestScreenLock>();
}

#include "tst_screenlock.moc"
