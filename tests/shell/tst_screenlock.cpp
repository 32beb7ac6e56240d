#include "ShellTestSupport.h"

#include "CDocManager.h"
#include "CEditorApp.h"
#include "CEditorDoc.h"
#include "CEditorView.h"
#include "CLockWatch.h"
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
#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCompleter>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QScrollBar>
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
    void captionNamesTheProgramOnly_data();
    void captionNamesTheProgramOnly();
    void onlyThePasswordInForceUnlocks_data();
    void onlyThePasswordInForceUnlocks();
    void popupsCloseSelectionsEmpty_data();
    void popupsCloseSelectionsEmpty();
    void documentsHiddenThenBackAsTheyWere_data();
    void documentsHiddenThenBackAsTheyWere();
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
    QWidget* LockWindow() const { return m_frame->ScreenLock()->LockWindow(); }

    QByteArray m_screenPassword;
};

void TestScreenLock::init() {
    g_now = 5000000;
    TickClock::SetSource([] { return g_now; });
    QVERIFY(StartShell());
}

void TestScreenLock::cleanup() {
    if (m_frame && m_frame->m_locked) {
        DialogScript script; // the screen password in force when the lock fell
        script.Then(TypeScreenPassword(QString::fromLatin1(m_screenPassword)));
        m_frame->UnlockForClose();
    }
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
    // The machine slept for an hour: the clock jumps and the next check locks.
    QTest::newRow("an hour asleep") << quint32(1000) << quint32(3600000) << true;
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
    QCOMPARE(LockWindow() != nullptr, locks);
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
    QTest::addColumn<int>("state"); // asked for instead of the size when set
    QTest::addColumn<QSize>("size");
    QTest::newRow("larger") << 0 << QSize(1200, 900);
    QTest::newRow("smaller") << 0 << QSize(320, 240);
    QTest::newRow("maximised") << int(Qt::WindowMaximized) << QSize(1000, 800);
    QTest::newRow("full screen") << int(Qt::WindowFullScreen) << QSize(1000, 800);
}

void TestScreenLock::lockedFrameKeepsItsSize() {
    QFETCH(int, state);
    QFETCH(QSize, size);
    OpenTextDocument(QStringLiteral("secret text"));
    m_frame->resize(900, 700);
    QTRY_COMPARE(m_frame->size(), QSize(900, 700));
    QVERIFY(m_frame->ExecuteCommand(ID_LOCK));
    QVERIFY(m_frame->m_locked);
    QWidget* lock = LockWindow();
    QVERIFY(lock && lock->isVisible());
    if (state)
        m_frame->setWindowState(Qt::WindowState(state));
    else
        m_frame->resize(size);
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
    const QPoint inside = LockWindow()->geometry().center();
    if (throughWindow && click)
        QTest::mouseClick(window, Qt::LeftButton, {}, inside);
    else if (throughWindow)
        QTest::keyClick(window, Qt::Key_A);
    else if (click)
        QTest::mouseClick(LockWindow(), Qt::LeftButton);
    else
        QTest::keyClick(LockWindow(), Qt::Key_A);
    QTRY_VERIFY(!m_frame->m_locked);
    QVERIFY(script.Seen().isEmpty());
    QVERIFY(!LockWindow());
}

void TestScreenLock::wrongPasswordThenCancelStaysLocked() {
    SetSettings(false, "sesame");
    QVERIFY(m_frame->ExecuteCommand(ID_LOCK));
    QString message;
    DialogScript script;
    script.Then(TypeScreenPassword(QStringLiteral("wrong")))
        .Then(AnswerBox(QMessageBox::Cancel, &message));
    QTest::keyClick(LockWindow(), Qt::Key_Space);
    QTRY_VERIFY(script.Finished());
    QTRY_VERIFY(!m_frame->IsUnlocking());
    QVERIFY(m_frame->m_locked);
    QCOMPARE(message, QStringLiteral("You have entered an incrorrect screen password. Retry? "));
    // The next key asks again.
    DialogScript again;
    again.Then([](QWidget* d) { static_cast<QDialog*>(d)->reject(); });
    QTest::mouseClick(LockWindow(), Qt::LeftButton);
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
    QTest::keyClick(LockWindow(), Qt::Key_Return);
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
         {LockWindow(), static_cast<QWidget*>(doc->GetView()), static_cast<QWidget*>(m_frame)}) {
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
    CEditorDoc* front = OpenTextDocument(QStringLiteral("secret"));
    CEditorDoc* changed = OpenTextDocument(QStringLiteral("changed"));
    changed->SetModifiedFlag(true);
    front->GetFrames().first()->ActivateFrame();
    QVERIFY(m_frame->ExecuteCommand(ID_LOCK));
    // The prompt comes before the changed document is brought forward to be asked about.
    CDocument* active = nullptr;
    DialogScript cancel;
    cancel.Then([&](QWidget* d) {
        active = m_frame->GetActiveDocument();
        static_cast<QDialog*>(d)->reject();
    });
    QVERIFY(!m_frame->close());
    QVERIFY(cancel.Finished());
    QCOMPARE(active, front);
    QVERIFY(m_frame->isVisible());
    QVERIFY(m_frame->m_locked);
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 2);
    changed->SetModifiedFlag(false);

    // With the right password the close goes on (nothing was modified: no question).
    DialogScript right;
    right.Then(TypeScreenPassword(QStringLiteral("sesame")));
    QVERIFY(m_frame->close());
    QVERIFY(right.Finished());
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 0);
}

void TestScreenLock::captionNamesTheProgramOnly_data() {
    QTest::addColumn<QString>("change"); // rename, another window, the frame again, a new one
    for (const char* change : {"rename", "activate", "frame", "new"})
        QTest::newRow(change) << QString::fromLatin1(change);
}

void TestScreenLock::captionNamesTheProgramOnly() {
    QFETCH(QString, change);
    CEditorDoc* other = OpenTextDocument(QStringLiteral("other"));
    CEditorDoc* doc = OpenTextDocument(QStringLiteral("x"));
    doc->GetFrames().first()->SubWindow()->showMaximized();
    QTRY_VERIFY(m_frame->ShownCaption().contains(doc->GetTitle()));
    QVERIFY(m_frame->ExecuteCommand(ID_LOCK));
    QCOMPARE(m_frame->ShownCaption(), QStringLiteral("Keystow Editor"));
    QEvent deactivate(QEvent::WindowDeactivate), activate(QEvent::WindowActivate);
    if (change == QLatin1String("rename"))
        doc->SetTitle(QStringLiteral("renamed.etx"));
    else if (change == QLatin1String("activate"))
        m_frame->MdiArea()->setActiveSubWindow(other->GetFrames().first()->SubWindow());
    else if (change == QLatin1String("frame"))
        for (QEvent* event : {&deactivate, &activate})
            QApplication::sendEvent(m_frame, event);
    else
        QVERIFY(OpenTextDocument(QStringLiteral("new")));
    QCoreApplication::processEvents();
    // Neither the window system's caption nor the frame's own title names a document.
    QCOMPARE(m_frame->ShownCaption(), QStringLiteral("Keystow Editor"));
    QCOMPARE(m_frame->windowTitle(), QStringLiteral("Keystow Editor"));
    QVERIFY(m_frame->UnlockScreen());
    QTRY_VERIFY(m_frame->ShownCaption().contains(m_frame->GetActiveDocument()->GetTitle()));
    if (change == QLatin1String("rename"))
        QVERIFY(m_frame->ShownCaption().contains(QStringLiteral("renamed.etx")));
}

void TestScreenLock::onlyThePasswordInForceUnlocks_data() {
    QTest::addColumn<int>("wrong");           // tries before the right password
    QTest::addColumn<int>("waitMs");          // before the next try is taken
    QTest::addColumn<QByteArray>("password"); // in the settings file changed while locked
    QTest::addColumn<int>("length");          // of that file; -1: removed; -2: left alone
    const int size = LockSettings::kSize;
    QTest::newRow("two wrong: no wait") << 2 << 0 << QByteArray() << -2;
    QTest::newRow("three wrong: 1 s") << 3 << 1000 << QByteArray() << -2;
    QTest::newRow("seven wrong: 16 s") << 7 << 16000 << QByteArray() << -2;
    QTest::newRow("ten wrong: 30 s at most") << 10 << 30000 << QByteArray() << -2;
    QTest::newRow("file: another password") << 2 << 0 << QByteArray("forged") << size;
    QTest::newRow("file: password switched off") << 2 << 0 << QByteArray() << size;
    QTest::newRow("file: removed") << 2 << 0 << QByteArray() << -1;
    QTest::newRow("file: made empty") << 2 << 0 << QByteArray() << 0;
}

void TestScreenLock::onlyThePasswordInForceUnlocks() {
    QFETCH(int, wrong);
    QFETCH(int, waitMs);
    QFETCH(QByteArray, password);
    QFETCH(int, length);
    SetSettings(false, "sesame");
    QVERIFY(m_frame->ExecuteCommand(ID_LOCK));
    const QString path = m_app->LockSettingsPath();
    LockSettings other;
    other.setPasswordEnabled(password.isEmpty() ? 0 : 1);
    other.setScreenPassword(password);
    if (length > -2)
        QVERIFY(length < 0 ? QFile::remove(path) : LockSettingsFile::Write(path, other));
    if (length == 0)
        QVERIFY(QFile(path).resize(0));
    // Neither the file's password nor an empty one lifts the lock; the one in force does.
    DialogScript script;
    for (int i = 0; i < wrong; ++i) {
        script.Then([i](QWidget* d) {
            g_now += 60000; // past any wait
            TypeScreenPassword(i % 2 ? QString() : QStringLiteral("forged"))(d);
        });
        script.Then(AnswerBox(QMessageBox::Retry));
    }
    QString shown;
    // The right password a moment too early is not taken; once the wait is over it is.
    for (const int early : {1, 0}) {
        script.Then([&shown, waitMs, early](QWidget* d) {
            auto* dlg = qobject_cast<CPasswordDlg*>(d);
            auto* edit = qobject_cast<QLineEdit*>(dlg->GetDlgItem(IDC_PASSWORD));
            if (early)
                shown = dlg->findChild<QLabel*>(QStringLiteral("wait"))->text();
            g_now += static_cast<quint32>(qMax(waitMs - 1, 0) * early + 1 - early);
            QTRY_COMPARE(edit->isReadOnly(), early == 1 && waitMs > 0);
            TypeScreenPassword(QStringLiteral("sesame"))(d);
        });
        if (waitMs == 0)
            break;
    }
    QTest::keyClick(LockWindow(), Qt::Key_Space);
    QTRY_VERIFY(!m_frame->m_locked);
    QVERIFY(script.Finished());
    QCOMPARE(shown.contains(QStringLiteral("wait %1 second").arg(waitMs / 1000)), waitMs > 0);
    QCOMPARE(m_frame->ScreenLock()->WrongTriesInARow(), 0);
    // Then the file is read again, as after any unlock.
    QCOMPARE(m_app->GetLockSettings().IsScreenPassword("sesame"), length != LockSettings::kSize);
}

void TestScreenLock::popupsCloseSelectionsEmpty_data() {
    QTest::addColumn<QString>("kind");
    for (const char* kind :
         {"menu", "completer", "drop-down list", "clipboard", "selection", "dialog of a dialog"})
        QTest::newRow(kind) << QString::fromLatin1(kind);
}

void TestScreenLock::popupsCloseSelectionsEmpty() {
    QFETCH(QString, kind);
    QClipboard* clipboard = QGuiApplication::clipboard();
    const bool selection = kind == QLatin1String("selection");
    if (selection || kind == QLatin1String("clipboard")) {
        const auto mode = selection ? QClipboard::Selection : QClipboard::Clipboard;
        clipboard->setText(QStringLiteral("secret text"), mode);
        if (!(selection ? clipboard->ownsSelection() : clipboard->ownsClipboard()))
            QSKIP("this window system has no such selection or does not tell who owns it");
        QVERIFY(m_frame->ExecuteCommand(ID_LOCK));
        QTRY_VERIFY(clipboard->text(mode).isEmpty());
        return;
    }
    if (kind.startsWith(QLatin1String("dialog"))) {
        // Like Page Setup over Print Preview: only the outer dialog watches for the lock.
        QDialog outer(m_frame);
        CLockWatch::CloseWhenLocked(&outer);
        bool gaveUp = false;
        QTimer::singleShot(0, &outer, [&] {
            QDialog inner(&outer);
            QTimer::singleShot(0, &inner, [this] { m_frame->ExecuteCommand(ID_LOCK); });
            QTimer::singleShot(5000, &inner, [&] { // whatever the lock leaves open
                gaveUp = true;
                inner.reject();
            });
            inner.exec();
        });
        outer.exec();
        QVERIFY(m_frame->m_locked);
        QVERIFY(!gaveUp);
        return;
    }
    QLineEdit edit;
    QCompleter completer(QStringList{"alpha", "alps"});
    QComboBox combo;
    combo.addItems({"one", "two"});
    QWidget* popup = m_frame->Menus(m_frame->CurrentMenuId()).first();
    if (kind == QLatin1String("menu")) {
        static_cast<QMenu*>(popup)->popup(m_frame->mapToGlobal(QPoint(40, 40)));
    } else if (kind == QLatin1String("completer")) {
        edit.setCompleter(&completer);
        edit.show();
        completer.setCompletionPrefix(QStringLiteral("al"));
        completer.complete();
        popup = completer.popup();
    } else {
        combo.show();
        combo.showPopup();
        popup = combo.view()->window();
    }
    QTRY_VERIFY(popup->isVisible());
    QVERIFY(m_frame->ExecuteCommand(ID_LOCK));
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QVERIFY(!popup->isVisible());
}

void TestScreenLock::documentsHiddenThenBackAsTheyWere_data() {
    QTest::addColumn<bool>("maximised");
    for (bool maximised : {true, false})
        QTest::newRow(maximised ? "maximised" : "not maximised") << maximised;
}

void TestScreenLock::documentsHiddenThenBackAsTheyWere() {
    QFETCH(bool, maximised);
    CEditorDoc* doc = OpenTextDocument(QStringLiteral("a long secret line\n").repeated(400));
    OpenTextDocument(QStringLiteral("other"));
    doc->GetFrames().first()->ActivateFrame();
    QMdiSubWindow* sub = doc->GetFrames().first()->SubWindow();
    if (maximised)
        sub->showMaximized();
    m_frame->activateWindow();
    CEditorView* view = doc->GetView();
    view->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(view));
    QTextCursor cursor(view->document());
    cursor.setPosition(5000);
    cursor.setPosition(5020, QTextCursor::KeepAnchor);
    view->setTextCursor(cursor);
    QScrollBar* bar = view->verticalScrollBar();
    bar->setValue(bar->maximum() / 2);
    const int scroll = bar->value();
    QVERIFY(scroll > 0);
    QVERIFY(m_frame->ExecuteCommand(ID_LOCK));
    QVERIFY(!m_frame->MdiArea()->isVisible() && !view->isVisible());
    QCOMPARE(m_frame->GetActiveDocument(), doc); // for the commands the lock holds back
    QVERIFY(m_frame->UnlockScreen());
    QCOMPARE(m_frame->MdiArea()->activeSubWindow(), sub);
    QCOMPARE(sub->isMaximized(), maximised);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(view));
    QCOMPARE(view->textCursor().anchor(), 5000);
    QCOMPARE(view->textCursor().position(), 5020);
    QCOMPARE(bar->value(), scroll);
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
    QTest::keyClick(LockWindow(), Qt::Key_Space);
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
    QTest::mouseClick(LockWindow(), Qt::LeftButton);
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
    QTest::keyClick(LockWindow(), Qt::Key_Space);
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
