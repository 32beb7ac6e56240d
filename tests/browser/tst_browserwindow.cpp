#include "tst_browserwindow.h"

#include "BrowserDocType.h"
#include "BrowserHistory.h"
#include "CActivityHost.h"
#include "CAddressBox.h"
#include "CCmdUI.h"
#include "CKeystowBrowserChildFrame.h"
#include "CKeystowBrowserView.h"
#include "DialogScript.h"
#include "DialogSteps.h"
#include "TestFiles.h"
#include "TestWebServer.h"
#include "TickClock.h"
#include "resource.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kPageTimeout = 20000;
// The engine's number for a request of the device's location.
constexpr int kGeolocationFeature = 1;

QString Title(CKeystowBrowserChildFrame* frame) {
    return frame->GetActiveDocument() ? frame->GetActiveDocument()->GetTitle() : QString();
}

bool CommandEnabled(CMDIFrameWnd* main, int id) {
    CCmdUI ui(id);
    main->UpdateCmdUI(&ui);
    return ui.m_enabled;
}

} // namespace

void TestBrowserWindow::initTestCase() {
    m_template = CreateBrowserDocTemplate();
    StartFramework({m_template}, QSize(900, 700));
    QVERIFY(m_template);
    // The folder the whole run treats as home; h.dat goes into it too.
    m_app->SetDataFolder(qEnvironmentVariable("KEYSTOW_TEST_HOME") + QStringLiteral("/data"));
    QVERIFY(QDir().mkpath(m_app->GetDataFolder()));
    BrowserHistory::ResetShared();
    m_host = std::make_unique<CActivityHost>();
    QVERIFY(QTest::qWaitForWindowActive(m_frame.get()));

    m_server = std::make_unique<TestWebServer>();
    QVERIFY(m_server->isListening());
    m_server->SetPage("/a", "<html><head><title>Page A</title></head><body>"
                            "<a id=next href='/b'>next</a></body></html>");
    m_server->SetPage("/notes.txt", "downloaded words");
    m_server->SetPage("/b", "<html><head><title>Page B</title></head><body>B</body></html>");
    m_server->SetPage("/blank", "<html><head><title>Opener</title></head><body>"
                                "<a id=out href='/target' target='_blank'>out</a></body></html>");
    m_server->SetPage("/target", "<html><head><title>Target</title></head><body>T</body></html>");
    m_server->SetPage("/text", "<html><head><title>Text</title></head><body>"
                               "<p id=p>selected words</p><input id=i></body></html>");
    m_server->SetPage("/geo", "<html><head><title>asking</title></head><body><script>"
                              "navigator.geolocation.getCurrentPosition("
                              "function() { document.title = 'granted'; },"
                              "function(e) { document.title = 'refused ' + e.code; });"
                              "</script></body></html>");
    // Dialogs a page raises a moment after it loaded, as from a timer.
    const auto later = [](const QByteArray& code) {
        return "<html><head><title>waiting</title></head><body><script>"
               "setTimeout(function() { " +
               code + " }, 50);</script></body></html>";
    };
    m_server->SetPage("/alert", later("alert('hi'); document.title = 'after alert';"));
    m_server->SetPage("/confirm", later("document.title = confirm('sure?') ? 'yes' : 'no';"));
    m_server->SetPage("/prompt", later("document.title = String(prompt('name?', 'x'));"));
    // Pages that ask for a new window from a timer or in answer to a key press.
    m_server->SetPage("/open-later", later("window.open('/target'); document.title = 'asked';"));
    m_server->SetPage("/open-on-key",
                      "<html><head><title>ready</title></head><body>"
                      "<button id=b onclick=\"window.open('/target'); document.title = 'asked';\">"
                      "open</button></body></html>");
    // Pages that try to send their window to our start page, then to page B.
    const auto toOwnPage = [](const QByteArray& head, const QByteArray& code) {
        return "<html><head><title>web</title>" + head +
               "</head><body><a id=own href='qrc:/browser/start.html'>own</a><script>" + code +
               "setTimeout(function() { location.href = '/b'; }, 400);</script></body></html>";
    };
    m_server->SetPage("/own-by-script",
                      toOwnPage({}, "location.href = 'qrc:/browser/start.html';"));
    m_server->SetPage("/own-by-link", toOwnPage({}, "document.getElementById('own').click();"));
    m_server->SetPage(
        "/own-by-refresh",
        toOwnPage("<meta http-equiv='refresh' content='0;url=qrc:/browser/start.html'>", {}));
    // Two folders, so that credentials given for one are never sent on their own to the other.
    for (const QByteArray& folder : {QByteArray("/secret1"), QByteArray("/secret2")}) {
        m_server->SetProtectedPage(
            folder + "/page", "<html><head><title>Denied</title></head><body>no</body></html>");
        m_server->SetPage(folder + "/page",
                          "<html><head><title>Welcome</title></head><body>in</body></html>");
    }
}

void TestBrowserWindow::cleanupTestCase() {
    m_server.reset();
    m_host.reset();
    StopFramework();
}

void TestBrowserWindow::cleanup() {
    for (CDocument* doc : m_template->GetDocuments())
        doc->OnCloseDocument();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_host->m_locked = 0;
}

CKeystowBrowserChildFrame* TestBrowserWindow::OpenWindow() {
    CDocument* doc = m_template->OpenDocumentFile(QString());
    if (!doc || doc->GetFrames().isEmpty())
        return nullptr;
    return qobject_cast<CKeystowBrowserChildFrame*>(doc->GetFrames().first());
}

void TestBrowserWindow::Enter(CKeystowBrowserChildFrame* frame, const QString& text) {
    QLineEdit* field = frame->AddressField();
    field->setFocus();
    field->setText(text);
    QTest::keyClick(field, Qt::Key_Return);
}

QVariant TestBrowserWindow::RunScript(CKeystowBrowserChildFrame* frame, const QString& script) {
    QVariant result;
    bool done = false;
    frame->BrowserView()->Pane()->RunScript(script, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, kPageTimeout))
        return QStringLiteral("<no answer>");
    return result;
}

QStringList TestBrowserWindow::HistoryFileLines() const {
    QFile file(BrowserHistory::FilePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void TestBrowserWindow::newWindowShowsStartPage() {
    CKeystowBrowserChildFrame* frame = OpenWindow();
    QVERIFY(frame);
    QTRY_COMPARE_WITH_TIMEOUT(Title(frame), QStringLiteral("Keystow Editor"), kPageTimeout);
    QCOMPARE(frame->BrowserView()->Pane()->Url(), CKeystowBrowserView::HomeUrl());
    QVERIFY(frame->SubWindow()->isMaximized());
    QCOMPARE(frame->AddressField()->text(), QString());
    // Nothing of the page is a window of its own, which would show above the lock window that
    // the main frame lays over its documents.
    for (QWidget* widget : frame->findChildren<QWidget*>())
        QVERIFY2(!widget->testAttribute(Qt::WA_NativeWindow), widget->metaObject()->className());
    QTRY_VERIFY(frame->AddressHasFocus());
    QCOMPARE(frame->AddressField()->selectedText(), frame->AddressField()->text());
    // Our own page never reaches the list through the address field.
    QVERIFY(frame->AddressBox()->count() == 0 ||
            !frame->AddressBox()->itemText(0).startsWith("qrc"));
}

void TestBrowserWindow::navigationBackAndForward() {
    CKeystowBrowserChildFrame* frame = OpenWindow();
    QVERIFY(frame);
    QTRY_COMPARE_WITH_TIMEOUT(Title(frame), QStringLiteral("Keystow Editor"), kPageTimeout);
    QCOMPARE(frame->ButtonCommand(0), ID_BROWSER_UNAVAILABLE);
    QVERIFY(!frame->ButtonAction(0)->isEnabled());
    QVERIFY(!frame->ButtonAction(1)->isEnabled());

    // A bare host name: "http://" in the box and the list, the page as typed.
    const QString typed = QStringLiteral("127.0.0.1:%1/a").arg(m_server->serverPort());
    const QString entry = QStringLiteral("http://") + typed;
    Enter(frame, typed);
    QCOMPARE(frame->AddressField()->text(), entry);
    QCOMPARE(frame->AddressBox()->itemText(0), entry);
    QCOMPARE(HistoryFileLines().value(HistoryFileLines().size() - 1), entry);
    QTRY_COMPARE_WITH_TIMEOUT(Title(frame), QStringLiteral("Page A"), kPageTimeout);
    QCOMPARE(frame->windowTitle(), QStringLiteral("Page A"));
    QTRY_COMPARE(frame->ButtonCommand(0), ID_GO_BACK);
    QVERIFY(frame->ButtonAction(0)->isEnabled());
    QCOMPARE(frame->ButtonCommand(1), ID_BROWSER_UNAVAILABLE);

    Enter(frame, m_server->Url(QStringLiteral("/b")).toString());
    QTRY_COMPARE_WITH_TIMEOUT(Title(frame), QStringLiteral("Page B"), kPageTimeout);
    // The finished page shows its address; only then does the window's history hold it.
    QTRY_COMPARE(frame->AddressField()->text(), m_server->Url(QStringLiteral("/b")).toString());

    frame->ButtonAction(0)->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(Title(frame), QStringLiteral("Page A"), kPageTimeout);
    QTRY_COMPARE(frame->ButtonCommand(1), ID_GO_FORWARD);
    QVERIFY(frame->ButtonAction(1)->isEnabled());
    // Alt+Right goes forward as the button does.
    QTest::keyClick(frame->AddressField(), Qt::Key_Right, Qt::AltModifier);
    QTRY_COMPARE_WITH_TIMEOUT(Title(frame), QStringLiteral("Page B"), kPageTimeout);
    QTRY_COMPARE(frame->ButtonCommand(1), ID_BROWSER_UNAVAILABLE);
}

void TestBrowserWindow::linkWithTargetOpensSecondWindow() {
    CKeystowBrowserChildFrame* frame = OpenWindow();
    QVERIFY(frame);
    frame->BrowserView()->Pane()->Load(m_server->Url(QStringLiteral("/blank")));
    QTRY_COMPARE_WITH_TIMEOUT(Title(frame), QStringLiteral("Opener"), kPageTimeout);
    // A person's key press on the link, which pages may answer with a new window.
    RunScript(frame, QStringLiteral("document.getElementById('out').focus()"));
    frame->BrowserView()->setFocus();
    QWidget* proxy = frame->BrowserView()->Pane()->Widget()->focusProxy();
    QVERIFY(proxy);
    QTest::keyClick(proxy, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(m_template->GetDocuments().size(), 2, kPageTimeout);
    auto* second = qobject_cast<CKeystowBrowserChildFrame*>(
        m_template->GetDocuments().at(1)->GetFrames().value(0));
    QVERIFY(second && second != frame);
    QTRY_COMPARE_WITH_TIMEOUT(Title(second), QStringLiteral("Target"), kPageTimeout);
    QCOMPARE(second->BrowserView()->Pane()->Url(), m_server->Url(QStringLiteral("/target")));
    QVERIFY(second->SubWindow()->isMaximized());
    QCOMPARE(Title(frame), QStringLiteral("Opener"));
}

void TestBrowserWindow::keysMoveBetweenAddressAndPage() {
    CKeystowBrowserChildFrame* frame = OpenWindow();
    QVERIFY(frame);
    QTRY_COMPARE_WITH_TIMEOUT(Title(frame), QStringLiteral("Keystow Editor"), kPageTimeout);
    QTRY_VERIFY(frame->AddressHasFocus());
    const auto inPage = [frame] {
        QWidget* focus = QApplication::focusWidget();
        return focus && frame->BrowserView()->isAncestorOf(focus);
    };
    // F6 (Next Pane) goes from the address box to the page and back.
    QVERIFY(m_frame->ExecuteCommand(ID_NEXT_PANE));
    QTRY_VERIFY(inPage());
    QVERIFY(m_frame->ExecuteCommand(ID_NEXT_PANE));
    QTRY_VERIFY(frame->AddressHasFocus());
    // Ctrl+L and Alt+D from the page select the whole address.
    frame->SetAddressText(QStringLiteral("http://typed.org/"));
    for (const QKeyCombination keys : {Qt::CTRL | Qt::Key_L, Qt::ALT | Qt::Key_D}) {
        frame->BrowserView()->setFocus();
        QTRY_VERIFY(inPage());
        QTest::keyClick(QApplication::focusWidget(), keys.key(), keys.keyboardModifiers());
        QTRY_VERIFY(frame->AddressHasFocus());
        QCOMPARE(frame->AddressField()->selectedText(), QStringLiteral("http://typed.org/"));
    }
}

void TestBrowserWindow::keyboardKeptAfterEnteringAddress() {
    // Going from our start page to a web site changes the page's renderer and the widget it
    // draws in; the keyboard must still reach the window afterwards.
    CKeystowBrowserChildFrame* frame = OpenWindow();
    QVERIFY(frame);
    QTRY_COMPARE_WITH_TIMEOUT(Title(frame), QStringLiteral("Keystow Editor"), kPageTimeout);
    QTRY_VERIFY(frame->AddressHasFocus());
    QLineEdit* field = frame->AddressField();
    QTest::keyClicks(field, m_server->Url(QStringLiteral("/a")).toString());
    QTest::keyClick(field, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(Title(frame), QStringLiteral("Page A"), kPageTimeout);
    QTRY_VERIFY(QApplication::focusWidget());
    QVERIFY(frame->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_L, Qt::ControlModifier);
    QTRY_VERIFY(frame->AddressHasFocus());
    QCOMPARE(field->selectedText(), field->text());

    // On a real display the widget the page drew in goes away with the focus; here the engine
    // keeps its widget, so the focus is taken from it instead.
    frame->BrowserView()->setFocus();
    QTRY_VERIFY(QApplication::focusWidget() &&
                frame->BrowserView()->isAncestorOf(QApplication::focusWidget()));
    QApplication::focusWidget()->clearFocus();
    QTRY_VERIFY(QApplication::focusWidget());
    QVERIFY(frame->BrowserView()->isAncestorOf(QApplication::focusWidget()));
}

void TestBrowserWindow::copyActsOnAddressFieldOrPage() {
    CKeystowBrowserChildFrame* frame = OpenWindow();
    QVERIFY(frame);
    frame->BrowserView()->Pane()->Load(m_server->Url(QStringLiteral("/text")));
    QTRY_COMPARE_WITH_TIMEOUT(Title(frame), QStringLiteral("Text"), kPageTimeout);
    QLineEdit* field = frame->AddressField();
    QTRY_COMPARE(field->text(), m_server->Url(QStringLiteral("/text")).toString());

    field->setFocus();
    QTRY_VERIFY(field->hasFocus());
    field->setText(QStringLiteral("http://example.org/path"));
    field->setSelection(7, 11);
    QApplication::clipboard()->clear();
    QVERIFY(m_frame->ExecuteCommand(ID_EDIT_COPY));
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("example.org"));

    frame->BrowserView()->setFocus();
    QTRY_VERIFY(!frame->AddressHasFocus());
    RunScript(frame, QStringLiteral(
                         "window.getSelection().selectAllChildren(document.getElementById('p'))"));
    QVERIFY(m_frame->ExecuteCommand(ID_EDIT_COPY));
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::clipboard()->text(), QStringLiteral("selected words"),
                              kPageTimeout);
    // The address field kept its own text.
    QCOMPARE(field->text(), QStringLiteral("http://example.org/path"));
}

void TestBrowserWindow::pasteGreyedWithoutText() {
    CKeystowBrowserChildFrame* frame = OpenWindow();
    QVERIFY(frame);
    frame->FocusAddress();
    QTRY_VERIFY(frame->AddressHasFocus());
    QApplication::clipboard()->clear();
    QVERIFY(!CommandEnabled(m_frame.get(), ID_EDIT_PASTE));
    QVERIFY(CommandEnabled(m_frame.get(), ID_EDIT_COPY));
    QApplication::clipboard()->setText(QStringLiteral("pasted.org"));
    QVERIFY(CommandEnabled(m_frame.get(), ID_EDIT_PASTE));
    frame->AddressField()->clear();
    QVERIFY(m_frame->ExecuteCommand(ID_EDIT_PASTE));
    QCOMPARE(frame->AddressField()->text(), QStringLiteral("pasted.org"));
}

void TestBrowserWindow::locationRequestRefused() {
    CKeystowBrowserChildFrame* frame = OpenWindow();
    QVERIFY(frame);
    BrowserPane* page = frame->BrowserView()->Pane();
    QSignalSpy refused(frame->BrowserView(), &CKeystowBrowserView::permissionRefused);
    frame->BrowserView()->Pane()->Load(m_server->Url(QStringLiteral("/geo")));
    QTRY_COMPARE_WITH_TIMEOUT(Title(frame), QStringLiteral("refused 1"), kPageTimeout);
    QCOMPARE(refused.size(), 1);
    QCOMPARE(refused.at(0).at(0).toInt(), kGeolocationFeature);
    QCOMPARE(page->RefusedPermissionCount(), 1);
}

void TestBrowserWindow::pageDialogsCancelledWhileLocked() {
    CKeystowBrowserChildFrame* frame = OpenWindow();
    QVERIFY(frame);
    frame->BrowserView()->Pane()->Load(m_server->Url(QStringLiteral("/b")));
    QTRY_COMPARE_WITH_TIMEOUT(Title(frame), QStringLiteral("Page B"), kPageTimeout);
    m_host->m_locked = 1;
    // Answered at once, with nothing shown over the lock.
    QCOMPARE(RunScript(frame, QStringLiteral("confirm('sure?') ? 'yes' : 'no'")).toString(),
             QStringLiteral("no"));
    QCOMPARE(RunScript(frame, QStringLiteral("String(prompt('name?', 'x'))")).toString(),
             QStringLiteral("null"));
    QCOMPARE(RunScript(frame, QStringLiteral("alert('hi'); 'after'")).toString(),
             QStringLiteral("after"));
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    m_host->m_locked = 0;
}

void TestBrowserWindow::pageDialogsCloseWithTheLock_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("dialogClass");
    QTest::addColumn<QString>("titleAfter");
    QTest::newRow("alert") << "/alert"
                           << "QMessageBox"
                           << "after alert";
    QTest::newRow("confirm") << "/confirm"
                             << "QMessageBox"
                             << "no";
    QTest::newRow("prompt") << "/prompt"
                            << "QInputDialog"
                            << "null";
    QTest::newRow("authentication") << "/secret1/page"
                                    << "QDialog"
                                    << "Denied";
}

void TestBrowserWindow::pageDialogsCloseWithTheLock() {
    QFETCH(QString, path);
    QFETCH(QString, dialogClass);
    QFETCH(QString, titleAfter);
    CKeystowBrowserChildFrame* frame = OpenWindow();
    QVERIFY(frame);
    const int authorized = m_server->AuthorizedRequests();
    QPointer<QWidget> open;
    DialogScript script;
    // The screen locks while the page's dialog is up; the dialog is left open.
    script.Then([&](QWidget* dialog) {
        open = dialog;
        m_host->m_locked = 1;
    });
    frame->BrowserView()->Pane()->Load(m_server->Url(path));
    QTRY_VERIFY_WITH_TIMEOUT(script.Finished(), kPageTimeout);
    QCOMPARE(script.Seen(), QStringList{dialogClass});
    // Closed by the lock, well before the script would give up on it, and answered as
    // cancelled.
    QTRY_VERIFY_WITH_TIMEOUT(!open || !open->isVisible(), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(Title(frame), titleAfter, kPageTimeout);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QCOMPARE(m_server->AuthorizedRequests(), authorized);
}

void TestBrowserWindow::authenticationAskedUnlessLocked_data() {
    QTest::addColumn<bool>("locked");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<int>("dialogs");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("authorized");
    QTest::newRow("locked") << true << false << 0 << "Denied" << 0;
    QTest::newRow("cancelled") << false << false << 1 << "Denied" << 0;
    // Last: the engine remembers the credentials for the rest of the run.
    QTest::newRow("answered") << false << true << 1 << "Welcome" << 1;
}

void TestBrowserWindow::authenticationAskedUnlessLocked() {
    QFETCH(bool, locked);
    QFETCH(bool, answer);
    QFETCH(int, dialogs);
    QFETCH(QString, title);
    QFETCH(int, authorized);
    CKeystowBrowserChildFrame* frame = OpenWindow();
    QVERIFY(frame);
    const int before = m_server->AuthorizedRequests();
    DialogScript script;
    if (!locked)
        script.Then([answer](QWidget* d) {
            auto* dialog = qobject_cast<QDialog*>(d);
            QVERIFY(dialog);
            const QList<QLineEdit*> fields = dialog->findChildren<QLineEdit*>();
            QCOMPARE(fields.size(), 2);
            QCOMPARE(fields[1]->echoMode(), QLineEdit::Password);
            if (!answer) {
                dialog->reject();
                return;
            }
            fields[0]->setText(QStringLiteral("user"));
            fields[1]->setText(QStringLiteral("pass word"));
            dialog->accept();
        });
    m_host->m_locked = locked ? 1 : 0;
    frame->BrowserView()->Pane()->Load(m_server->Url(QStringLiteral("/secret2/page")));
    QTRY_COMPARE_WITH_TIMEOUT(Title(frame), title, kPageTimeout);
    QVERIFY(script.Finished());
    QCOMPARE(script.Seen().size(), dialogs);
    QCOMPARE(m_server->AuthorizedRequests() - before, authorized);
    if (authorized)
        QCOMPARE(m_server->LastCredentials(), QByteArray("user:pass word"));
}

void TestBrowserWindow::pageInputIsActivity() {
    CKeystowBrowserChildFrame* frame = OpenWindow();
    QVERIFY(frame);
    frame->BrowserView()->Pane()->Load(m_server->Url(QStringLiteral("/text")));
    QTRY_COMPARE_WITH_TIMEOUT(Title(frame), QStringLiteral("Text"), kPageTimeout);
    quint32 now = 1000;
    TickClock::SetSource([&now] { return now; });
    m_host->StampActivity();
    now = 50000;
    QWidget* proxy = frame->BrowserView()->Pane()->Widget()->focusProxy();
    QVERIFY(proxy);
    QTest::keyClick(proxy, Qt::Key_Down);
    QCOMPARE(m_host->m_lastActivity, 50000u);
    now = 90000;
    QTest::mouseMove(proxy, QPoint(20, 20));
    QTest::mouseMove(proxy, QPoint(40, 30));
    QCOMPARE(m_host->m_lastActivity, 90000u);
    // While locked the page's input does not count (the lock swallows it).
    m_host->m_locked = 1;
    now = 120000;
    QTest::keyClick(proxy, Qt::Key_Down);
    QCOMPARE(m_host->m_lastActivity, 90000u);
    m_host->m_locked = 0;
    TickClock::SetSource({});
}

void TestBrowserWindow::downloadWaitsForUnlock_data() {
    QTest::addColumn<bool>("askedWhileLocked");
    QTest::addColumn<bool>("closeWindowWhileLocked");
    // Asked for while locked: nothing shows until the unlock, then the save dialog asks.
    QTest::newRow("asked while locked") << true << false;
    // The lock falls while the save dialog is open: it closes and asks again after the unlock.
    QTest::newRow("dialog open when the lock falls") << false << false;
    // The window is closed while locked: its download goes with it.
    QTest::newRow("window closed while locked") << true << true;
}

void TestBrowserWindow::downloadWaitsForUnlock() {
    QFETCH(bool, askedWhileLocked);
    QFETCH(bool, closeWindowWhileLocked);
    CKeystowBrowserChildFrame* frame = OpenWindow();
    QVERIFY(frame);
    QTRY_COMPARE_WITH_TIMEOUT(Title(frame), QStringLiteral("Keystow Editor"), kPageTimeout);
    QTemporaryDir target;
    const QString path = target.filePath(QStringLiteral("saved.txt"));
    const QUrl file = m_server->Url(QStringLiteral("/notes.txt"));
    const int requests = m_server->Requests();
    // The engine's profile is made by the engine module; its signal is reached by name.
    QObject* profile = nullptr;
    for (QObject* child : qApp->children())
        if (child->inherits("QWebEngineProfile"))
            profile = child;
    QVERIFY(profile);
    QSignalSpy asked(profile, SIGNAL(downloadRequested(QWebEngineDownloadRequest*)));
    QVERIFY(asked.isValid());
    {
        DialogScript whileLocked;
        if (askedWhileLocked) {
            m_host->m_locked = 1;
            frame->BrowserView()->Pane()->Load(file);
        } else {
            QPointer<QWidget> open;
            whileLocked.Then([&](QWidget* dialog) {
                open = dialog;
                m_host->m_locked = 1;
            });
            frame->BrowserView()->Pane()->Load(file);
            QTRY_VERIFY_WITH_TIMEOUT(whileLocked.Finished(), kPageTimeout);
            // Closed by the lock, well before the script would give up on it.
            QTRY_VERIFY_WITH_TIMEOUT(!open || !open->isVisible(), 5000);
        }
        QTRY_VERIFY_WITH_TIMEOUT(m_server->Requests() > requests, kPageTimeout);
        // The engine asked while the screen was locked.
        QTRY_COMPARE_WITH_TIMEOUT(asked.size(), 1, kPageTimeout);
        QVERIFY(m_host->m_locked);
        QTRY_VERIFY(!frame->BrowserView()->Pane()->IsLoading());
        // Nothing reached the disk while locked.
        QVERIFY(!QFileInfo::exists(path));
        QCOMPARE(QDir(target.path()).entryList(QDir::Files), QStringList());
        if (closeWindowWhileLocked) {
            frame->GetActiveDocument()->OnCloseDocument();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        QCOMPARE(whileLocked.Seen().size(), askedWhileLocked ? 0 : 1);
    }
    const int beforeUnlock = m_server->Requests();
    if (closeWindowWhileLocked) {
        DialogScript none;
        m_host->m_locked = 0;
        // Another page loads in the meantime; the closed window asks for nothing.
        CKeystowBrowserChildFrame* other = OpenWindow();
        QVERIFY(other);
        other->BrowserView()->Pane()->Load(m_server->Url(QStringLiteral("/b")));
        QTRY_COMPARE_WITH_TIMEOUT(Title(other), QStringLiteral("Page B"), kPageTimeout);
        QCOMPARE(none.Seen(), QStringList());
        QCOMPARE(m_server->Requests(), beforeUnlock + 1);
        return;
    }
    QString offered;
    DialogScript script;
    script.Then(ChooseFile(path, &offered));
    m_host->m_locked = 0;
    QTRY_VERIFY_WITH_TIMEOUT(script.Finished(), kPageTimeout);
    QCOMPARE(script.Seen().size(), 1);
    // Asked for again from its page once unlocked.
    QCOMPARE(asked.size(), 2);
    QCOMPARE(QFileInfo(offered).fileName(), QStringLiteral("notes.txt"));
    QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(path).size(), 16, kPageTimeout);
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("downloaded words"));
}

void TestBrowserWindow::ownPagesLeaveAddressEmpty() {
    CKeystowBrowserChildFrame* frame = OpenWindow();
    QVERIFY(frame);
    frame->SetAddressText(QStringLiteral("http://shown.org/"));
    QCOMPARE(frame->AddressField()->text(), QStringLiteral("http://shown.org/"));
    frame->SetAddressText(QStringLiteral("res://module.dll/page.htm"));
    QCOMPARE(frame->AddressField()->text(), QString());
    frame->SetAddressText(QStringLiteral("http://shown.org/"));
    // A page that does not load shows the engine's error page, which is no address either.
    TestWebServer closed;
    const QUrl nowhere = closed.Url(QStringLiteral("/gone"));
    closed.close();
    frame->BrowserView()->Pane()->Load(nowhere);
    QTRY_COMPARE_WITH_TIMEOUT(frame->AddressField()->text(), QString(), kPageTimeout);
}

void TestBrowserWindow::twoWindowsKeepBothAddresses() {
    CKeystowBrowserChildFrame* first = OpenWindow();
    CKeystowBrowserChildFrame* second = OpenWindow();
    QVERIFY(first && second);
    const QString a = m_server->Url(QStringLiteral("/a")).toString();
    const QString b = m_server->Url(QStringLiteral("/b")).toString();
    Enter(first, a);
    Enter(second, b);
    QCOMPARE(first->AddressBox()->itemText(0), b);
    QCOMPARE(first->AddressBox()->itemText(1), a);
    const QStringList lines = HistoryFileLines();
    QVERIFY(lines.size() >= 2);
    QCOMPARE(lines.mid(lines.size() - 2), (QStringList{a, b}));
    // Choosing from one window's list moves the address up in every window and the file.
    QSignalSpy chosen(first->AddressBox(), &CAddressBox::addressChosen);
    first->AddressBox()->activated(1);
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(second->AddressBox()->itemText(0), a);
    QCOMPARE(HistoryFileLines().last(), a);
    QTRY_COMPARE_WITH_TIMEOUT(Title(first), QStringLiteral("Page A"), kPageTimeout);
}

void TestBrowserWindow::pageWindowsNeedKeyAndUnlock_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("locked");
    QTest::newRow("timer") << "/open-later" << false;
    QTest::newRow("key press") << "/open-on-key" << false;
    QTest::newRow("key press while locked") << "/open-on-key" << true;
}

void TestBrowserWindow::pageWindowsNeedKeyAndUnlock() {
    QFETCH(QString, path);
    QFETCH(bool, locked);
    const bool byKey = path.endsWith(QLatin1String("key")), opened = byKey && !locked;
    CKeystowBrowserChildFrame* frame = OpenWindow();
    QVERIFY(frame);
    QSignalSpy blocked(frame->BrowserView(), &CKeystowBrowserView::windowBlocked);
    m_host->m_locked = locked ? 1 : 0;
    frame->BrowserView()->Pane()->Load(m_server->Url(path));
    if (byKey) {
        QTRY_COMPARE_WITH_TIMEOUT(Title(frame), QStringLiteral("ready"), kPageTimeout);
        QWidget* proxy = frame->BrowserView()->Pane()->Widget()->focusProxy();
        QVERIFY(proxy);
        // By keyboard: the engine takes no mouse input offscreen.
        RunScript(frame, QStringLiteral("document.getElementById('b').focus()"));
        frame->BrowserView()->setFocus();
        QTest::keyClick(proxy, Qt::Key_Return);
    }
    QTRY_COMPARE_WITH_TIMEOUT(Title(frame), QStringLiteral("asked"), kPageTimeout);
    // Either a second window or a refusal, never both.
    QTRY_COMPARE_WITH_TIMEOUT(m_template->GetDocuments().size() + blocked.size(), 2, kPageTimeout);
    QCOMPARE(blocked.size(), opened ? 0 : 1);
    m_host->m_locked = 0;
}

void TestBrowserWindow::webPagesCannotReachOwnPages_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("script") << "/own-by-script";
    QTest::newRow("link") << "/own-by-link";
    QTest::newRow("refresh") << "/own-by-refresh";
}

void TestBrowserWindow::webPagesCannotReachOwnPages() {
    QFETCH(QString, path);
    CKeystowBrowserChildFrame* frame = OpenWindow();
    QVERIFY(frame);
    QTRY_COMPARE_WITH_TIMEOUT(Title(frame), QStringLiteral("Keystow Editor"), kPageTimeout);
    frame->BrowserView()->Pane()->Load(m_server->Url(path));
    QTRY_COMPARE_WITH_TIMEOUT(Title(frame), QStringLiteral("web"), kPageTimeout);
    // Refused, the page stays and goes on to page B; let through, it ends on our start page.
    QTRY_COMPARE_WITH_TIMEOUT(Title(frame), QStringLiteral("Page B"), kPageTimeout);
    QCOMPARE(frame->BrowserView()->Pane()->Url(), m_server->Url(QStringLiteral("/b")));
    // The person may still go there with the Home button.
    frame->ButtonAction(4)->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(Title(frame), QStringLiteral("Keystow Editor"), kPageTimeout);
}

void TestBrowserWindow::localPagesReadNoOtherFile_data() {
    QTest::addColumn<QString>("target");
    QTest::newRow("same folder") << "secret.txt";
    QTest::newRow("other folder") << "sub/secret.txt";
}

void TestBrowserWindow::localPagesReadNoOtherFile() {
    QFETCH(QString, target);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    WriteRaw(dir.filePath(target), "private words");
    const QString page = dir.filePath("page.html");
    WriteRaw(page, "<html><head><title>reading</title></head><body><script>"
                   "var x = new XMLHttpRequest();"
                   "x.onload = function() { document.title = 'read ' + x.responseText; };"
                   "x.onerror = function() { document.title = 'refused'; };"
                   "try { x.open('GET', '" +
                       target.toUtf8() +
                       "'); x.send(); } catch (e) { document.title = 'refused'; }"
                       "</script></body></html>");
    CKeystowBrowserChildFrame* frame = OpenWindow();
    QVERIFY(frame);
    frame->BrowserView()->Pane()->Load(QUrl::fromLocalFile(page));
    QTRY_COMPARE_WITH_TIMEOUT(Title(frame), QStringLiteral("refused"), kPageTimeout);
}

void TestBrowserWindow::addressListOpensWithoutReload_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Down key") << "down";
    QTest::newRow("Down key on the box") << "box";
    QTest::newRow("arrow") << "arrow";
    QTest::newRow("focus to the page") << "page";
}

void TestBrowserWindow::addressListOpensWithoutReload() {
    QFETCH(QString, how);
    CKeystowBrowserChildFrame* frame = OpenWindow();
    QVERIFY(frame);
    const QString address = m_server->Url(QStringLiteral("/a")).toString();
    Enter(frame, address);
    QTRY_COMPARE_WITH_TIMEOUT(Title(frame), QStringLiteral("Page A"), kPageTimeout);
    // The field shows the page's address, which is also the first item of the list.
    CAddressBox* box = frame->AddressBox();
    QLineEdit* field = frame->AddressField();
    QTRY_COMPARE(field->text(), address);
    QCOMPARE(box->itemText(0), address);
    QTRY_VERIFY(!frame->BrowserView()->Pane()->IsLoading());
    const int requests = m_server->Requests();
    QSignalSpy chosen(box, &CAddressBox::addressChosen);
    // A list closed before leaves the main window inactive offscreen.
    m_frame->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_frame.get()));
    field->setFocus();
    QTRY_VERIFY(field->hasFocus());
    if (how == u"page") {
        frame->BrowserView()->setFocus();
        QTRY_VERIFY(!frame->AddressHasFocus());
    } else {
        if (how == u"arrow")
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 6, box->height() / 2));
        else
            QTest::keyClick(how == u"box" ? static_cast<QWidget*>(box) : field, Qt::Key_Down);
        QTRY_VERIFY(box->view()->isVisible());
        box->hidePopup();
    }
    QCOMPARE(chosen.size(), 0);
    QVERIFY(!frame->BrowserView()->Pane()->IsLoading());
    QCOMPARE(m_server->Requests(), requests);
}

void TestBrowserWindow::browsingLeavesOnlyHistory() {
    const QString home = qEnvironmentVariable("KEYSTOW_TEST_HOME");
    QVERIFY(!home.isEmpty());
    QStringList files;
    QDirIterator it(home, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(home).relativeFilePath(it.next());
    QCOMPARE(files, QStringList{QStringLiteral("data/h.dat")});
}
