// The main frame: menus 128 and 104, toolbar, status bar, accelerators, New, Open, dropped
// files and an open menu counting as activity.
#include "ShellTestSupport.h"

#include "BrowserEngine.h"
#include "CCmdUI.h"
#include "CDocManager.h"
#include "CDocument.h"
#include "CEditorApp.h"
#include "CMDIChildWnd.h"
#include "CMainFrame.h"
#include "CMultiDocTemplate.h"
#include "CView.h"
#include "DialogScript.h"
#include "TickClock.h"
#include "resource.h"

#include <CNewDocumentDlg.h>
#include <CPasswordDlg.h>
#include <CTimedFileDialog.h>
#include <PasswordsFile.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QOpenGLContext>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QtTest>

// Qt GUI's shared graphics context, exported without a public header.
Q_GUI_EXPORT QOpenGLContext* qt_gl_global_share_context();

namespace {

struct Item {
    QString text;
    int id;
};

QList<Item> Items(QMenu* menu) {
    QList<Item> items;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator())
            items.append({QStringLiteral("-"), 0});
        else if (action->isVisible())
            items.append({action->text(), CMDIFrameWnd::CommandId(action)});
    }
    return items;
}

QString Describe(const QList<Item>& items) {
    QStringList parts;
    for (const Item& item : items)
        parts << (item.id ? QStringLiteral("%1=%2").arg(item.text).arg(item.id) : item.text);
    return parts.join(QLatin1Char('|'));
}

QStringList MenuTitles(CMainFrame* frame) {
    QStringList titles;
    for (QAction* action : frame->menuBar()->actions())
        titles << action->text();
    return titles;
}

// A dialog script step for a dialog of the given class.
template <class Dialog, class Fn> DialogScript::Step As(Fn fn) {
    return [fn](QWidget* widget) {
        auto* dialog = qobject_cast<Dialog*>(widget);
        QVERIFY2(dialog, widget->metaObject()->className());
        fn(dialog);
    };
}

// Runs the frame's 100 ms timer tick at once.
struct FrameTimer : CMainFrame {
    static void Tick(CMainFrame* frame) { (frame->*&FrameTimer::OnFrameTimer)(); }
};

} // namespace

class TestMainFrame : public QObject, protected ShellFixture {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startsWithoutWebEngineOrSharedContext();
    void menu128WithNoDocument();
    void menu104WhileTextWindowActive();
    void toolBarOrderAndLabels();
    void statusBarPanes();
    void acceleratorTable_data();
    void acceleratorTable();
    void templatesInOrder();
    void newThroughChooser_data();
    void newThroughChooser();
    void openThroughFileDialogBringsOpenFileToFront();
    void droppedFileOpens_data();
    void droppedFileOpens();
    void openMenuCountsAsActivity();
    void toolbarAndStatusBarToggle();
    void recentFilesInMenu();
    void passwordsFileOpensIntoWindow();

private:
};

void TestMainFrame::startsWithoutWebEngineOrSharedContext() {
    // Neither the web engine nor the shared graphics context it needs, which loads the graphics
    // driver, is made before the first browser window.
    QVERIFY(m_frame->isVisible());
    QVERIFY(!BrowserEngine::IsLoaded());
    QCOMPARE(qt_gl_global_share_context(), nullptr);
    QFile maps(QStringLiteral("/proc/self/maps"));
    QVERIFY(maps.open(QIODevice::ReadOnly));
    QVERIFY(!maps.readAll().contains("WebEngine"));
}

void TestMainFrame::init() {
    QVERIFY(StartShell());
}

void TestMainFrame::cleanup() {
    TickClock::SetSource({});
    StopShell();
}

void TestMainFrame::menu128WithNoDocument() {
    QCOMPARE(m_frame->CurrentMenuId(), IDR_MAINFRAME);
    QCOMPARE(MenuTitles(m_frame),
             (QStringList{QStringLiteral("&File"), QStringLiteral("&View"),
                          QStringLiteral("Settings"), QStringLiteral("&Help")}));
    const QList<QMenu*>& menus = m_frame->Menus(IDR_MAINFRAME);
    QCOMPARE(Describe(Items(menus[0])),
             QStringLiteral("&New\tCtrl+N=57600|&Open...\tCtrl+O=57601|-|P&rint Setup...=57606|-|"
                            "Recent File=57616|-|Web Browser...=32801|-|E&xit=57665"));
    QCOMPARE(Describe(Items(menus[1])),
             QStringLiteral("&Toolbar=59392|&Status Bar=59393|-|Lock=32792|-|Wizard...=32795"));
    QCOMPARE(Describe(Items(menus[2])),
             QStringLiteral("Screen Lock Options...=32790|Encryption of New Documents...=32850"));
    QCOMPARE(Describe(Items(menus[3])),
             QStringLiteral("Keystow Editor on the Web...=32772|-|&About Keystow Editor...=57664"));
}

void TestMainFrame::menu104WhileTextWindowActive() {
    CDocument* doc = m_app->m_pTextTemplate->OpenDocumentFile(QString());
    QVERIFY(doc);
    QTRY_COMPARE(m_frame->CurrentMenuId(), IDR_TEXTTYPE);
    // A new document is compatible unless the program-wide choice says otherwise.
    QTRY_COMPARE(m_frame->GetStatusPaneText(CMainFrame::FormatPane), QStringLiteral("Compatible"));
    QCOMPARE(MenuTitles(m_frame),
             (QStringList{QStringLiteral("&File"), QStringLiteral("&Edit"), QStringLiteral("&View"),
                          QStringLiteral("Settings"), QStringLiteral("&Window"),
                          QStringLiteral("&Help")}));
    const QList<QMenu*>& menus = m_frame->Menus(IDR_TEXTTYPE);
    QCOMPARE(Describe(Items(menus[0])),
             QStringLiteral("&New\tCtrl+N=57600|&Open...\tCtrl+O=57601|&Close=57602|"
                            "&Save\tCtrl+S=57603|Save &As...=57604|-|Browse Web...=32801|-|"
                            "&Print...\tCtrl+P=57607|Print Pre&view=57609|P&rint Setup...=57606|-|"
                            "Recent File=57616|-|E&xit=57665"));
    QCOMPARE(Describe(Items(menus[1])),
             QStringLiteral("&Undo\tCtrl+Z=57643|-|Cu&t\tCtrl+X=57635|&Copy\tCtrl+C=57634|"
                            "&Paste\tCtrl+V=57637|Select A&ll\tCtrl+A=57642|-|"
                            "&Find...\tCtrl+F=57636|F&ind Next\tF3=57640|R&eplace\tCtrl+H=57641"));
    QCOMPARE(Describe(Items(menus[2])), QStringLiteral("&Toolbar=59392|&Status Bar=59393"));
    QCOMPARE(Describe(Items(menus[3])),
             QStringLiteral("Screen Lock Options...=32790|Encryption of New Documents...=32850|-|"
                            "Set New File Password...=32791"));
    QCOMPARE(Describe(Items(menus[4])),
             QStringLiteral("&Cascade=57650|&Tile=57651|&Arrange Icons=57649"));
    QCOMPARE(Describe(Items(menus[5])),
             QStringLiteral("Keystow Editor on the Web...=32772|&About Keystow Editor...=57664"));

    // The passwords type shares menu 104.
    QVERIFY(m_app->m_pPasswordsTemplate->OpenDocumentFile(QString()));
    QCOMPARE(m_frame->CurrentMenuId(), IDR_TEXTTYPE);

    // Back to menu 128 once no document window is left, and no caret position stays behind.
    m_frame->SetStatusPaneText(1, QStringLiteral(" Ln 4, Col 2"));
    m_app->GetDocManager()->CloseAllDocuments();
    QTRY_COMPARE(m_frame->CurrentMenuId(), IDR_MAINFRAME);
    QCOMPARE(m_frame->GetStatusPaneText(1), QStringLiteral(" "));
}

void TestMainFrame::toolBarOrderAndLabels() {
    QStringList seen;
    for (QAction* action : m_frame->ToolBar()->actions()) {
        if (action->isSeparator())
            seen << QStringLiteral("|");
        else
            seen
                << QStringLiteral("%1:%2").arg(CMDIFrameWnd::CommandId(action)).arg(action->text());
    }
    QCOMPARE(seen.join(QLatin1Char(' ')),
             QStringLiteral("57600:New 57601:Open 57603:Save | 32795:Wizard | 57635:Cut "
                            "57634:Copy 57637:Paste | 57636:Find | 57607:Print | 32792:Lock | "
                            "32801:Web | 57664:About"));
    for (QAction* action : m_frame->ToolBar()->actions()) {
        if (!action->isSeparator())
            QVERIFY2(!action->icon().isNull(), qPrintable(action->text()));
    }
    // Every button is as large as the largest one.
    QSet<QSize> sizes;
    for (QAction* action : m_frame->ToolBar()->actions()) {
        if (QWidget* w = m_frame->ToolBar()->widgetForAction(action); w && !action->isSeparator())
            sizes.insert(w->size());
    }
    QCOMPARE(sizes.size(), 1);
}

void TestMainFrame::statusBarPanes() {
    QStatusBar* bar = m_frame->StatusBar();
    QVERIFY(bar);
    const QList<QLabel*> panes = bar->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(panes.size(), 5);
    QCOMPARE(m_frame->GetStatusPaneText(1), QStringLiteral(" "));
    QCOMPARE(m_frame->GetStatusPaneText(2), QStringLiteral("CAP"));
    QCOMPARE(m_frame->GetStatusPaneText(3), QStringLiteral("NUM"));
    QCOMPARE(m_frame->GetStatusPaneText(4), QStringLiteral("SCRL"));
    // The format pane shows only while a document is active.
    QCOMPARE(m_frame->GetStatusPaneText(CMainFrame::FormatPane), QString());
    QLabel* position = nullptr;
    for (QLabel* label : panes) {
        if (label->text() == QStringLiteral(" "))
            position = label;
    }
    QVERIFY(position);
    // A six-digit line and a five-digit column show whole.
    const QString widest = QStringLiteral(" Ln 999999, Col 99999");
    QVERIFY(position->contentsRect().width() >= position->fontMetrics().horizontalAdvance(widest));
    m_frame->SetStatusPaneText(1, QStringLiteral("Ln 3, Col 7"));
    QCOMPARE(m_frame->GetStatusPaneText(1), QStringLiteral("Ln 3, Col 7"));
    m_frame->SetStatusPaneText(0, QStringLiteral("Working"));
    QCOMPARE(bar->currentMessage(), QStringLiteral("Working"));
    // Views that do not know the shell reach the pane through the frame base.
    static_cast<CMDIFrameWnd*>(m_frame)->SetStatusPaneText(CMDIFrameWnd::PositionPane,
                                                           QStringLiteral(" Ln 1, Col 1"));
    QCOMPARE(m_frame->GetStatusPaneText(1), QStringLiteral(" Ln 1, Col 1"));
    // An index beyond the panes is ignored.
    m_frame->SetStatusPaneText(9, QStringLiteral("x"));
}

void TestMainFrame::acceleratorTable_data() {
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<int>("id");
    QTest::newRow("Ctrl+A") << QKeySequence(Qt::CTRL | Qt::Key_A) << 57642;
    QTest::newRow("Ctrl+C") << QKeySequence(Qt::CTRL | Qt::Key_C) << 57634;
    QTest::newRow("Ctrl+F") << QKeySequence(Qt::CTRL | Qt::Key_F) << 57636;
    QTest::newRow("Ctrl+G") << QKeySequence(Qt::CTRL | Qt::Key_G) << 32777;
    QTest::newRow("Ctrl+H") << QKeySequence(Qt::CTRL | Qt::Key_H) << 57641;
    QTest::newRow("Ctrl+N") << QKeySequence(Qt::CTRL | Qt::Key_N) << 57600;
    QTest::newRow("Ctrl+O") << QKeySequence(Qt::CTRL | Qt::Key_O) << 57601;
    QTest::newRow("Ctrl+P") << QKeySequence(Qt::CTRL | Qt::Key_P) << 57607;
    QTest::newRow("Ctrl+S") << QKeySequence(Qt::CTRL | Qt::Key_S) << 57603;
    QTest::newRow("Ctrl+V") << QKeySequence(Qt::CTRL | Qt::Key_V) << 57637;
    QTest::newRow("Ctrl+X") << QKeySequence(Qt::CTRL | Qt::Key_X) << 57635;
    QTest::newRow("Ctrl+Z") << QKeySequence(Qt::CTRL | Qt::Key_Z) << 57643;
    QTest::newRow("Alt+Backspace") << QKeySequence(Qt::ALT | Qt::Key_Backspace) << 57643;
    QTest::newRow("Alt+Delete") << QKeySequence(Qt::ALT | Qt::Key_Delete) << 57632;
    QTest::newRow("Shift+Delete") << QKeySequence(Qt::SHIFT | Qt::Key_Delete) << 57635;
    QTest::newRow("Ctrl+Insert") << QKeySequence(Qt::CTRL | Qt::Key_Insert) << 57634;
    QTest::newRow("Shift+Insert") << QKeySequence(Qt::SHIFT | Qt::Key_Insert) << 57637;
    QTest::newRow("F3") << QKeySequence(Qt::Key_F3) << 57640;
    QTest::newRow("F6") << QKeySequence(Qt::Key_F6) << 57680;
    QTest::newRow("Shift+F6") << QKeySequence(Qt::SHIFT | Qt::Key_F6) << 57681;
    QTest::newRow("Alt+Enter") << QKeySequence(Qt::ALT | Qt::Key_Return) << 57860;
}

void TestMainFrame::acceleratorTable() {
    QFETCH(QKeySequence, keys);
    QFETCH(int, id);
    int found = 0;
    int count = 0;
    for (QAction* action : m_frame->Accelerators()) {
        if (action->shortcuts().contains(keys)) {
            found = CMDIFrameWnd::CommandId(action);
            ++count;
        }
    }
    QCOMPARE(found, id);
    QCOMPARE(count, 1);
}

void TestMainFrame::templatesInOrder() {
    const auto& templates = m_app->GetDocManager()->GetTemplates();
    QCOMPARE(templates.size(), 3);
    QCOMPARE(templates[0]->GetResourceId(), IDR_TEXTTYPE);
    QCOMPARE(templates[1]->GetResourceId(), IDR_KEYSTOWTYPE);
    QCOMPARE(templates[2]->GetResourceId(), IDR_BROWSERTYPE);
    QCOMPARE(templates[0], m_app->m_pTextTemplate);
    QCOMPARE(templates[1]->GetDocString(CMultiDocTemplate::filterExt), QStringLiteral(".ksw"));
    QCOMPARE(templates[2]->GetDocString(CMultiDocTemplate::filterExt), QString());
}

void TestMainFrame::newThroughChooser_data() {
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("templateIndex");
    QTest::newRow("text") << int(CNewDocumentDlg::NewTextDocument) << 0;
    QTest::newRow("passwords") << int(CNewDocumentDlg::NewPasswordsDocument) << 1;
    QTest::newRow("cancel") << int(IDCANCEL) << -1;
    QTest::newRow("closed by the lock") << 0 << -1;
}

void TestMainFrame::newThroughChooser() {
    QFETCH(int, result);
    QFETCH(int, templateIndex);
    DialogScript script;
    script.Then(As<CNewDocumentDlg>([result](CNewDocumentDlg* dlg) {
        QCOMPARE(dlg->windowTitle(), QStringLiteral("New Document..."));
        dlg->done(result);
    }));
    QVERIFY(m_frame->ExecuteCommand(ID_FILE_NEW));
    QVERIFY(script.Finished());
    const QList<CDocument*> docs = m_app->GetDocManager()->GetDocuments();
    if (templateIndex < 0) {
        QVERIFY(docs.isEmpty());
        return;
    }
    QCOMPARE(docs.size(), 1);
    QCOMPARE(docs[0]->GetDocTemplate(), m_app->GetDocManager()->GetTemplates()[templateIndex]);
    QCOMPARE(docs[0]->GetTitle(), QStringLiteral("Untitled1"));
}

void TestMainFrame::openThroughFileDialogBringsOpenFileToFront() {
    // A text document already open on a file: Open of the same file only activates it.
    const QString path = m_dir->filePath(QStringLiteral("notes.etx"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(16, 'x'));
    }
    CDocument* open = m_app->m_pTextTemplate->OpenDocumentFile(QString());
    QVERIFY(open);
    open->SetPathName(path);
    CDocument* other = m_app->m_pPasswordsTemplate->OpenDocumentFile(QString());
    QVERIFY(other);
    QCOMPARE(m_frame->GetActiveDocument(), other);

    DialogScript script;
    script.Then(As<CTimedFileDialog>([path](CTimedFileDialog* dlg) {
        QVERIFY(dlg->m_openMode);
        // The name field has the focus, as for a person typing: the path goes there.
        auto* name = dlg->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        name->setText(path);
        QMetaObject::invokeMethod(dlg, "accept");
    }));
    QVERIFY(m_frame->ExecuteCommand(ID_FILE_OPEN));
    QVERIFY(script.Finished());
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), 2);
    QCOMPARE(m_frame->GetActiveDocument(), open);
}

void TestMainFrame::droppedFileOpens_data() {
    QTest::addColumn<bool>("onDocumentWindow");
    QTest::newRow("on the frame") << false;
    QTest::newRow("on a document window") << true;
}

void TestMainFrame::droppedFileOpens() {
    QFETCH(bool, onDocumentWindow);
    // A dropped file goes the way of Open: its document asks for the password.
    const QString path = m_dir->filePath(QStringLiteral("dropped.etx"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(16, 'x'));
    }
    QWidget* target = m_frame;
    CDocument* existing = nullptr;
    if (onDocumentWindow) {
        existing = m_app->m_pTextTemplate->OpenDocumentFile(QString());
        QVERIFY(existing);
        target = existing->GetFirstView()->GetWidget();
    }
    bool asked = false;
    DialogScript script;
    script.Then(As<CPasswordDlg>([&asked](CPasswordDlg* dlg) {
        asked = true;
        dlg->reject();
    }));
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    // After the drop has ended.
    QTRY_VERIFY(asked);
    QTRY_VERIFY(m_app->PendingFiles().isEmpty());
    // Cancelled: nothing more stays open, and nothing was typed into the document.
    QCOMPARE(m_app->GetDocManager()->GetOpenDocumentCount(), onDocumentWindow ? 1 : 0);
    if (existing)
        QVERIFY(!existing->IsModified());
}

void TestMainFrame::openMenuCountsAsActivity() {
    quint32 now = 0xFFFFF000u;
    TickClock::SetSource([&now] { return now; });
    m_frame->StampActivity();
    now += 60000;
    QCOMPARE(m_frame->m_lastActivity, 0xFFFFF000u);
    QMenu* menu = m_frame->Menus(IDR_MAINFRAME).first();
    menu->popup(m_frame->mapToGlobal(QPoint(10, 10)));
    QTRY_COMPARE(m_frame->m_lastActivity, now);
    now += 5000;
    // Still open: the frame's timer keeps stamping.
    QTRY_COMPARE(m_frame->m_lastActivity, now);
    menu->close();
    now += 5000;
    // Closed: a tick of the frame's timer stamps nothing.
    FrameTimer::Tick(m_frame);
    QVERIFY(m_frame->m_lastActivity != now);
}

void TestMainFrame::toolbarAndStatusBarToggle() {
    QVERIFY(m_frame->ToolBar()->isVisible());
    QVERIFY(m_frame->ExecuteCommand(ID_VIEW_TOOLBAR));
    QVERIFY(!m_frame->ToolBar()->isVisible());
    CCmdUI ui(ID_VIEW_TOOLBAR);
    m_frame->UpdateCmdUI(&ui);
    QVERIFY(ui.m_enabled);
    QVERIFY(!ui.m_checked);
    QVERIFY(m_frame->ExecuteCommand(ID_VIEW_STATUS_BAR));
    QVERIFY(!m_frame->StatusBar()->isVisible());
    // Locking is there to use.
    CCmdUI lock(ID_LOCK);
    m_frame->UpdateCmdUI(&lock);
    QVERIFY(lock.m_enabled);
}

void TestMainFrame::recentFilesInMenu() {
    m_app->AddToRecentFileList(QStringLiteral("/data/one.etx"));
    m_app->AddToRecentFileList(QStringLiteral("/data/a&b.ksw"));
    QMenu* file = m_frame->Menus(IDR_MAINFRAME).first();
    QMetaObject::invokeMethod(file, "aboutToShow");
    const QString described = Describe(Items(file));
    QVERIFY2(described.contains(QStringLiteral("&1 /data/a&&b.ksw=57616|&2 /data/one.etx=57617|-")),
             qPrintable(described));
    QVERIFY(!described.contains(QStringLiteral("Recent File")));
}

void TestMainFrame::passwordsFileOpensIntoWindow() {
    const QString path = m_dir->filePath(QStringLiteral("vault.ksw"));
    AccountStore store;
    WebAccount web;
    web.name = QStringLiteral("Bank");
    web.password = QStringLiteral("hunter2");
    store.web.append(web);
    OtherAccount other;
    other.name = QStringLiteral("Locker");
    other.pin = QStringLiteral("4711");
    store.other.append(other);
    QCOMPARE(SavePasswordsFile(path, QStringLiteral("vault pw"), store), SaveResult::Saved);

    DialogScript script;
    script.Then(As<CPasswordDlg>([](CPasswordDlg* dlg) {
        QLineEdit* edit = dlg->findChild<QLineEdit*>();
        QVERIFY(edit);
        QTest::keyClicks(edit, QStringLiteral("vault pw"));
        QTest::keyClick(edit, Qt::Key_Return);
    }));
    CDocument* doc = m_app->OpenDocumentFile(path);
    QVERIFY(script.Finished());
    QVERIFY(doc);
    QCOMPARE(doc->GetDocTemplate(), m_app->m_pPasswordsTemplate);
    QCOMPARE(doc->GetTitle(), QStringLiteral("vault.ksw"));
    QCOMPARE(m_frame->CurrentMenuId(), IDR_TEXTTYPE);
    QWidget* view = doc->GetFirstView()->GetWidget();
    QStringList shown;
    // The account tree comes first among the window's views.
    if (auto* tree = qobject_cast<QTreeWidget*>(view)) {
        for (QTreeWidgetItemIterator it(tree); *it; ++it)
            shown << (*it)->text(0).trimmed();
    }
    QVERIFY(shown.contains(QStringLiteral("Bank")));
    QVERIFY(shown.contains(QStringLiteral("Locker")));
    QVERIFY(!shown.join(QLatin1Char(' ')).contains(QStringLiteral("hunter2")));
    QVERIFY(!shown.join(QLatin1Char(' ')).contains(QStringLiteral("4711")));
}

std::unique_ptr<QObject> CreateMainFrameTest() {
    return std::make_unique<TestMainFrame>();
}

#include "tst_mainframe.moc"
