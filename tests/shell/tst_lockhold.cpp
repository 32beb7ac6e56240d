#include "ShellTestSupport.h"

#include "CEditorDoc.h"
#include "CEditorView.h"
#include "CLockWatch.h"
#include "CMDIChildWnd.h"
#include "CMultiDocTemplate.h"
#include "CPasswordDlg.h"
#include "CScreenLockController.h"
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
#include <QScrollBar>
#include <QStringListModel>
#include <QtTest>

namespace {
quint32 g_now = 0;
const QString kProgram = QStringLiteral("Keystow Editor");

DialogScript::Step Type(const QString& password) {
    return [password](QWidget* d) {
        auto* dlg = qobject_cast<CPasswordDlg*>(d);
        QVERIFY(dlg);
        qobject_cast<QLineEdit*>(dlg->GetDlgItem(IDC_PASSWORD))->setText(password);
        dlg->done(IDOK);
    };
}

DialogScript::Step Retry() {
    return [](QWidget* d) {
        auto* box = qobject_cast<QMessageBox*>(d);
        QVERIFY(box);
        box->button(QMessageBox::Retry)->click();
    };
}
} // namespace

// What the lock holds against a person at the unattended desktop: the password in force when
// it fell, the caption, the selections, the windows above and below it, the frame's size and
// the pace of guessing.
class TestLockHold : public QObject, protected ShellFixture {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void captionNamesTheProgramOnly_data();
    void captionNamesTheProgramOnly();
    void closeAsksThePasswordBeforeAnythingShows();
    void ownedSelectionsAreEmptied_data();
    void ownedSelectionsAreEmptied();
    void dialogOpenedByADialogCloses();
    void popupsClose_data();
    void popupsClose();
    void documentsHiddenThenBackAsTheyWere_data();
    void documentsHiddenThenBackAsTheyWere();
    void settingsFileChangedWhileLocked_data();
    void settingsFileChangedWhileLocked();
    void guessingWaits_data();
    void guessingWaits();

private:
    void WriteSettings(const QByteArray& password);
    CEditorDoc* OpenTextDocument(const QString& text);
};

void TestLockHold::init() {
    g_now = 7000000;
    TickClock::SetSource([] { return g_now; });
    QVERIFY(StartShell());
}

void TestLockHold::cleanup() {
    UnlockForTearDown();
    StopShell();
    TickClock::SetSource({});
}

void TestLockHold::WriteSettings(const QByteArray& password) {
    LockSettings& settings = m_app->GetLockSettings();
    settings.setPasswordEnabled(password.isEmpty() ? 0 : 1);
    settings.setScreenPassword(password);
    m_screenPassword = password;
    QVERIFY(LockSettingsFile::Write(m_app->LockSettingsPath(), settings));
    m_app->LoadLockSettings();
}

CEditorDoc* TestLockHold::OpenTextDocument(const QString& text) {
    auto* doc = qobject_cast<CEditorDoc*>(m_app->m_pTextTemplate->OpenDocumentFile(QString()));
    if (doc) {
        doc->GetView()->setPlainText(text);
        doc->GetView()->document()->setModified(false);
        doc->SetModifiedFlag(false);
    }
    return doc;
}

void TestLockHold::captionNamesTheProgramOnly_data() {
    QTest::addColumn<QString>("change");
    QTest::newRow("another window activated") << "activate";
    QTest::newRow("the frame activated again") << "frame";
    QTest::newRow("a new window") << "new";
}

void TestLockHold::captionNamesTheProgramOnly() {
    QFETCH(QString, change);
    CEditorDoc* first = OpenTextDocument(QStringLiteral("first"));
    CEditorDoc* second = OpenTextDocument(QStringLiteral("second"));
    QMdiSubWindow* front = second->GetFrames().first()->SubWindow();
    front->showMaximized();
    QTRY_VERIFY(m_frame->windowTitle().contains(second->GetTitle()));
    QVERIFY(m_frame->ExecuteCommand(ID_LOCK));
    if (change == QLatin1String("activate")) {
        m_frame->MdiArea()->setActiveSubWindow(first->GetFrames().first()->SubWindow());
    } else if (change == QLatin1String("frame")) {
        QEvent deactivate(QEvent::WindowDeactivate);
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(m_frame, &deactivate);
        QApplication::sendEvent(m_frame, &activate);
    } else {
        QVERIFY(OpenTextDocument(QStringLiteral("third")));
    }
    QCoreApplication::processEvents();
    // Neither the window system's caption nor the frame's own title names a document.
    QCOMPARE(m_frame->windowTitle(), kProgram);
    QCOMPARE(m_frame->ShownCaption(), kProgram);

    QVERIFY(m_frame->UnlockScreen());
    CDocument* active = m_frame->GetActiveDocument();
    QVERIFY(active);
    QTRY_VERIFY(m_frame->ShownCaption().contains(active->GetTitle()));
    QCOMPARE(m_frame->windowTitle(), m_frame->ShownCaption());
}

void TestLockHold::closeAsksThePasswordBeforeAnythingShows() {
    WriteSettings("sesame");
    CEditorDoc* front = OpenTextDocument(QStringLiteral("front"));
    CEditorDoc* changed = OpenTextDocument(QStringLiteral("changed"));
    changed->SetModifiedFlag(true);
    front->GetFrames().first()->ActivateFrame();
    QVERIFY(m_frame->ExecuteCommand(ID_LOCK));
    QString caption;
    CDocument* active = nullptr;
    DialogScript script;
    script.Then([&](QWidget* d) {
        caption = m_frame->windowTitle();
        active = m_frame->GetActiveDocument();
        static_cast<QDialog*>(d)->reject();
    });
    QVERIFY(!m_frame->close());
    // The first thing shown is the prompt, with the changed document still in the background.
    QCOMPARE(script.Seen(), QStringList{"CPasswordDlg"});
    QCOMPARE(caption, kProgram);
    QCOMPARE(active, front);
    QVERIFY(m_frame->m_locked);
    changed->SetModifiedFlag(false);
}

void TestLockHold::ownedSelectionsAreEmptied_data() {
    QTest::addColumn<int>("mode");
    QTest::newRow("clipboard") << int(QClipboard::Clipboard);
    QTest::newRow("primary selection") << int(QClipboard::Selection);
}

void TestLockHold::ownedSelectionsAreEmptied() {
    QFETCH(int, mode);
    const auto which = static_cast<QClipboard::Mode>(mode);
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (which == QClipboard::Selection && !clipboard->supportsSelection())
        QSKIP("this window system has no primary selection");
    clipboard->setText(QStringLiteral("secret text"), which);
    QTRY_COMPARE(clipboard->text(which), QStringLiteral("secret text"));
    const bool owned =
        which == QClipboard::Selection ? clipboard->ownsSelection() : clipboard->ownsClipboard();
    if (!owned)
        QSKIP("this window system does not tell who owns the clipboard");
    QVERIFY(m_frame->ExecuteCommand(ID_LOCK));
    QTRY_VERIFY(clipboard->text(which).isEmpty());
}

void TestLockHold::dialogOpenedByADialogCloses() {
    // Like Page Setup over Print Preview: the outer dialog watches for the lock, the one it
    // opened does not.
    QDialog outer(m_frame);
    CLockWatch::CloseWhenLocked(&outer);
    bool innerClosed = false;
    bool gaveUp = false;
    QTimer::singleShot(0, &outer, [&] {
        QDialog inner(&outer);
        QTimer::singleShot(0, &inner, [this] { QVERIFY(m_frame->ExecuteCommand(ID_LOCK)); });
        // Whatever the lock leaves open goes here, so the test cannot hang.
        QTimer::singleShot(5000, &inner, [&] {
            gaveUp = true;
            inner.reject();
        });
        inner.exec();
        innerClosed = true;
    });
    outer.exec();
    QVERIFY(innerClosed);
    QVERIFY(!gaveUp);
    QVERIFY(m_frame->m_locked);
}

void TestLockHold::popupsClose_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("menu") << "menu";
    QTest::newRow("completion list") << "completer";
    QTest::newRow("drop-down list") << "list";
}

void TestLockHold::popupsClose() {
    QFETCH(QString, kind);
    QLineEdit edit;
    QCompleter completer(QStringList{"alpha", "alps", "altitude"});
    QComboBox combo;
    combo.addItems({"one", "two", "three"});
    QWidget* popup = nullptr;
    if (kind == QLatin1String("menu")) {
        QMenu* menu = m_frame->Menus(m_frame->CurrentMenuId()).first();
        menu->popup(m_frame->mapToGlobal(QPoint(40, 40)));
        popup = menu;
    } else if (kind == QLatin1String("completer")) {
        edit.setCompleter(&completer);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        completer.setCompletionPrefix(QStringLiteral("al"));
        completer.complete();
        popup = completer.popup();
    } else {
        combo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&combo));
        combo.showPopup();
        popup = combo.view()->window();
    }
    QTRY_VERIFY(popup->isVisible());
    QVERIFY(m_frame->ExecuteCommand(ID_LOCK));
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QVERIFY(!popup->isVisible());
}

void TestLockHold::documentsHiddenThenBackAsTheyWere_data() {
    QTest::addColumn<bool>("maximised");
    QTest::newRow("maximised") << true;
    QTest::newRow("not maximised") << false;
}

void TestLockHold::documentsHiddenThenBackAsTheyWere() {
    QFETCH(bool, maximised);
    QStringList lines;
    for (int i = 0; i < 400; ++i)
        lines << QStringLiteral("line %1 of a long secret document").arg(i);
    CEditorDoc* doc = OpenTextDocument(lines.join(QLatin1Char('\n')));
    OpenTextDocument(QStringLiteral("other"));
    doc->GetFrames().first()->ActivateFrame();
    QMdiSubWindow* sub = doc->GetFrames().first()->SubWindow();
    if (maximised)
        sub->showMaximized();
    m_frame->activateWindow();
    QTRY_VERIFY(m_frame->isActiveWindow());
    CEditorView* view = doc->GetView();
    view->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(view));
    QTextCursor cursor(view->document());
    cursor.setPosition(5000);
    cursor.setPosition(5020, QTextCursor::KeepAnchor);
    view->setTextCursor(cursor);
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum() / 2);
    const int scroll = view->verticalScrollBar()->value();
    QVERIFY(scroll > 0);

    QVERIFY(m_frame->ExecuteCommand(ID_LOCK));
    QVERIFY(!m_frame->MdiArea()->isVisible());
    QVERIFY(!view->isVisible());
    // Still the front window for the menus and commands, which the lock holds back.
    QCOMPARE(m_frame->GetActiveDocument(), doc);

    QVERIFY(m_frame->UnlockScreen());
    QVERIFY(view->isVisible());
    QCOMPARE(m_frame->MdiArea()->activeSubWindow(), sub);
    QCOMPARE(sub->isMaximized(), maximised);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(view));
    QCOMPARE(view->textCursor().anchor(), 5000);
    QCOMPARE(view->textCursor().position(), 5020);
    QCOMPARE(view->verticalScrollBar()->value(), scroll);
}

void TestLockHold::settingsFileChangedWhileLocked_data() {
    QTest::addColumn<QString>("change");
    QTest::newRow("another password") << "forged";
    QTest::newRow("password switched off") << "off";
    QTest::newRow("removed") << "removed";
    QTest::newRow("made empty") << "empty";
}

void TestLockHold::settingsFileChangedWhileLocked() {
    QFETCH(QString, change);
    WriteSettings("sesame");
    QVERIFY(m_frame->ExecuteCommand(ID_LOCK));
    const QString path = m_app->LockSettingsPath();
    LockSettings other;
    if (change == QLatin1String("forged")) {
        other.setPasswordEnabled(1);
        other.setScreenPassword("forged");
        QVERIFY(LockSettingsFile::Write(path, other));
    } else if (change == QLatin1String("off")) {
        QVERIFY(LockSettingsFile::Write(path, other));
    } else if (change == QLatin1String("removed")) {
        QVERIFY(QFile::remove(path));
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    }
    // Neither the file's password nor an empty one lifts the lock; the one in force does.
    DialogScript script;
    script.Then(Type(QStringLiteral("forged")))
        .Then(Retry())
        .Then(Type(QString()))
        .Then(Retry())
        .Then(Type(QStringLiteral("sesame")));
    QTest::keyClick(m_frame->ScreenLock()->LockWindow(), Qt::Key_Space);
    QTRY_VERIFY(!m_frame->m_locked);
    QCOMPARE(script.Seen(), (QStringList{"CPasswordDlg", "QMessageBox", "CPasswordDlg",
                                         "QMessageBox", "CPasswordDlg"}));
    // Then the settings are read again, as after any unlock.
    const bool replaced = change == QLatin1String("forged") || change == QLatin1String("off");
    QCOMPARE(m_app->GetLockSettings().IsScreenPassword("sesame"), !replaced);
}

void TestLockHold::guessingWaits_data() {
    QTest::addColumn<int>("wrong");
    QTest::addColumn<int>("waitMs");
    QTest::newRow("two wrong: no wait") << 2 << 0;
    QTest::newRow("three wrong: 1 s") << 3 << 1000;
    QTest::newRow("four wrong: 2 s") << 4 << 2000;
    QTest::newRow("five wrong: 4 s") << 5 << 4000;
    QTest::newRow("seven wrong: 16 s") << 7 << 16000;
    QTest::newRow("eight wrong: 30 s at most") << 8 << 30000;
    QTest::newRow("twelve wrong: 30 s at most") << 12 << 30000;
}

void TestLockHold::guessingWaits() {
    QFETCH(int, wrong);
    QFETCH(int, waitMs);
    WriteSettings("sesame");
    QVERIFY(m_frame->ExecuteCommand(ID_LOCK));
    DialogScript script;
    for (int i = 0; i < wrong; ++i) {
        // Each guess after any wait there is.
        script.Then([i](QWidget* d) {
            g_now += 60000;
            Type(QStringLiteral("guess %1").arg(i))(d);
        });
        script.Then(Retry());
    }
    bool waited = false;
    QString shown;
    script.Then([&](QWidget* d) {
        auto* dlg = qobject_cast<CPasswordDlg*>(d);
        QVERIFY(dlg);
        auto* edit = qobject_cast<QLineEdit*>(dlg->GetDlgItem(IDC_PASSWORD));
        waited = dlg->IsWaiting();
        if (auto* label = dlg->findChild<QLabel*>(QStringLiteral("wait")); label && waited)
            shown = label->text();
        QCOMPARE(edit->isReadOnly(), waitMs > 0);
        // The right password a moment too early is not taken.
        g_now += static_cast<quint32>(qMax(waitMs - 1, 0));
        edit->setText(QStringLiteral("sesame"));
        dlg->done(IDOK);
    });
    if (waitMs > 0) {
        script.Then([](QWidget* d) {
            auto* dlg = qobject_cast<CPasswordDlg*>(d);
            QVERIFY(dlg);
            QVERIFY(dlg->IsWaiting());
            g_now += 1;
            auto* edit = qobject_cast<QLineEdit*>(dlg->GetDlgItem(IDC_PASSWORD));
            QTRY_VERIFY(!edit->isReadOnly());
            QVERIFY(!dlg->IsWaiting());
            edit->setText(QStringLiteral("sesame"));
            dlg->done(IDOK);
        });
    }
    QTest::keyClick(m_frame->ScreenLock()->LockWindow(), Qt::Key_Space);
    QTRY_VERIFY(script.Finished());
    QTRY_VERIFY(!m_frame->m_locked);
    QCOMPARE(waited, waitMs > 0);
    if (waitMs > 0)
        QVERIFY(shown.contains(QString::number((waitMs + 999) / 1000)));
    // A right password starts the count again.
    QCOMPARE(m_frame->ScreenLock()->WrongTriesInARow(), 0);
}

std::unique_ptr<QObject> CreateLockHoldTest() {
    return std::make_unique<TestLockHold>();
}

#include "tst_lockhold.moc"
